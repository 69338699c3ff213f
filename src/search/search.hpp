// The search: iterative deepening over a principal-variation alpha-beta
// search with a transposition table, null move, internal iterative deepening,
// extensions, reductions and futility pruning, and a quiescence search.
#pragma once

#include "board/movegen.hpp"
#include "board/position.hpp"
#include "search/state.hpp"

namespace tallomir {

enum NodeType { ALL_NODE = -1, PV_NODE = 0, CUT_NODE = 1 };

// Thrown by the poll to leave every level of the search at once; caught only
// by iterativeDeepening. Search frames hold nothing that needs destroying.
struct SearchUnwind {};

// What a search found: the root report and the closing statistics.
struct SearchResult {
    RootReport report;
    SearchStats stats;
    bool aborted;  // abortSearch ended it: nothing of it is to be reported
};

// The one entry point of the search: searches pos under the limits, telling
// the listener as it goes. The deepest iteration is the edition's last one,
// or limits.iterationCap when that is lower (the cap acts like the last
// iteration: a held search then waits for "stop" or "ponderhit").
SearchResult think(const Position& pos, const SearchLimits& limits, SearchListener& listener);

// Iterative deepening over pos under searchState.limits; the outcome is
// searchState.report.
void iterativeDeepening(const Position& pos);

int rootSearch(MoveList& rootMoves, Position& pos, int depth, bool firstIteration);
int search(Position& pos, int alpha, int beta, int depth, int ply, Move* pv, int nodeType);
int quiescence(Position& pos, int alpha, int beta, int qDepth, int ply, Move* pv);

void orderRootMoves(MoveList& rootMoves, Position& pos);
void seedRootScores(MoveList& list);

// The search's own copy of the game position and the root move list.
extern Position searchPosition;
extern MoveList rootMoves;

}  // namespace tallomir

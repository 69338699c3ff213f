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

// Searches the game position under searchState.limits; the outcome is
// searchState.report.
void iterativeDeepening();

// The deepest iteration the driver starts is the edition's last one. A harness
// that runs thousands of searches per second (the fuzzer) lowers it with a cap
// of 1 or more; 0, the default, leaves the edition's limit. The cap acts like
// the last iteration: a held search then waits for "stop" or "ponderhit".
void setIterationCap(int depth);

int rootSearch(MoveList& rootMoves, Position& pos, int depth, bool firstIteration);
int search(Position& pos, int alpha, int beta, int depth, int ply, Move* pv, int nodeType);
int quiescence(Position& pos, int alpha, int beta, int qDepth, int ply, Move* pv);

void orderRootMoves(MoveList& rootMoves, Position& pos);
void seedRootScores(MoveList& list);

// The search's own copy of the game position and the root move list.
extern Position searchPosition;
extern MoveList rootMoves;

}  // namespace tallomir

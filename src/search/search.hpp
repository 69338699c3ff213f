// The search: iterative deepening over a principal-variation alpha-beta
// search with a transposition table, null move, internal iterative deepening,
// extensions, reductions and futility pruning, and a quiescence search.
#pragma once

#include <string>

#include "board/movegen.hpp"
#include "board/position.hpp"
#include "eval/evaluate.hpp"
#include "search/movepick.hpp"
#include "search/state.hpp"
#include "search/tt.hpp"

namespace tallomir {

enum NodeType { ALL_NODE = -1, PV_NODE = 0, CUT_NODE = 1 };

// Whether the side to move at a node is in check, when the caller knows.
enum class CheckState { Unknown, NotInCheck, InCheck };
inline CheckState knownCheckState(bool inCheck) { return inCheck ? CheckState::InCheck : CheckState::NotInCheck; }

// Thrown by the poll to leave every level of the search at once; caught only
// by iterativeDeepening. Search frames hold nothing that needs destroying.
struct SearchUnwind {};

// What a search found: the root report and the closing statistics.
struct SearchResult {
    RootReport report;
    SearchStats stats;
    bool aborted;  // abortSearch ended it: nothing of it is to be reported
};

// The owner of everything a search works with: the working position and the
// root moves, the state of the running search (limits, controls, clock,
// statistics, root report), the transposition table, the move-ordering tables
// and the evaluation caches.
class Searcher {
public:
    Searcher() { state_.reset(); }

    // Every table for a "Hash" value: the transposition table is made anew,
    // the evaluation caches once. Empty when all is there, else what could
    // not be had ("16 MB transposition table", "pawn table"); the caller
    // reports it.
    std::string allocate(int hashOption);
    // "ucinewgame": the transposition table forgets every entry.
    void newGame();
    // Every table as a freshly started engine has it.
    void clearTables();

    // The one entry point of the search: searches pos under the limits,
    // telling the listener as it goes. The deepest iteration is the edition's
    // last one, or limits.iterationCap when that is lower (the cap acts like
    // the last iteration: a held search then waits for "stop" or "ponderhit").
    SearchResult think(const Position& pos, const SearchLimits& limits, SearchListener& listener);

    // What input during a search asks of it: "stop" ends it once the first
    // iteration is done, "ponderhit" lets the limits end it, "quit" ends it
    // at the next poll.
    void requestStop() { state_.controls.stopRequested = true; }
    void releaseHold() { state_.controls.holding = false; }
    void abortSearch() { state_.controls.abortRequested = state_.controls.stopRequested = true; }

    const SearchState& state() const { return state_; }
    const TranspositionTable& table() const { return tt_; }
    // The search's own copy of the position, as the last iteration left it.
    const Position& workingPosition() const { return position_; }

private:
    // The tests reach the searches below the root through this; it is
    // defined only there.
    friend struct SearcherTestAccess;

    // Below one ply the quiescence search takes over, before a search node
    // sets up its frame. A caller that knows whether the side to move is in
    // check (it asked whether its move checks) passes that on.
    int search(Position& pos, int alpha, int beta, int depth, int ply, Move* pv, int nodeType,
               CheckState check = CheckState::Unknown) {
        if (depth < ONE_PLY) return quiescence(pos, alpha, beta, 0, ply, pv, check);
        return searchNode(pos, alpha, beta, depth, ply, pv, nodeType, check);
    }
    int searchNode(Position& pos, int alpha, int beta, int depth, int ply, Move* pv, int nodeType, CheckState check);
    int quiescence(Position& pos, int alpha, int beta, int qDepth, int ply, Move* pv,
                   CheckState check = CheckState::Unknown);
    void iterativeDeepening(const Position& root);
    int rootSearch(MoveList& moves, Position& pos, int depth, bool firstIteration);
    void orderRootMoves(MoveList& moves, Position& pos);
    int verifyNullMove(int ply, Move& bestMoveOut, Position& pos, int alpha, int beta, int depth, Move* pv,
                       Move hashMove);
    void countNode(int ply);
    void poll();
    void pollAtNodeLimit();
    void updateStats();
    void announceCurrentMove(Move m, int index);
    void publishBest(Move m, int v, int alpha, int depth, const Move* childPv);

    SearchState state_{};
    SilentListener silent_;
    SearchListener* listener_ = &silent_;  // the caller's listener while think runs
    TranspositionTable tt_;
    OrderingTables ordering_{};
    EvalCaches caches_;
    MoveList rootMoves_{};
    Position position_{};
};

}  // namespace tallomir

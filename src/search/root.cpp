// The root search of one iteration and the iterative-deepening driver.
#include <cstring>
#include <string>

#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "board/see.hpp"
#include "editions/edition.hpp"
#include "search/movepick.hpp"
#include "search/rules.hpp"
#include "search/search.hpp"

namespace tallomir {

namespace {

// A position with one legal move at most needs only a shallow look.
constexpr int FORCED_MOVE_DEPTH = 4;
// Root moves start in a fixed order, by origin and then destination square
// number (64 of each), promotions apart by their piece (four kinds fit
// between two square pairs).
constexpr int DESTINATIONS = 64;
constexpr int SQUARE_PAIR_STEP = 4;

void seedRootScores(MoveList& list) {
    for (int i = 0; i < list.count; ++i) {
        const Move m = list.moves[i];
        list.scores[i] =
            static_cast<std::int16_t>(-SQUARE_PAIR_STEP * (DESTINATIONS * moveFrom(m) + moveTo(m)) + movePromo(m));
    }
}

// Offers the moves of a principal variation to the next iteration, deepest first.
void storePv(TranspositionTable& tt, const Move* pv, Position& pos) {
    const Move m = pv[0];
    if (m == 0 || m == NULL_MOVE) return;
    const HashKey key = pos.key;
    UndoRecord undo;
    makeMove(pos, undo, m);
    storePv(tt, pv + 1, pos);
    unmakeMove(pos, undo, m);
    tt.store(keyLow(key), keyHigh(key), m, DEPTH_PV, NO_LOWER, NO_UPPER);
}

}  // namespace

void Searcher::publishBest(Move m, int v, int alpha, int depth, const Move* childPv) {
    RootReport& r = state_.report;
    r.bestMove = m;
    r.bestScore = v;
    r.bestBound = v <= alpha ? BOUND_UPPER : (v < MATE_SCORE ? BOUND_EXACT : BOUND_LOWER);
    r.bestDepth = depth / ONE_PLY;
    appendPv(r.pv, childPv, m);
}

void Searcher::announceCurrentMove(Move m, int index) {
    updateStats();
    listener_->currentMove(state_, m, index);
}

void Searcher::updateStats() {
    state_.updateStats();
    state_.stats.hashfull = tt_.hashfullPermille();
}

std::string Searcher::allocate(int hashOption) {
    if (!tt_.allocate(hashOption)) return std::to_string(ttMegabytes(hashOption)) + " MB transposition table";
    if (const char* failed = caches_.allocate()) return std::string(failed) + " table";
    return "";
}

void Searcher::newGame() { tt_.clear(); }

void Searcher::clearTables() {
    tt_.clear();
    caches_.clear();
}

void Searcher::orderRootMoves(MoveList& moves, Position& pos) {
    seedRootScores(moves);
    sortMoves(moves);
    TTProbe entry;
    const Move hashMove = tt_.probe(keyLow(pos.key), keyHigh(pos.key), entry) ? entry.move : 0;
    scoreMoves(ordering_, pos, moves, 0, hashMove);
    sortMoves(moves);
}

int Searcher::rootSearch(MoveList& moves, Position& pos, int depth, bool firstIteration) {
    // Step 1: the root counts as a node but never polls.
    ++state_.stats.nodes;
    --state_.pollCountdown;

    // Step 2: nothing searched yet.
    for (int i = 0; i < moves.count; ++i) moves.scores[i] = NO_SCORE;
    int alpha = -MATE_SCORE;
    int best = NO_SCORE;
    Move childPv[PV_CAPACITY];
    CheckInfo checks;
    const bool inCheck = findCheckers(pos, checks) != 0;
    const bool singleReply = inCheck && moves.count == 1;

    // Step 3: every root move.
    for (int i = 0; i < moves.count; ++i) {
        const Move m = moves.moves[i];
        state_.rootDepth = depth / ONE_PLY;
        state_.currentMoveIndex = i;
        announceCurrentMove(m, i);
        const int newDepth = depth + extension(pos, m, singleReply, true) - ONE_PLY;
        UndoRecord undo;
        makeMove(pos, undo, m);
        int v;
        if (firstIteration || best == NO_SCORE) {
            v = -search(pos, -MATE_SCORE, -alpha, newDepth, 1, childPv, PV_NODE);
        } else {
            v = -search(pos, -alpha - 1, -alpha, newDepth, 1, childPv, CUT_NODE);
            if (v > alpha) {
                state_.applyNewLeaderRule();
                announceCurrentMove(m, i);
                v = -search(pos, -MATE_SCORE, -alpha, newDepth, 1, childPv, PV_NODE);
            }
        }
        unmakeMove(pos, undo, m);
        moves.scores[i] = static_cast<std::int16_t>(v <= alpha ? -MATE_SCORE : (v >= MATE_SCORE ? MATE_SCORE : v));
        if (v > best && (best == NO_SCORE || v > alpha)) {
            publishBest(m, v, alpha, depth, childPv);
            updateStats();
            listener_->principalVariation(state_);
            if (state_.report.bestDepth > 1) state_.applyScoreDropRule();
        }
        if (v > best) {
            best = v;
            if (v > alpha) {
                if (!firstIteration) alpha = v;
                if (v >= MATE_SCORE) break;
            }
        }
    }

    // Step 4: the best moves of this iteration lead the next one.
    sortMoves(moves);

    // Step 5-6: the principal variation guides the next iteration.
    if (best <= -MATE_SCORE || best >= MATE_SCORE) return best;
    storePv(tt_, state_.report.pv, pos);
    return best;
}

SearchResult Searcher::think(const Position& pos, const SearchLimits& limits, SearchListener& listener) {
    state_.reset(limits);
    pollAtNodeLimit();
    listener_ = &listener;
    iterativeDeepening(pos);
    updateStats();
    listener_ = &silent_;
    return SearchResult{state_.report, state_.stats, state_.controls.abortRequested};
}

void Searcher::iterativeDeepening(const Position& root) {
    SearchState& s = state_;

    // Step 1: the legal root moves; a forced move needs only a shallow look.
    std::memcpy(&position_, &root, sizeof(Position));
    MoveList legal;
    generateLegal(position_, legal);
    if (legal.count <= 1) {
        s.limits.depthLimited = true;
        s.limits.maxDepth = FORCED_MOVE_DEPTH;
    }

    // Step 2: a SearchUnwind thrown by the poll lands here.
    try {
        // Step 3-9: per-search preparation.
        copyMoveList(rootMoves_, legal);
        s.startClock();
        tt_.newSearch(position_);
        clearOrderingTables(ordering_);
        orderRootMoves(rootMoves_, position_);

        // Step 10: one root search per depth.
        const int cap = s.limits.iterationCap;
        const int lastIteration = cap > 0 && cap < EDITION.lastIteration ? cap : EDITION.lastIteration;
        for (int depth = 1; depth <= lastIteration; ++depth) {
            listener_->iterationStart(s, depth);
            s.time.scoreDropped = false;
            s.time.bestMoveChanged = false;
            std::memcpy(&position_, &root, sizeof(Position));
            rootSearch(rootMoves_, position_, depth * ONE_PLY, depth <= 1);
            updateStats();
            listener_->iterationSummary(s, depth);
            const int second = rootMoves_.count >= 2 ? rootMoves_.scores[1] : 0;
            if (!s.iterationEndTest(depth, rootMoves_.count, rootMoves_.scores[0], second)) break;
        }
    } catch (const SearchUnwind&) {
        updateStats();
    }
}

}  // namespace tallomir

// The alpha-beta search below the root, and the quiescence search.
#include "search/search.hpp"

#include <algorithm>

#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "board/see.hpp"
#include "board/zobrist.hpp"
#include "editions/edition.hpp"
#include "eval/evaluate.hpp"
#include "search/movepick.hpp"
#include "search/rules.hpp"

namespace tallomir {

namespace {

// The key after a move, as far as it picks the table bucket to fetch while
// the move is tested and made: castling rights, the promoted piece and the
// en-passant square of a double step are left out.
inline HashKey bucketKeyAfter(const Position& pos, Move m) {
    const SquareNumber nf = moveFrom(m), nt = moveTo(m);
    const int piece = pos.board[squareOf[nf]];
    const int idx = pieceIndex(piece);
    HashKey k = pos.key ^ sideKey() ^ manKey(idx, nf) ^ manKey(idx, nt);
    if (const int victim = pos.board[squareOf[nt]]) k ^= manKey(pieceIndex(victim), nt);
    if (pos.epSquare) k ^= epKey(pos.epSquare);
    return k;
}

// The null move is tried only when beta is no mate score, and by a side with
// at least NULL_MIN_PIECES pieces (the king counts); with at most
// VERIFY_MAX_PIECES its cut-off is verified by a shallower search.
constexpr int NULL_BETA_LIMIT = MATE_THRESHOLD;
constexpr int NULL_MIN_PIECES = 2;
constexpr int VERIFY_MAX_PIECES = 3;

// Frontier reduction: more than FRONTIER_MIN_DISTANCE plies beyond the nominal
// depth, a quiet move is reduced when alpha exceeds the material balance by a
// margin that grows with the distance (up to 4, 6, 8 plies, farther).
constexpr int FRONTIER_MIN_DISTANCE = 2;
constexpr int FRONTIER_MARGIN_4 = 500, FRONTIER_MARGIN_6 = 700, FRONTIER_MARGIN_8 = 975, FRONTIER_MARGIN_FAR = 1500;

inline int frontierMargin(int distance) {
    return distance <= 4   ? FRONTIER_MARGIN_4
           : distance <= 6 ? FRONTIER_MARGIN_6
           : distance <= 8 ? FRONTIER_MARGIN_8
                           : FRONTIER_MARGIN_FAR;
}

// Late-move reduction starts after this many moves searched.
constexpr int LATE_MOVE_COUNT = 3;

// Futility near the leaves: only while the opponent keeps more than
// FUTILITY_MIN_ENEMY_PIECES pieces; the margin grows with the depth left.
constexpr int FUTILITY_MIN_ENEMY_PIECES = 3;
constexpr int FUTILITY_MARGIN_1 = 250, FUTILITY_MARGIN_2 = 550, FUTILITY_MARGIN_3 = 950;

inline int futilityMargin(int depth) {
    return depth < EDITION.futilityFirstMarginBelow    ? FUTILITY_MARGIN_1
           : depth < EDITION.futilitySecondMarginBelow ? FUTILITY_MARGIN_2
                                                       : FUTILITY_MARGIN_3;
}

// The mate-distance bounds: at best the side to move mates on the next ply,
// at worst it is mated two plies from here (mated now is found by isMated).
constexpr int MATE_NEXT_PLY = MATE_SCORE - 1;
constexpr int MATED_IN_TWO_PLIES = MATE_SCORE - 2;

}  // namespace

// Leaves every level of the search when a limit or "stop" says so; the
// depth-1 iteration always completes unless the search is aborted. A node
// limit is a hard one, like the time limit's: no rule of the time control
// lifts it.
void Searcher::poll() {
    updateStats();
    listener_->poll(state_);
    state_.pollLimitTest();
    const SearchState& s = state_;
    const bool limitReached = (s.time.stopAfterIteration || s.nodesSpent()) && !s.controls.holding;
    if (s.controls.abortRequested || (s.time.firstIterationDone && (s.controls.stopRequested || limitReached)))
        throw SearchUnwind{};
    pollAtNodeLimit();
}

// Brings the next poll forward to the node limit, so that a node-limited
// search ends on its count rather than up to a poll interval later.
void Searcher::pollAtNodeLimit() {
    const SearchState& s = state_;
    if (!s.limits.nodeLimited || s.stats.nodes >= s.limits.maxNodes) return;
    const std::uint64_t left = s.limits.maxNodes - s.stats.nodes;
    if (left < static_cast<std::uint64_t>(state_.pollCountdown)) state_.pollCountdown = static_cast<int>(left);
}

inline void Searcher::countNode(int ply) {
    ++state_.stats.nodes;
    --state_.pollCountdown;
    if (ply > state_.stats.selDepth) state_.stats.selDepth = ply;
    if (state_.pollCountdown <= 0) {
        state_.pollCountdown += POLL_INTERVAL;
        poll();
    }
}

namespace {

// Mate scores are stored relative to the node and read back relative to the root.
inline int scoreFromTable(int v, int ply) {
    if (v < -MATE_THRESHOLD) return v + ply;
    if (v > MATE_THRESHOLD) return v - ply;
    return v;
}
inline int scoreToTable(int v, int ply) {
    if (v < -MATE_THRESHOLD) return v - ply;
    if (v > MATE_THRESHOLD) return v + ply;
    return v;
}

inline int materialBalance(const Position& pos) { return pos.material[pos.side] - pos.material[pos.side ^ 1]; }

// Mate-distance bounds; returns true with `result` set when they decide the node.
inline bool mateDistanceCut(Position& pos, int ply, int& alpha, int& beta, int& result) {
    int lo = ply - MATED_IN_TWO_PLIES;
    if (lo > alpha) {
        if (isMated(pos)) lo = ply - MATE_SCORE;
        if (lo > alpha) {
            alpha = lo;
            if (lo >= beta) {
                result = lo;
                return true;
            }
        }
    }
    const int hi = MATE_NEXT_PLY - ply;
    if (hi < beta) {
        beta = hi;
        if (hi <= alpha) {
            result = hi;
            return true;
        }
    }
    return false;
}

// The bounds a table entry proves, outside PV nodes; returns true with
// `result` set when they decide the node. A mate bound counts as deep enough
// at any depth.
inline bool tableCut(const TTProbe& entry, int dp, int ply, int alpha, int beta, int& result) {
    int lowerDepth = entry.lowerDepth, upperDepth = entry.upperDepth;
    if (entry.lowerBound > MATE_THRESHOLD && lowerDepth < dp) lowerDepth = dp;
    if (entry.upperBound < -MATE_THRESHOLD && upperDepth < dp) upperDepth = dp;
    int v = -MATE_SCORE;
    if (lowerDepth >= dp) {
        v = scoreFromTable(entry.lowerBound, ply);
        if (v >= beta) {
            result = v;
            return true;
        }
    }
    int u = MATE_SCORE;
    if (upperDepth >= dp) {
        u = scoreFromTable(entry.upperBound, ply);
        if (u <= alpha) {
            result = u;
            return true;
        }
    }
    result = v;
    return v == u;
}

}  // namespace

int Searcher::verifyNullMove(int ply, Move& bestMoveOut, Position& pos, int alpha, int beta, int depth, Move* pv,
                             Move hashMove) {
    countNode(ply);
    pv[0] = 0;
    bestMoveOut = 0;
    int best = NO_SCORE;
    // Only a side not in check tries the null move that this verifies.
    CheckInfo checks;
    checks.count = 0;
    MovePicker picker;
    initMovePicker(ordering_, pos, ply, checks, picker, hashMove);
    Move childPv[PV_CAPACITY];
    UndoRecord undo;
    while (const Move m = nextMove(picker)) {
        const bool moveChecks = givesCheck(pos, m);
        const int extension = moveChecks ? ONE_PLY : 0;
        makeMove(pos, undo, m);
        const int w = -search(pos, -beta, -alpha, depth + extension - ONE_PLY, ply + 1, childPv, ALL_NODE,
                              knownCheckState(moveChecks));
        unmakeMove(pos, undo, m);
        if (w > best) {
            appendPv(pv, childPv, m);
            best = w;
            if (w > alpha) {
                alpha = w;
                bestMoveOut = m;
                if (w >= beta) return best;
            }
        }
    }
    return best == NO_SCORE ? 0 : best;
}

namespace {

bool isBareKingStalemate(const Position& pos) {
    const int side = pos.side;
    if (pos.pieceCount[side] != 1 || pos.pawnCount[side] != 0) return false;
    const Square k = pos.pieceList[side][0];
    if (k != A1 && k != H1 && k != A8 && k != H8) return false;
    const int enemy = colourBits(side ^ 1);
    for (const std::int8_t* d = pieceDirections(W_KING); *d; ++d) {
        const Square s = k + *d;
        const int code = pos.board[s];
        const bool enterable = code == EMPTY || (code & enemy);
        if (enterable && !isAttacked(pos, side ^ 1, s)) return false;
    }
    return true;
}

}  // namespace

int Searcher::quiescence(Position& pos, int alpha, int beta, int qDepth, int ply, Move* pv, CheckState check) {
    // Step 1: count the node.
    countNode(ply);
    pv[0] = 0;

    // Step 2: draws by rule and recognised draws.
    if (isDrawByRule(pos) || isRecognisedDraw(pos, caches_)) return 0;

    // Step 3: mate-distance bounds.
    int result;
    if (mateDistanceCut(pos, ply, alpha, beta, result)) return result;

    // Step 4: a side in check gets the ply back. Only the evasions need the
    // checkers themselves.
    CheckInfo checks;
    checks.count = 0;
    const bool inCheck = check == CheckState::Unknown ? isAttacked(pos, pos.side ^ 1, pos.kingSquare(pos.side))
                                                      : check == CheckState::InCheck;
    if (inCheck) {
        findCheckers(pos, checks);
        qDepth += ONE_PLY;
    }

    // Step 5: ply limit.
    if (ply >= MAX_SEARCH_PLY) return evaluate(pos, caches_, alpha, beta);

    // Step 6: stand pat.
    int best = NO_SCORE;
    if (!inCheck) {
        if (isBareKingStalemate(pos)) return 0;
        const int s = evaluate(pos, caches_, alpha, beta);
        best = s;
        if (s > alpha) {
            alpha = s;
            if (s >= beta) return s;
        }
    }

    // Step 7: evasions, or good captures (and quiet checks at the first ply).
    MovePicker picker;
    const QuiescenceNode node =
        inCheck ? QuiescenceNode::InCheck : (qDepth / ONE_PLY >= 0 ? QuiescenceNode::FirstPly : QuiescenceNode::Deeper);
    initQuiescencePicker(pos, checks, picker, node);

    // Step 8: the move loop.
    Move childPv[PV_CAPACITY];
    UndoRecord undo;
    while (const Move m = nextMove(picker)) {
        makeMove(pos, undo, m);
        const int v = -quiescence(pos, -beta, -alpha, qDepth - ONE_PLY, ply + 1, childPv);
        unmakeMove(pos, undo, m);
        if (v > best) {
            appendPv(pv, childPv, m);
            best = v;
            if (v > alpha) {
                alpha = v;
                if (v >= beta) return v;
            }
        }
    }

    // Step 9: in check without an evasion is mate.
    return best == NO_SCORE ? ply - MATE_SCORE : best;
}

namespace {

// Step 12 of the search: a best move updates the killers and the history; when
// a quiet one cut off, the moves tried before it count as tried in vain.
inline void updateOrdering(OrderingTables& ordering, const Position& pos, Move bestMove, int best, int beta, int dp,
                           int ply, const Move* searched, int searchedCount) {
    if (!bestMove) return;
    updateOnBestMove(ordering, pos, bestMove, dp, ply);
    if (best >= beta && !isTactical(pos, bestMove)) {
        for (int i = 0; i < searchedCount - 1; ++i) recordTried(ordering, pos, searched[i]);
        recordCutoff(ordering, pos, bestMove);
    }
}

// Step 13: the bounds a node's result proves go to the table; returns the result.
inline int storeBounds(TranspositionTable& tt, std::uint32_t kLow, std::uint32_t kHigh, Move bestMove, int dp, int ply,
                       int best, int alpha0, int beta) {
    const int lower = best <= alpha0 ? NO_LOWER : scoreToTable(best, ply);
    const int upper = best >= beta ? NO_UPPER : scoreToTable(best, ply);
    tt.store(kLow, kHigh, bestMove, dp, lower, upper);
    return best;
}

}  // namespace

// Step 1, the quiescence search below one ply, is search() in the header.
int Searcher::searchNode(Position& pos, int alpha, int beta, int depth, int ply, Move* pv, int nodeType,
                         CheckState check) {
    // Step 2: count the node.
    countNode(ply);
    pv[0] = 0;

    // Step 3: draws by rule and recognised draws.
    if (isDrawByRule(pos) || isRecognisedDraw(pos, caches_)) return 0;

    // Step 4: mate-distance bounds.
    int result;
    if (mateDistanceCut(pos, ply, alpha, beta, result)) return result;

    // Step 5: transposition table; bounds cut only outside PV nodes.
    const int dp = depth / ONE_PLY;
    const std::uint32_t kLow = keyLow(pos.key), kHigh = keyHigh(pos.key);
    Move hashMove = 0;
    TTProbe entry;
    if (tt_.probe(kLow, kHigh, entry)) {
        hashMove = entry.move;
        if (nodeType != PV_NODE && tableCut(entry, dp, ply, alpha, beta, result)) return result;
    }

    // Step 6: ply limit.
    if (ply >= MAX_SEARCH_PLY) return evaluate(pos, caches_, alpha, beta);

    // Step 7: node set-up.
    const int alpha0 = alpha;
    int best = NO_SCORE;
    Move bestMove = 0;
    Move searched[MAX_MOVES];
    int searchedCount = 0;
    const int side = pos.side;
    CheckInfo checks;
    checks.count = 0;
    const bool attacked =
        check == CheckState::Unknown ? isAttacked(pos, side ^ 1, pos.kingSquare(side)) : check == CheckState::InCheck;
    const bool inCheck = attacked && findCheckers(pos, checks) != 0;
    Move childPv[PV_CAPACITY];
    UndoRecord undo;

    // Step 8: null move, verified when few pieces are left. A verified
    // cut-off is an ordinary best move; an unverified one stores its bound only.
    if (depth >= EDITION.nullMinDepth && nodeType != PV_NODE && !inCheck && beta >= -NULL_BETA_LIMIT &&
        beta <= NULL_BETA_LIMIT && pos.pieceCount[side] >= NULL_MIN_PIECES &&
        (depth <= EDITION.nullEvalGate || evaluate(pos, caches_, alpha, beta) >= beta)) {
        makeNullMove(pos, undo);
        tt_.prefetch(keyLow(pos.key));
        // The side that passed was not in check, so neither is the other one.
        const int v = -search(pos, -beta, 1 - beta, depth - EDITION.nullReduction, ply + 1, childPv, -nodeType,
                              CheckState::NotInCheck);
        unmakeNullMove(pos, undo);
        if (depth > EDITION.verifyAbove && v >= beta && pos.pieceCount[side] <= VERIFY_MAX_PIECES) {
            Move m;
            const int r = verifyNullMove(ply, m, pos, alpha, beta, depth - EDITION.verifyReduction, childPv, hashMove);
            if (r >= beta) {
                best = r;
                bestMove = m;
                searched[searchedCount++] = m;
                copyPv(pv, childPv);
                updateOrdering(ordering_, pos, bestMove, best, beta, dp, ply, searched, searchedCount);
                return storeBounds(tt_, kLow, kHigh, bestMove, dp, ply, best, alpha0, beta);
            }
        } else if (v >= beta) {
            best = std::min(v, MATE_THRESHOLD);
            return storeBounds(tt_, kLow, kHigh, bestMove, dp, ply, best, alpha0, beta);
        }
    }

    // Step 9: internal iterative deepening finds a move to try first.
    if (depth >= EDITION.iidMinDepth && nodeType == PV_NODE && hashMove == 0) {
        const CheckState here = knownCheckState(inCheck);
        const int v = search(pos, alpha, beta, depth - EDITION.iidReduction, ply, childPv, PV_NODE, here);
        if (v <= alpha) search(pos, -MATE_SCORE, beta, depth - EDITION.iidReduction, ply, childPv, PV_NODE, here);
        hashMove = childPv[0];
    }

    // Step 10: the move picker.
    MovePicker picker;
    initMovePicker(ordering_, pos, ply, checks, picker, hashMove);
    const bool singleReply = inCheck && picker.list.count == 1;
    const int balance = materialBalance(pos);
    const int frontier = ply - dp;
    // What the reductions and the futility test ask of the node alone stays
    // the same for all its moves.
    const bool pvNode = nodeType == PV_NODE;
    const bool mayReduce = !pvNode && !inCheck;
    const bool frontierNode = mayReduce && frontier > FRONTIER_MIN_DISTANCE;
    const int frontierAlpha = frontierNode ? frontierMargin(frontier) + balance : 0;
    const bool lateNode = mayReduce && depth >= EDITION.lmrMinDepth;
    const bool futilityNode =
        mayReduce && depth < EDITION.futilityBelow && pos.pieceCount[side ^ 1] > FUTILITY_MIN_ENEMY_PIECES;
    const int futileBound = balance + futilityMargin(depth);
    const CheckFilter filter = checkFilter(pos);

    // Step 11: the move loop.
    while (const Move m = nextMove(picker)) {
        if (depth > ONE_PLY) tt_.prefetch(keyLow(bucketKeyAfter(pos, m)));

        // Step 11.1: extensions.
        bool moveChecks;
        int newDepth = depth + extension(pos, filter, m, singleReply, pvNode, moveChecks) - ONE_PLY;
        const CheckState childCheck = knownCheckState(moveChecks);
        bool frontierReduced = false, lateReduced = false;

        // Step 11.2: frontier reduction, far from the root with a hopeless material balance.
        if (frontierNode && alpha > frontierAlpha && pos.board[moveToSquare(m)] == EMPTY && moveKind(m) != PROMOTION) {
            newDepth -= ONE_PLY;
            frontierReduced = true;
        }

        // Step 11.3: late-move reduction of quiet moves that rarely cut off.
        if (lateNode && searchedCount >= LATE_MOVE_COUNT && newDepth < depth && picker.currentScore < LATE_MOVE_LIMIT) {
            newDepth -= ONE_PLY;
            lateReduced = true;
        }

        // Step 11.4: futility near the leaves: a quiet move that cannot lift the
        // balance to alpha is pruned (its bound kept as the best so far) or reduced.
        if (futilityNode && futileBound <= alpha && newDepth < depth && !isTactical(pos, m) &&
            !isPawnMoveToSeventhOrEighth(pos, m)) {
            if (depth < EDITION.futilitySecondMarginBelow) {
                if (futileBound > best) {
                    best = futileBound;
                    pv[0] = 0;
                }
                continue;
            }
            newDepth -= ONE_PLY;
        }

        // Step 11.5: search the move; later moves of a PV node get a null window first.
        makeMove(pos, undo, m);
        int w;
        if (!pvNode || best == NO_SCORE) {
            w = -search(pos, -beta, -alpha, newDepth, ply + 1, childPv, -nodeType, childCheck);
        } else {
            w = -search(pos, -alpha - 1, -alpha, newDepth, ply + 1, childPv, CUT_NODE, childCheck);
            if (w > alpha) w = -search(pos, -beta, -alpha, newDepth, ply + 1, childPv, PV_NODE, childCheck);
        }

        // Step 11.6: a reduced move that fails high gets one ply back.
        if ((lateReduced || frontierReduced) && w >= beta)
            w = -search(pos, -beta, -alpha, newDepth + ONE_PLY, ply + 1, childPv, -nodeType, childCheck);

        // Step 11.7-11.9: take it back and keep the best.
        unmakeMove(pos, undo, m);
        searched[searchedCount++] = m;
        if (w > best) {
            best = w;
            appendPv(pv, childPv, m);
            if (w > alpha) {
                bestMove = m;
                if (w >= beta) break;
                alpha = w;
            }
        }
        if (nodeType == CUT_NODE) nodeType = ALL_NODE;
    }
    if (best == NO_SCORE) return inCheck ? ply - MATE_SCORE : 0;

    // Step 12: killers, history and cut-off statistics.
    updateOrdering(ordering_, pos, bestMove, best, beta, dp, ply, searched, searchedCount);

    // Step 13: store the bounds this node proved.
    return storeBounds(tt_, kLow, kHigh, bestMove, dp, ply, best, alpha0, beta);
}

}  // namespace tallomir

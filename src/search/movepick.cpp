#include "search/movepick.hpp"

#include <cstring>

#include "board/legality.hpp"
#include "board/see.hpp"

namespace tallomir {

namespace {

constexpr int HASH_MOVE_SCORE = 32766;
constexpr int GOOD_CAPTURE_BONUS = 4000;
constexpr int BAD_CAPTURE_PENALTY = -28000;
constexpr int KILLER1_SCORE = 23;
constexpr int KILLER2_SCORE = 22;
constexpr int PREFERRED_QUIET_SCORE = 12;
constexpr int HISTORY_OFFSET = -24000;
constexpr int HALVING_THRESHOLD = 16384;

// The scripts: the stages of each kind of node, in order, closed by STAGE_END.
constexpr Stage MAIN_SCRIPT[] = {STAGE_HASH,   STAGE_CAPTURES,     STAGE_KILLERS, STAGE_PREFERRED_QUIETS,
                                 STAGE_QUIETS, STAGE_BAD_CAPTURES, STAGE_END};
constexpr Stage MAIN_IN_CHECK_SCRIPT[] = {STAGE_EVASIONS, STAGE_END};
constexpr Stage Q_IN_CHECK_SCRIPT[] = {STAGE_Q_EVASIONS, STAGE_END};
constexpr Stage Q_FIRST_PLY_SCRIPT[] = {STAGE_Q_CAPTURES, STAGE_Q_CHECKS, STAGE_END};
constexpr Stage Q_DEEPER_SCRIPT[] = {STAGE_Q_CAPTURES, STAGE_END};

inline int moverIndex(const Position& pos, Move m) { return pieceIndex(pos.board[moveFromSquare(m)]); }

inline int historyScore(const OrderingTables& ordering, const Position& pos, Move m) {
    return ordering.historyTable[moverIndex(pos, m)][moveTo(m)] + HISTORY_OFFSET;
}

bool preferredQuiet(const Position& pos, Move m, int split) {
    return (pos.board[moveFromSquare(m)] & KNIGHT) || moveTo(m) == split;
}

// Puts m with score s into place among the first `sorted` entries, which are
// in order: behind every entry of the same or a higher score.
inline void insertByScore(MoveList& list, int sorted, Move m, std::int16_t s) {
    int j = sorted;
    while (j > 0 && list.scores[j - 1] < s) {
        list.moves[j] = list.moves[j - 1];
        list.scores[j] = list.scores[j - 1];
        --j;
    }
    list.moves[j] = m;
    list.scores[j] = s;
}

// Quiet moves by history, highest first, ties in generation order. Each
// move with history is sorted as one key: its history above its place in the
// list counted from the end (so that no two keys are alike) above the move
// itself. The moves without history need no sorting: they are set apart in
// their order and follow the others. The stage reads no scores.
void sortByHistory(const OrderingTables& ordering, const Position& pos, MoveList& list) {
    const int count = list.count;
    if (count < 2) return;
    std::uint64_t keys[MAX_MOVES];
    Move plain[MAX_MOVES];
    int sorted = 0, plainCount = 0;
    for (int i = 0; i < count; ++i) {
        const Move m = list.moves[i];
        const std::uint64_t h = ordering.historyTable[moverIndex(pos, m)][moveTo(m)];
        if (h == 0) {
            plain[plainCount++] = m;
            continue;
        }
        const std::uint64_t key = (h << 32) | (static_cast<std::uint64_t>(MAX_MOVES - i) << 16) | m;
        int j = sorted++;
        for (; j > 0 && keys[j - 1] < key; --j) keys[j] = keys[j - 1];
        keys[j] = key;
    }
    for (int i = 0; i < sorted; ++i) list.moves[i] = static_cast<Move>(keys[i]);
    for (int i = 0; i < plainCount; ++i) list.moves[sorted + i] = plain[i];
}

void scoreQuiescenceEvasions(const Position& pos, MoveList& list) {
    if (list.count < 2) return;
    for (int i = 0; i < list.count; ++i) {
        const Move m = list.moves[i];
        list.scores[i] = static_cast<std::int16_t>(isTactical(pos, m) ? mvvLva(pos, m) : HISTORY_OFFSET);
    }
}

void setSingle(MoveList& list, Move m) {
    list.count = 0;
    if (m) list.moves[list.count++] = m;
}

// Halves every entry of one index pair; keeps the ratio and the counts bounded.
void halveCounts(OrderingTables& ordering, int piece, int to) {
    ordering.triedCount[piece][to] = static_cast<std::uint16_t>((ordering.triedCount[piece][to] + 1) / 2);
    ordering.cutoffCount[piece][to] = static_cast<std::uint16_t>((ordering.cutoffCount[piece][to] + 1) / 2);
}

}  // namespace

void clearOrderingTables(OrderingTables& ordering) {
    std::memset(ordering.killers, 0, sizeof ordering.killers);
    std::memset(ordering.historyTable, 0, sizeof ordering.historyTable);
    for (int p = 0; p < 12; ++p)
        for (int s = 0; s < 64; ++s) ordering.triedCount[p][s] = ordering.cutoffCount[p][s] = 1;
}

namespace {

// Ordinary captures score 6 * victim type - mover type + 5, read from two
// tables by piece code; en passant and promotions (PROMOTION bit) go apart.
struct CaptureScores {
    std::int8_t victim[256];
    std::int8_t mover[256];
};
constexpr CaptureScores captureScores = [] {
    CaptureScores t{};
    for (int i = 0; i < 12; ++i) {
        t.victim[pieceCodes[i]] = static_cast<std::int8_t>(6 * (i / 2) + 5);
        t.mover[pieceCodes[i]] = static_cast<std::int8_t>(i / 2);
    }
    return t;
}();

}  // namespace

int mvvLva(const Position& pos, Move m) {
    const int victim = pos.board[moveToSquare(m)];
    if (!(m & PROMOTION) && victim != EMPTY)
        return captureScores.victim[victim] - captureScores.mover[pos.board[moveFromSquare(m)]];
    if (moveKind(m) == EN_PASSANT) return 5;
    if (victim != EMPTY) return 6 * pieceType(victim) - pieceType(pos.board[moveFromSquare(m)]) + 5;
    return pieceType(promoPiece[movePromo(m)] | WHITE) - 5;
}

bool isGoodCapture(const Position& pos, Move m) {
    if (!(m & PROMOTION)) {
        if (pieceValue(pos.board[moveToSquare(m)]) >= pieceValue(pos.board[moveFromSquare(m)])) return true;
        return exchangeHolds(pos, m);
    }
    if (moveKind(m) == EN_PASSANT) return true;
    if (movePromo(m) != PROMO_QUEEN) return false;
    return pos.board[moveToSquare(m)] != EMPTY || exchangeHolds(pos, m);
}

int cutoffRatio(const OrderingTables& ordering, const Position& pos, Move m) {
    const int piece = moverIndex(pos, m), to = moveTo(m);
    return ordering.cutoffCount[piece][to] * 16384 / ordering.triedCount[piece][to];
}

namespace {

// orderScore with the node's preferred square given.
inline int orderScoreBeside(const OrderingTables& ordering, const Position& pos, Move m, int ply, Move hashMove,
                            int split) {
    if (m == hashMove) return HASH_MOVE_SCORE;
    if (isTactical(pos, m)) return mvvLva(pos, m) + (isGoodCapture(pos, m) ? GOOD_CAPTURE_BONUS : BAD_CAPTURE_PENALTY);
    if (m == ordering.killers[ply][0]) return KILLER1_SCORE;
    if (m == ordering.killers[ply][1]) return KILLER2_SCORE;
    if (preferredQuiet(pos, m, split)) return PREFERRED_QUIET_SCORE;
    return historyScore(ordering, pos, m);
}

}  // namespace

int orderScore(const OrderingTables& ordering, const Position& pos, Move m, int ply, Move hashMove) {
    return orderScoreBeside(ordering, pos, m, ply, hashMove, preferredSquare(pos));
}

void scoreMoves(const OrderingTables& ordering, const Position& pos, MoveList& list, int ply, Move hashMove) {
    if (list.count < 2) return;
    const int split = preferredSquare(pos);
    for (int i = 0; i < list.count; ++i)
        list.scores[i] =
            static_cast<std::int16_t>(orderScoreBeside(ordering, pos, list.moves[i], ply, hashMove, split));
}

void sortMoves(MoveList& list) {
    for (int i = 1; i < list.count; ++i) insertByScore(list, i, list.moves[i], list.scores[i]);
}

void copyMoveList(MoveList& destination, const MoveList& source) {
    destination.count = source.count;
    std::memcpy(destination.moves, source.moves, sizeof(Move) * source.count);
    std::memcpy(destination.scores, source.scores, sizeof(std::int16_t) * source.count);
}

namespace {

// The squares the king may step onto as far as the picker knows them: the
// squares the opponent does not attack when it has few pieces (the set is
// then worked out here if not yet known), else all.
SquareSet safeKingSquares(MovePicker& p) {
    if (p.kingTest == KING_TEST_UNDECIDED) {
        const Position& pos = *p.pos;
        if (pos.pieceCount[pos.side ^ 1] > FEW_ATTACKERS) {
            p.kingTest = KING_TEST_BY_SQUARE;
        } else {
            p.unsafe = attackedSquares(pos, pos.side ^ 1);
            p.kingTest = KING_TEST_BY_SET;
        }
    }
    return p.kingTest == KING_TEST_BY_SET ? ~p.unsafe : ~SquareSet{0};
}

// The evasion stages, out of line: the stage switch then keeps few registers.
[[gnu::noinline]] void enterEvasions(MovePicker& p) {
    generateEvasions(*p.pos, p.list, *p.checks, true, false);
    scoreMoves(*p.ordering, *p.pos, p.list, p.ply, p.hashMove);
    sortMoves(p.list);
}

[[gnu::noinline]] void enterQuiescenceEvasions(MovePicker& p) {
    generateEvasions(*p.pos, p.list, *p.checks, false, false);
    scoreQuiescenceEvasions(*p.pos, p.list);
    sortMoves(p.list);
}

// Generates and orders the list of the script's next stage, one before its
// end; a stage that has no moves gives way to the next one at once.
void enterNextStage(MovePicker& p) {
    Position& pos = *p.pos;
    p.cursor = 0;
    p.currentScore = PLAIN_MOVE_SCORE;  // only the plain quiets set their own
    do {
        p.stage = *p.script++;
        p.list.count = 0;
        switch (p.stage) {
            case STAGE_EVASIONS:
                enterEvasions(p);
                break;
            case STAGE_HASH:
                setSingle(p.list, p.hashMove);
                break;
            case STAGE_CAPTURES:
                generateCaptures(pos, p.list);
                p.badCaptures.count = 0;
                break;
            case STAGE_KILLERS:
                if (p.killer1) p.list.moves[p.list.count++] = p.killer1;
                if (p.killer2) p.list.moves[p.list.count++] = p.killer2;
                break;
            case STAGE_PREFERRED_QUIETS:
                generatePreferredQuiets(pos, p.list);
                sortByHistory(*p.ordering, pos, p.list);
                break;
            case STAGE_QUIETS:
                generateOtherQuiets(pos, p.list, safeKingSquares(p));
                if (pos.castling) generateCastling(pos, p.list);
                sortByHistory(*p.ordering, pos, p.list);
                break;
            case STAGE_BAD_CAPTURES:
                copyMoveList(p.list, p.badCaptures);
                break;
            case STAGE_Q_EVASIONS:
                enterQuiescenceEvasions(p);
                break;
            case STAGE_Q_CAPTURES:
                generateCaptures(pos, p.list);
                break;
            case STAGE_Q_CHECKS:
                generateQuietChecks(pos, p.list);
                if (pos.castling) generateCastlingChecks(pos, p.list);
                break;
            case STAGE_END:
                break;
        }
    } while (p.list.count == 0 && *p.script != STAGE_END);
}

// The men of the side to move pinned to its king: each stands alone between
// the king and an enemy slider that moves along their line.
SquareSet pinnedMen(const Position& pos) {
    const int c = pos.side, e = c ^ 1;
    const int k = numberOf(pos.kingSquare(c));
    SquareSet snipers = (pos.diagonalSquares(e) & diagonalLines(k)) | (pos.orthogonalSquares(e) & orthogonalLines(k));
    if (!snipers) return 0;
    const SquareSet all = pos.occupied[0] | pos.occupied[1];
    SquareSet pinned = 0;
    for (; snipers; snipers &= snipers - 1) {
        const int s = std::countr_zero(snipers);
        const int step = rayStep(squareOf[s] - squareOf[k]);
        if (!(pos.board[squareOf[s]] & stepMask(step))) continue;  // a rook on a diagonal, a bishop on a rank
        const int d = rayDirection(step);
        const SquareSet between = (rayTables.rays[d][k] ^ rayTables.rays[d][s] ^ squareBit(s)) & all;
        if (between && !(between & (between - 1)) && (between & pos.occupied[c])) pinned |= between;
    }
    return pinned;
}

// isLegal for the picker's node, with what holds for the whole node worked
// out at its first need. A king move is legal when its square is not
// attacked: against few pieces the picker finds all the attacked squares
// once (against more, one square costs less than all). A man on a line
// through its king stays on that line if it is pinned.
[[gnu::noinline]] bool legalKingMove(MovePicker& p, Move m) {
    Position& pos = *p.pos;
    if (p.kingTest == KING_TEST_UNDECIDED) {
        const int e = pos.side ^ 1;
        if (pos.pieceCount[e] > FEW_ATTACKERS) {
            p.kingTest = KING_TEST_BY_SQUARE;
        } else {
            p.unsafe = attackedSquares(pos, e);
            p.kingTest = KING_TEST_BY_SET;
            return !(p.unsafe & squareBit(moveTo(m)));
        }
    }
    return isLegalOnKingLine(pos, m);
}

[[gnu::noinline]] bool legalOnFirstPin(MovePicker& p, Move m, int line) {
    p.pinned = pinnedMen(*p.pos);
    p.pinnedKnown = true;
    return !(p.pinned & squareBit(moveFrom(m))) || rayStep(p.pos->kingSquare(p.pos->side) - moveToSquare(m)) == line;
}

inline bool legal(MovePicker& p, Move m) {
    const Position& pos = *p.pos;
    const Square from = moveFromSquare(m);
    if (pos.board[from] & KING) {
        if (p.kingTest == KING_TEST_BY_SET) return !(p.unsafe & squareBit(moveTo(m)));
        return legalKingMove(p, m);
    }
    if (moveKind(m) == EN_PASSANT) return isLegalOnKingLine(*p.pos, m);
    const Square k = pos.kingSquare(pos.side);
    const int line = rayStep(k - from);
    if (line == 0) return true;
    if (!p.pinnedKnown) return legalOnFirstPin(p, m, line);
    return !(p.pinned & squareBit(moveFrom(m))) || rayStep(k - moveToSquare(m)) == line;
}

// Whether the current stage hands out move m; lists hold pseudo-legal moves
// except the evasions of the main search.
bool accepts(MovePicker& p, Move m) {
    Position& pos = *p.pos;
    switch (p.stage) {
        case STAGE_EVASIONS:
            return true;
        case STAGE_HASH:
            return isValidHashMove(pos, m) && legal(p, m);
        case STAGE_CAPTURES:
            if (m == p.hashMove) return false;
            if (isGoodCapture(pos, m)) return legal(p, m);
            p.badCaptures.moves[p.badCaptures.count++] = m;
            return false;
        case STAGE_KILLERS:
            return m != p.hashMove && isValidKiller(pos, m) && legal(p, m);
        case STAGE_PREFERRED_QUIETS:
            return m != p.hashMove && legal(p, m);
        case STAGE_QUIETS:
            if (m == p.hashMove || m == p.killer1 || m == p.killer2 || !legal(p, m)) return false;
            p.currentScore = cutoffRatio(*p.ordering, pos, m);
            return true;
        case STAGE_BAD_CAPTURES:
        case STAGE_Q_EVASIONS:
            return legal(p, m);
        case STAGE_Q_CAPTURES:
            return isGoodCapture(pos, m) && legal(p, m);
        case STAGE_Q_CHECKS:
            return staticExchange(pos, m) >= 0 && legal(p, m);
        case STAGE_END:
            break;
    }
    return false;
}

void startPicker(Position& pos, const CheckInfo& checks, MovePicker& p, const Stage* script) {
    p.pos = &pos;
    p.checks = &checks;
    p.script = script;
    p.kingTest = KING_TEST_UNDECIDED;
    p.pinnedKnown = false;
    enterNextStage(p);
}

}  // namespace

void initMovePicker(const OrderingTables& ordering, Position& pos, int ply, const CheckInfo& checks, MovePicker& p,
                    Move hashMove) {
    p.ordering = &ordering;
    p.ply = ply;
    p.hashMove = hashMove;
    p.killer1 = ordering.killers[ply][0];
    p.killer2 = ordering.killers[ply][1];
    if (checks.count || !hashMove) {
        startPicker(pos, checks, p, checks.count ? MAIN_IN_CHECK_SCRIPT : MAIN_SCRIPT);
        return;
    }
    // The hash stage with its move, without the stage switch.
    static_assert(MAIN_SCRIPT[0] == STAGE_HASH);
    p.pos = &pos;
    p.checks = &checks;
    p.kingTest = KING_TEST_UNDECIDED;
    p.pinnedKnown = false;
    p.script = MAIN_SCRIPT + 1;
    p.stage = STAGE_HASH;
    p.cursor = 0;
    p.currentScore = PLAIN_MOVE_SCORE;
    p.list.count = 1;
    p.list.moves[0] = hashMove;
}

void initQuiescencePicker(Position& pos, const CheckInfo& checks, MovePicker& p, QuiescenceNode node) {
    p.ordering = nullptr;  // the quiescence stages order without history
    p.ply = 0;
    p.hashMove = p.killer1 = p.killer2 = 0;
    if (node == QuiescenceNode::InCheck) {
        startPicker(pos, checks, p, Q_IN_CHECK_SCRIPT);
        return;
    }
    // The captures, the first stage of both other scripts, without the stage switch.
    p.pos = &pos;
    p.checks = &checks;
    p.kingTest = KING_TEST_UNDECIDED;
    p.pinnedKnown = false;
    p.script = (node == QuiescenceNode::FirstPly ? Q_FIRST_PLY_SCRIPT : Q_DEEPER_SCRIPT) + 1;
    p.stage = STAGE_Q_CAPTURES;
    p.cursor = 0;
    p.currentScore = PLAIN_MOVE_SCORE;
    p.list.count = 0;
    generateCaptures(pos, p.list);
}

// One state machine for every kind of node: the moves of the current stage
// pass its filter; when they run out the script names the next stage.
Move nextMove(MovePicker& p) {
    for (;;) {
        while (p.cursor < p.list.count) {
            const Move m = p.list.moves[p.cursor++];
            if (accepts(p, m)) return m;
        }
        if (*p.script == STAGE_END) return 0;  // where the picker stays
        enterNextStage(p);
    }
}

void updateOnBestMove(OrderingTables& ordering, const Position& pos, Move m, int depth, int ply) {
    if (isTactical(pos, m)) return;
    Move* killers = ordering.killers[ply];
    if (killers[0] != m) {
        killers[1] = killers[0];
        killers[0] = m;
    }
    std::uint16_t& h = ordering.historyTable[moverIndex(pos, m)][moveTo(m)];
    h = static_cast<std::uint16_t>(h + depth * depth);
    if (h >= HALVING_THRESHOLD)
        for (auto& row : ordering.historyTable)
            for (auto& x : row) x = static_cast<std::uint16_t>((x + 1) / 2);
}

void recordCutoff(OrderingTables& ordering, const Position& pos, Move m) {
    if (isTactical(pos, m)) return;
    const int piece = moverIndex(pos, m), to = moveTo(m);
    ++ordering.triedCount[piece][to];
    ++ordering.cutoffCount[piece][to];
    if (ordering.triedCount[piece][to] >= HALVING_THRESHOLD) halveCounts(ordering, piece, to);
}

void recordTried(OrderingTables& ordering, const Position& pos, Move m) {
    if (isTactical(pos, m)) return;
    const int piece = moverIndex(pos, m), to = moveTo(m);
    ++ordering.triedCount[piece][to];
    if (ordering.triedCount[piece][to] >= HALVING_THRESHOLD) halveCounts(ordering, piece, to);
}

}  // namespace tallomir

#include "eval/pawns.hpp"

#include <bit>
#include <cstring>

#include "board/attacks.hpp"
#include "board/see.hpp"
#include "editions/edition.hpp"
#include "eval/cache.hpp"

namespace tallomir {

namespace {

// Static structure penalties and bonuses (the doubled-pawn ones vary by edition).
constexpr int ISOLATED_OPEN_MID = -20, ISOLATED_CLOSED_MID = -10, ISOLATED_END = -40;
constexpr int BACKWARD_OPEN_MID = -16, BACKWARD_CLOSED_MID = -8, BACKWARD_END = -10;
constexpr int CANDIDATE_MID_SCALE = 50, CANDIDATE_MID_FLAT = 5;
constexpr int CANDIDATE_END_SCALE = 100, CANDIDATE_END_FLAT = 10;
constexpr int PASSED_MID_SCALE = 60;

// A rank weight w (256ths) applied to a value v, rounded.
constexpr int weighted(int w, int v) { return (w * v + 128) / 256; }

constexpr std::uint8_t bitsFrom(int lo, int hi) {  // relative ranks lo..hi, clipped to 0..7
    int m = 0;
    for (int r = lo; r <= hi; ++r)
        if (r >= 0 && r <= 7) m |= 1 << r;
    return static_cast<std::uint8_t>(m);
}

// One pawn and the pawns around it, as bit sets of relative ranks (bit r for
// rank r seen from the pawn's side; the enemy's sets are turned the same way).
struct PawnView {
    int rank;                   // the pawn's relative rank 0..7
    int ownOnFile;              // own pawns on its file
    int ownLeft, ownRight;      // own pawns on the adjacent files
    int enemyOnFile;            // enemy pawns on its file
    int enemyLeft, enemyRight;  // enemy pawns on the adjacent files
};

bool isBackward(const PawnView& v) {
    const PawnMasks& pm = pawnMasks;
    const int neighbours = v.ownLeft | v.ownRight, enemyNeighbours = v.enemyLeft | v.enemyRight;
    const int onFile = v.ownOnFile | v.enemyOnFile;
    if (neighbours & pm.atOrBelow[v.rank]) return false;  // a neighbour level with it or behind can support it
    // Every neighbour stands ahead: the pawn may still catch up with one
    // standing just ahead (or two ahead from the second rank) when the squares
    // it must cross are neither blocked nor covered by enemy pawns.
    if (neighbours & pm.oneAbove[v.rank])
        return (enemyNeighbours & pm.twoAbove[v.rank]) || (onFile & pm.oneAbove[v.rank]);
    if (v.rank == 1 && (neighbours & pm.rank[3]))
        return (enemyNeighbours & pm.threeAbove[v.rank]) || (onFile & pm.twoAbove[v.rank]);
    return true;
}

// An open pawn that is not passed may become passed: its supporters are not
// outnumbered by the enemy pawns in its way, nor its defenders by its attackers.
bool isCandidate(const PawnView& v) {
    const PawnMasks& pm = pawnMasks;
    const std::uint8_t* pc = pm.popCount;
    const int supporters = pc[v.ownLeft & pm.atOrBelow[v.rank]] + pc[v.ownRight & pm.atOrBelow[v.rank]];
    const int sentries = pc[v.enemyLeft & pm.above[v.rank]] + pc[v.enemyRight & pm.above[v.rank]];
    const int defenders = pc[v.ownLeft & pm.rank[v.rank - 1]] + pc[v.ownRight & pm.rank[v.rank - 1]];
    const int attackers = pc[v.enemyLeft & pm.oneAbove[v.rank]] + pc[v.enemyRight & pm.oneAbove[v.rank]];
    return supporters - sentries >= 0 && defenders - attackers >= 0;
}

int lonePawnSquareOf(const Position& pos, int c, int files) {
    const PawnMasks& pm = pawnMasks;
    if (files == 0 || (files & (files - 1))) return 0;
    const int col = pm.lowestBit[files] + 4;
    const int own = pos.pawnFileMask[c][col];
    const std::uint8_t* enemy = pos.pawnFileMask[c ^ 1];
    const int rearmost = pm.lowestBit[own];
    if ((pm.reversed[enemy[col - 1]] | pm.reversed[enemy[col + 1]]) & pm.above[rearmost]) return 0;
    return (pm.highestBit[own] + 4) * 16 + col;
}

// Square rule for a pawn of colour c on its relative rank 3 or higher (so
// without its double step): no own man in front of it on its file, and the
// enemy king too far from the promotion square to catch it.
template <int c>
[[gnu::always_inline]] inline bool unstoppable(const Position& pos, Square sq, int rank, Square promo) {
    const int n = numberOf(sq), row = n & ~7;
    const SquareSet file = A_FILE << (n & 7);
    const SquareSet ahead = c == 0 ? file & (~SquareSet{0} << (row + 8)) : file & ((SquareSet{1} << row) - 1);
    if (pos.occupied[c] & ahead) return false;
    const int d = 7 - rank + (pos.side != c ? 1 : 0);
    return distanceBetween(pos.kingSquare(c ^ 1), promo) > d;
}

// Whether a man of colour c could ever take on t once its pawn has pushed
// there from `from`: a pawn, knight or king beside t, or a slider on a line
// through t with no other own man between (the enemy's men between may be
// used up in the exchange). Where none can, the enemy's capture of the pawn
// stands and the exchange is lost.
bool mayRetake(const Position& pos, int c, Square from, Square t) {
    const int n = numberOf(t);
    const SquareSet* men = pos.typeSquares[c];
    if ((pawnAttackers[c][n] & men[PAWN_TYPE]) | (rayTables.knightJumps[n] & men[KNIGHT_TYPE]) |
        (rayTables.kingSteps[n] & men[KING_TYPE]))
        return true;
    const SquareSet own = pos.occupied[c] ^ squareBit(numberOf(from));
    const SquareSet diagonal = men[BISHOP_TYPE] | men[QUEEN_TYPE], orthogonal = men[ROOK_TYPE] | men[QUEEN_TYPE];
    return (diagonalAttacksFor(own, diagonal, n) & diagonal) || (orthogonalAttacksFor(own, orthogonal, n) & orthogonal);
}

PawnEntry& slotOf(PawnEntry* table, const Position& pos) { return table[keyLow(pos.pawnKey) & (PAWN_TABLE_SIZE - 1)]; }

}  // namespace

namespace {

constexpr PawnMasks makePawnMasks() {
    PawnMasks pm{};
    for (int r = 0; r < 8; ++r) {
        pm.rank[r] = bitsFrom(r, r);
        pm.below[r] = bitsFrom(0, r - 1);
        pm.atOrBelow[r] = bitsFrom(0, r);
        pm.above[r] = bitsFrom(r + 1, 7);
        pm.oneAbove[r] = bitsFrom(r + 1, r + 1);
        pm.twoAbove[r] = bitsFrom(r + 1, r + 2);
        pm.threeAbove[r] = bitsFrom(r + 1, r + 3);
    }
    for (int m = 0; m < 256; ++m) {
        int lo = 7, hi = 0, n = 0, rev = 0;
        for (int k = 7; k >= 0; --k)
            if (m & (1 << k)) lo = k;
        for (int k = 0; k < 8; ++k) {
            if (m & (1 << k)) {
                hi = k;
                ++n;
                rev |= 1 << (7 - k);
            }
        }
        pm.lowestBit[m] = static_cast<std::uint8_t>(lo);
        pm.highestBit[m] = static_cast<std::uint8_t>(hi);
        pm.popCount[m] = static_cast<std::uint8_t>(n);
        pm.reversed[m] = static_cast<std::uint8_t>(rev);
    }
    return pm;
}

}  // namespace

extern constexpr PawnMasks pawnMasks = makePawnMasks();

namespace {

constexpr SquareSet DARK_SQUARES = 0xAA55AA55AA55AA55ULL;  // a1 and the squares of its colour
constexpr SquareSet SECOND_RANK = 0x000000000000FF00ULL;

// Bit f for every file f that holds a man of the set.
inline int filesOf(SquareSet set) {
    set |= set >> 32;
    set |= set >> 16;
    set |= set >> 8;
    return static_cast<int>(set & 0xFF);
}
// Every square of the files in the 8-bit set.
inline SquareSet filesSet(int files) { return static_cast<SquareSet>(files) * A_FILE; }
// The squares of the set and every square above (below) them on their files.
inline SquareSet fillUp(SquareSet set) {
    set |= set << 8;
    set |= set << 16;
    return set | set << 32;
}
inline SquareSet fillDown(SquareSet set) {
    set |= set >> 8;
    set |= set >> 16;
    return set | set >> 32;
}
// The squares beside those of the set, on the same rank.
inline SquareSet besides(SquareSet set) { return ((set << 1) & ~A_FILE) | ((set >> 1) & ~H_FILE); }
// Few squares are ever counted here: the loop beats the portable count.
inline int countOf(SquareSet set) {
    int n = 0;
    for (; set; set &= set - 1) ++n;
    return n;
}

// One side's structure terms. `own` and `enemy` are the pawns seen from the
// side, its pawns moving up the board (Black's turned over), so a square's
// rank is the relative rank.
void scoreSide(const Position& pos, int c, SquareSet own, SquareSet enemy, PawnEntry& out, int& mid, int& end) {
    const PawnMasks& pm = pawnMasks;
    const int files = filesOf(own);
    const SquareSet isolated = own & filesSet(files & ~((files << 1) | (files >> 1)));
    const SquareSet doubled = own & fillUp(own << 8);  // an own pawn behind on the file
    // Open: no pawn in front on the file. Passed: open, and no enemy pawn ahead
    // on the files beside it either (scored at every evaluation).
    const SquareSet open = own & ~fillDown((own | enemy) >> 8);
    const SquareSet passed = open & ~fillDown(besides(enemy >> 8));
    // A neighbour level with the pawn or behind it can support it: not backward.
    const SquareSet unsupported = own & ~isolated & ~fillUp(besides(own));

    out.passedFiles[c] = static_cast<std::uint8_t>(filesOf(passed));
    out.secondRankPawns[c] = (own & SECOND_RANK) != 0;
    const int nDoubled = countOf(doubled), nIsolated = countOf(isolated), nIsolatedOpen = countOf(isolated & open);
    mid += nDoubled * EDITION.doubledMid + nIsolatedOpen * ISOLATED_OPEN_MID +
           (nIsolated - nIsolatedOpen) * ISOLATED_CLOSED_MID;
    end += nDoubled * EDITION.doubledEnd + nIsolated * ISOLATED_END;

    // Backward and candidate pawns are judged one by one on their rank masks.
    const std::uint8_t* ownMask = pos.pawnFileMask[c];
    const std::uint8_t* enemyMask = pos.pawnFileMask[c ^ 1];
    auto viewOf = [&](int n) {
        const int col = (n & 7) + 4;
        PawnView v;
        v.rank = n >> 3;
        v.ownOnFile = ownMask[col];
        v.ownLeft = ownMask[col - 1];
        v.ownRight = ownMask[col + 1];
        v.enemyOnFile = pm.reversed[enemyMask[col]];
        v.enemyLeft = pm.reversed[enemyMask[col - 1]];
        v.enemyRight = pm.reversed[enemyMask[col + 1]];
        return v;
    };
    for (SquareSet set = unsupported; set; set &= set - 1) {
        const int n = std::countr_zero(set);
        if (!isBackward(viewOf(n))) continue;
        mid += (open >> n) & 1 ? BACKWARD_OPEN_MID : BACKWARD_CLOSED_MID;
        end += BACKWARD_END;
    }
    // A candidate has a supporter to set against the enemy pawn in its way.
    for (SquareSet set = open & ~passed & ~isolated & ~unsupported; set; set &= set - 1) {
        const int n = std::countr_zero(set);
        if (!isCandidate(viewOf(n))) continue;
        const int w = passedRankWeight[n >> 3];
        mid += weighted(w, CANDIDATE_MID_SCALE) + CANDIDATE_MID_FLAT;
        end += weighted(w, CANDIDATE_END_SCALE) + CANDIDATE_END_FLAT;
    }
    out.lonePawnSquare[c] = static_cast<std::uint8_t>(lonePawnSquareOf(pos, c, files));
}

}  // namespace

void computePawns(const Position& pos, PawnEntry& out) {
    std::memset(&out, 0, sizeof out);
    const SquareSet white = pos.typeSquares[0][PAWN_TYPE], black = pos.typeSquares[1][PAWN_TYPE];
    out.darkPawns[0] = static_cast<std::uint8_t>(countOf(white & DARK_SQUARES));
    out.darkPawns[1] = static_cast<std::uint8_t>(countOf(black & DARK_SQUARES));
    int mid[2] = {0, 0}, end[2] = {0, 0};
    scoreSide(pos, 0, white, black, out, mid[0], end[0]);
    scoreSide(pos, 1, __builtin_bswap64(black), __builtin_bswap64(white), out, mid[1], end[1]);
    out.mid = static_cast<std::int16_t>(mid[0] - mid[1]);
    out.end = static_cast<std::int16_t>(end[0] - end[1]);
}

bool pawnEntryCached(PawnEntry* table, const Position& pos) {
    return slotOf(table, pos).checkKey == keyHigh(pos.pawnKey);
}

void probePawns(PawnEntry* table, const Position& pos, PawnEntry& out) {
    probeCacheTable(slotOf(table, pos), keyHigh(pos.pawnKey), out,
                    [&pos](PawnEntry& entry) { computePawns(pos, entry); });
}

namespace {

// The enemy men that may take on t (see pushUncontested); with the king alone
// only its steps and the pawns count.
[[gnu::always_inline]] inline bool uncontested(const Position& pos, int c, Square from, Square t, bool kingOnly) {
    const int e = c ^ 1, n = numberOf(t);
    const SquareSet* men = pos.typeSquares[e];
    if ((pawnAttackers[e][n] & men[PAWN_TYPE]) | (rayTables.kingSteps[n] & men[KING_TYPE])) return false;
    if (kingOnly) return true;
    if (rayTables.knightJumps[n] & men[KNIGHT_TYPE]) return false;
    // Without the pawn on `from` the file through t reaches a rook or queen
    // behind it; the other lines through t do not pass `from`.
    const SquareSet all = (pos.occupied[0] | pos.occupied[1]) ^ squareBit(numberOf(from));
    const SquareSet diagonal = men[BISHOP_TYPE] | men[QUEEN_TYPE], orthogonal = men[ROOK_TYPE] | men[QUEEN_TYPE];
    return !(diagonalAttacksFor(all, diagonal, n) & diagonal) &&
           !(orthogonalAttacksFor(all, orthogonal, n) & orthogonal);
}

// The passed pawn's middlegame term by relative rank.
struct PassedMidTable {
    int bonus[8];
};
constexpr PassedMidTable makePassedMidTable() {
    PassedMidTable t{};
    for (int r = 0; r < 8; ++r) t.bonus[r] = weighted(passedRankWeight[r], PASSED_MID_SCALE) + EDITION.passedMidFlat;
    return t;
}
constexpr PassedMidTable passedMid = makePassedMidTable();

// The passed pawns of colour c on the files of the set, in c's own view.
template <int c>
[[gnu::always_inline]] inline void scorePassed(const Position& pos, int files, int& mid, int& end) {
    constexpr int e = c ^ 1;
    const PawnMasks& pm = pawnMasks;
    const Square ownKing = pos.kingSquare(c), enemyKing = pos.kingSquare(e);
    const bool kingOnly = pos.pieceCount[e] <= 1;
    for (; files; files &= files - 1) {
        const int col = pm.lowestBit[files] + 4;
        const int rho = pm.highestBit[pos.pawnFileMask[c][col]];
        const int w = passedRankWeight[rho];

        mid += passedMid.bonus[rho];
        end += EDITION.passedEndFlat;
        // On the first three ranks the weight is 0 and the base cannot show.
        if (w == 0) continue;
        const Square sq = makeSquare(col - 4, c == 0 ? rho : 7 - rho);
        const Square stop = sq + pawnPush[c];
        const Square promo = makeSquare(col - 4, c == 0 ? 7 : 0);
        int base = EDITION.passedBase;
        bool runs = false;
        if (kingOnly) {
            // Only the enemy king can stop it: a pawn outside its square, or
            // one escorted by its own king (unless that king stands on the
            // pawn's own file and it is a rook file).
            const bool escorted = distanceBetween(ownKing, promo) <= 1 && distanceBetween(ownKing, sq) <= 1 &&
                                  !((ownKing & 15) == col && (col == 4 || col == 11));
            if (escorted || unstoppable<c>(pos, sq, rho, promo)) {
                base = EDITION.passedUnstoppable;
                runs = true;
            }
        }
        if (!runs && pos.board[stop] == EMPTY &&
            (uncontested(pos, c, sq, stop, kingOnly) ||
             (mayRetake(pos, c, sq, stop) && exchangeHolds(pos, encodeMove(numberOf(sq), numberOf(stop))))))
            base = EDITION.passedSafePush;
        base += EDITION.passedEnemyKingWeight * distanceBetween(stop, enemyKing) -
                EDITION.passedOwnKingWeight * distanceBetween(stop, ownKing);
        // Both factors are positive here: the rounding is a shift.
        if (base > 0) end += (w * base + 128) >> 8;
    }
}

}  // namespace

bool pushUncontested(const Position& pos, int c, Square from, Square t) { return uncontested(pos, c, from, t, false); }

void evalPassedPawns(const Position& pos, const PawnEntry& pawns, int& mid, int& end) {
    int mw = 0, ew = 0, mb = 0, eb = 0;
    if (pawns.passedFiles[0]) scorePassed<0>(pos, pawns.passedFiles[0], mw, ew);
    if (pawns.passedFiles[1]) scorePassed<1>(pos, pawns.passedFiles[1], mb, eb);
    mid += mw - mb;
    end += ew - eb;
}

}  // namespace tallomir

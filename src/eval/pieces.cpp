#include "eval/pieces.hpp"

#include <bit>
#include <cstdlib>

#include "editions/edition.hpp"
#include "eval/mobility.hpp"
#include "platform/platform.hpp"

namespace tallomir {

namespace {

// Mobility is counted around a typical number of moves for each piece type.
constexpr int KNIGHT_MOBILITY_BASE = 4, KNIGHT_MOBILITY_WEIGHT = 4;
constexpr int BISHOP_MOBILITY_BASE = 6, BISHOP_MOBILITY_MID = 5;
constexpr int ROOK_MOBILITY_BASE = 7, ROOK_MOBILITY_MID = 2, ROOK_MOBILITY_END = 4, ROOK_FLAT = -10;
constexpr int QUEEN_MOBILITY_BASE = 13, QUEEN_MOBILITY_END = 2;
constexpr int ROOK_HALF_OPEN = 10, ROOK_OPEN = 10;
constexpr int ROOK_NEAR_KING_FILE = 10, ROOK_ON_KING_FILE = 10;

// A bishop likes its own pawns on the other colour: indexed by the number of
// own pawns on the bishop's colour.
constexpr int bishopPawnMid[9] = {9, 6, 3, 0, -3, -6, -9, -12, -15};
constexpr int bishopPawnEnd[9] = {12, 8, 4, 0, -4, -8, -12, -16, -20};

constexpr Square named(const char* name) { return makeSquare(name[0] - 'a', name[1] - '1'); }

}  // namespace

namespace {

// Knight outposts by colour and SquareNumber, counted once per defending pawn.
struct OutpostTable {
    std::int32_t bonus[2][64];
};

constexpr OutpostTable makeOutpostTable() {
    constexpr int centre[8] = {0, 2, 5, 10, 10, 5, 2, 0};
    constexpr int deep[8] = {0, 0, 4, 5, 5, 4, 0, 0};
    OutpostTable t{};
    for (int f = 0; f < 8; ++f) {
        // White's fourth, fifth and sixth ranks (3, 4, 5); Black's mirrored.
        t.bonus[0][3 * 8 + f] = t.bonus[0][4 * 8 + f] = centre[f];
        t.bonus[0][5 * 8 + f] = deep[f];
        t.bonus[1][4 * 8 + f] = t.bonus[1][3 * 8 + f] = centre[f];
        t.bonus[1][2 * 8 + f] = deep[f];
    }
    return t;
}

constexpr OutpostTable outpostTable = makeOutpostTable();

}  // namespace

// The wing patterns, for positions with a bishop on one of their squares:
// bishops that took a wing pawn and are cut off by a pawn that closes the
// diagonal. A row whose two alternatives both hold counts once.
int trappedBishops(const Position& pos) {
    const std::uint8_t* b = pos.board;
    auto at = [b](const char* name, int code) { return b[named(name)] == code; };
    const int large = EDITION.trappedBishopLarge, small = EDITION.trappedBishopSmall;
    int trapped = 0;
    if ((at("a7", W_BISHOP) && at("b6", B_PAWN)) || (at("b8", W_BISHOP) && at("c7", B_PAWN))) trapped -= large;
    if ((at("h7", W_BISHOP) && at("g6", B_PAWN)) || (at("g8", W_BISHOP) && at("f7", B_PAWN))) trapped -= large;
    if (at("a6", W_BISHOP) && at("b5", B_PAWN)) trapped -= small;
    if (at("h6", W_BISHOP) && at("g5", B_PAWN)) trapped -= small;
    if ((at("a2", B_BISHOP) && at("b3", W_PAWN)) || (at("b1", B_BISHOP) && at("c2", W_PAWN))) trapped += large;
    if ((at("h2", B_BISHOP) && at("g3", W_PAWN)) || (at("g1", B_BISHOP) && at("f2", W_PAWN))) trapped += large;
    if (at("a3", B_BISHOP) && at("b4", W_PAWN)) trapped += small;
    if (at("h3", B_BISHOP) && at("g4", W_PAWN)) trapped += small;
    return trapped;
}

namespace {

// The dark squares (a1 is one) as a square set.
constexpr SquareSet DARK_SQUARES = 0xAA55AA55AA55AA55ULL;

// Own pawns that defend a knight's outpost square, by colour and SquareNumber:
// the squares diagonally behind it.
struct OutpostDefenders {
    SquareSet of[2][64];
};

constexpr OutpostDefenders makeOutpostDefenders() {
    OutpostDefenders t{};
    for (int n = 0; n < 64; ++n) {
        const int f = n & 7, r = n >> 3;
        for (int df = -1; df <= 1; df += 2) {
            if (f + df < 0 || f + df > 7) continue;
            if (r > 0) t.of[0][n] |= squareBit(n - 8 + df);
            if (r < 7) t.of[1][n] |= squareBit(n + 8 + df);
        }
    }
    return t;
}

constexpr OutpostDefenders outpostDefenders = makeOutpostDefenders();

// One side's piece terms; each piece's terms are independent of the others,
// so the pieces are taken type by type from the square sets rather than in
// piece-list order, and a type's terms that depend only on the square's
// colour (the bishops' pawn terms) are counted over the whole set.
template <int C, class Count>
[[gnu::always_inline]] inline void scoreSide(const Position& pos, const MaterialEntry& material, const PawnEntry& pawns,
                                             const Occupancy& occ, int& mc, int& ec) {
    constexpr int enemy = C ^ 1;
    const Square enemyKing = pos.kingSquare(enemy);
    const SquareSet* types = pos.typeSquares[C];
    for (SquareSet set = types[KNIGHT_TYPE]; set; set &= set - 1) {
        const int n = std::countr_zero(set);
        // Outposts lie in the middle of the board only (elsewhere the bonus is 0).
        const int v = KNIGHT_MOBILITY_WEIGHT * (knightMobility<Count>(occ, C, n) - KNIGHT_MOBILITY_BASE) +
                      outpostTable.bonus[C][n] * Count::of(outpostDefenders.of[C][n] & types[PAWN_TYPE]);
        mc += v;
        ec += v;
    }
    if (const SquareSet bishops = types[BISHOP_TYPE]) {
        for (SquareSet set = bishops; set; set &= set - 1) {
            const int E = diagonalMobility<Count>(occ, C, std::countr_zero(set)) - BISHOP_MOBILITY_BASE;
            mc += BISHOP_MOBILITY_MID * E;
            ec += EDITION.bishopMobilityEnd * E;
        }
        // Each bishop against the own pawns on its colour.
        const int dark = pawns.darkPawns[C], light = pos.pieceIndexCount[C] - dark;
        const int onDark = Count::of(bishops & DARK_SQUARES), onLight = Count::of(bishops & ~DARK_SQUARES);
        mc += onDark * bishopPawnMid[dark] - onLight * bishopPawnMid[light];
        ec += onDark * bishopPawnEnd[dark] - onLight * bishopPawnEnd[light];
    }
    if (const SquareSet rooks = types[ROOK_TYPE]) {
        const bool facesQueen = material.sideFlags[enemy] & FACES_QUEEN;
        const int kingFile = fileOf(enemyKing);
        for (SquareSet set = rooks; set; set &= set - 1) {
            const int n = std::countr_zero(set);
            const int D = orthogonalMobility<Count>(occ, C, n) - ROOK_MOBILITY_BASE;
            mc += ROOK_MOBILITY_MID * D + ROOK_FLAT;
            ec += ROOK_MOBILITY_END * D + ROOK_FLAT;
            const int file = n & 7;
            if (pos.pawnFileMask[C][file + 4] == 0) {
                mc += ROOK_HALF_OPEN;
                ec += ROOK_HALF_OPEN;
                if (pos.pawnFileMask[enemy][file + 4] == 0) {
                    mc += ROOK_OPEN;
                    ec += ROOK_OPEN;
                }
                if (facesQueen) {
                    const int v = std::abs(file - kingFile);
                    if (v <= 1) mc += ROOK_NEAR_KING_FILE;
                    if (v == 0) mc += ROOK_ON_KING_FILE;
                }
            }
        }
    }
    for (SquareSet set = types[QUEEN_TYPE]; set; set &= set - 1) {
        const int X = queenMobility<Count>(occ, C, std::countr_zero(set)) - QUEEN_MOBILITY_BASE;
        mc += X;
        ec += QUEEN_MOBILITY_END * X;
    }
    // Rooks and queens on the seventh: against pawns still at home, or a king cut off on the eighth.
    constexpr SquareSet seventh = SEVENTH_RANK[C];
    const SquareSet rooks = types[ROOK_TYPE] & seventh, queens = types[QUEEN_TYPE] & seventh;
    if ((rooks | queens) && ((pawns.secondRankPawns[enemy] & 1) || relativeRank(enemyKing, C) == 7)) {
        const int r = Count::of(rooks), q = Count::of(queens);
        mc += r * EDITION.rookSeventhMid + q * EDITION.queenSeventhMid;
        ec += r * EDITION.rookSeventhEnd + q * EDITION.queenSeventhEnd;
    }
}

template <class Count>
[[gnu::always_inline]] inline void scorePieces(const Position& pos, const MaterialEntry& material,
                                               const PawnEntry& pawns, int& mid, int& end) {
    const Occupancy occ = occupancyOf(pos);
    int mw = 0, ew = 0, mb = 0, eb = 0;
    if (pos.pieceCount[0] != 1) scoreSide<0, Count>(pos, material, pawns, occ, mw, ew);  // else the king alone
    if (pos.pieceCount[1] != 1) scoreSide<1, Count>(pos, material, pawns, occ, mb, eb);
    mid += mw - mb;
    end += ew - eb;
}

TALLOMIR_POPCOUNT_TARGET void scorePiecesCounting(const Position& pos, const MaterialEntry& material,
                                                  const PawnEntry& pawns, int& mid, int& end) {
    scorePieces<ProcessorCount>(pos, material, pawns, mid, end);
}

const bool processorCounts = platform::hasPopcount();

}  // namespace

void evalPiecesCounted(bool processorCount, const Position& pos, const MaterialEntry& material, const PawnEntry& pawns,
                       int& mid, int& end) {
    if (processorCount)
        scorePiecesCounting(pos, material, pawns, mid, end);
    else
        scorePieces<PortableCount>(pos, material, pawns, mid, end);
}

void evalPieces(const Position& pos, const MaterialEntry& material, const PawnEntry& pawns, int& mid, int& end) {
    evalPiecesCounted(processorCounts, pos, material, pawns, mid, end);
}

}  // namespace tallomir

// Piece terms: mobility, outposts, bishops and their pawns, rooks on files and
// the seventh rank, and the trapped-piece patterns.
#include <gtest/gtest.h>

#include "eval/eval_helpers.hpp"
#include "eval/material.hpp"
#include "eval/mobility.hpp"
#include "eval/pawns.hpp"
#include "eval/pieces.hpp"
#include "platform/platform.hpp"
#include "support.hpp"

namespace tallomir::test {
namespace {

// evalPieces alone: {mid, end}.
std::pair<int, int> piecesOf(const char* fen) {
    Position pos = loadFen(fen);
    MaterialEntry m;
    PawnEntry p;
    computeMaterial(pos, m);
    computePawns(pos, p);
    int mid = 0, end = 0;
    evalPieces(pos, m, p, mid, end);
    return {mid, end};
}

std::pair<int, int> trappedOf(const char* fen) {
    Position pos = loadFen(fen);
    int mid = 0, end = 0;
    evalTrappedPieces(pos, mid, end);
    return {mid, end};
}

// Mobility by the mailbox walk: along each ray the empty squares, then the
// first man if it is an enemy; for a knight the empty or enemy jump squares.
int walkMobility(const Position& pos, Square sq, int c) {
    const auto enterable = [c](int code) { return code == EMPTY || (code & colourBits(c ^ 1)) ? 1 : 0; };
    static constexpr int knight[8] = {-33, -31, -18, -14, 14, 18, 31, 33};
    static constexpr int rays[8] = {-17, -15, 15, 17, -16, -1, 1, 16};
    const int code = pos.board[sq] & ~COLOUR_BITS;
    int n = 0;
    if (code == KNIGHT) {
        for (int j : knight) n += enterable(pos.board[sq + j]);
        return n;
    }
    for (int i = 0; i < 8; ++i) {
        if (!(code & (i < 4 ? DIAGONAL : ORTHOGONAL))) continue;
        Square s = sq + rays[i];
        for (; pos.board[s] == EMPTY; s += rays[i]) ++n;
        n += enterable(pos.board[s]);
    }
    return n;
}

TEST(EvalPieces, MobilityCountsWhatTheRayWalkCounts) {
    for (const std::string& fen : samplePositions()) {
        Position pos = loadFen(fen);
        const Occupancy occ = occupancyOf(pos);
        for (int c = 0; c < 2; ++c) {
            for (const std::uint8_t* p = pos.pieceList[c] + 1; *p; ++p) {
                const int code = pos.board[*p] & ~COLOUR_BITS, n = numberOf(*p);
                const int fast = code == KNIGHT       ? knightMobility(occ, c, n)
                                 : code == DIAGONAL   ? diagonalMobility(occ, c, n)
                                 : code == ORTHOGONAL ? orthogonalMobility(occ, c, n)
                                                      : queenMobility(occ, c, n);
                EXPECT_EQ(fast, walkMobility(pos, *p, c)) << fen << " square " << *p;
            }
        }
    }
}

// With and without the processor's counting instruction the scores agree.
TEST(EvalPieces, BothCountingPathsScoreAlike) {
    std::uint64_t x = 0x9E3779B97F4A7C15ULL;
    for (int i = 0; i < 1000; ++i, x = x * 6364136223846793005ULL + 1442695040888963407ULL)
        ASSERT_EQ(PortableCount::of(x & (x >> 17)), ProcessorCount::of(x & (x >> 17)));
    if (!platform::hasPopcount()) GTEST_SKIP() << "no counting instruction on this processor";
    for (const std::string& fen : samplePositions()) {
        Position pos = loadFen(fen);
        MaterialEntry m;
        PawnEntry p;
        computeMaterial(pos, m);
        computePawns(pos, p);
        int scores[2][2] = {};
        for (int path = 0; path < 2; ++path) evalPiecesCounted(path == 1, pos, m, p, scores[path][0], scores[path][1]);
        EXPECT_EQ(scores[1][0], scores[0][0]) << fen;
        EXPECT_EQ(scores[1][1], scores[0][1]) << fen;
        EXPECT_EQ(piecesOf(fen.c_str()), std::make_pair(scores[0][0], scores[0][1])) << fen;
    }
}

TEST(EvalPieces, SinglePieceTerms) {
    const int bishopEnd = EDITION.bishopMobilityEnd;
    const struct {
        const char* fen;
        int mid, end;
    } cases[] = {
        {"7k/8/8/8/8/8/8/N6K w - - 0 1", -8, -8},  // knight in the corner: two squares
        // e5 with eight free jumps, defended from d4 and f4: twice the outpost 10.
        {"4k3/8/8/4N3/3P1P2/8/8/4K3 w - - 0 1", 16 + 20, 16 + 20},
        {"4k3/8/8/4N3/3P4/8/8/4K3 w - - 0 1", 16 + 10, 16 + 10},
        {"7k/8/3N4/2P1P3/8/8/8/4K3 w - - 0 1", 16 + 10, 16 + 10},  // d6: 5 per defender
        // Shut in by own men: a1 bishop behind b2 (one own pawn on its dark colour) ...
        {"7k/8/8/8/8/8/1P6/B6K w - - 0 1", 5 * -6 + 6, bishopEnd * -6 + 8},
        // ... rook between a2 and its king, queen behind a2, b2 and its king.
        {"7k/8/8/8/8/8/P7/RK6 w - - 0 1", 2 * -7 - 10, 4 * -7 - 10},
        {"7k/8/8/8/8/8/PP6/QK6 w - - 0 1", -13, -26},
        // A light bishop subtracts its term: two own pawns on light squares ...
        {"7k/8/8/8/8/8/P1P5/1B5K w - - 0 1", 5 * -6 - 3, bishopEnd * -6 - 4},
        // ... or none (and seven free squares, E = 1).
        {"7k/8/8/8/8/8/8/1B5K w - - 0 1", 5 - 9, bishopEnd - 12},
        // Rook on a1 with the king on h1: open file (+20), enemy pawn only
        // (+10, and one square fewer), own pawn (nothing).
        {"7k/8/8/8/8/8/8/R6K w - - 0 1", 2 * 6 - 10 + 20, 4 * 6 - 10 + 20},
        {"7k/p7/8/8/8/8/8/R6K w - - 0 1", 2 * 5 - 10 + 10, 4 * 5 - 10 + 10},
        {"7k/8/8/8/8/8/P7/R6K w - - 0 1", 2 * -1 - 10, 4 * -1 - 10},
    };
    for (const auto& c : cases) EXPECT_EQ(piecesOf(c.fen), std::make_pair(c.mid, c.end)) << c.fen;
}

TEST(EvalPieces, RookNearTheKingFileOnlyWithQueenAndAnotherPiece) {
    // The rook's own mobility is the same with the king on a8, b8 or c8.
    const int c8 = piecesOf("2k5/8/8/8/8/8/8/R2QK3 b - - 0 1").first;
    EXPECT_EQ(piecesOf("k7/8/8/8/8/8/8/R2QK3 b - - 0 1").first - c8, 20);
    EXPECT_EQ(piecesOf("1k6/8/8/8/8/8/8/R2QK3 b - - 0 1").first - c8, 10);
    EXPECT_EQ(piecesOf("k7/8/8/8/8/8/8/R2NK3 b - - 0 1"), piecesOf("2k5/8/8/8/8/8/8/R2NK3 b - - 0 1"));
}

TEST(EvalPieces, RookAndQueenOnTheSeventh) {
    // Against a pawn on its second rank or a king on the eighth; the a6 pawn
    // leaves the rook's and queen's mobility unchanged.
    const auto rook = piecesOf("8/pR6/5k2/8/8/8/8/4K3 w - - 0 1"),
               rookOff = piecesOf("8/1R6/p4k2/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(rook.first - rookOff.first, EDITION.rookSeventhMid);
    EXPECT_EQ(rook.second - rookOff.second, EDITION.rookSeventhEnd);
    EXPECT_EQ(piecesOf("5k2/1R6/p7/8/8/8/8/4K3 w - - 0 1"), rook);
    const auto queen = piecesOf("8/pQ6/5k2/8/8/8/8/4K3 w - - 0 1"),
               queenOff = piecesOf("8/1Q6/p4k2/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(queen.first - queenOff.first, EDITION.queenSeventhMid);
    EXPECT_EQ(queen.second - queenOff.second, EDITION.queenSeventhEnd);
}

TEST(EvalTrappedPieces, Patterns) {
    const int large = EDITION.trappedBishopLarge, small = EDITION.trappedBishopSmall;
    const struct {
        const char* fen;
        int mid, end;
    } cases[] = {
        {"4k3/B7/1p6/8/8/8/8/4K3 w - - 0 1", -large, -large},      // even though a7 could take b6
        {"1B2k3/B1p5/1p6/8/8/8/8/4K3 w - - 0 1", -large, -large},  // both alternatives: counted once
        {"4k3/8/8/8/8/6P1/7b/4K3 w - - 0 1", large, large},
        {"4k3/8/B7/1p6/8/8/8/4K3 w - - 0 1", -small, -small},
        {"4k3/8/8/8/6P1/7b/8/4K3 w - - 0 1", small, small},
        {"4k3/8/8/8/8/3N4/3P4/2B1K3 w - - 0 1", -50, 0},  // bishop behind a blocked d2
        {"4k3/8/8/8/8/8/3P4/2B1K3 w - - 0 1", 0, 0},
        {"5bk1/4p3/4P3/8/8/8/8/4K3 w - - 0 1", 50, 0},
        {"4k3/8/8/8/8/8/8/5KR1 w - - 0 1", -50, 0},  // rook shut in by the king
        {"4k3/8/8/8/8/8/R7/R1K5 w - - 0 1", -50, 0},
        {"r1k5/8/8/8/8/8/8/4K3 w - - 0 1", 50, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(trappedOf(c.fen), std::make_pair(c.mid, c.end)) << c.fen;
}

}  // namespace
}  // namespace tallomir::test

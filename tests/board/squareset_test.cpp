// The square-set attack tables against the plain walk over the mailbox board.
#include <gtest/gtest.h>

#include "board/attacks.hpp"
#include "board/position.hpp"
#include "board/squareset.hpp"

namespace tallomir {
namespace {

constexpr int mailboxStep[8] = {1, 15, 16, 17, -1, -15, -16, -17};  // in ray-direction order

// Squares reached from n along direction d, up to and including the first square in `occupied`.
SquareSet walkRay(SquareSet occupied, int d, int n) {
    SquareSet reached = 0;
    for (Square s = squareOf[n] + mailboxStep[d]; onBoard(s); s += mailboxStep[d]) {
        reached |= squareBit(numberOf(s));
        if (occupied & squareBit(numberOf(s))) break;
    }
    return reached;
}

SquareSet nextRandom(std::uint64_t& x) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
}

TEST(SquareSets, LineAndRayAttacksMatchTheWalk) {
    std::uint64_t seed = 0x9E3779B97F4A7C15ULL;
    for (int trial = 0; trial < 3000; ++trial) {
        // Sparse and dense boards alike.
        SquareSet occupied = nextRandom(seed);
        if (trial % 3 == 1) occupied &= nextRandom(seed);
        if (trial % 3 == 2) occupied &= nextRandom(seed) & nextRandom(seed);
        for (int n = 0; n < 64; ++n) {
            SquareSet diagonal = 0, orthogonal = 0;
            for (int d = 0; d < 8; ++d) {
                const SquareSet walked = walkRay(occupied, d, n);
                ASSERT_EQ(rayAttacks(occupied, d, n), walked) << "square " << n << " direction " << d;
                (mailboxStep[d] % 16 == 0 || mailboxStep[d] == 1 || mailboxStep[d] == -1 ? orthogonal : diagonal) |= walked;
            }
            ASSERT_EQ(diagonalAttacks(occupied, n), diagonal) << "square " << n << " occupied " << occupied;
            ASSERT_EQ(orthogonalAttacks(occupied, n), orthogonal) << "square " << n << " occupied " << occupied;
            ASSERT_EQ(lineOfSight(occupied, n), diagonal | orthogonal | rayTables.knightJumps[n]);
        }
    }
}

TEST(SquareSets, StepAndJumpSets) {
    for (int n = 0; n < 64; ++n) {
        SquareSet steps = 0, jumps = 0;
        for (int d : {1, 15, 16, 17, -1, -15, -16, -17})
            if (onBoard(squareOf[n] + d)) steps |= squareBit(numberOf(squareOf[n] + d));
        for (int d : {14, 18, 31, 33, -14, -18, -31, -33})
            if (onBoard(squareOf[n] + d)) jumps |= squareBit(numberOf(squareOf[n] + d));
        EXPECT_EQ(rayTables.kingSteps[n], steps) << n;
        EXPECT_EQ(rayTables.knightJumps[n], jumps) << n;
    }
}

TEST(SquareSets, DirectionOfEveryLineStep) {
    for (int d = 0; d < 8; ++d) EXPECT_EQ(rayDirection(mailboxStep[d]), d);
    for (int step : {0, 2, 14, 18, 31, 33, -33, -18}) EXPECT_EQ(rayDirection(step), -1) << step;
}

}  // namespace
}  // namespace tallomir

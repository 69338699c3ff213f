// The difference-indexed geometry tables and the square and piece tables.
#include <gtest/gtest.h>

#include <cstdlib>

#include "board/position.hpp"

namespace tallomir {
namespace {

TEST(Geometry, SpotValues) {
    EXPECT_EQ(attackMask(16), ORTHOGONAL | KING);
    EXPECT_EQ(attackMask(15), DIAGONAL | KING | WPAWN);
    EXPECT_EQ(attackMask(-17), DIAGONAL | KING | BPAWN);
    EXPECT_EQ(attackMask(33), KNIGHT);
    EXPECT_EQ(attackMask(32), ORTHOGONAL);
    EXPECT_EQ(attackMask(0), 0);
    EXPECT_EQ(attackStep(0), 0);
    EXPECT_EQ(attackStep(34), 17);
    EXPECT_EQ(attackStep(33), 33);
    EXPECT_EQ(rayStep(33), 0);
    EXPECT_EQ(rayStep(-112), -16);
    EXPECT_EQ(attackStep(7), 1);
    EXPECT_EQ(attackMask(8), 0);  // no two real squares differ by 8
    EXPECT_EQ(geometry.distance[119 + DIFF_OFFSET], 7);
    EXPECT_EQ(geometry.distance[8 + DIFF_OFFSET], -1);
    EXPECT_EQ(distanceBetween(A1, H8), 7);
    EXPECT_EQ(distanceBetween(E1, G1), 2);
    EXPECT_EQ(stepMask(15), DIAGONAL);
    EXPECT_EQ(stepMask(-1), ORTHOGONAL);
    EXPECT_EQ(stepMask(14), 0);
}

TEST(Geometry, TablesAgreeWithBoardGeometryForEveryPair) {
    for (int a = 0; a < 64; ++a) {
        for (int b = 0; b < 64; ++b) {
            if (a == b) continue;
            const Square from = squareOf[a], to = squareOf[b];
            const int df = fileOf(to) - fileOf(from), dr = rankOf(to) - rankOf(from);
            const int d = to - from;
            EXPECT_EQ(distanceBetween(from, to), std::max(std::abs(df), std::abs(dr)));
            const bool straight = df == 0 || dr == 0;
            const bool diagonal = std::abs(df) == std::abs(dr);
            const bool jump = (std::abs(df) == 1 && std::abs(dr) == 2) || (std::abs(df) == 2 && std::abs(dr) == 1);
            EXPECT_EQ((attackMask(d) & ORTHOGONAL) != 0, straight) << a << " " << b;
            EXPECT_EQ((attackMask(d) & DIAGONAL) != 0, diagonal) << a << " " << b;
            EXPECT_EQ((attackMask(d) & KNIGHT) != 0, jump) << a << " " << b;
            EXPECT_EQ((attackMask(d) & KING) != 0, distanceBetween(from, to) == 1) << a << " " << b;
            if (straight || diagonal) {
                const int n = std::max(std::abs(df), std::abs(dr));
                EXPECT_EQ(rayStep(d) * n, d) << a << " " << b;
            } else {
                EXPECT_EQ(rayStep(d), 0);
            }
        }
    }
}

TEST(SquareTables, NumbersBackRanksAndPromotionCodes) {
    for (int n = 0; n < 64; ++n) EXPECT_EQ(numberOf(squareOf[n]), n);
    EXPECT_EQ(squareOf[0], 0x44);
    EXPECT_EQ(squareOf[63], 0xBB);
    int border = 0, back = 0;
    for (int sq = 0; sq < 256; ++sq) {
        if (!onBoard(sq)) {
            EXPECT_EQ(numberOf(sq), -1);
            EXPECT_FALSE(isBackRank(sq));
            ++border;
        }
        back += isBackRank(sq);
    }
    EXPECT_EQ(border, 192);
    EXPECT_EQ(back, 16);
    EXPECT_TRUE(isBackRank(A8));
    EXPECT_FALSE(isBackRank(makeSquare(0, 6)));
}

}  // namespace
}  // namespace tallomir

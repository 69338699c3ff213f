#include <gtest/gtest.h>

#include "uci/go.hpp"

namespace tallomir {
namespace {

TEST(GoParsing, KeywordsValuesAndDefaults) {
    const GoParameters go = parseGo("go  wtime 60000 btime 30000   winc 500 binc -1 movestogo 12 depth 7 mate 3");
    EXPECT_EQ(go.wtime, 60000);
    EXPECT_EQ(go.btime, 30000);
    EXPECT_EQ(go.winc, 500);
    EXPECT_EQ(go.binc, -1);
    EXPECT_EQ(go.movestogo, 12);
    EXPECT_EQ(go.depth, 7);
    EXPECT_EQ(go.mate, 3);
    EXPECT_EQ(go.movetime, -1);
    EXPECT_FALSE(go.infinite);
    EXPECT_FALSE(go.ponder);
}

TEST(GoParsing, OddInputIsReadSoundly) {
    // A keyword without its value at the end of the line is ignored.
    EXPECT_EQ(parseGo("go depth").depth, -1);
    // Not a number reads as 0; a later occurrence overwrites.
    EXPECT_EQ(parseGo("go depth x").depth, 0);
    EXPECT_EQ(parseGo("go depth 3 depth 5").depth, 5);
    // searchmoves and its moves are ignored; flags anywhere.
    const GoParameters go = parseGo("go searchmoves e2e4 d2d4 infinite ponder");
    EXPECT_TRUE(go.infinite);
    EXPECT_TRUE(go.ponder);
    // Huge values are clamped instead of overflowing.
    EXPECT_EQ(parseGo("go wtime 99999999999999999999").wtime, 2147483647);
}

TEST(TimeAllocation, ClockWithoutIncrement) {
    GoParameters go;
    go.wtime = 60000;
    const TimeLimits t = allocateTime(go, 0, false);
    EXPECT_TRUE(t.timeLimited);
    EXPECT_NEAR(t.softTime, 56.0 / 30.0, 1e-9);
    EXPECT_NEAR(t.hardTime, 28.0, 1e-9);
}

TEST(TimeAllocation, MovesToGoOneUsesAllAvailable) {
    GoParameters go;
    go.wtime = 60000;
    go.movestogo = 1;
    const TimeLimits t = allocateTime(go, 0, false);
    EXPECT_NEAR(t.softTime, 56.0, 1e-9);
    EXPECT_NEAR(t.hardTime, 56.0, 1e-9);
}

TEST(TimeAllocation, AlmostNoTimeLeft) {
    GoParameters go;
    go.btime = 500;
    const TimeLimits t = allocateTime(go, 1, false);
    EXPECT_TRUE(t.timeLimited);
    EXPECT_EQ(t.softTime, 0.0);
    EXPECT_EQ(t.hardTime, 0.0);
}

TEST(TimeAllocation, MovetimeIsTheHardLimit) {
    GoParameters go;
    go.movetime = 2000;
    go.wtime = 100000;
    const TimeLimits t = allocateTime(go, 0, false);
    EXPECT_NEAR(t.hardTime, 2.0, 1e-9);
    EXPECT_NEAR(t.softTime, 10.0, 1e-9);
}

TEST(TimeAllocation, PonderRaisesTheShareButNeverBeyondAvailable) {
    GoParameters go;
    go.wtime = 60000;
    EXPECT_NEAR(allocateTime(go, 0, true).softTime, 56.0 / 30.0 * 1.25, 1e-9);
    go.movestogo = 1;
    EXPECT_NEAR(allocateTime(go, 0, true).softTime, 56.0, 1e-9);
}

TEST(TimeAllocation, IncrementsAndTheOtherSidesClock) {
    GoParameters go;
    go.wtime = 10000;
    go.btime = 20000;
    go.binc = 1000;
    go.movestogo = 40;  // outside 1..30 counts as 30
    const TimeLimits t = allocateTime(go, 1, false);
    const double available = 0.95 * 20 - 1;
    const double total = available + 1.0 * 29;
    EXPECT_NEAR(t.softTime, total / 30, 1e-9);
    EXPECT_NEAR(t.hardTime, std::min(total / 2, available), 1e-9);
}

TEST(TimeAllocation, AbsentClockMeansNoLimit) {
    EXPECT_FALSE(allocateTime(GoParameters{}, 0, false).timeLimited);
    EXPECT_FALSE(allocateTime(parseGo("go btime 5000"), 0, false).timeLimited);
}

// An overstepped clock must not turn into a search without end.
TEST(TimeAllocation, NegativeClockMovesAtOnce) {
    const TimeLimits t = allocateTime(parseGo("go wtime -350 btime 1000"), 0, false);
    EXPECT_TRUE(t.timeLimited);
    EXPECT_EQ(t.softTime, 0.0);
    EXPECT_EQ(t.hardTime, 0.0);
    const TimeLimits m = allocateTime(parseGo("go movetime -20"), 1, false);
    EXPECT_TRUE(m.timeLimited);
    EXPECT_EQ(m.hardTime, 0.0);
}

}  // namespace
}  // namespace tallomir

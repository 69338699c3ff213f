#include <gtest/gtest.h>

#include "search/tt.hpp"
#include "support.hpp"

namespace tallomir {
namespace {

class TranspositionTableTest : public testing::Test {
protected:
    void SetUp() override { tt.allocate(16); }
    TTProbe probe(std::uint32_t low, std::uint32_t high) {
        TTProbe p{};
        EXPECT_TRUE(tt.probe(low, high, p));
        return p;
    }
    // A search from a root with few men: every store overwrites.
    void newEndgameSearch() { tt.newSearch(test::loadFen("8/8/4k3/8/8/4K3/8/8 w - - 0 1")); }

    TranspositionTable tt;
};

TEST_F(TranspositionTableTest, SizeFollowsTheHashOption) {
    EXPECT_EQ(tt.entryCount(), (1u << 20) + 3);
    tt.allocate(20);  // not a power of two: rounded down
    EXPECT_EQ(tt.entryCount(), (1u << 20) + 3);
    tt.allocate(32);
    EXPECT_EQ(tt.entryCount(), (1u << 21) + 3);
    // Out-of-range values never overflow the size computation.
    EXPECT_EQ(ttMegabytes(2), 16);
    EXPECT_EQ(ttMegabytes(-5), 16);
    EXPECT_EQ(ttMegabytes(1 << 30), 1024);
}

TEST_F(TranspositionTableTest, BoundsKeepTheirOwnDepths) {
    tt.store(5, 77, 100, 6, 120, NO_UPPER);  // deep lower bound
    tt.store(5, 77, 0, 2, NO_LOWER, 90);     // shallower upper bound only
    const TTProbe p = probe(5, 77);
    EXPECT_EQ(p.move, 100);
    EXPECT_EQ(p.lowerDepth, 6);
    EXPECT_EQ(p.lowerBound, 120);
    EXPECT_EQ(p.upperDepth, 2);
    EXPECT_EQ(p.upperBound, 90);
    // A shallower lower bound does not replace the deeper one.
    tt.store(5, 77, 0, 3, 50, NO_UPPER);
    EXPECT_EQ(probe(5, 77).lowerBound, 120);
}

TEST_F(TranspositionTableTest, PrincipalVariationStoreKeepsAStoredMove) {
    tt.store(9, 1, 200, 0, 10, 10);
    tt.store(9, 1, 300, DEPTH_PV, NO_LOWER, NO_UPPER);
    EXPECT_EQ(probe(9, 1).move, 200);
    newEndgameSearch();
    tt.store(9, 1, 300, DEPTH_PV, NO_LOWER, NO_UPPER);
    EXPECT_EQ(probe(9, 1).move, 300);
}

TEST_F(TranspositionTableTest, FewMenLetShallowResultsWin) {
    newEndgameSearch();
    tt.store(3, 8, 1, 9, 40, NO_UPPER);
    tt.store(3, 8, 2, 1, 10, NO_UPPER);
    const TTProbe p = probe(3, 8);
    EXPECT_EQ(p.lowerDepth, 1);
    EXPECT_EQ(p.lowerBound, 10);
    EXPECT_EQ(p.move, 2);
    // With more men on the board the deeper result stays.
    tt.newSearch(test::loadFen("startpos"));
    tt.store(3, 8, 3, 0, 5, NO_UPPER);
    EXPECT_EQ(probe(3, 8).lowerDepth, 1);
}

TEST_F(TranspositionTableTest, VictimIsTheOldestThenTheShallowest) {
    // Four entries fill the bucket of index 0; the fifth replaces the shallowest.
    for (std::uint32_t i = 0; i < 4; ++i) tt.store(0, 100 + i, 1, static_cast<int>(5 + i), 0, 0);
    tt.store(0, 200, 1, 9, 0, 0);
    TTProbe p;
    EXPECT_FALSE(tt.probe(0, 100, p));
    EXPECT_TRUE(tt.probe(0, 101, p));
    // After a new search the old entries go first, however deep; a probe
    // makes an entry as new as the search.
    tt.newSearch(test::loadFen("startpos"));
    EXPECT_TRUE(tt.probe(0, 101, p));
    tt.store(0, 300, 1, 0, 0, 0);
    EXPECT_TRUE(tt.probe(0, 300, p));
    EXPECT_TRUE(tt.probe(0, 101, p));
    EXPECT_FALSE(tt.probe(0, 102, p));
    int survivors = 0;
    for (std::uint32_t k : {103u, 200u}) survivors += tt.probe(0, k, p);
    EXPECT_EQ(survivors, 2);
}

TEST_F(TranspositionTableTest, HashfullCountsTheStoresOfThisSearch) {
    // Empty slots carry the generation of the clear, so a store counts from the next search on.
    tt.newSearch(test::loadFen("startpos"));
    tt.store(7, 7, 1, 4, 0, 0);
    EXPECT_GT(tt.hashfullPermille(), 0.0);
    tt.newSearch(test::loadFen("startpos"));
    TTProbe p;
    ASSERT_TRUE(tt.probe(7, 7, p));  // a probe refreshes the entry without counting it
    EXPECT_EQ(tt.hashfullPermille(), 0.0);
}

TEST_F(TranspositionTableTest, ClearForgetsEverything) {
    tt.store(11, 42, 5, 3, 1, 1);
    tt.clear();
    TTProbe p;
    EXPECT_FALSE(tt.probe(11, 42, p));
}

}  // namespace
}  // namespace tallomir

#include <gtest/gtest.h>

#include <sstream>

#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "search/search.hpp"
#include "search/search_helpers.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"

namespace tallomir {
namespace {

std::vector<std::uint64_t> parseCounts(const std::string& text) {
    std::vector<std::uint64_t> counts;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) counts.push_back(std::stoull(item));
    return counts;
}

// Node counts of every iteration and the best move of depth-limited searches
// from a fresh engine, computed independently of this code: any change in
// what the search visits or in how it orders moves shows here.
TEST(SearchVectors, IterationNodeCountsAndBestMove) {
    int checked = 0;
    for (const auto& row : test::readTable("search.tsv")) {
        if (row[0] != test::editionName()) continue;
        Position pos = test::loadFen(row[1]);
        if (!row[2].empty()) test::playMoves(pos, row[2]);
        const auto rec = test::runSearch(pos, std::stoi(row[3]));
        EXPECT_EQ(rec.iterationNodes, parseCounts(row[4])) << row[1];
        EXPECT_EQ(moveToText(rec.result.report.bestMove), row[5]) << row[1];
        ++checked;
    }
    EXPECT_EQ(checked, 4);
}

// A node count ends the search by itself on exactly that count once the first
// iteration is complete, alone or with another limit, whichever comes first.
TEST(SearchLimitsTest, NodeCountEndsTheSearch) {
    struct Case {
        std::uint64_t nodes;
        int depth;  // 0: no depth limit
        std::uint64_t expected;
    };
    const Position start = test::loadFen("startpos");
    const std::uint64_t firstIteration = test::runSearch(start, 1).iterationNodes.at(0);
    const std::uint64_t depthThree = test::runSearch(start, 3).iterationNodes.back();
    for (const Case c : {Case{0, 0, firstIteration}, Case{20000, 0, 20000}, Case{123457, 0, 123457},
                         Case{20000, 3, depthThree}, Case{depthThree + 50, 0, depthThree + 50}}) {
        SearchLimits limits{};
        limits.nodeLimited = true;
        limits.maxNodes = c.nodes;
        limits.depthLimited = c.depth > 0;
        limits.maxDepth = c.depth;
        SilentListener silent;
        const SearchResult result = test::newSearcher()->think(start, limits, silent);
        EXPECT_EQ(result.stats.nodes, c.expected) << "nodes " << c.nodes << " depth " << c.depth;
        EXPECT_NE(result.report.bestMove, 0);
    }
}

TEST(SearchResults, MateInOneIsExactAndShownAsMate) {
    const auto rec = test::runSearch(test::loadFen("6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1"), 3);
    EXPECT_EQ(rec.result.report.bestScore, MATE_SCORE - 1);
    EXPECT_EQ(moveToText(rec.result.report.bestMove), "a1a8");
    ASSERT_FALSE(rec.pvLines.empty());
    EXPECT_NE(rec.pvLines.back().find("score mate 1 "), std::string::npos) << rec.pvLines.back();
}

TEST(SearchResults, MateInTwoForBothSides) {
    auto rec = test::runSearch(test::loadFen("7k/8/8/8/8/8/R7/1R4K1 w - - 0 1"), 5);
    EXPECT_EQ(rec.result.report.bestScore, MATE_SCORE - 3);
    EXPECT_NE(rec.pvLines.back().find("score mate 2 "), std::string::npos) << rec.pvLines.back();

    rec = test::runSearch(test::loadFen("7k/R7/8/8/8/8/8/1R4K1 b - - 0 1"), 4);
    EXPECT_EQ(rec.result.report.bestScore, -MATE_SCORE + 2);
    EXPECT_NE(rec.pvLines.back().find("score mate -1 "), std::string::npos) << rec.pvLines.back();
}

TEST(SearchResults, StalemateAtTheRootLeavesNoBestMove) {
    const auto rec = test::runSearch(test::loadFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"), 6);
    EXPECT_EQ(rec.result.report.bestMove, 0);
    EXPECT_TRUE(rec.pvLines.empty());
    // No legal move counts as a forced position: four iterations only.
    EXPECT_EQ(rec.iterationNodes.size(), 4u);
}

TEST(SearchResults, BareKingsAreADeadDraw) {
    EXPECT_EQ(test::runSearch(test::loadFen("8/8/4k3/8/8/4K3/8/8 w - - 0 1"), 4).result.report.bestScore, 0);
}

TEST(SearchResults, StalemateAndRepetitionInsideTheTreeScoreZero) {
    const auto searcher = test::newSearcher();
    Move pv[PV_CAPACITY];
    // Black to move is stalemated; the search below the root scores it 0.
    Position stalemate = test::loadFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(SearcherTestAccess::search(*searcher, stalemate, -MATE_SCORE, MATE_SCORE, 2 * ONE_PLY, 1, pv, PV_NODE),
              0);

    // The knights went out and came back: the start position repeats.
    Position repeated = test::loadFen("startpos");
    test::playMoves(repeated, "g1f3 g8f6 f3g1 f6g8");
    EXPECT_EQ(SearcherTestAccess::search(*searcher, repeated, -MATE_SCORE, MATE_SCORE, 3 * ONE_PLY, 1, pv, PV_NODE), 0);
}

TEST(SearchResults, SingleLegalMoveStopsAfterDepthFour) {
    const auto rec = test::runSearch(test::loadFen("7k/8/8/8/8/8/6q1/7K w - - 0 1"), 12);
    EXPECT_EQ(rec.iterationNodes.size(), 4u);
    EXPECT_EQ(moveToText(rec.result.report.bestMove), "h1g2");
}

TEST(SearchResults, DeterministicAcrossRunsAndClears) {
    const Position args = test::loadFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    const auto first = test::runSearch(args, 5);
    const auto second = test::runSearch(args, 5);
    EXPECT_EQ(first.iterationNodes, second.iterationNodes);
    EXPECT_EQ(first.pvLines.size(), second.pvLines.size());
}

TEST(SearchResults, ReportedPvIsPlayable) {
    const Position root = test::loadFen("r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 0 1");
    const auto rec = test::runSearch(root, 6);
    Position pos = root;
    for (const Move* m = rec.result.report.pv; *m; ++m) {
        MoveList legal;
        generateLegal(pos, legal);
        bool found = false;
        for (int i = 0; i < legal.count; ++i) found |= legal.moves[i] == *m;
        ASSERT_TRUE(found);
        UndoRecord undo;
        makeMove(pos, undo, *m);
    }
}

}  // namespace
}  // namespace tallomir

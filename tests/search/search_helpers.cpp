#include "search/search_helpers.hpp"

#include <gtest/gtest.h>

#include "search/tt.hpp"
#include "uci/report.hpp"

namespace tallomir::test {

void RecordingListener::principalVariation(const SearchState& s) { pvLines.push_back(principalVariationLine(s)); }

std::unique_ptr<Searcher> newSearcher() {
    auto searcher = std::make_unique<Searcher>();
    EXPECT_EQ(searcher->allocate(DEFAULT_HASH_MEGABYTES), "");
    return searcher;
}

RecordingListener runSearch(const Position& pos, int depth) {
    SearchLimits limits{};
    limits.depthLimited = true;
    limits.maxDepth = depth;
    RecordingListener listener;
    listener.result = newSearcher()->think(pos, limits, listener);
    return listener;
}

}  // namespace tallomir::test

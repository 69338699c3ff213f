#include "search/search_helpers.hpp"

#include "eval/evaluate.hpp"
#include "search/search.hpp"
#include "uci/report.hpp"

namespace tallomir::test {

void RecordingListener::principalVariation(const SearchState& s) { pvLines.push_back(principalVariationLine(s)); }

Searcher& testSearcher() {
    static Searcher searcher;
    if (!searcher.table().entries) {
        searcher.allocate(16);
        searcher.caches().allocate();
    }
    return searcher;
}

RecordingListener runSearch(const Position& pos, int depth) {
    Searcher& searcher = testSearcher();
    searcher.clearTables();
    SearchLimits limits{};
    limits.depthLimited = true;
    limits.maxDepth = depth;
    RecordingListener listener;
    searcher.think(pos, limits, listener);
    return listener;
}

}  // namespace tallomir::test

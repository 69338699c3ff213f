#include "search/search_helpers.hpp"

#include "eval/evaluate.hpp"
#include "search/tt.hpp"
#include "search/search.hpp"
#include "uci/report.hpp"

namespace tallomir::test {

void RecordingListener::principalVariation(const SearchState&) { pvLines.push_back(principalVariationLine()); }

RecordingListener runSearch(const Position& pos, int depth) {
    ttClear();
    clearEvalCaches();
    SearchLimits limits{};
    limits.depthLimited = true;
    limits.maxDepth = depth;
    RecordingListener listener;
    think(pos, limits, listener);
    return listener;
}

}  // namespace tallomir::test

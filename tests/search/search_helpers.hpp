// Running depth-limited searches inside the test process, as the engine would.
#pragma once

#include <string>
#include <vector>

#include "search/state.hpp"

namespace tallomir::test {

// Records what a search reports, without printing or reading input.
class RecordingListener : public SearchListener {
public:
    void iterationStart(int) override {}
    void iterationSummary(int) override { iterationNodes.push_back(searchState.stats.nodes); }
    void principalVariation() override;
    void currentMove(Move, int) override {}
    void poll() override {}

    std::vector<std::uint64_t> iterationNodes;
    std::vector<std::string> pvLines;
};

// Fresh tables, "position <positionArgs>", "go depth <depth>".
RecordingListener runSearch(const std::string& positionArgs, int depth);

}  // namespace tallomir::test

// Running depth-limited searches inside the test process, as the engine would.
#pragma once

#include <string>
#include <vector>

#include "board/position.hpp"
#include "search/search.hpp"

namespace tallomir::test {

// Records what a search reports, without printing or reading input.
class RecordingListener : public SearchListener {
public:
    void iterationStart(const SearchState&, int) override {}
    void iterationSummary(const SearchState& s, int) override { iterationNodes.push_back(s.stats.nodes); }
    void principalVariation(const SearchState& s) override;
    void currentMove(const SearchState&, Move, int) override {}
    void poll(const SearchState&) override {}

    std::vector<std::uint64_t> iterationNodes;
    std::vector<std::string> pvLines;
};

// The searcher of the tests, with a 16 MB table.
Searcher& testSearcher();

// Fresh tables, then a search of pos to the depth, as "go depth" runs it.
RecordingListener runSearch(const Position& pos, int depth);

}  // namespace tallomir::test

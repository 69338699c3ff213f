// Running depth-limited searches inside the test process, as the engine would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "board/position.hpp"
#include "search/search.hpp"

namespace tallomir {

// The tests' way to the searches below the root.
struct SearcherTestAccess {
    static int search(Searcher& s, Position& pos, int alpha, int beta, int depth, int ply, Move* pv, int nodeType) {
        clearOrderingTables(s.ordering_);
        return s.search(pos, alpha, beta, depth, ply, pv, nodeType);
    }
};

}  // namespace tallomir

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
    SearchResult result{};  // what think returned
};

// A searcher with the tables of the default "Hash", as a fresh engine has them.
std::unique_ptr<Searcher> newSearcher();

// A search of pos to the depth, as "go depth" runs it, on a fresh searcher.
RecordingListener runSearch(const Position& pos, int depth);

}  // namespace tallomir::test

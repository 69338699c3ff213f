// Leaf counts of the legal move tree against known counts (tests/data/perft.tsv).
// The default run takes the depths up to a million leaves through the API; the
// suite SlowPerft runs the deepest depths through the developer tool and is
// registered under the ctest label "slow".
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "board/board_helpers.hpp"
#include "board/perft.hpp"
#include "e2e/engine_process.hpp"
#include "support.hpp"

namespace tallomir {
namespace {

struct PerftRow {
    std::string fen;
    std::vector<std::uint64_t> counts;  // counts[d - 1] at depth d
};

std::vector<PerftRow> perftRows() {
    std::vector<PerftRow> rows;
    for (const auto& cells : test::readTable("perft.tsv")) {
        PerftRow row{cells.at(0), {}};
        std::istringstream in(cells.at(1));
        std::string n;
        while (std::getline(in, n, ',')) row.counts.push_back(std::stoull(n));
        rows.push_back(row);
    }
    return rows;
}

constexpr std::uint64_t FAST_LIMIT = 1000000;

TEST(Perft, KnownCountsAtShallowDepths) {
    const std::vector<PerftRow> rows = perftRows();
    ASSERT_GE(rows.size(), 6u);
    for (const PerftRow& row : rows) {
        Position pos = test::loadFen(row.fen);
        const Position before = pos;
        for (std::size_t d = 1; d <= row.counts.size() && row.counts[d - 1] <= FAST_LIMIT; ++d) {
            EXPECT_EQ(perft(pos, static_cast<int>(d)), row.counts[d - 1]) << row.fen << " depth " << d;
            EXPECT_EQ(perftBulk(pos, static_cast<int>(d)), row.counts[d - 1]) << row.fen << " depth " << d;
        }
        EXPECT_EQ(test::firstDifference(pos, before), "") << row.fen;
        EXPECT_EQ(perft(pos, 0), 1u);
    }
}

// The last line the tool prints for `perft FEN DEPTH [--bulk]`.
std::string toolPerft(const std::string& fen, std::size_t depth, bool bulk) {
    std::vector<std::string> args = {"perft", fen, std::to_string(depth)};
    if (bulk) args.push_back("--bulk");
    test::EngineProcess tool(TALLOMIR_TOOL_PATH, args);
    EXPECT_TRUE(tool.started());
    std::string last;
    while (std::optional<std::string> line = tool.readLine(test::Millis(600000))) last = *line;
    EXPECT_TRUE(tool.waitForExit().cleanExit());
    return last;
}

TEST(SlowPerft, DeepestCountsThroughTheTool) {
    for (const PerftRow& row : perftRows()) {
        const std::size_t depth = row.counts.size();
        const std::string expected = std::to_string(row.counts.back());
        EXPECT_EQ(toolPerft(row.fen, depth, true), expected) << row.fen << " depth " << depth << " --bulk";
        EXPECT_EQ(toolPerft(row.fen, depth, false), expected) << row.fen << " depth " << depth;
    }
}

}  // namespace
}  // namespace tallomir

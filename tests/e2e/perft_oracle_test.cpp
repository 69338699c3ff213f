// Perft of positions nobody wrote down: seeded random games reach positions
// whose leaf counts our tool and an independent reference program (Debian's
// stockfish, used as a black box through "go perft") must agree on. Skipped
// where the reference program is not installed.
#include <gtest/gtest.h>

#include <string>

#include "board/board_helpers.hpp"
#include "board/makemove.hpp"
#include "e2e/engine_process.hpp"
#include "support.hpp"

namespace tallomir {
namespace {

using test::EngineProcess;
using test::Millis;

// The reference's total for `go perft depth`, or an empty string.
std::string referencePerft(EngineProcess& reference, const std::string& fen, int depth) {
    reference.writeLine("position fen " + fen);
    reference.writeLine("go perft " + std::to_string(depth));
    const std::string prefix = "Nodes searched: ";
    while (std::optional<std::string> line = reference.readLine(Millis(60000)))
        if (line->rfind(prefix, 0) == 0) return line->substr(prefix.size());
    return "";
}

std::string toolPerft(const std::string& fen, int depth) {
    EngineProcess tool(TALLOMIR_TOOL_PATH, {"perft", fen, std::to_string(depth), "--bulk"});
    std::string last;
    while (std::optional<std::string> line = tool.readLine(Millis(60000))) last = *line;
    EXPECT_TRUE(tool.waitForExit().cleanExit()) << fen;
    return last;
}

// Positions after 4 to 60 random plies from the varied starts; positions
// with no legal move are kept too (their count is 0).
void compareRandomPositions(int count, int depth, std::uint64_t seed) {
    const std::string program = test::findProgram("stockfish");
    if (program.empty()) GTEST_SKIP() << "stockfish is not installed";
    EngineProcess reference(program);
    ASSERT_TRUE(reference.started());
    ASSERT_TRUE(reference.writeLine("uci"));
    ASSERT_TRUE(reference.readUntil("uciok", Millis(10000)).has_value());

    test::Rng rng(seed);
    const auto& starts = test::randomGameStarts();
    for (int i = 0; i < count; ++i) {
        Position pos = test::loadFen(starts[static_cast<std::size_t>(i) % starts.size()]);
        test::playRandomGame(pos, rng, 4 + rng.below(57));
        const std::string fen = test::toFen(pos);
        EXPECT_EQ(toolPerft(fen, depth), referencePerft(reference, fen, depth)) << fen << " depth " << depth;
    }
    reference.writeLine("quit");
    reference.waitForExit();
}

TEST(PerftOracle, RandomPositionsAgreeWithTheReference) {
    compareRandomPositions(12, 3, 20061);
    compareRandomPositions(8, 4, 20062);
}

TEST(SlowPerftOracle, ManyRandomPositionsDeeper) {
    compareRandomPositions(80, 4, 424242);
    compareRandomPositions(16, 5, 515151);
}

}  // namespace
}  // namespace tallomir

// The developer tool's board subcommands, run as a program.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e/engine_process.hpp"
#include "editions/edition.hpp"
#include "support.hpp"

namespace tallomir {
namespace {

struct ToolRun {
    std::vector<std::string> lines;
    test::ExitStatus status;
};

ToolRun runTool(const std::vector<std::string>& args) {
    test::EngineProcess tool(TALLOMIR_TOOL_PATH, args, true);
    EXPECT_TRUE(tool.started());
    ToolRun run;
    while (std::optional<std::string> line = tool.readLine(test::Millis(20000))) run.lines.push_back(*line);
    run.status = tool.waitForExit();
    return run;
}

std::string lastLine(const ToolRun& run) { return run.lines.empty() ? "" : run.lines.back(); }

TEST(ToolKey, PolyglotKeysAfterMoves) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "463b96181691fc9c"},
        {"e2e4", "823c9b50fd114196"},
        {"e2e4 d7d5", "0756b94461c50fb0"},
        {"e2e4 d7d5 e4e5", "662fafb965db29d4"},
        {"e2e4 d7d5 e4e5 f7f5", "22a48b5a8e47ff78"},
        {"e2e4 d7d5 e4e5 f7f5 e1e2", "652a607ca3f242c1"},
        {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", "00fdd303c946bdd9"},
        {"a2a4 b7b5 h2h4 b5b4 c2c4", "3c8123ea7b067637"},
        {"a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", "5c3f9b829b279560"},
    };
    for (const auto& [moves, key] : cases) {
        std::vector<std::string> args = {"key", "startpos"};
        std::istringstream in(moves);
        for (std::string m; in >> m;) args.push_back(m);
        const ToolRun run = runTool(args);
        EXPECT_TRUE(run.status.cleanExit()) << moves;
        // KEY PAWNKEY MATERIALKEY: the position key comes first.
        EXPECT_EQ(lastLine(run).substr(0, 16), key) << moves;
        EXPECT_EQ(lastLine(run).size(), 16u * 3 + 2) << moves;
    }
}

TEST(ToolPerft, CountsBothModesAndHeader) {
    for (const char* mode : {"", "--bulk"}) {
        std::vector<std::string> args = {"perft", "startpos", "4"};
        if (*mode) args.push_back(mode);
        const ToolRun run = runTool(args);
        EXPECT_TRUE(run.status.cleanExit());
        EXPECT_EQ(lastLine(run), "197281") << mode;
        ASSERT_FALSE(run.lines.empty());
        // The header names edition and build, so that logs compare.
        EXPECT_NE(run.lines.front().find(EDITION.word), std::string::npos) << run.lines.front();
    }
    const ToolRun kiwi =
        runTool({"perft", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", "3"});
    EXPECT_EQ(lastLine(kiwi), "97862");
}

TEST(ToolPerft, DivideListsEveryRootMove) {
    const ToolRun run = runTool({"divide", "startpos", "2"});
    EXPECT_TRUE(run.status.cleanExit());
    int moves = 0;
    for (const std::string& line : run.lines)
        if (line.size() == 7 && line.substr(4) == " 20") ++moves;
    EXPECT_EQ(moves, 20);
    EXPECT_EQ(lastLine(run), "400");
}

TEST(ToolSee, PrintsTheExchangeValue) {
    const auto rows = test::readTable("see.tsv");
    ASSERT_FALSE(rows.empty());
    for (std::size_t i = 0; i < rows.size(); i += 9) {
        const ToolRun run = runTool({"see", rows[i][0], rows[i][1]});
        EXPECT_TRUE(run.status.cleanExit());
        EXPECT_EQ(lastLine(run), rows[i][2 + test::editionColumn()]) << rows[i][0] << " " << rows[i][1];
    }
}

// The node total of bench is the signature of the search: it changes only
// when the tree changes, never with speed work. Depth 6 keeps the everyday
// suite quick; the default depth 8 runs with the slow tests.
void expectBenchNodes(const char* depth, const char* const (&expected)[3]) {
    const ToolRun run = runTool({"bench", depth});
    EXPECT_TRUE(run.status.cleanExit());
    ASSERT_GE(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[run.lines.size() - 2], std::string("nodes ") + expected[test::editionColumn()]);
    EXPECT_EQ(lastLine(run).rfind("nps ", 0), 0u) << lastLine(run);
}

TEST(ToolBench, NodeSignatureAtDepthSix) { expectBenchNodes("6", {"1588982", "1513945", "1555989"}); }

TEST(SlowToolBench, NodeSignatureAtTheDefaultDepth) { expectBenchNodes("8", {"8615866", "8920945", "8522719"}); }

TEST(ToolErrors, BadInputFailsCleanly) {
    const std::vector<std::vector<std::string>> bad = {
        {"perft", "8/8/8/8/8/8/8/8 w - - 0 1", "3"},  // no kings
        {"perft", "startpos", "x"},
        {"key", "startpos", "e2e5"},
        {"see", "startpos", "zz"},
        {"see", "startpos", "a1a8"},  // well formed but not legal
        {"divide", "garbage", "2"},
    };
    for (const auto& args : bad) {
        const ToolRun run = runTool(args);
        EXPECT_TRUE(run.status.exited) << args[0] << " " << args[1];
        EXPECT_NE(run.status.code, 0) << args[0] << " " << args[1];
    }
    const ToolRun none = runTool({});
    EXPECT_EQ(none.status.code, 2);
    const ToolRun unknown = runTool({"frobnicate"});
    EXPECT_EQ(unknown.status.code, 2);
}

}  // namespace
}  // namespace tallomir

// The parameters reach the code: the three editions' tools search different
// trees over one and the same move generator. It runs all three tools, so it
// is built once, not once per edition.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/engine_process.hpp"

namespace tallomir {
namespace {

std::string lastLine(const std::string& path, const std::vector<std::string>& args) {
    test::EngineProcess tool(path, args);
    std::string last;
    while (auto line = tool.readLine(test::Millis(60000))) last = *line;
    tool.waitForExit();
    return last;
}

TEST(Edition, SignaturesDifferWhilePerftAgrees) {
    const std::string tools[3] = {TALLOMIR_TOOL_VENDREL, TALLOMIR_TOOL_OSTRAVINE, TALLOMIR_TOOL_FENNA};
    std::string nodes[3], perft[3];
    for (int i = 0; i < 3; ++i) {
        // The node count of a shallow bench is enough to tell the editions apart.
        test::EngineProcess bench(tools[i], {"bench", "4"});
        while (auto line = bench.readLine(test::Millis(60000)))
            if (line->rfind("nodes ", 0) == 0) nodes[i] = *line;
        bench.waitForExit();
        perft[i] = lastLine(tools[i], {"perft", "startpos", "4"});
    }
    EXPECT_NE(nodes[0], nodes[1]);
    EXPECT_NE(nodes[0], nodes[2]);
    EXPECT_NE(nodes[1], nodes[2]);
    EXPECT_EQ(perft[0], "197281");
    EXPECT_EQ(perft[1], perft[0]);
    EXPECT_EQ(perft[2], perft[0]);
}

}  // namespace
}  // namespace tallomir

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "eval/evaluate.hpp"
#include "search/search.hpp"
#include "search/tt.hpp"
#include "tool/commands.hpp"
#include "uci/go.hpp"
#include "uci/io.hpp"
#include "uci/protocol.hpp"
#include "uci/report.hpp"

namespace tallomir::tool {

namespace {

// bench/positions.txt, embedded by the build.
constexpr const char* BENCH_POSITIONS =
#include "bench_positions.inc"
    ;
constexpr int BENCH_DEPTH = 8;

std::vector<std::string> benchPositions() {
    std::vector<std::string> fens;
    std::istringstream in(BENCH_POSITIONS);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') fens.push_back(line);
    return fens;
}

void discardOutput(const char*, std::size_t) {}

// Every table as a freshly started engine has it.
void freshTables() {
    ttClear();
    clearEvalCaches();
}

}  // namespace

int cmdSearch(int argc, char** argv) {
    if (argc < 4) return usage();
    int depth;
    if (!parseDepth(argv[3], depth)) return 1;
    const std::string fen = argv[2];
    std::string line = fen == "startpos" ? "position startpos" : "position fen " + fen;
    if (argc > 4) {
        line += " moves";
        for (int i = 4; i < argc; ++i) line += std::string(" ") + argv[i];
    }
    freshTables();
    positionCommand(line);
    UciReporter reporter(false);
    goCommand("go depth " + std::to_string(depth), reporter);
    return 0;
}

// bench [DEPTH]: a shallower depth gives a quick run for profilers; the
// signature is the node total at the default depth.
int cmdBench(int argc, char** argv) {
    int depth = BENCH_DEPTH;
    if (argc > 2 && !parseDepth(argv[2], depth)) return 1;
    printHeader();
    std::fflush(stdout);
    setOutputSink(discardOutput);
    SilentListener silent;
    std::uint64_t nodes = 0;
    double secs = 0;  // search time only: clearing the tables is set-up, not search
    for (const std::string& fen : benchPositions()) {
        freshTables();
        positionCommand("position fen " + fen);
        const auto start = std::chrono::steady_clock::now();
        goCommand("go depth " + std::to_string(depth), silent);
        secs += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        nodes += searchState.stats.nodes;
    }
    setOutputSink(nullptr);
    std::printf("nodes %" PRIu64 "\n", nodes);
    std::printf("nps %.0f\n", secs > 0 ? nodes / secs : 0.0);
    return 0;
}

}  // namespace tallomir::tool

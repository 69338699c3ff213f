#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "search/search.hpp"
#include "search/tt.hpp"
#include "tool/commands.hpp"
#include "uci/movetext.hpp"
#include "uci/report.hpp"
#include "uci/startup.hpp"

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

// A searcher with the tables of the default "Hash" as a freshly started
// engine has them; the program ends with status 1 when the memory cannot be had.
std::unique_ptr<Searcher> newSearcher() {
    auto searcher = std::make_unique<Searcher>();
    allocateOrExit(*searcher, DEFAULT_HASH_MEGABYTES);
    return searcher;
}

// A search to a fixed depth, as "go depth N" runs it.
SearchLimits depthLimits(int depth) {
    SearchLimits limits{};
    limits.depthLimited = true;
    limits.maxDepth = depth;
    return limits;
}

}  // namespace

int cmdSearch(int argc, char** argv) {
    if (argc < 4) return usage();
    int depth;
    if (!parseDepth(argv[3], depth)) return 1;
    Position pos;
    if (!loadFen(argv[2], pos)) return 1;
    // Like "position ... moves": the moves stop at the first one that is not legal.
    for (int i = 4; i < argc && playMoveText(pos, argv[i]); ++i) {
    }
    const auto searcher = newSearcher();
    const Output out;
    UciReporter reporter(out);
    searcher->think(pos, depthLimits(depth), reporter);
    printBestMove(out, searcher->state());
    return 0;
}

// bench [DEPTH]: a shallower depth gives a quick run for profilers; the
// signature is the node total at the default depth.
int cmdBench(int argc, char** argv) {
    int depth = BENCH_DEPTH;
    if (argc > 2 && !parseDepth(argv[2], depth)) return 1;
    printHeader();
    std::fflush(stdout);
    SilentListener silent;
    std::uint64_t nodes = 0;
    double secs = 0;  // search time only: clearing the tables is set-up, not search
    Position pos;
    const auto searcher = newSearcher();
    for (const std::string& fen : benchPositions()) {
        searcher->clearTables();
        if (!loadFen(fen.c_str(), pos)) return 1;
        const auto start = std::chrono::steady_clock::now();
        nodes += searcher->think(pos, depthLimits(depth), silent).stats.nodes;
        secs += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    std::printf("nodes %" PRIu64 "\n", nodes);
    std::printf("nps %.0f\n", secs > 0 ? nodes / secs : 0.0);
    return 0;
}

}  // namespace tallomir::tool

// The "go" line: any words give sane limits (no negative or undefined time,
// values within range), and the search they start answers with exactly one
// legal best move, at once or, for "infinite" and "ponder", on "stop".
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "board/board_helpers.hpp"

#include "fuzz_support.hpp"
#include "uci/go.hpp"
#include "uci/io.hpp"
#include "uci/protocol.hpp"

using namespace tallomir;

namespace {

int bestMoveLines = 0;
Position before;

void collect(const UciEngine& engine, std::string_view line) {
    if (line.substr(0, 9) != "bestmove ") return;
    ++bestMoveLines;
    fuzz::checkBestMoveLine(engine.position(), line.substr(0, line.size() - 1));
}

void checkValue(long long v, const char* name) {
    if (v != -1 && (v < INT_MIN || v > INT_MAX)) fuzz::fail("parseGo", std::string(name) + " out of range");
}

void checkLimits(const GoParameters& go, int side, bool ponder) {
    const TimeLimits t = allocateTime(go, side, ponder);
    if (!t.timeLimited) return;
    if (!std::isfinite(t.softTime) || !std::isfinite(t.hardTime) || t.softTime < 0 || t.hardTime < 0)
        fuzz::fail("allocateTime", "a limit is negative or not finite");
    const long long own = side == 0 ? go.wtime : go.btime;
    if (go.movetime < 0 && own >= 0) {
        const double available = std::max(0.95 * (own / 1000.0) - 1.0, 0.0);
        if (t.softTime > available + 1e-9 || t.hardTime > available + 1e-9 || t.hardTime + 1e-9 < t.softTime)
            fuzz::fail("allocateTime", "limits beyond the available time");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line = "go " + std::string(reinterpret_cast<const char*>(data), size);
    const GoParameters go = parseGo(line);
    checkValue(go.wtime, "wtime");
    checkValue(go.btime, "btime");
    checkValue(go.winc, "winc");
    checkValue(go.binc, "binc");
    checkValue(go.movetime, "movetime");
    checkValue(go.depth, "depth");
    checkValue(go.mate, "mate");
    checkValue(go.movestogo, "movestogo");
    for (int side = 0; side < 2; ++side)
        for (bool ponder : {false, true}) checkLimits(go, side, ponder);

    // The search itself, on a position with a choice of side by input length.
    const UciEngine* current = nullptr;
    const auto engine = fuzz::newEngine(Output([&current](std::string_view text) { collect(*current, text); }));
    current = engine.get();
    engine->handleCommand(size & 1 ? "position startpos moves e2e4" : "position startpos");
    std::memcpy(&before, &engine->position(), sizeof before);
    bestMoveLines = 0;
    engine->handleCommand(line);
    const ProtocolState& state = engine->state();
    if (state.searching) fuzz::fail("go", "still searching after the search");
    if (state.bestMovePending != (go.infinite || go.ponder)) fuzz::fail("go", "held best move without a hold");
    if (state.bestMovePending) {
        if (bestMoveLines != 0) fuzz::fail("go", "a held best move was printed");
        engine->handleCommand("stop");
        if (state.bestMovePending) fuzz::fail("stop", "best move still pending");
    }
    if (bestMoveLines != 1) fuzz::fail("go", "not exactly one best-move line");
    fuzz::checkPosition(engine->position(), "after go");
    if (!test::firstDifference(engine->position(), before).empty())
        fuzz::fail("go", "the search changed the game position");
    return 0;
}

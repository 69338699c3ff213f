#include "uci/go.hpp"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace tallomir {

namespace {

constexpr int DEFAULT_MOVES_TO_GO = 30;
constexpr int MAX_MOVES_TO_GO = 30;
constexpr double CLOCK_SHARE = 0.95;
constexpr double CLOCK_RESERVE = 1.0;
constexpr double PONDER_FACTOR = 1.25;
constexpr double HARD_SHARE = 0.5;
constexpr double MOVETIME_SOFT_FACTOR = 5.0;

// The C library's reading of a decimal number: leading digits, 0 without any.
long long readNumber(std::string_view word) {
    const std::string text(word);
    long long v = std::strtoll(text.c_str(), nullptr, 10);
    return std::clamp<long long>(v, INT_MIN, INT_MAX);
}

}  // namespace

GoParameters parseGo(std::string_view line) {
    GoParameters go;
    // Split at blanks; runs of blanks separate like one.
    std::vector<std::string_view> all;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') ++at;
        const std::size_t begin = at;
        while (at < line.size() && line[at] != ' ') ++at;
        if (at > begin) all.push_back(line.substr(begin, at - begin));
    }
    for (std::size_t i = 1; i < all.size(); ++i) {
        const std::string_view w = all[i];
        const bool hasValue = i + 1 < all.size();
        auto value = [&](long long& field) {
            if (hasValue) field = readNumber(all[++i]);
        };
        // A clock that the GUI reports as overstepped (negative) counts as empty:
        // the engine then moves after its first iteration instead of searching
        // without any limit.
        auto timeValue = [&](long long& field) {
            if (hasValue) field = std::max(0LL, readNumber(all[++i]));
        };
        if (w == "binc")
            value(go.binc);
        else if (w == "btime")
            timeValue(go.btime);
        else if (w == "depth")
            value(go.depth);
        else if (w == "infinite")
            go.infinite = true;
        else if (w == "mate")
            value(go.mate);
        else if (w == "movestogo")
            value(go.movestogo);
        else if (w == "movetime")
            timeValue(go.movetime);
        else if (w == "nodes") {
            if (hasValue) go.nodes = std::strtoll(std::string(all[++i]).c_str(), nullptr, 10);
        } else if (w == "ponder")
            go.ponder = true;
        else if (w == "winc")
            value(go.winc);
        else if (w == "wtime")
            timeValue(go.wtime);
    }
    return go;
}

TimeLimits allocateTime(const GoParameters& go, int side, bool ponderOption) {
    TimeLimits t{false, 0, 0};
    const long long ownTime = side == 0 ? go.wtime : go.btime;
    const long long ownInc = side == 0 ? go.winc : go.binc;
    const int mtg =
        go.movestogo >= 1 && go.movestogo <= MAX_MOVES_TO_GO ? static_cast<int>(go.movestogo) : DEFAULT_MOVES_TO_GO;
    const double inc = ownInc < 0 ? 0.0 : ownInc / 1000.0;
    if (go.movetime >= 0) {
        t.timeLimited = true;
        t.softTime = MOVETIME_SOFT_FACTOR * (go.movetime / 1000.0);
        t.hardTime = go.movetime / 1000.0;
    } else if (ownTime >= 0) {
        double available = CLOCK_SHARE * (ownTime / 1000.0) - CLOCK_RESERVE;
        if (available < 0) available = 0;
        const double total = available + inc * (mtg - 1);
        const double share = total / mtg;
        t.softTime = std::min(ponderOption ? share * PONDER_FACTOR : share, available);
        t.hardTime = std::min(std::max(total * HARD_SHARE, t.softTime), available);
        t.timeLimited = true;
    }
    return t;
}

SearchLimits searchLimits(const GoParameters& go, int side, bool ponderOption, int iterationCap) {
    SearchLimits limits{};
    limits.iterationCap = iterationCap;
    if (go.depth >= 0) {
        limits.depthLimited = true;
        limits.maxDepth = static_cast<int>(go.depth);
    } else if (go.mate >= 0) {
        limits.depthLimited = true;
        limits.maxDepth = static_cast<int>(std::min<long long>(2 * go.mate - 1, INT_MAX));
    }
    const TimeLimits t = allocateTime(go, side, ponderOption);
    limits.timeLimited = t.timeLimited;
    limits.softTime = t.softTime;
    limits.hardTime = t.hardTime;
    limits.holdSearch = go.infinite || go.ponder;
    // The node count ends the search like the other limits, whichever comes
    // first; a negative count counts as absent.
    if (go.nodes >= 0) {
        limits.nodeLimited = true;
        limits.maxNodes = static_cast<std::uint64_t>(go.nodes);
    }
    return limits;
}

}  // namespace tallomir

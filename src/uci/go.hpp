// The words of the "go" command and the limits of the search they ask for.
#pragma once

#include <cstdint>
#include <string_view>

#include "search/state.hpp"

namespace tallomir {

// What the words of a "go" line say; -1 where a value is absent. Negative
// clock and movetime values are read as 0.
struct GoParameters {
    long long wtime = -1, btime = -1, winc = -1, binc = -1;  // milliseconds
    long long movetime = -1;
    long long depth = -1, mate = -1, movestogo = -1;
    std::int64_t nodes = -1;
    bool infinite = false;
    bool ponder = false;
};

GoParameters parseGo(std::string_view line);

struct TimeLimits {
    bool timeLimited;
    double softTime;  // seconds
    double hardTime;
};

// The soft and hard limits for the side to move (0 white, 1 black).
//
// With a movetime the whole of it is used: the hard limit is the movetime and
// the soft one lies beyond it. With a clock, 95 % of it less a second is
// available; the share of one move is the available time plus the increments
// of the moves to the next control, divided by those moves (30 when unknown),
// a quarter more when pondering; the hard limit is half of the total, never
// below the share, and neither limit exceeds the available time.
TimeLimits allocateTime(const GoParameters& go, int side, bool ponderOption);

// The limits of the search a "go" asks for, for the side to move; a depth
// wins over a mate count (a mate in n is searched to 2n - 1 plies).
SearchLimits searchLimits(const GoParameters& go, int side, bool ponderOption, int iterationCap);

}  // namespace tallomir

#include "board/squareset.hpp"

#include <cstring>

namespace tallomir {

RayTables rayTables;
LineTables lineTables;

namespace {

// The squares a slider at index `at` of an eight-square line attacks when the
// squares in `occupied` hold men.
int lineReach(int at, int occupied) {
    int reach = 0;
    for (int x = at + 1; x < 8; ++x) {
        reach |= 1 << x;
        if (occupied & (1 << x)) break;
    }
    for (int x = at - 1; x >= 0; --x) {
        reach |= 1 << x;
        if (occupied & (1 << x)) break;
    }
    return reach;
}

void buildLineTables() {
    for (int n = 0; n < 64; ++n) {
        const SquareSet* r = rayTables.rays[0];
        lineTables.diagonal[n] = r[NORTH_EAST * 64 + n] | r[SOUTH_WEST * 64 + n];
        lineTables.antiDiagonal[n] = r[NORTH_WEST * 64 + n] | r[SOUTH_EAST * 64 + n];
        lineTables.rank[n] = r[EAST * 64 + n] | r[WEST * 64 + n];
    }
    for (int at = 0; at < 8; ++at) {
        for (int o = 0; o < 64; ++o) {
            const int reach = lineReach(at, o << 1);
            lineTables.rankAttacks[at][o] = static_cast<SquareSet>(reach) * 0x0101010101010101ULL;
            SquareSet file = 0;
            for (int y = 0; y < 8; ++y)
                if (reach & (1 << y)) file |= squareBit(8 * y);
            lineTables.fileAttacks[at][o] = file;
        }
    }
}

}  // namespace

void buildRayTables() {
    static constexpr int fileStep[8] = {1, -1, 0, 1, -1, 1, 0, -1};
    static constexpr int rankStep[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int jumps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
    std::memset(&rayTables, 0, sizeof rayTables);
    std::memset(rayTables.directionOfStep, -1, sizeof rayTables.directionOfStep);
    for (int d = 0; d < 8; ++d) rayTables.directionOfStep[16 * rankStep[d] + fileStep[d] + 33] = static_cast<std::int8_t>(d);
    for (int n = 0; n < 64; ++n) {
        const int f = n & 7, r = n >> 3;
        for (int d = 0; d < 8; ++d) {
            SquareSet ray = 0;
            for (int x = f + fileStep[d], y = r + rankStep[d]; x >= 0 && x < 8 && y >= 0 && y < 8;
                 x += fileStep[d], y += rankStep[d])
                ray |= squareBit(8 * y + x);
            rayTables.rays[d][n] = ray;
        }
        for (int d = 0; d < 8; ++d) {
            const int x = f + fileStep[d], y = r + rankStep[d];
            if (x >= 0 && x < 8 && y >= 0 && y < 8) rayTables.kingSteps[n] |= squareBit(8 * y + x);
        }
        for (const auto& j : jumps) {
            const int x = f + j[0], y = r + j[1];
            if (x >= 0 && x < 8 && y >= 0 && y < 8) rayTables.knightJumps[n] |= squareBit(8 * y + x);
        }
    }
    buildLineTables();
}

}  // namespace tallomir

#include "board/squareset.hpp"

namespace tallomir {

namespace {

// The squares a slider at index `at` of an eight-square line attacks when the
// squares in `occupied` hold men.
constexpr int lineReach(int at, int occupied) {
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

constexpr RayTables makeRayTables() {
    constexpr int fileStep[8] = {1, -1, 0, 1, -1, 1, 0, -1};
    constexpr int rankStep[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    constexpr int jumps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
    RayTables t{};
    for (auto& d : t.directionOfStep) d = -1;
    for (int d = 0; d < 8; ++d) t.directionOfStep[16 * rankStep[d] + fileStep[d] + 33] = static_cast<std::int8_t>(d);
    for (int n = 0; n < 64; ++n) {
        const int f = n & 7, r = n >> 3;
        for (int d = 0; d < 8; ++d) {
            SquareSet ray = 0;
            for (int x = f + fileStep[d], y = r + rankStep[d]; x >= 0 && x < 8 && y >= 0 && y < 8;
                 x += fileStep[d], y += rankStep[d])
                ray |= squareBit(8 * y + x);
            t.rays[d][n] = ray;
        }
        for (int d = 0; d < 8; ++d) {
            const int x = f + fileStep[d], y = r + rankStep[d];
            if (x >= 0 && x < 8 && y >= 0 && y < 8) t.kingSteps[n] |= squareBit(8 * y + x);
        }
        for (const auto& j : jumps) {
            const int x = f + j[0], y = r + j[1];
            if (x >= 0 && x < 8 && y >= 0 && y < 8) t.knightJumps[n] |= squareBit(8 * y + x);
        }
    }
    return t;
}

constexpr LineTables makeLineTables(const RayTables& rayTable) {
    LineTables t{};
    for (int n = 0; n < 64; ++n) {
        const auto& r = rayTable.rays;
        t.diagonal[n] = r[NORTH_EAST][n] | r[SOUTH_WEST][n];
        t.antiDiagonal[n] = r[NORTH_WEST][n] | r[SOUTH_EAST][n];
        t.rank[n] = r[EAST][n] | r[WEST][n];
    }
    for (int at = 0; at < 8; ++at) {
        for (int o = 0; o < 64; ++o) {
            const int reach = lineReach(at, o << 1);
            t.rankAttacks[at][o] = static_cast<SquareSet>(reach) * 0x0101010101010101ULL;
            SquareSet file = 0;
            for (int y = 0; y < 8; ++y)
                if (reach & (1 << y)) file |= squareBit(8 * y);
            t.fileAttacks[at][o] = file;
        }
    }
    return t;
}

}  // namespace

extern constexpr RayTables rayTables = makeRayTables();
extern constexpr LineTables lineTables = makeLineTables(rayTables);

}  // namespace tallomir

#include "eval/mobility.hpp"

#include <bit>
#include <cstring>

namespace tallomir {

MobilityMasks mobilityMasks;
bool processorCounts = false;

void buildMobilityMasks() {
    static constexpr int fileStep[8] = {1, -1, 0, 1, -1, 1, 0, -1};
    static constexpr int rankStep[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int jumps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    processorCounts = __builtin_cpu_supports("popcnt");
#endif
    std::memset(&mobilityMasks, 0, sizeof mobilityMasks);
    for (int n = 0; n < 64; ++n) {
        const int f = n & 7, r = n >> 3;
        for (int d = 0; d < 8; ++d) {
            SquareSet ray = 0;
            for (int x = f + fileStep[d], y = r + rankStep[d]; x >= 0 && x < 8 && y >= 0 && y < 8;
                 x += fileStep[d], y += rankStep[d])
                ray |= SquareSet{1} << (8 * y + x);
            mobilityMasks.rays[d][n] = ray;
        }
        for (const auto& j : jumps) {
            const int x = f + j[0], y = r + j[1];
            if (x >= 0 && x < 8 && y >= 0 && y < 8) mobilityMasks.knightJumps[n] |= SquareSet{1} << (8 * y + x);
        }
    }
}

// Each rank of the mailbox holds its eight squares as eight consecutive
// bytes. One 64-bit load takes a whole rank; the colour bit of every byte is
// masked out and a multiplication gathers the eight bits, byte i to bit i.
Occupancy occupancyOf(const Position& pos) {
    static_assert(std::endian::native == std::endian::little, "ranks are read as little-endian words");
    constexpr std::uint64_t LOW_BITS = 0x0101010101010101ULL;
    constexpr std::uint64_t GATHER = 0x0102040810204080ULL;
    Occupancy occ{{0, 0}, 0};
    for (int r = 0; r < 8; ++r) {
        std::uint64_t rank;
        std::memcpy(&rank, &pos.board[makeSquare(0, r)], sizeof rank);
        occ.byColour[0] |= (((rank & LOW_BITS) * GATHER) >> 56) << (8 * r);
        occ.byColour[1] |= ((((rank >> 1) & LOW_BITS) * GATHER) >> 56) << (8 * r);
    }
    occ.all = occ.byColour[0] | occ.byColour[1];
    return occ;
}

}  // namespace tallomir

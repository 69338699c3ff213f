// Mobility counting on 64-bit square sets. A piece's mobility is, on each of
// its rays, the empty squares up to the first man plus that man when it is an
// enemy (for a knight: its jump squares not held by its own men), i.e. the
// squares it attacks that its own men do not occupy. The ray walk over the
// mailbox gives the same count, but the branch at the end of every ray makes
// it several times slower.
#pragma once

#include <bit>
#include <cstdint>

#include "board/position.hpp"

namespace tallomir {

using SquareSet = std::uint64_t;  // bit n for SquareNumber n

struct MobilityMasks {
    // rays[d][n]: the squares from n outwards in direction d, n itself excluded.
    // Directions 0-3 raise the square number (east, north-west, north,
    // north-east), directions 4-7 lower it (west, south-east, south, south-west).
    SquareSet rays[8][64];
    SquareSet knightJumps[64];
};
extern MobilityMasks mobilityMasks;

inline constexpr int EAST = 0, NORTH_WEST = 1, NORTH = 2, NORTH_EAST = 3;
inline constexpr int WEST = 4, SOUTH_EAST = 5, SOUTH = 6, SOUTH_WEST = 7;

void buildMobilityMasks();

// Squares held by each colour's men.
struct Occupancy {
    SquareSet byColour[2];
    SquareSet all;
};
Occupancy occupancyOf(const Position& pos);

// Counting the squares of a set. The default build may not assume a
// processor counting instruction, so the portable count uses shifts and one
// multiplication; the processor's count is used only inside functions
// compiled for it, chosen at start-up when the processor has it.
struct PortableCount {
    static int of(SquareSet s) {
        s = s - ((s >> 1) & 0x5555555555555555ULL);
        s = (s & 0x3333333333333333ULL) + ((s >> 2) & 0x3333333333333333ULL);
        s = (s + (s >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
        return static_cast<int>((s * 0x0101010101010101ULL) >> 56);
    }
};
struct ProcessorCount {
    static int of(SquareSet s) { return __builtin_popcountll(s); }
};

// True when the processor has a counting instruction (set by buildMobilityMasks).
extern bool processorCounts;

// The squares attacked along ray d from square n, up to and including the first man.
inline SquareSet rayAttacks(SquareSet all, int d, int n) {
    const SquareSet ray = mobilityMasks.rays[d][n];
    // A stop bit on the far corner gives every ray a first blocker; the corner's
    // own ray in that direction is empty, so the stop bit changes nothing.
    int first;
    if (d < 4)
        first = std::countr_zero((ray & all) | (SquareSet{1} << 63));
    else
        first = 63 - std::countl_zero((ray & all) | 1);
    return ray ^ mobilityMasks.rays[d][first];
}

inline SquareSet diagonalAttacks(SquareSet all, int n) {
    return rayAttacks(all, NORTH_WEST, n) | rayAttacks(all, NORTH_EAST, n) | rayAttacks(all, SOUTH_EAST, n) |
           rayAttacks(all, SOUTH_WEST, n);
}

inline SquareSet orthogonalAttacks(SquareSet all, int n) {
    return rayAttacks(all, EAST, n) | rayAttacks(all, NORTH, n) | rayAttacks(all, WEST, n) |
           rayAttacks(all, SOUTH, n);
}

template <class Count = PortableCount>
inline int diagonalMobility(const Occupancy& occ, int c, int n) {
    return Count::of(diagonalAttacks(occ.all, n) & ~occ.byColour[c]);
}

template <class Count = PortableCount>
inline int orthogonalMobility(const Occupancy& occ, int c, int n) {
    return Count::of(orthogonalAttacks(occ.all, n) & ~occ.byColour[c]);
}

template <class Count = PortableCount>
inline int queenMobility(const Occupancy& occ, int c, int n) {
    return Count::of((diagonalAttacks(occ.all, n) | orthogonalAttacks(occ.all, n)) & ~occ.byColour[c]);
}

template <class Count = PortableCount>
inline int knightMobility(const Occupancy& occ, int c, int n) {
    return Count::of(mobilityMasks.knightJumps[n] & ~occ.byColour[c]);
}

}  // namespace tallomir

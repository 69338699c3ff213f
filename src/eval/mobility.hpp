// Mobility counting on 64-bit square sets. A piece's mobility is, on each of
// its rays, the empty squares up to the first man plus that man when it is an
// enemy (for a knight: its jump squares not held by its own men), i.e. the
// squares it attacks that its own men do not occupy. The ray walk over the
// mailbox gives the same count, but the branch at the end of every ray makes
// it several times slower.
#pragma once

#include <cstdint>

#include "board/position.hpp"
#include "board/squareset.hpp"

namespace tallomir {

// Squares held by each colour's men, as the position keeps them.
struct Occupancy {
    SquareSet byColour[2];
    SquareSet all;
};
inline Occupancy occupancyOf(const Position& pos) {
    return {{pos.occupied[0], pos.occupied[1]}, pos.occupied[0] | pos.occupied[1]};
}

// Counting the squares of a set. The default build may not assume a
// processor counting instruction, so the portable count uses shifts and one
// multiplication; the processor's count is used only inside functions
// compiled for it, when the processor has it (platform::hasPopcount).
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
    return Count::of(rayTables.knightJumps[n] & ~occ.byColour[c]);
}

}  // namespace tallomir

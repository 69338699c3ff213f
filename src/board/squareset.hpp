// 64-bit square sets beside the mailbox board. Position keeps the squares
// held by each colour; the ray tables below turn them into the first man on a
// line without walking the line square by square (a walk ends in a branch the
// processor cannot predict).
#pragma once

#include <bit>
#include <cstdint>

#include "board/types.hpp"

namespace tallomir {

using SquareSet = std::uint64_t;  // bit n for SquareNumber n

inline constexpr SquareSet squareBit(int n) { return SquareSet{1} << n; }

// The a- and h-files, and the seventh rank seen from each colour.
inline constexpr SquareSet A_FILE = 0x0101010101010101ULL, H_FILE = A_FILE << 7;
inline constexpr SquareSet SEVENTH_RANK[2] = {0x00FF000000000000ULL, 0x000000000000FF00ULL};

// Ray directions. Directions 0-3 raise the square number (east, north-west,
// north, north-east), directions 4-7 lower it (west, south-east, south,
// south-west).
inline constexpr int EAST = 0, NORTH_WEST = 1, NORTH = 2, NORTH_EAST = 3;
inline constexpr int WEST = 4, SOUTH_EAST = 5, SOUTH = 6, SOUTH_WEST = 7;

struct RayTables {
    // rays[d][n]: the squares from n outwards in direction d, n itself excluded.
    SquareSet rays[8][64];
    SquareSet knightJumps[64];
    SquareSet kingSteps[64];
    // Ray direction of a mailbox step (+1 east .. -17 south-west), by step + 33;
    // -1 for the other steps (knight jumps).
    std::int8_t directionOfStep[67];
};
extern const RayTables rayTables;

inline int rayDirection(int step) { return rayTables.directionOfStep[step + 33]; }

// The first square of `occupied` on ray d from n. A ray without a man gives a
// corner square that the ray does not contain (a stop bit on the far corner:
// the corner's own ray in that direction is empty), so callers test the
// answer against the ray.
inline int firstOnRay(SquareSet occupied, int d, int n) {
    const SquareSet onRay = occupied & rayTables.rays[d][n];
    if (d < 4) return std::countr_zero(onRay | squareBit(63));
    return 63 - std::countl_zero(onRay | 1);
}

// The squares attacked along ray d from square n, up to and including the first man.
inline SquareSet rayAttacks(SquareSet occupied, int d, int n) {
    return rayTables.rays[d][n] ^ rayTables.rays[d][firstOnRay(occupied, d, n)];
}

// Lines through a square, for the sets of squares a slider attacks. Each
// line is collapsed by one multiplication into the occupancy of its six inner
// squares, which indexes a table of the attacks along one rank (or file).
struct LineTables {
    SquareSet diagonal[64];      // the a1-h8 diagonal through n, n excluded
    SquareSet antiDiagonal[64];  // the a8-h1 diagonal through n, n excluded
    SquareSet rank[64];          // the rank of n, n excluded
    // Attacks along a rank from file f with inner occupancy o, repeated on every rank.
    SquareSet rankAttacks[8][64];
    // Attacks along the a-file from rank r with inner occupancy o.
    SquareSet fileAttacks[8][64];
};
extern const LineTables lineTables;

// Bits 1-6 of a line with at most one square per file gathered into bits 0-5.
inline int innerOccupancy(SquareSet line) { return static_cast<int>((line * 0x0202020202020202ULL) >> 58); }

inline SquareSet lineAttacks(SquareSet occupied, SquareSet line, int n) {
    return line & lineTables.rankAttacks[n & 7][innerOccupancy(occupied & line)];
}

inline SquareSet fileAttacks(SquareSet occupied, int n) {
    const int f = n & 7;
    const int o = static_cast<int>((((occupied >> f) & A_FILE) * 0x0004081020408000ULL) >> 58);
    return lineTables.fileAttacks[n >> 3][o] << f;
}

// Both diagonals through a square at once: the men on their inner squares,
// multiplied by the square's own factor, index that square's block of
// attack sets (each factor was found by trial so that occupancies with
// different attacks never share an index).
struct DiagonalSquare {
    SquareSet inner;  // the diagonals' squares through n, n and the board's rim excluded
    SquareSet factor;
    std::uint32_t offset;  // the square's first entry in `attacks`
    std::uint32_t shift;   // 64 minus the number of inner squares
};
inline constexpr int DIAGONAL_ATTACK_SETS = 5248;
struct DiagonalTables {
    DiagonalSquare square[64];
    SquareSet attacks[DIAGONAL_ATTACK_SETS];
};
extern const DiagonalTables diagonalTables;

inline SquareSet diagonalAttacks(SquareSet occupied, int n) {
    const DiagonalSquare& d = diagonalTables.square[n];
    return diagonalTables.attacks[d.offset + (((occupied & d.inner) * d.factor) >> d.shift)];
}

inline SquareSet orthogonalAttacks(SquareSet occupied, int n) {
    return lineAttacks(occupied, lineTables.rank[n], n) | fileAttacks(occupied, n);
}

// The whole lines through n, n excluded: a slider that stands on none of
// them cannot attack n, so its attacks need not be looked up.
inline SquareSet diagonalLines(int n) { return lineTables.diagonal[n] | lineTables.antiDiagonal[n]; }
inline SquareSet orthogonalLines(int n) { return lineTables.rank[n] | ((A_FILE << (n & 7)) ^ squareBit(n)); }

// The attacks from n along the lines on which `sliders` stand; a line
// without one of them gives no squares.
inline SquareSet diagonalAttacksFor(SquareSet occupied, SquareSet sliders, int n) {
    return (sliders & diagonalLines(n)) ? diagonalAttacks(occupied, n) : 0;
}
inline SquareSet orthogonalAttacksFor(SquareSet occupied, SquareSet sliders, int n) {
    return (sliders & orthogonalLines(n)) ? orthogonalAttacks(occupied, n) : 0;
}

}  // namespace tallomir

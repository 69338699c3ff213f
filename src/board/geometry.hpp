// Square relations looked up by the difference of two squares. On the 16-wide
// board the difference d = target - origin of two real squares lies in
// -119..119 and is unique for each (rank, file) offset, so one table entry per
// difference says which men attack across it and with which step.
#pragma once

#include <cstdint>

#include "board/types.hpp"

namespace tallomir {

// The steps of each kind of man, zero-terminated, in the order every walk
// over them follows (the king steps like a queen, one square at a time).
inline constexpr std::int8_t knightSteps[9] = {-33, -31, -18, -14, 14, 18, 31, 33, 0};
inline constexpr std::int8_t bishopSteps[5] = {-17, -15, 15, 17, 0};
inline constexpr std::int8_t rookSteps[5] = {-16, -1, 1, 16, 0};
inline constexpr std::int8_t queenSteps[9] = {-17, -16, -15, -1, 1, 15, 16, 17, 0};

inline constexpr int DIFF_OFFSET = 119;
inline constexpr int DIFF_COUNT = 239;

struct Geometry {
    std::uint8_t attackMask[DIFF_COUNT];  // piece-code bits of men attacking across d
    std::int8_t attackStep[DIFF_COUNT];   // step from origin to target (knight jump itself)
    std::int8_t rayStep[DIFF_COUNT];      // as attackStep, sliders only
    std::int8_t distance[DIFF_COUNT];     // king distance, -1 where no two squares differ by d
    std::uint8_t stepMask[35];            // steps -17..17: slider bits moving along that step
    std::int8_t numberOf[256];            // Square -> SquareNumber, -1 on the border
    std::uint8_t isBackRank[256];
};

extern const Geometry geometry;

inline constexpr Square squareOf[64] = {0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x54, 0x55, 0x56, 0x57, 0x58,
                                        0x59, 0x5A, 0x5B, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x74, 0x75,
                                        0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A,
                                        0x8B, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0xA4, 0xA5, 0xA6, 0xA7,
                                        0xA8, 0xA9, 0xAA, 0xAB, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB};

inline int attackMask(int d) { return geometry.attackMask[d + DIFF_OFFSET]; }
inline int attackStep(int d) { return geometry.attackStep[d + DIFF_OFFSET]; }
inline int rayStep(int d) { return geometry.rayStep[d + DIFF_OFFSET]; }
inline int distanceBetween(Square a, Square b) { return geometry.distance[b - a + DIFF_OFFSET]; }
inline int stepMask(int step) { return geometry.stepMask[step + 17]; }
inline SquareNumber numberOf(Square sq) { return static_cast<SquareNumber>(geometry.numberOf[sq]); }
inline bool isBackRank(Square sq) { return geometry.isBackRank[sq] != 0; }

inline Square moveFromSquare(Move m) { return squareOf[moveFrom(m)]; }
inline Square moveToSquare(Move m) { return squareOf[moveTo(m)]; }

}  // namespace tallomir

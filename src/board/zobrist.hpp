// Zobrist numbers: the published Polyglot Random64 table.
#pragma once

#include <array>

#include "board/types.hpp"

namespace tallomir {

extern const HashKey zobristTable[781];

inline constexpr int ZOBRIST_CASTLING = 768;
inline constexpr int ZOBRIST_EN_PASSANT = 772;
inline constexpr int ZOBRIST_SIDE = 780;

// A man of pieceIndex p on SquareNumber n; `p ^ 1` puts black before white as
// the Polyglot piece order wants.
inline HashKey manKey(int pieceIdx, SquareNumber n) { return zobristTable[64 * (pieceIdx ^ 1) + n]; }
inline HashKey sideKey() { return zobristTable[ZOBRIST_SIDE]; }

// The key of each set of castling rights: the entries of its rights XORed.
extern const std::array<HashKey, 16> castleKey;

}  // namespace tallomir

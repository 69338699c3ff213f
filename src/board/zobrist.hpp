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
// The en-passant entry of the file of sq.
inline HashKey epKey(Square sq) { return zobristTable[ZOBRIST_EN_PASSANT + fileOf(sq)]; }
// The material key XORs one entry for each man present, by kind and by how
// many of its kind stood on the board before it: the n-th man (from 0) of
// pieceIndex k has entry 16 * k + n. The key thus depends only on the count of
// each kind, never on squares; it borrows the first 192 man-on-square entries,
// as no kind ever counts 16 men.
inline HashKey materialKeyEntry(int pieceIdx, int n) { return zobristTable[16 * pieceIdx + n]; }

// The key of each set of castling rights: the entries of its rights XORed.
extern const std::array<HashKey, 16> castleKey;

}  // namespace tallomir

// Piece-square tables: a fixed (opening, endgame) value per man and square,
// from White's point of view. The Position keeps their running sums.
#pragma once

#include <cstdint>

#include "board/types.hpp"

namespace tallomir {

struct PsqPair {
    std::int16_t mid;
    std::int16_t end;
};

// entry[pieceIndex][SquareNumber], pieceIndex P p N n B b R r Q q K k. Black's
// entries are the negated vertical mirror of White's, so sums are White minus Black.
struct PieceSquareTables {
    PsqPair entry[12][64];
};
extern const PieceSquareTables pieceSquareTables;

inline const PsqPair& pieceSquare(int pieceIdx, SquareNumber n) { return pieceSquareTables.entry[pieceIdx][n]; }

}  // namespace tallomir

// Piece-square tables: a fixed (opening, endgame) value per man and square,
// from White's point of view. The Position keeps their running sums.
#pragma once

#include <cstdint>

namespace tallomir {

struct PsqPair {
    std::int16_t mid;
    std::int16_t end;
};

// Indexed by pieceIndex (P p N n B b R r Q q K k) and SquareNumber. Black's
// entries are the negated vertical mirror of White's, so sums are White minus Black.
extern PsqPair pieceSquare[12][64];

void buildPieceSquareTables();

}  // namespace tallomir

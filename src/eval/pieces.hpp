// Piece terms: the fixed trapped-piece patterns, and mobility and placement
// of every knight, bishop, rook and queen.
#pragma once

#include <cstdint>

#include "board/position.hpp"
#include "eval/material.hpp"
#include "eval/pawns.hpp"

namespace tallomir {

// enterable[c][code] is 1 when a man of colour c may move onto a square
// holding code: an empty square or any enemy man. Mobility is the number of
// enterable squares a piece reaches; evalPieces counts it on square sets
// (eval/mobility.hpp), which gives the same numbers.
extern std::int32_t enterable[2][256];
// Knight outposts by colour and SquareNumber, counted once per defending pawn.
extern std::int32_t outpostBonus[2][64];

void buildEnterable();
void buildOutpostBonus();

// Both add into the score pair, White's view.
void evalTrappedPieces(const Position& pos, int& mid, int& end);
void evalPieces(const Position& pos, const MaterialEntry& material, const PawnEntry& pawns, int& mid, int& end);
// evalPieces with the count of squares chosen by the caller: the portable one,
// or the processor's instruction (only where platform::hasPopcount() is true;
// evalPieces takes it there). Both give the same scores.
void evalPiecesCounted(bool processorCount, const Position& pos, const MaterialEntry& material,
                       const PawnEntry& pawns, int& mid, int& end);

}  // namespace tallomir

// Piece terms: the fixed trapped-piece patterns, and mobility and placement
// of every knight, bishop, rook and queen.
#pragma once

#include <cstdint>

#include "board/position.hpp"
#include "eval/material.hpp"
#include "eval/pawns.hpp"

namespace tallomir {

// Mobility is the number of squares a piece reaches that are empty or hold an
// enemy man; evalPieces counts them on square sets (eval/mobility.hpp).
// Both add into the score pair, White's view.
void evalTrappedPieces(const Position& pos, int& mid, int& end);
void evalPieces(const Position& pos, const MaterialEntry& material, const PawnEntry& pawns, int& mid, int& end);
// evalPieces with the count of squares chosen by the caller: the portable one,
// or the processor's instruction (only where platform::hasPopcount() is true;
// evalPieces takes it there). Both give the same scores.
void evalPiecesCounted(bool processorCount, const Position& pos, const MaterialEntry& material, const PawnEntry& pawns,
                       int& mid, int& end);

}  // namespace tallomir

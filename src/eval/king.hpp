// King safety: a king that is not castled behind an intact pawn shelter pays
// in the opening half while the opponent keeps a queen and another piece.
#pragma once

#include "board/position.hpp"
#include "eval/material.hpp"

namespace tallomir {

// Shelter of one colour's king: true when it stands castled behind its pawns.
bool kingSheltered(const Position& pos, int c);

// Adds into the opening half only, White's view.
void evalKingShelter(const Position& pos, const MaterialEntry& material, int& mid);

}  // namespace tallomir

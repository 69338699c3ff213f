// Static exchange evaluation: the material balance of the capture sequence on
// a move's destination, each side using its least valuable attacker and free
// to stop when going on would lose.
#pragma once

#include "board/position.hpp"

namespace tallomir {

int staticExchange(const Position& pos, Move move);
// Whether staticExchange(pos, move) >= 0, found with as few captures as decide it.
bool exchangeHolds(const Position& pos, Move move);

}  // namespace tallomir

// Mate, draws by rule and whether a move checks: the questions that need the
// move generators or make/unmake on top of the attack tests.
#pragma once

#include "board/position.hpp"

namespace tallomir {

// The side to move is in check and has no legal reply.
bool isMated(Position& pos);
// Drawn by the fifty-move rule (unless mated on the hundredth ply) or by repetition.
bool isDrawByRule(Position& pos);
// After move, the side then to move is in check.
bool givesCheck(Position& pos, Move move);

}  // namespace tallomir

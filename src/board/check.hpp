// Mate, draws by rule and whether a move checks: the questions that need the
// move generators or make/unmake on top of the attack tests.
#pragma once

#include "board/position.hpp"

namespace tallomir {

// The side to move is in check and has no legal reply.
bool isMated(Position& pos);
// Drawn by the fifty-move rule (unless mated on the hundredth ply) or by repetition.
// Within three plies of a capture or pawn move neither can be, which the
// search sees at most of its nodes.
bool isDrawByRuleAfterQuietPlies(Position& pos);
inline bool isDrawByRule(Position& pos) { return pos.fiftyCount >= 4 && isDrawByRuleAfterQuietPlies(pos); }
// After move, the side then to move is in check.
bool givesCheck(Position& pos, Move move);

}  // namespace tallomir

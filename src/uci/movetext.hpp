// UCI long algebraic move text ("e2e4", "e7e8q", castling as the king's move).
#pragma once

#include <string>
#include <string_view>

#include "board/position.hpp"

namespace tallomir {

// The Move for a text of four or five characters in pos, or 0 when malformed.
// Reads the position only to find the en-passant and castling kinds.
Move textToMove(const Position& pos, std::string_view text);
// Writes the text and its terminating zero into buf (at least 6 characters).
void moveToText(Move move, char* buf);
std::string moveToText(Move move);
// The Move for a text when it is legal in pos, else 0.
Move legalMoveFromText(Position& pos, std::string_view text);
// Plays the move of a text when it is legal in pos (compacting a long key
// history first, as "position" does); false, and pos unchanged, otherwise.
bool playMoveText(Position& pos, std::string_view text);

}  // namespace tallomir

// Turning pseudo-legal moves into legal ones, and checking moves that come
// from outside the generators (the transposition table, killer slots).
#pragma once

#include "board/check.hpp"
#include "board/movegen.hpp"

namespace tallomir {

void generateLegal(Position& pos, MoveList& list);
// For a side that is not in check: the move leaves the mover's king safe.
bool isLegal(Position& pos, Move move);
void filterLegal(Position& pos, MoveList& list);
bool isPseudoLegal(const Position& pos, Move move);
bool isValidHashMove(const Position& pos, Move move);
bool isValidKiller(const Position& pos, Move move);

}  // namespace tallomir

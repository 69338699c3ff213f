// Turning pseudo-legal moves into legal ones, and checking moves that come
// from outside the generators (the transposition table, killer slots).
#pragma once

#include "board/check.hpp"
#include "board/movegen.hpp"

namespace tallomir {

void generateLegal(Position& pos, MoveList& list);
// For a side that is not in check: the move leaves the mover's king safe.
// Most moves are decided inline: a man that stands on no line through its own
// king cannot be pinned, so only king moves, en passant and men on such a line
// need the full test.
bool isLegalOnKingLine(Position& pos, Move move);
inline bool isLegal(Position& pos, Move move) {
    const Square from = moveFromSquare(move);
    if (moveKind(move) != EN_PASSANT && !(pos.board[from] & KING) && rayStep(pos.kingSquare(pos.side) - from) == 0)
        return true;
    return isLegalOnKingLine(pos, move);
}
void filterLegal(Position& pos, MoveList& list);
bool isPseudoLegal(const Position& pos, Move move);
bool isValidHashMove(const Position& pos, Move move);
bool isValidKiller(const Position& pos, Move move);

}  // namespace tallomir

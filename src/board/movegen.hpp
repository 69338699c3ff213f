// Move generators. The order in which they append moves is fixed: it is the
// order the search sees among moves of equal ordering score.
#pragma once

#include "board/attacks.hpp"
#include "board/position.hpp"

namespace tallomir {

// 256 moves suffice for any position of a real game; with up to sixteen men a
// side (all the FEN loader accepts) no position has more than 512.
inline constexpr int MAX_MOVES = 512;

struct MoveList {
    std::int32_t count;
    Move moves[MAX_MOVES];
    std::int16_t scores[MAX_MOVES];
};

// The square whose quiet moves count as preferred: b1 (1) or a1 (0).
int preferredSquare(const Position& pos);

// Every square a man of colour attacks: the squares where isAttacked says yes.
// Worth it over single tests when the colour has at most FEW_ATTACKERS
// pieces, the king included.
SquareSet attackedSquares(const Position& pos, int colour);
inline constexpr int FEW_ATTACKERS = 3;

void generateAll(const Position& pos, MoveList& list);
void generateEnPassant(const Position& pos, MoveList& list);
void generateCastling(const Position& pos, MoveList& list);
// Captures, promotions and en passant in the order the search tries them:
// victims by type from the queen down and, for one victim type, the takers by
// type from the pawn up (en passant after the pawns' captures of pawns); ties
// in pawn-list and piece-list order, each man's own in the order of its
// directions and of its promotions (queen, knight, rook, bishop). The
// promotions without a capture close the list: queens, rooks, bishops, knights.
void generateCaptures(const Position& pos, MoveList& list);
// The quiet moves except castling, in two lists that the picker orders apart.
// Preferred: every knight move, every move of a bishop standing on the
// preferred square, and the rook, queen and king moves onto it. Other: the
// rest of the piece moves and the pawn pushes.
void generatePreferredQuiets(const Position& pos, MoveList& list);
void generateOtherQuiets(const Position& pos, MoveList& list);
// The same with the king's moves only onto the squares of kingSquares.
void generateOtherQuiets(const Position& pos, MoveList& list, SquareSet kingSquares);
// Replies to check; with verify every move appended is legal; with stopAtFirst
// nothing is appended and the result says whether a reply exists.
bool generateEvasions(const Position& pos, MoveList& list, const CheckInfo& checks, bool verify, bool stopAtFirst);

}  // namespace tallomir

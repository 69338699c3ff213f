// Attack, pin and check questions answered from the piece lists, the
// difference-indexed geometry and the occupied squares, without generating moves.
#pragma once

#include <array>

#include "board/position.hpp"

namespace tallomir {

// The checkers of the side to move: square and, for a slider, the step from the
// king towards it (0 for pawns and knights). Entry `count` is 0 in both arrays.
// At most two checkers are recorded.
struct CheckInfo {
    std::int32_t count;
    std::int32_t checkerSquare[3];
    std::int32_t checkerRay[3];
};

// pawnAttackers[c][n]: the squares from which a pawn of colour c attacks n.
inline constexpr auto pawnAttackers = [] {
    std::array<std::array<SquareSet, 64>, 2> from{};
    for (int n = 0; n < 64; ++n) {
        const int file = n & 7, rank = n >> 3;
        if (rank > 0 && file > 0) from[0][n] |= squareBit(n - 9);
        if (rank > 0 && file < 7) from[0][n] |= squareBit(n - 7);
        if (rank < 7 && file > 0) from[1][n] |= squareBit(n + 7);
        if (rank < 7 && file < 7) from[1][n] |= squareBit(n + 9);
    }
    return from;
}();

// Whether a man of colour attacks target. The leapers are one set test; the
// sliders are looked up only on lines where one of them stands.
inline bool isAttacked(const Position& pos, int colour, Square target) {
    const int n = numberOf(target);
    const SquareSet* men = pos.typeSquares[colour];
    if ((pawnAttackers[colour][n] & men[PAWN_TYPE]) | (rayTables.knightJumps[n] & men[KNIGHT_TYPE]) |
        (rayTables.kingSteps[n] & men[KING_TYPE]))
        return true;
    const SquareSet all = pos.occupied[0] | pos.occupied[1];
    const SquareSet diagonal = men[BISHOP_TYPE] | men[QUEEN_TYPE], orthogonal = men[ROOK_TYPE] | men[QUEEN_TYPE];
    return (diagonalAttacksFor(all, diagonal, n) & diagonal) || (orthogonalAttacksFor(all, orthogonal, n) & orthogonal);
}
bool pathClear(const Position& pos, Square from, Square to);
// The knights, bishops, rooks and queens of colour that attack SquareNumber n,
// given the squares seen from n along diagonals and along ranks and files.
SquareSet pieceAttackers(const Position& pos, int colour, int n, SquareSet diagonalSight, SquareSet orthogonalSight);
// The men of `men` in the order of their piece lists; returns how many.
int inListOrderOfMany(const Position& pos, SquareSet men, Square* out);
inline int inListOrder(const Position& pos, SquareSet men, Square* out) {
    if (!(men & (men - 1))) {
        if (men) out[0] = squareOf[std::countr_zero(men)];
        return men != 0;
    }
    return inListOrderOfMany(pos, men, out);
}
bool isPinned(const Position& pos, int colour, Square sq);
int findCheckers(const Position& pos, CheckInfo& info);
// All men of the side not to move that attack the side to move's king.
int countCheckers(const Position& pos);
// Own men standing alone between an own slider and the enemy king; zero-terminated.
void discoveryCandidates(const Position& pos, Square* out);

}  // namespace tallomir

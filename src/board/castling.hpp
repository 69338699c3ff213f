// The four castlings, the one place that knows their squares and rights.
#pragma once

#include "board/position.hpp"
#include "board/types.hpp"

namespace tallomir {

// What a castling needs and does: the right it takes, where the king and the
// rook start and end, the square the king crosses (no enemy man may attack
// it) and the squares between king and rook, which must be empty.
struct Castling {
    int right;
    Square kingFrom, kingTo, rookFrom, rookTo;
    Square crossed;
    Square between[3];  // 0 after the last
};

// By colour, then short (0) and long (1); the FEN letters K, Q, k, q in turn.
inline constexpr Castling castlings[2][2] = {
    {{WHITE_SHORT, E1, G1, H1, F1, F1, {F1, G1, 0}}, {WHITE_LONG, E1, C1, A1, D1, D1, {D1, C1, B1}}},
    {{BLACK_SHORT, E8, G8, H8, F8, F8, {F8, G8, 0}}, {BLACK_LONG, E8, C8, A8, D8, D8, {D8, C8, B8}}}};

// The castling whose king goes to kingTo (g1, c1, g8 or c8).
constexpr const Castling& castlingTo(Square kingTo) { return castlings[rankOf(kingTo) == 7][fileOf(kingTo) < 4]; }

// Nothing stands between the king and the rook.
inline bool castlingPathEmpty(const Position& pos, const Castling& c) {
    for (const Square s : c.between)
        if (s && pos.board[s] != EMPTY) return false;
    return true;
}

}  // namespace tallomir

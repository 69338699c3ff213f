// Rules that the root search and the tree search share: the extensions, the
// pawn moves they and the futility test single out, and the copying of
// principal variations.
#pragma once

#include "board/check.hpp"
#include "board/geometry.hpp"
#include "board/legality.hpp"
#include "board/see.hpp"
#include "editions/edition.hpp"
#include "search/state.hpp"

namespace tallomir {

// A pawn move that lands on the mover's seventh rank.
inline bool isPawnMoveToSeventh(const Position& pos, Move m) {
    return (pos.board[moveFromSquare(m)] & PAWN_BITS) && isSeventhRank(moveToSquare(m), pos.side);
}

// A pawn move that lands on the mover's seventh or eighth rank.
inline bool isPawnMoveToSeventhOrEighth(const Position& pos, Move m) {
    return (pos.board[moveFromSquare(m)] & PAWN_BITS) && isSeventhOrEighthRank(moveToSquare(m), pos.side);
}

// What the test below needs of a node, the same for all its moves: the
// enemy king and whether the side to move has a slider.
struct CheckFilter {
    Square enemyKing;
    bool sliders;
};
inline CheckFilter checkFilter(const Position& pos) {
    const int side = pos.side;
    return {pos.pieceList[side ^ 1][0], (pos.diagonalSquares(side) | pos.orthogonalSquares(side)) != 0};
}

// A plain move that plainly does not check: its man does not reach the
// king's square from where it lands, and it leaves no line to that king that
// an own slider could open. The rest is for givesCheck.
inline bool plainlyNoCheck(const Position& pos, const CheckFilter& f, Move m) {
    if (moveKind(m) != NORMAL) return false;
    const Square from = moveFromSquare(m), to = moveToSquare(m);
    if (pos.board[from] & attackMask(f.enemyKing - to)) return false;
    return !f.sliders || rayStep(f.enemyKing - from) == 0;
}

// Depth units added to a move's search: checks always; the only evasion;
// and at PV nodes (the root is one) a winning recapture or a safe pawn move
// to the seventh rank.
// `checks` tells whether the move checks.
inline int extension(Position& pos, const CheckFilter& f, Move m, bool singleReply, bool isPvNode, bool& checks) {
    checks = !plainlyNoCheck(pos, f, m) && givesCheck(pos, m);
    if (checks) return EDITION.extCheck;
    if (singleReply) return EDITION.extSingleReply;
    if (!isPvNode) return 0;
    if (moveToSquare(m) == pos.lastCaptureSquare && staticExchange(pos, m) > 0) return EDITION.extRecapture;
    if (isPawnMoveToSeventh(pos, m) && staticExchange(pos, m) >= 0) return EDITION.extPawnSeventh;
    return 0;
}

inline int extension(Position& pos, Move m, bool singleReply, bool isPvNode) {
    bool checks;
    return extension(pos, checkFilter(pos), m, singleReply, isPvNode, checks);
}

// Copies a zero-terminated PV into room for `capacity` moves, terminator included.
inline void copyPv(Move* to, const Move* from, int capacity = PV_CAPACITY) {
    const Move* const end = from + capacity - 1;
    for (; from != end; ++from, ++to)
        if ((*to = *from) == 0) return;
    *to = 0;
}

// The PV of a node: its move, then the child's PV.
inline void appendPv(Move* pv, const Move* childPv, Move m) {
    pv[0] = m;
    copyPv(pv + 1, childPv, PV_CAPACITY - 1);
}

}  // namespace tallomir

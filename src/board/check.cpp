#include "board/check.hpp"

#include "board/makemove.hpp"
#include "board/movegen.hpp"

namespace tallomir {

bool isMated(Position& pos) {
    CheckInfo info;
    if (findCheckers(pos, info) == 0) return false;
    MoveList scratch;
    scratch.count = 0;
    return !generateEvasions(pos, scratch, info, true, true);
}

namespace {

// The same side is to move 4, 6, ... plies back, up to the last capture or
// pawn move; two of them are compared at each step.
inline bool repeated(const Position& pos, int fifty) {
    const HashKey key = pos.key;
    const HashKey* h = pos.keyHistory + pos.historyCount - 4;
    int left = fifty / 2 - 1;
    for (; left >= 2; left -= 2, h -= 4)
        if (h[0] == key || h[-2] == key) return true;
    return left > 0 && h[0] == key;
}

// A hundred plies without a capture or pawn move draw unless the last one
// mated; out of line, so that the common case saves no registers for it.
[[gnu::noinline]] bool drawnAtFiftyMoves(Position& pos) {
    const int fifty = pos.fiftyCount;
    return fifty > 100 || !isMated(pos) || repeated(pos, fifty);
}

}  // namespace

bool isDrawByRuleAfterQuietPlies(Position& pos) {
    const int fifty = pos.fiftyCount;
    if (fifty >= 100) return drawnAtFiftyMoves(pos);
    return repeated(pos, fifty);
}

namespace {

// Castling and en passant are made and tested on the board; out of line, so
// that the common case saves no registers for them.
[[gnu::noinline]] bool specialMoveGivesCheck(Position& pos, Move move) {
    const int m = pos.side;
    UndoRecord undo;
    makeMove(pos, undo, move);
    const bool result = isAttacked(pos, m, pos.pieceList[m ^ 1][0]);
    unmakeMove(pos, undo, move);
    return result;
}

}  // namespace

bool givesCheck(Position& pos, Move move) {
    const int kind = moveKind(move);
    if (kind != NORMAL && kind != PROMOTION) return specialMoveGivesCheck(pos, move);
    const int m = pos.side;
    const Square k = pos.pieceList[m ^ 1][0];
    const Square from = moveFromSquare(move), to = moveToSquare(move);
    // A promotion checks as the new piece would from its square.
    const int code = kind == PROMOTION ? promoPiece[movePromo(move)] | colourBits(m) : pos.board[from];
    const int d = k - to;
    if (code & attackMask(d)) {
        const int step = attackStep(d);
        Square s = to + step;
        while (s != k && (pos.board[s] == EMPTY || s == from)) s += step;
        if (s == k) return true;
    }
    // A discovered check: the mover leaves a line through the king that it
    // alone blocked against an own slider (a side without sliders has none).
    const int line = rayStep(k - from);
    return line != 0 && rayStep(k - to) != line && (pos.diagonalSquares(m) | pos.orthogonalSquares(m)) &&
           isPinned(pos, m ^ 1, from);
}

}  // namespace tallomir

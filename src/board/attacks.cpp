#include "board/attacks.hpp"

namespace tallomir {

SquareSet pieceAttackers(const Position& pos, int colour, int n, SquareSet diagonalSight, SquareSet orthogonalSight) {
    return (rayTables.knightJumps[n] & pos.knightSquares(colour)) | (diagonalSight & pos.diagonalSquares(colour)) |
           (orthogonalSight & pos.orthogonalSquares(colour));
}

int inListOrderOfMany(const Position& pos, SquareSet men, Square* out) {
    int count = 0;
    for (; men; men &= men - 1) {
        const Square sq = squareOf[std::countr_zero(men)];
        int j = count++;
        while (j > 0 && pos.listIndex[out[j - 1]] > pos.listIndex[sq]) {
            out[j] = out[j - 1];
            --j;
        }
        out[j] = sq;
    }
    return count;
}

bool pathClear(const Position& pos, Square from, Square to) {
    const int step = attackStep(to - from);
    for (Square s = from + step; s != to; s += step)
        if (pos.board[s] != EMPTY) return false;
    return true;
}

bool isPinned(const Position& pos, int colour, Square s) {
    const Square k = pos.pieceList[colour][0];
    const int d = rayStep(k - s);
    if (d == 0) return false;
    Square b = s + d;
    while (pos.board[b] == EMPTY) b += d;
    if (b != k) return false;
    b = s - d;
    while (pos.board[b] == EMPTY) b -= d;
    const int code = pos.board[b];
    return (code & colourBits(colour ^ 1)) && (code & stepMask(d));
}

int findCheckers(const Position& pos, CheckInfo& info) {
    const int c = pos.side, e = c ^ 1;
    const Square k = pos.pieceList[c][0];
    int n = 0;
    const Square u = k - pawnPush[e];
    const int pawn = pawnCode[e];
    if (pos.board[u + 1] == pawn) {
        info.checkerSquare[n] = u + 1;
        info.checkerRay[n++] = 0;
    }
    if (pos.board[u - 1] == pawn) {
        info.checkerSquare[n] = u - 1;
        info.checkerRay[n++] = 0;
    }
    // Pieces that reach the king (never the other king), in the order of the piece list.
    const SquareSet all = pos.occupied[0] | pos.occupied[1];
    const int nk = numberOf(k);
    const SquareSet pieces = pieceAttackers(pos, e, nk, diagonalAttacksFor(all, pos.diagonalSquares(e), nk),
                                            orthogonalAttacksFor(all, pos.orthogonalSquares(e), nk));
    Square found[MAX_NON_PAWNS];
    const int count = inListOrder(pos, pieces, found);
    for (int i = 0; i < count && n < 2; ++i) {
        const Square sq = found[i];
        info.checkerSquare[n] = sq;
        info.checkerRay[n++] = (pos.board[sq] & SLIDER_BITS) ? -rayStep(k - sq) : 0;
    }
    info.checkerSquare[n] = 0;
    info.checkerRay[n] = 0;
    info.count = n;
    return n;
}

int countCheckers(const Position& pos) {
    const int c = pos.side, e = c ^ 1;
    const Square k = pos.pieceList[c][0];
    int n = 0;
    const Square u = k - pawnPush[e];
    if (pos.board[u + 1] == pawnCode[e]) ++n;
    if (pos.board[u - 1] == pawnCode[e]) ++n;
    for (const std::uint8_t* p = pos.pieceList[e] + 1; *p; ++p) {
        const Square sq = *p;
        if (!(pos.board[sq] & attackMask(k - sq))) continue;
        if (pathClear(pos, sq, k)) ++n;
    }
    return n;
}

void discoveryCandidates(const Position& pos, Square* out) {
    const int c = pos.side;
    const Square ek = pos.pieceList[c ^ 1][0];
    const int own = colourBits(c);
    // No own slider on a line through the king: nothing to uncover.
    const int nk = numberOf(ek);
    if (!((pos.diagonalSquares(c) & diagonalLines(nk)) | (pos.orthogonalSquares(c) & orthogonalLines(nk)))) {
        *out = 0;
        return;
    }
    for (const std::uint8_t* p = pos.pieceList[c] + 1; *p; ++p) {
        const Square sq = *p;
        if (!(pos.board[sq] & attackMask(ek - sq))) continue;
        const int d = rayStep(ek - sq);
        Square b = sq + d;
        while (pos.board[b] == EMPTY) b += d;
        if (!(pos.board[b] & own)) continue;
        Square e = b + d;
        while (pos.board[e] == EMPTY) e += d;
        if (e == ek) *out++ = b;
    }
    *out = 0;
}

}  // namespace tallomir

#include "board/legality.hpp"

#include "board/makemove.hpp"

namespace tallomir {

void generateLegal(Position& pos, MoveList& list) {
    CheckInfo info;
    if (findCheckers(pos, info)) {
        generateEvasions(pos, list, info, true, false);
        return;
    }
    list.count = 0;
    generateAll(pos, list);
    generateEnPassant(pos, list);
    generateCastling(pos, list);
    filterLegal(pos, list);
}

namespace {

// Two pawns leave the rank at once: only a real make shows a pin along it.
// Out of line, so that the common tests below save no registers for it.
[[gnu::noinline]] bool isLegalEnPassant(Position& pos, Move move) {
    const int c = pos.side;
    UndoRecord undo;
    makeMove(pos, undo, move);
    const bool attacked = isAttacked(pos, c ^ 1, pos.pieceList[c][0]);
    unmakeMove(pos, undo, move);
    return !attacked;
}

}  // namespace

bool isLegalOnKingLine(Position& pos, Move move) {
    if (moveKind(move) == EN_PASSANT) return isLegalEnPassant(pos, move);
    const int c = pos.side;
    const Square k = pos.pieceList[c][0];
    const Square from = moveFromSquare(move), to = moveToSquare(move);
    if (pos.board[from] & KING) return !isAttacked(pos, c ^ 1, to);
    if (isPinned(pos, c, from)) return rayStep(k - to) == rayStep(k - from);
    return true;
}

void filterLegal(Position& pos, MoveList& list) {
    int kept = 0;
    for (int i = 0; i < list.count; ++i) {
        if (!isLegal(pos, list.moves[i])) continue;
        list.moves[kept] = list.moves[i];
        list.scores[kept] = list.scores[i];
        ++kept;
    }
    list.count = kept;
}

bool isPseudoLegal(const Position& pos, Move move) {
    MoveList list;
    list.count = 0;
    generateAll(pos, list);
    generateEnPassant(pos, list);
    generateCastling(pos, list);
    for (int i = 0; i < list.count; ++i)
        if (list.moves[i] == move) return true;
    return false;
}

namespace {

// The common part of both validity tests for a move without kind bits.
// Pawn captures are allowed only when the destination holds a man.
bool plainMovePossible(const Position& pos, Move move, bool allowCapture) {
    // Promotion bits on a move without the promotion kind: no generator makes it.
    if (movePromo(move) != 0) return false;
    const int c = pos.side;
    const Square from = moveFromSquare(move), to = moveToSquare(move);
    const int code = pos.board[from];
    const int target = pos.board[to];
    if (!(code & colourBits(c)) || (target & colourBits(c))) return false;
    if (!allowCapture && target != EMPTY) return false;
    const int push = pawnPush[c];
    if (code & PAWN_BITS) {
        if (isBackRank(to)) return false;
        if (target == EMPTY) {
            if (to - from == push) return true;
            return to - from == 2 * push && isSecondRank(from, c) && pos.board[from + push] == EMPTY;
        }
        return to - from == push - 1 || to - from == push + 1;
    }
    return (code & attackMask(to - from)) && pathClear(pos, from, to);
}

// A promotion: a pawn of the side to move steps onto an empty back-rank
// square or takes a man there, with any of the four pieces. En passant: onto
// the en passant square from beside the pawn that has just made its double
// step. Castling asks the generator.
[[gnu::noinline]] bool specialMovePossible(const Position& pos, Move move) {
    const int c = pos.side;
    const Square from = moveFromSquare(move), to = moveToSquare(move);
    if (moveKind(move) == PROMOTION) {
        if (pos.board[from] != pawnCode[c] || !isBackRank(to)) return false;
        const int step = to - from, push = pawnPush[c];
        if (step == push) return pos.board[to] == EMPTY;
        return (step == push - 1 || step == push + 1) && (pos.board[to] & colourBits(c ^ 1));
    }
    if (moveKind(move) == EN_PASSANT) {
        if (!pos.epSquare || movePromo(move) != 0 || to != pos.epSquare) return false;
        const Square t = pos.epSquare - pawnPush[c];
        return (from == t + 1 || from == t - 1) && pos.board[from] == pawnCode[c];
    }
    return isPseudoLegal(pos, move);
}

}  // namespace

bool isValidHashMove(const Position& pos, Move move) {
    if (moveKind(move) != NORMAL) return specialMovePossible(pos, move);
    return plainMovePossible(pos, move, true);
}

bool isValidKiller(const Position& pos, Move move) {
    if (moveKind(move) == CASTLING) return isPseudoLegal(pos, move);
    if (moveKind(move) != NORMAL) return false;
    return plainMovePossible(pos, move, false);
}

}  // namespace tallomir

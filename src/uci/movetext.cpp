#include "uci/movetext.hpp"

#include <cstring>

#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "search/state.hpp"

namespace tallomir {

namespace {

constexpr char PROMOTION_LETTERS[4] = {'n', 'b', 'r', 'q'};

// Square from a file letter and rank digit, or -1 when either is out of range.
int squareFromText(char file, char rank) {
    if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return -1;
    return ((rank - 45) << 4) | (file - 93);
}

}  // namespace

Move textToMove(const Position& pos, std::string_view t) {
    if (t.size() < 4) return 0;
    const int from = squareFromText(t[0], t[1]);
    const int to = squareFromText(t[2], t[3]);
    if (from < 0 || to < 0) return 0;
    int move = (numberOf(from) << 6) | numberOf(to);
    if (t.size() > 4) {
        switch (t[4]) {
            case 'n':
                move |= promotionBits(PROMO_KNIGHT);
                break;
            case 'b':
                move |= promotionBits(PROMO_BISHOP);
                break;
            case 'r':
                move |= promotionBits(PROMO_ROOK);
                break;
            case 'q':
                move |= promotionBits(PROMO_QUEEN);
                break;
            default:
                return 0;
        }
    }
    const int piece = pos.board[from];
    if ((piece & PAWN_BITS) && to == pos.epSquare)
        move |= EN_PASSANT;
    else if ((piece & KING) && (to - from == 2 || to - from == -2))
        move |= CASTLING;
    return static_cast<Move>(move);
}

void moveToText(Move move, char* buf) {
    if (move == NULL_MOVE) {
        std::memcpy(buf, "null", 5);
        return;
    }
    const Square from = moveFromSquare(move), to = moveToSquare(move);
    buf[0] = static_cast<char>((from & 15) + 93);
    buf[1] = static_cast<char>((from >> 4) + 45);
    buf[2] = static_cast<char>((to & 15) + 93);
    buf[3] = static_cast<char>((to >> 4) + 45);
    int n = 4;
    if (moveKind(move) == PROMOTION) buf[n++] = PROMOTION_LETTERS[movePromo(move)];
    buf[n] = '\0';
}

std::string moveToText(Move move) {
    char buf[6];
    moveToText(move, buf);
    return buf;
}

Move legalMoveFromText(Position& pos, std::string_view text) {
    const Move m = textToMove(pos, text);
    if (m == 0) return 0;
    MoveList legal;
    generateLegal(pos, legal);
    for (int i = 0; i < legal.count; ++i)
        if (legal.moves[i] == m) return m;
    return 0;
}

bool playMoveText(Position& pos, std::string_view text) {
    const Move m = legalMoveFromText(pos, text);
    if (m == 0) return false;
    if (pos.historyCount >= HISTORY_COMPACT_AT) compactKeyHistory(pos);
    UndoRecord undo;
    makeMove(pos, undo, m);
    return true;
}

}  // namespace tallomir

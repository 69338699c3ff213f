// FEN set-up: reads a FEN text into a Position and rejects what no game can
// reach. It sits above the attack tests, which it needs for the last checks.
#include <cstring>
#include <memory>

#include "board/attacks.hpp"
#include "board/castling.hpp"
#include "board/position.hpp"

namespace tallomir {

namespace {

constexpr const char* pieceLetters = "PpNnBbRrQqKk";

// Bounded reader over the FEN text: past the end every character is '\0'.
struct Cursor {
    std::string_view text;
    std::size_t at = 0;
    char peek(std::size_t ahead = 0) const { return at + ahead < text.size() ? text[at + ahead] : '\0'; }
    char next() {
        char c = peek();
        ++at;
        return c;
    }
    void skip() { ++at; }
};

// The board alone must be sound before the derived fields are built from it:
// one king a side and no more men than the lists and the move lists are sized for.
bool plausibleBoard(const Position& pos) {
    int kings[2] = {0, 0}, men[2] = {0, 0}, pawns[2] = {0, 0};
    for (int n = 0; n < 64; ++n) {
        Square sq = squareOf[n];
        int code = pos.board[sq];
        if (code == EMPTY) continue;
        int c = colourOf(code);
        ++men[c];
        if (code & KING) ++kings[c];
        if (code & PAWN_BITS) {
            ++pawns[c];
            if (isBackRank(sq)) return false;
        }
    }
    for (int c = 0; c < 2; ++c)
        if (kings[c] != 1 || men[c] > 16 || pawns[c] > 8) return false;
    return true;
}

}  // namespace

FenResult setFromFen(Position& pos, std::string_view fen) {
    // The position is built aside, on the heap (a Position is too large for
    // the stack of a fuzzer thread), and copied to pos only when accepted.
    const auto scratch = std::make_unique<Position>();
    Position& tmp = *scratch;
    clearBoard(tmp);
    Cursor cur{fen};

    // Placement, rank 8 down to rank 1. Missing text reads as empty squares;
    // a digit never writes past the h-file.
    for (int rank = 7; rank >= 0; --rank) {
        for (int file = 0; file < 8;) {
            char ch = cur.next();
            if (ch >= '1' && ch <= '8') {
                for (int k = ch - '0'; k > 0 && file < 8; --k) tmp.board[makeSquare(file++, rank)] = EMPTY;
            } else {
                const char* found = ch ? std::strchr(pieceLetters, ch) : nullptr;
                const int code = found ? pieceCodes[found - pieceLetters] : EMPTY;
                tmp.board[makeSquare(file, rank)] = static_cast<std::uint8_t>(code);
                ++file;
            }
        }
        if (rank > 0) cur.skip();
    }

    // Side to move; a text that ends before it leaves White to move.
    cur.skip();
    char sideChar = cur.next();
    if (sideChar == 'w' || sideChar == '\0')
        tmp.side = 0;
    else if (sideChar == 'b')
        tmp.side = 1;

    // Castling rights, granted only with king and rook on their home squares.
    cur.skip();
    tmp.castling = 0;
    if (cur.peek() == '-') {
        cur.skip();
    } else {
        // The letters K, Q, k, q, each optional, in this order.
        for (int i = 0; i < 4; ++i) {
            if (cur.peek() != "KQkq"[i]) continue;
            cur.skip();
            const int c = i / 2;
            const Castling& castling = castlings[c][i % 2];
            if (tmp.board[castling.kingFrom] == (KING | colourBits(c)) &&
                tmp.board[castling.rookFrom] == (ORTHOGONAL | colourBits(c)))
                tmp.castling |= castling.right;
        }
    }

    // En passant: kept only when a capture onto the square is possible.
    cur.skip();
    tmp.epSquare = 0;
    if (cur.peek() == '-') {
        cur.skip();
    } else {
        char fileChar = cur.next(), rankChar = cur.next();
        if (fileChar >= 'a' && fileChar <= 'h' && rankChar >= '1' && rankChar <= '8' && tmp.side >= 0) {
            Square ep = makeSquare(fileChar - 'a', rankChar - '1');
            Square pawn = enPassantVictim(ep);
            const int us = tmp.side, them = us ^ 1;
            if (relativeRank(ep, us) == 5 && tmp.board[ep] == EMPTY && tmp.board[pawn] == pawnCode[them] &&
                (tmp.board[pawn - 1] == pawnCode[us] || tmp.board[pawn + 1] == pawnCode[us]))
                tmp.epSquare = ep;
        }
    }

    // Half-move counter; the full-move number is not read.
    tmp.fiftyCount = 0;
    if (cur.peek() == ' ' && cur.peek(1) >= '0' && cur.peek(1) <= '9') {
        cur.skip();
        int value = 0;
        while (cur.peek() >= '0' && cur.peek() <= '9') {
            if (value < 1000000) value = value * 10 + (cur.peek() - '0');
            cur.skip();
        }
        tmp.fiftyCount = value;
    }

    if (tmp.side < 0 || !plausibleBoard(tmp)) {
        return FenResult::Rejected;
    }
    setUpDerived(tmp);
    // The side that has just moved may not stand in check, and no legal play
    // gives more than two checkers.
    if (isAttacked(tmp, tmp.side, tmp.kingSquare(tmp.side ^ 1)) || countCheckers(tmp) > 2) {
        return FenResult::Rejected;
    }
    std::memcpy(&pos, &tmp, sizeof(Position));
    return FenResult::Loaded;
}

}  // namespace tallomir

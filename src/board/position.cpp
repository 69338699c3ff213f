#include "board/position.hpp"

#include <cstring>
#include <memory>

#include "board/attacks.hpp"
#include "board/makemove.hpp"
#include "board/zobrist.hpp"
#include "editions/edition.hpp"
#include "eval/psqt.hpp"

namespace tallomir {

namespace {

constexpr std::int8_t noSteps[1] = {0};
constexpr std::int8_t knightSteps[9] = {-33, -31, -18, -14, 14, 18, 31, 33, 0};
constexpr std::int8_t bishopSteps[5] = {-17, -15, 15, 17, 0};
constexpr std::int8_t rookSteps[5] = {-16, -1, 1, 16, 0};
constexpr std::int8_t queenSteps[9] = {-17, -16, -15, -1, 1, 15, 16, 17, 0};

constexpr const char* pieceLetters = "PpNnBbRrQqKk";

// Bounded reader over the FEN text: past the end every character is '\0'.
struct Cursor {
    std::string_view text;
    std::size_t at = 0;
    char peek(std::size_t ahead = 0) const { return at + ahead < text.size() ? text[at + ahead] : '\0'; }
    char next() { char c = peek(); ++at; return c; }
    void skip() { ++at; }
    bool ended() const { return at >= text.size(); }
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

constexpr PieceTables makePieceTables() {
    PieceTables t{};
    for (int code = 0; code < 256; ++code) {
        t.pieceIndex[code] = -1;
        t.pieceType[code] = -1;
        t.pieceValue[code] = -1;
        t.pieceDirections[code] = noSteps;
    }
    for (int i = 0; i < 12; ++i) {
        const int code = pieceCodes[i], type = i >> 1;
        t.pieceIndex[code] = static_cast<std::int8_t>(i);
        t.pieceType[code] = static_cast<std::int8_t>(type);
        t.pieceValue[code] = typeValue[type];
        t.pieceDirections[code] = type == KNIGHT_TYPE   ? knightSteps
                                  : type == BISHOP_TYPE ? bishopSteps
                                  : type == ROOK_TYPE   ? rookSteps
                                  : type == PAWN_TYPE   ? noSteps
                                                        : queenSteps;
    }
    t.pieceValue[EMPTY] = 0;
    t.pieceValue[OFFBOARD] = 0;
    return t;
}

void appendNonPawn(Position& pos, int c, Square sq) {
    int code = pos.board[sq];
    int i = pos.pieceCount[c]++;
    pos.pieceList[c][i] = static_cast<std::uint8_t>(sq);
    pos.listIndex[sq] = static_cast<std::int8_t>(i);
    ++pos.totalCount;
    ++pos.pieceIndexCount[pieceIndex(code)];
    if (!(code & KING)) pos.material[c] += pieceValue(code);
}

}  // namespace

extern constexpr PieceTables pieceTables = makePieceTables();

void clearBoard(Position& pos) {
    std::memset(pos.board, OFFBOARD, sizeof pos.board);
    for (int n = 0; n < 64; ++n) pos.board[squareOf[n]] = EMPTY;
    pos.side = -1;
    pos.castling = 0;
    pos.epSquare = 0;
    pos.fiftyCount = 0;
}

FenResult setFromFen(Position& pos, std::string_view fen) {
    // The scratch copy lives on the heap: with its key history a Position is
    // too large for the stack of a fuzzer thread.
    const std::unique_ptr<Position> loaded(new Position);
    Position& tmp = *loaded;
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
    if (sideChar == 'w' || sideChar == '\0') tmp.side = 0;
    else if (sideChar == 'b') tmp.side = 1;

    // Castling rights, granted only with king and rook on their home squares.
    cur.skip();
    tmp.castling = 0;
    if (cur.peek() == '-') {
        cur.skip();
    } else {
        const bool whiteKing = tmp.board[E1] == W_KING, blackKing = tmp.board[E8] == B_KING;
        if (cur.peek() == 'K') { cur.skip(); if (whiteKing && tmp.board[H1] == W_ROOK) tmp.castling |= WHITE_SHORT; }
        if (cur.peek() == 'Q') { cur.skip(); if (whiteKing && tmp.board[A1] == W_ROOK) tmp.castling |= WHITE_LONG; }
        if (cur.peek() == 'k') { cur.skip(); if (blackKing && tmp.board[H8] == B_ROOK) tmp.castling |= BLACK_SHORT; }
        if (cur.peek() == 'q') { cur.skip(); if (blackKing && tmp.board[A8] == B_ROOK) tmp.castling |= BLACK_LONG; }
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

void setUpDerived(Position& pos) {
    // Entries past the terminators are cleared too: make and unmake leave them
    // zero, so a position then comes back bit for bit after any move sequence.
    std::memset(pos.pieceList, 0, sizeof pos.pieceList);
    std::memset(pos.pawnList, 0, sizeof pos.pawnList);
    std::memset(pos.listIndex, -1, sizeof pos.listIndex);
    std::memset(pos.pieceIndexCount, 0, sizeof pos.pieceIndexCount);
    pos.totalCount = 0;
    for (int c = 0; c < 2; ++c) {
        const int colour = colourBits(c);
        pos.material[c] = 0;
        pos.pieceCount[c] = 0;
        for (int n = 0; n < 64; ++n) {
            Square sq = squareOf[n];
            int code = pos.board[sq];
            if ((code & colour) && !(code & PAWN_BITS)) appendNonPawn(pos, c, sq);
        }
        pos.pieceList[c][pos.pieceCount[c]] = 0;

        // Stable insertion sort by type, descending: the king ends up first.
        for (int i = 1; i < pos.pieceCount[c]; ++i) {
            std::uint8_t sq = pos.pieceList[c][i];
            int type = pieceType(pos.board[sq]);
            int j = i;
            while (j > 0 && pieceType(pos.board[pos.pieceList[c][j - 1]]) < type) {
                pos.pieceList[c][j] = pos.pieceList[c][j - 1];
                pos.listIndex[pos.pieceList[c][j]] = static_cast<std::int8_t>(j);
                --j;
            }
            pos.pieceList[c][j] = sq;
            pos.listIndex[sq] = static_cast<std::int8_t>(j);
        }

        std::memset(pos.pawnFileMask[c], 0, sizeof pos.pawnFileMask[c]);
        pos.pawnCount[c] = 0;
        for (int n = 0; n < 64; ++n) {
            Square sq = squareOf[n];
            int code = pos.board[sq];
            if (code != pawnCode[c]) continue;
            int i = pos.pawnCount[c]++;
            pos.pawnList[c][i] = static_cast<std::uint8_t>(sq);
            pos.listIndex[sq] = static_cast<std::int8_t>(i);
            ++pos.totalCount;
            ++pos.pieceIndexCount[pieceIndex(code)];
            pos.material[c] += pieceValue(code);
            pos.pawnFileMask[c][sq & 15] |= static_cast<std::uint8_t>(pawnRankBit(sq, c));
        }
        pos.pawnList[c][pos.pawnCount[c]] = 0;

        pos.occupied[c] = 0;
        for (SquareSet& set : pos.typeSquares[c]) set = 0;
        for (int n = 0; n < 64; ++n)
            if (pos.board[squareOf[n]] & colour) pos.toggleSquares(c, pos.board[squareOf[n]], squareBit(n));
    }
    pos.lastCaptureSquare = 0;
    pos.psqMid = sumPsqMid(pos);
    pos.psqEnd = sumPsqEnd(pos);

    // Zero keys stand for the plies before the loaded position: the repetition
    // test looks back at most fiftyCount entries and never matches them.
    int history = pos.fiftyCount < KEY_HISTORY_KEEP ? pos.fiftyCount : KEY_HISTORY_KEEP;
    for (int i = 0; i < history; ++i) pos.keyHistory[i] = 0;
    pos.historyCount = history;

    pos.key = computeKey(pos);
    pos.pawnKey = computePawnKey(pos);
    pos.materialKey = computeMaterialKey(pos);
}

namespace {

template <bool Mid>
int sumPsq(const Position& pos) {
    int sum = 0;
    for (int c = 0; c < 2; ++c) {
        for (const std::uint8_t* p = pos.pieceList[c]; *p; ++p) {
            const PsqPair& e = pieceSquare(pieceIndex(pos.board[*p]), numberOf(*p));
            sum += Mid ? e.mid : e.end;
        }
        for (const std::uint8_t* p = pos.pawnList[c]; *p; ++p) {
            const PsqPair& e = pieceSquare(pieceIndex(pos.board[*p]), numberOf(*p));
            sum += Mid ? e.mid : e.end;
        }
    }
    return sum;
}

}  // namespace

int sumPsqMid(const Position& pos) { return sumPsq<true>(pos); }
int sumPsqEnd(const Position& pos) { return sumPsq<false>(pos); }

HashKey computeKey(const Position& pos) {
    HashKey k = 0;
    for (int n = 0; n < 64; ++n) {
        int code = pos.board[squareOf[n]];
        if (code != EMPTY) k ^= manKey(pieceIndex(code), n);
    }
    k ^= castleKey[pos.castling];
    if (pos.epSquare) k ^= epKey(pos.epSquare);
    if (pos.side == 0) k ^= sideKey();
    return k;
}

HashKey computePawnKey(const Position& pos) {
    HashKey k = 0;
    for (int n = 0; n < 64; ++n) {
        int code = pos.board[squareOf[n]];
        if (code & PAWN_BITS) k ^= manKey(pieceIndex(code), n);
    }
    return k;
}

HashKey computeMaterialKey(const Position& pos) {
    HashKey k = 0;
    for (int idx = 0; idx < 12; ++idx)
        for (int n = 0; n < pos.pieceIndexCount[idx]; ++n) k ^= zobristTable[16 * idx + n];
    return k;
}

void compactKeyHistory(Position& pos) {
    if (pos.historyCount <= KEY_HISTORY_KEEP) return;
    std::memmove(pos.keyHistory, pos.keyHistory + pos.historyCount - KEY_HISTORY_KEEP,
                 KEY_HISTORY_KEEP * sizeof(HashKey));
    pos.historyCount = KEY_HISTORY_KEEP;
}

}  // namespace tallomir

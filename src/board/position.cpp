#include "board/position.hpp"

#include <cstring>

#include "board/zobrist.hpp"
#include "editions/edition.hpp"
#include "eval/psqt.hpp"

namespace tallomir {

namespace {

constexpr std::int8_t noSteps[1] = {0};

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
        if (code != EMPTY) k ^= manKey(pieceIndex(code), squareNumber(n));
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
        if (code & PAWN_BITS) k ^= manKey(pieceIndex(code), squareNumber(n));
    }
    return k;
}

HashKey computeMaterialKey(const Position& pos) {
    HashKey k = 0;
    for (int idx = 0; idx < 12; ++idx)
        for (int n = 0; n < pos.pieceIndexCount[idx]; ++n) k ^= materialKeyEntry(idx, n);
    return k;
}

void compactKeyHistory(Position& pos) {
    if (pos.historyCount <= KEY_HISTORY_KEEP) return;
    std::memmove(pos.keyHistory, pos.keyHistory + pos.historyCount - KEY_HISTORY_KEEP,
                 KEY_HISTORY_KEEP * sizeof(HashKey));
    pos.historyCount = KEY_HISTORY_KEEP;
}

}  // namespace tallomir

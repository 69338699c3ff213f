#include "board/makemove.hpp"

#include <array>
#include <cstddef>
#include <cstring>

#include "board/castling.hpp"
#include "eval/psqt.hpp"

namespace tallomir {

namespace {

// castleMask[sq] is ANDed into the rights for a move's origin and destination.
constexpr auto castleMask = [] {
    std::array<std::uint8_t, 256> mask{};
    for (auto& m : mask) m = ALL_CASTLING;
    for (const auto& side : castlings)
        for (const Castling& c : side) {
            mask[c.kingFrom] &= static_cast<std::uint8_t>(~c.right);
            mask[c.rookFrom] &= static_cast<std::uint8_t>(~c.right);
        }
    return mask;
}();

#define SAVED_AT(field) (offsetof(Position, field) - offsetof(Position, side) == offsetof(SavedState, field))
static_assert(SAVED_AT(castling) && SAVED_AT(epSquare) && SAVED_AT(fiftyCount) && SAVED_AT(lastCaptureSquare) &&
              SAVED_AT(psqMid) && SAVED_AT(psqEnd) && SAVED_AT(key) && SAVED_AT(pawnKey) && SAVED_AT(materialKey));
#undef SAVED_AT

inline void saveState(const Position& pos, SavedState& saved) {
    std::memcpy(&saved, reinterpret_cast<const unsigned char*>(&pos) + offsetof(Position, side), sizeof saved);
}
inline void restoreState(Position& pos, const SavedState& saved) {
    std::memcpy(reinterpret_cast<unsigned char*>(&pos) + offsetof(Position, side), &saved, sizeof saved);
}

// The three primitives keep board, lists, counts, pawn masks and material in
// step; with Update they also maintain the piece-square sums and the keys
// (make passes true, unmake restores those from the undo record instead).
template <bool Update>
inline void removeMan(Position& pos, Square sq, int code) {
    const int c = colourOf(code);
    const int i = pos.listIndex[sq];
    pos.board[sq] = EMPTY;
    pos.listIndex[sq] = -1;
    pos.toggleSquares(c, code, squareBit(numberOf(sq)));
    const bool pawn = code & PAWN_BITS;
    std::uint8_t* list = pawn ? pos.pawnList[c] : pos.pieceList[c];
    std::int32_t& count = pawn ? pos.pawnCount[c] : pos.pieceCount[c];
    // The count is held in a local: the byte stores below could alias it.
    const int last = count - 1;
    for (int j = i; j < last; ++j) {
        const std::uint8_t moved = list[j + 1];
        list[j] = moved;
        pos.listIndex[moved] = static_cast<std::int8_t>(j);
    }
    list[last] = 0;
    count = last;
    if (pawn) pos.pawnFileMask[c][sq & 15] ^= static_cast<std::uint8_t>(pawnRankBit(sq, c));
    const int idx = pieceIndex(code);
    --pos.totalCount;
    --pos.pieceIndexCount[idx];
    pos.material[c] -= pieceValue(code);
    if constexpr (Update) {
        const PsqPair& e = pieceSquare(idx, numberOf(sq));
        pos.psqMid -= e.mid;
        pos.psqEnd -= e.end;
        const HashKey k = manKey(idx, numberOf(sq));
        pos.key ^= k;
        if (pawn) pos.pawnKey ^= k;
        pos.materialKey ^= materialKeyEntry(idx, pos.pieceIndexCount[idx]);
    }
}

template <bool Update>
inline void addMan(Position& pos, Square sq, int code, int at) {
    const int c = colourOf(code);
    pos.board[sq] = static_cast<std::uint8_t>(code);
    pos.toggleSquares(c, code, squareBit(numberOf(sq)));
    const bool pawn = code & PAWN_BITS;
    std::uint8_t* list = pawn ? pos.pawnList[c] : pos.pieceList[c];
    std::int32_t& count = pawn ? pos.pawnCount[c] : pos.pieceCount[c];
    const int last = count;
    count = last + 1;
    list[last + 1] = 0;
    for (int j = last; j > at; --j) {
        const std::uint8_t moved = list[j - 1];
        list[j] = moved;
        pos.listIndex[moved] = static_cast<std::int8_t>(j);
    }
    list[at] = static_cast<std::uint8_t>(sq);
    pos.listIndex[sq] = static_cast<std::int8_t>(at);
    if (pawn) pos.pawnFileMask[c][sq & 15] ^= static_cast<std::uint8_t>(pawnRankBit(sq, c));
    const int idx = pieceIndex(code);
    ++pos.totalCount;
    ++pos.pieceIndexCount[idx];
    pos.material[c] += pieceValue(code);
    if constexpr (Update) {
        const PsqPair& e = pieceSquare(idx, numberOf(sq));
        pos.psqMid += e.mid;
        pos.psqEnd += e.end;
        const HashKey k = manKey(idx, numberOf(sq));
        pos.key ^= k;
        if (pawn) pos.pawnKey ^= k;
        pos.materialKey ^= materialKeyEntry(idx, pos.pieceIndexCount[idx] - 1);
    }
}

template <bool Update>
inline void moveMan(Position& pos, Square from, Square to, int code) {
    const int i = pos.listIndex[from];
    const int c = colourOf(code);
    pos.board[from] = EMPTY;
    pos.listIndex[from] = -1;
    pos.board[to] = static_cast<std::uint8_t>(code);
    pos.listIndex[to] = static_cast<std::int8_t>(i);
    pos.toggleSquares(c, code, squareBit(numberOf(from)) | squareBit(numberOf(to)));
    const bool pawn = code & PAWN_BITS;
    if (pawn) {
        pos.pawnList[c][i] = static_cast<std::uint8_t>(to);
        pos.pawnFileMask[c][from & 15] ^= static_cast<std::uint8_t>(pawnRankBit(from, c));
        pos.pawnFileMask[c][to & 15] ^= static_cast<std::uint8_t>(pawnRankBit(to, c));
    } else {
        pos.pieceList[c][i] = static_cast<std::uint8_t>(to);
    }
    if constexpr (Update) {
        const int idx = pieceIndex(code);
        const SquareNumber nf = numberOf(from), nt = numberOf(to);
        const PsqPair& ef = pieceSquare(idx, nf);
        const PsqPair& et = pieceSquare(idx, nt);
        pos.psqMid += et.mid - ef.mid;
        pos.psqEnd += et.end - ef.end;
        const HashKey k = manKey(idx, nf) ^ manKey(idx, nt);
        pos.key ^= k;
        if (pawn) pos.pawnKey ^= k;
    }
}

}  // namespace

void makeMove(Position& pos, UndoRecord& undo, Move move) {
    // Step 1-2: squares and the record of what unmake needs.
    const Square from = moveFromSquare(move), to = moveToSquare(move);
    const int piece = pos.board[from];
    const int kind = moveKind(move);
    saveState(pos, undo.state);

    // Step 3-4: history and side to move.
    pos.keyHistory[pos.historyCount++] = pos.key;
    pos.key ^= sideKey();
    pos.side ^= 1;

    // Step 5: castling rights lost by touching a king or rook square.
    if (pos.castling) {
        const int rights = pos.castling & castleMask[from] & castleMask[to];
        if (rights != pos.castling) {
            pos.key ^= castleKey[pos.castling ^ rights];
            pos.castling = rights;
        }
    }
    undo.captured = 0;

    // Step 6-7: en passant, set only when a capture is really possible.
    if (pos.epSquare) {
        pos.key ^= epKey(pos.epSquare);
        pos.epSquare = 0;
    }
    const bool pawnMove = piece & PAWN_BITS;
    if (pawnMove && (to ^ from) == 0x20) {  // only a double step changes the row by two
        const int enemyPawn = pawnCode[pos.side];
        if (pos.board[to - 1] == enemyPawn || pos.board[to + 1] == enemyPawn) {
            pos.epSquare = (from + to) / 2;
            pos.key ^= epKey(to);
        }
    }

    // Step 8: fifty-move counter.
    ++pos.fiftyCount;
    if (pawnMove) pos.fiftyCount = 0;
    pos.lastCaptureSquare = 0;

    // Step 9: capture.
    const Square captureSquare = kind == EN_PASSANT ? enPassantVictim(to) : to;
    const int victim = pos.board[captureSquare];
    if (victim != EMPTY) {
        undo.capturedIndex = pos.listIndex[captureSquare];
        undo.captured = 1;
        undo.captureSquare = captureSquare;
        undo.capturedPiece = victim;
        removeMan<true>(pos, captureSquare, victim);
        pos.fiftyCount = 0;
        pos.lastCaptureSquare = to;
    }

    // Step 10: promotion or plain move.
    if (kind == PROMOTION) {
        undo.promotedPawnIndex = pos.listIndex[from];
        removeMan<true>(pos, from, piece);
        const int newCode = promoPiece[movePromo(move)] | (rankOf(to) == 7 ? WHITE : BLACK);
        const int c = pos.side ^ 1;
        int at = pos.pieceCount[c];
        while (at > 0 && newCode > pos.board[pos.pieceList[c][at - 1]]) --at;
        addMan<true>(pos, to, newCode, at);
        pos.lastCaptureSquare = to;
    } else {
        moveMan<true>(pos, from, to, piece);
    }

    // Step 11: the rook of a castling move.
    if (kind == CASTLING) {
        const Castling& r = castlingTo(to);
        moveMan<true>(pos, r.rookFrom, r.rookTo, colourBits(pos.side ^ 1) | ORTHOGONAL);
    }
}

void unmakeMove(Position& pos, const UndoRecord& undo, Move move) {
    const Square from = moveFromSquare(move), to = moveToSquare(move);
    const int piece = pos.board[to];
    const int kind = moveKind(move);
    if (kind == CASTLING) {
        const Castling& r = castlingTo(to);
        moveMan<false>(pos, r.rookTo, r.rookFrom, pos.board[r.rookTo]);
    }
    if (kind == PROMOTION) {
        removeMan<false>(pos, to, piece);
        addMan<false>(pos, from, pawnCode[undo.state.side], undo.promotedPawnIndex);
    } else {
        moveMan<false>(pos, to, from, piece);
    }
    if (undo.captured) addMan<false>(pos, undo.captureSquare, undo.capturedPiece, undo.capturedIndex);
    --pos.historyCount;
    restoreState(pos, undo.state);
}

void makeNullMove(Position& pos, UndoRecord& undo) {
    saveState(pos, undo.state);
    pos.keyHistory[pos.historyCount++] = pos.key;
    pos.key ^= sideKey();
    pos.side ^= 1;
    if (pos.epSquare) {
        pos.key ^= epKey(pos.epSquare);
        pos.epSquare = 0;
    }
    pos.lastCaptureSquare = 0;
    pos.fiftyCount = 0;
}

void unmakeNullMove(Position& pos, const UndoRecord& undo) {
    --pos.historyCount;
    restoreState(pos, undo.state);
}

}  // namespace tallomir

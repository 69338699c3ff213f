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

// The key and the piece-square pair of a man of each pieceIndex on each
// square side by side, so that make finds both with one index. The pair is
// widened to the sums' own width, which saves make the sign extensions.
struct ManEntry {
    HashKey key;
    std::int32_t mid, end;
};
using ManTable = std::array<std::array<ManEntry, 64>, 12>;
const ManTable manTable = [] {
    ManTable t{};
    for (int idx = 0; idx < 12; ++idx)
        for (int n = 0; n < 64; ++n) {
            const PsqPair& psq = pieceSquare(idx, squareNumber(n));
            t[idx][n] = {manKey(idx, squareNumber(n)), psq.mid, psq.end};
        }
    return t;
}();

// The square set of the men of pieceIndex idx, found from idx alone: one
// table load in place of the arithmetic of the colour and type indices.
constexpr auto typeSlot = [] {
    std::array<std::uint8_t, 12> slot{};
    for (int idx = 0; idx < 12; ++idx) slot[idx] = static_cast<std::uint8_t>((idx & 1) * 6 + (idx >> 1));
    return slot;
}();
inline SquareSet& typeSquaresOf(Position& pos, int idx) { return *(&pos.typeSquares[0][0] + typeSlot[idx]); }

// The three primitives keep board, lists, square sets, counts, pawn masks and
// material in step for a man of `code`, pieceIndex idx, on the Square sq
// numbered n; with Update they also maintain the piece-square sums and the
// keys (make passes true, unmake restores those from the undo record instead).
template <bool Update>
inline void removeMan(Position& pos, Square sq, SquareNumber n, int code, int idx) {
    const int c = idx & 1;
    const int i = pos.listIndex[sq];
    pos.board[sq] = EMPTY;
    pos.listIndex[sq] = -1;
    pos.occupied[c] ^= squareBit(n);
    typeSquaresOf(pos, idx) ^= squareBit(n);
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
    --pos.totalCount;
    --pos.pieceIndexCount[idx];
    pos.material[c] -= pieceValue(code);
    if constexpr (Update) {
        const ManEntry& e = manTable[idx][n];
        pos.psqMid -= e.mid;
        pos.psqEnd -= e.end;
        pos.key ^= e.key;
        if (pawn) pos.pawnKey ^= e.key;
        pos.materialKey ^= materialKeyEntry(idx, pos.pieceIndexCount[idx]);
    }
}

// Puts the man at list position `at`.
template <bool Update>
inline void addMan(Position& pos, Square sq, SquareNumber n, int code, int idx, int at) {
    const int c = idx & 1;
    pos.board[sq] = static_cast<std::uint8_t>(code);
    pos.occupied[c] ^= squareBit(n);
    typeSquaresOf(pos, idx) ^= squareBit(n);
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
    ++pos.totalCount;
    ++pos.pieceIndexCount[idx];
    pos.material[c] += pieceValue(code);
    if constexpr (Update) {
        const ManEntry& e = manTable[idx][n];
        pos.psqMid += e.mid;
        pos.psqEnd += e.end;
        pos.key ^= e.key;
        if (pawn) pos.pawnKey ^= e.key;
        pos.materialKey ^= materialKeyEntry(idx, pos.pieceIndexCount[idx] - 1);
    }
}

template <bool Update>
inline void moveMan(Position& pos, Square from, Square to, SquareNumber nf, SquareNumber nt, int code, int idx) {
    const int c = idx & 1;
    const int i = pos.listIndex[from];
    pos.board[from] = EMPTY;
    pos.listIndex[from] = -1;
    pos.board[to] = static_cast<std::uint8_t>(code);
    pos.listIndex[to] = static_cast<std::int8_t>(i);
    const SquareSet bits = squareBit(nf) | squareBit(nt);
    pos.occupied[c] ^= bits;
    typeSquaresOf(pos, idx) ^= bits;
    const bool pawn = code & PAWN_BITS;
    if (pawn) {
        pos.pawnList[c][i] = static_cast<std::uint8_t>(to);
        pos.pawnFileMask[c][from & 15] ^= static_cast<std::uint8_t>(pawnRankBit(from, c));
        pos.pawnFileMask[c][to & 15] ^= static_cast<std::uint8_t>(pawnRankBit(to, c));
    } else {
        pos.pieceList[c][i] = static_cast<std::uint8_t>(to);
    }
    if constexpr (Update) {
        const ManEntry& ef = manTable[idx][nf];
        const ManEntry& et = manTable[idx][nt];
        pos.psqMid += et.mid - ef.mid;
        pos.psqEnd += et.end - ef.end;
        const HashKey k = ef.key ^ et.key;
        pos.key ^= k;
        if (pawn) pos.pawnKey ^= k;
    }
}

// The rare moves are kept out of line, so that the code of the common ones
// stays short. The rook of the castling whose king went to kingTo, there or back.
template <bool Make>
[[gnu::noinline]] void moveCastlingRook(Position& pos, Square kingTo) {
    const Castling& r = castlingTo(kingTo);
    const Square from = Make ? r.rookFrom : r.rookTo, to = Make ? r.rookTo : r.rookFrom;
    const int code = pos.board[from];
    moveMan<Make>(pos, from, to, numberOf(from), numberOf(to), code, pieceIndex(code));
}

// The pawn of a promotion leaves its list; the new piece joins its own
// behind the pieces of its kind and of the kinds above it.
[[gnu::noinline]] void makePromotion(Position& pos, UndoRecord& undo, Move move) {
    const SquareNumber nf = moveFrom(move), nt = moveTo(move);
    const Square from = squareOf[nf], to = squareOf[nt];
    const int pawn = pos.board[from], us = colourOf(pawn);
    undo.promotedPawnIndex = pos.listIndex[from];
    removeMan<true>(pos, from, nf, pawn, pieceIndex(pawn));
    const int newCode = promoPiece[movePromo(move)] | colourBits(us);
    int at = pos.pieceCount[us];
    while (at > 0 && newCode > pos.board[pos.pieceList[us][at - 1]]) --at;
    addMan<true>(pos, to, nt, newCode, pieceIndex(newCode), at);
    pos.lastCaptureSquare = to;
}

[[gnu::noinline]] void unmakePromotion(Position& pos, const UndoRecord& undo, Move move) {
    const SquareNumber nf = moveFrom(move), nt = moveTo(move);
    const Square from = squareOf[nf], to = squareOf[nt];
    const int piece = pos.board[to], pawn = pawnCode[colourOf(piece)];
    removeMan<false>(pos, to, nt, piece, pieceIndex(piece));
    addMan<false>(pos, from, nf, pawn, pieceIndex(pawn), undo.promotedPawnIndex);
}

// The man taken by a move to `to`, out of line: its list work would cost the
// quiet moves registers.
[[gnu::noinline]] void takeMan(Position& pos, UndoRecord& undo, Square captureSquare, int victim, Square to) {
    undo.captureSquare = static_cast<std::uint8_t>(captureSquare);
    undo.capturedIndex = pos.listIndex[captureSquare];
    removeMan<true>(pos, captureSquare, numberOf(captureSquare), victim, pieceIndex(victim));
    pos.fiftyCount = 0;
    pos.lastCaptureSquare = to;
}

// The body of make. Plain is a move of no special kind made when no en
// passant capture is possible, as most are: that copy has no tests and no
// code for the rest, and so keeps its values in registers.
template <bool Plain>
inline void makeAnyMove(Position& pos, UndoRecord& undo, Move move) {
    // Step 1-2: squares and the record of what unmake needs. The square
    // numbers come from an int copy of the move: taken from the 16-bit Move,
    // they were kept, and spilled, in two widths each.
    const int bits = move;
    const SquareNumber nf = squareNumber(bits >> 6 & 63), nt = squareNumber(bits & 63);
    const Square from = squareOf[nf], to = squareOf[nt];
    const int piece = pos.board[from];
    const int idx = pieceIndex(piece);
    const int kind = Plain ? NORMAL : moveKind(move);
    const int us = idx & 1;
    saveState(pos, undo.state);

    // Step 3-4: history and side to move.
    pos.keyHistory[pos.historyCount++] = pos.key;
    pos.key ^= sideKey();
    pos.side = us ^ 1;

    // Step 5: castling rights lost by touching a king or rook square.
    if (const int castling = pos.castling) {
        const int rights = castling & castleMask[from] & castleMask[to];
        if (rights != castling) {
            pos.key ^= castleKey[castling ^ rights];
            pos.castling = rights;
        }
    }

    // Step 6-7: en passant, set only when a capture is really possible.
    if (!Plain && pos.epSquare) {
        pos.key ^= epKey(pos.epSquare);
        pos.epSquare = 0;
    }
    const bool pawnMove = piece & PAWN_BITS;
    if (pawnMove && (to ^ from) == 0x20) {  // only a double step changes the row by two
        const int enemyPawn = pawnCode[us ^ 1];
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
    undo.capturedPiece = static_cast<std::uint8_t>(victim);
    if (victim != EMPTY) takeMan(pos, undo, captureSquare, victim, to);

    // Step 10: promotion or plain move.
    if (kind == PROMOTION) {
        makePromotion(pos, undo, move);
    } else {
        moveMan<true>(pos, from, to, nf, nt, piece, idx);
    }

    // Step 11: the rook of a castling move.
    if (kind == CASTLING) moveCastlingRook<true>(pos, to);
}

[[gnu::noinline]] void makeSpecialMove(Position& pos, UndoRecord& undo, Move move) {
    makeAnyMove<false>(pos, undo, move);
}

}  // namespace

void makeMove(Position& pos, UndoRecord& undo, Move move) {
    if (moveKind(move) != NORMAL || pos.epSquare) return makeSpecialMove(pos, undo, move);
    makeAnyMove<true>(pos, undo, move);
}

namespace {

[[gnu::noinline]] void unmakeSpecialMove(Position& pos, const UndoRecord& undo, Move move) {
    const SquareNumber nf = moveFrom(move), nt = moveTo(move);
    const Square from = squareOf[nf], to = squareOf[nt];
    const int piece = pos.board[to];
    const int idx = pieceIndex(piece);
    const int kind = moveKind(move);
    if (kind == CASTLING) moveCastlingRook<false>(pos, to);
    if (kind == PROMOTION) {
        unmakePromotion(pos, undo, move);
    } else {
        moveMan<false>(pos, to, from, nt, nf, piece, idx);
    }
    if (const int victim = undo.capturedPiece) {
        const Square sq = undo.captureSquare;
        addMan<false>(pos, sq, numberOf(sq), victim, pieceIndex(victim), undo.capturedIndex);
    }
    --pos.historyCount;
    restoreState(pos, undo.state);
}

}  // namespace

// A move of no special kind that took nothing, the most common, is taken
// back inline; the rest out of line.
void unmakeMove(Position& pos, const UndoRecord& undo, Move move) {
    if (moveKind(move) != NORMAL || undo.capturedPiece) return unmakeSpecialMove(pos, undo, move);
    const SquareNumber nf = moveFrom(move), nt = moveTo(move);
    const Square from = squareOf[nf], to = squareOf[nt];
    const int piece = pos.board[to];
    moveMan<false>(pos, to, from, nt, nf, piece, pieceIndex(piece));
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

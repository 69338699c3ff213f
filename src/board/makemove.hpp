// Making and taking back moves with incremental lists, sums and keys.
#pragma once

#include "board/position.hpp"
#include "board/zobrist.hpp"

namespace tallomir {

// The fields of Position from side to materialKey, in the same layout.
struct SavedState {
    std::int32_t side;
    std::int32_t castling;
    std::int32_t epSquare;
    std::int32_t fiftyCount;
    std::int32_t lastCaptureSquare;
    std::int32_t psqMid;
    std::int32_t psqEnd;
    HashKey key;
    HashKey pawnKey;
    HashKey materialKey;
};

// What unmake needs besides the saved fields: the man taken (EMPTY for none)
// with its square and list position, and the list position of a promoted pawn.
struct UndoRecord {
    SavedState state;
    std::uint8_t capturedPiece;
    std::uint8_t captureSquare;
    std::int8_t capturedIndex;
    std::int8_t promotedPawnIndex;
};

void makeMove(Position& pos, UndoRecord& undo, Move move);
void unmakeMove(Position& pos, const UndoRecord& undo, Move move);
void makeNullMove(Position& pos, UndoRecord& undo);
void unmakeNullMove(Position& pos, const UndoRecord& undo);

}  // namespace tallomir

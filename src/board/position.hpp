// The Position record: the board plus everything derived from it that the
// search and the evaluation want at hand (piece lists, counts, pawn-file masks,
// material and piece-square sums, three hash keys, key history). It holds no
// pointers, so a whole copy is a valid Position.
#pragma once

#include <cstdint>
#include <string_view>

#include "board/geometry.hpp"
#include "board/squareset.hpp"
#include "board/types.hpp"
#include "editions/edition.hpp"

namespace tallomir {

inline constexpr int MAX_NON_PAWNS = 32;  // pieceList entries incl. the terminator
inline constexpr int MAX_PAWNS = 16;      // pawnList entries incl. the terminator
inline constexpr int KEY_HISTORY_SIZE = 4096;
// Only the last 100 history entries can ever matter to the repetition test;
// keep this many when the history is compacted.
inline constexpr int KEY_HISTORY_KEEP = 128;

struct Position {
    std::int32_t material[2];
    std::uint8_t board[256];
    std::int8_t listIndex[256];
    std::uint8_t pieceList[2][MAX_NON_PAWNS];
    std::int32_t pieceCount[2];
    std::uint8_t pawnList[2][MAX_PAWNS];
    std::int32_t pawnCount[2];
    std::int32_t totalCount;
    std::int32_t pieceIndexCount[12];  // men of each pieceIndex
    std::uint8_t pawnFileMask[2][16];
    // Squares held by each colour's men: all of them, and by pieceType.
    SquareSet occupied[2];
    SquareSet typeSquares[2][6];
    std::int32_t historyCount;
    // From side to materialKey: the fields a move changes other than the board
    // and its lists; make saves them in one copy and unmake restores them so.
    alignas(8) std::int32_t side;
    std::int32_t castling;
    std::int32_t epSquare;
    std::int32_t fiftyCount;
    std::int32_t lastCaptureSquare;
    std::int32_t psqMid;
    std::int32_t psqEnd;
    HashKey key;
    HashKey pawnKey;
    HashKey materialKey;
    HashKey keyHistory[KEY_HISTORY_SIZE];

    Square kingSquare(int colour) const { return pieceList[colour][0]; }

    SquareSet pawnSquares(int colour) const { return typeSquares[colour][PAWN_TYPE]; }
    SquareSet knightSquares(int colour) const { return typeSquares[colour][KNIGHT_TYPE]; }
    // Bishops and queens; rooks and queens.
    SquareSet diagonalSquares(int colour) const {
        return typeSquares[colour][BISHOP_TYPE] | typeSquares[colour][QUEEN_TYPE];
    }
    SquareSet orthogonalSquares(int colour) const {
        return typeSquares[colour][ROOK_TYPE] | typeSquares[colour][QUEEN_TYPE];
    }

    // Adds or removes (they are the same) a man of `code` on the squares `bits`.
    void toggleSquares(int colour, int code, SquareSet bits);
};

inline constexpr int pieceCodes[12] = {W_PAWN, B_PAWN, W_KNIGHT, B_KNIGHT, W_BISHOP, B_BISHOP,
                                       W_ROOK, B_ROOK, W_QUEEN,  B_QUEEN,  W_KING,   B_KING};
inline constexpr int pawnPush[2] = {16, -16};
inline constexpr int rankFlip[2] = {0, 15};
inline constexpr int pawnCode[2] = {W_PAWN, B_PAWN};
inline constexpr int promoPiece[4] = {KNIGHT, DIAGONAL, ORTHOGONAL, DIAGONAL | ORTHOGONAL};

// Piece values in centipawns by pieceType. The king's value only marks it as
// the man no exchange may end on; the material sums leave it out.
inline constexpr int PAWN_VALUE = 100, ROOK_VALUE = 500, QUEEN_VALUE = 1000, KING_VALUE = 10000;
inline constexpr int typeValue[6] = {PAWN_VALUE, EDITION.knightValue, EDITION.bishopValue,
                                     ROOK_VALUE, QUEEN_VALUE,         KING_VALUE};

// Piece tables indexed by piece code.
struct PieceTables {
    std::int8_t pieceIndex[256];              // code -> 0..11 (P p N n B b R r Q q K k), -1 otherwise
    std::int8_t pieceType[256];               // code -> 0 pawn .. 5 king, -1 otherwise
    const std::int8_t* pieceDirections[256];  // zero-terminated step list, or an empty list
    std::int32_t pieceValue[256];             // 0 for EMPTY and OFFBOARD, -1 for no piece code
};
extern const PieceTables pieceTables;

inline int pieceIndex(int code) { return pieceTables.pieceIndex[code]; }
inline int pieceType(int code) { return pieceTables.pieceType[code]; }
inline int pieceValue(int code) { return pieceTables.pieceValue[code]; }
inline const std::int8_t* pieceDirections(int code) { return pieceTables.pieceDirections[code]; }

inline void Position::toggleSquares(int colour, int code, SquareSet bits) {
    occupied[colour] ^= bits;
    typeSquares[colour][pieceType(code)] ^= bits;
}
// The square of the pawn taken by an en-passant capture onto ep (rank 3 and
// rank 4, rank 6 and rank 5 differ in one row bit).
constexpr Square enPassantVictim(Square ep) { return ep ^ 0x10; }
// Rank 0..7 of a Square seen from colour c: 0 is the colour's own back rank.
constexpr int relativeRank(Square sq, int colour) { return ((sq >> 4) ^ rankFlip[colour]) - 4; }
// Where a pawn of colour c may make its double step, and where it stands before promoting.
constexpr bool isSecondRank(Square sq, int colour) { return relativeRank(sq, colour) == 1; }
constexpr bool isSeventhRank(Square sq, int colour) { return relativeRank(sq, colour) == 6; }
// A pawn moving onto the seventh or the eighth rank.
constexpr bool isSeventhOrEighthRank(Square sq, int colour) { return relativeRank(sq, colour) >= 6; }
// The bit of pawnFileMask[colour][file] for a pawn of colour on sq: 1 << relativeRank,
// looked up by mailbox row because make and unmake run it for every pawn move.
inline constexpr std::uint8_t rowBit[16] = {0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128, 0, 0, 0, 0};
constexpr int pawnRankBit(Square sq, int colour) { return rowBit[(sq >> 4) ^ rankFlip[colour]]; }

inline constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

void clearBoard(Position& pos);

enum class FenResult { Loaded, Rejected };

// Loads a FEN text into pos. Missing trailing fields count as empty (side to
// move white, no rights, no en passant, counter 0); an implausible position
// (a side without exactly one king, more than 16 men or 8 pawns of a side, a
// pawn on a back rank, an unknown side letter, the side not to move in check,
// more than two checkers) is rejected: pos keeps its previous contents.
FenResult setFromFen(Position& pos, std::string_view fen);  // in fen.cpp, above the attack tests
void setUpDerived(Position& pos);

int sumPsqMid(const Position& pos);
int sumPsqEnd(const Position& pos);
HashKey computeKey(const Position& pos);
HashKey computePawnKey(const Position& pos);
HashKey computeMaterialKey(const Position& pos);

// Drops key history entries that the repetition test can no longer reach,
// so that long games never run out of history.
void compactKeyHistory(Position& pos);

}  // namespace tallomir

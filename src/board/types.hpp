// Basic vocabulary of the board: squares, piece codes, moves and keys.
#pragma once

#include <cstdint>

namespace tallomir {

// A Square is a cell of a 16-wide mailbox of 256 cells: file column = sq & 15,
// rank row = sq >> 4; the real squares have columns and rows 4..11 (a1 = 0x44,
// h8 = 0xBB). Everything else is a border cell holding OFFBOARD, so ray walks
// stop at the edge without a bounds test. A SquareNumber is 0..63 (a1 = 0),
// a type of its own so that neither is passed where the other belongs: an
// int converts to a SquareNumber only through squareNumber (or numberOf from
// a Square), while a SquareNumber reads as an int wherever one is wanted.
using Square = int;
enum SquareNumber : int {};
// A SquareNumber from a count or a bit index (0..63).
constexpr SquareNumber squareNumber(int n) { return static_cast<SquareNumber>(n); }

inline constexpr Square A1 = 0x44, B1 = 0x45, C1 = 0x46, D1 = 0x47, E1 = 0x48, F1 = 0x49, G1 = 0x4A, H1 = 0x4B;
inline constexpr Square A8 = 0xB4, B8 = 0xB5, C8 = 0xB6, D8 = 0xB7, E8 = 0xB8, F8 = 0xB9, G8 = 0xBA, H8 = 0xBB;

constexpr Square makeSquare(int file, int rank) { return ((rank + 4) << 4) | (file + 4); }  // file, rank 0..7
constexpr int fileOf(Square sq) { return (sq & 15) - 4; }
constexpr int rankOf(Square sq) { return (sq >> 4) - 4; }
constexpr bool onBoard(Square sq) { return ((sq - 0x44) & ~0x77) == 0; }
// Square colour: 0 for dark squares (a1 is dark), 1 for light ones.
constexpr int squareColour(Square sq) { return ((sq >> 4) ^ sq) & 1; }

// Piece codes are bit sets; a man of colour c carries the bit c + 1.
inline constexpr int WHITE = 0x01;
inline constexpr int BLACK = 0x02;
inline constexpr int WPAWN = 0x04;
inline constexpr int BPAWN = 0x08;
inline constexpr int KNIGHT = 0x10;
inline constexpr int DIAGONAL = 0x20;
inline constexpr int ORTHOGONAL = 0x40;
inline constexpr int KING = 0x80;
inline constexpr int EMPTY = 0;
inline constexpr int OFFBOARD = 0x10;

inline constexpr int COLOUR_BITS = 0x03;
inline constexpr int PAWN_BITS = WPAWN | BPAWN;
inline constexpr int SLIDER_BITS = DIAGONAL | ORTHOGONAL;

inline constexpr int W_PAWN = 0x05, B_PAWN = 0x0A;
inline constexpr int W_KNIGHT = 0x11, B_KNIGHT = 0x12;
inline constexpr int W_BISHOP = 0x21, B_BISHOP = 0x22;
inline constexpr int W_ROOK = 0x41, B_ROOK = 0x42;
inline constexpr int W_QUEEN = 0x61, B_QUEEN = 0x62;
inline constexpr int W_KING = 0x81, B_KING = 0x82;

// pieceType values (pieceIndex >> 1)
inline constexpr int PAWN_TYPE = 0, KNIGHT_TYPE = 1, BISHOP_TYPE = 2, ROOK_TYPE = 3, QUEEN_TYPE = 4, KING_TYPE = 5;

constexpr int colourBits(int colour) { return colour + 1; }
// The colour (0 white, 1 black) of the man with piece code `code`.
constexpr int colourOf(int code) { return (code & BLACK) ? 1 : 0; }

// Castling rights, one bit each.
inline constexpr int WHITE_SHORT = 1, WHITE_LONG = 2, BLACK_SHORT = 4, BLACK_LONG = 8;
inline constexpr int ALL_CASTLING = 15;

// A Move is 16 bits: destination SquareNumber in bits 0-5, origin in 6-11,
// promotion piece (0 knight .. 3 queen) in 12-13 and the kind in 14-15.
using Move = std::uint16_t;
inline constexpr int NORMAL = 0;
inline constexpr int CASTLING = 0x4000;
inline constexpr int PROMOTION = 0x8000;
inline constexpr int EN_PASSANT = 0xC000;
inline constexpr int KIND_BITS = 0xC000;
inline constexpr Move NULL_MOVE = 11;
// Promotion pieces as movePromo numbers them.
inline constexpr int PROMO_KNIGHT = 0, PROMO_BISHOP = 1, PROMO_ROOK = 2, PROMO_QUEEN = 3;

constexpr SquareNumber moveTo(Move m) { return static_cast<SquareNumber>(m & 63); }
constexpr SquareNumber moveFrom(Move m) { return static_cast<SquareNumber>((m >> 6) & 63); }
constexpr int moveKind(Move m) { return m & KIND_BITS; }
constexpr int movePromo(Move m) { return (m >> 12) & 3; }
// The kind and promotion bits of a promotion to PROMO_KNIGHT .. PROMO_QUEEN.
constexpr int promotionBits(int promo) { return PROMOTION | (promo << 12); }
constexpr Move encodeMove(SquareNumber from, SquareNumber to, int kindBits = 0) {
    return static_cast<Move>((from << 6) | to | kindBits);
}

// The position keys follow the Polyglot book hashing scheme. The 64-bit key is
// used as two 32-bit halves: the low half indexes tables, the high half checks.
using HashKey = std::uint64_t;
constexpr std::uint32_t keyLow(HashKey k) { return static_cast<std::uint32_t>(k); }
constexpr std::uint32_t keyHigh(HashKey k) { return static_cast<std::uint32_t>(k >> 32); }

inline constexpr int MATE_SCORE = 30000;
inline constexpr int MATE_THRESHOLD = 29744;
inline constexpr int NO_SCORE = -32767;

}  // namespace tallomir

// Piece terms: the fixed trapped-piece patterns, and mobility and placement
// of every knight, bishop, rook and queen.
#pragma once

#include <cstdint>

#include "board/position.hpp"
#include "eval/material.hpp"
#include "eval/pawns.hpp"

namespace tallomir {

// The fixed patterns of trapped pieces. They are asked at nearly every
// evaluation and rarely hold, so the tests on square sets are inline.
namespace trapping {

inline constexpr int SHUT_IN_BISHOP = 50;  // behind a blocked centre pawn
inline constexpr int SHUT_IN_ROOK = 50;    // by a king that walked without castling

constexpr SquareSet bitOf(const char* name) { return squareBit(name[0] - 'a' + 8 * (name[1] - '1')); }
// A man of the set on the square.
constexpr bool on(SquareSet set, const char* name) { return (set & bitOf(name)) != 0; }

// By colour: the bishop squares of the wing patterns, the bishops' home
// squares, the king squares that shut in a rook, and the squares of that rook.
inline constexpr SquareSet WHITE_TRAP_BISHOP =
    bitOf("a7") | bitOf("b8") | bitOf("h7") | bitOf("g8") | bitOf("a6") | bitOf("h6");
inline constexpr SquareSet BLACK_TRAP_BISHOP =
    bitOf("a2") | bitOf("b1") | bitOf("h2") | bitOf("g1") | bitOf("a3") | bitOf("h3");
inline constexpr SquareSet WHITE_HOME_BISHOPS = bitOf("c1") | bitOf("f1"),
                           BLACK_HOME_BISHOPS = bitOf("c8") | bitOf("f8");
inline constexpr SquareSet WHITE_LONG_KING = bitOf("c1") | bitOf("b1"), WHITE_SHORT_KING = bitOf("f1") | bitOf("g1");
inline constexpr SquareSet BLACK_LONG_KING = bitOf("c8") | bitOf("b8"), BLACK_SHORT_KING = bitOf("f8") | bitOf("g8");
inline constexpr SquareSet WHITE_LONG_ROOK = bitOf("a1") | bitOf("a2") | bitOf("b1");
inline constexpr SquareSet WHITE_SHORT_ROOK = bitOf("h1") | bitOf("h2") | bitOf("g1");
inline constexpr SquareSet BLACK_LONG_ROOK = bitOf("a8") | bitOf("a7") | bitOf("b8");
inline constexpr SquareSet BLACK_SHORT_ROOK = bitOf("h8") | bitOf("h7") | bitOf("g8");
// Every bishop square and every king square above, of both colours.
inline constexpr SquareSet BISHOP_SQUARES =
    WHITE_TRAP_BISHOP | BLACK_TRAP_BISHOP | WHITE_HOME_BISHOPS | BLACK_HOME_BISHOPS;
inline constexpr SquareSet KING_SQUARES = WHITE_LONG_KING | WHITE_SHORT_KING | BLACK_LONG_KING | BLACK_SHORT_KING;

}  // namespace trapping

// The wing patterns of evalTrappedPieces (White minus Black), for positions
// with a bishop on one of their squares.
int trappedBishops(const Position& pos);

// Both evalTrappedPieces and evalPieces add into the score pair, White's view.
inline void evalTrappedPieces(const Position& pos, int& mid, int& end) {
    using namespace trapping;
    const SquareSet whiteBishops = pos.typeSquares[0][BISHOP_TYPE], blackBishops = pos.typeSquares[1][BISHOP_TYPE];
    // Most positions have no bishop on any square of the patterns, either colour's.
    if ((whiteBishops | blackBishops) & BISHOP_SQUARES) {
        if ((whiteBishops & WHITE_TRAP_BISHOP) | (blackBishops & BLACK_TRAP_BISHOP)) {
            const int trapped = trappedBishops(pos);
            mid += trapped;
            end += trapped;
        }

        // Bishops shut in behind an unmoved, blocked centre pawn.
        if ((whiteBishops & WHITE_HOME_BISHOPS) | (blackBishops & BLACK_HOME_BISHOPS)) {
            const SquareSet all = pos.occupied[0] | pos.occupied[1];
            const SquareSet whitePawns = pos.typeSquares[0][PAWN_TYPE], blackPawns = pos.typeSquares[1][PAWN_TYPE];
            if (on(whitePawns, "d2") && on(all, "d3") && on(whiteBishops, "c1")) mid -= SHUT_IN_BISHOP;
            if (on(whitePawns, "e2") && on(all, "e3") && on(whiteBishops, "f1")) mid -= SHUT_IN_BISHOP;
            if (on(blackPawns, "d7") && on(all, "d6") && on(blackBishops, "c8")) mid += SHUT_IN_BISHOP;
            if (on(blackPawns, "e7") && on(all, "e6") && on(blackBishops, "f8")) mid += SHUT_IN_BISHOP;
        }
    }

    // Rooks shut in by a king that stepped aside instead of castling.
    const SquareSet whiteKing = pos.typeSquares[0][KING_TYPE], blackKing = pos.typeSquares[1][KING_TYPE];
    if (!((whiteKing | blackKing) & KING_SQUARES)) return;
    if (!((whiteKing & (WHITE_LONG_KING | WHITE_SHORT_KING)) | (blackKing & (BLACK_LONG_KING | BLACK_SHORT_KING))))
        return;
    const SquareSet whiteRooks = pos.typeSquares[0][ROOK_TYPE], blackRooks = pos.typeSquares[1][ROOK_TYPE];
    if (((whiteKing & WHITE_LONG_KING) && (whiteRooks & WHITE_LONG_ROOK)) ||
        ((whiteKing & WHITE_SHORT_KING) && (whiteRooks & WHITE_SHORT_ROOK)))
        mid -= SHUT_IN_ROOK;
    if (((blackKing & BLACK_LONG_KING) && (blackRooks & BLACK_LONG_ROOK)) ||
        ((blackKing & BLACK_SHORT_KING) && (blackRooks & BLACK_SHORT_ROOK)))
        mid += SHUT_IN_ROOK;
}

// Mobility is the number of squares a piece reaches that are empty or hold an
// enemy man; evalPieces counts them on square sets (eval/mobility.hpp).
void evalPieces(const Position& pos, const MaterialEntry& material, const PawnEntry& pawns, int& mid, int& end);
// evalPieces with the count of squares chosen by the caller: the portable one,
// or the processor's instruction (only where platform::hasPopcount() is true;
// evalPieces takes it there). Both give the same scores.
void evalPiecesCounted(bool processorCount, const Position& pos, const MaterialEntry& material, const PawnEntry& pawns,
                       int& mid, int& end);

}  // namespace tallomir

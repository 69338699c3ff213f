// Quiet moves that may give check, for the first ply of the quiescence search.
// Nothing here tests legality; the picker filters by exchange value and isLegal.
#include "board/castling.hpp"
#include "search/movepick.hpp"

namespace tallomir {

namespace {

inline void append(MoveList& list, Square from, Square to) {
    list.moves[list.count++] = encodeMove(numberOf(from), numberOf(to));
}

bool isCandidate(const Square* candidates, Square sq) {
    for (const Square* c = candidates; *c; ++c)
        if (*c == sq) return true;
    return false;
}

}  // namespace

void generateQuietChecks(const Position& pos, MoveList& list) {
    const int side = pos.side;
    const int push = pawnPush[side];
    const int ownPawn = pawnCode[side];
    const Square king = pos.pieceList[side ^ 1][0];

    // 1. Discovered checks: a man leaving the line between an own slider and the king.
    Square candidates[MAX_NON_PAWNS + MAX_PAWNS];
    discoveryCandidates(pos, candidates);
    for (const Square* c = candidates; *c; ++c) {
        const Square from = *c;
        const int code = pos.board[from];
        const int line = rayStep(king - from);
        if (code & PAWN_BITS) {
            const Square to = from + push;
            if (!isSeventhRank(from, side) && pos.board[to] == EMPTY && rayStep(king - to) != line) {
                append(list, from, to);
                if (isSecondRank(from, side) && pos.board[to + push] == EMPTY) append(list, from, to + push);
            }
        } else if (code & SLIDER_BITS) {
            for (const std::int8_t* d = pieceDirections(code); *d; ++d)
                for (Square to = from + *d; pos.board[to] == EMPTY; to += *d) append(list, from, to);
        } else {
            for (const std::int8_t* d = pieceDirections(code); *d; ++d) {
                const Square to = from + *d;
                if (pos.board[to] == EMPTY && rayStep(king - to) != line) append(list, from, to);
            }
        }
    }

    // 2. Direct checks by pieces that are not candidates: empty squares on
    // the piece's rays from which its kind sees the king, nearest first.
    const SquareSet all = pos.occupied[0] | pos.occupied[1];
    const int kingNumber = numberOf(king);
    const SquareSet diagonalChecks = diagonalAttacks(all, kingNumber) & ~all;
    const SquareSet orthogonalChecks = orthogonalAttacks(all, kingNumber) & ~all;
    const SquareSet knightChecks = rayTables.knightJumps[kingNumber] & ~all;
    for (const std::uint8_t* p = pos.pieceList[side] + 1; *p; ++p) {
        const Square from = *p;
        if (isCandidate(candidates, from)) continue;
        const int code = pos.board[from];
        const SquareNumber n = numberOf(from);
        if (code & SLIDER_BITS) {
            const SquareSet checks =
                ((code & DIAGONAL) ? diagonalChecks : 0) | ((code & ORTHOGONAL) ? orthogonalChecks : 0);
            if (!checks) continue;
            // The checking squares the piece reaches; each ray then takes its share of them.
            const SquareSet reached = (((code & DIAGONAL) ? diagonalAttacksFor(all, checks, n) : 0) |
                                       ((code & ORTHOGONAL) ? orthogonalAttacksFor(all, checks, n) : 0)) &
                                      checks;
            if (!reached) continue;
            for (const std::int8_t* d = pieceDirections(code); *d; ++d) {
                const int r = rayDirection(*d);
                for (SquareSet hits = rayTables.rays[r][n] & reached; hits;) {
                    const int to = r < 4 ? std::countr_zero(hits) : 63 - std::countl_zero(hits);
                    hits ^= squareBit(to);
                    list.moves[list.count++] = encodeMove(n, squareNumber(to));
                }
            }
        } else if (code & KNIGHT) {
            // The knight's steps reach its squares in ascending order.
            for (SquareSet hits = rayTables.knightJumps[n] & knightChecks; hits; hits &= hits - 1)
                list.moves[list.count++] = encodeMove(n, squareNumber(std::countr_zero(hits)));
        }
    }

    // 3. Pawn pushes onto a square from which the pawn attacks the king.
    if (!pos.pawnSquares(side)) return;
    for (const Square to : {king - push + 1, king - push - 1}) {
        if (pos.board[to - push] == ownPawn && pos.board[to] == EMPTY) {
            append(list, to - push, to);
        } else if (pos.board[to - 2 * push] == ownPawn && isSecondRank(to - 2 * push, side) && pos.board[to] == EMPTY &&
                   pos.board[to - push] == EMPTY) {
            append(list, to - 2 * push, to);
        }
    }
}

// Only sliders can give check after a castling: the leapers did not attack
// the enemy king before it and still do not. So the lines from the enemy king
// are looked up on the board as it stands after the castling.
void generateCastlingChecks(const Position& pos, MoveList& list) {
    const int side = pos.side;
    const int enemyKing = numberOf(pos.pieceList[side ^ 1][0]);
    for (const Castling& c : castlings[side]) {
        if (!(pos.castling & c.right)) continue;
        if (!castlingPathEmpty(pos, c) || isAttacked(pos, side ^ 1, c.crossed)) continue;
        const SquareSet rookMove = squareBit(numberOf(c.rookFrom)) | squareBit(numberOf(c.rookTo));
        const SquareSet after = (pos.occupied[0] | pos.occupied[1]) ^ rookMove ^ squareBit(numberOf(c.kingFrom)) ^
                                squareBit(numberOf(c.kingTo));
        if ((diagonalAttacks(after, enemyKing) & pos.diagonalSquares(side)) ||
            (orthogonalAttacks(after, enemyKing) & (pos.orthogonalSquares(side) ^ rookMove)))
            list.moves[list.count++] = encodeMove(numberOf(c.kingFrom), numberOf(c.kingTo), CASTLING);
    }
}

}  // namespace tallomir

#include "board/see.hpp"

#include <bit>

#include "board/attacks.hpp"

namespace tallomir {

namespace {

// The men of both sides that can take on `to` next, kept in one square set:
// a man used in the exchange is lifted from `occupied` and from the set, and
// when it stood on a line through `to` the sliders seen from `to` along that
// kind of line join the set (those behind it among them).
//
// Each side takes with its lowest piece code first. Among men of one code the
// last to join goes first: a slider that joined behind a man used in the
// exchange, then the men that attacked from the start in reverse piece-list
// order, then the slider behind the captured en-passant pawn, then the one
// behind the moving man. The pawns beside `to` go west first.
struct Exchange {
    Exchange(const Position& p, Square origin, Square target, bool enPassant)
        : pos(p),
          from(origin),
          to(target),
          victim(enPassant ? enPassantVictim(target) : 0),
          n(numberOf(target)),
          diagonals(diagonalLines(n)),
          orthogonals(orthogonalLines(n)),
          diagonalMen(p.diagonalSquares(0) | p.diagonalSquares(1)),
          orthogonalMen(p.orthogonalSquares(0) | p.orthogonalSquares(1)) {
        occupied = (p.occupied[0] | p.occupied[1]) ^ squareBit(numberOf(from));
        if (enPassant) occupied ^= squareBit(numberOf(victim));
        const SquareSet* white = p.typeSquares[0];
        const SquareSet* black = p.typeSquares[1];
        SquareSet men = (pawnAttackers[0][n] & white[PAWN_TYPE]) | (pawnAttackers[1][n] & black[PAWN_TYPE]) |
                        (rayTables.knightJumps[n] & (white[KNIGHT_TYPE] | black[KNIGHT_TYPE])) |
                        (rayTables.kingSteps[n] & (white[KING_TYPE] | black[KING_TYPE]));
        if (diagonalMen & diagonals) men |= diagonalAttacks(occupied, n) & diagonalMen;
        if (orthogonalMen & orthogonals) men |= orthogonalAttacks(occupied, n) & orthogonalMen;
        attackers = men & occupied;
    }

    const Position& pos;
    Square from, to, victim;           // victim: the pawn taken en passant, or 0
    int n;                             // `to` as a SquareNumber
    SquareSet diagonals, orthogonals;  // the lines through `to`
    SquareSet diagonalMen, orthogonalMen;
    SquareSet occupied;
    SquareSet attackers;
    int used[32];  // SquareNumbers of the men used, in turn
    int usedCount = 0;

    Square lift(int sq) {
        const SquareSet bit = squareBit(sq);
        occupied ^= bit;
        attackers ^= bit;
        used[usedCount++] = sq;
        // Only sliders still on the lines and not yet taking can join.
        if ((bit & diagonals) && (diagonalMen & diagonals & occupied & ~attackers))
            attackers |= diagonalAttacks(occupied, n) & diagonalMen & occupied;
        if ((bit & orthogonals) && (orthogonalMen & orthogonals & occupied & ~attackers))
            attackers |= orthogonalAttacks(occupied, n) & orthogonalMen & occupied;
        return squareOf[sq];
    }

    // The order in which a slider joined: the larger, the later.
    int joined(int sq) const {
        const int d = rayDirection(rayStep(to - squareOf[sq]));
        const SquareSet between = (rayTables.rays[d][sq] ^ rayTables.rays[d][n]) & ~squareBit(n);
        const SquareSet inFront = (pos.occupied[0] | pos.occupied[1]) & between;
        if (!inFront) return 2 + pos.listIndex[squareOf[sq]];
        const int f = firstOnRay(inFront, d, sq);
        if (squareOf[f] == from) return 0;
        if (squareOf[f] == victim) return 1;
        int k = usedCount - 1;
        while (used[k] != f) --k;
        return 100 + k;
    }

    int latest(SquareSet men) const {
        if (!(men & (men - 1))) return std::countr_zero(men);
        int best = 0, bestOrder = -1;
        for (; men; men &= men - 1) {
            const int sq = std::countr_zero(men), order = joined(sq);
            if (order > bestOrder) {
                best = sq;
                bestOrder = order;
            }
        }
        return best;
    }

    // The next man of colour s to take on `to`, lifted; 0 when s has none.
    Square next(int s) {
        const SquareSet mine = attackers & pos.occupied[s];
        if (!mine) return 0;
        const SquareSet* men = pos.typeSquares[s];
        SquareSet m;
        if ((m = mine & men[PAWN_TYPE])) return lift(std::countr_zero(m));
        if ((m = mine & men[KNIGHT_TYPE])) return lift(std::countr_zero(m));
        if ((m = mine & men[BISHOP_TYPE])) return lift(latest(m));
        if ((m = mine & men[ROOK_TYPE])) return lift(latest(m));
        if ((m = mine & men[QUEEN_TYPE])) return lift(latest(m));
        return lift(std::countr_zero(mine));
    }
};

// The exchange value of move; with signOnly only its sign is right (0 for
// "not negative", -1 for "negative"), and the sequence stops as soon as the
// first captures decide it.
template <bool signOnly>
[[gnu::always_inline]] inline int exchange(const Position& pos, Move move) {
    const Square from = moveFromSquare(move), to = moveToSquare(move);
    const int c = colourOf(pos.board[from]);
    const int kind = moveKind(move);
    int moving = pos.board[from];
    if (kind == PROMOTION) moving = promoPiece[movePromo(move)] | (rankOf(to) == 7 ? WHITE : BLACK);

    int gain = pieceValue(pos.board[to]);
    if (kind == PROMOTION) gain += pieceValue(moving) - PAWN_VALUE;
    if (kind == EN_PASSANT) gain += PAWN_VALUE;
    int v = pieceValue(moving);
    const int e = c ^ 1;
    const Square u = to - pawnPush[e];
    if (pos.board[u - 1] == pawnCode[e] || pos.board[u + 1] == pawnCode[e]) {
        // An enemy pawn takes the moving man back and loses at most itself.
        if (signOnly && v - PAWN_VALUE > gain && !isBackRank(to)) return -1;
    } else {
        // No enemy man that could reach `to` at all: the gain stands.
        const int n = numberOf(to);
        if (!(rayTables.knightJumps[n] & pos.knightSquares(e)) &&
            !(rayTables.kingSteps[n] & pos.typeSquares[e][KING_TYPE]) && !(pos.diagonalSquares(e) & diagonalLines(n)) &&
            !(pos.orthogonalSquares(e) & orthogonalLines(n)))
            return gain;
    }
    Exchange x(pos, from, to, kind == EN_PASSANT);

    // values[i]: what the i-th capture in the sequence takes, the first being
    // the enemy's capture of the moving man; what a capture wins back is
    // never below zero, since a side may stop instead. The king is taken
    // only by the last capture.
    int values[34];
    int depth = 0, s = e, r = 0;
    for (Square sq; (sq = x.next(s));) {
        if (v == KING_VALUE) {
            r = KING_VALUE;
            break;
        }
        int a = pieceValue(pos.board[sq]);
        if (a == PAWN_VALUE && isBackRank(to)) {
            a = QUEEN_VALUE;
            v += QUEEN_VALUE - PAWN_VALUE;
        }
        if (signOnly && depth == 0) {
            // The enemy wins back at most the moving man, and at least that
            // less the most its capturer (promoted or not) can cost it.
            if (v <= gain) return 0;
            if (v - a - (isBackRank(to) ? QUEEN_VALUE - PAWN_VALUE : 0) > gain) return -1;
        }
        values[depth++] = v;
        v = a;
        s ^= 1;
    }
    while (depth > 0) {
        r = values[--depth] - r;
        if (r < 0) r = 0;
    }
    return gain - r;
}

}  // namespace

int staticExchange(const Position& pos, Move move) { return exchange<false>(pos, move); }

bool exchangeHolds(const Position& pos, Move move) { return exchange<true>(pos, move) >= 0; }

}  // namespace tallomir

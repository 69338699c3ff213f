#include "board/see.hpp"

#include <bit>

#include "board/attacks.hpp"

namespace tallomir {

namespace {

// The men that can still take on `to`, found from the square sets each time a
// side is to capture: a man used in the exchange is lifted from `occupied`, so
// the slider behind it is seen from `to` at once. The sets seen along the
// diagonals and along the ranks and files are looked up again only after a
// man on such a line was lifted.
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
          orthogonals(orthogonalLines(n)) {
        occupied = (p.occupied[0] | p.occupied[1]) ^ squareBit(numberOf(from));
        if (enPassant) occupied ^= squareBit(numberOf(victim));
    }

    const Position& pos;
    Square from, to, victim;           // victim: the pawn taken en passant, or 0
    int n;                             // `to` as a SquareNumber
    SquareSet diagonals, orthogonals;  // the lines through `to`
    SquareSet occupied;
    SquareSet diagonalSight = 0, orthogonalSight = 0;
    bool diagonalKnown = false, orthogonalKnown = false;
    Square pawns[2][2];
    int pawnCount[2] = {-1, -1}, pawnNext[2] = {0, 0};  // -1: not looked for yet
    int used[32];                                       // SquareNumbers of the men used, in turn
    int usedCount = 0;

    SquareSet diagonal() {
        if (!diagonalKnown) {
            diagonalSight = diagonalAttacks(occupied, n);
            diagonalKnown = true;
        }
        return diagonalSight;
    }
    SquareSet orthogonal() {
        if (!orthogonalKnown) {
            orthogonalSight = orthogonalAttacks(occupied, n);
            orthogonalKnown = true;
        }
        return orthogonalSight;
    }

    Square lift(int sq) {
        const SquareSet bit = squareBit(sq);
        occupied ^= bit;
        used[usedCount++] = sq;
        if (bit & diagonals) diagonalKnown = false;
        if (bit & orthogonals) orthogonalKnown = false;
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
        if (pawnCount[s] < 0) {
            const Square u = to - pawnPush[s];
            int k = 0;
            if (pos.board[u - 1] == pawnCode[s] && u - 1 != from) pawns[s][k++] = u - 1;
            if (pos.board[u + 1] == pawnCode[s] && u + 1 != from) pawns[s][k++] = u + 1;
            pawnCount[s] = k;
        }
        if (pawnNext[s] < pawnCount[s]) return lift(numberOf(pawns[s][pawnNext[s]++]));
        SquareSet m = rayTables.knightJumps[n] & pos.knightSquares(s) & occupied;
        if (m) return lift(std::countr_zero(m));
        m = pos.typeSquares[s][BISHOP_TYPE] & occupied & diagonals;
        if (m && (m &= diagonal())) return lift(latest(m));
        m = pos.typeSquares[s][ROOK_TYPE] & occupied & orthogonals;
        if (m && (m &= orthogonal())) return lift(latest(m));
        m = pos.typeSquares[s][QUEEN_TYPE] & occupied;
        if (m) {
            SquareSet seen = 0;
            if (m & diagonals) seen = diagonal();
            if (m & orthogonals) seen |= orthogonal();
            if ((m &= seen)) return lift(latest(m));
        }
        m = rayTables.kingSteps[n] & pos.typeSquares[s][KING_TYPE] & occupied;
        if (m) return lift(std::countr_zero(m));
        return 0;
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
    Square enemyPawns[2] = {0, 0};
    int enemyPawnCount = 0;
    if (pos.board[u - 1] == pawnCode[e]) enemyPawns[enemyPawnCount++] = u - 1;
    if (pos.board[u + 1] == pawnCode[e]) enemyPawns[enemyPawnCount++] = u + 1;
    if (enemyPawnCount) {
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
    x.pawns[e][0] = enemyPawns[0];
    x.pawns[e][1] = enemyPawns[1];
    x.pawnCount[e] = enemyPawnCount;

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

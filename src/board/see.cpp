#include "board/see.hpp"

#include "board/attacks.hpp"

namespace tallomir {

namespace {

// Attackers of one colour, sorted by piece code descending from the front and
// used from the back: pawns first, the king last. Each man is inserted at
// most once, and a side has at most sixteen.
struct AttackerList {
    int count;
    Square squares[32];
};

struct Exchange {
    Exchange(const Position& p, Square target) : pos(p), to(target), toNumber(numberOf(target)) {
        const SquareSet all = p.occupied[0] | p.occupied[1];
        diagonalSight = diagonalAttacksFor(all, p.diagonalSquares(0) | p.diagonalSquares(1), toNumber);
        orthogonalSight = orthogonalAttacksFor(all, p.orthogonalSquares(0) | p.orthogonalSquares(1), toNumber);
        lists[0].count = lists[1].count = 0;
    }

    const Position& pos;
    Square to;
    int toNumber;               // `to` as a SquareNumber
    SquareSet diagonalSight;    // the first man on each diagonal from `to`
    SquareSet orthogonalSight;  // the first man on each rank and file from `to`
    AttackerList lists[2];

    // A later man goes behind earlier men of the same code.
    void insert(int colour, Square sq) {
        AttackerList& l = lists[colour];
        const int code = pos.board[sq];
        int j = l.count++;
        while (j > 0 && pos.board[l.squares[j - 1]] < code) {
            l.squares[j] = l.squares[j - 1];
            --j;
        }
        l.squares[j] = sq;
    }

    // Pieces (the king included) in the order of the piece list, then the pawns beside `to`.
    void collectAttackers(int s) {
        const SquareSet king = rayTables.kingSteps[toNumber] & squareBit(numberOf(pos.kingSquare(s)));
        Square found[MAX_NON_PAWNS];
        const int count =
            inListOrder(pos, pieceAttackers(pos, s, toNumber, diagonalSight, orthogonalSight) | king, found);
        for (int i = 0; i < count; ++i) insert(s, found[i]);
        const Square u = to - pawnPush[s];
        if (pos.board[u + 1] == pawnCode[s]) insert(s, u + 1);
        if (pos.board[u - 1] == pawnCode[s]) insert(s, u - 1);
    }

    // A slider behind the man on sq, on the line through `to`, joins in.
    void addXray(Square sq) {
        const int d = rayStep(to - sq);
        if (d == 0) return;
        const int away = rayDirection(-d), n = numberOf(sq);
        const int behind = firstOnRay(pos.occupied[0] | pos.occupied[1], away, n);
        if (!(rayTables.rays[away][n] & squareBit(behind))) return;
        const Square w = squareOf[behind];
        const int code = pos.board[w];
        if (code & stepMask(d)) insert(colourOf(code), w);
    }

    int reply(int s, int v) {
        AttackerList& l = lists[s];
        if (l.count == 0) return 0;
        const Square sq = l.squares[--l.count];
        if (sq == 0) return 0;
        addXray(sq);
        if (v == KING_VALUE) return KING_VALUE;
        int a = pieceValue(pos.board[sq]);
        if (a == PAWN_VALUE && isBackRank(to)) {
            a = QUEEN_VALUE;
            v += QUEEN_VALUE - PAWN_VALUE;
        }
        const int r = v - reply(s ^ 1, a);
        return r > 0 ? r : 0;
    }
};

}  // namespace

int staticExchange(const Position& pos, Move move) {
    const Square from = moveFromSquare(move), to = moveToSquare(move);
    const int c = colourOf(pos.board[from]), e = c ^ 1;
    const int kind = moveKind(move);
    int moving = pos.board[from];
    if (kind == PROMOTION) moving = promoPiece[movePromo(move)] | (rankOf(to) == 7 ? WHITE : BLACK);
    const int movingValue = pieceValue(moving);

    Exchange x(pos, to);
    x.addXray(from);
    int gain = pieceValue(pos.board[to]);
    if (kind == PROMOTION) gain += pieceValue(moving) - PAWN_VALUE;
    if (kind == EN_PASSANT) {
        gain += PAWN_VALUE;
        x.addXray(enPassantVictim(to));
    }
    x.collectAttackers(e);
    if (x.lists[e].count == 0) return gain;
    x.collectAttackers(c);
    AttackerList& own = x.lists[c];
    for (int i = 0; i < own.count; ++i) {
        if (own.squares[i] != from) continue;
        for (int j = i; j < own.count - 1; ++j) own.squares[j] = own.squares[j + 1];
        --own.count;
        break;
    }
    return gain - x.reply(e, movingValue);
}

}  // namespace tallomir

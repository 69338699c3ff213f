#include "board/movegen.hpp"

#include "board/castling.hpp"

namespace tallomir {

namespace {

constexpr int PROMOTION_ORDER[4] = {promotionBits(PROMO_QUEEN), promotionBits(PROMO_KNIGHT), promotionBits(PROMO_ROOK),
                                    promotionBits(PROMO_BISHOP)};

inline void append(MoveList& list, Square from, Square to, int kind = 0) {
    list.moves[list.count++] = encodeMove(numberOf(from), numberOf(to), kind);
}

// A pawn move onto a back rank becomes four promotions.
inline void appendPawnMove(MoveList& list, Square from, Square to) {
    if (isBackRank(to)) {
        const Move base = encodeMove(numberOf(from), numberOf(to));
        for (int kind : PROMOTION_ORDER) list.moves[list.count++] = static_cast<Move>(base | kind);
    } else {
        append(list, from, to);
    }
}

// Moves from one square to each of `targets`, lowest square first or highest first.
inline void appendUpwards(MoveList& list, SquareNumber from, SquareSet targets) {
    for (; targets; targets &= targets - 1)
        list.moves[list.count++] = encodeMove(from, squareNumber(std::countr_zero(targets)));
}
inline void appendDownwards(MoveList& list, SquareNumber from, SquareSet targets) {
    while (targets) {
        const int to = 63 - std::countl_zero(targets);
        targets ^= squareBit(to);
        list.moves[list.count++] = encodeMove(from, squareNumber(to));
    }
}

// Quiet moves of one non-pawn man onto the squares of `allowed`: direction by
// direction and, along a ray, nearest first. The steps of a leaper reach its
// squares in ascending order, so its set is read from the lowest square up.
inline void quietMovesOf(const Position& pos, MoveList& list, Square sq, int code, SquareSet allowed) {
    const SquareSet all = pos.occupied[0] | pos.occupied[1];
    const SquareNumber from = numberOf(sq);
    if (!(code & SLIDER_BITS)) {
        const SquareSet steps = (code & KNIGHT) ? rayTables.knightJumps[from] : rayTables.kingSteps[from];
        appendUpwards(list, from, steps & ~all & allowed);
        return;
    }
    // All the piece's empty squares at once; each ray then takes its share.
    const SquareSet reach = (((code & DIAGONAL) ? diagonalAttacks(all, from) : 0) |
                             ((code & ORTHOGONAL) ? orthogonalAttacks(all, from) : 0)) &
                            ~all & allowed;
    if (!reach) return;
    for (const std::int8_t* d = pieceDirections(code); *d; ++d) {
        const int r = rayDirection(*d);
        const SquareSet targets = rayTables.rays[r][from] & reach;
        if (r < 4)
            appendUpwards(list, from, targets);
        else
            appendDownwards(list, from, targets);
    }
}

}  // namespace

int preferredSquare(const Position& pos) {
    constexpr Square D4 = makeSquare(3, 3), E3 = makeSquare(4, 2), D5 = makeSquare(3, 4), E6 = makeSquare(4, 5);
    if (pos.side == 0) return (pos.board[D4] == W_PAWN || pos.board[E3] == W_PAWN) ? 1 : 0;
    return (pos.board[D5] != B_PAWN && pos.board[E6] != B_PAWN) ? 1 : 0;
}

void generateAll(const Position& pos, MoveList& list) {
    const int c = pos.side;
    const int enemy = colourBits(c ^ 1);
    for (const std::uint8_t* p = pos.pieceList[c]; *p; ++p) {
        const Square sq = *p;
        const int code = pos.board[sq];
        for (const std::int8_t* d = pieceDirections(code); *d; ++d) {
            if (code & SLIDER_BITS) {
                Square s = sq + *d;
                for (; pos.board[s] == EMPTY; s += *d) append(list, sq, s);
                if (pos.board[s] & enemy) append(list, sq, s);
            } else {
                const Square s = sq + *d;
                if (pos.board[s] == EMPTY || (pos.board[s] & enemy)) append(list, sq, s);
            }
        }
    }
    const int push = pawnPush[c];
    for (const std::uint8_t* p = pos.pawnList[c]; *p; ++p) {
        const Square sq = *p;
        if (pos.board[sq + push - 1] & enemy) appendPawnMove(list, sq, sq + push - 1);
        if (pos.board[sq + push + 1] & enemy) appendPawnMove(list, sq, sq + push + 1);
        if (pos.board[sq + push] == EMPTY) {
            appendPawnMove(list, sq, sq + push);
            if (isSecondRank(sq, c) && pos.board[sq + 2 * push] == EMPTY) append(list, sq, sq + 2 * push);
        }
    }
}

void generateEnPassant(const Position& pos, MoveList& list) {
    if (!pos.epSquare) return;
    const int c = pos.side;
    const Square t = pos.epSquare - pawnPush[c];
    if (pos.board[t + 1] == pawnCode[c]) append(list, t + 1, pos.epSquare, EN_PASSANT);
    if (pos.board[t - 1] == pawnCode[c]) append(list, t - 1, pos.epSquare, EN_PASSANT);
}

void generateCastling(const Position& pos, MoveList& list) {
    const int c = pos.side;
    for (const Castling& castling : castlings[c])
        if ((pos.castling & castling.right) && castlingPathEmpty(pos, castling) &&
            !isAttacked(pos, c ^ 1, castling.crossed))
            append(list, castling.kingFrom, castling.kingTo, CASTLING);
}

// A piece with one man to take (the common case) appends it straight from the
// square sets. With more, every destination is written to the list in the
// order of the piece's directions and kept only when it holds an enemy man,
// so that no branch depends on what the rays run into.
void generateCaptures(const Position& pos, MoveList& list) {
    const int c = pos.side;
    const int enemy = colourBits(c ^ 1);
    const SquareSet all = pos.occupied[0] | pos.occupied[1], theirs = pos.occupied[c ^ 1];
    Move* out = list.moves + list.count;
    for (const std::uint8_t* p = pos.pieceList[c]; *p; ++p) {
        const Square sq = *p;
        const int code = pos.board[sq];
        const SquareNumber from = numberOf(sq);
        SquareSet reach;
        if (code & SLIDER_BITS)
            reach = ((code & DIAGONAL) ? diagonalAttacksFor(all, theirs, from) : 0) |
                    ((code & ORTHOGONAL) ? orthogonalAttacksFor(all, theirs, from) : 0);
        else
            reach = (code & KNIGHT) ? rayTables.knightJumps[from] : rayTables.kingSteps[from];
        const SquareSet targets = reach & theirs;
        if (!targets) continue;
        if (!(targets & (targets - 1))) {
            *out++ = encodeMove(from, squareNumber(std::countr_zero(targets)));
            continue;
        }
        if (code & SLIDER_BITS) {
            for (const std::int8_t* d = pieceDirections(code); *d; ++d) {
                const int r = rayDirection(*d);
                const int n = firstOnRay(all, r, from);
                *out = encodeMove(from, squareNumber(n));
                out += (theirs & rayTables.rays[r][from]) >> n & 1;
            }
        } else {
            for (const std::int8_t* d = pieceDirections(code); *d; ++d) {
                const Square s = sq + *d;
                *out = encodeMove(from, squareNumber(numberOf(s) & 63));
                out += (pos.board[s] & enemy) != 0;
            }
        }
    }
    // Only the pawns that can take or promote are looked at, in list order.
    constexpr SquareSet NOT_A_FILE = ~0x0101010101010101ULL, NOT_H_FILE = ~0x8080808080808080ULL;
    constexpr SquareSet SEVENTH_RANK[2] = {0x00FF000000000000ULL, 0x000000000000FF00ULL};
    const SquareSet pawns = pos.pawnSquares(c);
    const SquareSet movers = (c == 0 ? (pawns & NOT_A_FILE & (theirs >> 7)) | (pawns & NOT_H_FILE & (theirs >> 9))
                                     : (pawns & NOT_A_FILE & (theirs << 9)) | (pawns & NOT_H_FILE & (theirs << 7))) |
                             (pawns & SEVENTH_RANK[c]);
    const int push = pawnPush[c];
    const auto pawnCaptures = [&](Square sq) {
        if (isSeventhRank(sq, c)) {
            list.count = static_cast<int>(out - list.moves);
            if (pos.board[sq + push - 1] & enemy) appendPawnMove(list, sq, sq + push - 1);
            if (pos.board[sq + push + 1] & enemy) appendPawnMove(list, sq, sq + push + 1);
            if (pos.board[sq + push] == EMPTY) appendPawnMove(list, sq, sq + push);
            out = list.moves + list.count;
            return;
        }
        const SquareNumber from = numberOf(sq);
        *out = encodeMove(from, squareNumber(numberOf(sq + push - 1) & 63));
        out += (pos.board[sq + push - 1] & enemy) != 0;
        *out = encodeMove(from, squareNumber(numberOf(sq + push + 1) & 63));
        out += (pos.board[sq + push + 1] & enemy) != 0;
    };
    if (movers && !(movers & (movers - 1))) {
        pawnCaptures(squareOf[std::countr_zero(movers)]);
    } else if (movers) {
        for (const std::uint8_t* p = pos.pawnList[c]; *p; ++p)
            if (movers & squareBit(numberOf(*p))) pawnCaptures(*p);
    }
    list.count = static_cast<int>(out - list.moves);
}

void generateOtherQuiets(const Position& pos, MoveList& list) {
    const int c = pos.side;
    const int s = preferredSquare(pos);
    const SquareSet notPreferred = ~squareBit(s), any = ~SquareSet{0};
    for (const std::uint8_t* p = pos.pieceList[c]; *p; ++p) {
        const Square sq = *p;
        const int code = pos.board[sq];
        if (code & KNIGHT) continue;
        if ((code & SLIDER_BITS) == DIAGONAL) {
            if (numberOf(sq) != s) quietMovesOf(pos, list, sq, code, any);
        } else {
            quietMovesOf(pos, list, sq, code, notPreferred);
        }
    }
    const int push = pawnPush[c];
    for (const std::uint8_t* p = pos.pawnList[c]; *p; ++p) {
        const Square sq = *p;
        if (isSeventhRank(sq, c) || pos.board[sq + push] != EMPTY) continue;
        append(list, sq, sq + push);
        if (isSecondRank(sq, c) && pos.board[sq + 2 * push] == EMPTY) append(list, sq, sq + 2 * push);
    }
}

void generatePreferredQuiets(const Position& pos, MoveList& list) {
    const int c = pos.side;
    const int s = preferredSquare(pos);
    const Square preferred = squareOf[s];
    const SquareSet any = ~SquareSet{0};
    // Rooks, queens and the king have one move at most here: onto the preferred square.
    const bool open = pos.board[preferred] == EMPTY;
    for (const std::uint8_t* p = pos.pieceList[c]; *p; ++p) {
        const Square sq = *p;
        const int code = pos.board[sq];
        if (code & KNIGHT) {
            quietMovesOf(pos, list, sq, code, any);
        } else if ((code & SLIDER_BITS) == DIAGONAL) {
            if (numberOf(sq) == s) quietMovesOf(pos, list, sq, code, any);
        } else if (open && (code & attackMask(preferred - sq)) && pathClear(pos, sq, preferred)) {
            append(list, sq, preferred);
        }
    }
}

namespace {

// One body for each use, so that neither flag is tested move by move.
template <bool verify, bool stopAtFirst>
bool evasions(const Position& pos, MoveList& list, const CheckInfo& checks) {
    const int c = pos.side, e = c ^ 1;
    const Square k = pos.pieceList[c][0];
    const int r1 = checks.checkerRay[0], r2 = checks.count > 1 ? checks.checkerRay[1] : 0;
    const Square t = checks.checkerSquare[0];
    const int push = pawnPush[c];
    list.count = 0;

    // Step 2: king moves, never straight away from a sliding checker. The
    // king's steps, taken in their order, reach its squares in ascending order.
    const SquareNumber kn = numberOf(k);
    SquareSet steps = rayTables.kingSteps[kn] & ~pos.occupied[c];
    if (r1) steps &= ~rayTables.rays[rayDirection(-r1)][kn];
    if (r2) steps &= ~rayTables.rays[rayDirection(-r2)][kn];
    for (; steps; steps &= steps - 1) {
        const int to = std::countr_zero(steps);
        if (verify && isAttacked(pos, e, squareOf[to])) continue;
        if (stopAtFirst) return true;
        list.moves[list.count++] = encodeMove(kn, squareNumber(to));
    }
    // Step 3: against a double check only the king can move.
    if (checks.count >= 2) return false;

    // Step 4: pawns take the checker, en passant included.
    for (Square from : {t - push + 1, t - push - 1}) {
        if (pos.board[from] != pawnCode[c]) continue;
        if (verify && isPinned(pos, c, from)) continue;
        if (stopAtFirst) return true;
        appendPawnMove(list, from, t);
    }
    if (pos.epSquare && t == enPassantVictim(pos.epSquare)) {
        const Square u = pos.epSquare - push;
        for (Square from : {u + 1, u - 1}) {
            if (pos.board[from] != pawnCode[c]) continue;
            if (verify && isPinned(pos, c, from)) continue;
            if (stopAtFirst) return true;
            append(list, from, pos.epSquare, EN_PASSANT);
        }
    }

    // Step 5: pieces take the checker. Step 6 reuses this for interpositions.
    const auto pieceMovesTo = [&](Square target) {
        for (const std::uint8_t* p = pos.pieceList[c] + 1; *p; ++p) {
            const Square sq = *p;
            if (!(pos.board[sq] & attackMask(target - sq)) || !pathClear(pos, sq, target)) continue;
            if (verify && isPinned(pos, c, sq)) continue;
            if (stopAtFirst) return true;
            append(list, sq, target);
        }
        return false;
    };
    if (pieceMovesTo(t)) return true;

    // Step 6: interpose on the line of a sliding checker.
    if (r1 != 0) {
        for (Square b = k + r1; b != t; b += r1) {
            if (pos.board[b - push] == pawnCode[c]) {
                if (!(verify && isPinned(pos, c, b - push))) {
                    if (stopAtFirst) return true;
                    appendPawnMove(list, b - push, b);
                }
            } else if (pos.board[b - push] == EMPTY && relativeRank(b, c) == 3 &&
                       pos.board[b - 2 * push] == pawnCode[c]) {
                if (!(verify && isPinned(pos, c, b - 2 * push))) {
                    if (stopAtFirst) return true;
                    append(list, b - 2 * push, b);
                }
            }
            if (pieceMovesTo(b)) return true;
        }
    }
    return false;
}

}  // namespace

bool generateEvasions(const Position& pos, MoveList& list, const CheckInfo& checks, bool verify, bool stopAtFirst) {
    if (verify) return stopAtFirst ? evasions<true, true>(pos, list, checks) : evasions<true, false>(pos, list, checks);
    return stopAtFirst ? evasions<false, true>(pos, list, checks) : evasions<false, false>(pos, list, checks);
}

}  // namespace tallomir

#include "board/movegen.hpp"

#include "board/castling.hpp"

namespace tallomir {

namespace {

constexpr int PROMOTION_ORDER[4] = {promotionBits(PROMO_QUEEN), promotionBits(PROMO_KNIGHT), promotionBits(PROMO_ROOK),
                                    promotionBits(PROMO_BISHOP)};
// The promotions without a capture as the capture stages hand them out: by
// the value of the new piece.
constexpr int PUSH_PROMOTION_ORDER[4] = {promotionBits(PROMO_QUEEN), promotionBits(PROMO_ROOK),
                                         promotionBits(PROMO_BISHOP), promotionBits(PROMO_KNIGHT)};

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

// Every square a man of colour attacks, as isAttacked answers for each.
SquareSet attackedSquares(const Position& pos, int colour) {
    const SquareSet* men = pos.typeSquares[colour];
    const SquareSet pawns = men[PAWN_TYPE];
    SquareSet a = colour == 0 ? ((pawns & ~A_FILE) << 7) | ((pawns & ~H_FILE) << 9)
                              : ((pawns & ~A_FILE) >> 9) | ((pawns & ~H_FILE) >> 7);
    a |= rayTables.kingSteps[numberOf(pos.kingSquare(colour))];
    for (SquareSet s = men[KNIGHT_TYPE]; s; s &= s - 1) a |= rayTables.knightJumps[std::countr_zero(s)];
    const SquareSet all = pos.occupied[0] | pos.occupied[1];
    for (SquareSet s = men[BISHOP_TYPE] | men[QUEEN_TYPE]; s; s &= s - 1)
        a |= diagonalAttacks(all, std::countr_zero(s));
    for (SquareSet s = men[ROOK_TYPE] | men[QUEEN_TYPE]; s; s &= s - 1)
        a |= orthogonalAttacks(all, std::countr_zero(s));
    return a;
}

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

namespace {

// A man with something to take and the squares it can take on.
struct Taker {
    SquareNumber from;
    int code;
    SquareSet targets;
};

// The moves of one taker onto `victims`. A bishop or queen with two or more
// of them takes in the order of its directions; every other man's
// directions run the way the square numbers rise.
inline Move* appendTakes(Move* out, const Taker& k, SquareSet victims) {
    constexpr SquareSet BACK_RANKS = 0xFF000000000000FFULL;
    if ((k.code & DIAGONAL) && (victims & (victims - 1))) {
        for (const std::int8_t* d = pieceDirections(k.code); *d; ++d) {
            const SquareSet on = victims & rayTables.rays[rayDirection(*d)][k.from];
            if (on) *out++ = encodeMove(k.from, squareNumber(std::countr_zero(on)));
        }
        return out;
    }
    const bool promotes = (k.code & PAWN_BITS) && (victims & BACK_RANKS);
    for (; victims; victims &= victims - 1) {
        const Move m = encodeMove(k.from, squareNumber(std::countr_zero(victims)));
        if (!promotes) {
            *out++ = m;
        } else {
            for (int kind : PROMOTION_ORDER) *out++ = static_cast<Move>(m | kind);
        }
    }
    return out;
}

}  // namespace

// The takers are found first, the pawns in list order and then the pieces by
// type from the knights up (the piece list holds the king, the queens, rooks,
// bishops and knights in this order, each type in list order). Their moves
// are then written victim type by victim type, which is the order wanted.
void generateCaptures(const Position& pos, MoveList& list) {
    const int c = pos.side, e = c ^ 1;
    const SquareSet all = pos.occupied[0] | pos.occupied[1], theirs = pos.occupied[e];
    Taker takers[MAX_NON_PAWNS + MAX_PAWNS];
    int count = 0;
    SquareSet hit = 0;
    const auto add = [&](Square from, SquareSet targets) {
        if (!targets) return;
        takers[count++] = {numberOf(from), pos.board[from], targets};
        hit |= targets;
    };

    const SquareSet pawns = pos.pawnSquares(c);
    const SquareSet capturing = c == 0 ? (pawns & ~A_FILE & (theirs >> 7)) | (pawns & ~H_FILE & (theirs >> 9))
                                       : (pawns & ~A_FILE & (theirs << 9)) | (pawns & ~H_FILE & (theirs << 7));
    const SquareSet promoting = pawns & SEVENTH_RANK[c] & ~(c == 0 ? all >> 8 : all << 8);
    // A king alone with its pawns, the usual case of pawn endings, often has
    // nothing to take.
    if (pos.pieceCount[c] == 1 && !(capturing | promoting) && !pos.epSquare &&
        !(rayTables.kingSteps[numberOf(pos.kingSquare(c))] & theirs))
        return;
    if (capturing && !(capturing & (capturing - 1))) {
        const int n = std::countr_zero(capturing);
        add(squareOf[n], pawnAttackers[e][n] & theirs);
    } else if (capturing) {
        for (const std::uint8_t* p = pos.pawnList[c]; *p; ++p)
            if (capturing & squareBit(numberOf(*p))) add(*p, pawnAttackers[e][numberOf(*p)] & theirs);
    }
    const int pawnTakers = count;

    const std::uint8_t* men = pos.pieceList[c];
    const std::int32_t* counts = pos.pieceIndexCount + c;  // by 2 * type
    const int rooks = 1 + counts[2 * QUEEN_TYPE], bishops = rooks + counts[2 * ROOK_TYPE];
    const int knights = bishops + counts[2 * BISHOP_TYPE], end = pos.pieceCount[c];
    for (int i = knights; i < end; ++i) add(men[i], rayTables.knightJumps[numberOf(men[i])] & theirs);
    for (int i = bishops; i < knights; ++i) add(men[i], diagonalAttacksFor(all, theirs, numberOf(men[i])) & theirs);
    for (int i = rooks; i < bishops; ++i) add(men[i], orthogonalAttacksFor(all, theirs, numberOf(men[i])) & theirs);
    for (int i = 1; i < rooks; ++i) {
        const SquareNumber n = numberOf(men[i]);
        add(men[i], (diagonalAttacksFor(all, theirs, n) | orthogonalAttacksFor(all, theirs, n)) & theirs);
    }
    add(men[0], rayTables.kingSteps[numberOf(men[0])] & theirs);

    Move* out = list.moves + list.count;
    const auto take = [&](int first, int last, SquareSet victims) {
        for (int i = first; i < last; ++i)
            if (const SquareSet t = takers[i].targets & victims) out = appendTakes(out, takers[i], t);
    };
    const SquareSet pawnVictims = hit & pos.pawnSquares(e);
    for (int type = KING_TYPE; hit != pawnVictims; --type) {
        if (const SquareSet victims = hit & pos.typeSquares[e][type]) {
            take(0, count, victims);
            hit ^= victims;
        }
    }
    if (pawnVictims) take(0, pawnTakers, pawnVictims);
    if (pos.epSquare) {
        list.count = static_cast<int>(out - list.moves);
        generateEnPassant(pos, list);
        out = list.moves + list.count;
    }
    if (pawnVictims) take(pawnTakers, count, pawnVictims);

    // The promotions without a capture, pawn by pawn for each new piece; a
    // lone such pawn (the usual case) needs no walk of the pawn list.
    if (promoting && !(promoting & (promoting - 1))) {
        const int from = std::countr_zero(promoting);
        const Move base = encodeMove(squareNumber(from), squareNumber(c == 0 ? from + 8 : from - 8));
        for (int kind : PUSH_PROMOTION_ORDER) *out++ = static_cast<Move>(base | kind);
    } else if (promoting) {
        const int push = pawnPush[c];
        for (int kind : PUSH_PROMOTION_ORDER)
            for (const std::uint8_t* p = pos.pawnList[c]; *p; ++p)
                if (isSeventhRank(*p, c) && pos.board[*p + push] == EMPTY)
                    *out++ = encodeMove(numberOf(*p), numberOf(*p + push), kind);
    }
    list.count = static_cast<int>(out - list.moves);
}

void generateOtherQuiets(const Position& pos, MoveList& list, SquareSet kingSquares) {
    const int c = pos.side;
    const int s = preferredSquare(pos);
    const SquareSet notPreferred = ~squareBit(s), any = ~SquareSet{0};
    const std::uint8_t* men = pos.pieceList[c];
    quietMovesOf(pos, list, men[0], KING | colourBits(c), notPreferred & kingSquares);
    for (const std::uint8_t* p = men + 1; *p; ++p) {
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

void generateOtherQuiets(const Position& pos, MoveList& list) { generateOtherQuiets(pos, list, ~SquareSet{0}); }

namespace {

// The moves of the men of `reach`, among the king, queens and rooks, onto the
// preferred square, in piece-list order.
[[gnu::noinline]] void movesOntoPreferred(const Position& pos, MoveList& list, Square preferred, SquareSet reach) {
    for (const std::uint8_t* p = pos.pieceList[pos.side]; reach; ++p) {
        const SquareSet bit = squareBit(numberOf(*p));
        if (!(reach & bit)) continue;
        reach ^= bit;
        append(list, *p, preferred);
    }
}

// The moves of a bishop on the preferred square, then of the knights: the
// last men of the piece list.
[[gnu::noinline]] void bishopAndKnightQuiets(const Position& pos, MoveList& list, Square preferred) {
    const int c = pos.side;
    const SquareSet any = ~SquareSet{0};
    if (pos.typeSquares[c][BISHOP_TYPE] & squareBit(numberOf(preferred)))
        quietMovesOf(pos, list, preferred, pos.board[preferred], any);
    const std::uint8_t* men = pos.pieceList[c];
    for (int i = pos.pieceCount[c] - pos.pieceIndexCount[2 * KNIGHT_TYPE + c]; men[i]; ++i)
        quietMovesOf(pos, list, men[i], pos.board[men[i]], any);
}

}  // namespace

// The piece list holds the king, the queens, rooks, bishops and knights in
// this order. The king, queens and rooks move onto an empty preferred square
// (the men that reach it are found from the square); an own bishop standing
// on it moves from it; the knights close the list.
void generatePreferredQuiets(const Position& pos, MoveList& list) {
    const int c = pos.side;
    const int s = preferredSquare(pos);
    const SquareSet* men = pos.typeSquares[c];
    const Square preferred = squareOf[s];
    if (pos.board[preferred] == EMPTY) {
        const SquareSet all = pos.occupied[0] | pos.occupied[1];
        const SquareSet queens = men[QUEEN_TYPE], straight = men[ROOK_TYPE] | queens;
        const SquareSet reach = (rayTables.kingSteps[s] & men[KING_TYPE]) |
                                (orthogonalAttacksFor(all, straight, s) & straight) |
                                (diagonalAttacksFor(all, queens, s) & queens);
        if (reach) movesOntoPreferred(pos, list, preferred, reach);
    }
    if (men[BISHOP_TYPE] | men[KNIGHT_TYPE]) bishopAndKnightQuiets(pos, list, preferred);
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
    // Against few pieces all the attacked squares cost less than the steps' tests.
    const bool few = verify && pos.pieceCount[e] <= FEW_ATTACKERS;
    const SquareSet unsafe = few && steps ? attackedSquares(pos, e) : 0;
    for (; steps; steps &= steps - 1) {
        const int to = std::countr_zero(steps);
        if (verify && (few ? (unsafe & squareBit(to)) != 0 : isAttacked(pos, e, squareOf[to]))) continue;
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

    // Step 5: pieces take the checker. Against a checker next to the king or
    // one that does not slide, that is all.
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
    if (r1 == 0 || k + r1 == t) return pieceMovesTo(t);

    // Step 6: interpose on the line of a sliding checker. Each piece's
    // squares among the checker's and the line's are looked up once, and so
    // are the line's squares a pawn can step onto; the moves are then
    // written target by target from the checker, then along the line from
    // the king: a pawn's first, then the pieces' in list order.
    const SquareNumber tn = numberOf(t);
    const int d = rayDirection(r1);
    const SquareSet line = rayTables.rays[d][kn] ^ rayTables.rays[d][tn] ^ squareBit(tn);
    const SquareSet goal = line | squareBit(tn);
    const SquareSet all = pos.occupied[0] | pos.occupied[1];
    SquareNumber reachFrom[MAX_NON_PAWNS];
    SquareSet reach[MAX_NON_PAWNS];
    int reaching = 0;
    SquareSet reached = 0;
    for (const std::uint8_t* p = pos.pieceList[c] + 1; *p; ++p) {
        const int code = pos.board[*p];
        const SquareNumber n = numberOf(*p);
        SquareSet to = (code & KNIGHT) ? rayTables.knightJumps[n] & goal : 0;
        if (code & DIAGONAL) to |= diagonalAttacksFor(all, goal, n) & goal;
        if (code & ORTHOGONAL) to |= orthogonalAttacksFor(all, goal, n) & goal;
        if (!to) continue;
        reachFrom[reaching] = n;
        reach[reaching++] = to;
        reached |= to;
    }
    const auto piecesTo = [&](int n) {
        const SquareSet bit = squareBit(n);
        if (!(reached & bit)) return false;
        for (int i = 0; i < reaching; ++i) {
            if (!(reach[i] & bit)) continue;
            if (verify && isPinned(pos, c, squareOf[reachFrom[i]])) continue;
            if (stopAtFirst) return true;
            list.moves[list.count++] = encodeMove(reachFrom[i], squareNumber(n));
        }
        return false;
    };
    if (piecesTo(tn)) return true;

    constexpr SquareSet FOURTH_RANK[2] = {0x00000000FF000000ULL, 0x000000FF00000000ULL};
    const SquareSet pawns = pos.pawnSquares(c);
    const SquareSet once = c == 0 ? pawns << 8 : pawns >> 8;
    const SquareSet onceEmpty = once & ~all;
    const SquareSet single = line & once;
    const SquareSet twice = line & FOURTH_RANK[c] & (c == 0 ? onceEmpty << 8 : onceEmpty >> 8);
    for (SquareSet stops = line & (reached | single | twice); stops;) {
        const int n = d < 4 ? std::countr_zero(stops) : 63 - std::countl_zero(stops);
        const SquareSet bit = squareBit(n);
        stops ^= bit;
        const Square b = squareOf[n];
        if (single & bit) {
            if (!(verify && isPinned(pos, c, b - push))) {
                if (stopAtFirst) return true;
                appendPawnMove(list, b - push, b);
            }
        } else if (twice & bit) {
            if (!(verify && isPinned(pos, c, b - 2 * push))) {
                if (stopAtFirst) return true;
                append(list, b - 2 * push, b);
            }
        }
        if (piecesTo(n)) return true;
    }
    return false;
}

}  // namespace

bool generateEvasions(const Position& pos, MoveList& list, const CheckInfo& checks, bool verify, bool stopAtFirst) {
    if (verify) return stopAtFirst ? evasions<true, true>(pos, list, checks) : evasions<true, false>(pos, list, checks);
    return stopAtFirst ? evasions<false, true>(pos, list, checks) : evasions<false, false>(pos, list, checks);
}

}  // namespace tallomir

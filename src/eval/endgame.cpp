#include "eval/endgame.hpp"

#include <cstdlib>

#include "eval/evaluate.hpp"

namespace tallomir {

namespace {

// Normalised squares: the pawn side plays up and its pawn is on files a-d.
constexpr Square A7 = makeSquare(0, 6), B7 = makeSquare(1, 6), C7 = makeSquare(2, 6), D7 = makeSquare(3, 6);
constexpr Square E7 = makeSquare(4, 6), G7 = makeSquare(6, 6), H7 = makeSquare(7, 6);
constexpr Square promotionSquare(Square pawn) { return makeSquare(fileOf(pawn), 7); }

bool isDiagonalStep(int step) { return step == 15 || step == -15 || step == 17 || step == -17; }

// A bishop on `from` stands on or sees `to`; only `blocker` (its own king) blocks the diagonal.
bool bishopReaches(Square from, Square to, Square blocker) {
    if (from == to) return true;
    const int step = rayStep(to - from);
    if (!isDiagonalStep(step)) return false;
    for (Square s = from + step; s != to; s += step)
        if (s == blocker) return false;
    return true;
}

bool bishopCoversPath(Square bishop, Square pawn, Square ownKing) {
    for (Square t = pawn + 16; rankOf(t) <= 7; t += 16)
        if (bishopReaches(bishop, t, ownKing)) return true;
    return false;
}

bool knightReaches(Square from, Square to) {
    const int df = std::abs(fileOf(to) - fileOf(from)), dr = std::abs(rankOf(to) - rankOf(from));
    return from == to || (df == 1 && dr == 2) || (df == 2 && dr == 1);
}

// The recognisers below read the normalised list; f: the side without the
// pawn (holding the extra piece) is to move.

// Kp, P, Kx, Q
bool queenVsPawnDraw(const Square* l, bool f) {
    const Square kp = l[0], pawn = l[1], kx = l[2], queen = l[3];
    if (pawn == A7) {
        if (kp == B7 || kp == B8) return distanceBetween(kx, A8) > (f ? 4 : 3);
        if (kp == A8 || ((kp == C7 || kp == C8) && queen != A8))
            return distanceBetween(kx, A8) > 4 && (!f || fileOf(queen) == 1);
        return false;
    }
    if (pawn == C7) {
        if (kp == C8) return distanceBetween(kx, C8) > (f ? 5 : 4);
        // The square just beyond c7 on the queen's line through it.
        const Square beyond = C7 + rayStep(C7 - queen);
        const int tempo = f ? 0 : 1;
        if (kp == B7 || kp == B8) return distanceBetween(kx, C8) > (kp == beyond ? 4 : 3) - tempo;
        if (kp == D7 || kp == D8) return distanceBetween(kx, C8) > (kp == beyond ? 5 : 4) - tempo;
        if (kp == A7 || kp == A8) {
            if (queen == C8) return false;
            return distanceBetween(kx, C8) > 3 && (!f || fileOf(queen) == 1);
        }
        if (kp == E7 || kp == E8) {
            if (queen == C8) return false;
            return distanceBetween(kx, C8) > 4 && (!f || fileOf(queen) == 3);
        }
        return false;
    }
    return false;
}

// Kp, P, Kx, R
bool rookVsPawnDraw(const Square* l, bool f) {
    const Square kp = l[0], pawn = l[1], kx = l[2], rook = l[3];
    const Square q = promotionSquare(pawn);
    const int kingToPawn = distanceBetween(kp, pawn);
    if (kingToPawn == 2) {
        if (std::abs(rankOf(kp) - rankOf(pawn)) > 1) return false;
        if (f && fileOf(rook) != (fileOf(kp) + fileOf(pawn)) / 2) return false;
    } else if (kingToPawn > 2) {
        return false;
    }
    int t = distanceBetween(q, pawn) + distanceBetween(q, kp);
    if (kp == q) ++t;
    if (kp == pawn + 16) {
        if (fileOf(pawn) == 0) return false;
        ++t;
    }
    if (fileOf(rook) != fileOf(pawn) && rankOf(rook) != 7) --t;
    if (!f) --t;
    return distanceBetween(q, kx) > t;
}

// Kp, P, Kx, B
bool bishopVsPawnDraw(const Square* l) { return bishopCoversPath(l[3], l[1], l[2]); }

// Kp, P, Kx, N
bool knightVsPawnDraw(const Square* l) {
    const Square pawn = l[1], knight = l[3];
    const int lastRank = fileOf(pawn) == 0 ? 6 : 7;
    for (Square t = pawn + 16; rankOf(t) <= lastRank; t += 16)
        if (knightReaches(knight, t)) return true;
    return false;
}

// Ks, N, P, Kd
bool knightRookPawnDraw(const Square* l) { return l[2] == A7 && distanceBetween(l[3], A8) <= 1; }

// Ks, Rs, P, Kd, Rd
bool rookPawnVsRookDraw(const Square* l) {
    const Square ks = l[0], rs = l[1], pawn = l[2], kd = l[3], rd = l[4];
    const Square q = promotionSquare(pawn);
    if (kd == q && fileOf(rd) > fileOf(pawn)) return true;
    if (fileOf(kd) == fileOf(pawn) && rankOf(kd) > rankOf(pawn)) return true;
    if (rs == q && rankOf(pawn) == 6 && (kd == G7 || kd == H7) && fileOf(rd) == fileOf(pawn))
        return distanceBetween(pawn, ks) > (rankOf(rd) >= 3 ? 2 : 1);
    return false;
}

// Ks, Bs, P, Kd, Bd
bool bishopPawnVsBishopDraw(const Square* l) {
    if (squareColour(l[1]) == squareColour(l[4])) return false;
    return bishopCoversPath(l[4], l[2], l[3]);
}

// King and pawn against king on the normalised squares; m: the defender is to move.
bool kingPawnDraw(Square pawn, Square strongKing, Square weakKing, bool m) {
    const int rank = rankOf(pawn);
    if (weakKing == pawn + 16) {
        if (rank <= 5) return true;
        const bool strongBehind = strongKing == pawn - 15 || strongKing == pawn - 17;
        if (m != strongBehind) return true;
    } else if (weakKing == pawn + 32) {
        if (rank <= 4 || m) return true;
        if (strongKing != pawn - 1 && strongKing != pawn + 1) return true;
    } else if (strongKing == pawn - 1 || strongKing == pawn + 1) {
        if (weakKing == strongKing + 32 && !m) return true;
    } else if (strongKing == pawn + 15 || strongKing == pawn + 16 || strongKing == pawn + 17) {
        if (rank <= 3 && weakKing == strongKing + 32 && !m) return true;
    }
    // A rook pawn draws when the defender reaches the corner, or holds the
    // c-file ahead of the pawn while the attacking king is stuck on the a-file.
    if (fileOf(pawn) != 0) return false;
    if (distanceBetween(weakKing, promotionSquare(pawn)) <= 1) return true;
    const int pawnRank = rank == 1 ? 2 : rank;
    return fileOf(strongKing) == 0 && fileOf(weakKing) == 2 && rankOf(weakKing) > pawnRank;
}

// normaliseEndgame, inline for the scale rules.
[[gnu::always_inline]] inline int normaliseOnePawn(const Position& pos, int s, Square* list) {
    const int e = s ^ 1;
    const Square pawn = pos.pawnList[s][0];
    const int flip = (fileOf(pawn) >= 4 ? 0x0F : 0) ^ (s == 1 ? 0xF0 : 0);
    Square* l = list;
    *l++ = pos.pieceList[s][0] ^ flip;
    if (pos.pieceCount[s] > 1) *l++ = pos.pieceList[s][1] ^ flip;
    *l++ = pawn ^ flip;
    *l++ = pos.pieceList[e][0] ^ flip;
    if (pos.pieceCount[e] > 1) *l++ = pos.pieceList[e][1] ^ flip;
    *l = 0;
    return static_cast<int>(l - list);
}

}  // namespace

int normaliseEndgame(const Position& pos, int s, Square* list) { return normaliseOnePawn(pos, s, list); }

bool hasBishopOnColour(const Position& pos, int side, Square sq) {
    const int colour = squareColour(sq);
    for (const std::uint8_t* p = pos.pieceList[side] + 1; *p; ++p) {
        const int code = pos.board[*p];
        if ((code & DIAGONAL) && !(code & ORTHOGONAL) && squareColour(*p) == colour) return true;
    }
    return false;
}

bool isFewMenDraw(const Position& pos, const MaterialEntry& material) {
    const int cls = material.endgameClass;
    if (cls >= CLASS_BARE_KINGS && cls <= CLASS_NONE_V_N) return true;
    if (cls == CLASS_P_V_NONE || cls == CLASS_NONE_V_P) {
        const int s = cls == CLASS_P_V_NONE ? 0 : 1;
        Square list[NORMALISED_LIST_SIZE];
        normaliseOnePawn(pos, s, list);
        return kingPawnDraw(list[1], list[0], list[2], pos.side != s);
    }
    if (cls == CLASS_B_V_B) return squareColour(pos.pieceList[0][1]) == squareColour(pos.pieceList[1][1]);
    if (cls == CLASS_BP_V_NONE || cls == CLASS_NONE_V_BP) {
        // Only a rook pawn with a bishop that cannot cover its promotion square.
        const int s = cls == CLASS_BP_V_NONE ? 0 : 1;
        const Square pawn = pos.pawnList[s][0];
        if (fileOf(pawn) != 0 && fileOf(pawn) != 7) return false;
        const Square q = makeSquare(fileOf(pawn), s == 0 ? 7 : 0);
        return distanceBetween(pos.kingSquare(s ^ 1), q) <= 1 && !hasBishopOnColour(pos, s, q);
    }
    return false;
}

void applyEndgameRules(const Position& pos, const MaterialEntry& material, const PawnEntry& pawns, int& scaleWhite,
                       int& scaleBlack) {
    int* scale[2] = {&scaleWhite, &scaleBlack};
    const bool sideRules =
        (material.sideFlags[0] | material.sideFlags[1]) & (ONLY_BISHOPS_AND_PAWNS | KNIGHT_PAWN_VS_PIECE);
    for (int s = 0; sideRules && s < 2; ++s) {
        const int flags = material.sideFlags[s];
        if (!(flags & (ONLY_BISHOPS_AND_PAWNS | KNIGHT_PAWN_VS_PIECE))) continue;
        const Square enemyKing = pos.kingSquare(s ^ 1);
        const int lone = pawns.lonePawnSquare[s];
        // Rook pawns with the wrong bishop (or none) against a king in the corner.
        if ((flags & ONLY_BISHOPS_AND_PAWNS) && lone && (fileOf(lone) == 0 || fileOf(lone) == 7)) {
            const Square q = makeSquare(fileOf(lone), s == 0 ? 7 : 0);
            if (distanceBetween(q, enemyKing) <= 1 && !hasBishopOnColour(pos, s, q)) *scale[s] = 0;
        }
        // A king blocking the pawns on a square the lone bishop cannot attack.
        if ((flags & LONE_BISHOP_VS_PIECE) && lone) {
            if (fileOf(enemyKing) == fileOf(lone) && relativeRank(enemyKing, s) > rankOf(lone) &&
                !hasBishopOnColour(pos, s, enemyKing))
                *scale[s] = 1;
        }
        // A king blocking the pawn of a knight and pawn against a piece.
        if (flags & KNIGHT_PAWN_VS_PIECE) {
            const Square pawn = pos.pawnList[s][0];
            if (fileOf(enemyKing) == fileOf(pawn) && relativeRank(enemyKing, s) > relativeRank(pawn, s) &&
                relativeRank(pawn, s) <= 5)
                *scale[s] = 1;
        }
    }

    int s;
    switch (material.endgameClass) {
        case CLASS_Q_V_P:
        case CLASS_R_V_P:
        case CLASS_B_V_P:
        case CLASS_N_V_P:
        case CLASS_NONE_V_NP:
        case CLASS_R_V_RP:
        case CLASS_B_V_BP:
            s = 1;
            break;
        case CLASS_P_V_Q:
        case CLASS_P_V_R:
        case CLASS_P_V_B:
        case CLASS_P_V_N:
        case CLASS_NP_V_NONE:
        case CLASS_RP_V_R:
        case CLASS_BP_V_B:
            s = 0;
            break;
        default:
            return;
    }
    Square list[NORMALISED_LIST_SIZE];
    normaliseOnePawn(pos, s, list);
    const bool strongToMove = pos.side != s;
    bool draw = false;
    switch (material.endgameClass) {
        case CLASS_Q_V_P:
        case CLASS_P_V_Q:
            draw = queenVsPawnDraw(list, strongToMove);
            break;
        case CLASS_R_V_P:
        case CLASS_P_V_R:
            draw = rookVsPawnDraw(list, strongToMove);
            break;
        case CLASS_B_V_P:
        case CLASS_P_V_B:
            draw = bishopVsPawnDraw(list);
            break;
        case CLASS_N_V_P:
        case CLASS_P_V_N:
            draw = knightVsPawnDraw(list);
            break;
        case CLASS_NP_V_NONE:
        case CLASS_NONE_V_NP:
            draw = knightRookPawnDraw(list);
            break;
        case CLASS_RP_V_R:
        case CLASS_R_V_RP:
            draw = rookPawnVsRookDraw(list);
            break;
        default:
            draw = bishopPawnVsBishopDraw(list);
            break;
    }
    if (draw) scaleWhite = scaleBlack = 1;
}

}  // namespace tallomir

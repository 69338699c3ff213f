#include "eval/material.hpp"

#include "editions/edition.hpp"
#include "eval/cache.hpp"

namespace tallomir {

namespace {

// Men of one side, kings never counted.
struct SideCounts {
    int pawns, knights, bishops, rooks, queens;
    int pieces() const { return knights + bishops + rooks + queens; }
    int men() const { return pieces() + pawns; }
    int minors() const { return knights + bishops; }
    // Weight of the pieces in minor-piece units (rook 2, queen 4).
    int weight() const { return knights + bishops + 2 * rooks + 4 * queens; }
    int heavy() const { return rooks + 2 * queens; }
};

SideCounts countsOf(const Position& pos, int c) {
    const std::int32_t* count = pos.pieceIndexCount;
    return {count[0 + c], count[2 + c], count[4 + c], count[6 + c], count[8 + c]};
}

int classifyEnding(const SideCounts& w, const SideCounts& b) {
    const int aW = w.men(), aB = b.men();
    int cls = CLASS_OTHER;
    if (aW == 0) {
        if (aB == 0) {
            cls = CLASS_BARE_KINGS;
        } else if (aB == 1) {
            if (b.bishops == 1) cls = CLASS_NONE_V_B;
            if (b.knights == 1) cls = CLASS_NONE_V_N;
            if (b.pawns == 1) cls = CLASS_NONE_V_P;
        } else if (aB == 2) {
            if (b.bishops == 1 && b.pawns == 1) cls = CLASS_NONE_V_BP;
            if (b.knights == 1 && b.pawns == 1) cls = CLASS_NONE_V_NP;
        }
    } else if (aW == 1) {
        if (aB == 0) {
            if (w.bishops == 1) cls = CLASS_B_V_NONE;
            if (w.knights == 1) cls = CLASS_N_V_NONE;
            if (w.pawns == 1) cls = CLASS_P_V_NONE;
        } else if (aB == 1) {
            // One man each: later tests overwrite earlier ones.
            if (w.queens == 1 && b.queens == 1) cls = CLASS_Q_V_Q;
            if (w.queens == 1 && b.pawns == 1) cls = CLASS_Q_V_P;
            if (w.pawns == 1 && b.queens == 1) cls = CLASS_P_V_Q;
            if (w.rooks == 1 && b.rooks == 1) cls = CLASS_R_V_R;
            if (w.rooks == 1 && b.pawns == 1) cls = CLASS_R_V_P;
            if (w.pawns == 1 && b.rooks == 1) cls = CLASS_P_V_R;
            if (w.bishops == 1 && b.bishops == 1) cls = CLASS_B_V_B;
            if (w.bishops == 1 && b.pawns == 1) cls = CLASS_B_V_P;
            if (w.pawns == 1 && b.bishops == 1) cls = CLASS_P_V_B;
            if (w.knights == 1 && b.knights == 1) cls = CLASS_N_V_N;
            if (w.knights == 1 && b.pawns == 1) cls = CLASS_N_V_P;
            if (w.pawns == 1 && b.knights == 1) cls = CLASS_P_V_N;
        } else if (aB == 2) {
            if (w.rooks == 1 && b.rooks == 1 && b.pawns == 1) cls = CLASS_R_V_RP;
            if (w.bishops == 1 && b.bishops == 1 && b.pawns == 1) cls = CLASS_B_V_BP;
        }
    } else if (aW == 2) {
        if (aB == 0) {
            if (w.bishops == 1 && w.pawns == 1) cls = CLASS_BP_V_NONE;
            if (w.knights == 1 && w.pawns == 1) cls = CLASS_NP_V_NONE;
        } else if (aB == 1) {
            if (w.rooks == 1 && w.pawns == 1 && b.rooks == 1) cls = CLASS_RP_V_R;
            if (w.bishops == 1 && w.pawns == 1 && b.bishops == 1) cls = CLASS_BP_V_B;
        }
    }
    return cls;
}

// Winning chances of side `own` against `other`, in sixteenths: without pawns
// a small material edge cannot win, and a single pawn rarely wins against a
// defender who can give a piece for it.
int scaleFor(const SideCounts& own, const SideCounts& other) {
    if (own.pawns > 1) return FULL_SCALE;
    const int W = own.weight(), H = own.heavy(), B = other.weight();
    if (own.pawns == 0) {
        if (W == 1) return 0;
        if (W == 2 && own.knights == 2) return (B > 0 || other.pawns == 0) ? 0 : 1;
        if (W == 2 && own.bishops == 2 && B == 1 && other.knights == 1) return 8;
        if (W - B <= 1 && H <= 2) return 2;
        return FULL_SCALE;
    }
    // A single pawn.
    int D;
    if (other.minors() > 0)
        D = B - 1;
    else if (other.rooks > 0)
        D = B - 2;
    else
        return FULL_SCALE;
    if (W == 1) return 4;
    if (W == 2 && own.knights == 2) return 4;
    if (W - D <= 1 && H <= 2) return 8;
    return FULL_SCALE;
}

int sideFlagsFor(const SideCounts& own, const SideCounts& other) {
    int flags = 0;
    const bool otherHasPiece = other.men() > other.pawns;
    if (own.men() == own.bishops + own.pawns && own.pawns >= 1) {
        flags |= ONLY_BISHOPS_AND_PAWNS;
        if (own.bishops <= 1 && otherHasPiece) flags |= LONE_BISHOP_VS_PIECE;
    }
    if (own.men() == 2 && own.knights == 1 && own.pawns == 1 && otherHasPiece) flags |= KNIGHT_PAWN_VS_PIECE;
    if (other.queens >= 1 && other.pieces() >= 2) flags |= FACES_QUEEN;
    return flags;
}

int pieceMaterialOf(const SideCounts& s) {
    return typeValue[QUEEN_TYPE] * s.queens + typeValue[ROOK_TYPE] * s.rooks + typeValue[KNIGHT_TYPE] * s.knights +
           typeValue[BISHOP_TYPE] * s.bishops;
}

// The bishop pair earns nothing while a pawn of its own side holds the centre.
bool centralPawn(const Position& pos, int c) {
    const int code = pawnCode[c];
    return pos.board[makeSquare(3, 3)] == code || pos.board[makeSquare(4, 3)] == code ||
           pos.board[makeSquare(3, 4)] == code || pos.board[makeSquare(4, 4)] == code;
}

MaterialEntry& slotOf(MaterialEntry* table, const Position& pos) {
    return table[keyLow(pos.materialKey) & (MATERIAL_TABLE_SIZE - 1)];
}

}  // namespace

void computeMaterial(const Position& pos, MaterialEntry& out) {
    const SideCounts w = countsOf(pos, 0), b = countsOf(pos, 1);
    // Step 1: which small ending, if any.
    out.endgameClass = static_cast<std::uint8_t>(classifyEnding(w, b));
    const int cls = out.endgameClass;

    // Step 2: draw knowledge.
    const bool noHeavyOrPawn = w.pawns + b.pawns + w.rooks + b.rooks + w.queens + b.queens == 0;
    int draw = 0;
    if ((noHeavyOrPawn && w.minors() + b.minors() <= 1) || (noHeavyOrPawn && cls == CLASS_B_V_B) ||
        cls == CLASS_P_V_NONE || cls == CLASS_NONE_V_P || cls == CLASS_BP_V_NONE || cls == CLASS_NONE_V_BP)
        draw |= DRAW_CANDIDATE;
    const int pawnDiff = w.pawns - b.pawns;
    if (w.rooks + b.rooks + w.queens + b.queens + w.knights + b.knights == 0 && w.bishops == 1 && b.bishops == 1 &&
        pawnDiff >= -2 && pawnDiff <= 2)
        draw |= BISHOPS_ONLY;
    out.drawFlags = static_cast<std::uint8_t>(draw);

    // Step 3: winning chances.
    if (cls == CLASS_Q_V_Q || cls == CLASS_R_V_R) {
        out.scale[0] = out.scale[1] = 0;
    } else {
        out.scale[0] = static_cast<std::uint8_t>(scaleFor(w, b));
        out.scale[1] = static_cast<std::uint8_t>(scaleFor(b, w));
    }

    // Step 4: flags for the endgame rules and the king terms.
    out.sideFlags[0] = static_cast<std::uint8_t>(sideFlagsFor(w, b));
    out.sideFlags[1] = static_cast<std::uint8_t>(sideFlagsFor(b, w));

    // Step 5: phase, from the pieces left on the board.
    int k = 24 - 4 * (w.queens + b.queens) - 2 * (w.rooks + b.rooks) - (w.minors() + b.minors());
    if (k < 0) k = 0;
    out.phase = static_cast<std::int16_t>((PHASE_END * k + 12) / 24);

    // Steps 6-9: material balance with the imbalance and bishop-pair bonuses.
    out.pieceMaterial[0] = pieceMaterialOf(w);
    out.pieceMaterial[1] = pieceMaterialOf(b);
    int m = PAWN_VALUE * (w.pawns - b.pawns) + out.pieceMaterial[0] - out.pieceMaterial[1];
    if (w.pieces() > b.pieces() && out.pieceMaterial[0] > out.pieceMaterial[1])
        m += EDITION.imbalanceBonus;
    else if (b.pieces() > w.pieces() && out.pieceMaterial[1] > out.pieceMaterial[0])
        m -= EDITION.imbalanceBonus;
    // Deliberately odd: the entry is keyed by material alone while this term reads the central
    // pawns, so an entry keeps the judgement of the first position that filled it.
    if (w.bishops >= 2 && !centralPawn(pos, 0)) m += EDITION.bishopPairBonus;
    if (b.bishops >= 2 && !centralPawn(pos, 1)) m -= EDITION.bishopPairBonus;
    out.materialMid = out.materialEnd = static_cast<std::int16_t>(m);
}

bool materialEntryCached(MaterialEntry* table, const Position& pos) {
    return slotOf(table, pos).checkKey == keyHigh(pos.materialKey);
}

void probeMaterial(MaterialEntry* table, const Position& pos, MaterialEntry& out) {
    probeCacheTable(slotOf(table, pos), keyHigh(pos.materialKey), out,
                    [&pos](MaterialEntry& entry) { computeMaterial(pos, entry); });
}

}  // namespace tallomir

// The evaluation driver: every term adds into a (mid, end) pair from White's
// point of view; the pair is blended by the game phase, scaled by the winning
// chances of the side ahead, clamped and turned to the side to move's view.
#include "eval/evaluate.hpp"

#include <cstdint>
#include <cstdlib>

#include "editions/edition.hpp"
#include "eval/cache.hpp"
#include "eval/endgame.hpp"
#include "eval/king.hpp"
#include "eval/material.hpp"
#include "eval/mobility.hpp"
#include "eval/pawns.hpp"
#include "eval/pieces.hpp"
#include "eval/psqt.hpp"

namespace tallomir {

namespace {

constexpr int TEMPO_BONUS = 6;
constexpr int LAZY_MARGIN = 150;

inline int blend(int mid, int end, int phase) { return ((PHASE_END - phase) * mid + phase * end) / PHASE_END; }

inline int forSideToMove(const Position& pos, int s) { return pos.side == 0 ? s : -s; }

inline bool lazyPieceCounts(const Position& pos) {
    return pos.pieceCount[0] > EDITION.lazyMinPieceCount && pos.pieceCount[1] > EDITION.lazyMinPieceCount;
}

// A score so far outside the window that the terms still to come are not
// expected to bring it back is returned as it stands (Ostravine looks only at
// the low side).
inline bool outsideWindow(int s, int alpha, [[maybe_unused]] int beta) {
    if constexpr (EDITION.evalTakesBeta) {
        if (s - LAZY_MARGIN >= beta) return true;
    }
    return s + LAZY_MARGIN <= alpha;
}

// The endgame rules of a side look only at a knight and a pawn against a
// piece, or at bishops and pawns whose pawns all stand on one file: a rook
// file, or any file against a lone bishop. A side whose rules cannot apply
// leaves the call to the classes with rules of their own.
inline bool sideHasRule(const MaterialEntry& material, const PawnEntry& pawns, int s) {
    const int flags = material.sideFlags[s];
    if (flags & KNIGHT_PAWN_VS_PIECE) return true;
    const int lone = pawns.lonePawnSquare[s];
    return (flags & ONLY_BISHOPS_AND_PAWNS) && lone &&
           ((flags & LONE_BISHOP_VS_PIECE) || fileOf(lone) == 0 || fileOf(lone) == 7);
}

}  // namespace

// What the evaluation table keeps of a position: the score pair and scales
// up to the lazy exit, and the final score once a call has got that far.
// The material term may differ between two fillings of the material table
// (see computeMaterial), so the entry holds the one it was built on.
struct EvalEntry {
    std::uint32_t checkKey;  // high half of the position key; 0 marks an empty slot
    std::int16_t materialMid;
    std::int16_t mid;  // steps 2-7, White's view
    std::int16_t end;
    std::int16_t score;  // the side to move's view, or NO_EVAL
    std::uint8_t scale[2];
};

namespace {

constexpr std::int16_t NO_EVAL = INT16_MIN;  // beyond EVAL_LIMIT

// Steps 2-7 into the entry: material, piece squares, pawn structure, endgame
// scales, tempo and trapped pieces.
void scoreBeforePieces(const Position& pos, const MaterialEntry& material, const PawnEntry& pawns, EvalEntry& e) {
    int scaleWhite = material.scale[0], scaleBlack = material.scale[1];

    // Step 2: material and piece-square sums.
    int mid = material.materialMid + pos.psqMid;
    int end = material.materialEnd + pos.psqEnd;

    // Step 3: static pawn structure.
    mid += pawns.mid;
    end += pawns.end;

    // Step 4: endgame knowledge may lower the scales.
    if ((((material.sideFlags[0] | material.sideFlags[1]) & (ONLY_BISHOPS_AND_PAWNS | KNIGHT_PAWN_VS_PIECE)) &&
         (sideHasRule(material, pawns, 0) || sideHasRule(material, pawns, 1))) ||
        classHasRule(material.endgameClass)) {
        int ruleWhite = scaleWhite, ruleBlack = scaleBlack;
        applyEndgameRules(pos, material, pawns, ruleWhite, ruleBlack);
        // A rule may set 1 where the table already says 0.
        if (ruleWhite < scaleWhite) scaleWhite = ruleWhite;
        if (ruleBlack < scaleBlack) scaleBlack = ruleBlack;
    }

    // Step 6: tempo (step 5 is the caller's).
    const int tempo = pos.side == 0 ? TEMPO_BONUS : -TEMPO_BONUS;
    mid += tempo;
    end += tempo;

    // Step 7: trapped pieces.
    evalTrappedPieces(pos, mid, end);

    e.materialMid = material.materialMid;
    e.mid = static_cast<std::int16_t>(mid);
    e.end = static_cast<std::int16_t>(end);
    e.score = NO_EVAL;
    e.scale[0] = static_cast<std::uint8_t>(scaleWhite);
    e.scale[1] = static_cast<std::uint8_t>(scaleBlack);
}

// Steps 9-14: pieces, king shelter and passed pawns on top of the score pair
// of steps 2-7; blend, scale, clamp, side to move's view.
int scoreWithPieces(const Position& pos, const MaterialEntry& material, const PawnEntry& pawns, const EvalEntry& e) {
    int mid = e.mid, end = e.end;
    int scaleWhite = e.scale[0], scaleBlack = e.scale[1];

    // Step 9: pieces, king shelter, passed pawns.
    if (pos.pieceCount[0] + pos.pieceCount[1] > 2) evalPieces(pos, material, pawns, mid, end);
    if ((material.sideFlags[0] | material.sideFlags[1]) & FACES_QUEEN) evalKingShelter(pos, material, mid);
    if (pawns.passedFiles[0] | pawns.passedFiles[1]) evalPassedPawns(pos, pawns, mid, end);

    // Step 10: blend.
    int s = blend(mid, end, material.phase);

    // Step 11: bishops of opposite colours halve a full scale.
    if ((material.drawFlags & BISHOPS_ONLY) && squareColour(pos.pieceList[0][1]) != squareColour(pos.pieceList[1][1])) {
        if (scaleWhite == FULL_SCALE) scaleWhite = FULL_SCALE / 2;
        if (scaleBlack == FULL_SCALE) scaleBlack = FULL_SCALE / 2;
    }

    // Step 12: each side's scale applies to its own advantage.
    if (s > 0)
        s = s * scaleWhite / FULL_SCALE;
    else if (s < 0)
        s = s * scaleBlack / FULL_SCALE;

    // Steps 13-14: clamp, side to move's view.
    if (s > EVAL_LIMIT) s = EVAL_LIMIT;
    if (s < -EVAL_LIMIT) s = -EVAL_LIMIT;
    return forSideToMove(pos, s);
}

}  // namespace

int evaluate(Position& pos, EvalCaches& caches, int alpha, int beta) {
    // Fenna judges laziness before anything else, on the running material sums.
    if constexpr (EDITION.lazyFirstOnMaterial) {
        if (lazyPieceCounts(pos)) {
            const int s = forSideToMove(pos, pos.material[0] - pos.material[1]);
            if (outsideWindow(s, alpha, beta)) return s;
        }
    }

    // Step 1: material table. It is probed at every call, the position's
    // entry known or not, so that the table fills exactly as it always does.
    const MaterialEntry& material = materialEntry(caches.material, pos);

    // Steps 2-7, or what an earlier call found for this position on the same
    // material entry.
    EvalEntry& known = caches.evals[keyLow(pos.key) & (EVAL_TABLE_SIZE - 1)];
    const PawnEntry* pawns = nullptr;
    if (known.checkKey != keyHigh(pos.key) || known.materialMid != material.materialMid) {
        pawns = &pawnEntry(caches.pawns, pos);
        known.checkKey = keyHigh(pos.key);
        scoreBeforePieces(pos, material, *pawns, known);
    }
    const int scaleWhite = known.scale[0], scaleBlack = known.scale[1];

    // Step 5: neither side can win.
    if (scaleWhite == 0 && scaleBlack == 0) return 0;

    // Step 8: lazy exit on the blended score.
    if constexpr (!EDITION.lazyFirstOnMaterial) {
        if (lazyPieceCounts(pos)) {
            const int s = forSideToMove(pos, blend(known.mid, known.end, material.phase));
            if (outsideWindow(s, alpha, beta)) return s;
        }
    }
    if (known.score != NO_EVAL) return known.score;
    if (!pawns) pawns = &pawnEntry(caches.pawns, pos);
    known.score = static_cast<std::int16_t>(scoreWithPieces(pos, material, *pawns, known));
    return known.score;
}

const char* EvalCaches::allocate() {
    if (!allocateCacheTable(pawns, PAWN_TABLE_SIZE)) return "pawn";
    if (!allocateCacheTable(material, MATERIAL_TABLE_SIZE)) return "material";
    if (!allocateCacheTable(evals, EVAL_TABLE_SIZE)) return "evaluation";
    return nullptr;
}

void EvalCaches::clear() {
    clearCacheTable(pawns, PAWN_TABLE_SIZE);
    clearCacheTable(material, MATERIAL_TABLE_SIZE);
    clearCacheTable(evals, EVAL_TABLE_SIZE);
}

void EvalCaches::release() {
    freeCacheTable(pawns, PAWN_TABLE_SIZE);
    freeCacheTable(material, MATERIAL_TABLE_SIZE);
    freeCacheTable(evals, EVAL_TABLE_SIZE);
}

}  // namespace tallomir

// Endgame knowledge: dead draws that the search scores without evaluating,
// and the scale rules that shrink a material edge known not to win.
#pragma once

#include <cstdint>

#include "board/position.hpp"
#include "eval/material.hpp"
#include "eval/pawns.hpp"

namespace tallomir {

// Room for the men of a normalised ending plus the terminating 0.
inline constexpr int NORMALISED_LIST_SIZE = 6;

// Lists the men of an ending in which side s has one pawn and at most one
// piece besides its king, and the other side no pawn and at most one piece:
// s's king, its piece, its pawn, the other king, its piece, then 0. Squares
// are mirrored so that s plays up the board with its pawn on files a-d.
// Returns the number of men listed.
int normaliseEndgame(const Position& pos, int s, Square* list);

// A bishop of `side` (besides the king) standing on a square of sq's colour.
bool hasBishopOnColour(const Position& pos, int side, Square sq);

// The endgame classes with a drawing rule of their own in applyEndgameRules.
inline constexpr std::uint32_t CLASSES_WITH_RULES =
    1u << CLASS_Q_V_P | 1u << CLASS_P_V_Q | 1u << CLASS_R_V_P | 1u << CLASS_P_V_R | 1u << CLASS_B_V_P |
    1u << CLASS_P_V_B | 1u << CLASS_N_V_P | 1u << CLASS_P_V_N | 1u << CLASS_NP_V_NONE | 1u << CLASS_NONE_V_NP |
    1u << CLASS_RP_V_R | 1u << CLASS_R_V_RP | 1u << CLASS_BP_V_B | 1u << CLASS_B_V_BP;
inline bool classHasRule(int endgameClass) {
    return endgameClass >= CLASS_Q_V_P && ((CLASSES_WITH_RULES >> endgameClass) & 1);
}

// May lower either scale to 0 or 1.
void applyEndgameRules(const Position& pos, const MaterialEntry& material, const PawnEntry& pawns, int& scaleWhite,
                       int& scaleBlack);

}  // namespace tallomir

// The material table: everything that depends only on how many men of each
// piece are on the board (material balance, game phase, endgame class, draw and
// winning-chance knowledge), cached by the material key.
#pragma once

#include <cstdint>

#include "board/position.hpp"
#include "eval/cache.hpp"

namespace tallomir {

// drawFlags
inline constexpr int DRAW_CANDIDATE = 0x01;  // isRecognisedDraw may look further
inline constexpr int BISHOPS_ONLY = 0x02;    // opposite-coloured bishops may halve the scale

// sideFlags[c]
inline constexpr int ONLY_BISHOPS_AND_PAWNS = 0x01;
inline constexpr int LONE_BISHOP_VS_PIECE = 0x02;
inline constexpr int KNIGHT_PAWN_VS_PIECE = 0x04;
inline constexpr int FACES_QUEEN = 0x08;  // the opponent has a queen and at least two pieces

inline constexpr int FULL_SCALE = 16;  // winning-chance scales are in sixteenths
inline constexpr int PHASE_END = 256;  // phase with no pieces left

// Endgame classes: which small ending the men besides the kings make.
enum EndgameClass : std::uint8_t {
    CLASS_OTHER = 0,
    CLASS_BARE_KINGS = 1,
    CLASS_B_V_NONE = 2,
    CLASS_NONE_V_B = 3,
    CLASS_N_V_NONE = 4,
    CLASS_NONE_V_N = 5,
    CLASS_P_V_NONE = 6,
    CLASS_NONE_V_P = 7,
    CLASS_Q_V_Q = 8,
    CLASS_Q_V_P = 9,
    CLASS_P_V_Q = 10,
    CLASS_R_V_R = 11,
    CLASS_R_V_P = 12,
    CLASS_P_V_R = 13,
    CLASS_B_V_B = 14,
    CLASS_B_V_P = 15,
    CLASS_P_V_B = 16,
    CLASS_BP_V_NONE = 17,
    CLASS_NONE_V_BP = 18,
    CLASS_N_V_N = 19,
    CLASS_N_V_P = 20,
    CLASS_P_V_N = 21,
    CLASS_NP_V_NONE = 22,
    CLASS_NONE_V_NP = 23,
    CLASS_RP_V_R = 24,
    CLASS_R_V_RP = 25,
    CLASS_BP_V_B = 26,
    CLASS_B_V_BP = 27,
};

struct MaterialEntry {
    std::uint32_t checkKey;  // high half of the material key; 0 marks an empty slot
    std::uint8_t endgameClass;
    std::uint8_t drawFlags;
    std::uint8_t sideFlags[2];
    std::uint8_t scale[2];  // 0..16 per side, applied to that side's advantage
    std::int16_t phase;     // 0 with every piece on the board .. 256 with none
    std::int16_t materialMid;
    std::int16_t materialEnd;
    std::int32_t pieceMaterial[2];
};

inline constexpr int MATERIAL_TABLE_SIZE = 256;

void computeMaterial(const Position& pos, MaterialEntry& out);
void probeMaterial(MaterialEntry* table, const Position& pos, MaterialEntry& out);
// The entry in its slot, valid until the table's next probe.
inline const MaterialEntry& materialEntry(MaterialEntry* table, const Position& pos) {
    return cachedEntry(table[keyLow(pos.materialKey) & (MATERIAL_TABLE_SIZE - 1)], keyHigh(pos.materialKey),
                       [&pos](MaterialEntry& entry) { computeMaterial(pos, entry); });
}
// The table holds the entry of pos's material (for tests and diagnostics).
bool materialEntryCached(MaterialEntry* table, const Position& pos);

}  // namespace tallomir

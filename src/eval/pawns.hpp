// Pawn structure: the static terms (doubled, isolated, backward and candidate
// pawns) cached per pawn configuration in the pawn table, and the passed pawns,
// scored afresh at every evaluation because they depend on kings and pieces.
//
// All pawn work is done on 8-bit rank masks: pawnFileMask[c][file] has bit r
// set for a pawn of colour c on its relative rank r (0..7). A mask of the
// opponent is turned into the own colour's relative ranks by reversing it.
#pragma once

#include <cstdint>

#include "board/position.hpp"
#include "eval/cache.hpp"

namespace tallomir {

struct PawnMasks {
    // By relative rank 0..7.
    std::uint8_t rank[8];   // the rank itself
    std::uint8_t below[8];  // every rank below it
    std::uint8_t atOrBelow[8];
    std::uint8_t above[8];       // every rank above it
    std::uint8_t oneAbove[8];    // the next rank
    std::uint8_t twoAbove[8];    // the next two ranks
    std::uint8_t threeAbove[8];  // the next three ranks
    // By 8-bit mask.
    std::uint8_t lowestBit[256];   // 7 for the empty mask
    std::uint8_t highestBit[256];  // 0 for the empty mask
    std::uint8_t popCount[256];
    std::uint8_t reversed[256];
};
extern const PawnMasks pawnMasks;

// Weight of a passed or candidate pawn by relative rank 0..7, in 256ths.
inline constexpr int passedRankWeight[8] = {0, 0, 0, 26, 77, 154, 256, 0};

struct PawnEntry {
    std::uint32_t checkKey;  // high half of the pawn key; 0 marks an empty slot
    std::int16_t mid;        // structure score, White minus Black
    std::int16_t end;
    std::uint8_t secondRankPawns[2];  // bit 0: a pawn on the colour's own second rank
    std::uint8_t passedFiles[2];      // bit f for a passed pawn on file f (a = 0)
    // All pawns of the colour on one file with no enemy pawn beside them ahead
    // of the rearmost: the Square on that file whose rank is the frontmost
    // pawn's relative rank (for White the pawn's own Square); else 0.
    std::uint8_t lonePawnSquare[2];
    std::uint8_t darkPawns[2];
};

inline constexpr int PAWN_TABLE_SIZE = 16384;

void computePawns(const Position& pos, PawnEntry& out);
void probePawns(PawnEntry* table, const Position& pos, PawnEntry& out);
// The entry in its slot, valid until the table's next probe.
inline const PawnEntry& pawnEntry(PawnEntry* table, const Position& pos) {
    return cachedEntry(table[keyLow(pos.pawnKey) & (PAWN_TABLE_SIZE - 1)], keyHigh(pos.pawnKey),
                       [&pos](PawnEntry& entry) { computePawns(pos, entry); });
}
// The table holds the entry of pos's pawns (for tests and diagnostics).
bool pawnEntryCached(PawnEntry* table, const Position& pos);

// Passed pawns: adds into the score pair (White's view).
void evalPassedPawns(const Position& pos, const PawnEntry& pawns, int& mid, int& end);

// No enemy man can take on t once the pawn of colour c has pushed there from
// `from`: no enemy pawn covers t, no enemy piece reaches it over empty squares
// and no enemy rook or queen stands behind the pawn on its file. The exchange
// evaluation of the push is then 0, so the common case needs no exchange.
bool pushUncontested(const Position& pos, int c, Square from, Square t);

}  // namespace tallomir

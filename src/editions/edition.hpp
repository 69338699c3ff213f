// The three editions of the engine differ only in the numbers collected here.
// CMake defines TALLOMIR_EDITION (0 Vendrel, 1 Ostravine, 2 Fenna); every other
// file reads the constexpr EDITION and branches with `if constexpr` where needed.
#pragma once

namespace tallomir {

enum class EditionId { Vendrel = 0, Ostravine = 1, Fenna = 2 };

struct EditionParams {
    EditionId id;
    const char* word;   // edition word in the banner and the "id name" line
    int titleBlanksBefore;
    int titleBlanksAfter;

    // Material
    int knightValue;
    int bishopValue;

    // Search depth units
    int onePly;
    int lastIteration;
    int extCheck;
    int extSingleReply;
    int extRecapture;
    int extPawnSeventh;
    int nullMinDepth;
    int nullEvalGate;
    int nullReduction;
    int verifyAbove;      // depth units, same number in every edition
    int verifyReduction;
    int iidMinDepth;
    int iidReduction;
    int lmrMinDepth;
    int futilityBelow;
    int futilityMargin250Below;
    int futilityMargin550Below;

    // Evaluation
    bool evalTakesBeta;   // false: evaluate receives alpha only
    int lazyMinPieceCount;  // lazy exit when each pieceCount exceeds this
    bool lazyFirstOnMaterial;  // lazy exit made before anything else, on material
    int imbalanceBonus;
    int bishopPairBonus;
    int doubledMid;
    int doubledEnd;
    int passedMidFlat;
    int passedBase;
    int passedUnstoppable;
    int passedSafePush;
    int passedEndFlat;
    int passedEnemyKingWeight;
    int passedOwnKingWeight;
    int bishopMobilityEnd;
    int rookSeventhMid;
    int rookSeventhEnd;
    int queenSeventhMid;
    int queenSeventhEnd;
    int trappedBishopLarge;
    int trappedBishopSmall;
    int kingShelterPenalty;
};

inline constexpr EditionParams VENDREL{
    EditionId::Vendrel, "Vendrel", 23, 25,
    325, 325,
    12, 34, 12, 10, 10, 8, 24, 48, 48, 48, 48, 36, 24, 36, 48, 24, 36,
    true, 3, false, 40, 55, -15, -40, 20, 150, 950, 216, 30, 23, 10, 6, 40, 60, 20, 40,
    150, 75, 66};

inline constexpr EditionParams OSTRAVINE{
    EditionId::Ostravine, "Ostravine", 22, 24,
    350, 300,
    8, 31, 8, 6, 6, 4, 16, 32, 32, 48, 48, 24, 16, 24, 32, 16, 24,
    false, 2, false, 44, 20, -10, -20, 10, 120, 920, 186, 20, 30, 15, 5, 30, 50, 20, 30,
    100, 50, 50};

inline constexpr EditionParams FENNA{
    EditionId::Fenna, "Fenna", 23, 27,
    325, 325,
    8, 31, 8, 6, 6, 4, 16, 32, 32, 48, 48, 24, 16, 24, 32, 16, 24,
    true, 3, true, 40, 60, -15, -40, 20, 150, 950, 216, 30, 23, 10, 6, 40, 60, 20, 40,
    150, 75, 60};

#ifndef TALLOMIR_EDITION
#error "TALLOMIR_EDITION must be defined (0 Vendrel, 1 Ostravine, 2 Fenna)"
#endif

#if TALLOMIR_EDITION == 0
inline constexpr const EditionParams& EDITION = VENDREL;
#elif TALLOMIR_EDITION == 1
inline constexpr const EditionParams& EDITION = OSTRAVINE;
#elif TALLOMIR_EDITION == 2
inline constexpr const EditionParams& EDITION = FENNA;
#else
#error "unknown TALLOMIR_EDITION"
#endif

// The banner's title line is 72 characters before its newline in every edition.
static_assert(2 + VENDREL.titleBlanksBefore + 21 + VENDREL.titleBlanksAfter + 1 == 72);
static_assert(2 + OSTRAVINE.titleBlanksBefore + 23 + OSTRAVINE.titleBlanksAfter + 1 == 72);
static_assert(2 + FENNA.titleBlanksBefore + 19 + FENNA.titleBlanksAfter + 1 == 72);
// Extensions are fractions of a ply; the single-reply and recapture ones are two units short.
static_assert(VENDREL.onePly - VENDREL.extSingleReply == 2 && OSTRAVINE.onePly - OSTRAVINE.extSingleReply == 2);
static_assert(VENDREL.onePly - VENDREL.extPawnSeventh == 4 && FENNA.onePly - FENNA.extPawnSeventh == 4);
static_assert(VENDREL.verifyAbove == 48 && OSTRAVINE.verifyAbove == 48 && FENNA.verifyAbove == 48);

inline constexpr int ONE_PLY = EDITION.onePly;

}  // namespace tallomir

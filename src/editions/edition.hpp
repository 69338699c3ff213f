// The three editions of the engine differ only in the numbers collected here.
// CMake defines TALLOMIR_EDITION (0 Vendrel, 1 Ostravine, 2 Fenna); every other
// file reads the constexpr EDITION and branches with `if constexpr` where needed.
// The editions name every field, so that reordering the struct cannot shift a value.
#pragma once

namespace tallomir {

enum class EditionId { Vendrel = 0, Ostravine = 1, Fenna = 2 };

struct EditionParams {
    EditionId id;
    const char* word;  // edition word in the banner and the "id name" line
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
    int verifyAbove;  // depth units, same number in every edition
    int verifyReduction;
    int iidMinDepth;
    int iidReduction;
    int lmrMinDepth;
    int futilityBelow;
    // Below these depths futility pruning uses its first and its second margin
    // (above both, the third).
    int futilityFirstMarginBelow;
    int futilitySecondMarginBelow;

    // Evaluation
    bool evalTakesBeta;        // false: evaluate receives alpha only
    int lazyMinPieceCount;     // lazy exit when each pieceCount exceeds this
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
    .id = EditionId::Vendrel,
    .word = "Vendrel",
    .titleBlanksBefore = 23,
    .titleBlanksAfter = 25,
    // Material
    .knightValue = 325,
    .bishopValue = 325,
    // Search, in depth units
    .onePly = 12,
    .lastIteration = 34,
    .extCheck = 12,
    .extSingleReply = 10,
    .extRecapture = 10,
    .extPawnSeventh = 8,
    .nullMinDepth = 24,
    .nullEvalGate = 48,
    .nullReduction = 48,
    .verifyAbove = 48,
    .verifyReduction = 48,
    .iidMinDepth = 36,
    .iidReduction = 24,
    .lmrMinDepth = 36,
    .futilityBelow = 48,
    .futilityFirstMarginBelow = 24,
    .futilitySecondMarginBelow = 36,
    // Evaluation
    .evalTakesBeta = true,
    .lazyMinPieceCount = 3,
    .lazyFirstOnMaterial = false,
    .imbalanceBonus = 40,
    .bishopPairBonus = 55,
    .doubledMid = -15,
    .doubledEnd = -40,
    .passedMidFlat = 20,
    .passedBase = 150,
    .passedUnstoppable = 950,
    .passedSafePush = 216,
    .passedEndFlat = 30,
    .passedEnemyKingWeight = 23,
    .passedOwnKingWeight = 10,
    .bishopMobilityEnd = 6,
    .rookSeventhMid = 40,
    .rookSeventhEnd = 60,
    .queenSeventhMid = 20,
    .queenSeventhEnd = 40,
    .trappedBishopLarge = 150,
    .trappedBishopSmall = 75,
    .kingShelterPenalty = 66,
};

inline constexpr EditionParams OSTRAVINE{
    .id = EditionId::Ostravine,
    .word = "Ostravine",
    .titleBlanksBefore = 22,
    .titleBlanksAfter = 24,
    // Material
    .knightValue = 350,
    .bishopValue = 300,
    // Search, in depth units
    .onePly = 8,
    .lastIteration = 31,
    .extCheck = 8,
    .extSingleReply = 6,
    .extRecapture = 6,
    .extPawnSeventh = 4,
    .nullMinDepth = 16,
    .nullEvalGate = 32,
    .nullReduction = 32,
    .verifyAbove = 48,
    .verifyReduction = 48,
    .iidMinDepth = 24,
    .iidReduction = 16,
    .lmrMinDepth = 24,
    .futilityBelow = 32,
    .futilityFirstMarginBelow = 16,
    .futilitySecondMarginBelow = 24,
    // Evaluation
    .evalTakesBeta = false,
    .lazyMinPieceCount = 2,
    .lazyFirstOnMaterial = false,
    .imbalanceBonus = 44,
    .bishopPairBonus = 20,
    .doubledMid = -10,
    .doubledEnd = -20,
    .passedMidFlat = 10,
    .passedBase = 120,
    .passedUnstoppable = 920,
    .passedSafePush = 186,
    .passedEndFlat = 20,
    .passedEnemyKingWeight = 30,
    .passedOwnKingWeight = 15,
    .bishopMobilityEnd = 5,
    .rookSeventhMid = 30,
    .rookSeventhEnd = 50,
    .queenSeventhMid = 20,
    .queenSeventhEnd = 30,
    .trappedBishopLarge = 100,
    .trappedBishopSmall = 50,
    .kingShelterPenalty = 50,
};

inline constexpr EditionParams FENNA{
    .id = EditionId::Fenna,
    .word = "Fenna",
    .titleBlanksBefore = 23,
    .titleBlanksAfter = 27,
    // Material
    .knightValue = 325,
    .bishopValue = 325,
    // Search, in depth units
    .onePly = 8,
    .lastIteration = 31,
    .extCheck = 8,
    .extSingleReply = 6,
    .extRecapture = 6,
    .extPawnSeventh = 4,
    .nullMinDepth = 16,
    .nullEvalGate = 32,
    .nullReduction = 32,
    .verifyAbove = 48,
    .verifyReduction = 48,
    .iidMinDepth = 24,
    .iidReduction = 16,
    .lmrMinDepth = 24,
    .futilityBelow = 32,
    .futilityFirstMarginBelow = 16,
    .futilitySecondMarginBelow = 24,
    // Evaluation
    .evalTakesBeta = true,
    .lazyMinPieceCount = 3,
    .lazyFirstOnMaterial = true,
    .imbalanceBonus = 40,
    .bishopPairBonus = 60,
    .doubledMid = -15,
    .doubledEnd = -40,
    .passedMidFlat = 20,
    .passedBase = 150,
    .passedUnstoppable = 950,
    .passedSafePush = 216,
    .passedEndFlat = 30,
    .passedEnemyKingWeight = 23,
    .passedOwnKingWeight = 10,
    .bishopMobilityEnd = 6,
    .rookSeventhMid = 40,
    .rookSeventhEnd = 60,
    .queenSeventhMid = 20,
    .queenSeventhEnd = 40,
    .trappedBishopLarge = 150,
    .trappedBishopSmall = 75,
    .kingShelterPenalty = 60,
};

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

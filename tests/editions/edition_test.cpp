// Each edition carries exactly its own column of parameters.
#include <gtest/gtest.h>

#include <string>

#include "editions/edition.hpp"
#include "support.hpp"

namespace tallomir {
namespace {

TEST(Edition, ParametersOfThisEdition) {
    const EditionParams& e = EDITION;
    switch (e.id) {
        case EditionId::Vendrel:
            EXPECT_STREQ(e.word, "Vendrel");
            EXPECT_EQ(e.onePly, 12);
            EXPECT_EQ(e.lastIteration, 34);
            EXPECT_EQ(e.knightValue, 325);
            EXPECT_EQ(e.bishopValue, 325);
            EXPECT_EQ(e.bishopPairBonus, 55);
            EXPECT_EQ(e.kingShelterPenalty, 66);
            EXPECT_TRUE(e.evalTakesBeta);
            break;
        case EditionId::Ostravine:
            EXPECT_STREQ(e.word, "Ostravine");
            EXPECT_EQ(e.onePly, 8);
            EXPECT_EQ(e.lastIteration, 31);
            EXPECT_EQ(e.knightValue, 350);
            EXPECT_EQ(e.bishopValue, 300);
            EXPECT_EQ(e.imbalanceBonus, 44);
            EXPECT_EQ(e.bishopPairBonus, 20);
            EXPECT_EQ(e.kingShelterPenalty, 50);
            EXPECT_FALSE(e.evalTakesBeta);
            EXPECT_EQ(e.lazyMinPieceCount, 2);
            break;
        case EditionId::Fenna:
            EXPECT_STREQ(e.word, "Fenna");
            EXPECT_EQ(e.onePly, 8);
            EXPECT_EQ(e.knightValue, 325);
            EXPECT_EQ(e.bishopPairBonus, 60);
            EXPECT_EQ(e.kingShelterPenalty, 60);
            EXPECT_TRUE(e.lazyFirstOnMaterial);
            break;
    }
    // Depth thresholds are whole plies of the edition's unit, except the
    // null-move verification, which is 48 units everywhere.
    EXPECT_EQ(e.nullMinDepth, 2 * e.onePly);
    EXPECT_EQ(e.nullEvalGate, 4 * e.onePly);
    EXPECT_EQ(e.iidMinDepth, 3 * e.onePly);
    EXPECT_EQ(e.futilityBelow, 4 * e.onePly);
    EXPECT_EQ(e.verifyAbove, 48);
}

}  // namespace
}  // namespace tallomir

// Each edition carries exactly its own column of parameters, and the
// parameters reach the code: the three editions search different trees over
// one and the same move generator.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "e2e/engine_process.hpp"
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

std::string lastLine(const std::string& path, const std::vector<std::string>& args) {
    test::EngineProcess tool(path, args);
    std::string last;
    while (auto line = tool.readLine(test::Millis(60000))) last = *line;
    tool.waitForExit();
    return last;
}

TEST(Edition, SignaturesDifferWhilePerftAgrees) {
    const std::string tools[3] = {TALLOMIR_TOOL_VENDREL, TALLOMIR_TOOL_OSTRAVINE, TALLOMIR_TOOL_FENNA};
    std::string nodes[3], perft[3];
    for (int i = 0; i < 3; ++i) {
        // The node count of a shallow bench is enough to tell the editions apart.
        test::EngineProcess bench(tools[i], {"bench", "4"});
        while (auto line = bench.readLine(test::Millis(60000)))
            if (line->rfind("nodes ", 0) == 0) nodes[i] = *line;
        bench.waitForExit();
        perft[i] = lastLine(tools[i], {"perft", "startpos", "4"});
    }
    EXPECT_NE(nodes[0], nodes[1]);
    EXPECT_NE(nodes[0], nodes[2]);
    EXPECT_NE(nodes[1], nodes[2]);
    EXPECT_EQ(perft[0], "197281");
    EXPECT_EQ(perft[1], perft[0]);
    EXPECT_EQ(perft[2], perft[0]);
}

}  // namespace
}  // namespace tallomir

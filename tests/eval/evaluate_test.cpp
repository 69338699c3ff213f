// The evaluation driver: the vectors, scaling, lazy exits, symmetry and caches.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "eval/cache.hpp"
#include "eval/eval_helpers.hpp"
#include "eval/evaluate.hpp"
#include "eval/material.hpp"
#include "eval/pawns.hpp"
#include "eval/pieces.hpp"
#include "support.hpp"

namespace tallomir::test {
namespace {

int expectedScore(const std::vector<std::string>& row) { return std::stoi(row[1 + editionColumn()]); }

TEST(EvalVectors, EveryRowMatchesFreshAndFromTheCaches) {
    const auto rows = readTable("eval.tsv");
    ASSERT_GE(rows.size(), 50u);
    for (const auto& row : rows) {
        Position pos = loadFen(row[0]);
        EXPECT_EQ(freshEvaluate(pos), expectedScore(row)) << row[0];
        EXPECT_EQ(evaluate(pos, testCaches(), -WIDE, WIDE), expectedScore(row)) << row[0];  // both entries now hit
    }
}

TEST(EvalVectors, ToolPrintsTheScoreOfTheSideToMove) {
    const auto row = readTable("eval.tsv")[1];
    const std::string command = std::string(TALLOMIR_TOOL_PATH) + " eval '" + row[0] + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    char line[64] = {};
    ASSERT_TRUE(std::fgets(line, sizeof line, pipe.get()));
    EXPECT_EQ(std::stoi(line), expectedScore(row));
}

// Turning the board half a circle and exchanging the colours keeps files,
// square colours and every pattern of the evaluation.
TEST(EvalDriver, ColourReversedPositionsScoreTheSameForTheSideToMove) {
    for (const std::string& fen : samplePositions()) {
        Position pos = loadFen(fen);
        Position reversed = loadFen(reversedFen(fen));
        EXPECT_EQ(freshEvaluate(pos), freshEvaluate(reversed)) << fen;
    }
}

// Pawn entries depend on the pawns alone, so a pawn table warmed by other
// positions serves every position as a fresh one would. (A material entry is
// shared by all positions with the same counts and keeps the bishop-pair
// bonus of whichever filled it, so that table is emptied each time.)
TEST(EvalDriver, WarmPawnTableAgreesWithFreshComputation) {
    const auto& sample = samplePositions();
    std::vector<int> fresh;
    for (const std::string& fen : sample) {
        Position pos = loadFen(fen);
        fresh.push_back(freshEvaluate(pos));
    }
    for (std::size_t i = sample.size(); i-- > 0;) {
        Position pos = loadFen(sample[i]);
        clearCacheTable(testCaches().material, MATERIAL_TABLE_SIZE);
        EXPECT_EQ(evaluate(pos, testCaches(), -WIDE, WIDE), fresh[i]) << sample[i];
    }
}

TEST(EvalDriver, RepeatedEvaluationHitsBothTables) {
    Position pos = loadFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    testCaches().clear();
    EXPECT_FALSE(materialEntryCached(testCaches().material, pos) || pawnEntryCached(testCaches().pawns, pos));
    evaluate(pos, testCaches(), -WIDE, WIDE);
    EXPECT_TRUE(materialEntryCached(testCaches().material, pos) && pawnEntryCached(testCaches().pawns, pos));
}

// An evaluation-table entry holds the material term it was built on: once a
// position with the same counts but another judgement of the bishop pair has
// refilled the material table, a position met again is scored on the new entry.
TEST(EvalDriver, EvaluationTableFollowsTheMaterialEntry) {
    Position open = loadFen("4k3/pppp1ppp/8/8/8/8/PPPP1PPP/2B1KB2 w - - 0 1");
    Position blocked = loadFen("4k3/pppp1ppp/8/8/4P3/8/PPP2PPP/2B1KB2 w - - 0 1");
    EvalCaches other;
    ASSERT_EQ(other.allocate(), nullptr);
    evaluate(blocked, other, -WIDE, WIDE);
    const int onBlockedEntry = evaluate(open, other, -WIDE, WIDE);
    ASSERT_NE(freshEvaluate(open), onBlockedEntry);
    clearCacheTable(testCaches().material, MATERIAL_TABLE_SIZE);
    evaluate(blocked, testCaches(), -WIDE, WIDE);
    EXPECT_EQ(evaluate(open, testCaches(), -WIDE, WIDE), onBlockedEntry);
}

TEST(EvalDriver, BareKingsKeepTwoSixteenthsOfTheScore) {
    Position pos = loadFen("8/8/8/8/8/2k5/8/K7 w - - 0 1");
    // Phase 256: only the endgame half, king squares plus tempo.
    EXPECT_EQ(pos.psqEnd + 6, -66);
    EXPECT_EQ(freshEvaluate(pos), -66 * 2 / 16);
}

TEST(EvalDriver, EndingsThatCannotBeWonScoreZero) {
    for (const char* fen : {"4k3/8/8/3q4/8/8/3Q4/4K3 w - - 0 1", "4k3/8/8/8/8/8/3R4/3K3r w - - 0 1",
                            "7k/8/8/8/8/8/8/KNN5 w - - 0 1", "7k/8/8/8/8/8/8/KNN5 b - - 0 1"}) {
        Position pos = loadFen(fen);
        EXPECT_EQ(freshEvaluate(pos), 0) << fen;
    }
}

TEST(EvalDriver, OppositeColouredBishopsHalveAFullScale) {
    Position same = loadFen("4k3/8/3b4/8/8/4B3/PP6/4K3 w - - 0 1");
    Position opposite = loadFen("4k3/8/2b5/8/8/4B3/PP6/4K3 w - - 0 1");
    const int full = freshEvaluate(same), halved = freshEvaluate(opposite);
    EXPECT_GT(halved, 0);
    EXPECT_LT(halved, full * 2 / 3);
}

// The score the driver holds just before its lazy test, rebuilt from the terms.
int earlyScore(Position& pos) {
    MaterialEntry m;
    PawnEntry p;
    probeMaterial(testCaches().material, pos, m);
    probePawns(testCaches().pawns, pos, p);
    const int tempo = pos.side == 0 ? 6 : -6;
    int mid = m.materialMid + pos.psqMid + p.mid + tempo, end = m.materialEnd + pos.psqEnd + p.end + tempo;
    evalTrappedPieces(pos, mid, end);
    const int s = ((256 - m.phase) * mid + m.phase * end) / 256;
    return pos.side == 0 ? s : -s;
}

TEST(EvalDriver, LazyExitReturnsTheEarlyScoreUnscaled) {
    // White is a queen and two rooks up; Black keeps king and three pieces.
    Position pos = loadFen("1nb1kb2/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ - 0 1");
    const int full = freshEvaluate(pos);
    // Fenna exits first of all, on the running material sums.
    const int early = EDITION.lazyFirstOnMaterial ? pos.material[0] - pos.material[1] : earlyScore(pos);
    ASSERT_NE(early, full);
    EXPECT_EQ(evaluate(pos, testCaches(), early + 150, WIDE), early);
    EXPECT_EQ(evaluate(pos, testCaches(), early + 149, WIDE), full);
    // Ostravine receives no beta and exits on the low side only.
    EXPECT_EQ(evaluate(pos, testCaches(), -WIDE, early - 150), EDITION.evalTakesBeta ? early : full);
    EXPECT_EQ(evaluate(pos, testCaches(), -WIDE, early - 149), full);
}

TEST(EvalDriver, LazyExitNeedsEnoughPiecesOnBothSides) {
    // Black with king and two pieces: only Ostravine (more than two) exits.
    Position pos = loadFen("1n2kb2/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ - 0 1");
    const int full = freshEvaluate(pos);
    EXPECT_EQ(evaluate(pos, testCaches(), 20000, WIDE) != full, EDITION.lazyMinPieceCount == 2);
}

}  // namespace
}  // namespace tallomir::test

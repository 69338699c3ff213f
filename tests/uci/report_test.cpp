#include <gtest/gtest.h>

#include <memory>

#include "search/state.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"
#include "uci/report.hpp"

namespace tallomir {
namespace {

TEST(Report, MateScoresInMoves) {
    EXPECT_EQ(mateMoves(MATE_SCORE - 1), 1);
    EXPECT_EQ(mateMoves(MATE_SCORE - 3), 2);
    EXPECT_EQ(mateMoves(MATE_SCORE - 4), 2);
    EXPECT_EQ(mateMoves(-(MATE_SCORE - 2)), -1);
    EXPECT_EQ(mateMoves(-(MATE_SCORE - 4)), -2);
    // Out of the mate range, and the window ends themselves, stay centipawns.
    EXPECT_EQ(mateMoves(MATE_SCORE), 0);
    EXPECT_EQ(mateMoves(-MATE_SCORE), 0);
    EXPECT_EQ(mateMoves(-MATE_SCORE + 1), 0);
    EXPECT_EQ(mateMoves(MATE_THRESHOLD), 0);
}

SearchState search;

RootReport& reportWith(int score, int bound) {
    search = SearchState{};
    RootReport& r = search.report;
    r.bestMove = encodeMove(squareNumber(12), squareNumber(28));  // e2e4
    r.bestScore = score;
    r.bestBound = bound;
    r.bestDepth = 7;
    r.pv[0] = r.bestMove;
    r.pv[1] = encodeMove(squareNumber(52), squareNumber(36));  // e7e5
    r.pv[2] = 0;
    search.stats.selDepth = 12;
    search.stats.nodes = 123456789012ULL;
    search.stats.elapsed = 1.2346;
    return r;
}

TEST(Report, PrincipalVariationLineInEveryBoundAndForm) {
    reportWith(35, BOUND_EXACT);
    EXPECT_EQ(principalVariationLine(search),
              "info depth 7 seldepth 12 score cp 35 time 1235 nodes 123456789012 pv e2e4 e7e5\n");
    reportWith(-35, BOUND_UPPER);
    EXPECT_EQ(principalVariationLine(search),
              "info depth 7 seldepth 12 score cp -35 upperbound time 1235 nodes 123456789012 pv e2e4 e7e5\n");
    reportWith(MATE_SCORE, BOUND_LOWER);
    EXPECT_EQ(principalVariationLine(search),
              "info depth 7 seldepth 12 score cp 30000 lowerbound time 1235 nodes 123456789012 pv e2e4 e7e5\n");
    reportWith(MATE_SCORE - 3, BOUND_EXACT);
    EXPECT_EQ(principalVariationLine(search),
              "info depth 7 seldepth 12 score mate 2 time 1235 nodes 123456789012 pv e2e4 e7e5\n");
    reportWith(35, BOUND_NONE);
    EXPECT_EQ(principalVariationLine(search), "");
}

TEST(Report, LongPrincipalVariationIsCutToTheBuffer) {
    Move pv[PV_CAPACITY];
    for (int i = 0; i < 200; ++i) pv[i] = encodeMove(squareNumber(12), squareNumber(28));
    pv[200] = 0;
    const std::string text = pvText(pv);
    EXPECT_LT(text.size(), PV_TEXT_CAPACITY);
    EXPECT_GE(text.size(), PV_TEXT_CAPACITY - 1 - 6);
    EXPECT_EQ(text.size() % 5, 4u);  // whole moves only
    // A variation that fills its array has no terminator: nothing past the
    // array is read (the sanitizers see the array alone on the heap).
    const auto full = std::make_unique<Move[]>(2);
    full[0] = full[1] = encodeMove(squareNumber(8), squareNumber(16));
    EXPECT_EQ(pvText(full.get(), 2), "a2a3 a2a3");
}

TEST(Report, BestMoveLineWithAndWithoutPonder) {
    test::CapturedOutput out;
    RootReport& r = reportWith(10, BOUND_EXACT);
    printBestMove(out.output(), search);
    EXPECT_EQ(out.lines().back(), "bestmove e2e4 ponder e7e5");
    out.clear();
    r.pv[1] = 0;
    printBestMove(out.output(), search);
    EXPECT_EQ(out.lines().back(), "bestmove e2e4");
    out.clear();
    r.pv[1] = NULL_MOVE;
    printBestMove(out.output(), search);
    EXPECT_EQ(out.lines().back(), "bestmove e2e4");
    out.clear();
    r.bestMove = 0;
    printBestMove(out.output(), search);
    const auto lines = out.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("info time ", 0), 0u);
    EXPECT_EQ(lines[1].rfind("info hashfull ", 0), 0u);
    EXPECT_EQ(lines[2], "bestmove 0000");
}

}  // namespace
}  // namespace tallomir

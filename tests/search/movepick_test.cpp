#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "search/movepick.hpp"
#include "support.hpp"

namespace tallomir {
namespace {

OrderingTables ordering;

const char* const POSITIONS[] = {
    "startpos",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
};

std::vector<Move> legalMoves(Position& pos) {
    MoveList list;
    generateLegal(pos, list);
    return {list.moves, list.moves + list.count};
}

std::vector<Move> pickAll(Position& pos, Move hashMove, std::vector<int>* stages = nullptr) {
    CheckInfo checks;
    findCheckers(pos, checks);
    MovePicker picker;
    initMovePicker(ordering, pos, 3, checks, picker, hashMove);
    std::vector<Move> out;
    while (const Move m = nextMove(picker)) {
        out.push_back(m);
        if (stages) stages->push_back(picker.stage);
    }
    return out;
}

// Walks random games and checks every node: the picker yields each legal move,
// whatever hash move and killers it is given, and nothing else. Only a killer
// that is also a preferred quiet move comes twice (that stage does not skip killers).
TEST(MovePicker, YieldsEveryLegalMoveExactlyOnce) {
    std::mt19937 rng(12345);
    clearOrderingTables(ordering);
    for (const char* fen : POSITIONS) {
        Position pos = test::loadFen(fen);
        for (int ply = 0; ply < 60; ++ply) {
            std::vector<Move> legal = legalMoves(pos);
            if (legal.empty()) break;
            const Move hash = legal[rng() % legal.size()];
            ordering.killers[3][0] = legal[rng() % legal.size()];
            ordering.killers[3][1] = ply % 3 ? legal[rng() % legal.size()] : Move(0x0FFF);
            std::vector<Move> picked = pickAll(pos, rng() % 4 ? hash : Move(0));
            std::sort(legal.begin(), legal.end());
            std::sort(picked.begin(), picked.end());
            std::vector<Move> once = picked;
            once.erase(std::unique(once.begin(), once.end()), once.end());
            ASSERT_EQ(once, legal) << fen << " ply " << ply;
            for (std::size_t i = 1; i < picked.size(); ++i) {
                if (picked[i] == picked[i - 1]) {
                    EXPECT_TRUE(picked[i] == ordering.killers[3][0] || picked[i] == ordering.killers[3][1]);
                }
            }
            UndoRecord undo;
            makeMove(pos, undo, legal[rng() % legal.size()]);
        }
    }
}

TEST(MovePicker, StagesComeInTheirOrder) {
    clearOrderingTables(ordering);
    Position pos = test::loadFen(POSITIONS[1]);
    std::vector<Move> legal = legalMoves(pos);
    const Move hash = legal.back();
    std::vector<int> stages;
    const std::vector<Move> picked = pickAll(pos, hash, &stages);
    ASSERT_FALSE(picked.empty());
    EXPECT_EQ(picked.front(), hash);
    EXPECT_EQ(stages.front(), STAGE_HASH);
    const std::vector<int> order = {STAGE_HASH,   STAGE_CAPTURES,    STAGE_KILLERS, STAGE_PREFERRED_QUIETS,
                                    STAGE_QUIETS, STAGE_BAD_CAPTURES};
    int last = 0;
    for (int stage : stages) {
        const int at = static_cast<int>(std::find(order.begin(), order.end(), stage) - order.begin());
        EXPECT_GE(at, last);
        last = at;
    }
    // Winning captures come before any quiet move; under-promotions and losing captures after.
    EXPECT_EQ(stages.back(), STAGE_BAD_CAPTURES);
}

TEST(MovePicker, InvalidHashMoveAndCapturingKillerAreNotReturned) {
    clearOrderingTables(ordering);
    Position pos = test::loadFen("startpos");
    const Move impossible = encodeMove(numberOf(makeSquare(4, 3)), numberOf(makeSquare(4, 4)));  // e4-e5
    const std::vector<Move> picked = pickAll(pos, impossible);
    EXPECT_EQ(std::count(picked.begin(), picked.end(), impossible), 0);
    EXPECT_EQ(picked.size(), 20u);
}

TEST(MovePicker, EqualScoresKeepGenerationOrder) {
    MoveList list;
    list.count = 4;
    for (int i = 0; i < 4; ++i) {
        list.moves[i] = static_cast<Move>(10 + i);
        list.scores[i] = static_cast<std::int16_t>(i == 2 ? 5 : 0);
    }
    sortMoves(list);
    EXPECT_EQ(list.moves[0], 12);
    EXPECT_EQ(list.moves[1], 10);
    EXPECT_EQ(list.moves[2], 11);
    EXPECT_EQ(list.moves[3], 13);
}

// The quiet checks of the first quiescence ply: every quiet move of a piece
// or pawn (not the king, not a promotion) that gives check, each once.
TEST(QuietChecks, EveryQuietCheckingMoveOnce) {
    std::mt19937 rng(777);
    int checks = 0;
    for (const char* fen : POSITIONS) {
        Position pos = test::loadFen(fen);
        for (int ply = 0; ply < 60; ++ply) {
            std::vector<Move> legal = legalMoves(pos);
            if (legal.empty()) break;
            CheckInfo info;
            if (findCheckers(pos, info) == 0) {
                MoveList generated, all;
                generated.count = all.count = 0;
                generateQuietChecks(pos, generated);
                generateAll(pos, all);
                std::vector<Move> expected;
                for (int i = 0; i < all.count; ++i) {
                    const Move m = all.moves[i];
                    if (isTactical(pos, m) || (pos.board[moveFromSquare(m)] & KING)) continue;
                    if (givesCheck(pos, m)) expected.push_back(m);
                }
                std::vector<Move> got(generated.moves, generated.moves + generated.count);
                std::sort(got.begin(), got.end());
                std::sort(expected.begin(), expected.end());
                ASSERT_EQ(got, expected) << fen << " ply " << ply;
                checks += generated.count;
            }
            UndoRecord undo;
            makeMove(pos, undo, legal[rng() % legal.size()]);
        }
    }
    EXPECT_GT(checks, 50);
}

TEST(MoveOrdering, HashCaptureKillerAndQuietScoresRankInOrder) {
    clearOrderingTables(ordering);
    // White pawn e4 can take a knight on d5; white queen d1 can take a pawn on d7 defended by the king.
    Position pos = test::loadFen("4k3/3p4/8/3n4/4P3/8/8/3QK1N1 w - - 0 1");
    const Move pawnTakesKnight = encodeMove(numberOf(makeSquare(4, 3)), numberOf(makeSquare(3, 4)));
    const Move queenTakesPawn = encodeMove(numberOf(makeSquare(3, 0)), numberOf(makeSquare(3, 6)));
    const Move knightMove = encodeMove(numberOf(makeSquare(6, 0)), numberOf(makeSquare(5, 2)));
    const Move kingMove = encodeMove(numberOf(makeSquare(4, 0)), numberOf(makeSquare(5, 1)));
    EXPECT_EQ(mvvLva(pos, pawnTakesKnight), 6 * 1 - 0 + 5);
    EXPECT_EQ(orderScore(ordering, pos, pawnTakesKnight, 0, 0), 11 + 4000);
    EXPECT_EQ(orderScore(ordering, pos, queenTakesPawn, 0, 0), 6 * 0 - 4 + 5 - 28000);
    EXPECT_EQ(orderScore(ordering, pos, knightMove, 0, 0), 12);
    EXPECT_EQ(orderScore(ordering, pos, kingMove, 0, 0), -24000);
    EXPECT_EQ(orderScore(ordering, pos, kingMove, 0, kingMove), 32766);
    ordering.killers[0][0] = kingMove;
    EXPECT_EQ(orderScore(ordering, pos, kingMove, 0, 0), 23);
}

TEST(MoveOrdering, HistoryAndCutoffCountsStayBounded) {
    clearOrderingTables(ordering);
    Position pos = test::loadFen("startpos");
    const Move m = encodeMove(numberOf(makeSquare(6, 0)), numberOf(makeSquare(5, 2)));
    for (int i = 0; i < 2000; ++i) updateOnBestMove(ordering, pos, m, 30, 1);
    EXPECT_LT(ordering.historyTable[pieceIndex(W_KNIGHT)][moveTo(m)], 16384);
    EXPECT_EQ(ordering.killers[1][0], m);
    for (int i = 0; i < 40000; ++i) recordTried(ordering, pos, m);
    EXPECT_LT(ordering.triedCount[pieceIndex(W_KNIGHT)][moveTo(m)], 16384);
    EXPECT_GE(ordering.cutoffCount[pieceIndex(W_KNIGHT)][moveTo(m)], 1);
    EXPECT_GE(cutoffRatio(ordering, pos, m), 0);
}

}  // namespace
}  // namespace tallomir

// Make and unmake: every redundant field follows the board, and unmake gives
// back the previous record bit for bit, list order included.
#include <gtest/gtest.h>

#include <vector>

#include "board/board_helpers.hpp"
#include "board/makemove.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"

namespace tallomir {
namespace {

using test::sq;

TEST(MakeUnmake, EveryMoveOfRandomGamesIsUndoneExactly) {
    int castles = 0, enPassants = 0, promotions = 0, capturePromotions = 0, captures = 0, moves = 0;
    int game = 0;
    for (const std::string& start : test::randomGameStarts()) {
        for (int seed = 0; seed < 8; ++seed, ++game) {
            Position pos = test::loadFen(start);
            test::Rng rng(1000 + game);
            for (int ply = 0; ply < 120 && pos.fiftyCount < 100; ++ply) {
                const Position before = pos;
                for (Move m : test::legalMoves(pos)) {
                    const bool capture = pos.board[moveToSquare(m)] != EMPTY;
                    UndoRecord undo;
                    makeMove(pos, undo, m);
                    ASSERT_EQ(test::inconsistency(pos), "") << test::toFen(before) << " " << moveToText(m);
                    unmakeMove(pos, undo, m);
                    ASSERT_EQ(test::firstDifference(pos, before), "") << test::toFen(before) << " " << moveToText(m);
                    ++moves;
                    captures += capture;
                    castles += moveKind(m) == CASTLING;
                    enPassants += moveKind(m) == EN_PASSANT;
                    promotions += moveKind(m) == PROMOTION;
                    capturePromotions += moveKind(m) == PROMOTION && capture;
                }
                const Move m = test::randomMove(pos, rng);
                if (!m) break;
                UndoRecord undo;
                makeMove(pos, undo, m);
            }
        }
    }
    // The games must really have gone through the rare paths.
    EXPECT_GT(moves, 50000);
    EXPECT_GT(captures, 2000);
    EXPECT_GT(castles, 50);
    EXPECT_GT(enPassants, 15);
    EXPECT_GT(promotions, 500);
    EXPECT_GT(capturePromotions, 100);
}

TEST(MakeUnmake, LongLinesUnwindToTheStart) {
    for (const std::string& start : test::randomGameStarts()) {
        Position pos = test::loadFen(start);
        const Position initial = pos;
        test::Rng rng(77);
        std::vector<Move> line;
        std::vector<UndoRecord> undos;
        for (int ply = 0; ply < 200; ++ply) {
            const Move m = test::randomMove(pos, rng);
            if (!m) break;
            undos.emplace_back();
            makeMove(pos, undos.back(), m);
            line.push_back(m);
        }
        EXPECT_EQ(pos.historyCount, initial.historyCount + static_cast<int>(line.size()));
        while (!line.empty()) {
            unmakeMove(pos, undos.back(), line.back());
            undos.pop_back();
            line.pop_back();
        }
        EXPECT_EQ(test::firstDifference(pos, initial), "") << start;
    }
}

TEST(MakeUnmake, PromotionWithCaptureKeepsListOrder) {
    Position pos = test::loadFen("r3k2r/1P6/8/8/8/8/8/R2QK2N w kq - 0 1");
    const Position before = pos;
    const Move m = textToMove(pos, "b7a8b");
    UndoRecord undo;
    makeMove(pos, undo, m);
    // The new bishop goes behind the rook and before the knight.
    const Square expected[] = {sq("e1"), sq("d1"), sq("a1"), sq("a8"), sq("h1"), 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pos.pieceList[0][i], expected[i]) << i;
    EXPECT_EQ(pos.pieceList[1][1], sq("h8"));
    EXPECT_EQ(pos.pawnCount[0], 0);
    EXPECT_EQ(pos.castling, 4);  // the rook of black's long castling is gone
    EXPECT_EQ(pos.lastCaptureSquare, sq("a8"));
    EXPECT_EQ(pos.fiftyCount, 0);
    EXPECT_EQ(test::inconsistency(pos), "");
    unmakeMove(pos, undo, m);
    EXPECT_EQ(test::firstDifference(pos, before), "");
}

TEST(MakeUnmake, CastlingAndEnPassantMoveTheSecondMan) {
    Position pos = test::loadFen("r3k2r/8/8/8/3pP3/8/8/R3K2R b KQkq e3 0 1");
    const int rookIndex = pos.listIndex[sq("a8")];
    test::playMoves(pos, "e8c8");
    EXPECT_EQ(pos.board[sq("d8")], B_ROOK);
    EXPECT_EQ(pos.board[sq("a8")], EMPTY);
    EXPECT_EQ(pos.listIndex[sq("d8")], rookIndex);
    EXPECT_EQ(pos.castling, 1 | 2);

    Position ep = test::loadFen("r3k2r/8/8/8/3pP3/8/8/R3K2R b KQkq e3 0 1");
    test::playMoves(ep, "d4e3");
    EXPECT_EQ(ep.board[sq("e4")], EMPTY);
    EXPECT_EQ(ep.board[sq("e3")], B_PAWN);
    EXPECT_EQ(ep.pawnCount[0], 0);
    EXPECT_EQ(ep.lastCaptureSquare, sq("e3"));
    EXPECT_EQ(test::inconsistency(ep), "");
}

TEST(MakeUnmake, DoubleStepSetsEnPassantOnlyBesideAnEnemyPawn) {
    Position pos = test::loadFen("4k3/8/8/8/3p4/8/2P1P3/4K3 w - - 0 1");
    test::playMoves(pos, "c2c4");
    EXPECT_EQ(pos.epSquare, sq("c3"));
    test::playMoves(pos, "e8e7 e2e4");  // the capture of c4 was not taken: the square is gone
    EXPECT_EQ(pos.epSquare, sq("e3"));
    Position quiet = test::loadFen("4k3/8/8/8/8/3p4/2P1P3/4K3 w - - 0 1");
    test::playMoves(quiet, "c2c4");
    EXPECT_EQ(quiet.epSquare, 0);
}

TEST(MakeUnmake, NullMovePassesTheTurn) {
    Position pos = test::loadFen("r3k2r/8/8/8/3pP3/8/8/R3K2R b KQkq e3 7 1");
    const Position before = pos;
    UndoRecord undo;
    makeNullMove(pos, undo);
    EXPECT_EQ(pos.side, 0);
    EXPECT_EQ(pos.epSquare, 0);
    EXPECT_EQ(pos.key, computeKey(pos));
    EXPECT_EQ(pos.historyCount, before.historyCount + 1);
    unmakeNullMove(pos, undo);
    EXPECT_EQ(test::firstDifference(pos, before), "");
}

}  // namespace
}  // namespace tallomir

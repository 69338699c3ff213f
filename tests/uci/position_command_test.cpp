// The "position" command and the move text it reads.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/board_helpers.hpp"
#include "board/makemove.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"
#include "uci/position_command.hpp"

namespace tallomir {
namespace {

// The game position the commands of these tests work on.
Position& commandGame() {
    static Position game = test::loadFen("startpos");
    return game;
}

// Runs a position command on the game position and returns the result.
Position run(const std::string& line) {
    test::CapturedOutput out;
    positionCommand(commandGame(), out.output(), line);
    return commandGame();
}

Position after(const char* fen, const char* moves) {
    Position pos = test::loadFen(fen);
    test::playMoves(pos, moves);
    return pos;
}

TEST(PositionCommand, StartposIsTheDefault) {
    const Position expected = after("startpos", "e2e4 e7e5");
    EXPECT_EQ(test::firstDifference(run("position startpos moves e2e4 e7e5"), expected), "");
    EXPECT_EQ(test::firstDifference(run("position foo moves e2e4 e7e5"), expected), "");
    EXPECT_EQ(test::firstDifference(run("position "), test::loadFen("startpos")), "");
    EXPECT_EQ(test::firstDifference(run("position startpos"), test::loadFen("startpos")), "");
}

TEST(PositionCommand, FenEndsBeforeMoves) {
    const char* fen = "r3k2r/8/8/8/3pPp2/8/8/R3K1R1 b Qkq e3 0 1";
    EXPECT_EQ(
        test::firstDifference(run(std::string("position fen ") + fen + " moves d4e3 a1a8"), after(fen, "d4e3 a1a8")),
        "");
    EXPECT_EQ(test::firstDifference(run(std::string("position fen ") + fen), test::loadFen(fen)), "");
    // Several blanks before the FEN, before the first move, between moves and after the last one.
    EXPECT_EQ(test::firstDifference(run("position startpos moves  e2e4    e7e5  g1f3   "),
                                    after("startpos", "e2e4 e7e5 g1f3")),
              "");
    EXPECT_EQ(test::firstDifference(run(std::string("position fen   ") + fen + "  moves   d4e3"), after(fen, "d4e3")),
              "");
}

TEST(PositionCommand, SpecialMovesFromText) {
    // Castling as the king's two-file move, en passant, promotion.
    const Position pos = run("position fen r3k2r/1P6/8/8/3pP3/8/8/R3K2R b KQkq e3 0 1 moves d4e3 e1c1 e8g8 b7b8q");
    EXPECT_EQ(pos.board[C1], W_KING);
    EXPECT_EQ(pos.board[D1], W_ROOK);
    EXPECT_EQ(pos.board[G8], B_KING);
    EXPECT_EQ(pos.board[F8], B_ROOK);
    EXPECT_EQ(pos.board[B8], W_QUEEN);
    EXPECT_EQ(pos.board[makeSquare(4, 3)], EMPTY);  // e4 taken en passant
    EXPECT_EQ(test::inconsistency(pos), "");
}

TEST(PositionCommand, BadTokensStopTheListAndKeepThePosition) {
    const Position twoMoves = after("startpos", "e2e4 e7e5");
    const char* endings[] = {
        "e2e4 e7e5 e1e8",       // not a legal move
        "e2e4 e7e5 e3e4",       // no own man on the origin
        "e2e4 e7e5 z9e4",       // malformed square
        "e2e4 e7e5 g1f3Q",      // capital promotion letter
        "e2e4 e7e5 g1f",        // shorter than four characters
        "e2e4 e7e5 d7d5",       // a black move with White to move
        "e2e4 e7e5 0000",       // the null move text
        "e2e4 e7e5 g1f3q",      // promotion letter on a knight move
        "e2e4 e7e5 e4e5 f3g1",  // e4e5 is blocked: nothing after it is played
    };
    for (const char* moves : endings) {
        const Position pos = run(std::string("position startpos moves ") + moves);
        EXPECT_EQ(test::firstDifference(pos, twoMoves), "") << moves;
        EXPECT_EQ(test::inconsistency(pos), "") << moves;
    }
}

TEST(PositionCommand, RejectedFenKeepsThePreviousPositionAndPlaysNothing) {
    const Position before = run("position startpos moves d2d4");
    test::CapturedOutput out;
    positionCommand(commandGame(), out.output(), "position fen 8/8/8/8/8/8/8/8 w - - 0 1 moves e2e4");
    EXPECT_EQ(out.lines(), std::vector<std::string>{"Posizione Illegale."});
    EXPECT_EQ(test::firstDifference(commandGame(), before), "");
}

TEST(PositionCommand, ThousandsOfPliesNeverOverflowTheHistory) {
    // 5,000 plies of knight shuffles: far more than the key history holds.
    std::string line = "position startpos moves";
    const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < 5000; ++i) line += std::string(" ") + cycle[i % 4];
    const Position pos = run(line);
    EXPECT_EQ(pos.key, test::loadFen("startpos").key);
    EXPECT_EQ(pos.fiftyCount, 5000);
    EXPECT_LE(pos.historyCount, KEY_HISTORY_SIZE - 512);
    EXPECT_EQ(test::inconsistency(pos), "");
    // Play goes on normally on top of the compacted history.
    Position copy = pos;
    test::playMoves(copy, "e2e4 e7e5 g1f3 g8f6 f3g1 f6g8");
    EXPECT_TRUE(isDrawByRule(copy));
    // A deep search on top still has room for its keys.
    UndoRecord undo[256];
    const Move shuffle[] = {textToMove(pos, "g1f3"), encodeMove(squareNumber(62), squareNumber(45)),
                            encodeMove(squareNumber(21), squareNumber(6)),
                            encodeMove(squareNumber(45), squareNumber(62))};
    for (int i = 0; i < 256; ++i) makeMove(copy, undo[i], shuffle[i % 4]);
    EXPECT_LT(copy.historyCount, KEY_HISTORY_SIZE);
}

TEST(MoveText, TextToMoveAndBack) {
    const Position start = test::loadFen("startpos");
    EXPECT_EQ(textToMove(start, "e2e4"), encodeMove(squareNumber(12), squareNumber(28)));
    EXPECT_EQ(moveToText(encodeMove(squareNumber(12), squareNumber(28))), "e2e4");
    EXPECT_EQ(textToMove(start, "e1g1") & KIND_BITS, CASTLING);  // any two-file king move
    EXPECT_EQ(textToMove(start, "e1f1") & KIND_BITS, NORMAL);
    EXPECT_EQ(textToMove(start, "e2e4x"), 0);
    EXPECT_EQ(textToMove(start, "i2e4"), 0);
    EXPECT_EQ(textToMove(start, "e0e4"), 0);
    EXPECT_EQ(textToMove(start, "e2e"), 0);

    const Position promo = test::loadFen("k7/4P3/8/8/8/8/1p6/4K3 w - - 0 1");
    EXPECT_EQ(textToMove(promo, "e7e8q"), encodeMove(squareNumber(52), squareNumber(60), 0xB000));
    EXPECT_EQ(textToMove(promo, "e7e8n"), encodeMove(squareNumber(52), squareNumber(60), 0x8000));
    EXPECT_EQ(textToMove(promo, "e7e8Q"), 0);
    // Promotion text is lower case whichever side promotes.
    EXPECT_EQ(moveToText(encodeMove(squareNumber(9), squareNumber(1), 0xA000)), "b2b1r");
    EXPECT_EQ(moveToText(encodeMove(squareNumber(52), squareNumber(60), 0x9000)), "e7e8b");
    EXPECT_EQ(moveToText(NULL_MOVE), "null");
    EXPECT_EQ(moveToText(0), "a1a1");

    // A pawn move onto the en-passant square is en passant; castling and en
    // passant get no fifth letter.
    const Position ep = after("startpos", "e2e4 a7a6 e4e5 d7d5");
    const Move exd6 = textToMove(ep, "e5d6");
    EXPECT_EQ(exd6 & KIND_BITS, EN_PASSANT);
    EXPECT_EQ(moveToText(exd6), "e5d6");
    EXPECT_EQ(moveToText(encodeMove(squareNumber(4), squareNumber(6), CASTLING)), "e1g1");
}

}  // namespace
}  // namespace tallomir

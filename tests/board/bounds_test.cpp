// The fixed-size records of the board layer at their limits: check records
// with more checkers than legal play gives, move lists of the most crowded
// boards, exchange lists with every man of both sides on one square.
// Positions past the FEN loader's plausibility test are built by hand, as a
// corrupted or hostile caller could.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <set>
#include <utility>

#include "board/attacks.hpp"
#include "board/board_helpers.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "board/see.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"

namespace tallomir {
namespace {

using test::sq;

// A position from a list of (code, square) with the side to move, built
// without the FEN loader's plausibility test.
Position handMade(std::initializer_list<std::pair<int, const char*>> men, int side) {
    Position pos;
    std::memset(&pos, 0, sizeof pos);
    clearBoard(pos);
    for (const auto& [code, square] : men) pos.board[sq(square)] = static_cast<std::uint8_t>(code);
    pos.side = side;
    setUpDerived(pos);
    return pos;
}

// The same position with the board turned and the colours swapped.
Position mirrored(const Position& pos) {
    Position m;
    std::memset(&m, 0, sizeof m);
    clearBoard(m);
    for (int n = 0; n < 64; ++n) {
        const int code = pos.board[squareOf[n]];
        if (code == EMPTY) continue;
        int swapped = code & ~(COLOUR_BITS | PAWN_BITS);
        if (code & WHITE) swapped |= BLACK;
        if (code & BLACK) swapped |= WHITE;
        if (code & WPAWN) swapped |= BPAWN;
        if (code & BPAWN) swapped |= WPAWN;
        m.board[squareOf[n ^ 56]] = static_cast<std::uint8_t>(swapped);
    }
    m.side = pos.side ^ 1;
    setUpDerived(m);
    return m;
}

Move mirroredMove(Move m) { return static_cast<Move>(m ^ ((56 << 6) | 56)); }

TEST(Bounds, CheckRecordKeepsTwoCheckersAndItsTerminators) {
    // Pawn, knight, bishop and rook all give check: the loader refuses this,
    // the check record must still hold.
    Position pos = handMade(
        {{W_KING, "d4"}, {B_PAWN, "e5"}, {B_KNIGHT, "f5"}, {B_BISHOP, "a7"}, {B_ROOK, "d8"}, {B_KING, "h8"}}, 0);
    EXPECT_EQ(countCheckers(pos), 4);
    CheckInfo info;
    std::memset(&info, 0x55, sizeof info);
    EXPECT_EQ(findCheckers(pos, info), 2);
    EXPECT_EQ(info.count, 2);
    EXPECT_EQ(info.checkerSquare[2], 0);
    EXPECT_EQ(info.checkerRay[2], 0);
    // More than one checker: only king moves answer, and none of them is
    // into another checker's line.
    for (const Move m : test::legalMoves(pos)) {
        EXPECT_EQ(moveFromSquare(m), sq("d4")) << moveToText(m);
        Position after = pos;
        UndoRecord undo;
        makeMove(after, undo, m);
        EXPECT_FALSE(isAttacked(after, 1, after.kingSquare(0))) << moveToText(m);
    }
    EXPECT_EQ(test::inconsistency(pos), "");
    // And the loader refuses the position.
    testing::internal::CaptureStdout();
    Position loaded = test::loadFen("startpos");
    EXPECT_EQ(setFromFen(loaded, "r6k/b7/8/4pn2/3K4/8/8/8 w - - 0 1"), FenResult::Rejected);
    testing::internal::GetCapturedStdout();
}

TEST(Bounds, MoveListsOfTheMostCrowdedBoards) {
    // The most legal moves known for a position of a real game.
    Position crowded = test::loadFen("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1");
    EXPECT_EQ(test::legalMoves(crowded).size(), 218u);

    // Fifteen queens and a king: the most pseudo-legal moves sixteen men can
    // have stay below the list's size, each move once.
    Position queens = handMade({{W_QUEEN, "a1"},
                                {W_QUEEN, "h1"},
                                {W_QUEEN, "b3"},
                                {W_QUEEN, "g3"},
                                {W_QUEEN, "d2"},
                                {W_QUEEN, "e5"},
                                {W_QUEEN, "c4"},
                                {W_QUEEN, "f4"},
                                {W_QUEEN, "a6"},
                                {W_QUEEN, "h6"},
                                {W_QUEEN, "d7"},
                                {W_QUEEN, "c8"},
                                {W_QUEEN, "f8"},
                                {W_QUEEN, "b6"},
                                {W_QUEEN, "g6"},
                                {W_KING, "e2"},
                                {B_KING, "h3"}},
                               0);
    MoveList list;
    list.count = 0;
    generateAll(queens, list);
    generateEnPassant(queens, list);
    generateCastling(queens, list);
    EXPECT_GT(list.count, 200);
    EXPECT_LT(list.count, MAX_MOVES);
    EXPECT_EQ(std::set<Move>(list.moves, list.moves + list.count).size(), static_cast<std::size_t>(list.count));

    // Eight pawns on the seventh rank, each able to push and capture into
    // four promotions.
    Position promotions = test::loadFen("nrnrnrnr/PPPPPPPP/k7/8/8/8/8/1QQQQ1K1 w - - 0 1");
    const std::size_t moves = test::legalMoves(promotions).size();
    EXPECT_GT(moves, 64u);
    EXPECT_LT(moves, static_cast<std::size_t>(MAX_MOVES));
}

TEST(Bounds, ExchangeWithEveryManOnOneSquare) {
    // Sixteen white men bear on d5 (eight knights, the king and seven queens
    // around it); every black slider stands behind a white queen and joins
    // as an x-ray. The exchange must come out the same with colours swapped.
    Position pos = handMade({{B_ROOK, "d5"},   {W_KNIGHT, "b4"}, {W_KNIGHT, "b6"}, {W_KNIGHT, "c3"}, {W_KNIGHT, "c7"},
                             {W_KNIGHT, "e3"}, {W_KNIGHT, "e7"}, {W_KNIGHT, "f4"}, {W_KNIGHT, "f6"}, {W_QUEEN, "c4"},
                             {W_QUEEN, "c5"},  {W_QUEEN, "c6"},  {W_QUEEN, "d4"},  {W_QUEEN, "d6"},  {W_QUEEN, "e4"},
                             {W_QUEEN, "e6"},  {W_KING, "e5"},   {B_QUEEN, "a2"},  {B_QUEEN, "a5"},  {B_QUEEN, "a8"},
                             {B_ROOK, "d1"},   {B_ROOK, "d8"},   {B_BISHOP, "g8"}, {B_BISHOP, "h1"}, {B_KING, "h5"}},
                            0);
    EXPECT_EQ(test::inconsistency(pos), "");
    const Position flipped = mirrored(pos);
    for (const Move m : test::legalMoves(pos)) {
        if (moveToSquare(m) != sq("d5")) continue;
        const int value = staticExchange(pos, m);
        EXPECT_GE(value, -10000) << moveToText(m);
        EXPECT_LE(value, 10000) << moveToText(m);
        EXPECT_EQ(staticExchange(flipped, mirroredMove(m)), value) << moveToText(m);
    }
}

}  // namespace
}  // namespace tallomir

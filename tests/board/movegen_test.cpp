// Move generators: their fixed order, the split of quiet moves between the two
// quiet generators, check evasions, the squares a side attacks, and agreement
// between the staged generators and the complete one on many positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "board/board_helpers.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"

namespace tallomir {
namespace {

using Generator = void (*)(const Position&, MoveList&);

std::vector<std::string> texts(const MoveList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count; ++i) out.push_back(moveToText(list.moves[i]));
    return out;
}

std::vector<std::string> generate(const Position& pos, std::initializer_list<Generator> generators) {
    MoveList list;
    list.count = 0;
    for (Generator g : generators) g(pos, list);
    return texts(list);
}

bool contains(const std::vector<std::string>& moves, const std::string& m) {
    return std::find(moves.begin(), moves.end(), m) != moves.end();
}

std::vector<Move> sorted(const MoveList& list) {
    std::vector<Move> v(list.moves, list.moves + list.count);
    std::sort(v.begin(), v.end());
    return v;
}

TEST(MoveOrder, StartPositionKnightsThenPawns) {
    const Position pos = test::loadFen("startpos");
    const std::vector<std::string> expected = {"b1a3", "b1c3", "g1f3", "g1h3", "a2a3", "a2a4", "b2b3",
                                               "b2b4", "c2c3", "c2c4", "d2d3", "d2d4", "e2e3", "e2e4",
                                               "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"};
    EXPECT_EQ(generate(pos, {generateAll, generateEnPassant, generateCastling}), expected);
}

TEST(MoveOrder, PawnCapturesThenPromotionPushes) {
    const Position pos = test::loadFen("1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    const std::vector<std::string> expected = {"a7b8q", "a7b8n", "a7b8r", "a7b8b", "a7a8q", "a7a8r", "a7a8b", "a7a8n"};
    EXPECT_EQ(generate(pos, {generateCaptures}), expected);
    // A queen with three victims of one type takes them in the order of its directions.
    const Position pieces = test::loadFen("4k3/8/8/3p4/2p1p3/3Q4/8/3K4 w - - 0 1");
    const std::vector<std::string> pieceCaptures = {"d3c4", "d3d5", "d3e4"};
    EXPECT_EQ(generate(pieces, {generateCaptures}), pieceCaptures);
}

TEST(QuietSplit, SplitSquareDecidesBetweenTheTwoGenerators) {
    // White pawn on e3: s = 1 (b1). The rook's move to b1 comes from B.
    const Position s1 = test::loadFen("4k3/8/8/8/8/4P3/8/R3K3 w - - 0 1");
    EXPECT_EQ(preferredSquare(s1), 1);
    EXPECT_TRUE(contains(generate(s1, {generatePreferredQuiets}), "a1b1"));
    EXPECT_FALSE(contains(generate(s1, {generateOtherQuiets}), "a1b1"));
    // No pawn on d4 or e3: s = 0 (a1). Now b1 is A's and a move to a1 is B's.
    const Position s0 = test::loadFen("4k3/8/8/8/8/8/4P3/R3K2R w - - 0 1");
    EXPECT_EQ(preferredSquare(s0), 0);
    EXPECT_TRUE(contains(generate(s0, {generateOtherQuiets}), "a1b1"));
    const Position rookOnB1 = test::loadFen("4k3/8/8/8/8/8/4P3/1R2K3 w - - 0 1");
    EXPECT_TRUE(contains(generate(rookOnB1, {generatePreferredQuiets}), "b1a1"));
    EXPECT_FALSE(contains(generate(rookOnB1, {generateOtherQuiets}), "b1a1"));
}

TEST(QuietSplit, BishopsGoByTheirOwnSquareKnightsAlwaysToB) {
    const Position s1 = test::loadFen("4k3/8/8/8/3P4/8/8/1B2K1N1 w - - 0 1");
    ASSERT_EQ(preferredSquare(s1), 1);
    const std::vector<std::string> b1 = generate(s1, {generatePreferredQuiets});
    const std::vector<std::string> a1 = generate(s1, {generateOtherQuiets});
    EXPECT_TRUE(contains(b1, "b1a2"));
    EXPECT_TRUE(contains(b1, "g1f3"));
    EXPECT_FALSE(contains(a1, "b1a2"));
    const Position s0 = test::loadFen("4k3/8/8/8/8/8/8/1B2K1N1 w - - 0 1");
    ASSERT_EQ(preferredSquare(s0), 0);
    EXPECT_TRUE(contains(generate(s0, {generateOtherQuiets}), "b1a2"));
    EXPECT_TRUE(contains(generate(s0, {generatePreferredQuiets}), "g1f3"));
    EXPECT_FALSE(contains(generate(s0, {generatePreferredQuiets}), "b1a2"));
    // Black: s = 1 unless a black pawn stands on d5 or e6.
    EXPECT_EQ(preferredSquare(test::loadFen("4k3/8/8/8/8/8/8/4K3 b - - 0 1")), 1);
    EXPECT_EQ(preferredSquare(test::loadFen("4k3/8/4p3/8/8/8/8/4K3 b - - 0 1")), 0);
}

TEST(StagedGenerators, TogetherTheyGiveTheCompleteListOnce) {
    // Captures with en passant + quiet B + quiet A + castling = the complete
    // pseudo-legal list, each move exactly once, on positions from random games.
    int positions = 0;
    for (const std::string& start : test::randomGameStarts()) {
        Position pos = test::loadFen(start);
        test::Rng rng(4242);
        for (int ply = 0; ply < 80 && pos.fiftyCount < 100; ++ply, ++positions) {
            CheckInfo info;
            if (findCheckers(pos, info) == 0) {
                MoveList all, staged;
                all.count = staged.count = 0;
                generateAll(pos, all);
                generateEnPassant(pos, all);
                generateCastling(pos, all);
                generateCaptures(pos, staged);
                generatePreferredQuiets(pos, staged);
                generateOtherQuiets(pos, staged);
                generateCastling(pos, staged);
                ASSERT_EQ(sorted(all), sorted(staged)) << test::toFen(pos);
            }
            const Move m = test::randomMove(pos, rng);
            if (!m) break;
            UndoRecord undo;
            makeMove(pos, undo, m);
        }
    }
    EXPECT_GT(positions, 300);
}

TEST(AttackedSquares, AgreeWithIsAttackedOnEverySquare) {
    for (const std::string& start : test::randomGameStarts()) {
        Position pos = test::loadFen(start);
        test::Rng rng(777);
        for (int ply = 0; ply < 120 && pos.fiftyCount < 100; ++ply) {
            for (int colour = 0; colour < 2; ++colour) {
                const SquareSet attacked = attackedSquares(pos, colour);
                for (int n = 0; n < 64; ++n)
                    ASSERT_EQ((attacked >> n) & 1, isAttacked(pos, colour, squareOf[n]) ? 1u : 0u)
                        << test::toFen(pos) << " colour " << colour << " square " << n;
            }
            const Move m = test::randomMove(pos, rng);
            if (!m) break;
            UndoRecord undo;
            makeMove(pos, undo, m);
        }
    }
}

// The legal moves by brute force: every pseudo-legal move after which the
// mover's king is not attacked; castling also needs the king out of check and
// the square it passes unattacked.
std::vector<Move> bruteForceLegal(Position& pos) {
    MoveList pseudo;
    pseudo.count = 0;
    generateAll(pos, pseudo);
    generateEnPassant(pos, pseudo);
    const int c = pos.side;
    const bool inCheck = isAttacked(pos, c ^ 1, pos.kingSquare(c));
    if (!inCheck) generateCastling(pos, pseudo);
    std::vector<Move> legal;
    for (int i = 0; i < pseudo.count; ++i) {
        const Move m = pseudo.moves[i];
        if (moveKind(m) == CASTLING) {
            const Square passed = (moveFromSquare(m) + moveToSquare(m)) / 2;
            if (isAttacked(pos, c ^ 1, passed)) continue;
        }
        UndoRecord undo;
        makeMove(pos, undo, m);
        const bool safe = !isAttacked(pos, c ^ 1, pos.kingSquare(c));
        unmakeMove(pos, undo, m);
        if (safe) legal.push_back(m);
    }
    std::sort(legal.begin(), legal.end());
    return legal;
}

TEST(Evasions, EqualTheBruteForceReplies) {
    int checks = 0;
    for (const std::string& start : test::randomGameStarts()) {
        for (int seed = 0; seed < 8; ++seed) {
            Position pos = test::loadFen(start);
            test::Rng rng(9000 + seed);
            for (int ply = 0; ply < 150 && pos.fiftyCount < 100; ++ply) {
                MoveList legal;
                generateLegal(pos, legal);
                ASSERT_EQ(sorted(legal), bruteForceLegal(pos)) << test::toFen(pos);
                CheckInfo info;
                if (findCheckers(pos, info)) {
                    ++checks;
                    MoveList none;
                    none.count = 0;
                    EXPECT_EQ(generateEvasions(pos, none, info, true, true), legal.count > 0);
                    EXPECT_EQ(none.count, 0);
                    EXPECT_EQ(isMated(pos), legal.count == 0);
                }
                const Move m = test::randomMove(pos, rng);
                if (!m) break;
                UndoRecord undo;
                makeMove(pos, undo, m);
            }
        }
    }
    EXPECT_GT(checks, 100);
}

TEST(Evasions, DoubleCheckAllowsOnlyKingMoves) {
    // Rook on e8 and knight on d3 both check the king on e1.
    const Position pos = test::loadFen("4r1k1/8/8/8/8/3n4/3B4/R3K3 w Q - 0 1");
    CheckInfo info;
    ASSERT_EQ(findCheckers(pos, info), 2);
    MoveList list;
    generateEvasions(pos, list, info, true, false);
    ASSERT_GT(list.count, 0);
    for (int i = 0; i < list.count; ++i) EXPECT_EQ(moveFromSquare(list.moves[i]), E1) << moveToText(list.moves[i]);
    // The king may not step along the rook's line away from it.
    EXPECT_FALSE(contains(texts(list), "e1e2"));
}

TEST(Evasions, EnPassantTakesTheCheckingPawnUnlessPinned) {
    // d7-d5 gave check to the king on e4; e5xd6 removes the checker.
    const Position pos = test::loadFen("4k3/8/8/3pP3/4K3/8/8/8 w - d6 0 2");
    CheckInfo info;
    ASSERT_EQ(findCheckers(pos, info), 1);
    MoveList list;
    generateEvasions(pos, list, info, true, false);
    EXPECT_TRUE(contains(texts(list), "e5d6"));
    // With a rook on e8 the e5 pawn is pinned to its king: not offered.
    const Position pinned = test::loadFen("4r1k1/8/8/3pP3/4K3/8/8/8 w - d6 0 2");
    ASSERT_EQ(findCheckers(pinned, info), 1);
    generateEvasions(pinned, list, info, true, false);
    EXPECT_FALSE(contains(texts(list), "e5d6"));
    EXPECT_GT(list.count, 0);
}

TEST(Castling, ThroughAttackedSquareNotGeneratedIntoAttackedSquareFiltered) {
    // A black rook on f8 attacks f1: no short castling at all.
    const Position through = test::loadFen("5rk1/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_FALSE(contains(generate(through, {generateCastling}), "e1g1"));
    // A rook on g8 attacks only g1: generated, then removed by the legality filter.
    Position into = test::loadFen("k5r1/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_TRUE(contains(generate(into, {generateCastling}), "e1g1"));
    MoveList legal;
    generateLegal(into, legal);
    EXPECT_FALSE(contains(texts(legal), "e1g1"));
    // Long castling only needs d1 safe: an attack on b1 does not stop it.
    Position longSide = test::loadFen("1r4k1/8/8/8/8/8/8/R3K3 w Q - 0 1");
    generateLegal(longSide, legal);
    EXPECT_TRUE(contains(texts(legal), "e1c1"));
}

}  // namespace
}  // namespace tallomir

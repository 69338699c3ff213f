// Attack and check questions, the single-move legality test, the validity
// tests for moves from outside the generators, and the draw rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "board/board_helpers.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"

namespace tallomir {
namespace {

using test::sq;

bool legalText(Position& pos, const char* text) { return isLegal(pos, textToMove(pos, text)); }

TEST(Attacks, SlidersNeedEmptySquaresPawnsAttackDiagonallyForward) {
    const Position pos = test::loadFen("4k3/8/8/8/1r2P3/8/4P3/4K3 w - - 0 1");
    EXPECT_TRUE(isAttacked(pos, 1, sq("d4")));   // rook along the rank
    EXPECT_TRUE(isAttacked(pos, 1, sq("e4")));   // the white pawn itself is attacked
    EXPECT_FALSE(isAttacked(pos, 1, sq("f4")));  // behind the pawn
    EXPECT_TRUE(isAttacked(pos, 0, sq("d3")));   // pawn e2 attacks d3 and f3
    EXPECT_FALSE(isAttacked(pos, 0, sq("e3")));  // but not straight ahead
    EXPECT_TRUE(isAttacked(pos, 0, sq("d2")));   // the king's neighbours
    EXPECT_FALSE(isAttacked(pos, 0, sq("e7")));
    EXPECT_TRUE(isAttacked(pos, 1, sq("e7")));
}

TEST(Attacks, FindCheckersReportsSquaresAndRays) {
    Position pos = test::loadFen("4r1k1/8/8/8/8/3n4/8/4K3 w - - 0 1");
    CheckInfo info;
    ASSERT_EQ(findCheckers(pos, info), 2);
    // Checkers in piece-list order: the rook (ray from the king towards it), then the knight.
    EXPECT_EQ(info.checkerSquare[0], sq("e8"));
    EXPECT_EQ(info.checkerRay[0], 16);
    EXPECT_EQ(info.checkerSquare[1], sq("d3"));
    EXPECT_EQ(info.checkerRay[1], 0);
    EXPECT_EQ(info.checkerSquare[2], 0);
    EXPECT_EQ(info.checkerRay[2], 0);
    const Position pawnCheck = test::loadFen("4k3/8/8/8/8/8/3p4/4K3 w - - 0 1");
    ASSERT_EQ(findCheckers(pawnCheck, info), 1);
    EXPECT_EQ(info.checkerSquare[0], sq("d2"));
}

TEST(Attacks, GivesCheckDirectAndDiscovered) {
    Position pos = test::loadFen("k7/8/8/8/8/8/8/4K2R w - - 0 1");
    EXPECT_TRUE(givesCheck(pos, textToMove(pos, "h1h8")));
    EXPECT_FALSE(givesCheck(pos, textToMove(pos, "h1h4")));
    // The knight on b7 shields the king from the bishop on h1: leaving is a
    // discovered check.
    Position disc = test::loadFen("k7/1N6/8/8/8/8/8/4K2B w - - 0 1");
    EXPECT_TRUE(givesCheck(disc, textToMove(disc, "b7d6")));
    // A pawn moving along the line it shields uncovers nothing; leaving it does.
    Position along = test::loadFen("4k3/8/8/3p4/4P3/8/8/K3R3 w - - 0 1");
    EXPECT_FALSE(givesCheck(along, textToMove(along, "e4e5")));
    EXPECT_TRUE(givesCheck(along, textToMove(along, "e4d5")));
    // Special moves go through a real make: castling that checks with the rook.
    Position castle = test::loadFen("5k2/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_TRUE(givesCheck(castle, textToMove(castle, "e1g1")));
}

TEST(Attacks, GivesCheckAgreesWithMakingTheMove) {
    for (const std::string& start : test::randomGameStarts()) {
        Position pos = test::loadFen(start);
        test::Rng rng(31337);
        for (int ply = 0; ply < 100 && pos.fiftyCount < 100; ++ply) {
            for (Move m : test::legalMoves(pos)) {
                UndoRecord undo;
                makeMove(pos, undo, m);
                CheckInfo info;
                const bool check = findCheckers(pos, info) > 0;
                unmakeMove(pos, undo, m);
                ASSERT_EQ(givesCheck(pos, m), check) << test::toFen(pos) << " " << moveToText(m);
            }
            const Move m = test::randomMove(pos, rng);
            if (!m) break;
            UndoRecord undo;
            makeMove(pos, undo, m);
        }
    }
}

TEST(Attacks, DiscoveryCandidates) {
    // The pawn on a5 shields the rook's file, the knight the bishop's diagonal.
    const Position pos = test::loadFen("k7/1N6/8/P7/8/8/8/R3K2B w - - 0 1");
    Square out[32];
    discoveryCandidates(pos, out);
    EXPECT_EQ(out[0], sq("a5"));
    EXPECT_EQ(out[1], sq("b7"));
    EXPECT_EQ(out[2], 0);
    const Position none = test::loadFen("k7/1n6/8/8/8/8/8/4K2B w - - 0 1");
    discoveryCandidates(none, out);
    EXPECT_EQ(out[0], 0);
}

TEST(Legality, PinnedMenMoveOnlyAlongThePin) {
    Position pos = test::loadFen("4r1k1/8/8/8/8/8/4R3/4K3 w - - 0 1");
    EXPECT_FALSE(legalText(pos, "e2d2"));
    EXPECT_TRUE(legalText(pos, "e2e5"));
    EXPECT_TRUE(legalText(pos, "e2e8"));
    EXPECT_TRUE(isPinned(pos, 0, sq("e2")));
    Position king = test::loadFen("3r2k1/8/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(legalText(king, "e1d1"));
    EXPECT_FALSE(legalText(king, "e1d2"));
    EXPECT_TRUE(legalText(king, "e1f1"));
}

TEST(Legality, EnPassantThatUncoversTheKingOnTheRank) {
    Position pos = test::loadFen("8/8/8/K2pP2r/8/8/8/7k w - d6 0 2");
    EXPECT_FALSE(legalText(pos, "e5d6"));
    Position free = test::loadFen("8/8/8/K2pP3/8/8/8/7k w - d6 0 2");
    EXPECT_TRUE(legalText(free, "e5d6"));
}

TEST(Validity, HashAndKillerMovesFromOtherPositions) {
    const Position pos = test::loadFen("r3k2r/8/8/8/8/2n5/P7/R3K2R w KQkq - 0 1");
    const auto move = [&](const char* t) { return textToMove(pos, t); };
    // Origin holds an enemy man, destination an own man.
    EXPECT_FALSE(isValidHashMove(pos, move("c3d1")));
    EXPECT_FALSE(isValidKiller(pos, move("c3d1")));
    EXPECT_FALSE(isValidHashMove(pos, move("a1a2")));
    EXPECT_FALSE(isValidKiller(pos, move("a1a2")));
    // A pawn capture to an empty square.
    EXPECT_FALSE(isValidHashMove(pos, move("a2b3")));
    EXPECT_TRUE(isValidHashMove(pos, move("a2a4")));
    // Killers are quiet: no capture, no promotion; castling through full generation.
    EXPECT_TRUE(isValidHashMove(pos, move("h1h8")));
    EXPECT_FALSE(isValidKiller(pos, move("h1h8")));
    EXPECT_FALSE(isValidHashMove(pos, move("a1a8")));  // blocked by the own pawn
    EXPECT_TRUE(isValidKiller(pos, move("e1g1")));
    EXPECT_FALSE(isValidKiller(pos, move("e1c1")));  // d1 is attacked by the knight
    EXPECT_TRUE(isValidKiller(pos, move("a1d1")));
    EXPECT_FALSE(isValidKiller(pos, static_cast<Move>(move("a2a3") | promotionBits(PROMO_QUEEN))));
}

TEST(Validity, AgreeWithTheGeneratorsOnEveryMoveCode) {
    // The validity tests must say exactly what membership in the generated list
    // says: for every plain origin/destination pair, and for the special moves
    // generated plus random codes with kind bits. (Codes with promotion bits
    // but no PROMOTION kind are never produced, so they are not asked about.)
    int checked = 0;
    for (const std::string& start : test::randomGameStarts()) {
        Position pos = test::loadFen(start);
        test::Rng rng(555);
        for (int ply = 0; ply < 30; ++ply) {
            std::vector<Move> pseudo = test::pseudoLegalMoves(pos);
            std::sort(pseudo.begin(), pseudo.end());
            std::vector<Move> codes(pseudo);
            for (int code = 0; code < 4096; ++code) codes.push_back(static_cast<Move>(code));
            // Random well-formed codes with kind bits (promotion pieces only with PROMOTION).
            for (int i = 0; i < 64; ++i) {
                const int kind = (rng.below(3) + 1) * CASTLING;  // CASTLING, PROMOTION or EN_PASSANT
                const int bits = kind == PROMOTION ? promotionBits(rng.below(4)) : kind;
                codes.push_back(static_cast<Move>(rng.below(4096) | bits));
            }
            for (Move m : codes) {
                if (moveFrom(m) == moveTo(m)) continue;
                const bool member = std::binary_search(pseudo.begin(), pseudo.end(), m);
                const bool quietKind = moveKind(m) == NORMAL || moveKind(m) == CASTLING;
                const bool killer = member && quietKind && pos.board[moveToSquare(m)] == EMPTY;
                ASSERT_EQ(isValidHashMove(pos, m), member) << test::toFen(pos) << " " << moveToText(m);
                ASSERT_EQ(isValidKiller(pos, m), killer) << test::toFen(pos) << " " << moveToText(m);
                ++checked;
            }
            const Move m = test::randomMove(pos, rng);
            if (!m) break;
            UndoRecord undo;
            makeMove(pos, undo, m);
        }
    }
    EXPECT_GT(checked, 500000);
}

TEST(DrawRules, FiftyMovesAndMate) {
    // White is mated on the hundredth ply: the mate counts.
    Position mated = test::loadFen("7k/8/8/8/8/8/5PPP/r5K1 w - - 100 80");
    EXPECT_TRUE(isMated(mated));
    EXPECT_FALSE(isDrawByRule(mated));
    Position later = test::loadFen("7k/8/8/8/8/8/5PPP/r5K1 w - - 101 80");
    EXPECT_TRUE(isDrawByRule(later));
    Position free = test::loadFen("7k/8/8/8/8/8/5PPP/6K1 w - - 100 80");
    EXPECT_TRUE(isDrawByRule(free));
    Position young = test::loadFen("7k/8/8/8/8/8/5PPP/6K1 w - - 99 80");
    EXPECT_FALSE(isDrawByRule(young));
}

TEST(DrawRules, RepetitionWithinTheReversiblePlies) {
    Position pos = test::loadFen("startpos");
    test::playMoves(pos, "g1f3 g8f6 f3g1");
    EXPECT_FALSE(isDrawByRule(pos));
    test::playMoves(pos, "f6g8");  // the start position again, White to move
    EXPECT_TRUE(isDrawByRule(pos));
    // A pawn move in between makes the earlier position unreachable.
    Position pawn = test::loadFen("startpos");
    test::playMoves(pawn, "g1f3 g8f6 f3g1 f6g8 e2e4 e7e5 g1f3 g8f6 f3g1 f6g8");
    EXPECT_TRUE(isDrawByRule(pawn));
    Position once = test::loadFen("startpos");
    test::playMoves(once, "g1f3 g8f6 e2e4 f6g8 f3g1");
    EXPECT_FALSE(isDrawByRule(once));
    // The zeroed history before a loaded position never matches.
    Position loaded = test::loadFen("4k3/8/8/8/8/8/8/4K3 w - - 30 40");
    test::playMoves(loaded, "e1e2 e8e7 e2e1 e7e8");
    EXPECT_TRUE(isDrawByRule(loaded));
    Position fresh = test::loadFen("4k3/8/8/8/8/8/8/4K3 w - - 30 40");
    test::playMoves(fresh, "e1e2 e8e7 e2e1");
    EXPECT_FALSE(isDrawByRule(fresh));
}

}  // namespace
}  // namespace tallomir

// Endgame knowledge: recognised draws and the scale rules of small endings.
#include <gtest/gtest.h>

#include "eval/endgame.hpp"
#include "eval/eval_helpers.hpp"
#include "eval/evaluate.hpp"
#include "support.hpp"

namespace tallomir::test {
namespace {

bool drawn(const char* fen) {
    Position pos = loadFen(fen);
    return isRecognisedDraw(pos, testCaches());
}

// The scales applyEndgameRules leaves, starting from full ones.
std::pair<int, int> rulesOf(const char* fen) {
    Position pos = loadFen(fen);
    MaterialEntry m;
    PawnEntry p;
    computeMaterial(pos, m);
    computePawns(pos, p);
    int white = 16, black = 16;
    applyEndgameRules(pos, m, p, white, black);
    return {white, black};
}

struct Case {
    const char* fen;
    bool expected;
};

TEST(EvalRecognisedDraw, DeadAndTheoreticalDraws) {
    const Case cases[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true},
        {"4k3/8/8/8/8/8/8/1N2K3 b - - 0 1", true},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", false},
        {"1n2k3/8/8/8/8/8/8/1N2K3 w - - 0 1", false},
        // Bishops: f8 and c1 both dark, c8 and f1 both light, c8 and c1 not.
        {"5bk1/8/8/8/8/8/8/2B1K3 w - - 0 1", true},
        {"2b1k3/8/8/8/8/8/8/4KB2 w - - 0 1", true},
        {"2b1k3/8/8/8/8/8/8/2B1K3 w - - 0 1", false},
        {"5bk1/8/8/8/8/8/P7/2B1K3 w - - 0 1", false},  // five men: never
        // Rook pawn and a bishop that cannot cover the corner.
        {"1k6/8/8/8/8/8/P7/K1B5 w - - 0 1", true},
        {"1k6/8/8/8/8/8/P7/KB6 w - - 0 1", false},
        {"k1b5/p7/8/8/8/8/8/1K6 w - - 0 1", true},
        {"1k6/8/8/8/8/8/1P6/K1B5 w - - 0 1", false},
        {"8/8/8/4k3/8/8/P7/K1B5 w - - 0 1", false},
    };
    for (const auto& c : cases) EXPECT_EQ(drawn(c.fen), c.expected) << c.fen;
}

TEST(EvalRecognisedDraw, KingAndPawnAgainstKing) {
    const Case cases[] = {
        {"8/8/8/4k3/4P3/8/8/4K3 w - - 0 1", true},  // directly in front, rank 6 or lower
        {"8/8/8/4k3/4P3/8/8/4K3 b - - 0 1", true},
        {"8/8/8/8/4p3/4K3/8/4k3 b - - 0 1", true},  // Black's pawn
        {"4k3/4P3/5K2/8/8/8/8/8 w - - 0 1", true},  // seventh rank: who moves decides
        {"4k3/4P3/5K2/8/8/8/8/8 b - - 0 1", false},
        {"4k3/4P3/8/4K3/8/8/8/8 w - - 0 1", false},
        {"4k3/4P3/8/4K3/8/8/8/8 b - - 0 1", true},
        {"4k3/8/4P3/8/8/8/8/4K3 w - - 0 1", true},  // two squares in front
        {"4k3/8/3KP3/8/8/8/8/8 w - - 0 1", false},
        {"4k3/8/3KP3/8/8/8/8/8 b - - 0 1", true},
        {"8/8/4k3/8/3PK3/8/8/8 w - - 0 1", true},  // opposition against the king beside the pawn
        {"8/8/4k3/8/3PK3/8/8/8 b - - 0 1", false},
        {"8/3k4/8/3K4/3P4/8/8/8 w - - 0 1", true},  // ... or in front of a pawn on rank 4
        {"3k4/8/3K4/3P4/8/8/8/8 w - - 0 1", false},
        {"8/8/8/2k5/8/8/3P4/3K4 w - - 0 1", false},
        {"k7/8/8/8/8/8/P7/K7 w - - 0 1", true},  // rook pawn: defender in the corner
        {"7k/8/8/8/8/8/7P/7K w - - 0 1", true},
        {"8/8/2k5/8/8/8/P7/K7 w - - 0 1", true},   // ... or on the c-file above the pawn
        {"8/8/8/8/8/2k5/P7/K7 w - - 0 1", false},  // a2 counts as a3
    };
    for (const auto& c : cases) EXPECT_EQ(drawn(c.fen), c.expected) << c.fen;
}

TEST(EvalEndgameRules, SideRules) {
    const struct {
        const char* fen;
        int white, black;
    } cases[] = {
        // Rook pawns with the wrong bishop, or none, against a king at the corner.
        {"8/1k6/8/8/8/P7/P7/2B1K3 w - - 0 1", 0, 16},
        {"8/1k6/8/8/8/P7/P7/3BK3 w - - 0 1", 16, 16},
        {"8/1k6/8/8/8/P7/P7/4K3 w - - 0 1", 0, 16},
        {"4k3/7p/7p/8/8/8/6K1/8 w - - 0 1", 16, 0},
        // A lone bishop's pawns blockaded on a square of the other colour.
        {"4k3/8/8/8/4P3/8/8/2B1K2n w - - 0 1", 1, 16},
        {"4k3/8/8/8/4P3/8/8/4KB1n w - - 0 1", 16, 16},
        {"8/8/8/8/4P3/4k3/8/2B1K2n b - - 0 1", 16, 16},  // the king behind the pawn
        // Knight and pawn blockaded, up to the sixth rank.
        {"4k3/8/8/8/4P3/8/8/1N2K2b w - - 0 1", 1, 16},
        {"4k3/4P3/8/8/8/8/8/1N2K2b w - - 0 1", 16, 16},
    };
    for (const auto& c : cases) EXPECT_EQ(rulesOf(c.fen), std::make_pair(c.white, c.black)) << c.fen;
    Position pos = loadFen("8/1k6/8/8/8/P7/P7/2B1K3 w - - 0 1");
    EXPECT_EQ(freshEvaluate(pos), 0);
}

TEST(EvalEndgameRules, Recognisers) {
    const Case cases[] = {
        // Queen against a7 with its king on b7: the queen's king five away.
        {"8/PK6/8/8/8/5k2/8/7q w - - 0 1", true},
        {"8/PK6/8/8/8/5k2/8/7q b - - 0 1", true},
        {"8/PK6/8/2k5/8/8/8/7q w - - 0 1", false},
        {"2K5/2P5/8/8/8/8/8/q5k1 w - - 0 1", true},
        {"3K4/3P4/8/8/8/8/8/q5k1 w - - 0 1", false},
        // Rook against e2 supported by its king; the move decides.
        {"8/8/8/8/8/3k4/4p3/R6K b - - 0 1", true},
        {"8/8/8/8/8/3k4/4p3/R6K w - - 0 1", false},
        {"8/8/8/k7/8/8/4p3/R6K b - - 0 1", false},
        // Bishop against e3: b5 sees e2, unless its own king stands between.
        {"8/8/8/1B6/8/4p3/8/K5k1 w - - 0 1", true},
        {"B7/8/8/8/8/4p3/8/K5k1 w - - 0 1", false},
        {"8/8/8/1B6/2K5/4p3/8/6k1 w - - 0 1", false},
        {"8/8/8/1B6/2k5/4p3/8/K7 b - - 0 1", true},
        // Knight against the pawn's path; for a rook pawn the corner is left out.
        {"8/8/8/8/5N2/4p3/8/K5k1 w - - 0 1", true},
        {"N7/8/8/8/8/4p3/8/K5k1 w - - 0 1", false},
        {"8/8/8/8/8/p7/8/K1N3k1 w - - 0 1", true},
        {"8/8/8/8/8/pN6/8/K5k1 w - - 0 1", false},
        // Knight and a7 against the king in the corner.
        {"k7/P7/8/8/8/8/8/K1N5 w - - 0 1", true},
        {"8/P7/8/8/8/8/5k2/K1N5 w - - 0 1", false},
        // Rook and pawn against rook.
        {"3k3r/8/8/3P4/8/8/8/R3K3 w - - 0 1", true},
        {"2k4r/8/8/3P4/8/8/8/R3K3 w - - 0 1", false},
        {"7r/3k4/8/3P4/8/8/8/R3K3 w - - 0 1", true},
        // Bishop and pawn against a bishop of the other colour covering c7.
        {"7k/8/8/b1P5/8/8/4B3/K7 w - - 0 1", true},
        {"7k/8/b7/2P5/8/8/4B3/K7 w - - 0 1", false},
    };
    for (const auto& c : cases) EXPECT_EQ(rulesOf(c.fen) == std::make_pair(1, 1), c.expected) << c.fen;
    // Both scales 1 leave a sixteenth of the score.
    Position held = loadFen("k7/P7/8/8/8/8/8/K1N5 w - - 0 1"), free = loadFen("8/P7/8/8/8/8/5k2/K1N5 w - - 0 1");
    const int heldScore = freshEvaluate(held);
    EXPECT_GT(heldScore, 0);
    EXPECT_LT(heldScore * 8, freshEvaluate(free));
}

TEST(EvalEndgame, NormalisedListPlaysThePawnSideUpOnFilesAToD) {
    Position pos = loadFen("8/8/8/8/8/3k4/4p3/R6K b - - 0 1");
    Square list[NORMALISED_LIST_SIZE];
    ASSERT_EQ(normaliseEndgame(pos, 1, list), 4);
    // Black's king d3 and pawn e2, then White's king h1 and rook a1, turned and mirrored.
    const Square expected[5] = {makeSquare(4, 5), makeSquare(3, 6), makeSquare(0, 7), makeSquare(7, 7), 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list[i], expected[i]);
    EXPECT_TRUE(hasBishopOnColour(loadFen("4k3/8/8/8/8/8/8/2B1KN2 w - - 0 1"), 0, makeSquare(0, 0)));
    EXPECT_FALSE(hasBishopOnColour(loadFen("4k3/8/8/8/8/8/8/2Q1KN2 w - - 0 1"), 0, makeSquare(0, 0)));
}

}  // namespace
}  // namespace tallomir::test

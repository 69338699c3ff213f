// Pawn structure: the cached static terms, the facts other terms read from
// the pawn entry, and the passed pawns scored at every evaluation.
#include <gtest/gtest.h>

#include "board/see.hpp"
#include "eval/eval_helpers.hpp"
#include "eval/pawns.hpp"
#include "support.hpp"

namespace tallomir::test {
namespace {

PawnEntry pawnsOf(const char* fen) {
    Position pos = loadFen(fen);
    PawnEntry p;
    computePawns(pos, p);
    return p;
}

// evalPassedPawns alone: {mid, end}.
std::pair<int, int> passedOf(const char* fen) {
    Position pos = loadFen(fen);
    PawnEntry p;
    computePawns(pos, p);
    int mid = 0, end = 0;
    evalPassedPawns(pos, p, mid, end);
    return {mid, end};
}

TEST(EvalPawns, StructureTerms) {
    const int dm = EDITION.doubledMid, de = EDITION.doubledEnd;
    const struct {
        const char* fen;
        int mid, end;
    } cases[] = {
        // a2 and a3: both isolated, a3 doubled and open. A passed pawn pays too.
        {"4k3/8/8/8/8/P7/P7/4K3 w - - 0 1", -10 + dm - 20, -40 + de - 40},
        // A tripled file pays the doubled penalty twice.
        {"4k3/8/8/8/P7/P7/P7/4K3 w - - 0 1", -10 + dm - 10 + dm - 20, -40 + 2 * (de - 40)},
        // c2 may still catch up with d4: not backward.
        {"4k3/8/8/8/3P4/8/2P5/4K3 w - - 0 1", 0, 0},
        // b5 covers c4: c2 is backward and open; b5 isolated and open.
        {"4k3/8/8/1p6/3P4/8/2P5/4K3 w - - 0 1", -16 + 20, -10 + 40},
        // A black pawn on c3 blocks c2: backward, not open; c3 isolated behind c2.
        {"4k3/8/8/8/3P4/2p5/2P5/4K3 w - - 0 1", -8 + 10, -10 + 40},
        // d3 level with e3 against e5: a candidate on rank 3 (+5/+10); e5 isolated, closed.
        {"4k3/8/8/4p3/8/3PP3/8/4K3 w - - 0 1", 5 + 10, 10 + 40},
        // d4 backed by c3 against e6: a candidate on rank 4 (+10/+20); e6 isolated, open.
        {"4k3/8/4p3/8/3P4/2P5/8/4K3 w - - 0 1", 10 + 20, 20 + 40},
    };
    for (const auto& c : cases) {
        const PawnEntry p = pawnsOf(c.fen);
        EXPECT_EQ(p.mid, c.mid) << c.fen;
        EXPECT_EQ(p.end, c.end) << c.fen;
    }
    EXPECT_EQ(pawnsOf("4k3/8/8/8/3P4/8/2P5/4K3 w - - 0 1").passedFiles[0], 0x0C);
    EXPECT_EQ(pawnsOf("4k3/8/4p3/8/3P4/2P5/8/4K3 w - - 0 1").passedFiles[0], 0x04);
}

TEST(EvalPawns, FactsForOtherTerms) {
    // a2, c2 and e2 are light squares (a1 is dark); a7 is dark, b7 light.
    const PawnEntry p = pawnsOf("4k3/pp6/8/8/8/8/P1P1P3/4K3 w - - 0 1");
    EXPECT_EQ(p.secondRankPawns[0] + p.secondRankPawns[1], 2);
    EXPECT_EQ(p.darkPawns[0], 0);
    EXPECT_EQ(p.darkPawns[1], 1);
    EXPECT_EQ(pawnsOf("4k3/8/8/8/8/2P5/8/4K3 w - - 0 1").secondRankPawns[0], 0);
}

TEST(EvalPawns, LonePawnSquare) {
    EXPECT_EQ(pawnsOf("4k3/8/8/7P/8/7P/8/4K3 w - - 0 1").lonePawnSquare[0], makeSquare(7, 4));  // frontmost
    EXPECT_EQ(pawnsOf("4k3/8/6p1/7P/8/7P/8/4K3 w - - 0 1").lonePawnSquare[0], 0);               // g6 ahead of h3
    EXPECT_EQ(pawnsOf("4k3/8/8/7P/8/7P/6p1/4K3 w - - 0 1").lonePawnSquare[0], makeSquare(7, 4));
    EXPECT_EQ(pawnsOf("4k3/8/8/7P/8/6P1/8/4K3 w - - 0 1").lonePawnSquare[0], 0);  // two files
    // Black: a4 is on its relative row 8, file column 4.
    EXPECT_EQ(pawnsOf("4k3/p7/8/8/p7/8/8/4K3 w - - 0 1").lonePawnSquare[1], 8 * 16 + 4);
}

// Expected endgame half of one white passed pawn: flat part plus the weighted base.
int passedEnd(int w, int base, int enemyKing, int ownKing) {
    base += EDITION.passedEnemyKingWeight * enemyKing - EDITION.passedOwnKingWeight * ownKing;
    return EDITION.passedEndFlat + (base > 0 ? (w * base + 128) / 256 : 0);
}

TEST(EvalPassedPawns, LowPawnEarnsOnlyTheFlatBonuses) {
    EXPECT_EQ(passedOf("4k3/8/8/8/8/P7/8/4K3 w - - 0 1"), std::make_pair(EDITION.passedMidFlat, EDITION.passedEndFlat));
}

TEST(EvalPassedPawns, SquareRuleAndEscort) {
    const int unstoppable = EDITION.passedUnstoppable, base = EDITION.passedBase;
    // b6 outside the square of a king on h1.
    const auto outside = passedOf("8/8/1P6/8/8/8/8/4K2k w - - 0 1");
    EXPECT_EQ(outside.first, (60 * 154 + 128) / 256 + EDITION.passedMidFlat);
    EXPECT_EQ(outside.second, passedEnd(154, unstoppable, 6, 6));
    // A king on c8 stops it and takes on b7.
    EXPECT_EQ(passedOf("2k5/8/1P6/8/8/8/8/4K3 w - - 0 1").second, passedEnd(154, base, 1, 6));
    // e4 against a king five squares from e8: caught only when Black is to move
    // (then the push to e5 is still safe).
    EXPECT_EQ(passedOf("8/8/8/8/4P3/k7/8/7K w - - 0 1").second, passedEnd(26, unstoppable, 4, 4));
    EXPECT_EQ(passedOf("8/8/8/8/4P3/k7/8/7K b - - 0 1").second, passedEnd(26, EDITION.passedSafePush, 4, 4));
    // Escorted by its king, also for an a-pawn from the b-file, but not by a
    // king on the a-file itself (which here also blocks the push).
    EXPECT_EQ(passedOf("4k3/2K5/1P6/8/8/8/8/8 b - - 0 1").second, passedEnd(154, unstoppable, 3, 1));
    EXPECT_EQ(passedOf("3k4/1K6/P7/8/8/8/8/8 b - - 0 1").second, passedEnd(154, unstoppable, 3, 1));
    EXPECT_EQ(passedOf("2k5/K7/P7/8/8/8/8/8 b - - 0 1").second, passedEnd(154, base, 2, 0));
}

TEST(EvalPassedPawns, SafePushNeedsAnEmptyStopSquareThatHolds) {
    // Black keeps a rook, so the square rule is not asked; d5 pushes to d6.
    const int safe = passedEnd(77, EDITION.passedSafePush, 2, 5), unsafe = passedEnd(77, EDITION.passedBase, 2, 5);
    EXPECT_EQ(passedOf("4k3/8/8/3P4/8/8/7r/3RK3 w - - 0 1").second, safe);
    EXPECT_EQ(passedOf("4k3/8/3n4/3P4/8/8/7r/3RK3 w - - 0 1").second, unsafe);  // d6 occupied
    EXPECT_EQ(passedOf("3rk3/8/8/3P4/8/8/8/4K3 w - - 0 1").second, unsafe);     // the rook takes on d6
    EXPECT_EQ(passedOf("3rk3/8/8/3P4/8/8/8/3RK3 w - - 0 1").second, safe);      // and is taken through the pawn
}

TEST(EvalPassedPawns, UncontestedPushAgreesWithTheExchangeEvaluation) {
    for (const std::string& fen : samplePositions()) {
        Position pos = loadFen(fen);
        for (int c = 0; c < 2; ++c) {
            for (const std::uint8_t* p = pos.pawnList[c]; *p; ++p) {
                const Square from = *p, to = from + pawnPush[c];
                if (pos.board[to] == EMPTY && pushUncontested(pos, c, from, to)) {
                    EXPECT_EQ(staticExchange(pos, encodeMove(numberOf(from), numberOf(to))), 0) << fen;
                }
            }
        }
    }
}

}  // namespace
}  // namespace tallomir::test

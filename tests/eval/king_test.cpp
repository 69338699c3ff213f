// King shelter: a fixed opening-half penalty for a king not castled behind
// its pawns while the opponent keeps a queen and another piece.
#include <gtest/gtest.h>

#include "eval/king.hpp"
#include "eval/material.hpp"
#include "support.hpp"

namespace tallomir::test {
namespace {

int shelterOf(const char* fen) {
    Position pos = loadFen(fen);
    MaterialEntry m;
    computeMaterial(pos, m);
    int mid = 0;
    evalKingShelter(pos, m, mid);
    return mid;
}

TEST(EvalKingShelter, ShapesAndConditions) {
    const int p = EDITION.kingShelterPenalty;
    const struct {
        const char* fen;
        int mid;
    } cases[] = {
        {"r1bqk3/8/8/8/8/8/PPPPPPPP/4K3 w - - 0 1", -p},  // e1 is never sheltered
        {"r1b1k3/8/8/8/8/8/PPPPPPPP/4K3 w - - 0 1", 0},   // no queen against it
        {"3qk3/8/8/8/8/8/PPPPPPPP/4K3 w - - 0 1", 0},     // a queen alone
        {"r1bqk3/8/8/8/8/8/5PPP/6K1 w - - 0 1", 0},      {"r1bqk3/8/8/8/8/7P/6P1/6K1 w - - 0 1", 0},  // g2 with h3
        {"r1bqk3/8/8/8/8/6P1/5P1P/7K w - - 0 1", 0},                                                  // f2, g3, h2
        {"r1bqk3/8/8/8/8/8/5PP1/6K1 w - - 0 1", -p},   // g2 needs h2 or h3
        {"r1bqk3/8/8/8/8/6P1/5P2/6K1 w - - 0 1", -p},  // f2-g3 needs h2
        {"r1bqk3/8/8/8/8/8/PP6/1K6 w - - 0 1", 0},       {"r1bqk3/8/8/8/8/1P6/P1P5/K7 w - - 0 1", 0},  // c2, b3, a2
        {"r1bqk3/8/8/8/8/8/PPP5/2K5 w - - 0 1", -p},  // c1 never counts
        {"6k1/5pp1/8/8/8/8/8/R1BQK3 w - - 0 1", p},   // Black's side
        {"1k6/p1p5/1p6/8/8/8/8/R1BQK3 w - - 0 1", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(shelterOf(c.fen), c.mid) << c.fen;
}

}  // namespace
}  // namespace tallomir::test

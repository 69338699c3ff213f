// The material table: endgame classes, flags, scales, phase, balance and the
// entry shared by every position with the same counts.
#include <gtest/gtest.h>

#include "eval/eval_helpers.hpp"
#include "eval/evaluate.hpp"
#include "eval/material.hpp"
#include "support.hpp"

namespace tallomir::test {
namespace {

MaterialEntry materialOf(const char* fen) {
    Position pos = loadFen(fen);
    MaterialEntry m{};
    computeMaterial(pos, m);
    return m;
}

// Kings on e3 and e6 with the men given (FEN letters, e.g. "BP" against "b"):
// pieces from a1 and a8 along the back ranks, pawns from a2 and a7.
std::string ending(const std::string& white, const std::string& black) {
    auto rank = [](const std::string& men, bool pawns) {
        std::string r;
        for (char ch : men)
            if ((ch == 'P' || ch == 'p') == pawns) r += ch;
        return r.empty() ? std::string("8") : r + (r.size() < 8 ? std::to_string(8 - r.size()) : "");
    };
    return rank(black, false) + "/" + rank(black, true) + "/4k3/8/8/4K3/" + rank(white, true) + "/" +
           rank(white, false) + " w - - 0 1";
}

TEST(EvalMaterial, EndgameClasses) {
    const struct {
        const char *white, *black;
        int cls;
    } cases[] = {{"", "", 1},     {"B", "", 2},    {"", "b", 3},    {"N", "", 4},   {"", "n", 5},   {"P", "", 6},
                 {"", "p", 7},    {"Q", "q", 8},   {"Q", "p", 9},   {"P", "q", 10}, {"R", "r", 11}, {"R", "p", 12},
                 {"P", "r", 13},  {"B", "b", 14},  {"B", "p", 15},  {"P", "b", 16}, {"BP", "", 17}, {"", "bp", 18},
                 {"N", "n", 19},  {"N", "p", 20},  {"P", "n", 21},  {"NP", "", 22}, {"", "np", 23}, {"RP", "r", 24},
                 {"R", "rp", 25}, {"BP", "b", 26}, {"B", "bp", 27}, {"R", "n", 0},  {"P", "p", 0},  {"BB", "", 0},
                 {"RP", "", 0},   {"N", "b", 0},   {"QR", "q", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(materialOf(ending(c.white, c.black).c_str()).endgameClass, c.cls) << c.white << " v " << c.black;
}

TEST(EvalMaterial, DrawFlags) {
    for (const char* men : {"", "N", "B"}) EXPECT_TRUE(materialOf(ending(men, "").c_str()).drawFlags & DRAW_CANDIDATE);
    EXPECT_TRUE(materialOf(ending("B", "b").c_str()).drawFlags & DRAW_CANDIDATE);
    EXPECT_TRUE(materialOf(ending("P", "").c_str()).drawFlags & DRAW_CANDIDATE);
    EXPECT_TRUE(materialOf(ending("", "bp").c_str()).drawFlags & DRAW_CANDIDATE);
    EXPECT_FALSE(materialOf(ending("N", "n").c_str()).drawFlags & DRAW_CANDIDATE);
    EXPECT_FALSE(materialOf(ending("BP", "b").c_str()).drawFlags & DRAW_CANDIDATE);
    // Bishops only, with a pawn difference of at most two.
    EXPECT_TRUE(materialOf(ending("BPP", "b").c_str()).drawFlags & BISHOPS_ONLY);
    EXPECT_TRUE(materialOf(ending("BP", "bppp").c_str()).drawFlags & BISHOPS_ONLY);
    EXPECT_FALSE(materialOf(ending("BPPP", "b").c_str()).drawFlags & BISHOPS_ONLY);
    EXPECT_FALSE(materialOf(ending("BNPP", "b").c_str()).drawFlags & BISHOPS_ONLY);
}

TEST(EvalMaterial, Scales) {
    const struct {
        const char *white, *black;
        int scaleWhite;
    } cases[] = {
        {"", "", 2},      {"N", "", 0},    {"NN", "", 0},    {"NN", "p", 1},  {"NN", "np", 0},
        {"BB", "n", 8},   {"BB", "b", 2},  {"R", "b", 2},    {"R", "", 16},   {"Q", "r", 16},
        {"QR", "qr", 16}, {"RR", "rr", 2}, {"BP", "b", 4},   {"NP", "n", 4},  {"NNP", "n", 4},
        {"P", "n", 8},    {"RP", "r", 16}, {"RP", "rb", 8},  {"RP", "b", 16}, {"QP", "q", 16},
        {"P", "", 16},    {"P", "q", 16},  {"BPP", "b", 16}, {"Q", "q", 0},   {"R", "r", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(materialOf(ending(c.white, c.black).c_str()).scale[0], c.scaleWhite) << c.white << " v " << c.black;
    // Black's scale mirrors White's; equal queens or rooks alone zero both.
    EXPECT_EQ(materialOf(ending("N", "bb").c_str()).scale[1], 8);
    EXPECT_EQ(materialOf(ending("NN", "p").c_str()).scale[1], 8);
    EXPECT_EQ(materialOf(ending("R", "r").c_str()).scale[1], 0);
}

TEST(EvalMaterial, SideFlags) {
    EXPECT_EQ(materialOf(ending("BPP", "n").c_str()).sideFlags[0], ONLY_BISHOPS_AND_PAWNS | LONE_BISHOP_VS_PIECE);
    EXPECT_EQ(materialOf(ending("BBPP", "n").c_str()).sideFlags[0], ONLY_BISHOPS_AND_PAWNS);
    EXPECT_EQ(materialOf(ending("PP", "p").c_str()).sideFlags[0], ONLY_BISHOPS_AND_PAWNS);
    EXPECT_EQ(materialOf(ending("NP", "b").c_str()).sideFlags[0], KNIGHT_PAWN_VS_PIECE);
    EXPECT_EQ(materialOf(ending("NP", "p").c_str()).sideFlags[0], 0);
    EXPECT_EQ(materialOf(ending("R", "qr").c_str()).sideFlags[0], FACES_QUEEN);
    EXPECT_EQ(materialOf(ending("R", "q").c_str()).sideFlags[0], 0);
}

TEST(EvalMaterial, Phase) {
    EXPECT_EQ(materialOf("startpos").phase, 0);
    EXPECT_EQ(materialOf(ending("PPP", "pp").c_str()).phase, 256);
    EXPECT_EQ(materialOf(ending("R", "").c_str()).phase, 235);       // (256 * 22 + 12) / 24
    EXPECT_EQ(materialOf(ending("", "n").c_str()).phase, 245);       // (256 * 23 + 12) / 24
    EXPECT_EQ(materialOf(ending("QQQQ", "qqqq").c_str()).phase, 0);  // raised to 0
}

TEST(EvalMaterial, BalanceWithImbalanceAndBishopPair) {
    const int N = EDITION.knightValue, B = EDITION.bishopValue;
    const int imbalance = EDITION.imbalanceBonus, pair = EDITION.bishopPairBonus;
    // A minor piece against three pawns earns the imbalance bonus; a rook
    // against a minor does not, the piece counts being equal.
    EXPECT_EQ(materialOf(ending("N", "ppp").c_str()).materialMid, N - 300 + imbalance);
    EXPECT_EQ(materialOf(ending("R", "n").c_str()).materialMid, 500 - N);
    EXPECT_EQ(materialOf(ending("PPP", "b").c_str()).materialMid, 300 - B - imbalance);
    EXPECT_EQ(materialOf(ending("BB", "bn").c_str()).materialMid, B - N + pair);
    // An own pawn on d4, e4, d5 or e5 cancels the pair; an enemy one does not.
    for (const char* fen : {"4k3/p7/8/8/3P4/8/8/2B1KB2 w - - 0 1", "4k3/p7/8/4P3/8/8/8/2B1KB2 w - - 0 1"})
        EXPECT_EQ(materialOf(fen).materialMid, 2 * B + imbalance) << fen;
    EXPECT_EQ(materialOf("2b1kb2/8/8/8/3P4/8/8/4K3 w - - 0 1").materialMid, 100 - 2 * B - imbalance - pair);
    EXPECT_EQ(materialOf("startpos").pieceMaterial[0], 2000 + 2 * N + 2 * B);
}

TEST(EvalMaterial, EntryIsSharedByEveryPositionWithTheSameCounts) {
    // The first position to fill the slot decides the bishop-pair bonus.
    Position blocked = loadFen("4k3/p7/8/8/4P3/8/8/2B1KB2 w - - 0 1");
    Position open = loadFen("4k3/p7/8/8/8/8/4P3/2B1KB2 w - - 0 1");
    ASSERT_EQ(blocked.materialKey, open.materialKey);
    MaterialEntry a, b, fresh;
    testCaches().clear();
    probeMaterial(testCaches().material, blocked, a);
    probeMaterial(testCaches().material, open, b);
    computeMaterial(open, fresh);
    EXPECT_EQ(b.materialMid, a.materialMid);
    EXPECT_EQ(fresh.materialMid, a.materialMid + EDITION.bishopPairBonus);
    testCaches().clear();
}

}  // namespace
}  // namespace tallomir::test

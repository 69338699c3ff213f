// The three hash keys: published Polyglot keys of known positions, and the
// incremental keys against keys computed from scratch.
#include <gtest/gtest.h>

#include "board/board_helpers.hpp"
#include "board/makemove.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"

namespace tallomir {
namespace {

struct KeyCase {
    const char* moves;
    HashKey key;
};

// Published Polyglot keys after move sequences from the start position.
const KeyCase polyglotKeys[] = {
    {"", 0x463b96181691fc9cULL},
    {"e2e4", 0x823c9b50fd114196ULL},
    {"e2e4 d7d5", 0x0756b94461c50fb0ULL},
    {"e2e4 d7d5 e4e5", 0x662fafb965db29d4ULL},
    {"e2e4 d7d5 e4e5 f7f5", 0x22a48b5a8e47ff78ULL},
    {"e2e4 d7d5 e4e5 f7f5 e1e2", 0x652a607ca3f242c1ULL},
    {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", 0x00fdd303c946bdd9ULL},
    {"a2a4 b7b5 h2h4 b5b4 c2c4", 0x3c8123ea7b067637ULL},
    {"a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", 0x5c3f9b829b279560ULL},
};

TEST(Keys, PublishedPolyglotKeys) {
    for (const KeyCase& c : polyglotKeys) {
        Position pos = test::loadFen("startpos");
        test::playMoves(pos, c.moves);
        EXPECT_EQ(pos.key, c.key) << c.moves;
        EXPECT_EQ(pos.key, computeKey(pos)) << c.moves;
    }
}

TEST(Keys, IncrementalKeysEqualScratchKeysInRandomGames) {
    int games = 0, plies = 0;
    for (const std::string& start : test::randomGameStarts()) {
        for (std::uint64_t seed = 1; seed <= 6; ++seed, ++games) {
            Position pos = test::loadFen(start);
            test::Rng rng(seed * 7919 + games);
            for (int ply = 0; ply < 300 && pos.fiftyCount < 100; ++ply, ++plies) {
                const Move m = test::randomMove(pos, rng);
                if (!m) break;
                UndoRecord undo;
                makeMove(pos, undo, m);
                ASSERT_EQ(pos.key, computeKey(pos)) << start << " after " << moveToText(m) << " at ply " << ply;
                ASSERT_EQ(pos.pawnKey, computePawnKey(pos)) << start << " ply " << ply;
                ASSERT_EQ(pos.materialKey, computeMaterialKey(pos)) << start << " ply " << ply;
            }
        }
    }
    EXPECT_GT(plies, 5000);
}

TEST(Keys, CastlingKeyChangesByExactlyTheLostRights) {
    Position pos = test::loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    const HashKey before = pos.key;
    UndoRecord undo;
    const Move rxh8 = textToMove(pos, "h1h8");
    makeMove(pos, undo, rxh8);
    // The rook left h1 (white short) and took on h8 (black short).
    EXPECT_EQ(pos.castling, 2 | 8);
    EXPECT_EQ(pos.key, computeKey(pos));
    unmakeMove(pos, undo, rxh8);
    EXPECT_EQ(pos.key, before);

    const Move kingStep = textToMove(pos, "e1d1");
    makeMove(pos, undo, kingStep);
    EXPECT_EQ(pos.castling, 4 | 8);
    EXPECT_EQ(pos.key, computeKey(pos));
}

TEST(Keys, MaterialKeyDependsOnlyOnTheMaterial) {
    // Knight takes knight, king takes knight: the key of bare kings, wherever
    // they stand, and a key unlike the one with both knights.
    Position pos = test::loadFen("4k3/8/3n4/8/4N3/8/8/4K3 w - - 0 1");
    const HashKey start = pos.materialKey;
    test::playMoves(pos, "e4d6 e8d7 e1e2 d7d6");
    EXPECT_NE(pos.materialKey, start);
    EXPECT_EQ(pos.materialKey, test::loadFen("k7/8/8/8/8/8/8/7K b - - 0 1").materialKey);
    // Quiet moves and exchanges of equal pieces that lead to the same material.
    Position a = test::loadFen("4k3/8/3n4/8/4N3/8/8/4K3 w - - 0 1");
    test::playMoves(a, "e4c5 d6c4");
    EXPECT_EQ(a.materialKey, start);
    EXPECT_NE(a.key, pos.key);

    // A promotion gives a key no unpromoted position has.
    Position promo = test::loadFen("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    const HashKey pawnUp = promo.materialKey;
    test::playMoves(promo, "b7b8q");
    EXPECT_NE(promo.materialKey, pawnUp);
    EXPECT_EQ(promo.materialKey, test::loadFen("1Q2k3/8/8/8/8/8/8/4K3 b - - 0 1").materialKey);
    EXPECT_EQ(promo.pawnKey, 0u);
}

TEST(Keys, TransposedMoveOrdersGiveTheSameKeys) {
    Position a = test::loadFen("startpos"), b = test::loadFen("startpos");
    test::playMoves(a, "g1f3 g8f6 b1c3 b8c6");
    test::playMoves(b, "b1c3 b8c6 g1f3 g8f6");
    EXPECT_EQ(a.key, b.key);
    // A double step that allows no capture leaves no en-passant trace.
    Position c = test::loadFen("startpos"), d = test::loadFen("startpos");
    test::playMoves(c, "e2e4 e7e6 e4e5 d7d5");
    test::playMoves(d, "e2e4 d7d6 e4e5 d6d5");
    EXPECT_NE(c.key, d.key);  // after d7d5 White can take en passant
    EXPECT_NE(c.epSquare, 0);
    EXPECT_EQ(d.epSquare, 0);
}

}  // namespace
}  // namespace tallomir

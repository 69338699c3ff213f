// Static exchange evaluation: the shared vectors in every edition, every move
// along random games, and the exchanges whose rules are easy to get wrong
// (x-rays, promotions, en passant, the king as the last capturer).
#include <gtest/gtest.h>

#include <algorithm>

#include "board/board_helpers.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "board/movegen.hpp"
#include "board/see.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"

namespace tallomir {
namespace {

int see(const char* fen, const char* move) {
    const Position pos = test::loadFen(fen);
    const Move m = textToMove(pos, move);
    EXPECT_NE(m, 0) << move;
    return staticExchange(pos, m);
}

const int knight = EDITION.knightValue;
const int bishop = EDITION.bishopValue;

TEST(StaticExchange, SharedVectorsOfThisEdition) {
    const auto rows = test::readTable("see.tsv");
    ASSERT_GT(rows.size(), 60u);
    for (const auto& row : rows) {
        const int expected = std::stoi(row.at(2 + test::editionColumn()));
        EXPECT_EQ(see(row.at(0).c_str(), row.at(1).c_str()), expected) << row.at(0) << " " << row.at(1);
    }
}

// The exchange value of every generated move along a random game from fen
// (and that the sign test agrees with it), folded into one number that depends neither on the generators' order nor on
// anything but the values. The game prefers captures, so that exchanges stay
// on the board, and picks among the legal moves sorted by their code.
std::uint64_t exchangeChecksum(const std::string& fen) {
    Position pos = test::loadFen(fen);
    std::uint64_t sum = 0, seed = 0x2545F4914F6CDD1DULL;
    for (int ply = 0; ply < 48; ++ply) {
        for (const Move move : test::pseudoLegalMoves(pos)) {
            const int value = staticExchange(pos, move);
            EXPECT_EQ(exchangeHolds(pos, move), value >= 0) << fen << " ply " << ply;
            std::uint64_t x = (std::uint64_t(ply) << 40) ^ (std::uint64_t(move) << 20) ^ std::uint64_t(value + 20000);
            x *= 0x9E3779B97F4A7C15ULL;
            sum += x ^ (x >> 29);
        }
        MoveList legal;
        generateLegal(pos, legal);
        if (legal.count == 0 || pos.fiftyCount >= 100) break;
        std::sort(legal.moves, legal.moves + legal.count);
        Move captures[MAX_MOVES];
        int captureCount = 0;
        for (int i = 0; i < legal.count; ++i)
            if (pos.board[moveToSquare(legal.moves[i])] != EMPTY) captures[captureCount++] = legal.moves[i];
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const int pick = static_cast<int>(seed >> 33);
        const Move m =
            captureCount && (pick & 3) ? captures[(pick >> 2) % captureCount] : legal.moves[(pick >> 2) % legal.count];
        UndoRecord undo;
        makeMove(pos, undo, m);
    }
    return sum;
}

// The numbers were recorded with the list-based routine this one replaced:
// any difference in a value, a sign or the order of equal men shows here.
TEST(StaticExchange, EveryMoveAlongRandomGames) {
    const auto rows = test::readTable("see-games.tsv");
    ASSERT_GT(rows.size(), 90u);
    for (const auto& row : rows)
        EXPECT_EQ(exchangeChecksum(row.at(0)), std::stoull(row.at(1 + test::editionColumn()))) << row.at(0);
}

TEST(StaticExchange, SimpleGainsAndLosses) {
    EXPECT_EQ(see("4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5"), knight);
    EXPECT_EQ(see("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5"), 100 - 1000);
    // A quiet move onto a square an enemy pawn guards and no own man defends.
    EXPECT_EQ(see("4k3/8/8/2p5/8/8/2N5/4K3 w - - 0 1", "c2d4"), -knight);
    EXPECT_EQ(see("4k3/8/8/2p5/8/8/2N5/4K3 w - - 0 1", "c2e3"), 0);
    // Bishop takes a knight defended by a pawn: the difference of the minors.
    EXPECT_EQ(see("4k3/8/4p3/3n4/8/1B6/8/4K3 w - - 0 1", "b3d5"), knight - bishop);
}

TEST(StaticExchange, XRaysJoinBehindTheCapturer) {
    EXPECT_EQ(see("3r2k1/8/8/3r4/8/8/3R4/6K1 w - - 0 1", "d2d5"), 0);
    EXPECT_EQ(see("3r2k1/8/8/3r4/8/8/3R4/3Q2K1 w - - 0 1", "d2d5"), 500);
    // The queen in front loses itself, the rook behind wins it back.
    EXPECT_EQ(see("3r2k1/8/8/3r4/8/8/3Q4/6K1 w - - 0 1", "d2d5"), 500 - 1000);
    EXPECT_EQ(see("3r2k1/8/8/3r4/8/8/3Q4/3R2K1 w - - 0 1", "d2d5"), 0);
    // A bishop behind a pawn on the diagonal keeps the knight from recapturing.
    EXPECT_EQ(see("4k3/8/3n4/5p2/6P1/8/8/4K3 w - - 0 1", "g4f5"), 0);
    EXPECT_EQ(see("4k3/8/3n4/5p2/6P1/7B/8/4K3 w - - 0 1", "g4f5"), 100);
}

TEST(StaticExchange, KingNeverFinishesOnADefendedSquare) {
    EXPECT_EQ(see("4k3/8/8/8/8/4p3/3p4/3K4 w - - 0 1", "d1d2"), 100 - 10000);
    EXPECT_EQ(see("4k3/8/8/8/8/8/3p4/3K4 w - - 0 1", "d1d2"), 100);
}

TEST(StaticExchange, PromotionsCount) {
    // Pawn takes a rook and promotes; nothing recaptures.
    EXPECT_EQ(see("1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7b8q"), 500 + 900);
    // The king takes the new queen back.
    EXPECT_EQ(see("1rk5/P7/8/8/8/8/8/4K3 w - - 0 1", "a7b8q"), 500 + 900 - 1000);
    // An underpromotion gains less.
    EXPECT_EQ(see("1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7b8n"), 500 + knight - 100);
    // A black pawn recaptures onto the first rank and promotes on the way.
    EXPECT_EQ(see("4k3/8/8/8/8/8/1p5K/2n4R w - - 0 1", "h1c1"), knight - 1400);
}

TEST(StaticExchange, EnPassant) {
    EXPECT_EQ(see("4k3/8/8/3pP3/8/8/7K/8 w - d6 0 1", "e5d6"), 100);
    // A black rook behind the captured pawn recaptures once the pawn is gone.
    EXPECT_EQ(see("4k3/8/8/3pP3/8/8/7K/3r4 w - d6 0 1", "e5d6"), 0);
    // A white rook there backs the capture up against the rook on d8.
    EXPECT_EQ(see("3rk3/8/8/3pP3/8/8/7K/8 w - d6 0 1", "e5d6"), 0);
    EXPECT_EQ(see("3rk3/8/8/3pP3/8/8/7K/3R4 w - d6 0 1", "e5d6"), 100);
}

TEST(PieceValues, EditionValuesOfEveryCode) {
    const int values[12] = {100, 100, knight, knight, bishop, bishop, 500, 500, 1000, 1000, 10000, 10000};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(pieceValue(pieceCodes[i]), values[i]) << i;
    EXPECT_EQ(pieceValue(EMPTY), 0);
    EXPECT_EQ(pieceValue(OFFBOARD), 0);
    EXPECT_EQ(pieceValue(0x03), -1);
    EXPECT_EQ(pieceValue(0xFF), -1);
    if constexpr (EDITION.id == EditionId::Ostravine) {
        EXPECT_EQ(knight, 350);
        EXPECT_EQ(bishop, 300);
    } else {
        EXPECT_EQ(knight, 325);
        EXPECT_EQ(bishop, 325);
    }
    // Material sums follow the edition: two knights against two bishops.
    const Position pos = test::loadFen("1b2kb2/8/8/8/8/8/8/1N2K1N1 w - - 0 1");
    EXPECT_EQ(pos.material[0] - pos.material[1], 2 * (knight - bishop));
}

}  // namespace
}  // namespace tallomir

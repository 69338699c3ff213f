// Loading positions from FEN text: the fields of the record after a sound
// FEN, and what happens to text that is cut short, malformed or garbage.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board_helpers.hpp"
#include "support.hpp"

namespace tallomir {
namespace {

using test::sq;

TEST(FenLoad, StartPositionListsAndMaterial) {
    const Position pos = test::loadFen("startpos");
    const char* pieces[] = {"e1", "d1", "a1", "h1", "c1", "f1", "b1", "g1"};
    ASSERT_EQ(pos.pieceCount[0], 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(pos.pieceList[0][i], sq(pieces[i])) << i;
    EXPECT_EQ(pos.pieceList[0][8], 0);
    ASSERT_EQ(pos.pawnCount[0], 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(pos.pawnList[0][i], makeSquare(i, 1));
    EXPECT_EQ(pos.pawnList[0][8], 0);
    // Black's men are placed in square order too: a8 before h8.
    EXPECT_EQ(pos.pieceList[1][0], sq("e8"));
    EXPECT_EQ(pos.pieceList[1][2], sq("a8"));
    EXPECT_EQ(pos.material[0], 4100);
    EXPECT_EQ(pos.material[1], 4100);
    EXPECT_EQ(pos.totalCount, 32);
    EXPECT_EQ(pos.side, 0);
    EXPECT_EQ(pos.castling, 15);
    EXPECT_EQ(pos.pawnFileMask[0][4], 1 << 1);   // a2: the pawn's own second rank
    EXPECT_EQ(pos.pawnFileMask[1][11], 1 << 1);  // h7 seen from Black
    EXPECT_EQ(pos.pawnFileMask[0][3], 0);
    EXPECT_EQ(pos.pawnFileMask[0][12], 0);
    EXPECT_EQ(test::inconsistency(pos), "");
}

TEST(FenLoad, CastlingNeedsKingAndRookAtHome) {
    // White king on f1: neither white right; Black's are intact.
    EXPECT_EQ(test::loadFen("r3k2r/8/8/8/8/8/8/R4K1R w KQkq - 0 1").castling, 4 | 8);
    // Only the rook of one wing is missing.
    EXPECT_EQ(test::loadFen("r3k3/8/8/8/8/8/8/R3K2R w KQkq - 0 1").castling, 1 | 2 | 8);
    // The letters are read in the order K, Q, k, q: a K after the q is not seen.
    EXPECT_EQ(test::loadFen("r3k2r/8/8/8/8/8/8/R3K2R w qK - 0 1").castling, 8);
}

TEST(FenLoad, EnPassantKeptOnlyWhenACaptureIsPossible) {
    // After 1.e4 no black pawn stands beside e4: no square, and the key has no
    // en-passant part.
    const Position e4 = test::loadFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    EXPECT_EQ(e4.epSquare, 0);
    EXPECT_EQ(e4.key, 0x823C9B50FD114196ULL);
    const Position capturable = test::loadFen("4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1");
    EXPECT_EQ(capturable.epSquare, sq("e3"));
    // A square on the wrong rank for the side to move is dropped.
    EXPECT_EQ(test::loadFen("4k3/8/8/3pP3/8/8/8/4K3 b - e6 0 1").epSquare, 0);
}

TEST(FenLoad, HalfMoveCounterSeedsTheHistory) {
    const Position pos = test::loadFen("4k3/8/8/8/8/8/8/4K2R w K - 37 60");
    EXPECT_EQ(pos.fiftyCount, 37);
    EXPECT_EQ(pos.historyCount, 37);
    for (int i = 0; i < 37; ++i) EXPECT_EQ(pos.keyHistory[i], 0u) << i;
    // The text ends after the en-passant field: the counter is 0.
    const Position shortText = test::loadFen("4k3/8/8/8/8/8/8/4K2R w K -");
    EXPECT_EQ(shortText.fiftyCount, 0);
    EXPECT_EQ(shortText.historyCount, 0);
    // A huge counter never makes the history longer than the record holds.
    EXPECT_LT(test::loadFen("4k3/8/8/8/8/8/8/4K2R w K - 99999999999 1").historyCount, KEY_HISTORY_SIZE);
}

TEST(FenLoad, MissingTrailingFieldsCountAsEmpty) {
    const Position pos = test::loadFen("4k3/8/8/8/8/8/8/R3K3");
    EXPECT_EQ(pos.side, 0);
    EXPECT_EQ(pos.castling, 0);
    EXPECT_EQ(pos.epSquare, 0);
    EXPECT_EQ(pos.fiftyCount, 0);
    EXPECT_EQ(test::inconsistency(pos), "");
    // Missing ranks are empty: here only the kings' ranks are given.
    const Position cut = test::loadFen("4k3/8/8/8/8/8/8/4K3 b");
    EXPECT_EQ(cut.side, 1);
    EXPECT_EQ(cut.totalCount, 2);
}

TEST(FenLoad, WriterRoundTrip) {
    for (const std::string& fen : test::randomGameStarts()) {
        const Position pos = test::loadFen(fen);
        EXPECT_EQ(test::toFen(pos), fen.substr(0, fen.rfind(' ')) + " 1") << fen;
    }
}

// Loads text into a position that already holds something else and expects a
// rejection that leaves every byte of the record as it was.
void expectRejectedAndKept(std::string_view text) {
    Position pos = test::loadFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 5 20");
    Position before;
    std::memcpy(&before, &pos, sizeof pos);
    testing::internal::CaptureStdout();
    const FenResult r = setFromFen(pos, text);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, FenResult::Rejected) << text;
    EXPECT_EQ(printed, "") << text;  // the protocol layer words the rejection
    EXPECT_EQ(std::memcmp(&pos, &before, sizeof pos), 0) << text;
}

TEST(FenReject, ImplausiblePositionsKeepThePreviousOne) {
    expectRejectedAndKept("");
    expectRejectedAndKept("8/8/8/8/8/8/8/8 w - - 0 1");                                 // no king
    expectRejectedAndKept("rnbqkbnr/pppppppp/8");                                       // ends early: no white king
    expectRejectedAndKept("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1");  // side not w or b
    expectRejectedAndKept("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR W KQkq - 0 1");  // side in capitals
    expectRejectedAndKept("4k3/8/8/8/8/8/8/3KK3 w - - 0 1");                            // two white kings
    expectRejectedAndKept("4k3/8/8/8/8/8/8/P3K3 w - - 0 1");                            // pawn on the first rank
    expectRejectedAndKept("4k3/pppppppp/p7/8/8/8/8/4K3 w - - 0 1");                     // nine black pawns
    expectRejectedAndKept("QQQQkQQQ/QQQQQQQQ/QQ6/8/8/8/8/4K3 w - - 0 1");               // more than sixteen men
    expectRejectedAndKept("4k3/8/8/8/8/8/8/4K2r b - - 0 1");                            // side not to move in check
    expectRejectedAndKept("4k3/8/8/8/8/3n1n2/8/r3K3 w - - 0 1");                        // three checkers
}

TEST(FenReject, OverlongRanksNeverLeaveTheBoard) {
    // Nine files in a rank, digits that overshoot, a rank of 20 letters: every
    // accepted result is a sound position, every rejected one changes nothing.
    const char* texts[] = {
        "rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "4k3/8/8/8/8/8/8/4K3p w - - 0 1",
        "4k4/8/8/8/8/8/8/4K3 w - - 0 1",
        "7k8/8/8/8/8/8/8/K7 w - - 0 1",
        "k7/8/8/8/8/8/8/8K8 w - - 0 1",
        "k7/8/8/8/8/8/8/PPPPPPPPPPPPPPPPPPPPK w - - 0 1",
        "k99999999999999/8/8/8/8/8/8/K7 w - - 0 1",
    };
    for (const char* text : texts) {
        Position pos = test::loadFen("startpos");
        testing::internal::CaptureStdout();
        const FenResult r = setFromFen(pos, text);
        testing::internal::GetCapturedStdout();
        if (r == FenResult::Loaded)
            EXPECT_EQ(test::inconsistency(pos), "") << text;
        else
            EXPECT_EQ(test::firstDifference(pos, test::loadFen("startpos")), "") << text;
    }
}

TEST(FenReject, GarbageBytesAreSafe) {
    // Random bytes, and valid FENs with random bytes overwritten, inserted or
    // cut off. Whatever is accepted must be a sound position with a valid side.
    test::Rng rng(2006);
    const std::string alphabet = "PpNnBbRrQqKk12345678/ wb-KQkqabcdefgh0123456789";
    const Position reference = test::loadFen("startpos");
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        if (round % 3 == 0) {
            const int length = rng.below(100);
            for (int i = 0; i < length; ++i) text += static_cast<char>(rng.below(256));
        } else {
            const auto& starts = test::randomGameStarts();
            text = starts[rng.below(static_cast<int>(starts.size()))];
            for (int edits = 1 + rng.below(3); edits > 0; --edits) {
                const std::size_t at = static_cast<std::size_t>(rng.below(static_cast<int>(text.size()) + 1));
                const char ch = rng.below(4) == 0 ? static_cast<char>(rng.below(256))
                                                  : alphabet[rng.below(static_cast<int>(alphabet.size()))];
                switch (rng.below(3)) {
                    case 0:
                        if (at < text.size()) text[at] = ch;
                        break;
                    case 1:
                        text.insert(at, 1, ch);
                        break;
                    default:
                        text.resize(at);
                        break;
                }
            }
        }
        Position pos;
        std::memcpy(&pos, &reference, sizeof pos);
        testing::internal::CaptureStdout();
        const FenResult r = setFromFen(pos, text);
        testing::internal::GetCapturedStdout();
        if (r == FenResult::Loaded) {
            ++accepted;
            ASSERT_EQ(test::inconsistency(pos), "") << text;
        } else {
            ASSERT_EQ(std::memcmp(&pos, &reference, sizeof pos), 0) << text;
        }
    }
    EXPECT_GT(accepted, 100);  // the mutations must reach the accepting paths too
}

}  // namespace
}  // namespace tallomir

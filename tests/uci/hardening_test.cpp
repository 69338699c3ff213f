// The protocol layer under hostile or extreme input: input that fails or ends, keywords without values, "Hash" texts that overflow, and a
// search on top of the longest game the history holds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "board/board_helpers.hpp"
#include "search/search.hpp"
#include "search/tt.hpp"
#include "support.hpp"
#include "uci/go.hpp"
#include "uci/io.hpp"
#include "uci/options.hpp"
#include "uci/protocol.hpp"

namespace tallomir {
namespace {

TEST(InputFailures, ReadErrorsAreEmptyLinesAndAFailingInputEnds) {
    // Reading a directory fails with an error that is not the end of input.
    const int fd = ::open("/", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    auto reader = std::make_unique<InputReader>(fd);
    auto line = std::make_unique<char[]>(LINE_CAPACITY);
    int emptyLines = 0;
    while (reader->readLine(line.get(), LINE_CAPACITY) == ReadStatus::Line) {
        EXPECT_STREQ(line.get(), "");
        ASSERT_LT(++emptyLines, 1000) << "a failing input never ends";
    }
    EXPECT_GT(emptyLines, 0);
    EXPECT_TRUE(reader->inputWaiting());  // an ended input counts as waiting: the next read says so
    ::close(fd);
}

TEST(InputFailures, WaitingInputSeesBufferedBytesAndTheEnd) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    auto reader = std::make_unique<InputReader>(fds[0]);
    auto line = std::make_unique<char[]>(LINE_CAPACITY);
    EXPECT_FALSE(reader->inputWaiting());  // nothing yet, and it does not block
    ASSERT_EQ(::write(fds[1], "go infinite\nstop\n", 17), 17);
    EXPECT_TRUE(reader->inputWaiting());
    ASSERT_EQ(reader->readLine(line.get(), LINE_CAPACITY), ReadStatus::Line);
    EXPECT_STREQ(line.get(), "go infinite\n");
    // "stop" now sits in the reader's own buffer, not in the pipe.
    EXPECT_TRUE(reader->inputWaiting());
    ASSERT_EQ(reader->readLine(line.get(), LINE_CAPACITY), ReadStatus::Line);
    EXPECT_STREQ(line.get(), "stop\n");
    EXPECT_FALSE(reader->inputWaiting());
    ::close(fds[1]);
    EXPECT_TRUE(reader->inputWaiting());  // the end of the input is waiting too
    EXPECT_EQ(reader->readLine(line.get(), LINE_CAPACITY), ReadStatus::End);
    ::close(fds[0]);
}

TEST(GoKeywords, EveryValueKeywordAtTheEndOfTheLineIsIgnored) {
    const GoParameters none;
    for (const char* keyword : {"wtime", "btime", "winc", "binc", "movestogo", "movetime", "depth", "mate", "nodes"}) {
        const GoParameters go = parseGo(std::string("go infinite ") + keyword);
        EXPECT_TRUE(go.infinite) << keyword;
        EXPECT_EQ(go.wtime, none.wtime) << keyword;
        EXPECT_EQ(go.btime, none.btime) << keyword;
        EXPECT_EQ(go.winc, none.winc) << keyword;
        EXPECT_EQ(go.binc, none.binc) << keyword;
        EXPECT_EQ(go.movestogo, none.movestogo) << keyword;
        EXPECT_EQ(go.movetime, none.movetime) << keyword;
        EXPECT_EQ(go.depth, none.depth) << keyword;
        EXPECT_EQ(go.mate, none.mate) << keyword;
        EXPECT_EQ(go.nodes, none.nodes) << keyword;
        // Followed by blanks only, it is still the last word.
        EXPECT_EQ(parseGo(std::string("go ") + keyword + "   ").movetime, -1) << keyword;
    }
    // A keyword's value is the next word, even when that is another keyword.
    EXPECT_EQ(parseGo("go depth wtime 5000").wtime, -1);
}

class HashTexts : public testing::Test {
protected:
    void SetUp() override {
        initialiseOptions();
        engineSearcher().allocate(16);
    }
    void TearDown() override {
        initialiseOptions();
        engineSearcher().allocate(16);
    }
};

TEST_F(HashTexts, OverflowingAndNegativeValuesNeverGiveAnUnsoundTable) {
    ASSERT_TRUE(protocol().initialised);
    // Negative, zero and tiny values keep the table as it is.
    for (const char* value : {"-1", "-2147483648", "-99999999999999999999", "0", "3", "junk", ""}) {
        const TTEntry* before = engineSearcher().table().entries;
        const std::uint32_t count = engineSearcher().table().entryCount;
        setoptionCommand(std::string("setoption name Hash value ") + value);
        EXPECT_EQ(engineSearcher().table().entries, before) << value;
        EXPECT_EQ(engineSearcher().table().entryCount, count) << value;
    }
    // Values beyond the maximum read as the maximum, without overflow.
    for (const char* value : {"1025", "2147483647", "2147483648", "99999999999999999999", "4294967296"}) {
        setOption("Hash", value);
        EXPECT_EQ(ttMegabytes(optionAsInteger("Hash")), 1024) << value;
    }
    setoptionCommand("setoption name Hash value 4");
    EXPECT_EQ(engineSearcher().table().entryCount, (1u << 18) + 3);  // 4 MB of 16-byte entries
}

// "position" with thousands of plies and a search on top: the key history
// keeps room for the deepest line the search can make.
TEST(LongGames, SearchOnTopOfTheLongestHistory) {
    std::string line = "position startpos moves";
    const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < 7001; ++i) line += std::string(" ") + cycle[i % 4];
    line += " e7e5";  // a pawn move: the search below is a real one, not a fifty-move draw
    testing::internal::CaptureStdout();
    positionCommand(line);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(test::inconsistency(gamePosition()), "");
    EXPECT_EQ(gamePosition().fiftyCount, 0);
    EXPECT_GT(gamePosition().historyCount, KEY_HISTORY_SIZE / 2);
    EXPECT_LT(gamePosition().historyCount + PV_CAPACITY, KEY_HISTORY_SIZE);
    const Position before = gamePosition();
    test::CapturedOutput out;
    SilentListener silent;
    goCommand("go depth 6", silent);
    EXPECT_EQ(test::firstDifference(gamePosition(), before), "");
    EXPECT_EQ(test::firstDifference(engineSearcher().workingPosition(), before), "");
    EXPECT_EQ(out.lines().back().rfind("bestmove ", 0), 0u);
}

// The two hooks the in-process fuzzer relies on: a cap on the iterations and
// a "quit" that throws instead of ending the process.
struct QuitCalled {};
[[noreturn]] void throwOnQuit() { throw QuitCalled{}; }

TEST(HarnessHooks, IterationCapAndQuitHandler) {
    testing::internal::CaptureStdout();
    positionCommand("position startpos");
    testing::internal::GetCapturedStdout();
    test::CapturedOutput out;
    protocol().iterationCap = 2;
    SilentListener silent;
    goCommand("go infinite", silent);  // held: ends at the cap and waits
    protocol().iterationCap = 0;
    EXPECT_TRUE(protocol().bestMovePending);
    EXPECT_EQ(engineSearcher().state().report.bestDepth, 2);
    EXPECT_TRUE(out.lines().empty() || out.lines().back().rfind("bestmove", 0) != 0);
    handleCommand("stop");
    EXPECT_FALSE(protocol().bestMovePending);
    EXPECT_EQ(out.lines().back().rfind("bestmove ", 0), 0u);

    setQuitHandler(throwOnQuit);
    EXPECT_THROW(handleCommand("quit"), QuitCalled);
    setQuitHandler(nullptr);
}

}  // namespace
}  // namespace tallomir

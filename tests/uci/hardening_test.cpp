// The protocol layer under hostile or extreme input: input that fails or ends, keywords without values, "Hash" texts that overflow, and a
// search on top of the longest game the history holds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

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

TEST(HashTexts, OverflowingAndNegativeValuesNeverGiveAnUnsoundTable) {
    test::CapturedOutput out;
    const auto engine = std::make_unique<UciEngine>(test::NO_INPUT, out.output());
    engine->handleCommand("isready");
    const TranspositionTable& table = engine->searcher().table();
    // Negative, zero and tiny values keep the table as it is.
    for (const char* value : {"-1", "-2147483648", "-99999999999999999999", "0", "3", "junk", ""}) {
        engine->handleCommand(std::string("setoption name Hash value ") + value);
        EXPECT_EQ(table.entryCount(), (1u << 20) + 3) << value;
    }
    // Values beyond the maximum read as the maximum, without overflow.
    Options options;
    for (const char* value : {"1025", "2147483647", "2147483648", "99999999999999999999", "4294967296"}) {
        options.set("Hash", value);
        EXPECT_EQ(ttMegabytes(options.asInteger("Hash")), 1024) << value;
    }
    engine->handleCommand("setoption name Hash value 4");
    EXPECT_EQ(table.entryCount(), (1u << 18) + 3);  // 4 MB of 16-byte entries
}

// "position" with thousands of plies and a search on top: the key history
// keeps room for the deepest line the search can make.
TEST(LongGames, SearchOnTopOfTheLongestHistory) {
    std::string line = "position startpos moves";
    const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < 7001; ++i) line += std::string(" ") + cycle[i % 4];
    line += " e7e5";  // a pawn move: the search below is a real one, not a fifty-move draw
    test::CapturedOutput out;
    const auto engine = std::make_unique<UciEngine>(test::NO_INPUT, out.output());
    engine->handleCommand(line);
    const Position& game = engine->position();
    EXPECT_EQ(test::inconsistency(game), "");
    EXPECT_EQ(game.fiftyCount, 0);
    EXPECT_GT(game.historyCount, KEY_HISTORY_SIZE / 2);
    EXPECT_LT(game.historyCount + PV_CAPACITY, KEY_HISTORY_SIZE);
    const Position before = game;
    engine->handleCommand("go depth 6");
    EXPECT_EQ(test::firstDifference(game, before), "");
    EXPECT_EQ(test::firstDifference(engine->searcher().workingPosition(), before), "");
    EXPECT_EQ(out.lines().back().rfind("bestmove ", 0), 0u);
}

// The two hooks the in-process fuzzer relies on: a cap on the iterations and
// a "quit" that throws instead of ending the process.
struct QuitCalled {};
[[noreturn]] void throwOnQuit() { throw QuitCalled{}; }

TEST(HarnessHooks, IterationCapAndQuitHandler) {
    test::CapturedOutput out;
    const auto engine = std::make_unique<UciEngine>(test::NO_INPUT, out.output());
    engine->setIterationCap(2);
    engine->handleCommand("go infinite");  // held: ends at the cap and waits
    EXPECT_TRUE(engine->state().bestMovePending);
    EXPECT_EQ(engine->searcher().state().report.bestDepth, 2);
    EXPECT_NE(out.lines().back().rfind("bestmove", 0), 0u);
    engine->handleCommand("stop");
    EXPECT_FALSE(engine->state().bestMovePending);
    EXPECT_EQ(out.lines().back().rfind("bestmove ", 0), 0u);

    engine->setQuitHandler(throwOnQuit);
    EXPECT_THROW(engine->handleCommand("quit"), QuitCalled);
}

// A "go infinite" read from the input handles the lines behind it during the
// search; the line being handled is its caller's own, so the reads in the
// search cannot overwrite it, and every command is answered once.
TEST(HarnessHooks, LinesReadDuringTheSearch) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const std::string input = "position startpos\ngo infinite\nisready\nstop\nisready\n";
    ASSERT_EQ(::write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::close(fds[1]);
    test::CapturedOutput out;
    const auto engine = std::make_unique<UciEngine>(fds[0], out.output());
    while (engine->handleInputLine()) {
    }
    ::close(fds[0]);
    std::vector<std::string> said;
    for (const std::string& l : out.lines())
        if (l.rfind("info", 0) != 0) said.push_back(l.substr(0, l.find(' ')));
    EXPECT_EQ(said, (std::vector<std::string>{"readyok", "bestmove", "readyok"}));
}

}  // namespace
}  // namespace tallomir

// The engine program while it searches: commands during a search, held best
// moves, time limits and the end of the input, through real pipes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/engine_process.hpp"

namespace tallomir {
namespace {

using test::EngineProcess;
using test::Millis;

using test::BANNER_LINES;

struct SearchingEngine : EngineProcess {
    SearchingEngine() : EngineProcess(TALLOMIR_ENGINE_PATH) {
        for (int i = 0; i < BANNER_LINES; ++i) readLine();
        writeLine("isready");
        ready = readUntil("readyok").has_value();
    }
    bool ready = false;

    // Lines up to and including the next "bestmove" line.
    std::vector<std::string> untilBestMove(Millis timeout = Millis(20000)) {
        std::vector<std::string> seen;
        for (;;) {
            auto line = readLine(timeout);
            if (!line) return seen;
            seen.push_back(*line);
            if (line->rfind("bestmove", 0) == 0) return seen;
        }
    }
};

int countPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

std::vector<std::string> silenceFor(EngineProcess& engine, int ms) { return engine.drain(Millis(ms)); }

// "go nodes" ends by itself on its count, with no other limit given.
TEST(SearchProtocol, NodeCountEndsTheSearch) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    engine.writeLine("position startpos");
    engine.writeLine("go nodes 20000");
    const auto lines = engine.untilBestMove(Millis(10000));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(countPrefix(lines, "bestmove"), 1);
    EXPECT_EQ(lines[lines.size() - 3].rfind("info time ", 0), 0u);
    EXPECT_NE(lines[lines.size() - 3].find(" nodes 20000 "), std::string::npos) << lines[lines.size() - 3];
}

TEST(SearchProtocol, IsreadyDuringInfiniteSearchThenStopGivesOneBestMove) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    engine.writeLine("position startpos moves e2e4 e7e5");
    engine.writeLine("go infinite");
    silenceFor(engine, 300);
    engine.writeLine("isready");
    ASSERT_TRUE(engine.readUntil("readyok", Millis(3000)));
    engine.writeLine("stop");
    const auto lines = engine.untilBestMove();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(countPrefix(lines, "bestmove"), 1);
    EXPECT_EQ(countPrefix(engine.drain(Millis(300)), "bestmove"), 0);
    // A stop while idle says nothing.
    engine.writeLine("stop");
    EXPECT_TRUE(silenceFor(engine, 300).empty());
}

TEST(SearchProtocol, StopSentWithGoIsSeen) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    engine.write("position startpos\ngo infinite\nstop\n");
    const auto lines = engine.untilBestMove(Millis(5000));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u);
}

TEST(SearchProtocol, QuitDuringSearchEndsWithoutBestMove) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    engine.writeLine("go infinite");
    silenceFor(engine, 200);
    engine.writeLine("quit");
    std::vector<std::string> rest;
    while (auto line = engine.readLine(Millis(3000))) rest.push_back(*line);
    EXPECT_EQ(countPrefix(rest, "bestmove"), 0);
    EXPECT_TRUE(engine.waitForExit().cleanExit());
}

TEST(SearchProtocol, EndOfInputDuringSearchEndsTheProgram) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    engine.writeLine("go infinite");
    silenceFor(engine, 200);
    engine.closeInput();
    EXPECT_TRUE(engine.waitForExit(Millis(5000)).cleanExit());
}

TEST(SearchProtocol, PonderThenPonderhitReportsTheMove) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    engine.writeLine("position startpos moves e2e4");
    engine.writeLine("go ponder wtime 3000 btime 3000");
    EXPECT_EQ(countPrefix(silenceFor(engine, 500), "bestmove"), 0);
    engine.writeLine("ponderhit");
    const auto lines = engine.untilBestMove(Millis(10000));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u);
}

TEST(SearchProtocol, PonderhitInTheSameWriteAsGoIsNotLost) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    engine.write("position startpos\ngo ponder wtime 2000 btime 2000\nponderhit\n");
    const auto lines = engine.untilBestMove(Millis(10000));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u);
}

TEST(SearchProtocol, HeldBestMoveWaitsAndPositionIsIgnoredMeanwhile) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    // Bare kings: every iteration is instant, so the held search ends by itself.
    engine.writeLine("position fen 8/8/4k3/8/8/4K3/8/8 w - - 0 1");
    engine.writeLine("go infinite");
    EXPECT_EQ(countPrefix(silenceFor(engine, 500), "bestmove"), 0);
    engine.writeLine("position startpos");
    engine.writeLine("go depth 1");
    EXPECT_EQ(countPrefix(silenceFor(engine, 300), "bestmove"), 0);
    engine.writeLine("stop");
    auto lines = engine.untilBestMove(Millis(3000));
    ASSERT_FALSE(lines.empty());
    const std::string held = lines.back();
    EXPECT_EQ(held.rfind("bestmove e3", 0), 0u) << held;
    // The position command was dropped: the king still moves.
    engine.writeLine("go depth 1");
    lines = engine.untilBestMove(Millis(3000));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("bestmove e3", 0), 0u) << lines.back();
}

TEST(SearchProtocol, MovetimeIsRespected) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    engine.writeLine("position startpos");
    const auto start = std::chrono::steady_clock::now();
    engine.writeLine("go movetime 300");
    const auto lines = engine.untilBestMove(Millis(5000));
    const auto ms = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start).count();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u);
    EXPECT_LT(ms, 300 + 700);  // a generous margin for a loaded machine
}

TEST(SearchProtocol, MatedAndStalematedRootsAnswerTheNullMove) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    for (const char* fen : {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1"}) {
        engine.writeLine(std::string("position fen ") + fen);
        engine.writeLine("go wtime 1000 btime 1000");
        const auto lines = engine.untilBestMove(Millis(5000));
        ASSERT_FALSE(lines.empty()) << fen;
        EXPECT_EQ(lines.back(), "bestmove 0000") << fen;
    }
}

TEST(SearchProtocol, ClockedGameMovesAreAnsweredInTime) {
    SearchingEngine engine;
    ASSERT_TRUE(engine.ready);
    engine.writeLine("ucinewgame");
    engine.writeLine("position startpos moves d2d4 d7d5 c2c4");
    engine.writeLine("go wtime 1500 btime 1500 winc 10 binc 10 movestogo 1");
    const auto start = std::chrono::steady_clock::now();
    const auto lines = engine.untilBestMove(Millis(5000));
    const auto ms = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start).count();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u);
    EXPECT_LT(ms, 1500);
}

// Two fresh engines given the same commands search the same tree. (A second
// search in one process may differ: "ucinewgame" clears only the
// transposition table, and a material-table entry keeps the bishop-pair
// judgement of the position that filled it.)
TEST(SearchProtocol, SameCommandsGiveTheSameSearch) {
    auto nodeLines = [](const std::vector<std::string>& lines) {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.rfind("info depth", 0) == 0 && l.find(" nodes ") != std::string::npos)
                out.push_back(l.substr(l.find(" nodes ")));
        return out;
    };
    std::vector<std::string> runs[2];
    for (auto& run : runs) {
        SearchingEngine engine;
        ASSERT_TRUE(engine.ready);
        engine.writeLine("position startpos moves e2e4 c7c5 g1f3");
        engine.writeLine("go depth 6");
        run = engine.untilBestMove();
        ASSERT_FALSE(run.empty());
    }
    EXPECT_EQ(nodeLines(runs[0]), nodeLines(runs[1]));
    EXPECT_EQ(runs[0].back(), runs[1].back());
}

}  // namespace
}  // namespace tallomir

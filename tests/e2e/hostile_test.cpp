// Hostile input against the real engine program: malformed FEN, illegal and
// malformed moves, extreme "go" values, huge lines, binary garbage, and the
// end of the input or "quit" in every state. The engine must never crash or
// hang, must answer every "isready", and must answer every "go" with exactly
// one legal best move (none after "quit").
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "board/board_helpers.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "e2e/engine_process.hpp"
#include "support.hpp"
#include "uci/movetext.hpp"
#include "uci/position_command.hpp"

#if defined(__SANITIZE_ADDRESS__)
#define TALLOMIR_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TALLOMIR_UNDER_ASAN 1
#endif
#endif

namespace tallomir {
namespace {

using test::EngineProcess;
using test::Millis;

using test::BANNER_LINES;
// Generous: the suite also runs under the sanitizers, several times slower.
constexpr Millis ANSWER_TIMEOUT{15000};

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The position the engine holds after a "position" line, worked out with the
// same code in this process (a rejected FEN keeps `previous`).
Position positionAfter(const Position& previous, const std::string& line) {
    Position pos = previous;
    const test::CapturedOutput ignored;
    if (startsWith(line, "position ")) positionCommand(pos, ignored.output(), line);
    return pos;
}

// "bestmove 0000" only without a legal move; otherwise a legal move, and a
// ponder move that is legal after it.
void expectLegalBestMove(const Position& pos, const std::string& line) {
    Position copy = pos;
    char best[16] = {}, word[16] = {}, ponder[16] = {};
    const int n = std::sscanf(line.c_str(), "bestmove %15s %15s %15s", best, word, ponder);
    ASSERT_TRUE(n == 1 || (n == 3 && std::strcmp(word, "ponder") == 0)) << line;
    const std::vector<Move> legal = test::legalMoves(copy);
    if (std::strcmp(best, "0000") == 0) {
        EXPECT_TRUE(legal.empty()) << line;
        return;
    }
    const Move m = textToMove(copy, best);
    ASSERT_NE(std::find(legal.begin(), legal.end(), m), legal.end()) << line << " in " << test::toFen(pos);
    if (n == 3) {
        UndoRecord undo;
        makeMove(copy, undo, m);
        const std::vector<Move> replies = test::legalMoves(copy);
        EXPECT_NE(std::find(replies.begin(), replies.end(), textToMove(copy, ponder)), replies.end()) << line;
    }
}

struct HostileEngine : EngineProcess {
    HostileEngine() : EngineProcess(TALLOMIR_ENGINE_PATH) {
        for (int i = 0; i < BANNER_LINES; ++i) readLine();
        position = test::loadFen("startpos");
    }
    Position position;  // what the engine is expected to hold

    // "isready" is answered; returns what came before "readyok".
    std::vector<std::string> ping() {
        std::vector<std::string> seen;
        EXPECT_TRUE(writeLine("isready"));
        EXPECT_TRUE(readUntil("readyok", ANSWER_TIMEOUT, &seen).has_value()) << "isready not answered";
        if (!seen.empty()) seen.pop_back();
        return seen;
    }
    void expectNoBestMoveBeforeReady() {
        for (const std::string& l : ping()) EXPECT_FALSE(startsWith(l, "bestmove")) << "stray " << l;
    }

    void setPosition(const std::string& line) {
        ASSERT_TRUE(writeLine(line));
        position = positionAfter(position, line);
    }

    // Sends a go line (and "stop" after stopAfterMs when given), expects one
    // legal best move within the timeout and no second one after it.
    void expectOneBestMove(const std::string& goLine, int stopAfterMs = -1) {
        ASSERT_TRUE(writeLine(goLine));
        if (stopAfterMs >= 0) {
            drainInfo(Millis(stopAfterMs));
            writeLine("stop");
        }
        std::optional<std::string> best;
        const auto deadline = std::chrono::steady_clock::now() + ANSWER_TIMEOUT;
        while (!best && std::chrono::steady_clock::now() < deadline) {
            const auto line = readLine(ANSWER_TIMEOUT);
            if (!line) break;
            if (startsWith(*line, "bestmove")) best = line;
        }
        ASSERT_TRUE(best.has_value()) << "no best move for: " << goLine;
        expectLegalBestMove(position, *best);
        expectNoBestMoveBeforeReady();
    }

private:
    void drainInfo(Millis window) {
        for (const std::string& l : drain(window)) ASSERT_FALSE(startsWith(l, "bestmove")) << "early " << l;
    }
};

TEST(HostileInput, MalformedFenKeepsTheEngineSoundAndResponsive) {
    const char* fens[] = {
        "",
        " ",
        "fen",
        "8/8/8/8/8/8/8/8 w - - 0 1",                                 // no kings
        "4k3/8/8/8/8/8/8/8 w - - 0 1",                               // no white king
        "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",                            // two white kings
        "kk6/8/8/8/8/8/8/7K b - - 0 1",                              // two black kings
        "4k3/8/8/8/8/8/8/4K2P w - - 0 1",                            // pawn on the first rank
        "P3k3/8/8/8/8/8/8/4K3 w - - 0 1",                            // pawn on the eighth rank
        "4k3/pppppppp/p7/8/8/8/8/4K3 b - - 0 1",                     // nine pawns
        "QQQQkQQQ/QQQQQQQQ/8/8/8/8/8/4K3 w - - 0 1",                 // more men than the lists hold
        "4k3/8/8/8/8/8/8/4K2R w - - 0 1",                            // black king in check, white to move
        "4k3/4R3/8/8/8/8/8/4K3 w - - 0 1",                           // the same on the file
        "3rk3/8/8/8/8/8/3n4/r3K2r w - - 0 1",                        // three checkers
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",  // unknown side letter
        "rnbqkbnr/pppppppp/99/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnrrrrrrrrrrrrrrrrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN",  // ends inside the placement
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq z9 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3 -5 -9",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 99999999999999999999 1",
        "4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1",  // rights without rooks
        "\x01\x02\x7f\xff\xfe/////////////",
        "8/8/8/8/8/8/8/8/8/8/8/8/k7/K7 w",
    };
    HostileEngine engine;
    int n = 0;
    for (const char* fen : fens) {
        for (const char* moves : {"", " moves e2e4 e7e5"}) {
            engine.setPosition(std::string("position fen ") + fen + moves);
            engine.ping();
            if (++n % 6 == 0) engine.expectOneBestMove("go depth 2");
        }
    }
    // After all of it a valid position and search work as ever.
    engine.setPosition("position startpos moves e2e4");
    engine.expectOneBestMove("go depth 3");
}

TEST(HostileInput, IllegalAndMalformedMovesStopTheList) {
    const char* lists[] = {
        "e2e5",
        "e7e5",
        "e1g1",
        "a1a1",
        "0000",
        "null",
        "e2e4e7e5",
        "e2-e4",
        "E2E4",
        "e2e4 x",
        "e2e4  e7e5   ",
        "e2e4\te7e5",
        "e2",
        "e2e",
        "e2e4q",
        "e2e4Q",
        "h9h1",
        "i1i2",
        "e2e4 e7e5 e1e2 e8e7 e2e1 e7e8 e1e2",
        "e2e4 d7d5 e4d5 d8d5 e1e2 d5e4 e2e1 e4e1",  // capturing the king is no move
        "g1f3 g8f6 e1g1",                           // castling through own men
        "\xff\xfe\xfd\xfc",
    };
    HostileEngine engine;
    int n = 0;
    for (const char* moves : lists) {
        engine.setPosition(std::string("position startpos moves ") + moves);
        engine.ping();
        if (++n % 5 == 0) engine.expectOneBestMove("go depth 2");
    }
    // A zero byte ends the line for the engine, as it ends C text.
    ASSERT_TRUE(engine.write(std::string("position startpos moves e2e4\0e7e5\n", 34)));
    engine.position = positionAfter(engine.position, "position startpos moves e2e4");
    engine.expectOneBestMove("go depth 2");
    engine.setPosition("position fen 4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1 moves b7b8 b7b8k b7b8q g2g1q");
    engine.expectOneBestMove("go depth 3");
}

TEST(HostileInput, ExtremeGoValuesAreAnsweredOnce) {
    HostileEngine engine;
    engine.setPosition("position startpos moves e2e4 e7e5 g1f3");
    // These end by themselves, at once or within a fraction of a second.
    const char* bounded[] = {
        "go depth 0",
        "go depth 1 depth 2",
        "go mate 0",
        "go mate 1",
        "go movetime 0",
        "go movetime 1",
        "go movetime 50",
        "go wtime 0 btime 0",
        "go wtime 1 btime 1 winc 0 binc 0",
        "go wtime 500 btime 500 movestogo 1",
        "go wtime 800 btime 800 movestogo 0",
        "go wtime 800 btime 800 movestogo -3",
        "go wtime 10 btime 10 winc 99999999999 binc 99999999999",
        "go wtime 100 btime 100 movestogo 99999999999999999999",
        "go depth 2 nodes -1",
        "go depth 2 nodes 99999999999999999999999",
        "go depth 1 searchmoves zzzz a1a1 e2e4",
        "go    depth     2   ",
        "go depth 2x",
        "go depth two movetime 30",
        "go movetime 30 depth",
        // An overstepped clock counts as no time left.
        "go movetime -1",
        "go wtime -1000 btime -1000",
    };
    for (const char* go : bounded) engine.expectOneBestMove(go);
    // These have no limit of their own (a negative depth or mate counts as
    // absent; a huge clock gives hours); "stop" ends them.
    const char* unbounded[] = {
        "go ",
        "go depth -5",
        "go mate -1",
        "go btime 99999999999999999999 wtime 100",
        "go infinite",
        "go depth 99999999999",
        "go depth 2147483647",
        "go mate 1073741824",
        "go wtime 999999999999 btime 999999999999",
        "go movetime 2147483647",
        "go infinite depth 1",
        "go ponder",
        "go wtime",
    };
    for (const char* go : unbounded) engine.expectOneBestMove(go, 300);
    // "ponderhit" lets the limits of a ponder search act.
    ASSERT_TRUE(engine.writeLine("go ponder wtime 2000 btime 2000 movestogo 1"));
    ASSERT_TRUE(engine.writeLine("ponderhit"));
    engine.expectOneBestMove("isready");
}

TEST(HostileInput, HugeLinesAndBinaryGarbage) {
    HostileEngine engine;
    // One megabyte without a line end, then a line of blanks, then a position
    // line of 300,000 characters whose moves are garbage after a few.
    ASSERT_TRUE(engine.write(std::string(1 << 20, 'x') + "\n"));
    engine.ping();
    ASSERT_TRUE(engine.write(std::string(200000, ' ') + "\n"));
    engine.ping();
    std::string longLine = "position startpos moves e2e4 e7e5 ";
    while (longLine.size() < 300000) longLine += "g1f3 ";
    engine.setPosition(longLine.substr(0, 65535));  // the first piece is a position line
    ASSERT_TRUE(engine.write(longLine.substr(65535) + "\n"));
    engine.ping();
    engine.expectOneBestMove("go depth 2");

    // Seeded garbage: every byte value, carriage returns, zero bytes; each
    // line starts with a byte no command starts with.
    test::Rng rng(20240607);
    for (int round = 0; round < 20; ++round) {
        std::string junk;
        for (int i = 0; i < 4000; ++i) {
            char c = static_cast<char>(rng.next() & 0xFF);
            junk += c;
            if (c == '\n') junk += static_cast<char>(0x80 | (rng.next() & 0x7F));
        }
        ASSERT_TRUE(engine.write(junk + "\n"));
        engine.ping();
    }
    engine.setPosition("position startpos");
    engine.expectOneBestMove("go depth 2");
}

TEST(HostileInput, CommandsThatDoNotFitTheStateAreIgnored) {
    HostileEngine engine;
    // Idle: "stop" and "ponderhit" say nothing.
    ASSERT_TRUE(engine.writeLine("stop"));
    ASSERT_TRUE(engine.writeLine("ponderhit"));
    engine.expectNoBestMoveBeforeReady();
    // A held search that has ended (a stalemated root finishes its last
    // iteration at once): "go" and "position" wait, "stop" prints one move.
    engine.setPosition("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    ASSERT_TRUE(engine.writeLine("go infinite"));
    engine.expectNoBestMoveBeforeReady();
    ASSERT_TRUE(engine.writeLine("go depth 1"));
    ASSERT_TRUE(engine.writeLine("position startpos"));
    ASSERT_TRUE(engine.writeLine("setoption name Hash value 64"));
    engine.expectNoBestMoveBeforeReady();
    engine.expectOneBestMove("stop");
    // During a search: a second "go", "position" and "ucinewgame" change nothing.
    engine.setPosition("position startpos");
    ASSERT_TRUE(engine.writeLine("go infinite"));
    for (const char* line : {"go depth 1", "position fen 8/8/8/8/8/8/8/8 w - - 0 1", "ucinewgame", "uci", "debug on"})
        ASSERT_TRUE(engine.writeLine(line));
    engine.expectNoBestMoveBeforeReady();
    engine.expectOneBestMove("stop");
}

// The end of the input and "quit" in every state end the program with status
// 0, and without a best move.
TEST(HostileInput, EndOfInputAndQuitInEveryState) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;  // sent before the ending
    };
    const std::vector<Case> states = {
        {"idle", {}},
        {"idle after work", {"position startpos moves e2e4", "go depth 2"}},
        {"searching", {"position startpos", "go infinite"}},
        {"searching with a clock", {"go wtime 100000 btime 100000"}},
        {"pondering", {"go ponder wtime 5000 btime 5000"}},
        {"pending", {"position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "go infinite"}},
        {"mid-line", {"isready", "posi"}},
    };
    for (const Case& c : states) {
        for (const bool byQuit : {true, false}) {
            HostileEngine engine;
            for (const std::string& l : c.lines) {
                if (&l == &c.lines.back() && std::string(c.name) == "mid-line") {
                    ASSERT_TRUE(engine.write(l));  // no line end
                } else {
                    ASSERT_TRUE(engine.writeLine(l));
                }
            }
            std::vector<std::string> seen;
            if (std::string(c.name) != "mid-line") {
                // Everything before the ending has been handled.
                ASSERT_TRUE(engine.writeLine("isready"));
                ASSERT_TRUE(engine.readUntil("readyok", ANSWER_TIMEOUT, &seen).has_value()) << c.name;
            }
            if (byQuit) {
                ASSERT_TRUE(engine.writeLine(std::string(c.name) == "mid-line" ? "\nquit" : "quit"));
            } else {
                engine.closeInput();
            }
            const test::ExitStatus status = engine.waitForExit(ANSWER_TIMEOUT);
            EXPECT_TRUE(status.cleanExit()) << c.name << (byQuit ? " quit" : " eof") << " signal " << status.signal;
            std::vector<std::string> tail = engine.drain(Millis(100));
            seen.insert(seen.end(), tail.begin(), tail.end());
            const bool searchedToEnd = std::string(c.name) == "idle after work";
            int bestMoves = 0;
            for (const std::string& l : seen) bestMoves += startsWith(l, "bestmove");
            EXPECT_EQ(bestMoves, searchedToEnd ? 1 : 0) << c.name << (byQuit ? " quit" : " eof");
        }
    }
}

// Lines after "quit" in the same write are never acted on.
TEST(HostileInput, NothingAfterQuit) {
    HostileEngine engine;
    ASSERT_TRUE(engine.write("isready\nquit\nisready\ngo depth 1\n"));
    EXPECT_TRUE(engine.readUntil("readyok", ANSWER_TIMEOUT).has_value());
    EXPECT_TRUE(engine.waitForExit(ANSWER_TIMEOUT).cleanExit());
    EXPECT_TRUE(engine.drain(Millis(100)).empty());
}

// A read error on standard input (here: a directory as input) counts as an
// empty line; an input that keeps failing ends the program like the end of
// the input, instead of spinning.
TEST(HostileInput, ReadErrorsOnStandardInputEndTheProgram) {
    EngineProcess engine("/bin/sh", {"-c", std::string("exec '") + TALLOMIR_ENGINE_PATH + "' < /"});
    ASSERT_TRUE(engine.started());
    const test::ExitStatus status = engine.waitForExit(ANSWER_TIMEOUT);
    EXPECT_TRUE(status.cleanExit()) << "signal " << status.signal << " timeout " << status.killedOnTimeout;
}

// An interface that stops reading the output (its end of the pipe closed)
// while the engine searches: the engine runs on and ends with status 0 at the
// end of its input, instead of dying of SIGPIPE.
TEST(HostileInput, ClosedOutputIsNoCrash) {
    const std::string script =
        "(sleep 0.3; printf 'isready\\ngo depth 3\\ngo infinite\\n'; sleep 1.2; printf 'stop\\n') | "
        "{ \"$0\"; echo \"engine status $?\" >&2; } | true";
    EngineProcess engine("/bin/sh", {"-c", script, TALLOMIR_ENGINE_PATH}, /*mergeStderr=*/true);
    ASSERT_TRUE(engine.started());
    std::vector<std::string> seen;
    EXPECT_TRUE(engine.readUntil("engine status 0", ANSWER_TIMEOUT, &seen).has_value())
        << (seen.empty() ? std::string("no status") : seen.back());
    EXPECT_TRUE(engine.waitForExit(ANSWER_TIMEOUT).cleanExit());
}

// The developer tool given thousands of moves (more than the key history
// holds) compacts its history as "position" does.
TEST(HostileInput, ToolWithThousandsOfMoves) {
    std::vector<std::string> args = {"key", "startpos"};
    const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < 5000; ++i) args.push_back(cycle[i % 4]);
    EngineProcess tool(TALLOMIR_TOOL_PATH, args, /*mergeStderr=*/true);
    ASSERT_TRUE(tool.started());
    std::vector<std::string> lines;
    while (std::optional<std::string> line = tool.readLine(ANSWER_TIMEOUT)) lines.push_back(*line);
    EXPECT_TRUE(tool.waitForExit(ANSWER_TIMEOUT).cleanExit());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(0, 16), "463b96181691fc9c");  // back at the start position
}

// A transposition table that cannot be had stops the program with a message
// on standard error and a failure status, rather than running without it.
TEST(HostileInput, AllocationFailureStopsWithAMessage) {
#ifdef TALLOMIR_UNDER_ASAN
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#else
    // 600 MB of address space: the program runs, a 1024 MB table does not fit.
    EngineProcess engine("/bin/sh", {"-c", std::string("ulimit -v 600000 && exec '") + TALLOMIR_ENGINE_PATH + "'"},
                         /*mergeStderr=*/true);
    ASSERT_TRUE(engine.started());
    for (int i = 0; i < BANNER_LINES; ++i) engine.readLine();
    engine.writeLine("isready");
    ASSERT_TRUE(engine.readUntil("readyok", ANSWER_TIMEOUT).has_value());
    engine.writeLine("setoption name Hash value 1024");
    engine.writeLine("isready");
    std::vector<std::string> seen;
    engine.readUntil("readyok", Millis(5000), &seen);
    const test::ExitStatus status = engine.waitForExit(ANSWER_TIMEOUT);
    EXPECT_TRUE(status.exited) << "signal " << status.signal;
    EXPECT_NE(status.code, 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_NE(seen.front().find("cannot allocate"), std::string::npos) << seen.front();
#endif
}

}  // namespace
}  // namespace tallomir

// The engine program driven through pipes, as a chess GUI drives it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/engine_process.hpp"
#include "editions/edition.hpp"

namespace tallomir {
namespace {

using test::EngineProcess;
using test::Millis;

const std::string RULE = " " + std::string(71, '-');

std::string editionWord() {
    switch (EDITION.id) {
        case EditionId::Vendrel:
            return "Vendrel";
        case EditionId::Ostravine:
            return "Ostravine";
        default:
            return "Fenna";
    }
}

// The centred title line of the banner, written out per edition.
std::string titleLine() {
    switch (EDITION.id) {
        case EditionId::Vendrel:
            return " -" + std::string(23, ' ') + "Tallomir 2006 Vendrel" + std::string(25, ' ') + "-";
        case EditionId::Ostravine:
            return " -" + std::string(22, ' ') + "Tallomir 2006 Ostravine" + std::string(24, ' ') + "-";
        default:
            return " -" + std::string(23, ' ') + "Tallomir 2006 Fenna" + std::string(27, ' ') + "-";
    }
}

std::vector<std::string> readBanner(EngineProcess& engine) {
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i) {
        std::optional<std::string> line = engine.readLine();
        if (!line) break;
        lines.push_back(*line);
    }
    return lines;
}

// An engine whose banner has been read.
struct Engine : EngineProcess {
    Engine() : EngineProcess(TALLOMIR_ENGINE_PATH) { banner = readBanner(*this); }
    std::vector<std::string> banner;
    // Sends isready and expects readyok as the very next line.
    void expectReady() {
        EXPECT_TRUE(writeLine("isready"));
        EXPECT_EQ(readLine().value_or("<nothing>"), "readyok");
    }
};

TEST(Banner, TwelveLinesOfTheEdition) {
    Engine engine;
    ASSERT_TRUE(engine.started());
    const std::vector<std::string>& b = engine.banner;
    ASSERT_EQ(b.size(), 12u);
    EXPECT_EQ(b[0], RULE);
    EXPECT_EQ(b[1], titleLine());
    EXPECT_EQ(b[1].size(), 72u);
    EXPECT_EQ(b[2], RULE);
    EXPECT_EQ(b[3], " ");
    EXPECT_EQ(b[4], RULE);
    EXPECT_EQ(b[5], " Tallomir 2006 " + editionWord() + " is a chess engine for Windows platforms, written in C++.");
    EXPECT_EQ(b[6], " The engine supports some commands in UCI protocol. ");
    EXPECT_EQ(b[7], " ");
    for (int i = 8; i < 11; ++i) {
        EXPECT_GT(b[i].size(), 1u) << i;
        EXPECT_EQ(b[i][0], ' ') << i;
        EXPECT_NE(b[i][1], ' ') << i;
    }
    EXPECT_EQ(b[11], RULE);
    EXPECT_EQ(RULE.size(), 72u);
    // Nothing else until asked.
    EXPECT_TRUE(engine.drain(Millis(200)).empty());
}

TEST(Handshake, UciIdentifiesTheEdition) {
    Engine engine;
    ASSERT_TRUE(engine.writeLine("uci"));
    const auto reply = engine.readUntil("uciok");
    ASSERT_TRUE(reply.has_value());
    ASSERT_GE(reply->size(), 3u);
    EXPECT_EQ((*reply)[0], "id name Tallomir 2006 " + editionWord());
    EXPECT_EQ((*reply)[1], "id author Oskvar");
    for (std::size_t i = 2; i + 1 < reply->size(); ++i)
        EXPECT_EQ((*reply)[i].rfind("option name ", 0), 0u) << (*reply)[i];
    engine.expectReady();
    engine.expectReady();  // a second isready answers as well
}

TEST(Handshake, CarriageReturnLineEndsAreAccepted) {
    Engine engine;
    ASSERT_TRUE(engine.write("uci\r\nisready\r\n"));
    ASSERT_TRUE(engine.readUntil("uciok").has_value());
    EXPECT_EQ(engine.readLine().value_or("<nothing>"), "readyok");
    EXPECT_TRUE(engine.writeLine("quit"));
    EXPECT_TRUE(engine.waitForExit().cleanExit());
}

TEST(Handshake, OutputLinesEndWithNewlineOnly) {
    Engine engine;
    for (const std::string& line : engine.banner) EXPECT_EQ(line.find('\r'), std::string::npos);
    ASSERT_TRUE(engine.writeLine("uci"));
    const auto reply = engine.readUntil("uciok");
    ASSERT_TRUE(reply.has_value());
}

TEST(Commands, UnknownAndIncompleteCommandsAreSilent) {
    Engine engine;
    const char* ignored[] = {"ucinewgame",
                             "foo",
                             "go",
                             "position",
                             "debug on",
                             "register later",
                             "ISREADY",
                             "isready ",
                             " isready",
                             "Quit",
                             "stop",
                             "ponderhit",
                             "setoption name Hash value 1",
                             ""};
    for (const char* line : ignored) ASSERT_TRUE(engine.writeLine(line));
    engine.expectReady();
    EXPECT_TRUE(engine.drain(Millis(100)).empty());
}

TEST(Commands, BadPositionsKeepTheEngineResponsive) {
    Engine engine;
    ASSERT_TRUE(engine.writeLine("position fen this is not a position"));
    EXPECT_EQ(engine.readLine().value_or("<nothing>"), "Posizione Illegale.");
    engine.expectReady();
    ASSERT_TRUE(engine.writeLine("position fen rnbqkbnr/ppp"));
    EXPECT_EQ(engine.readLine().value_or("<nothing>"), "Posizione Illegale.");
    ASSERT_TRUE(engine.writeLine(std::string("position fen ") + "\x01\xff\x80garbage\x7f moves e2e4"));
    EXPECT_EQ(engine.readLine().value_or("<nothing>"), "Posizione Illegale.");
    // Moves that cannot be played are dropped without a word.
    ASSERT_TRUE(engine.writeLine("position startpos moves e2e4 e2e4 zz99 a1a1 e7e8Q"));
    ASSERT_TRUE(engine.writeLine("position startpos moves e2"));
    engine.expectReady();
    ASSERT_TRUE(engine.writeLine("quit"));
    EXPECT_TRUE(engine.waitForExit().cleanExit());
}

TEST(Commands, LongGamesAndOverlongLines) {
    Engine engine;
    // 5,000 plies of knight shuffles, then a line longer than the input buffer.
    std::string game = "position startpos moves";
    const char* cycle[] = {" g1f3", " g8f6", " f3g1", " f6g8"};
    for (int i = 0; i < 5000; ++i) game += cycle[i % 4];
    ASSERT_TRUE(engine.writeLine(game));
    engine.expectReady();
    std::string huge = "position startpos moves";
    for (int i = 0; i < 20000; ++i) huge += cycle[i % 4];
    ASSERT_GT(huge.size(), 65536u);
    ASSERT_TRUE(engine.writeLine(huge));
    engine.expectReady();
    EXPECT_TRUE(engine.drain(Millis(100)).empty());
}

TEST(Commands, BurstOfCommandsIsAnsweredInOrder) {
    Engine engine;
    ASSERT_TRUE(engine.write("isready\nuci\nposition startpos moves e2e4\nisready\n"));
    EXPECT_EQ(engine.readLine().value_or(""), "readyok");
    ASSERT_TRUE(engine.readUntil("uciok").has_value());
    EXPECT_EQ(engine.readLine().value_or(""), "readyok");
}

TEST(Exit, QuitEndsWithStatusZeroAndNoOutput) {
    Engine engine;
    ASSERT_TRUE(engine.writeLine("quit"));
    EXPECT_TRUE(engine.waitForExit().cleanExit());
    EXPECT_TRUE(engine.drain(Millis(100)).empty());
    EXPECT_TRUE(engine.outputEnded());
}

TEST(Exit, EndOfInputEndsWithStatusZero) {
    Engine engine;
    engine.closeInput();
    const test::ExitStatus status = engine.waitForExit();
    EXPECT_TRUE(status.cleanExit()) << status.code << " signal " << status.signal;
    EXPECT_FALSE(status.killedOnTimeout);

    // A last line without its newline is still read before the end.
    Engine unterminated;
    ASSERT_TRUE(unterminated.write("isready"));
    unterminated.closeInput();
    EXPECT_EQ(unterminated.readLine().value_or("<nothing>"), "readyok");
    EXPECT_TRUE(unterminated.waitForExit().cleanExit());
}

TEST(Exit, QuitRightAfterStartAndAfterWork) {
    Engine engine;
    ASSERT_TRUE(engine.write("uci\nisready\nposition startpos moves e2e4 e7e5\nquit\nisready\n"));
    ASSERT_TRUE(engine.readUntil("readyok").has_value());
    EXPECT_TRUE(engine.waitForExit().cleanExit());
    // Nothing after quit: the last isready is never answered.
    EXPECT_TRUE(engine.drain(Millis(100)).empty());
}

}  // namespace
}  // namespace tallomir

// The pipe helper itself: it must never hang a test, whatever the child does.
#include <gtest/gtest.h>

#include <chrono>

#include "e2e/engine_process.hpp"

namespace tallomir {
namespace {

using test::EngineProcess;
using test::Millis;

TEST(EngineProcessHelper, EchoesLinesAndReportsTheExitCode) {
    EngineProcess cat("cat");
    ASSERT_TRUE(cat.started());
    ASSERT_TRUE(cat.write("one\r\ntwo\nthree"));
    EXPECT_EQ(cat.readLine().value_or(""), "one\r");
    EXPECT_EQ(cat.readLine().value_or(""), "two");
    cat.closeInput();
    EXPECT_EQ(cat.readLine().value_or(""), "three");  // the unterminated rest, once
    EXPECT_FALSE(cat.readLine(Millis(100)).has_value());
    EXPECT_TRUE(cat.outputEnded());
    EXPECT_TRUE(cat.waitForExit().cleanExit());

    EngineProcess failing("sh", {"-c", "exit 3"});
    const test::ExitStatus status = failing.waitForExit();
    EXPECT_TRUE(status.exited);
    EXPECT_EQ(status.code, 3);
}

TEST(EngineProcessHelper, SilentOrStuckChildrenTimeOut) {
    const auto start = std::chrono::steady_clock::now();
    EngineProcess silent("sleep", {"30"});
    ASSERT_TRUE(silent.started());
    EXPECT_FALSE(silent.readLine(Millis(100)).has_value());
    EXPECT_FALSE(silent.readUntil("never", Millis(100)).has_value());
    const test::ExitStatus status = silent.waitForExit(Millis(100));
    EXPECT_TRUE(status.killedOnTimeout);
    EXPECT_FALSE(status.exited);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // A child that stops reading: writes fail instead of killing the test.
    EngineProcess gone("true");
    gone.waitForExit();
    EXPECT_FALSE(gone.writeLine(std::string(200000, 'x')));

    EngineProcess missing("/nonexistent/program");
    EXPECT_FALSE(missing.started());
    EXPECT_FALSE(missing.readLine(Millis(10)).has_value());
}

}  // namespace
}  // namespace tallomir

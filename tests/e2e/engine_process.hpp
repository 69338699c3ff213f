// A child program driven through pipes, for tests that talk to the real
// engine (or the developer tool, or a reference program) line by line.
//
// Every wait has a deadline: a read that sees no complete line in time
// returns nothing, and a child that does not exit in time is killed. The
// destructor kills and reaps a child that is still running, so a failing
// test never leaves a process behind or hangs the suite.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallomir::test {

// Lines of the banner every engine prints when it starts.
inline constexpr int BANNER_LINES = 12;

using Millis = std::chrono::milliseconds;

// How a child ended: its exit code, or the signal that ended it.
struct ExitStatus {
    bool exited = false;  // true: `code` is the exit code; false: `signal` ended it
    int code = -1;
    int signal = 0;
    bool killedOnTimeout = false;
    bool cleanExit() const { return exited && code == 0; }
};

class EngineProcess {
public:
    // Starts `path` with `args` (argv[0] is path). A path without a slash is
    // looked up in PATH. stderr stays the test's own unless mergeStderr.
    explicit EngineProcess(const std::string& path, const std::vector<std::string>& args = {},
                           bool mergeStderr = false);
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    bool started() const { return pid_ > 0; }

    // Writes text as it is; false when the child no longer reads its input.
    bool write(std::string_view text);
    // Writes text followed by "\n".
    bool writeLine(std::string_view line) { return write(std::string(line) + "\n"); }
    // Closes the child's standard input: the child sees the end of its input.
    void closeInput();

    // The next output line without its "\n" (a "\r" before it is kept, so that
    // tests can see it), or nothing when no complete line came within timeout.
    // At the end of the output a last unterminated fragment is returned once.
    std::optional<std::string> readLine(Millis timeout = Millis(5000));
    // Reads lines until one equals `last` (included in the result); nothing
    // when it does not come in time. `seen` receives every line read.
    std::optional<std::vector<std::string>> readUntil(std::string_view last, Millis timeout = Millis(5000),
                                                      std::vector<std::string>* seen = nullptr);
    // Everything the child prints within `window`, as lines (for checking silence).
    std::vector<std::string> drain(Millis window);
    // True once the child has closed its output and every line has been read.
    bool outputEnded() const { return outputEnded_ && buffer_.empty(); }

    // Waits for the child to exit; kills it (SIGKILL) when it has not exited
    // within timeout, and then reports killedOnTimeout.
    ExitStatus waitForExit(Millis timeout = Millis(5000));

private:
    // Reads what the pipe holds into buffer_, waiting at most until deadline.
    // False on timeout or end of output.
    bool fill(std::chrono::steady_clock::time_point deadline);
    void killAndReap();

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string buffer_;
    bool outputEnded_ = false;
    std::optional<ExitStatus> status_;
};

// The full path of a program in PATH (or in /usr/games, where Debian installs
// games such as chess programs), or an empty string.
std::string findProgram(const std::string& name);

}  // namespace tallomir::test

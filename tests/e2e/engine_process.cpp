#include "e2e/engine_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace tallomir::test {

namespace {

using Clock = std::chrono::steady_clock;

// A child that stops reading must show up as a failed write, not kill the
// test program with SIGPIPE.
void ignoreBrokenPipes() {
    static const bool done = [] {
        ::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)done;
}

int millisLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Longest a single write may wait for the child to make room in the pipe.
constexpr Millis WRITE_TIMEOUT{10000};

}  // namespace

std::string findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : "";
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
    dirs += ":/usr/games";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        std::size_t colon = dirs.find(':', at);
        if (colon == std::string::npos) colon = dirs.size();
        const std::string dir = dirs.substr(at, colon - at);
        if (!dir.empty()) {
            const std::string candidate = dir + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        at = colon + 1;
    }
    return "";
}

EngineProcess::EngineProcess(const std::string& path, const std::vector<std::string>& args, bool mergeStderr) {
    ignoreBrokenPipes();
    const std::string program = findProgram(path);
    if (program.empty()) return;

    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return;
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (mergeStderr) posix_spawn_file_actions_adddup2(&actions, out[1], 2);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    if (rc != 0) {
        ::close(in[1]);
        ::close(out[0]);
        return;
    }
    pid_ = pid;
    toChild_ = in[1];
    fromChild_ = out[0];
    ::fcntl(toChild_, F_SETFL, ::fcntl(toChild_, F_GETFL) | O_NONBLOCK);
    ::fcntl(fromChild_, F_SETFL, ::fcntl(fromChild_, F_GETFL) | O_NONBLOCK);
}

EngineProcess::~EngineProcess() {
    closeFd(toChild_);
    closeFd(fromChild_);
    if (pid_ > 0 && !status_) killAndReap();
}

bool EngineProcess::write(std::string_view text) {
    if (toChild_ < 0) return false;
    const auto deadline = Clock::now() + WRITE_TIMEOUT;
    while (!text.empty()) {
        const ssize_t n = ::write(toChild_, text.data(), text.size());
        if (n > 0) {
            text.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{toChild_, POLLOUT, 0};
            if (::poll(&p, 1, millisLeft(deadline)) <= 0) return false;
            continue;
        }
        return false;  // EPIPE: the child has closed its input
    }
    return true;
}

void EngineProcess::closeInput() { closeFd(toChild_); }

bool EngineProcess::fill(Clock::time_point deadline) {
    if (fromChild_ < 0 || outputEnded_) return false;
    for (;;) {
        char chunk[4096];
        const ssize_t n = ::read(fromChild_, chunk, sizeof chunk);
        if (n > 0) {
            buffer_.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
        if (n == 0) {
            outputEnded_ = true;
            return false;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            outputEnded_ = true;
            return false;
        }
        pollfd p{fromChild_, POLLIN, 0};
        const int left = millisLeft(deadline);
        const int r = ::poll(&p, 1, left);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
    }
}

std::optional<std::string> EngineProcess::readLine(Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const std::size_t nl = buffer_.find('\n');
        if (nl != std::string::npos) {
            std::string line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            return line;
        }
        if (outputEnded_) {
            if (buffer_.empty()) return std::nullopt;
            std::string rest;
            rest.swap(buffer_);
            return rest;
        }
        if (!fill(deadline) && !outputEnded_) return std::nullopt;
    }
}

std::optional<std::vector<std::string>> EngineProcess::readUntil(std::string_view last, Millis timeout,
                                                                 std::vector<std::string>* seen) {
    const auto deadline = Clock::now() + timeout;
    std::vector<std::string> lines;
    for (;;) {
        std::optional<std::string> line = readLine(Millis(millisLeft(deadline)));
        if (!line) break;
        lines.push_back(*line);
        if (*line == last) {
            if (seen) *seen = lines;
            return lines;
        }
    }
    if (seen) *seen = lines;
    return std::nullopt;
}

std::vector<std::string> EngineProcess::drain(Millis window) {
    const auto deadline = Clock::now() + window;
    std::vector<std::string> lines;
    while (std::optional<std::string> line = readLine(Millis(millisLeft(deadline)))) lines.push_back(*line);
    return lines;
}

ExitStatus EngineProcess::waitForExit(Millis timeout) {
    if (status_) return *status_;
    ExitStatus result;
    if (pid_ <= 0) return result;
    const auto deadline = Clock::now() + timeout;
    int raw = 0;
    for (;;) {
        const pid_t r = ::waitpid(pid_, &raw, WNOHANG);
        if (r == pid_) break;
        if (r < 0 && errno != EINTR) return result;
        if (Clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            while (::waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
            }
            result.killedOnTimeout = true;
            break;
        }
        std::this_thread::sleep_for(Millis(2));
    }
    if (WIFEXITED(raw)) {
        result.exited = true;
        result.code = WEXITSTATUS(raw);
    } else if (WIFSIGNALED(raw)) {
        result.signal = WTERMSIG(raw);
    }
    status_ = result;
    return result;
}

void EngineProcess::killAndReap() {
    ::kill(pid_, SIGKILL);
    int raw = 0;
    while (::waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
    }
    status_ = ExitStatus{};
}

}  // namespace tallomir::test

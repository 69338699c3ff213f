#include "uci/io.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.hpp"

namespace tallomir {

namespace {
// A descriptor that keeps failing is taken as closed rather than spun on.
constexpr int MAX_CONSECUTIVE_ERRORS = 100;
}  // namespace

bool InputReader::fill() {
    if (ended_) return false;
    if (start_ > 0) {
        std::memmove(buffer_, buffer_ + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
    }
    const long n = platform::readInput(fd_, buffer_ + end_, sizeof buffer_ - end_);
    if (n > 0) {
        end_ += static_cast<std::size_t>(n);
        consecutiveErrors_ = 0;
        return true;
    }
    if (n == 0) {
        ended_ = true;
        return false;
    }
    // A read error is reported as an empty read (an empty line upstream); a
    // descriptor that never recovers counts as ended.
    if (++consecutiveErrors_ >= MAX_CONSECUTIVE_ERRORS) {
        ended_ = true;
        return false;
    }
    return true;
}

ReadStatus InputReader::readLine(char* line, std::size_t capacity) {
    const std::size_t limit = capacity - 1;
    std::size_t length = 0;
    for (;;) {
        // Copy what is buffered, up to and including a newline.
        while (start_ < end_ && length < limit) {
            const char c = buffer_[start_++];
            line[length++] = c;
            if (c == '\n') {
                line[length] = '\0';
                return ReadStatus::Line;
            }
        }
        if (length == limit) break;
        if (!fill()) {
            if (length == 0) return ReadStatus::End;
            break;
        }
        if (start_ == end_ && length == 0) break;  // a failed read: an empty line
    }
    line[length] = '\0';
    return ReadStatus::Line;
}

ReadStatus InputReader::readLine(std::string& line) {
    line.resize(LINE_CAPACITY);
    const ReadStatus status = readLine(line.data(), line.size());
    line.resize(std::strlen(line.c_str()));
    return status;
}

bool InputReader::inputWaiting() { return start_ < end_ || ended_ || platform::inputWaiting(fd_); }

void Output::emit(const char* format, ...) const {
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) >= sizeof line) n = sizeof line - 1;
    if (sink_) {
        sink_(std::string_view(line, static_cast<std::size_t>(n)));
        return;
    }
    std::fwrite(line, 1, static_cast<std::size_t>(n), stdout);
    std::fflush(stdout);
}

}  // namespace tallomir

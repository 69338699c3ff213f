// Console input and output of the engine.
//
// Input is read from a descriptor (standard input for the engine program)
// through our own buffer, so that the poll during a search can see lines that
// were read ahead together with an earlier one (a "stop" arriving in the same
// write as its "go"). A line is at most LINE_CAPACITY - 1 characters; a longer
// line is handed out in pieces.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace tallomir {

inline constexpr std::size_t LINE_CAPACITY = 65536;

enum class ReadStatus { Line, End };

class InputReader {
public:
    explicit InputReader(int fd = 0) : fd_(fd) {}
    // Fills line (zero-terminated, line end included when it fits) like fgets.
    // Returns End only when the input has ended and nothing was left to read.
    ReadStatus readLine(char* line, std::size_t capacity);
    // The same into a string of the caller's: the text up to the first zero
    // byte, as a C string would read it.
    ReadStatus readLine(std::string& line);
    // Non-blocking: true when a byte is buffered or waiting, or the input has ended.
    bool inputWaiting();

private:
    // Reads more bytes into the buffer; false at the end of input.
    bool fill();

    int fd_;
    char buffer_[LINE_CAPACITY];
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
    int consecutiveErrors_ = 0;
};

// Where the engine's lines go: standard output, each written and flushed at
// once, or a sink of the caller's (tests and fuzzers capture the lines).
class Output {
public:
    using Sink = std::function<void(std::string_view text)>;
    Output() = default;
    explicit Output(Sink sink) : sink_(std::move(sink)) {}

    // One protocol line (or part of one), at most 1023 characters.
    void emit(const char* format, ...) const __attribute__((format(printf, 2, 3)));

private:
    Sink sink_;
};

}  // namespace tallomir

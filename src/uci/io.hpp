// Console input and output of the engine.
//
// Input is read from descriptor 0 through our own buffer, so that the poll
// during a search can see lines that were read ahead together with an earlier
// one (a "stop" arriving in the same write as its "go"). A line is at most
// LINE_CAPACITY - 1 characters; a longer line is handed out in pieces.
#pragma once

#include <cstddef>

namespace tallomir {

inline constexpr std::size_t LINE_CAPACITY = 65536;

enum class ReadStatus { Line, End };

class InputReader {
public:
    explicit InputReader(int fd = 0) : fd_(fd) {}
    // Fills line (zero-terminated, line end included when it fits) like fgets.
    // Returns End only when the input has ended and nothing was left to read.
    ReadStatus readLine(char* line, std::size_t capacity);
    // Non-blocking: true when a byte is buffered or waiting, or the input has ended.
    bool inputWaiting();
    // For tests: the reader forgets everything it buffered.
    void reset(int fd);

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

// The reader of standard input.
InputReader& stdinReader();

// One protocol line to standard output, written and flushed at once.
void emit(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Where emitted text goes; nullptr restores standard output. Tests capture it.
using OutputSink = void (*)(const char* text, std::size_t length);
void setOutputSink(OutputSink sink);

}  // namespace tallomir

// The engine's own line reader over a file descriptor.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "uci/io.hpp"

namespace tallomir {
namespace {

// Lines the reader hands out for the given input, until the end of input.
std::vector<std::string> readAll(const std::string& input) {
    char path[] = "/tmp/tallomir-io-XXXXXX";
    const int fd = ::mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::write(fd, input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::lseek(fd, 0, SEEK_SET);
    ::unlink(path);
    auto reader = std::make_unique<InputReader>(fd);
    auto line = std::make_unique<char[]>(LINE_CAPACITY);
    std::vector<std::string> lines;
    while (reader->readLine(line.get(), LINE_CAPACITY) == ReadStatus::Line && lines.size() < 100)
        lines.emplace_back(line.get());
    EXPECT_EQ(reader->readLine(line.get(), LINE_CAPACITY), ReadStatus::End);
    ::close(fd);
    return lines;
}

TEST(InputReader, LinesKeepTheirEnds) {
    EXPECT_EQ(readAll("isready\r\nuci\n\nquit"), (std::vector<std::string>{"isready\r\n", "uci\n", "\n", "quit"}));
    EXPECT_TRUE(readAll("").empty());
}

TEST(InputReader, OverlongLinesComeInPieces) {
    const std::string longLine(LINE_CAPACITY + 100, 'x');
    const std::vector<std::string> lines = readAll(longLine + "\nisready\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), LINE_CAPACITY - 1);
    EXPECT_EQ(lines[1], std::string(101, 'x') + "\n");
    EXPECT_EQ(lines[2], "isready\n");
}

}  // namespace
}  // namespace tallomir

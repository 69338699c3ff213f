// Helpers shared by the unit tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "board/check.hpp"
#include "board/position.hpp"
#include "editions/edition.hpp"

namespace tallomir::test {

// Loads a FEN ("startpos" allowed) into a fresh Position; fails the test when rejected.
Position loadFen(std::string_view fen);

// Plays UCI moves (each must be legal) on pos.
void playMoves(Position& pos, std::string_view moves);

// Rows of a tab-separated data file under tests/data, comment lines skipped.
std::vector<std::vector<std::string>> readTable(const std::string& name);

// Column of the current edition in the vector files (vendrel, ostravine, fenna).
inline int editionColumn() { return static_cast<int>(EDITION.id); }
// The edition's name as the data files write it: vendrel, ostravine, fenna.
inline std::string editionName() {
    static const char* const names[3] = {"vendrel", "ostravine", "fenna"};
    return names[editionColumn()];
}

// Whole-record comparison of two positions, field by field.
bool samePosition(const Position& a, const Position& b);

}  // namespace tallomir::test

#include "uci/io.hpp"

namespace tallomir::test {

// A descriptor that is not open: an engine reading it sees no input at all.
inline constexpr int NO_INPUT = -1;

// Collects the lines written to its output (give it to an engine, a reporter
// or printBestMove); it must outlive whatever writes to it.
class CapturedOutput {
public:
    CapturedOutput() = default;
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    const Output& output() const { return output_; }
    // The emitted lines, line ends removed.
    std::vector<std::string> lines() const;
    void clear() { text_.clear(); }

private:
    std::string text_;
    Output output_{[this](std::string_view text) { text_.append(text); }};
};

}  // namespace tallomir::test

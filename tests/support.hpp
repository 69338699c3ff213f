// Helpers shared by the unit tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "board/check.hpp"
#include "board/position.hpp"
#include "editions/edition.hpp"

namespace tallomir::test {

// Builds every table the engine builds before its first search.
void initialiseForTests();

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

namespace tallomir::test {

// Collects everything the engine emits while alive; restores stdout after.
class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput();
    // The emitted lines, line ends removed.
    std::vector<std::string> lines() const;
    void clear();
};

}  // namespace tallomir::test

// Everything the engine says while and after it searches.
#pragma once

#include <cstddef>
#include <string>

#include "search/state.hpp"

namespace tallomir {

inline constexpr std::size_t PV_TEXT_CAPACITY = 512;

// The moves of a zero-terminated PV as text; a move is added only while at
// least six characters of room remain in a 512-character buffer.
std::string pvText(const Move* pv);
// Mate in moves for a score beyond +-MATE_THRESHOLD, else 0.
int mateMoves(int score);
// The "info depth ... pv ..." line of a root report, or "" for no bound.
std::string principalVariationLine(const SearchState& search);

// The closing figures and the best move of a search.
void printBestMove(const SearchState& search);

// Prints the search's lines; with readInput it also hands waiting input lines
// to the command handler during the search (the engine), without it reads
// nothing (the developer tool).
class UciReporter : public SearchListener {
public:
    explicit UciReporter(bool readInput) : readInput_(readInput) {}
    void iterationStart(const SearchState& search, int depth) override;
    void iterationSummary(const SearchState& search, int depth) override;
    void principalVariation(const SearchState& search) override;
    void currentMove(const SearchState& search, Move move, int index) override;
    void poll(const SearchState& search) override;

private:
    bool readInput_;
    double lastReportTime_ = 0;  // elapsed at the last periodic report
};

}  // namespace tallomir

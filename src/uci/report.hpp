// Everything the engine says while and after it searches.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "search/state.hpp"
#include "uci/io.hpp"

namespace tallomir {

inline constexpr std::size_t PV_TEXT_CAPACITY = 512;

// The moves of a PV (zero-terminated unless it fills all of its capacity) as
// text; a move is added only while at least six characters of room remain in
// a 512-character buffer.
std::string pvText(const Move* pv, int capacity = PV_CAPACITY);
// Mate in moves for a score beyond +-MATE_THRESHOLD, else 0.
int mateMoves(int score);
// The "info depth ... pv ..." line of a root report, or "" for no bound.
std::string principalVariationLine(const SearchState& search);

// The closing figures and the best move of a search.
void printBestMove(const Output& out, const SearchState& search);

// Prints the search's lines. The engine also gives it what reads the input
// waiting at each poll (the command handler's lines); without it the reporter
// reads nothing (the developer tool).
class UciReporter : public SearchListener {
public:
    using InputPoll = std::function<void()>;
    explicit UciReporter(const Output& out, InputPoll readInput = {}) : out_(out), readInput_(std::move(readInput)) {}
    void iterationStart(const SearchState& search, int depth) override;
    void iterationSummary(const SearchState& search, int depth) override;
    void principalVariation(const SearchState& search) override;
    void currentMove(const SearchState& search, Move move, int index) override;
    void poll(const SearchState& search) override;

private:
    const Output& out_;
    InputPoll readInput_;
    double lastReportTime_ = 0;  // elapsed at the last periodic report
};

}  // namespace tallomir

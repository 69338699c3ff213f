// Shared parts of the fuzz targets: a fresh engine for every input, and the
// invariants every input must keep.
//
// A broken invariant prints what broke and aborts, which libFuzzer reports
// as a crash together with the input that caused it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "board/position.hpp"
#include "uci/io.hpp"
#include "uci/protocol.hpp"

namespace tallomir::fuzz {

// The depth searches of the fuzz targets stop at: deep enough to reach every
// part of the search, shallow enough for hundreds of inputs a second.
inline constexpr int FUZZ_ITERATION_CAP = 3;

// An output that drops everything the engine says.
Output discardOutput();

// An engine as it is right after start-up, reading the descriptor (none by
// default) and writing to out: default options but a small "Hash" (so that
// the first isready allocates quickly), no table yet, the start position,
// every search capped at the iterations above.
std::unique_ptr<UciEngine> newEngine(Output out, int inputFd = -1);

[[noreturn]] void fail(const char* what, const std::string& detail);

// Every redundant field agrees with the board, one king a side, the lists
// within their bounds, the side not to move not in check, and enough key
// history behind the position for the repetition test.
void checkPosition(const Position& pos, const char* where);

// The legal moves of pos, and whether m is one of them.
bool isLegalIn(const Position& pos, Move m);

// The best-move line of the engine: "bestmove 0000" only without a legal move,
// otherwise a legal move and a ponder move legal after it.
void checkBestMoveLine(const Position& pos, std::string_view line);

}  // namespace tallomir::fuzz

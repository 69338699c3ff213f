// Shared parts of the fuzz targets: the engine's tables built once, a fresh
// engine state for every input, and the invariants every input must keep.
//
// A broken invariant prints what broke and aborts, which libFuzzer reports
// as a crash together with the input that caused it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "board/position.hpp"

namespace tallomir::fuzz {

// The depth searches of the fuzz targets stop at: deep enough to reach every
// part of the search, shallow enough for hundreds of inputs a second.
inline constexpr int FUZZ_ITERATION_CAP = 3;

// An output sink that drops everything the engine says.
void discardOutput(const char* text, std::size_t length);

// Builds the engine's tables (once per process), as the engine's start-up does.
void initialiseOnce();

// The engine as it is right after start-up: default options (with a small
// "Hash" so that the first isready allocates quickly), no table yet, the start
// position, the protocol idle, nothing captured.
void resetEngine();

// Both of the above, then the tables allocated: a target that works on an
// initialised engine starts from here.
void initialiseEngine();

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

// What the engine program says and makes before its first command: the
// banner, and the large tables of a searcher.
#pragma once

#include "search/search.hpp"
#include "uci/io.hpp"

namespace tallomir {

// The banner printed at start-up, twelve lines.
void printBanner(const Output& out);
// Gives a searcher every table for a "Hash" value; when the memory cannot be
// had, says so on standard error and ends the program with status 1.
void allocateOrExit(Searcher& searcher, int hashOption);

}  // namespace tallomir

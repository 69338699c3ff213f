// The start-up sequence and the one-time allocation of the large tables.
#pragma once

#include "search/search.hpp"

namespace tallomir {

// Allocates the transposition table and the evaluation caches of the engine's
// searcher, once (the first "isready", "position", "go").
void ensureInitialised();
// Gives a searcher the transposition table of a "Hash" value (and, the
// second, its evaluation caches); when the memory cannot be had, says so on
// standard error and ends the program with status 1.
void allocateTableOrExit(Searcher& searcher, int hashOption);
void allocateSearcherOrExit(Searcher& searcher, int hashOption);
// The whole start-up sequence of the engine program, up to the command loop.
void startUp();

}  // namespace tallomir

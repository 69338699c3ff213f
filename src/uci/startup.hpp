// The start-up sequence and the one-time allocation of the large tables.
#pragma once

#include "search/search.hpp"

namespace tallomir {

// The constant tables built before the first position is set up.
void initialiseTables();
// Allocates and clears the transposition table and the evaluation caches and
// builds the evaluation's tables, once (the first "isready", "position", "go").
void ensureInitialised();
// Gives a searcher the transposition table of a "Hash" value (and, the
// second, its evaluation caches); when the memory cannot be had, says so on
// standard error and ends the program with status 1.
void allocateTableOrExit(Searcher& searcher, int hashOption);
void allocateSearcherOrExit(Searcher& searcher, int hashOption);
// The whole start-up sequence of the engine program, up to the command loop.
void startUp();

}  // namespace tallomir

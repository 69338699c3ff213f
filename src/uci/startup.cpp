#include "uci/startup.hpp"

#include <csignal>
#include <cstdio>

#include "board/position.hpp"
#include "eval/evaluate.hpp"
#include "search/state.hpp"
#include "search/tt.hpp"
#include "uci/options.hpp"
#include "uci/protocol.hpp"

namespace tallomir {

void initialiseTables() {
    initBoardTables();
    initEvalTables();
}

void ensureInitialised() {
    if (protocol.initialised) return;
    protocol.initialised = true;
    ttAllocate(optionAsInteger("Hash"));
    allocateEvalCaches();
}

void startUp() {
    // Step 1: every line must reach the interface at once.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // An interface that stops reading our output must not kill us with
    // SIGPIPE in the middle of a search: the write fails quietly, and the end
    // of our input then ends the program with status 0 as always.
    std::signal(SIGPIPE, SIG_IGN);
    printBanner();
    initialiseOptions();
    initialiseTables();
    // The transposition table waits for the first isready/position/go.
    ttFree();
    ttNewGeneration(0);
    ttClear();
    resetProtocolState();
    resetSearchState();
    setFromFen(gamePosition, START_FEN);
}

}  // namespace tallomir

#include "uci/startup.hpp"

#include <cstdio>

#include "board/position.hpp"
#include "eval/evaluate.hpp"
#include "uci/protocol.hpp"

namespace tallomir {

void initialiseTables() {
    initBoardTables();
    initEvalTables();
}

void ensureInitialised() {
    if (protocol.initialised) return;
    protocol.initialised = true;
    allocateEvalCaches();
}

void startUp() {
    // Step 1: every line must reach the interface at once.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    printBanner();
    initialiseTables();
    resetProtocolState();
    setFromFen(gamePosition, START_FEN);
}

}  // namespace tallomir

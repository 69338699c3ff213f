#include "uci/startup.hpp"

#include "board/position.hpp"
#include "eval/evaluate.hpp"
#include "platform/platform.hpp"
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
    // Every line must reach the interface at once, and an interface that
    // stops reading our output must not kill us in the middle of a search.
    platform::initialiseConsole();
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

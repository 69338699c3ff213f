#include "uci/startup.hpp"

#include <cstdio>
#include <cstdlib>

#include "board/position.hpp"
#include "eval/evaluate.hpp"
#include "platform/platform.hpp"
#include "search/tt.hpp"
#include "uci/options.hpp"
#include "uci/protocol.hpp"

namespace tallomir {

void allocateTableOrExit(Searcher& searcher, int hashOption) {
    if (searcher.allocate(hashOption)) return;
    std::fprintf(stderr, "tallomir: cannot allocate the %d MB transposition table\n", ttMegabytes(hashOption));
    std::exit(1);
}

void allocateSearcherOrExit(Searcher& searcher, int hashOption) {
    allocateTableOrExit(searcher, hashOption);
    if (const char* failed = searcher.caches().allocate()) {
        std::fprintf(stderr, "tallomir: cannot allocate the %s table\n", failed);
        std::exit(1);
    }
}

void ensureInitialised() {
    if (protocol().initialised) return;
    protocol().initialised = true;
    allocateSearcherOrExit(engineSearcher(), optionAsInteger("Hash"));
}

void startUp() {
    // Every line must reach the interface at once, and an interface that
    // stops reading our output must not kill us in the middle of a search.
    platform::initialiseConsole();
    printBanner();
    initialiseOptions();
    // The engine's searcher has no tables yet: they wait for the first
    // isready/position/go.
    resetProtocolState();
    setFromFen(gamePosition(), START_FEN);
}

}  // namespace tallomir

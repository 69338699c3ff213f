// The engine program: start-up, then the command loop until "quit" or the end
// of the input.
#include <cstdio>

#include "platform/platform.hpp"
#include "uci/protocol.hpp"

int main() {
    // Every line must reach the interface at once, and an interface that
    // stops reading our output must not kill us in the middle of a search.
    tallomir::platform::initialiseConsole();
    // Not owned by this frame: a host that takes control back while the
    // engine waits for input unwinds main and later resumes the command loop
    // (platform::runCommandLoop), which still needs the engine.
    auto* engine = new tallomir::UciEngine();
    engine->run();
    delete engine;
    std::fflush(stdout);
    return 0;
}

// The engine program: start-up, then the command loop until "quit" or the end
// of the input.
#include <cstdio>
#include <memory>

#include "platform/platform.hpp"
#include "uci/protocol.hpp"

int main() {
    // Every line must reach the interface at once, and an interface that
    // stops reading our output must not kill us in the middle of a search.
    tallomir::platform::initialiseConsole();
    const auto engine = std::make_unique<tallomir::UciEngine>();
    engine->run();
    std::fflush(stdout);
    return 0;
}

// The engine program: start-up, then the command loop until "quit" or the end
// of the input.
#include "uci/protocol.hpp"
#include "uci/startup.hpp"

#include <cstdio>

int main() {
    tallomir::startUp();
    while (tallomir::handleInputLine()) {
    }
    std::fflush(stdout);
    return 0;
}

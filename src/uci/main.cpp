// The engine program: start-up, then the command loop until "quit" or the end
// of the input.
#include "uci/protocol.hpp"
#include "uci/startup.hpp"

int main() {
    tallomir::startUp();
    for (;;) tallomir::handleInputLine();
}

// The UCI command handler and the protocol's own state.
#pragma once

#include <string_view>

namespace tallomir {

struct ProtocolState {
    bool initialised;      // the large tables exist
    bool searching;        // a "go" command is running the search
    bool holdBestMove;     // the running or last search was "infinite" or "ponder"
    bool bestMovePending;  // such a search ended; its best move waits for stop/ponderhit
};
extern ProtocolState protocol;

void resetProtocolState();

// The banner printed at start-up, twelve lines.
void printBanner();
// The reply to "uci".
void printIdentification();

// Reads one line from standard input and acts on it. Exits the program with
// status 0 on "quit" and at the end of the input.
void handleInputLine();

// What "quit" and the end of the input do. Unset (the engine), the process
// ends with status 0. A harness that drives the handler inside its own
// process (the fuzzer) installs a handler that must not return: it throws,
// which leaves a running search and the handler at once, and the harness
// catches it. nullptr restores the exit.
using QuitHandler = void (*)();
void setQuitHandler(QuitHandler handler);
// Acts on one line already read (line end removed); exposed for tests.
void handleCommand(std::string_view line);

void positionCommand(std::string_view line);

}  // namespace tallomir

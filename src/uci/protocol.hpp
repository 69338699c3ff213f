// The UCI command handler and the protocol's own state.
#pragma once

#include <string_view>

#include "board/position.hpp"
#include "search/search.hpp"

namespace tallomir {

struct ProtocolState {
    bool initialised;      // the large tables exist
    bool searching;        // a "go" command is running the search
    bool holdBestMove;     // the running or last search was "infinite" or "ponder"
    bool bestMovePending;  // such a search ended; its best move waits for stop/ponderhit
    bool quitRequested;    // "quit" or the end of the input: the command loop ends
    int iterationCap;      // 0, or the last iteration of every search (a harness's setting)
};
// The protocol layer owns its state, the game position and the engine's
// searcher; these reach them.
ProtocolState& protocol();

// The game position loaded by the "position" command.
Position& gamePosition();

// The engine's searcher, which "go" runs.
Searcher& engineSearcher();

void resetProtocolState();

// The banner printed at start-up, twelve lines.
void printBanner();
// The reply to "uci".
void printIdentification();

// Reads one line from standard input and acts on it. Returns false once
// "quit" or the end of the input has asked the program to end; a search
// running then is abandoned without a best move.
bool handleInputLine();

// What "quit" and the end of the input do. Unset (the engine), the command
// loop ends and main returns status 0. A harness that drives the handler inside its own
// process (the fuzzer) installs a handler that must not return: it throws,
// which leaves a running search and the handler at once, and the harness
// catches it. nullptr restores the exit.
using QuitHandler = void (*)();
void setQuitHandler(QuitHandler handler);
// Acts on one line already read (line end removed); exposed for tests.
void handleCommand(std::string_view line);

void positionCommand(std::string_view line);
// What the protocol says about a position that loaded: the long-standing
// complaint about ten or more white bishops, nothing otherwise.
void reportLoadedFen(const Position& pos);

}  // namespace tallomir

// The UCI engine: the command handler and everything it works with.
#pragma once

#include <string_view>

#include "board/position.hpp"
#include "search/search.hpp"
#include "uci/io.hpp"
#include "uci/options.hpp"

namespace tallomir {

struct ProtocolState {
    bool initialised;      // the large tables exist
    bool searching;        // a "go" command is running the search
    bool holdBestMove;     // the running or last search was "infinite" or "ponder"
    bool bestMovePending;  // such a search ended; its best move waits for stop/ponderhit
    bool quitRequested;    // "quit" or the end of the input: the command loop ends
    int iterationCap;      // 0, or the last iteration of every search (a harness's setting)
};

// One engine: its protocol state, options, game position and searcher, the
// reader of its input and where its lines go. The program makes one; tests
// and fuzzers make a fresh one for every case. Its tables are made by the
// first "isready", "position" or "go".
class UciEngine {
public:
    // Reads its commands from descriptor inputFd (a descriptor that is not
    // open reads as no input at all) and writes its lines to out.
    explicit UciEngine(int inputFd = 0, Output out = Output());
    UciEngine(const UciEngine&) = delete;
    UciEngine& operator=(const UciEngine&) = delete;

    // The banner, then the command loop until "quit" or the end of the input.
    void run();
    // Reads one line from the input and acts on it. Returns false once
    // "quit" or the end of the input has asked the program to end; a search
    // running then is abandoned without a best move.
    bool handleInputLine();
    // Acts on one line already read (line end removed).
    void handleCommand(std::string_view line);

    // For harnesses that search thousands of times: the last iteration of
    // every search (0: the edition's).
    void setIterationCap(int cap) { state_.iterationCap = cap; }
    // What "quit" and the end of the input do besides ending the command
    // loop. A harness that drives the handler inside its own process (the
    // fuzzer) installs a handler that must not return: it throws, which
    // leaves a running search and the handler at once, and the harness
    // catches it.
    using QuitHandler = void (*)();
    void setQuitHandler(QuitHandler handler) { quitHandler_ = handler; }

    const ProtocolState& state() const { return state_; }
    const Options& options() const { return options_; }
    // The game position loaded by the "position" command.
    const Position& position() const { return game_; }
    const Searcher& searcher() const { return searcher_; }

private:
    void ensureInitialised();
    void go(std::string_view line);
    void setoption(std::string_view line);
    void printIdentification() const;
    void printHeldBestMove();
    void quit();
    // The poll of a running search: every input line waiting, until "stop".
    void readWaitingInput();

    ProtocolState state_{};
    Options options_;
    Output output_;
    InputReader reader_;
    QuitHandler quitHandler_ = nullptr;
    Position game_{};
    Searcher searcher_;
};

}  // namespace tallomir

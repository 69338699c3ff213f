#include "uci/protocol.hpp"

#include <string>

#include "editions/edition.hpp"
#include "platform/platform.hpp"
#include "uci/go.hpp"
#include "uci/position_command.hpp"
#include "uci/report.hpp"
#include "uci/startup.hpp"

namespace tallomir {

namespace {

bool startsWith(std::string_view line, std::string_view word) { return line.substr(0, word.size()) == word; }

}  // namespace

UciEngine::UciEngine(int inputFd, Output out) : output_(std::move(out)), reader_(inputFd) {
    setFromFen(game_, START_FEN);
}

void UciEngine::run() {
    printBanner(output_);
    platform::runCommandLoop([](void* engine) { return static_cast<UciEngine*>(engine)->handleInputLine(); }, this);
}

void UciEngine::ensureInitialised() {
    if (state_.initialised) return;
    state_.initialised = true;
    allocateOrExit(searcher_, options_.asInteger("Hash"));
}

void UciEngine::printIdentification() const {
    output_.emit("id name Tallomir 2006 %s\n", EDITION.word);
    output_.emit("id author Oskvar\n");
    options_.print(output_);
    output_.emit("uciok\n");
}

void UciEngine::quit() {
    if (quitHandler_) quitHandler_();
    state_.quitRequested = true;
    if (state_.searching) searcher_.abortSearch();
}

void UciEngine::go(std::string_view line) {
    // Step 1-9: the words of the line and the limits of this search.
    const GoParameters go = parseGo(line);
    const SearchLimits limits = searchLimits(go, game_.side, options_.isTrue("Ponder"), state_.iterationCap);

    // Step 10-11: search.
    state_.searching = true;
    state_.holdBestMove = go.infinite || go.ponder;
    state_.bestMovePending = false;
    UciReporter reporter(output_, [this] { readWaitingInput(); });
    const SearchResult result = searcher_.think(game_, limits, reporter);

    // Step 12-14: the best move unless it is held, or the program is quitting.
    state_.searching = false;
    if (result.aborted) return;
    state_.bestMovePending = state_.holdBestMove;
    if (!state_.holdBestMove) printBestMove(output_, searcher_.state());
}

void UciEngine::readWaitingInput() {
    while (!searcher_.state().controls.stopRequested && reader_.inputWaiting()) handleInputLine();
}

void UciEngine::setoption(std::string_view line) {
    const char* name = options_.setFromLine(line);
    if (!name || !state_.initialised || std::string_view(name) != "Hash") return;
    const int hash = options_.asInteger("Hash");
    if (hash >= MIN_HASH_FOR_RESIZE) allocateOrExit(searcher_, hash);
}

void UciEngine::printHeldBestMove() {
    printBestMove(output_, searcher_.state());
    state_.bestMovePending = false;
}

void UciEngine::handleCommand(std::string_view line) {
    const bool searching = state_.searching;
    const bool pending = state_.bestMovePending && !searching;
    const bool idle = !state_.bestMovePending && !searching;

    if (startsWith(line, "debug ")) return;
    if (startsWith(line, "go ")) {
        if (!idle) return;
        ensureInitialised();
        go(line);
        return;
    }
    if (line == "isready") {
        if (idle) ensureInitialised();
        output_.emit("readyok\n");
        return;
    }
    if (line == "ponderhit") {
        if (pending) {
            printHeldBestMove();
        } else if (searching) {
            searcher_.releaseHold();
            state_.holdBestMove = false;
        }
        return;
    }
    if (startsWith(line, "position ")) {
        if (!idle) return;
        ensureInitialised();
        positionCommand(game_, output_, line);
        return;
    }
    if (line == "quit") {
        quit();
        return;
    }
    if (startsWith(line, "setoption ")) {
        if (idle) setoption(line);
        return;
    }
    if (line == "stop") {
        if (pending) {
            printHeldBestMove();
        } else if (searching) {
            searcher_.requestStop();
            state_.holdBestMove = false;
        }
        return;
    }
    if (line == "uci") {
        printIdentification();
        return;
    }
    if (line == "ucinewgame") {
        if (idle && state_.initialised) searcher_.newGame();
        return;
    }
}

bool UciEngine::handleInputLine() {
    // The line belongs to this call: the reads of a search it starts fill
    // lines of their own.
    std::string line;
    if (reader_.readLine(line) == ReadStatus::End) {
        quit();
        return false;
    }
    // Remove the line end: the first newline and a carriage return before it.
    std::size_t length = line.size();
    const std::size_t nl = line.find('\n');
    if (nl != std::string::npos) {
        length = nl;
        if (length > 0 && line[length - 1] == '\r') --length;
    }
    handleCommand(std::string_view(line).substr(0, length));
    return !state_.quitRequested;
}

}  // namespace tallomir

// The whole command handler fed an arbitrary byte stream as the engine's
// standard input, searches included: the poll of a running search reads the
// same stream, so "stop", "isready", "quit" and garbage arrive mid-search just
// as they do from a GUI. Every search stops at a small depth.
//
// After the stream (it always ends in "quit" or the end of the input) the
// output must show: one "readyok" per "isready" line handled, exactly one
// legal best move per search (none for a search that "quit" or the end of the
// input cut short, none yet for a held one), nothing after a best move until
// the next search, and sane protocol flags and game position throughout.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "uci/io.hpp"
#include "uci/protocol.hpp"

using namespace tallomir;

namespace {

struct SessionEnded {};

[[noreturn]] void endSession() { throw SessionEnded{}; }

struct Tally {
    int searches = 0;
    int bestMoves = 0;
    int readyoks = 0;
    bool afterBestMove = false;
} tally;

void collect(const UciEngine& engine, std::string_view line) {
    if (line == "info depth 1\n") {
        ++tally.searches;
        tally.afterBestMove = false;
    } else if (line.substr(0, 9) == "bestmove ") {
        ++tally.bestMoves;
        if (tally.afterBestMove) fuzz::fail("handler", "a second best move for one search");
        if (engine.state().searching) fuzz::fail("handler", "best move printed while searching");
        tally.afterBestMove = true;
        fuzz::checkBestMoveLine(engine.position(), line.substr(0, line.size() - 1));
    } else if (line == "readyok\n") {
        ++tally.readyoks;
    } else if (line.substr(0, 5) == "info " && tally.afterBestMove) {
        fuzz::fail("handler", "info after the best move");
    }
}

// The "isready" lines the handler acts on: lines cut at the first newline,
// read like C text (up to a zero byte), one carriage return before the
// newline dropped; nothing after "quit".
int isreadyLines(std::string_view input) {
    int n = 0;
    std::size_t at = 0;
    while (at < input.size()) {
        std::size_t end = input.find('\n', at);
        const bool hasNewline = end != std::string_view::npos;
        if (!hasNewline) end = input.size();
        std::string_view line = input.substr(at, end - at + (hasNewline ? 1 : 0));
        at = end + 1;
        line = line.substr(0, std::strlen(std::string(line).c_str()));
        const std::size_t nl = line.find('\n');
        if (nl != std::string_view::npos) {
            line = line.substr(0, nl);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        }
        if (line == "quit") break;
        if (line == "isready") ++n;
    }
    return n;
}

void checkProtocol(const ProtocolState& state, const char* where) {
    if (state.bestMovePending && !state.holdBestMove) fuzz::fail(where, "pending best move without a hold");
    if (state.bestMovePending && !state.initialised) fuzz::fail(where, "pending best move without tables");
    if (state.searching) fuzz::fail(where, "searching outside a search");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Lines longer than the reader's buffer come in pieces; keep inputs below
    // it so that the line count above stays exact.
    if (size >= LINE_CAPACITY - 1) return -1;
    tally = Tally{};

    const int fd = ::memfd_create("tallomir-fuzz-input", 0);
    if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size) || ::lseek(fd, 0, SEEK_SET) != 0)
        fuzz::fail("harness", "cannot make the input stream");
    const UciEngine* current = nullptr;
    const auto engine = fuzz::newEngine(Output([&current](std::string_view line) { collect(*current, line); }), fd);
    current = engine.get();
    engine->setQuitHandler(endSession);

    bool cutMidSearch = false;
    try {
        for (;;) {
            engine->handleInputLine();
            checkProtocol(engine->state(), "after a command");
            fuzz::checkPosition(engine->position(), "after a command");
        }
    } catch (const SessionEnded&) {
        cutMidSearch = engine->state().searching;
    }
    ::close(fd);

    // "quit" during a search leaves the search flag raised: the process would end there.
    ProtocolState state = engine->state();
    state.searching = false;
    checkProtocol(state, "at the end");
    fuzz::checkPosition(engine->position(), "at the end");
    const int unanswered = (cutMidSearch ? 1 : 0) + (state.bestMovePending ? 1 : 0);
    if (tally.bestMoves != tally.searches - unanswered)
        fuzz::fail("handler",
                   std::to_string(tally.searches) + " searches but " + std::to_string(tally.bestMoves) + " best moves");
    if (tally.readyoks != isreadyLines(std::string_view(reinterpret_cast<const char*>(data), size)))
        fuzz::fail("handler", "isready not answered once per line");
    return 0;
}

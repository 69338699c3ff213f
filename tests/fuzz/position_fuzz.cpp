// The "position" command with its move list: whatever follows "position ",
// the game position stays sound, keeps room in its key history for the
// deepest search, and a short search on it gives a legal best move without
// touching it.
#include <cstring>
#include <string>

#include "board/board_helpers.hpp"
#include "fuzz_support.hpp"
#include "search/state.hpp"
#include "uci/io.hpp"
#include "uci/protocol.hpp"

using namespace tallomir;

namespace {

Position before;
int bestMoveLines = 0;

void collect(const UciEngine& engine, std::string_view line) {
    if (line.substr(0, 9) != "bestmove ") return;
    ++bestMoveLines;
    fuzz::checkBestMoveLine(engine.position(), line.substr(0, line.size() - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const UciEngine* current = nullptr;
    const auto engine = fuzz::newEngine(Output([&current](std::string_view text) { collect(*current, text); }));
    current = engine.get();
    // A game of a few moves stands before the command, so a rejected FEN has
    // something to keep.
    engine->handleCommand("position startpos moves e2e4 c7c5 g1f3");
    const std::string line = "position " + std::string(reinterpret_cast<const char*>(data), size);
    engine->handleCommand(line);
    const Position& game = engine->position();
    fuzz::checkPosition(game, "after position");
    // Room for a search of the deepest ply on top of the game.
    if (game.historyCount + PV_CAPACITY >= KEY_HISTORY_SIZE) fuzz::fail("position", "key history too full");

    std::memcpy(&before, &game, sizeof before);
    bestMoveLines = 0;
    engine->handleCommand("go depth 2");
    if (bestMoveLines != 1) fuzz::fail("go", "not exactly one best-move line");
    const std::string diff = test::firstDifference(game, before);
    if (!diff.empty()) fuzz::fail("go", "the search changed the game position: " + diff);
    return 0;
}

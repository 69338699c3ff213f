#include "uci/position_command.hpp"

#include "uci/movetext.hpp"

namespace tallomir {

void reportLoadedFen(const Output& out, const Position& pos) {
    // Ten or more white bishops load, but the loader has always complained
    // about them, once after each colour's pieces are listed.
    if (pos.pieceIndexCount[pieceIndex(W_BISHOP)] >= 10) {
        out.emit("Posizione Illegale.\n");
        out.emit("Posizione Illegale.\n");
    }
}

namespace {

// The first place at or after `at` (and before `end`) that is not a blank:
// runs of blanks separate the words of the line like one.
std::size_t skipBlanks(std::string_view line, std::size_t at, std::size_t end) {
    while (at < end && line[at] == ' ') ++at;
    return at;
}

}  // namespace

// "position [fen FEN] [moves M1 M2 ...]". Without "fen " the start position is
// used, whatever else the line says. The FEN ends before the blank that
// precedes "moves ". A FEN the loader rejects leaves the position as it was
// and plays no moves; the move list stops at the first token that is not a
// legal move, so the position is never corrupted by bad input.
void positionCommand(Position& game, const Output& out, std::string_view line) {
    const std::size_t fenAt = line.find("fen ");
    const std::size_t movesAt = line.find("moves ");
    std::string_view fen = START_FEN;
    if (fenAt != std::string_view::npos) {
        std::size_t begin = fenAt + 4;
        std::size_t end = line.size();
        if (movesAt != std::string_view::npos && movesAt > fenAt) end = movesAt > begin ? movesAt - 1 : begin;
        begin = skipBlanks(line, begin, end);
        fen = line.substr(begin, end - begin);
    }
    if (setFromFen(game, fen) != FenResult::Loaded) {
        out.emit("Posizione Illegale.\n");
        return;
    }
    reportLoadedFen(out, game);
    if (movesAt == std::string_view::npos) return;

    std::size_t at = skipBlanks(line, movesAt + 6, line.size());
    while (at < line.size()) {
        if (line.size() - at < 4) return;
        std::size_t length = 4;
        if (at + 4 < line.size() && line[at + 4] != ' ') length = 5;
        if (!playMoveText(game, line.substr(at, length))) return;
        at = skipBlanks(line, at + length, line.size());
    }
}

}  // namespace tallomir

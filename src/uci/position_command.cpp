#include <string_view>

#include "uci/io.hpp"
#include "uci/movetext.hpp"
#include "uci/protocol.hpp"

namespace tallomir {

void reportLoadedFen(const Position& pos) {
    // Ten or more white bishops (kindCount[4]) load, but the loader has always complained
    // about them, once after each colour's pieces are listed.
    if (pos.kindCount[4] >= 10) {
        emit("Posizione Illegale.\n");
        emit("Posizione Illegale.\n");
    }
}

// "position [fen FEN] [moves M1 M2 ...]". Without "fen " the start position is
// used, whatever else the line says. The FEN ends before the blank that
// precedes "moves ". A FEN the loader rejects leaves the position as it was
// and plays no moves; the move list stops at the first token that is not a
// legal move, so the position is never corrupted by bad input.
void positionCommand(std::string_view line) {
    const std::size_t fenAt = line.find("fen ");
    const std::size_t movesAt = line.find("moves ");
    std::string_view fen = START_FEN;
    if (fenAt != std::string_view::npos) {
        const std::size_t begin = fenAt + 4;
        std::size_t end = line.size();
        if (movesAt != std::string_view::npos && movesAt > fenAt) end = movesAt > begin ? movesAt - 1 : begin;
        fen = line.substr(begin, end - begin);
    }
    if (setFromFen(gamePosition(), fen) != FenResult::Loaded) {
        emit("Posizione Illegale.\n");
        return;
    }
    reportLoadedFen(gamePosition());
    if (movesAt == std::string_view::npos) return;

    std::size_t at = movesAt + 6;
    while (at < line.size()) {
        if (line.size() - at < 4) return;
        std::size_t length = 4;
        if (at + 4 < line.size() && line[at + 4] != ' ') length = 5;
        if (!playMoveText(gamePosition(), line.substr(at, length))) return;
        at += length;
        while (at < line.size() && line[at] == ' ') ++at;
    }
}

}  // namespace tallomir

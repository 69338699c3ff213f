// The "position" command.
#pragma once

#include <string_view>

#include "board/position.hpp"
#include "uci/io.hpp"

namespace tallomir {

// "position [fen FEN] [moves M1 M2 ...]" on the game position.
void positionCommand(Position& game, const Output& out, std::string_view line);
// What the protocol says about a position that loaded: the long-standing
// complaint about ten or more white bishops, nothing otherwise.
void reportLoadedFen(const Output& out, const Position& pos);

}  // namespace tallomir

// Leaf counts of the legal move tree, the move generator's acceptance test.
#pragma once

#include <cstdint>

#include "board/position.hpp"

namespace tallomir {

// Every leaf is made and unmade.
std::uint64_t perft(Position& pos, int depth);
// The last ply is counted from the legal list without making its moves.
std::uint64_t perftBulk(Position& pos, int depth);

}  // namespace tallomir

// Helpers shared by the evaluation tests.
#pragma once

#include <string>
#include <vector>

#include "board/position.hpp"
#include "eval/evaluate.hpp"

namespace tallomir::test {

// Widest window: no lazy exit.
inline constexpr int WIDE = 30000;

// The evaluation tests' pawn, material and evaluation caches.
EvalCaches& testCaches();

// Evaluation on empty caches.
int freshEvaluate(Position& pos);

// The colour-reversed position: the board turned half a circle with the
// colours exchanged and the other side to move. Square colours and files
// keep their relation, so a symmetric evaluation scores it the same for the
// side to move.
std::string reversedFen(const std::string& fen);

// FENs of the eval vectors plus positions reached from them by seeded
// random legal moves: a varied sample of openings, middlegames and endings.
const std::vector<std::string>& samplePositions();

}  // namespace tallomir::test

// The static evaluation: score of a position for the side to move, in
// centipawns, within +-29744 except on the lazy exit.
#pragma once

#include "board/position.hpp"

namespace tallomir {

inline constexpr int EVAL_LIMIT = 29744;

// The Ostravine edition reads only alpha; beta is ignored there.
int evaluate(Position& pos, int alpha, int beta);

// Dead draws the search scores 0 before evaluating: no mate possible, a drawn
// king and pawn against king, a wrong-coloured bishop.
bool isRecognisedDraw(Position& pos);

// Start-up: the choice of square counting (before the first position is set up).
void initEvalTables();
// One-time allocation of the pawn and material caches.
void allocateEvalCaches();
// Empties the pawn and material caches (the tool and the tests start fresh).
void clearEvalCaches();

}  // namespace tallomir

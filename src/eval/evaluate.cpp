// Placeholder until the evaluation lands: material and piece-square sums only.
#include "eval/evaluate.hpp"

#include "eval/psqt.hpp"

namespace tallomir {

int evaluate(Position& pos, int, int) {
    const int s = pos.material[0] - pos.material[1] + pos.psqMid;
    return pos.side == 0 ? s : -s;
}

bool isRecognisedDraw(Position&) { return false; }

void initEvalTables() {}

void allocateEvalCaches() { buildPieceSquareTables(); }

}  // namespace tallomir

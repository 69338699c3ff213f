// The static evaluation: score of a position for the side to move, in
// centipawns, within +-EVAL_LIMIT except on the lazy exit.
#pragma once

#include "board/position.hpp"
#include "eval/material.hpp"

namespace tallomir {

// No static score reaches the mate scores: everything beyond the bound is a
// mate found by the search.
inline constexpr int EVAL_LIMIT = MATE_THRESHOLD;

struct PawnEntry;
struct EvalEntry;

// 64 KB: small enough to stay in the processor's second-level cache. A
// table of 1 MB found more positions again but missed the cache so often
// that the search ran slower than with no table at all.
inline constexpr int EVAL_TABLE_SIZE = 4096;

// The pawn, material and evaluation caches of one searcher. A position met
// again (a transposition, or a node evaluated twice) is mostly scored from
// the evaluation table.
struct EvalCaches {
    PawnEntry* pawns = nullptr;
    MaterialEntry* material = nullptr;
    EvalEntry* evals = nullptr;

    EvalCaches() = default;
    EvalCaches(const EvalCaches&) = delete;
    EvalCaches& operator=(const EvalCaches&) = delete;
    ~EvalCaches() { release(); }

    // Both tables, empty (a table already there is kept as it is); the name
    // of a table whose memory cannot be had, or nullptr.
    const char* allocate();
    void clear();
    void release();
};

// The Ostravine edition reads only alpha; beta is ignored there.
int evaluate(Position& pos, EvalCaches& caches, int alpha, int beta);

// Dead draws the search scores 0 before evaluating: no mate possible, a drawn
// king and pawn against king, a wrong-coloured bishop. All of them have at
// most four men on the board, kings included; the search asks at every node,
// so the count is tested here, then the material entry's mark, and the rest
// only for the few positions left.
bool isFewMenDraw(const Position& pos, const MaterialEntry& material);
inline bool isRecognisedDraw(Position& pos, EvalCaches& caches) {
    if (pos.totalCount > 4) return false;
    const MaterialEntry& material = materialEntry(caches.material, pos);
    return (material.drawFlags & DRAW_CANDIDATE) && isFewMenDraw(pos, material);
}

}  // namespace tallomir

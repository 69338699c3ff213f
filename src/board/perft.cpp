#include "board/perft.hpp"

#include "board/legality.hpp"
#include "board/makemove.hpp"

namespace tallomir {

std::uint64_t perft(Position& pos, int depth) {
    if (depth == 0) return 1;
    MoveList list;
    generateLegal(pos, list);
    std::uint64_t n = 0;
    for (int i = 0; i < list.count; ++i) {
        UndoRecord undo;
        makeMove(pos, undo, list.moves[i]);
        n += perft(pos, depth - 1);
        unmakeMove(pos, undo, list.moves[i]);
    }
    return n;
}

std::uint64_t perftBulk(Position& pos, int depth) {
    if (depth == 0) return 1;
    MoveList list;
    generateLegal(pos, list);
    if (depth == 1) return static_cast<std::uint64_t>(list.count);
    std::uint64_t n = 0;
    for (int i = 0; i < list.count; ++i) {
        UndoRecord undo;
        makeMove(pos, undo, list.moves[i]);
        n += perftBulk(pos, depth - 1);
        unmakeMove(pos, undo, list.moves[i]);
    }
    return n;
}

}  // namespace tallomir

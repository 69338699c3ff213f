#include "eval/king.hpp"

#include "editions/edition.hpp"
#include "eval/pawns.hpp"

namespace tallomir {

bool kingSheltered(const Position& pos, int c) {
    const std::uint8_t* b = pos.board;
    const int pawn = pawnCode[c];
    // Squares by file and relative rank (0 = own back rank).
    auto own = [&](int file, int rank) { return b[makeSquare(file, c == 0 ? rank : 7 - rank)] == pawn; };
    const Square k = pos.kingSquare(c);
    const int file = fileOf(k);
    if (relativeRank(k, c) != 0) return false;
    if (file == 6 || file == 7)  // short side: g, h
        return (own(6, 1) && (own(7, 1) || own(7, 2))) || (own(5, 1) && own(6, 2) && own(7, 1));
    if (file == 0 || file == 1)  // long side: a, b
        return (own(1, 1) && (own(0, 1) || own(0, 2))) || (own(2, 1) && own(1, 2) && own(0, 1));
    return false;
}

void evalKingShelter(const Position& pos, const MaterialEntry& material, int& mid) {
    if ((material.sideFlags[0] & FACES_QUEEN) && !kingSheltered(pos, 0)) mid -= EDITION.kingShelterPenalty;
    if ((material.sideFlags[1] & FACES_QUEEN) && !kingSheltered(pos, 1)) mid += EDITION.kingShelterPenalty;
}

}  // namespace tallomir

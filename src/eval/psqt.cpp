#include "eval/psqt.hpp"

namespace tallomir {

namespace {

constexpr int pawnFile[8] = {-3, -1, 0, 1, 1, 0, -1, -3};
constexpr int knightLine[8] = {-4, -2, 0, 1, 1, 0, -2, -4};
constexpr int knightRank[8] = {-2, -1, 0, 1, 2, 3, 2, 1};
constexpr int bishopLine[8] = {-3, -1, 0, 1, 1, 0, -1, -3};
constexpr int rookFile[8] = {-2, -1, 0, 1, 1, 0, -1, -2};
constexpr int queenLine[8] = {-3, -1, 0, 1, 1, 0, -1, -3};
constexpr int kingLine[8] = {-3, -1, 0, 1, 1, 0, -1, -3};
constexpr int kingFile[8] = {3, 4, 2, 0, 0, 2, 4, 3};
constexpr int kingRank[8] = {1, 0, -2, -3, -4, -5, -6, -7};

constexpr int sqn(int file, int rank) { return rank * 8 + file; }

// Built at compile time, so no position predates them (the start position once did; its sums are 0 by symmetry).
constexpr PieceSquareTables makePieceSquareTables() {
    PieceSquareTables t{};
    auto set = [&t](int idx, int n, int mid, int end) {
        t.entry[idx][n].mid = static_cast<std::int16_t>(mid);
        t.entry[idx][n].end = static_cast<std::int16_t>(end);
    };
    for (int n = 0; n < 64; ++n) {
        const int f = n & 7, r = n >> 3;
        // Pawn
        int mid = 5 * pawnFile[f];
        if (n == sqn(3, 2) || n == sqn(4, 2) || n == sqn(3, 4) || n == sqn(4, 4)) mid += 10;
        if (n == sqn(3, 3) || n == sqn(4, 3)) mid += 20;
        set(0, n, mid, 0);
        // Knight
        mid = 5 * (knightLine[f] + knightLine[r]) + 5 * knightRank[r];
        if (n == sqn(0, 7) || n == sqn(7, 7)) mid -= 100;
        set(2, n, mid, 5 * (knightLine[f] + knightLine[r]));
        // Bishop
        mid = 2 * (bishopLine[f] + bishopLine[r]);
        if ((f == r || f + r == 7) && n != sqn(0, 0) && n != sqn(7, 0)) mid += 4;
        if (r == 0 && f >= 1 && f <= 6) mid -= 10;
        if (n == sqn(0, 0) || n == sqn(7, 0)) mid -= 6;
        set(4, n, mid, 3 * (bishopLine[f] + bishopLine[r]));
        // Rook
        set(6, n, 3 * rookFile[f], 0);
        // Queen
        set(8, n, r == 0 ? -5 : 0, 4 * (queenLine[f] + queenLine[r]));
        // King
        set(10, n, 5 * kingFile[f] + 10 * kingRank[r], 12 * (kingLine[f] + kingLine[r]));
    }
    for (int k = 0; k < 6; ++k)
        for (int n = 0; n < 64; ++n) set(2 * k + 1, n, -t.entry[2 * k][n ^ 56].mid, -t.entry[2 * k][n ^ 56].end);
    return t;
}

}  // namespace

extern constexpr PieceSquareTables pieceSquareTables = makePieceSquareTables();

}  // namespace tallomir

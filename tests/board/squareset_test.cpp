// The square-set tables, and the queries built on them, against plain walks
// over the mailbox board.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "board/attacks.hpp"
#include "board/board_helpers.hpp"
#include "board/makemove.hpp"
#include "board/position.hpp"
#include "board/squareset.hpp"
#include "search/movepick.hpp"
#include "support.hpp"

namespace tallomir {
namespace {

constexpr int mailboxStep[8] = {1, 15, 16, 17, -1, -15, -16, -17};  // in ray-direction order

// Squares reached from n along direction d, up to and including the first square in `occupied`.
SquareSet walkRay(SquareSet occupied, int d, int n) {
    SquareSet reached = 0;
    for (Square s = squareOf[n] + mailboxStep[d]; onBoard(s); s += mailboxStep[d]) {
        reached |= squareBit(numberOf(s));
        if (occupied & squareBit(numberOf(s))) break;
    }
    return reached;
}

SquareSet nextRandom(std::uint64_t& x) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
}

TEST(SquareSets, LineAndRayAttacksMatchTheWalk) {
    std::uint64_t seed = 0x9E3779B97F4A7C15ULL;
    for (int trial = 0; trial < 3000; ++trial) {
        // Sparse and dense boards alike.
        SquareSet occupied = nextRandom(seed);
        if (trial % 3 == 1) occupied &= nextRandom(seed);
        if (trial % 3 == 2) occupied &= nextRandom(seed) & nextRandom(seed);
        for (int n = 0; n < 64; ++n) {
            SquareSet diagonal = 0, orthogonal = 0;
            for (int d = 0; d < 8; ++d) {
                const SquareSet walked = walkRay(occupied, d, n);
                ASSERT_EQ(rayAttacks(occupied, d, n), walked) << "square " << n << " direction " << d;
                (mailboxStep[d] % 16 == 0 || mailboxStep[d] == 1 || mailboxStep[d] == -1 ? orthogonal : diagonal) |=
                    walked;
            }
            ASSERT_EQ(diagonalAttacks(occupied, n), diagonal) << "square " << n << " occupied " << occupied;
            ASSERT_EQ(orthogonalAttacks(occupied, n), orthogonal) << "square " << n << " occupied " << occupied;
        }
    }
}

TEST(SquareSets, StepAndJumpSets) {
    for (int n = 0; n < 64; ++n) {
        SquareSet steps = 0, jumps = 0;
        for (int d : {1, 15, 16, 17, -1, -15, -16, -17})
            if (onBoard(squareOf[n] + d)) steps |= squareBit(numberOf(squareOf[n] + d));
        for (int d : {14, 18, 31, 33, -14, -18, -31, -33})
            if (onBoard(squareOf[n] + d)) jumps |= squareBit(numberOf(squareOf[n] + d));
        EXPECT_EQ(rayTables.kingSteps[n], steps) << n;
        EXPECT_EQ(rayTables.knightJumps[n], jumps) << n;
    }
}

TEST(SquareSets, DirectionOfEveryLineStep) {
    for (int d = 0; d < 8; ++d) EXPECT_EQ(rayDirection(mailboxStep[d]), d);
    for (int step : {0, 2, 14, 18, 31, 33, -33, -18}) EXPECT_EQ(rayDirection(step), -1) << step;
}

// The queries that look along lines of sight, against plain walks over the
// mailbox board, on positions from random games: same answers, same order.
namespace walk {

bool attacked(const Position& pos, int colour, Square t) {
    const Square u = t - pawnPush[colour];
    if (pos.board[u + 1] == pawnCode[colour] || pos.board[u - 1] == pawnCode[colour]) return true;
    for (const std::uint8_t* p = pos.pieceList[colour]; *p; ++p)
        if ((pos.board[*p] & attackMask(t - *p)) && pathClear(pos, *p, t)) return true;
    return false;
}

bool pinned(const Position& pos, int colour, Square s) {
    const Square k = pos.kingSquare(colour);
    const int d = rayStep(k - s);
    if (d == 0 || !pathClear(pos, s, k)) return false;
    Square b = s - d;
    while (pos.board[b] == EMPTY) b -= d;
    return (pos.board[b] & colourBits(colour ^ 1)) && (pos.board[b] & stepMask(d));
}

std::vector<std::pair<int, int>> checkers(const Position& pos) {
    const int e = pos.side ^ 1;
    const Square k = pos.kingSquare(pos.side), u = k - pawnPush[e];
    std::vector<std::pair<int, int>> found;
    for (Square s : {u + 1, u - 1})
        if (pos.board[s] == pawnCode[e]) found.push_back({s, 0});
    for (const std::uint8_t* p = pos.pieceList[e] + 1; *p; ++p)
        if ((pos.board[*p] & attackMask(k - *p)) && pathClear(pos, *p, k))
            found.push_back({*p, (pos.board[*p] & SLIDER_BITS) ? -rayStep(k - *p) : 0});
    if (found.size() > 2) found.resize(2);
    return found;
}

std::vector<Move> captures(const Position& pos) {
    const int c = pos.side, enemy = colourBits(c ^ 1), push = pawnPush[c];
    std::vector<Move> out;
    auto add = [&](Square from, Square to) {
        if ((pos.board[from] & PAWN_BITS) && isBackRank(to)) {
            for (int promo : {PROMO_QUEEN, PROMO_KNIGHT, PROMO_ROOK, PROMO_BISHOP})
                out.push_back(encodeMove(numberOf(from), numberOf(to), promotionBits(promo)));
        } else {
            out.push_back(encodeMove(numberOf(from), numberOf(to)));
        }
    };
    for (const std::uint8_t* p = pos.pieceList[c]; *p; ++p) {
        const int code = pos.board[*p];
        for (const std::int8_t* d = pieceDirections(code); *d; ++d) {
            Square s = *p + *d;
            if (code & SLIDER_BITS)
                while (pos.board[s] == EMPTY) s += *d;
            if (pos.board[s] & enemy) add(*p, s);
        }
    }
    for (const std::uint8_t* p = pos.pawnList[c]; *p; ++p) {
        if (pos.board[*p + push - 1] & enemy) add(*p, *p + push - 1);
        if (pos.board[*p + push + 1] & enemy) add(*p, *p + push + 1);
        if (isSeventhRank(*p, c) && pos.board[*p + push] == EMPTY) add(*p, *p + push);
    }
    if (pos.epSquare)
        for (Square from : {pos.epSquare - push + 1, pos.epSquare - push - 1})
            if (pos.board[from] == pawnCode[c])
                out.push_back(encodeMove(numberOf(from), numberOf(pos.epSquare), EN_PASSANT));
    // The picker's order: the higher ordering score first, ties in the order found.
    std::stable_sort(out.begin(), out.end(), [&](Move a, Move b) { return mvvLva(pos, a) > mvvLva(pos, b); });
    return out;
}

}  // namespace walk

TEST(SquareSets, QueriesAgreeWithTheWalkOverTheBoard) {
    int positions = 0;
    for (const std::string& start : test::randomGameStarts()) {
        Position pos = test::loadFen(start);
        test::Rng rng(977);
        for (int ply = 0; ply < 80 && pos.fiftyCount < 100; ++ply, ++positions) {
            const std::string fen = test::toFen(pos);
            MoveList list;
            list.count = 0;
            generateCaptures(pos, list);
            ASSERT_EQ(std::vector<Move>(list.moves, list.moves + list.count), walk::captures(pos)) << fen;

            CheckInfo info;
            const int n = findCheckers(pos, info);
            const auto expected = walk::checkers(pos);
            ASSERT_EQ(n, static_cast<int>(expected.size())) << fen;
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(info.checkerSquare[i], expected[i].first) << fen;
                ASSERT_EQ(info.checkerRay[i], expected[i].second) << fen;
            }

            for (int sq = 0; sq < 64; ++sq) {
                const Square s = squareOf[sq];
                for (int colour = 0; colour < 2; ++colour) {
                    ASSERT_EQ(isAttacked(pos, colour, s), walk::attacked(pos, colour, s)) << fen << " " << s;
                    if (pos.board[s] & colourBits(colour)) {
                        ASSERT_EQ(isPinned(pos, colour, s), walk::pinned(pos, colour, s)) << fen << " " << s;
                    }
                }
            }
            const Move m = test::randomMove(pos, rng);
            if (!m) break;
            UndoRecord undo;
            makeMove(pos, undo, m);
        }
    }
    EXPECT_GT(positions, 300);
}

}  // namespace
}  // namespace tallomir

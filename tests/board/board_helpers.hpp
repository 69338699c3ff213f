// Tools shared by the tests: a seeded random-game driver, the FEN writer,
// square names and a from-scratch check of every redundant field of a Position
// (linked into the fuzz targets and the soak test too: no GoogleTest here).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/movegen.hpp"
#include "board/position.hpp"

namespace tallomir::test {

// Small deterministic generator (splitmix64): the same seed gives the same
// games on every platform and compiler.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

// The square of a name such as "e4".
inline Square sq(const char* name) { return makeSquare(name[0] - 'a', name[1] - '1'); }

std::vector<Move> legalMoves(Position& pos);
// Every pseudo-legal move: the full generator, en passant and castling.
std::vector<Move> pseudoLegalMoves(const Position& pos);

// A legal move chosen at random, with a strong bias towards the moves that
// exercise the rare paths of make/unmake: castling, en passant, promotions and
// captures. 0 when there is none.
Move randomMove(Position& pos, Rng& rng);

// Plays up to `plies` random moves from pos (stopping at mate, stalemate or the
// fifty-move limit) and returns the moves played.
std::vector<Move> playRandomGame(Position& pos, Rng& rng, int plies);

// Start positions of the random games: quiet, tactical, castling- and
// promotion-rich ones.
const std::vector<std::string>& randomGameStarts();

// FEN of pos; the en-passant field shows epSquare (set only when a capture
// is possible), the full-move number is written as 1.
std::string toFen(const Position& pos);

// The name of the first field in which a and b differ (the key history up to
// historyCount), or an empty string when test::samePosition holds.
std::string firstDifference(const Position& a, const Position& b);

// Empty when every redundant field of pos agrees with its board; otherwise a
// description of the first disagreement.
std::string inconsistency(const Position& pos);

}  // namespace tallomir::test

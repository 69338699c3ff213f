#include "board/geometry.hpp"

namespace tallomir {

namespace {

constexpr int magnitude(int x) { return x < 0 ? -x : x; }

constexpr Geometry makeGeometry() {
    Geometry g{};
    for (auto& n : g.numberOf) n = -1;
    for (int n = 0; n < 64; ++n) {
        const Square sq = squareOf[n];
        g.numberOf[sq] = static_cast<std::int8_t>(n);
        g.isBackRank[sq] = (rankOf(sq) == 0 || rankOf(sq) == 7) ? 1 : 0;
    }

    for (auto& d : g.distance) d = -1;
    for (int r = -7; r <= 7; ++r)
        for (int f = -7; f <= 7; ++f) {
            const int d = magnitude(r) > magnitude(f) ? magnitude(r) : magnitude(f);
            g.distance[16 * r + f + DIFF_OFFSET] = static_cast<std::int8_t>(d);
        }

    auto mask = [&g](int d) -> std::uint8_t& { return g.attackMask[d + DIFF_OFFSET]; };
    mask(-17) |= BPAWN;
    mask(-15) |= BPAWN;
    mask(15) |= WPAWN;
    mask(17) |= WPAWN;
    for (const std::int8_t* p = knightSteps; *p; ++p) {
        const int j = *p;
        mask(j) |= KNIGHT;
        g.attackStep[j + DIFF_OFFSET] = static_cast<std::int8_t>(j);
    }
    auto slider = [&](const std::int8_t* steps, int bit) {
        for (const std::int8_t* p = steps; *p; ++p) {
            const int s = *p;
            g.stepMask[s + 17] |= static_cast<std::uint8_t>(bit);
            for (int k = 1; k <= 7; ++k) {
                mask(k * s) |= static_cast<std::uint8_t>(bit);
                g.attackStep[k * s + DIFF_OFFSET] = static_cast<std::int8_t>(s);
                g.rayStep[k * s + DIFF_OFFSET] = static_cast<std::int8_t>(s);
            }
        }
    };
    slider(bishopSteps, DIAGONAL);
    slider(rookSteps, ORTHOGONAL);
    for (const std::int8_t* p = queenSteps; *p; ++p) mask(*p) |= KING;
    return g;
}

}  // namespace

extern constexpr Geometry geometry = makeGeometry();

}  // namespace tallomir

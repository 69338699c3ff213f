#include "board/geometry.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tallomir {

Geometry geometry;

namespace {

constexpr int knightJumps[8] = {-33, -31, -18, -14, 14, 18, 31, 33};
constexpr int bishopSteps[4] = {-17, -15, 15, 17};
constexpr int rookSteps[4] = {-16, -1, 1, 16};
constexpr int queenSteps[8] = {-17, -16, -15, -1, 1, 15, 16, 17};

void appendZoneStep(int kind, int d, int step) {
    int& count = geometry.kingZoneCount[kind][d + DIFF_OFFSET];
    std::int32_t* row = geometry.kingZoneSteps[kind][d + DIFF_OFFSET];
    for (int i = 0; i < count; ++i)
        if (row[i] == step) return;
    if (count < 2) row[count++] = step;
}

void slideZone(int kind, Square king, Square piece, const int* steps, int n) {
    for (int i = 0; i < n; ++i) {
        for (Square s = piece + steps[i]; onBoard(s); s += steps[i]) {
            if (distanceBetween(s, king) == 1) {
                appendZoneStep(kind, king - piece, steps[i]);
                break;
            }
        }
    }
}

}  // namespace

void initSquareTables() {
    std::memset(geometry.numberOf, -1, sizeof geometry.numberOf);
    std::memset(geometry.isBackRank, 0, sizeof geometry.isBackRank);
    for (int n = 0; n < 64; ++n) {
        Square sq = squareOf[n];
        geometry.numberOf[sq] = static_cast<std::int8_t>(n);
        int row = sq >> 4;
        geometry.isBackRank[sq] = (row == 4 || row == 11) ? 1 : 0;
    }
}

void initDistance() {
    std::memset(geometry.distance, -1, sizeof geometry.distance);
    for (int r = -7; r <= 7; ++r)
        for (int f = -7; f <= 7; ++f)
            geometry.distance[16 * r + f + DIFF_OFFSET] = static_cast<std::int8_t>(std::max(std::abs(r), std::abs(f)));
}

void initGeometry() {
    std::memset(geometry.attackMask, 0, sizeof geometry.attackMask);
    std::memset(geometry.attackStep, 0, sizeof geometry.attackStep);
    std::memset(geometry.rayStep, 0, sizeof geometry.rayStep);
    std::memset(geometry.stepMask, 0, sizeof geometry.stepMask);

    auto mask = [](int d) -> std::uint8_t& { return geometry.attackMask[d + DIFF_OFFSET]; };
    mask(-17) |= BPAWN;
    mask(-15) |= BPAWN;
    mask(15) |= WPAWN;
    mask(17) |= WPAWN;
    for (int j : knightJumps) {
        mask(j) |= KNIGHT;
        geometry.attackStep[j + DIFF_OFFSET] = static_cast<std::int8_t>(j);
    }
    auto slider = [&](const int* steps, int bit) {
        for (int i = 0; i < 4; ++i) {
            int s = steps[i];
            geometry.stepMask[s + 17] |= bit;
            for (int k = 1; k <= 7; ++k) {
                mask(k * s) |= bit;
                geometry.attackStep[k * s + DIFF_OFFSET] = static_cast<std::int8_t>(s);
                geometry.rayStep[k * s + DIFF_OFFSET] = static_cast<std::int8_t>(s);
            }
        }
    };
    slider(bishopSteps, DIAGONAL);
    slider(rookSteps, ORTHOGONAL);
    for (int s : queenSteps) mask(s) |= KING;

    std::memset(geometry.promoOfCode, -1, sizeof geometry.promoOfCode);
    geometry.promoOfCode[W_KNIGHT] = geometry.promoOfCode[B_KNIGHT] = 0;
    geometry.promoOfCode[W_BISHOP] = geometry.promoOfCode[B_BISHOP] = 1;
    geometry.promoOfCode[W_ROOK] = geometry.promoOfCode[B_ROOK] = 2;
    geometry.promoOfCode[W_QUEEN] = geometry.promoOfCode[B_QUEEN] = 3;

    std::memset(geometry.kingZoneSteps, 0, sizeof geometry.kingZoneSteps);
    std::memset(geometry.kingZoneCount, 0, sizeof geometry.kingZoneCount);
    for (int i = 0; i < 64; ++i) {
        Square king = squareOf[i];
        for (int j = 0; j < 64; ++j) {
            Square piece = squareOf[j];
            for (int s : knightJumps)
                if (onBoard(piece + s) && distanceBetween(piece + s, king) == 1)
                    appendZoneStep(ZONE_KNIGHT, king - piece, s);
            slideZone(ZONE_BISHOP, king, piece, bishopSteps, 4);
            slideZone(ZONE_ROOK, king, piece, rookSteps, 4);
            slideZone(ZONE_QUEEN, king, piece, queenSteps, 8);
        }
    }
}

}  // namespace tallomir

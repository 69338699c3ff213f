#include "board/squareset.hpp"

#include <initializer_list>

namespace tallomir {

namespace {

// The squares a slider at index `at` of an eight-square line attacks when the
// squares in `occupied` hold men.
constexpr int lineReach(int at, int occupied) {
    int reach = 0;
    for (int x = at + 1; x < 8; ++x) {
        reach |= 1 << x;
        if (occupied & (1 << x)) break;
    }
    for (int x = at - 1; x >= 0; --x) {
        reach |= 1 << x;
        if (occupied & (1 << x)) break;
    }
    return reach;
}

constexpr RayTables makeRayTables() {
    constexpr int fileStep[8] = {1, -1, 0, 1, -1, 1, 0, -1};
    constexpr int rankStep[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    constexpr int jumps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
    RayTables t{};
    for (auto& d : t.directionOfStep) d = -1;
    for (int d = 0; d < 8; ++d) t.directionOfStep[16 * rankStep[d] + fileStep[d] + 33] = static_cast<std::int8_t>(d);
    for (int n = 0; n < 64; ++n) {
        const int f = n & 7, r = n >> 3;
        for (int d = 0; d < 8; ++d) {
            SquareSet ray = 0;
            for (int x = f + fileStep[d], y = r + rankStep[d]; x >= 0 && x < 8 && y >= 0 && y < 8;
                 x += fileStep[d], y += rankStep[d])
                ray |= squareBit(8 * y + x);
            t.rays[d][n] = ray;
        }
        for (int d = 0; d < 8; ++d) {
            const int x = f + fileStep[d], y = r + rankStep[d];
            if (x >= 0 && x < 8 && y >= 0 && y < 8) t.kingSteps[n] |= squareBit(8 * y + x);
        }
        for (const auto& j : jumps) {
            const int x = f + j[0], y = r + j[1];
            if (x >= 0 && x < 8 && y >= 0 && y < 8) t.knightJumps[n] |= squareBit(8 * y + x);
        }
    }
    return t;
}

constexpr LineTables makeLineTables(const RayTables& rayTable) {
    LineTables t{};
    for (int n = 0; n < 64; ++n) {
        const auto& r = rayTable.rays;
        t.diagonal[n] = r[NORTH_EAST][n] | r[SOUTH_WEST][n];
        t.antiDiagonal[n] = r[NORTH_WEST][n] | r[SOUTH_EAST][n];
        t.rank[n] = r[EAST][n] | r[WEST][n];
    }
    for (int at = 0; at < 8; ++at) {
        for (int o = 0; o < 64; ++o) {
            const int reach = lineReach(at, o << 1);
            t.rankAttacks[at][o] = static_cast<SquareSet>(reach) * 0x0101010101010101ULL;
            SquareSet file = 0;
            for (int y = 0; y < 8; ++y)
                if (reach & (1 << y)) file |= squareBit(8 * y);
            t.fileAttacks[at][o] = file;
        }
    }
    return t;
}

// Found by trial: sparse random numbers, the first under which no two
// occupancies of a square's inner diagonal squares with different attacks
// share an index (makeDiagonalTables refuses any that do).
constexpr SquareSet DIAGONAL_FACTORS[64] = {
    0x8008029802002200ULL, 0x4291040808802804ULL, 0x0008180040800300ULL, 0x00088A0202AA1050ULL, 0x000410A800000000ULL,
    0x0009100804040009ULL, 0x0801140121080011ULL, 0xA040808400824000ULL, 0x000008A004040048ULL, 0x0600200440808114ULL,
    0x2020410401204403ULL, 0x000404106200C001ULL, 0x0100011040800026ULL, 0x00080088200A0820ULL, 0x0008004804642080ULL,
    0x4000004402981800ULL, 0x0710002220020088ULL, 0x2010808202020402ULL, 0x8010080844002820ULL, 0x800C000124028000ULL,
    0x0002000422010040ULL, 0x6438402200422000ULL, 0x0010A1004C0C2000ULL, 0x000A00E109010190ULL, 0x08022010400414C0ULL,
    0x8428022220240101ULL, 0x0008088004040010ULL, 0x0008080000220020ULL, 0x0421010000104000ULL, 0x219102082500A000ULL,
    0x0018008042120150ULL, 0x02108020A09C0402ULL, 0x301C202000890208ULL, 0xA004022000080100ULL, 0x100C024100881200ULL,
    0x8000080800460A00ULL, 0x1004010804440040ULL, 0x420C920080041000ULL, 0x05018C0114440100ULL, 0x00040100308A0080ULL,
    0x0020821042801000ULL, 0x0202026120001C02ULL, 0x0002001044000800ULL, 0x20AA844200800801ULL, 0x0000012011001200ULL,
    0x0860209008808042ULL, 0x0008100080A80200ULL, 0x0808020050420201ULL, 0x00051C0104C00000ULL, 0x0000840108820022ULL,
    0x000A461842080004ULL, 0x2400400914880002ULL, 0x00040040102481B4ULL, 0x2104A14202020060ULL, 0x0004081041020060ULL,
    0x00A0840082005100ULL, 0x0000412210101482ULL, 0x0108504208042210ULL, 0x000020044C040405ULL, 0x4140050206051401ULL,
    0x0122008051820200ULL, 0x0082800428109100ULL, 0x9104042454440401ULL, 0x141E200C00820848ULL};

// The attacks along both diagonals from n, walked ray by ray.
constexpr SquareSet walkDiagonals(const RayTables& rayTable, SquareSet occupied, int n) {
    SquareSet attacks = 0;
    for (const int d : {NORTH_WEST, NORTH_EAST, SOUTH_EAST, SOUTH_WEST}) {
        const SquareSet onRay = occupied & rayTable.rays[d][n];
        const int first = d < 4 ? std::countr_zero(onRay) : 63 - std::countl_zero(onRay);
        attacks |= rayTable.rays[d][n] ^ (onRay ? rayTable.rays[d][first] : 0);
    }
    return attacks;
}

constexpr DiagonalTables makeDiagonalTables(const RayTables& rayTable) {
    constexpr SquareSet RIM = 0xFF818181818181FFULL;
    DiagonalTables t{};
    std::uint32_t offset = 0;
    for (int n = 0; n < 64; ++n) {
        const auto& r = rayTable.rays;
        const SquareSet inner = (r[NORTH_WEST][n] | r[NORTH_EAST][n] | r[SOUTH_EAST][n] | r[SOUTH_WEST][n]) & ~RIM;
        const int bits = std::popcount(inner);
        t.square[n] = {inner, DIAGONAL_FACTORS[n], offset, static_cast<std::uint32_t>(64 - bits)};
        // Every subset of the inner squares, by the carry-rippler walk.
        SquareSet subset = 0;
        do {
            SquareSet& entry = t.attacks[offset + ((subset * DIAGONAL_FACTORS[n]) >> (64 - bits))];
            const SquareSet attacks = walkDiagonals(rayTable, subset, n);
            // Two occupancies with different attacks on one index: no constant table.
            if (entry != 0 && entry != attacks) throw "diagonal factor collides";
            entry = attacks;
            subset = (subset - inner) & inner;
        } while (subset);
        offset += std::uint32_t{1} << bits;
    }
    if (offset != DIAGONAL_ATTACK_SETS) throw "diagonal attack sets miscounted";
    return t;
}

}  // namespace

extern constexpr RayTables rayTables = makeRayTables();
extern constexpr LineTables lineTables = makeLineTables(rayTables);
extern constexpr DiagonalTables diagonalTables = makeDiagonalTables(rayTables);

}  // namespace tallomir

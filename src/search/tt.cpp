#include "search/tt.hpp"

#include <cstdio>
#include <cstdlib>

namespace tallomir {

TranspositionTable tt;

namespace {

constexpr int BUCKET_SIZE = 4;
constexpr int SPARE_ENTRIES = 3;
constexpr int DEFAULT_MEGABYTES = 16;
constexpr int MIN_MEGABYTES = 4;
constexpr int MAX_MEGABYTES = 1024;

TTEntry emptyEntry() {
    TTEntry e;
    e.check = 0;
    e.move = 0;
    e.entryDepth = DEPTH_NONE;
    e.generation = static_cast<std::uint8_t>(tt.generation);
    e.moveDepth = DEPTH_NONE;
    e.lowerDepth = DEPTH_NONE;
    e.upperDepth = DEPTH_NONE;
    e.lowerBound = NO_LOWER;
    e.upperBound = NO_UPPER;
    return e;
}

}  // namespace

int ttMegabytes(int hashOption) {
    if (hashOption < MIN_MEGABYTES) return DEFAULT_MEGABYTES;
    return hashOption > MAX_MEGABYTES ? MAX_MEGABYTES : hashOption;
}

void ttAllocate(int hashOption) {
    ttFree();
    const std::uint64_t bytes = static_cast<std::uint64_t>(ttMegabytes(hashOption)) << 20;
    std::uint64_t power = 1;
    while (power <= bytes) power <<= 1;
    const std::uint64_t buckets = power / 32;  // half the power of two, in 16-byte entries
    tt.entryCount = static_cast<std::uint32_t>(buckets + SPARE_ENTRIES);
    tt.indexMask = static_cast<std::uint32_t>(buckets - 1);
    tt.entries = static_cast<TTEntry*>(std::malloc(static_cast<std::size_t>(tt.entryCount) * sizeof(TTEntry)));
    if (!tt.entries) {
        std::fprintf(stderr, "tallomir: cannot allocate the %d MB transposition table\n", ttMegabytes(hashOption));
        std::exit(1);
    }
    ttClear();
}

void ttFree() {
    std::free(tt.entries);
    tt.entries = nullptr;
    tt.entryCount = 0;
    tt.indexMask = 0;
}

void ttNewGeneration(int generation) {
    tt.generation = generation;
    for (int g = 0; g < 16; ++g) tt.ageDistance[g] = (generation - g) & 15;
    tt.hashfullCount = 0;
}

void ttClear() {
    ttNewGeneration(0);
    const TTEntry empty = emptyEntry();
    for (std::uint32_t i = 0; i < tt.entryCount; ++i) tt.entries[i] = empty;
}

bool ttProbe(std::uint32_t keyLow, std::uint32_t keyHigh, TTProbe& out) {
    if (!tt.entries) return false;
    TTEntry* bucket = tt.entries + (keyLow & tt.indexMask);
    for (int i = 0; i < BUCKET_SIZE; ++i) {
        TTEntry& e = bucket[i];
        if (e.check != keyHigh) continue;
        e.generation = static_cast<std::uint8_t>(tt.generation);
        out.move = e.move;
        out.lowerDepth = e.lowerDepth;
        out.upperDepth = e.upperDepth;
        out.lowerBound = e.lowerBound;
        out.upperBound = e.upperBound;
        return true;
    }
    return false;
}

void ttStore(std::uint32_t keyLow, std::uint32_t keyHigh, Move move, int depth, int lower, int upper) {
    if (!tt.entries) return;
    TTEntry* bucket = tt.entries + (keyLow & tt.indexMask);
    TTEntry* victim = nullptr;
    int victimRating = 0;
    for (int i = 0; i < BUCKET_SIZE; ++i) {
        TTEntry& e = bucket[i];
        if (e.check == keyHigh) {
            // Refresh the matching entry: each part only by a search at least as deep.
            if (e.generation != tt.generation) {
                ++tt.hashfullCount;
                e.generation = static_cast<std::uint8_t>(tt.generation);
            }
            const bool always = tt.alwaysReplace;
            if (always || depth > e.entryDepth) e.entryDepth = static_cast<std::int8_t>(depth);
            if (move != 0 && (always || depth >= e.moveDepth)) {
                e.moveDepth = static_cast<std::int8_t>(depth);
                e.move = move;
            }
            if (lower > NO_LOWER && (always || depth >= e.lowerDepth)) {
                e.lowerDepth = static_cast<std::int8_t>(depth);
                e.lowerBound = static_cast<std::int16_t>(lower);
            }
            if (upper < NO_UPPER && (always || depth >= e.upperDepth)) {
                e.upperDepth = static_cast<std::int8_t>(depth);
                e.upperBound = static_cast<std::int16_t>(upper);
            }
            return;
        }
        const int rating = tt.ageDistance[e.generation & 15] * 256 - e.entryDepth;
        if (!victim || rating > victimRating) {
            victim = &e;
            victimRating = rating;
        }
    }
    if (victim->generation != tt.generation) ++tt.hashfullCount;
    victim->check = keyHigh;
    victim->generation = static_cast<std::uint8_t>(tt.generation);
    victim->entryDepth = static_cast<std::int8_t>(depth);
    victim->move = move;
    victim->moveDepth = static_cast<std::int8_t>(move != 0 ? depth : DEPTH_NONE);
    victim->lowerDepth = static_cast<std::int8_t>(lower > NO_LOWER ? depth : DEPTH_NONE);
    victim->upperDepth = static_cast<std::int8_t>(upper < NO_UPPER ? depth : DEPTH_NONE);
    victim->lowerBound = static_cast<std::int16_t>(lower);
    victim->upperBound = static_cast<std::int16_t>(upper);
}

}  // namespace tallomir

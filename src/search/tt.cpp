#include "search/tt.hpp"

#include <cstdlib>

namespace tallomir {

namespace {

constexpr int BUCKET_SIZE = 4;
constexpr int SPARE_ENTRIES = 3;
constexpr int DEFAULT_MEGABYTES = 16;
constexpr int MIN_MEGABYTES = 4;
constexpr int MAX_MEGABYTES = 1024;

TTEntry emptyEntry(int generation) {
    TTEntry e;
    e.check = 0;
    e.move = 0;
    e.entryDepth = DEPTH_NONE;
    e.generation = static_cast<std::uint8_t>(generation);
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

bool TranspositionTable::allocate(int hashOption) {
    release();
    const std::uint64_t bytes = static_cast<std::uint64_t>(ttMegabytes(hashOption)) << 20;
    std::uint64_t power = 1;
    while (power <= bytes) power <<= 1;
    const std::uint64_t buckets = power / 32;  // half the power of two, in 16-byte entries
    entryCount = static_cast<std::uint32_t>(buckets + SPARE_ENTRIES);
    indexMask = static_cast<std::uint32_t>(buckets - 1);
    entries = static_cast<TTEntry*>(std::malloc(static_cast<std::size_t>(entryCount) * sizeof(TTEntry)));
    if (!entries) {
        entryCount = 0;
        indexMask = 0;
        return false;
    }
    clear();
    return true;
}

void TranspositionTable::release() {
    std::free(entries);
    entries = nullptr;
    entryCount = 0;
    indexMask = 0;
}

void TranspositionTable::newGeneration(int g) {
    generation = g;
    for (int i = 0; i < 16; ++i) ageDistance[i] = (g - i) & 15;
    hashfullCount = 0;
}

void TranspositionTable::clear() {
    newGeneration(0);
    const TTEntry empty = emptyEntry(generation);
    for (std::uint32_t i = 0; i < entryCount; ++i) entries[i] = empty;
}

bool TranspositionTable::probe(std::uint32_t keyLow, std::uint32_t keyHigh, TTProbe& out) {
    if (!entries) return false;
    TTEntry* bucket = entries + (keyLow & indexMask);
    for (int i = 0; i < BUCKET_SIZE; ++i) {
        TTEntry& e = bucket[i];
        if (e.check != keyHigh) continue;
        e.generation = static_cast<std::uint8_t>(generation);
        out.move = e.move;
        out.lowerDepth = e.lowerDepth;
        out.upperDepth = e.upperDepth;
        out.lowerBound = e.lowerBound;
        out.upperBound = e.upperBound;
        return true;
    }
    return false;
}

void TranspositionTable::store(std::uint32_t keyLow, std::uint32_t keyHigh, Move move, int depth, int lower, int upper) {
    if (!entries) return;
    TTEntry* bucket = entries + (keyLow & indexMask);
    TTEntry* victim = nullptr;
    int victimRating = 0;
    for (int i = 0; i < BUCKET_SIZE; ++i) {
        TTEntry& e = bucket[i];
        if (e.check == keyHigh) {
            // Refresh the matching entry: each part only by a search at least as deep.
            if (e.generation != generation) {
                ++hashfullCount;
                e.generation = static_cast<std::uint8_t>(generation);
            }
            const bool always = alwaysReplace;
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
        const int rating = ageDistance[e.generation & 15] * 256 - e.entryDepth;
        if (!victim || rating > victimRating) {
            victim = &e;
            victimRating = rating;
        }
    }
    if (victim->generation != generation) ++hashfullCount;
    victim->check = keyHigh;
    victim->generation = static_cast<std::uint8_t>(generation);
    victim->entryDepth = static_cast<std::int8_t>(depth);
    victim->move = move;
    victim->moveDepth = static_cast<std::int8_t>(move != 0 ? depth : DEPTH_NONE);
    victim->lowerDepth = static_cast<std::int8_t>(lower > NO_LOWER ? depth : DEPTH_NONE);
    victim->upperDepth = static_cast<std::int8_t>(upper < NO_UPPER ? depth : DEPTH_NONE);
    victim->lowerBound = static_cast<std::int16_t>(lower);
    victim->upperBound = static_cast<std::int16_t>(upper);
}

double TranspositionTable::hashfullPermille() const {
    if (entryCount == 0) return 0;
    return static_cast<double>(hashfullCount) / static_cast<double>(entryCount) * 1000.0;
}

}  // namespace tallomir

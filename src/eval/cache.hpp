// The fixed-size tables of the evaluation's caches.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tallomir {

// Allocates `table` once, zeroed; an engine without its caches cannot play,
// so a failed allocation ends the program with a message naming the table.
template <class Entry>
void allocateCacheTable(Entry*& table, int count, const char* name) {
    if (table) return;
    table = static_cast<Entry*>(std::calloc(count, sizeof(Entry)));
    if (!table) {
        std::fprintf(stderr, "tallomir: cannot allocate the %s table\n", name);
        std::exit(1);
    }
}

template <class Entry>
void clearCacheTable(Entry* table, int count) {
    if (table) std::memset(table, 0, count * sizeof(Entry));
}

// An entry carries the high half of its key; 0 marks an empty slot. A slot
// whose check matches is copied out, otherwise the entry is computed,
// marked and stored in the slot.
template <class Entry, class Compute>
void probeCacheTable(Entry& slot, std::uint32_t check, Entry& out, Compute compute) {
    if (slot.checkKey == check) {
        out = slot;
        return;
    }
    compute(out);
    out.checkKey = check;
    slot = out;
}

}  // namespace tallomir

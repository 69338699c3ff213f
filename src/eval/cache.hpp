// The fixed-size tables of the evaluation's caches.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace tallomir {

// Allocates `table` once, zeroed; false when the memory cannot be had.
template <class Entry>
bool allocateCacheTable(Entry*& table, int count) {
    if (!table) table = static_cast<Entry*>(std::calloc(count, sizeof(Entry)));
    return table != nullptr;
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

// The fixed-size tables of the evaluation's caches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/platform.hpp"

namespace tallomir {

// Allocates `table` once; the system hands the memory over zeroed, which is
// an empty cache. False when the memory cannot be had.
template <class Entry>
bool allocateCacheTable(Entry*& table, int count) {
    if (!table) table = static_cast<Entry*>(platform::allocateTable(static_cast<std::size_t>(count) * sizeof(Entry)));
    return table != nullptr;
}

template <class Entry>
void freeCacheTable(Entry*& table, int count) {
    platform::freeTable(table, static_cast<std::size_t>(count) * sizeof(Entry));
    table = nullptr;
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

// The same, read in place: the slot itself, filled first when its check does
// not match. The reference holds until the next probe of the table.
template <class Entry, class Compute>
const Entry& cachedEntry(Entry& slot, std::uint32_t check, Compute compute) {
    if (slot.checkKey != check) [[unlikely]] {
        compute(slot);
        slot.checkKey = check;
    }
    return slot;
}

}  // namespace tallomir

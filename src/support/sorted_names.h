// Tables of names sorted by length first, then byte by byte: the order in which a lookup compares
// lengths before any byte. The zip reader's entry tables and the message table keep it.
#pragma once

#include <cstdint>

// Negative, zero or positive as name a sorts before, with or after name b.
int compareSortedNames(const char* a, int32_t aLength, const char* b, int32_t bLength);

// The entry of the sorted table whose name (the members `name` and `length`) is the key, by binary
// search; null when there is none.
template <class Entry>
const Entry* findSortedName(const Entry* table, int32_t count, char* Entry::*name, int32_t Entry::*length,
                            const char* key, int32_t keyLength) {
  int32_t low = 0;
  int32_t high = count - 1;
  while (low <= high) {
    int32_t middle = low + (high - low) / 2;
    const Entry& entry = table[middle];
    int order = compareSortedNames(entry.*name, entry.*length, key, keyLength);
    if (order == 0) return &entry;
    if (order < 0)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return nullptr;
}

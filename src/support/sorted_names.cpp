// The order of sorted name tables.
#include "support/sorted_names.h"

#include <cstring>

int compareSortedNames(const char* a, int32_t aLength, const char* b, int32_t bLength) {
  if (aLength != bLength) return aLength < bLength ? -1 : 1;
  return std::memcmp(a, b, aLength);
}

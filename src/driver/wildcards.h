// Expansion of "*" and "?" in source-name arguments.
#pragma once

#include <cstddef>

void expandWildcards(int* count, char*** arguments);
void* xrealloc(void* block, size_t size);

// Expansion of "*" and "?" in source-name arguments.
#pragma once

#include <cstddef>

void expandWildcards(int* count, char*** arguments);
void* xrealloc(void* block, size_t size);

// A heap array of heap strings as the driver takes it, being built: a null slot always follows
// the last argument.
struct ArgumentList {
  char** slots;
  int count;
};

// Appends a heap copy of the first `length` bytes of the text.
void appendArgument(ArgumentList* list, const char* text, size_t length);

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

// Frees the list it watches unless told the list was handed on: a list left part of the way (by a
// stop, out of memory, or a failure) goes, while the one it was made from stays its owner's.
class UnfinishedArguments {
 public:
  explicit UnfinishedArguments(ArgumentList* list) : list_(list) {}
  ~UnfinishedArguments();
  UnfinishedArguments(const UnfinishedArguments&) = delete;
  UnfinishedArguments& operator=(const UnfinishedArguments&) = delete;
  void handedOn() { list_ = nullptr; }

 private:
  ArgumentList* list_;
};

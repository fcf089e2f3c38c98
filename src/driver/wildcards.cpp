// Wildcard arguments expand to the matching names behind the directory prefix as typed; a
// pattern that matches nothing stays as it is and later fails as an ordinary name.
#include "driver/wildcards.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/compile_driver.h"
#include "platform/wildcard_match.h"
#include "support/arena.h"
#include "support/fatal_stops.h"
#include "support/multibyte_strings.h"

void* xrealloc(void* block, size_t size) {
  void* grown = heapReallocate(block, size);
  if (grown == nullptr) outOfMemory();
  return grown;
}

void appendArgument(ArgumentList* list, const char* text, size_t length) {
  list->slots = static_cast<char**>(xrealloc(list->slots, sizeof(char*) * (list->count + 2)));
  char* copy = static_cast<char*>(heapAllocate(length + 1));
  if (copy == nullptr) outOfMemory();
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  list->slots[list->count++] = copy;
  list->slots[list->count] = nullptr;
}

UnfinishedArguments::~UnfinishedArguments() {
  if (list_ != nullptr) freeArgv(list_->count, list_->slots);
}

void expandWildcards(int* count, char*** arguments) {
  ArgumentList list{static_cast<char**>(xrealloc(nullptr, sizeof(char*) * (*count + 32))), 0};
  list.slots[0] = nullptr;
  UnfinishedArguments unfinished(&list);
  for (int i = 0; i < *count; i++) {
    const char* argument = (*arguments)[i];
    if (argument == nullptr) continue;  // an empty string from the in-process caller
    size_t length = std::strlen(argument);
    if (argument[0] == '-' || length > 260 || !hasWildcard(argument)) {
      appendArgument(&list, argument, length);
      continue;
    }
    const char* separator = lastPathSeparator(argument);
    std::string prefix(argument, separator != nullptr ? separator + 1 - argument : 0);
    std::vector<std::string> matches = findMatchingFiles(argument);
    if (matches.empty()) {
      appendArgument(&list, argument, length);
      continue;
    }
    for (const std::string& match : matches) {
      std::string name = prefix + match;
      appendArgument(&list, name.c_str(), name.size());
    }
  }
  unfinished.handedOn();
  freeArgv(*count, *arguments);
  *count = list.count;
  *arguments = list.slots;
}

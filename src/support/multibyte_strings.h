// Character search and comparison of host multibyte strings. A search steps character by
// character, so the trail byte of a double-byte character is never taken for "/", "\" or ".".
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of the character at p: 1 in a single-byte locale, else what the runtime decodes; below 1
// for an invalid or incomplete sequence.
int32_t characterLength(const char* p);
// Past the character at p, an invalid byte counted as one.
const char* nextCharacter(const char* p);

const char* findCharacter(const char* text, char c);
const char* findLastCharacter(const char* text, char c);
inline bool isPathSeparator(char c) {
  return c == '/' || c == '\\';
}
const char* lastPathSeparator(const char* path);
// Whether the last character of the path is "/" or "\".
bool endsWithPathSeparator(const char* path);
bool stringsEqual(const char* a, const char* b);
bool stringsEqualIgnoreCase(const char* a, const char* b);
bool stringsEqualN(const char* a, const char* b, size_t n);

inline char* findCharacter(char* text, char c) {
  return const_cast<char*>(findCharacter(static_cast<const char*>(text), c));
}
inline char* findLastCharacter(char* text, char c) {
  return const_cast<char*>(findLastCharacter(static_cast<const char*>(text), c));
}
inline char* lastPathSeparator(char* path) {
  return const_cast<char*>(lastPathSeparator(static_cast<const char*>(path)));
}

// Multibyte-aware searches. ASCII bytes are single characters in every codeset the host supports,
// so they take no call into the runtime; under UTF-8, where no trail byte is ASCII, an invalid
// byte counts as one character instead of ending the search.
#include "support/multibyte_strings.h"

#include <cctype>
#include <cstring>

#include "platform/host_characters.h"
#include "support/encodings.h"
#include "support/global.h"

int32_t characterLength(const char* p) {
  int32_t n = hostCharacterLength(p, global.maxCharBytes);
  if (n < 1) return codesetIsUtf8() ? 1 : -1;
  return n;
}

const char* nextCharacter(const char* p) {
  int32_t n = characterLength(p);
  return p + (n < 1 ? 1 : n);
}

const char* findCharacter(const char* text, char c) {
  for (const char* p = text; *p != '\0';) {
    if (static_cast<unsigned char>(*p) < 0x80) {
      if (*p == c) return p;
      p++;
      continue;
    }
    int32_t n = characterLength(p);
    if (n < 1) return nullptr;
    if (n == 1 && *p == c) return p;
    p += n;
  }
  return nullptr;
}

const char* findLastCharacter(const char* text, char c) {
  const char* last = nullptr;
  for (const char* p = text; *p != '\0';) {
    if (static_cast<unsigned char>(*p) < 0x80) {
      if (*p == c) last = p;
      p++;
      continue;
    }
    int32_t n = characterLength(p);
    if (n < 1) break;
    if (n == 1 && *p == c) last = p;
    p += n;
  }
  return last;
}

// Both separators in one pass, which ends where findLastCharacter's would.
const char* lastPathSeparator(const char* path) {
  const char* last = nullptr;
  for (const char* p = path; *p != '\0';) {
    if (static_cast<unsigned char>(*p) < 0x80) {
      if (*p == '/' || *p == '\\') last = p;
      p++;
      continue;
    }
    int32_t n = characterLength(p);
    if (n < 1) break;
    p += n;
  }
  return last;
}

bool endsWithPathSeparator(const char* path) {
  size_t length = std::strlen(path);
  if (length == 0) return false;
  if (path[length - 1] == '/') return true;
  // A final 0x5C may be the trail byte of a double-byte character.
  return path[length - 1] == '\\' && findLastCharacter(path, '\\') == path + length - 1;
}

bool stringsEqual(const char* a, const char* b) {
  return std::strcmp(a, b) == 0;
}

bool stringsEqualIgnoreCase(const char* a, const char* b) {
  size_t length = std::strlen(a);
  if (std::strlen(b) != length) return false;
  for (size_t i = 0; i < length; i++) {
    int x = static_cast<unsigned char>(a[i]);
    int y = static_cast<unsigned char>(b[i]);
    if (std::isupper(x)) x = std::tolower(x);
    if (std::isupper(y)) y = std::tolower(y);
    if (x != y) return false;
  }
  return true;
}

bool stringsEqualN(const char* a, const char* b, size_t n) {
  return std::strncmp(a, b, n) == 0;
}

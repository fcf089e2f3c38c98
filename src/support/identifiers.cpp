// Interning. The hash reads three characters at most and a found name moves to the front of its
// bucket, so names that recur close together are cheap to find again.
#include "support/identifiers.h"

#include <cstdlib>
#include <cstring>

#include "support/arena.h"
#include "support/encodings.h"
#include "support/fatal_stops.h"

void growNameBuffer() {
  int32_t capacity = global.nameCapacity > 0 ? global.nameCapacity * 2 : 256;
  if (capacity < global.nameCapacity) outOfMemory();
  auto* grown = static_cast<uint16_t*>(std::malloc(sizeof(uint16_t) * capacity));
  if (grown == nullptr) outOfMemory();
  if (global.nameLength > 0) std::memcpy(grown, global.nameBuffer, sizeof(uint16_t) * global.nameLength);
  std::free(global.nameBuffer);
  global.nameBuffer = grown;
  global.nameCapacity = capacity;
}

void appendNameUtf16(const uint16_t* characters, int32_t count) {
  for (int32_t i = 0; i < count; i++) appendNameChar(characters[i]);
}

int32_t appendNameCString(const char* text) {
  int32_t n = 0;
  for (; text[n] != '\0'; n++) appendNameChar(static_cast<uint16_t>(static_cast<int16_t>(static_cast<signed char>(text[n]))));
  return n;
}

void appendNameUtf8(const char* bytes, int32_t count) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  for (int32_t i = 0; i < count;) {
    unsigned b0 = p[i];
    // A form cut off by the end of the input takes zero bits for its missing bytes.
    if (b0 >= 0xE0) {
      unsigned b1 = i + 1 < count ? p[i + 1] : 0;
      unsigned b2 = i + 2 < count ? p[i + 2] : 0;
      appendNameChar(static_cast<uint16_t>(((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F)));
      i += 3;
    } else if (b0 >= 0xC0) {
      unsigned b1 = i + 1 < count ? p[i + 1] : 0;
      appendNameChar(static_cast<uint16_t>(((b0 & 0x1F) << 6) | (b1 & 0x3F)));
      i += 2;
    } else {
      appendNameChar(static_cast<uint16_t>(b0));
      i++;
    }
  }
}

char* nameBufferToNative(Arena* arena) {
  const auto* characters = reinterpret_cast<const char16_t*>(global.nameBuffer);
  int32_t size = 3 * global.nameLength + 1;
  auto* text = arenaNewArray<char>(arena, size);
  int32_t length = 0;
  if (convertToNative(characters, global.nameLength, text, size, &length)) return text;
  // A name must never become empty (two classes would then share one file): it keeps its whole
  // escaped form. The same name is converted for every path and message it appears in, so it
  // is reported once.
  size = 6 * global.nameLength + 1;
  text = arenaNewArray<char>(arena, size);
  unicodeToEscapedAscii(characters, global.nameLength, text, size);
  warnUnconvertibleOnce(text);
  return text;
}

int32_t compareNameChars(const uint16_t* a, const void* b, int32_t n, int32_t mode) {
  if (n <= 0) return 0;
  if (mode == 2) return std::memcmp(a, b, sizeof(uint16_t) * n) != 0;
  const auto* bytes = static_cast<const unsigned char*>(b);
  for (int32_t i = 0; i < n; i++)
    if (a[i] != bytes[i]) return 1;
  return 0;
}

int32_t nameBucket(const uint16_t* c, int32_t length) {
  if (length <= 1) return length == 1 ? (c[0] & 0x3FF) : 0;
  return (c[0] + 2 * c[length - 2] + 64 * length) % IDENTIFIER_BUCKETS;
}

Identifier* lookupName(const uint16_t* characters, int32_t length, int32_t kind) {
  Identifier** bucket = &global.identifierTable[nameBucket(characters, length)];
  Identifier* previous = nullptr;
  for (Identifier* id = *bucket; id != nullptr; previous = id, id = id->next) {
    if (id->length != length || compareNameChars(identifierChars(id), characters, length, 2) != 0) continue;
    if (previous != nullptr) {
      previous->next = id->next;
      id->next = *bucket;
      *bucket = id;
    }
    return id;
  }
  auto* id = arenaNewWithTail<Identifier>(&global.mainArena, sizeof(uint16_t) * length);
  id->next = *bucket;
  id->kind = kind;
  id->length = length;
  if (length > 0) std::memcpy(const_cast<uint16_t*>(identifierChars(id)), characters, sizeof(uint16_t) * length);
  *bucket = id;
  return id;
}

Identifier* enterName(const char* text, int32_t kind) {
  resetNameBuffer();
  appendNameCString(text);
  return lookupName(global.nameBuffer, global.nameLength, kind);
}

// Interning. The hash mixes every character, so the names of generated code spread over the
// buckets, and the table doubles as names come; a found name moves to the front of its bucket, so
// names that recur close together are cheap to find again.
#include "support/identifiers.h"

#include <cstdlib>
#include <cstring>

#include "support/arena.h"
#include "support/encodings.h"
#include "support/fatal_stops.h"
#include "support/hashing.h"

void growNameBuffer() {
  int32_t capacity = global.nameCapacity > 0 ? global.nameCapacity * 2 : 256;
  if (capacity < global.nameCapacity) outOfMemory();
  auto* grown = static_cast<uint16_t*>(heapAllocate(sizeof(uint16_t) * capacity));
  if (grown == nullptr) outOfMemory();
  if (global.nameLength > 0) std::memcpy(grown, global.nameBuffer, sizeof(uint16_t) * global.nameLength);
  std::free(global.nameBuffer);
  global.nameBuffer = grown;
  global.nameCapacity = capacity;
}

namespace {

// Room for `count` more characters, made at once.
uint16_t* reserveName(int32_t count) {
  while (global.nameCapacity - global.nameLength < count) growNameBuffer();
  return global.nameBuffer + global.nameLength;
}

}  // namespace

void appendNameUtf16(const uint16_t* characters, int32_t count) {
  if (count <= 0) return;
  std::memcpy(reserveName(count), characters, sizeof(uint16_t) * count);
  global.nameLength += count;
}

void appendNameAscii(const char* bytes, int32_t count) {
  if (count <= 0) return;
  uint16_t* out = reserveName(count);
  for (int32_t i = 0; i < count; i++) out[i] = static_cast<unsigned char>(bytes[i]);
  global.nameLength += count;
}

int32_t appendNameCString(const char* text) {
  int32_t n = static_cast<int32_t>(std::strlen(text));
  uint16_t* out = reserveName(n);
  for (int32_t i = 0; i < n; i++) out[i] = static_cast<uint16_t>(static_cast<int16_t>(static_cast<signed char>(text[i])));
  global.nameLength += n;
  return n;
}

void appendNameNative(const char* text, int32_t count) {
  while (count > 0) {
    char16_t units[2];
    int32_t decoded = 0;
    int32_t used = decodeNativeCharacter(text, count, units, &decoded);
    if (used <= 0) {
      appendNameChar(static_cast<unsigned char>(*text));
      used = 1;
    } else {
      for (int32_t i = 0; i < decoded; i++) appendNameChar(units[i]);
    }
    text += used;
    count -= used;
  }
}

void appendNameUtf8(const char* bytes, int32_t count) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  // Never more characters than bytes; the ASCII run that most names are goes straight in.
  uint16_t* out = reserveName(count);
  int32_t ascii = 0;
  while (ascii < count && p[ascii] < 0x80) {
    out[ascii] = p[ascii];
    ascii++;
  }
  global.nameLength += ascii;
  for (int32_t i = ascii; i < count;) {
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
  // Names are nearly always ASCII, which every host codeset spells byte for byte; the backslash
  // and the tilde are left to the conversion, as a few Japanese codesets give them other bytes.
  int32_t ascii = 0;
  while (ascii < global.nameLength && characters[ascii] < 0x80 && characters[ascii] != '\\' &&
         characters[ascii] != '~')
    ascii++;
  if (ascii == global.nameLength) {
    for (int32_t i = 0; i < ascii; i++) text[i] = static_cast<char>(characters[i]);
    return text;
  }
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

namespace {

int64_t nameProbes;

// Four ASCII bytes as the four UTF-16 units they stand for, in memory order (little-endian).
uint64_t widenAscii4(const unsigned char* p) {
  uint32_t bytes;
  std::memcpy(&bytes, p, 4);
  uint64_t x = bytes;
  x = (x | x << 16) & 0x0000FFFF0000FFFFull;
  return (x | x << 8) & 0x00FF00FF00FF00FFull;
}

uint64_t widenAscii2(const unsigned char* p) {
  uint64_t x = static_cast<uint64_t>(p[0]) | static_cast<uint64_t>(p[1]) << 8;
  return (x | x << 8) & 0x00FF00FFull;
}

// The low bytes of four UTF-16 units, as four bytes.
uint64_t narrow4(const uint16_t* characters) {
  uint64_t x;
  std::memcpy(&x, characters, 8);
  x &= 0x00FF00FF00FF00FFull;
  x = (x | x >> 8) & 0x0000FFFF0000FFFFull;
  return (x | x >> 16) & 0xFFFFFFFFull;
}

// An ASCII name hashes as its bytes, so the scanner and the class reader look names up where they
// stand in their text (lookupAsciiName). Any other name hashes as its UTF-16 units: it can equal
// no ASCII name.
uint32_t nameHash(const uint16_t* characters, int32_t length) {
  if (length <= 0) return static_cast<uint32_t>(hashBytes(characters, 0));
  uint16_t high = 0;
  for (int32_t i = 0; i < length; i++) high |= characters[i];
  if (high >= 0x80) return static_cast<uint32_t>(hashBytes(characters, sizeof(uint16_t) * length));
  // The bytes of the name, narrowed four at a time into a buffer on the stack.
  unsigned char narrow[256];
  unsigned char* bytes = length <= static_cast<int32_t>(sizeof narrow) ? narrow : static_cast<unsigned char*>(heapAllocate(length));
  if (bytes == nullptr) outOfMemory();
  int32_t i = 0;
  for (; i + 4 <= length; i += 4) {
    uint32_t word = static_cast<uint32_t>(narrow4(characters + i));
    std::memcpy(bytes + i, &word, 4);
  }
  for (; i < length; i++) bytes[i] = static_cast<unsigned char>(characters[i]);
  auto hash = static_cast<uint32_t>(hashBytes(bytes, length));
  if (bytes != narrow) std::free(bytes);
  return hash;
}

// Doubled when the names outnumber the buckets.
void growIdentifierTable() {
  growArenaBuckets(&global.mainArena, &global.identifierTable, &global.identifierBuckets,
                   static_cast<uint32_t>(IDENTIFIER_BUCKETS), &Identifier::next,
                   [](const Identifier* id) { return id->hash; });
}

// Most names are short: up to eight bytes (four characters) they are compared as two overlapping
// words, longer ones by memcmp.
bool sameCharacters(const uint16_t* a, const uint16_t* b, int32_t length) {
  size_t bytes = sizeof(uint16_t) * length;
  if (bytes > 8) return std::memcmp(a, b, bytes) == 0;
  if (bytes == 0) return true;
  if (bytes >= 4) {
    uint32_t a0, b0, a1, b1;
    std::memcpy(&a0, a, 4);
    std::memcpy(&b0, b, 4);
    std::memcpy(&a1, reinterpret_cast<const char*>(a) + bytes - 4, 4);
    std::memcpy(&b1, reinterpret_cast<const char*>(b) + bytes - 4, 4);
    return a0 == b0 && a1 == b1;
  }
  return a[0] == b[0];
}

}  // namespace

int32_t nameBucket(const uint16_t* c, int32_t length) {
  if (global.identifierBuckets == 0) growIdentifierTable();
  return static_cast<int32_t>(nameHash(c, length) & (global.identifierBuckets - 1));
}

int64_t nameProbeCount() {
  return nameProbes;
}

namespace {

// The table walk of both lookups: the first entry with the hash and length whose characters
// `same` accepts is moved to the front of its bucket; else `fill` writes the characters of a new one.
template <typename Same, typename Fill>
Identifier* lookupHashed(uint32_t hash, int32_t length, int32_t kind, Same same, Fill fill) {
  if (global.identifierCount >= global.identifierBuckets) growIdentifierTable();
  Identifier** bucket = &global.identifierTable[hash & (global.identifierBuckets - 1)];
  Identifier* previous = nullptr;
  for (Identifier* id = *bucket; id != nullptr; previous = id, id = id->next) {
    nameProbes++;
    if (id->hash != hash || id->length != length || !same(identifierChars(id))) continue;
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
  id->hash = hash;
  fill(const_cast<uint16_t*>(identifierChars(id)));
  *bucket = id;
  global.identifierCount++;
  return id;
}

}  // namespace

Identifier* lookupName(const uint16_t* characters, int32_t length, int32_t kind) {
  return lookupHashed(
      nameHash(characters, length), length, kind,
      [&](const uint16_t* stored) { return sameCharacters(stored, characters, length); },
      [&](uint16_t* stored) {
        if (length > 0) std::memcpy(stored, characters, sizeof(uint16_t) * length);
      });
}

namespace {

// Four characters at a time, the last four overlapping those before; a shorter name by two
// overlapping pairs.
bool sameAsAscii(const uint16_t* characters, const unsigned char* bytes, int32_t length) {
  auto pair = [](const uint16_t* at) {
    uint32_t word;
    std::memcpy(&word, at, 4);
    return static_cast<uint64_t>(word);
  };
  if (length >= 4) {
    uint64_t word;
    for (int32_t i = 0; i + 4 < length; i += 4) {
      std::memcpy(&word, characters + i, 8);
      if (word != widenAscii4(bytes + i)) return false;
    }
    std::memcpy(&word, characters + length - 4, 8);
    return word == widenAscii4(bytes + length - 4);
  }
  if (length >= 2) return pair(characters) == widenAscii2(bytes) && pair(characters + length - 2) == widenAscii2(bytes + length - 2);
  return length == 0 || characters[0] == bytes[0];
}

}  // namespace

Identifier* lookupAsciiName(const char* text, int32_t length, int32_t kind) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  return lookupHashed(
      static_cast<uint32_t>(hashBytes(bytes, length > 0 ? length : 0)), length, kind,
      [&](const uint16_t* stored) { return sameAsAscii(stored, bytes, length); },
      [&](uint16_t* stored) {
        for (int32_t i = 0; i < length; i++) stored[i] = bytes[i];
      });
}

Identifier* enterName(const char* text, int32_t kind) {
  resetNameBuffer();
  appendNameCString(text);
  return lookupName(global.nameBuffer, global.nameLength, kind);
}

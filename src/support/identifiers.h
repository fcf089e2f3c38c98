// The name buffer and the identifier table: every name is interned once as an Identifier, so
// names compare by pointer. Names are assembled in one growable buffer of UTF-16 characters.
#pragma once

#include <cstdint>

#include "support/global.h"

struct Arena;

struct Identifier {
  Identifier* next;  // next record of the same bucket
  int32_t kind;      // 1 for a name, the keyword's token kind for a keyword
  int32_t length;
  uint32_t hash;     // kept, so the table grows without hashing its names again
  uint32_t marks;    // IDENTIFIER_ marks that lookups read in place of a search
  // `length` UTF-16 characters follow the record.
};

// Some class of the compile (from source or a class file) has a member class of this name: a
// search of member classes for any other name finds none without a walk.
constexpr uint32_t IDENTIFIER_NAMES_MEMBER_CLASS = 1;

inline const uint16_t* identifierChars(const Identifier* id) {
  return reinterpret_cast<const uint16_t*>(id + 1);
}

void growNameBuffer();

inline void resetNameBuffer() {
  global.nameLength = 0;
}

inline void appendNameChar(uint16_t c) {
  if (global.nameLength == global.nameCapacity) growNameBuffer();
  global.nameBuffer[global.nameLength++] = c;
}

void appendNameUtf16(const uint16_t* characters, int32_t count);
// ASCII bytes, each a character of its own value.
void appendNameAscii(const char* bytes, int32_t count);
int32_t appendNameCString(const char* text);
void appendNameUtf8(const char* bytes, int32_t count);
// Host text (a file name, a message text); a byte the codeset cannot decode stands for itself.
void appendNameNative(const char* text, int32_t count);
char* nameBufferToNative(Arena* arena);
// Mode 2: b holds 16-bit characters; any other mode: b holds bytes, compared unsigned.
int32_t compareNameChars(const uint16_t* a, const void* b, int32_t n, int32_t mode);
Identifier* lookupName(const uint16_t* characters, int32_t length, int32_t kind);
// As lookupName for the characters of `length` ASCII bytes (each below 0x80), read in place.
Identifier* lookupAsciiName(const char* bytes, int32_t length, int32_t kind);
Identifier* enterName(const char* text, int32_t kind);
// The bucket a name hashes to in the table as it stands.
int32_t nameBucket(const uint16_t* characters, int32_t length);
// How many records lookups have compared with a name, for tests that prove a lookup does not walk.
int64_t nameProbeCount();

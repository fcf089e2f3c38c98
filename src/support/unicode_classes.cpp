// The lookups behind the scanner's character tests: three indexed loads and no branch on the
// character, so a value outside 0..0xFFFF is masked to the word of U+0000 and then cleared.
#include "support/unicode_classes.h"

#include "support/unicode_class_tables.h"

namespace {

constexpr int CLASS_SHIFT = 16;
constexpr uint32_t CATEGORY_MASK = 0x1F;

// Identifier classes, as unicode_classes.h numbers them. The classes that may start a name are
// the highest; those that may continue one (1, 3, 5, 6, 7) are exactly those with one of the two
// low bits set.
constexpr uint32_t CLASS_IGNORABLE = 1;
constexpr uint32_t CLASS_WHITESPACE = 4;
constexpr uint32_t CLASS_FIRST_START = 5;
constexpr uint32_t CLASS_PART_BITS = 3;

inline uint32_t propertyWord(int32_t c) {
  uint32_t u = static_cast<uint32_t>(c);
  uint32_t inRange = 0u - static_cast<uint32_t>(u <= 0xFFFF);
  u &= inRange;
  return unicodeProperties[unicodeBlocks[unicodeBlockIndex[u >> 6]][u & 0x3F]] & inRange;
}

inline uint32_t classOf(int32_t c) {
  return (propertyWord(c) >> CLASS_SHIFT) & 7;
}

}  // namespace

int32_t unicodeIdentifierClass(int32_t c) {
  return static_cast<int32_t>(classOf(c));
}

int32_t unicodeCategory(int32_t c) {
  return static_cast<int32_t>(propertyWord(c) & CATEGORY_MASK);
}

bool isJavaIdentifierStart(int32_t c) {
  return classOf(c) >= CLASS_FIRST_START;
}

bool isJavaIdentifierPart(int32_t c) {
  return (classOf(c) & CLASS_PART_BITS) != 0;
}

bool isWhitespace(int32_t c) {
  return classOf(c) == CLASS_WHITESPACE;
}

bool isIdentifierIgnorable(int32_t c) {
  return classOf(c) == CLASS_IGNORABLE;
}

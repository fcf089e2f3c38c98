// The character tests across all 65536 values: class totals, the exact members of the small
// classes, the rows the scanner depends on, and values outside the 16-bit range.
#include <array>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "support/unicode_classes.h"

namespace {

constexpr int32_t CHARACTER_COUNT = 0x10000;

struct Span {
  int32_t first;
  int32_t last;
};

struct ClassMembers {
  int32_t identifierClass;
  std::vector<Span> spans;
};

// The small classes, each listed in full.
const std::vector<ClassMembers> listedClasses = {
    {1,
     {{0x0000, 0x0008}, {0x000E, 0x001B}, {0x007F, 0x009F}, {0x00AD, 0x00AD}, {0x0600, 0x0603},
      {0x06DD, 0x06DD}, {0x070F, 0x070F}, {0x180E, 0x180E}, {0x200C, 0x200F}, {0x202A, 0x202E},
      {0x2060, 0x2063}, {0x206A, 0x206F}, {0xFEFF, 0xFEFF}, {0xFFF9, 0xFFFB}}},
    {4,
     {{0x0009, 0x000D}, {0x001C, 0x0020}, {0x1680, 0x1680}, {0x2000, 0x200B}, {0x2028, 0x2029},
      {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000}}},
    {5,
     {{0x005F, 0x005F}, {0x203F, 0x2040}, {0x2054, 0x2054}, {0xFE33, 0xFE34}, {0xFE4D, 0xFE4F},
      {0xFF3F, 0xFF3F}}},
    {6,
     {{0x0024, 0x0024}, {0x00A2, 0x00A5}, {0x060B, 0x060B}, {0x09F2, 0x09F3}, {0x0AF1, 0x0AF1},
      {0x0BF9, 0x0BF9}, {0x0E3F, 0x0E3F}, {0x17DB, 0x17DB}, {0x20A0, 0x20B5}, {0xFDFC, 0xFDFC},
      {0xFE69, 0xFE69}, {0xFF04, 0xFF04}, {0xFFE0, 0xFFE1}, {0xFFE5, 0xFFE6}}},
};

TEST(UnicodeClassesTest, EveryClassHasItsTotal) {
  std::array<int32_t, 8> totals{};
  int32_t latin1Letters = 0;
  for (int32_t c = 0; c < CHARACTER_COUNT; c++) {
    int32_t identifierClass = unicodeIdentifierClass(c);
    ASSERT_GE(identifierClass, 0);
    ASSERT_LE(identifierClass, 7);
    totals[identifierClass]++;
    if (c >= 0x00A0 && c <= 0x00FF && identifierClass == 7) latin1Letters++;
  }
  const std::array<int32_t, 8> expected = {
      CHARACTER_COUNT - 87 - 908 - 28 - 10 - 41 - 46690, 87, 0, 908, 28, 10, 41, 46690};
  EXPECT_EQ(totals, expected);
  EXPECT_EQ(latin1Letters, 65);
}

TEST(UnicodeClassesTest, ListedClassesHoldExactlyTheirMembers) {
  for (const ClassMembers& listed : listedClasses) {
    std::vector<bool> member(CHARACTER_COUNT, false);
    for (const Span& span : listed.spans) {
      for (int32_t c = span.first; c <= span.last; c++) member[c] = true;
    }
    for (int32_t c = 0; c < CHARACTER_COUNT; c++) {
      EXPECT_EQ(unicodeIdentifierClass(c) == listed.identifierClass, member[c])
          << "class " << listed.identifierClass << ", character U+" << std::hex << c;
    }
  }
}

// The three tests must be the class read three ways, for every value.
TEST(UnicodeClassesTest, TestsFollowTheClass) {
  for (int32_t c = 0; c < CHARACTER_COUNT; c++) {
    int32_t identifierClass = unicodeIdentifierClass(c);
    ASSERT_EQ(isJavaIdentifierStart(c), identifierClass >= 5) << std::hex << c;
    ASSERT_EQ(isJavaIdentifierPart(c), identifierClass != 0 && identifierClass != 4)
        << std::hex << c;
    ASSERT_EQ(isWhitespace(c), identifierClass == 4) << std::hex << c;
  }
}

struct Row {
  int32_t c;
  bool start;
  bool part;
  bool whitespace;
  int32_t category;
};

TEST(UnicodeClassesTest, TellingRows) {
  const Row rows[] = {
      {0x000C, false, false, true, 15},   // form feed
      {0x001C, false, false, true, 15},   // a control that counts as white space
      {0x0020, false, false, true, 12},
      {0x00A0, false, false, false, 12},  // no-break space is neither
      {0x0024, true, true, false, 26},    // $
      {0x005F, true, true, false, 23},    // _
      {0x0030, false, true, false, 9},
      {0x0039, false, true, false, 9},
      {0x0660, false, true, false, 9},    // Arabic-Indic zero
      {0x0000, false, true, false, 15},   // ignorable, so it joins a name
      {0x007F, false, true, false, 15},
      {0x200C, false, true, false, 16},
      {0x0041, true, true, false, 1},
      {0x0061, true, true, false, 2},
      {0x01C5, true, true, false, 3},
      {0x00AA, true, true, false, 5},
      {0x2160, true, true, false, 10},    // Roman numeral one
      {0x4E00, true, true, false, 5},
      {0xAC00, true, true, false, 5},     // first Hangul syllable
      {0x0301, false, true, false, 6},
      {0x0903, false, true, false, 8},
      {0x20DD, false, false, false, 7},   // enclosing marks are no part of a name
      {0x20AC, true, true, false, 26},    // the euro sign
      {0x00AD, false, true, false, 16},   // soft hyphen: ignorable
      {0x0218, true, true, false, 1},     // letters of Unicode 3.0 to 4.1
      {0x3400, true, true, false, 5},
      {0xA000, true, true, false, 5},
      {0x1200, true, true, false, 5},
      {0x2C00, true, true, false, 1},
      {0x0242, false, false, false, 0},   // letters of Unicode 5.0 on are unassigned here
      {0x9FBC, false, false, false, 0},
      {0x00AB, false, false, false, 21},
      {0x00BB, false, false, false, 22},
      {0x2028, false, false, true, 13},
      {0x2029, false, false, true, 14},
      {0x200B, false, false, true, 12},
      {0x30FB, false, false, false, 24},  // katakana middle dot is not a connector
      {0xFF65, false, false, false, 24},
      {0x06DD, false, true, false, 16},
      {0x0B83, true, true, false, 5},
      {0x0E2F, true, true, false, 5},
      {0x0F88, true, true, false, 5},
      {0xD800, false, false, false, 19},
      {0xE000, false, false, false, 18},
      {0xFFFF, false, false, false, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(isJavaIdentifierStart(row.c), row.start) << std::hex << row.c;
    EXPECT_EQ(isJavaIdentifierPart(row.c), row.part) << std::hex << row.c;
    EXPECT_EQ(isWhitespace(row.c), row.whitespace) << std::hex << row.c;
    EXPECT_EQ(unicodeCategory(row.c), row.category) << std::hex << row.c;
  }
}

TEST(UnicodeClassesTest, ValuesOutsideTheRangeAreInNoClass) {
  // 0x77777777 is the scanner's end of text; 0x10000 and 0x10041 would alias U+0000 and "A"
  // if the range were not checked.
  const int32_t values[] = {-1, INT32_MIN, 0x10000, 0x10041, 0x1005F, 0x77777777, INT32_MAX};
  for (int32_t c : values) {
    EXPECT_FALSE(isJavaIdentifierStart(c)) << std::hex << c;
    EXPECT_FALSE(isJavaIdentifierPart(c)) << std::hex << c;
    EXPECT_FALSE(isWhitespace(c)) << std::hex << c;
    EXPECT_EQ(unicodeIdentifierClass(c), 0) << std::hex << c;
    EXPECT_EQ(unicodeCategory(c), 0) << std::hex << c;
  }
}

}  // namespace

// String searches and comparisons, double bit tests, lexical full paths and wildcard matching.
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/host_path.h"
#include "platform/wildcard_match.h"
#include "support/double_bits.h"
#include "support/file_io.h"
#include "support/global.h"
#include "support/multibyte_strings.h"
#include "test_support.h"

namespace {

TEST(MultibyteStrings, Searches) {
  const char* a = "a\\b/c";
  EXPECT_EQ(lastPathSeparator(a), a + 3);
  const char* b = "a/b\\c";
  EXPECT_EQ(lastPathSeparator(b), b + 3);
  EXPECT_EQ(lastPathSeparator("abc"), nullptr);
  const char* dots = "x.y.java";
  EXPECT_EQ(findCharacter(dots, '.'), dots + 1);
  EXPECT_EQ(findLastCharacter(dots, '.'), dots + 3);
  EXPECT_EQ(findCharacter(dots, 'z'), nullptr);
}

// Under Big5 the character U+8A31 is the bytes B3 5C: its trail byte is never a separator, in a
// search, a host path, a full path or a wildcard match, while a "\" of its own still is one.
TEST(MultibyteStrings, DoubleByteTrailIsNoSeparator) {
  std::string previous = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "zh_TW.BIG5"), nullptr)
      << "the locale zh_TW.BIG5 is missing: run tools/install-packages.sh (as root), which makes it";
  int32_t previousBytes = global.maxCharBytes;
  global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
  const char* name = "d\xb3\x5c/\xb3\x5c.java";
  EXPECT_EQ(lastPathSeparator(name), name + 3);
  const char* trail = "\xb3\x5c\\";
  EXPECT_EQ(findCharacter(trail, '\\'), trail + 2);
  EXPECT_FALSE(endsWithPathSeparator("d\xb3\x5c"));
  EXPECT_TRUE(endsWithPathSeparator("d\xb3\x5c\\"));
  char host[64];
  ASSERT_TRUE(toHostPath("d\xb3\x5c\\x\xb3\x5c", host, sizeof host));
  EXPECT_STREQ(host, "d\xb3\x5c/x\xb3\x5c");
  // The same past a long run of ASCII, which is copied a word at a time up to the first "\\" or
  // the first byte of a longer character (here the last of a word, its trail the next word's first).
  ASSERT_TRUE(toHostPath("projects/source\xb3\x5c\\x\xb3\x5c", host, sizeof host));
  EXPECT_STREQ(host, "projects/source\xb3\x5c/x\xb3\x5c");
  ASSERT_TRUE(toHostPath("projects\\source\\Main.java", host, sizeof host));
  EXPECT_STREQ(host, "projects/source/Main.java");
  const char* longName = "projects/source/d\xb3\x5c.java";
  EXPECT_EQ(lastPathSeparator(longName), longName + 15);
  EXPECT_STREQ(fullPath("/d\xb3\x5c/e/.."), "/d\xb3\x5c");
  EXPECT_STREQ(fullPath("/d\xb3\x5c\\.."), "/");
  EXPECT_TRUE(wildcardMatches("?.java", "\xb3\x5c.java"));
  EXPECT_FALSE(wildcardMatches("??.java", "\xb3\x5c.java"));
  // A lone lead byte is a character of its own, never the first half of one.
  EXPECT_FALSE(wildcardMatches("\xb3*", "\xb3\x5cx"));
  // 0xA4 0x41 is one character whose trail byte is "A": "*A" does not end inside it.
  EXPECT_FALSE(wildcardMatches("*A", "\xa4\x41"));
  EXPECT_TRUE(wildcardMatches("*A", "\xa4\x41" "A"));
  global.maxCharBytes = previousBytes;
  std::setlocale(LC_ALL, previous.c_str());
}

TEST(MultibyteStrings, Comparisons) {
  EXPECT_TRUE(stringsEqual("abc", "abc"));
  EXPECT_FALSE(stringsEqual("abc", "abd"));
  EXPECT_TRUE(stringsEqualIgnoreCase("English", "eNGLISH"));
  EXPECT_FALSE(stringsEqualIgnoreCase("English", "Englis"));
  EXPECT_TRUE(stringsEqualN("-encodingUTF8", "-encoding", 9));
  EXPECT_FALSE(stringsEqualN("-encodin", "-encoding", 9));
}

TEST(DoubleBits, Patterns) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    bool isNaN, infinite, nonNegative, negative, positiveZero, one, two, zero, negativeZero;
  } cases[] = {
      {0.0, false, false, true, false, true, false, false, true, false},
      {-0.0, false, false, false, true, false, false, false, true, true},
      {1.0, false, false, true, false, false, true, false, false, false},
      {2.0, false, false, true, false, false, false, true, false, false},
      {-2.5, false, false, false, true, false, false, false, false, false},
      {inf, false, true, true, false, false, false, false, false, false},
      {-inf, false, true, false, true, false, false, false, false, false},
      {nan, true, false, false, false, false, false, false, false, false},
      {-nan, true, false, false, false, false, false, false, false, false},
      {5e-324, false, false, true, false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(doubleIsNaN(c.value), c.isNaN) << c.value;
    EXPECT_EQ(doubleIsInfinite(c.value), c.infinite) << c.value;
    EXPECT_EQ(doubleIsNonNegative(c.value), c.nonNegative) << c.value;
    EXPECT_EQ(doubleIsNegative(c.value), c.negative) << c.value;
    EXPECT_EQ(doubleIsPositiveZero(c.value), c.positiveZero) << c.value;
    EXPECT_EQ(doubleIsOne(c.value), c.one) << c.value;
    EXPECT_EQ(doubleIsTwo(c.value), c.two) << c.value;
    EXPECT_EQ(doubleIsZero(c.value), c.zero) << c.value;
    EXPECT_EQ(doubleIsNegativeZero(c.value), c.negativeZero) << c.value;
  }
}

TEST(FullPath, IsLexical) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  std::string here = cwd;
  const std::string cases[][2] = {
      {"/a/b/../c", "/a/c"},
      {"/a/./b//c/", "/a/b/c/"},
      {"\\a\\b\\..\\..\\..\\x", "/x"},
      {"/", "/"},
      {"/..", "/"},
      {"/kit/bin/x86/../../../ZPK12/", "/ZPK12/"},
      {"rel/A.java", here + "/rel/A.java"},
      {"./A.java", here + "/A.java"},
      {"", here},
  };
  for (auto& c : cases) {
    const char* got = fullPath(c[0].c_str());
    ASSERT_NE(got, nullptr) << c[0];
    EXPECT_EQ(got, c[1]) << c[0];
  }
  std::string tooLong = "/" + std::string(1100, 'x');
  EXPECT_EQ(fullPath(tooLong.c_str()), nullptr);
}

TEST(Wildcards, MatchStarAndQuestionMark) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*.java", "A.java", true},   {"*.java", "A.JAVA", false}, {"*.java", ".java", true},
      {"A?.java", "AB.java", true}, {"A?.java", "A.java", false}, {"*", "x", true},
      {"a*b*c", "aXbYbZc", true},   {"a*b*c", "aXbYbZ", false},  {"a[1].java", "a[1].java", true},
      {"*.jav", "A.java", false},
  };
  for (const Case& c : cases) EXPECT_EQ(wildcardMatches(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
  EXPECT_TRUE(hasWildcard("dir/*.java"));
  EXPECT_FALSE(hasWildcard("d*r/A.java"));
}

}  // namespace

// The name buffer and the identifier table.
#include <string>
#include <vector>

#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "test_support.h"

namespace {

class IdentifiersTest : public CompilerTest {
 protected:
  Identifier* intern(const std::u16string& name, int32_t kind = 1) {
    return lookupName(reinterpret_cast<const uint16_t*>(name.data()), static_cast<int32_t>(name.size()), kind);
  }
};

TEST_F(IdentifiersTest, InternsEachSpellingOnce) {
  Identifier* ab = intern(u"ab");
  Identifier* ac = intern(u"ac");
  EXPECT_NE(ab, ac);
  EXPECT_EQ(intern(u"ab"), ab);
  EXPECT_EQ(intern(u"ac"), ac);
  // The first interning fixes the kind.
  EXPECT_EQ(intern(u"ab", 58)->kind, 1);
  Identifier* single = intern(u"\u4e01");
  EXPECT_EQ(single->length, 1);
  EXPECT_EQ(intern(u"\u4e01"), single);
  Identifier* longName = intern(u"aVeryLongIdentifierName");
  EXPECT_EQ(longName->length, 23);
  EXPECT_EQ(enterName("aVeryLongIdentifierName", 1), longName);
  EXPECT_NE(intern(u""), ab);
  EXPECT_EQ(intern(u"")->length, 0);
}

// A name interned from ASCII bytes in place is the record of its UTF-16 spelling, at every length
// around the word sizes and either way in; a name with another character is never an ASCII one.
TEST_F(IdentifiersTest, AsciiBytesInternAsTheirCharacters) {
  std::string text = "abcdefghijklmnopqrstuvwxyz0123456789_$ABCDEFGHIJKL";
  for (size_t length = 0; length <= 40; length++) {
    for (size_t offset = 0; offset < 3; offset++) {
      std::string bytes = text.substr(offset, length);
      std::u16string characters(bytes.begin(), bytes.end());
      if (offset == 0) {
        Identifier* entered = lookupAsciiName(bytes.data(), static_cast<int32_t>(length), 1);
        ASSERT_EQ(intern(characters), entered) << bytes;
      } else {
        Identifier* entered = intern(characters);
        ASSERT_EQ(lookupAsciiName(bytes.data(), static_cast<int32_t>(length), 58), entered) << bytes;
        EXPECT_EQ(entered->kind, 1);
      }
      if (length > 0) {
        std::u16string other = characters;
        other[length - 1] = u'\u0161';
        EXPECT_NE(intern(other), intern(characters)) << bytes;
      }
    }
  }
  // Names that differ only in their last or first character stay apart.
  EXPECT_NE(lookupAsciiName("counter1", 8, 1), lookupAsciiName("counter2", 8, 1));
  EXPECT_NE(lookupAsciiName("xcounter", 8, 1), lookupAsciiName("ycounter", 8, 1));
  EXPECT_EQ(lookupAsciiName("\x7f", 1, 1), intern(u"\u007f"));
}

// The table doubles as names come and keeps every name findable; the buckets stay short, for the
// names of generated code (f0 ... f99999) too.
TEST_F(IdentifiersTest, TheTableGrowsAndSpreadsGeneratedNames) {
  std::vector<Identifier*> names;
  for (int i = 0; i < 100000; i++) names.push_back(enterName(("f" + std::to_string(i)).c_str(), 1));
  EXPECT_GE(global.identifierBuckets, 100000u);
  uint32_t longest = 0;
  for (uint32_t b = 0; b < global.identifierBuckets; b++) {
    uint32_t length = 0;
    for (Identifier* id = global.identifierTable[b]; id != nullptr; id = id->next) length++;
    if (length > longest) longest = length;
  }
  EXPECT_LE(longest, 12u);
  for (int i = 0; i < 100000; i++) ASSERT_EQ(enterName(("f" + std::to_string(i)).c_str(), 1), names[i]);
}

TEST_F(IdentifiersTest, FoundNameMovesToTheFrontOfItsBucket) {
  // Two names of one bucket, the later first in it.
  Identifier* first = intern(u"ab");
  int32_t bucket = nameBucket(identifierChars(first), 2);
  Identifier* second = nullptr;
  for (int i = 0; second == nullptr; i++) {
    std::u16string name = u"n" + std::u16string(1, static_cast<char16_t>('a' + i % 26)) +
                          std::u16string(1, static_cast<char16_t>('a' + i / 26 % 26)) +
                          std::u16string(1, static_cast<char16_t>('a' + i / 676));
    if (nameBucket(reinterpret_cast<const uint16_t*>(name.data()), 4) == bucket) second = intern(name);
  }
  EXPECT_EQ(global.identifierTable[bucket], second);
  intern(u"ab");
  EXPECT_EQ(global.identifierTable[bucket], first);
  EXPECT_EQ(first->next, second);
}

TEST_F(IdentifiersTest, BufferDoublesAndKeepsItsContents) {
  resetNameBuffer();
  for (int i = 0; i < 256; i++) appendNameChar(static_cast<uint16_t>(i));
  EXPECT_EQ(global.nameCapacity, 256);
  appendNameChar(0x1234);
  EXPECT_EQ(global.nameCapacity, 512);
  EXPECT_EQ(global.nameLength, 257);
  for (int i = 0; i < 256; i++) ASSERT_EQ(global.nameBuffer[i], i);
  EXPECT_EQ(global.nameBuffer[256], 0x1234);
}

TEST_F(IdentifiersTest, AppendsBytesUtf8AndCompares) {
  resetNameBuffer();
  EXPECT_EQ(appendNameCString("a\xe9"), 2);
  EXPECT_EQ(global.nameBuffer[1], 0xFFE9);
  resetNameBuffer();
  appendNameUtf8("a\xc3\xa9\xe2\x82\xac\x80\xe2", 8);
  ASSERT_EQ(global.nameLength, 5);
  EXPECT_EQ(global.nameBuffer[1], 0xE9);
  EXPECT_EQ(global.nameBuffer[2], 0x20AC);
  EXPECT_EQ(global.nameBuffer[3], 0x80);
  EXPECT_EQ(global.nameBuffer[4], 0x2000);  // cut off: the missing bytes count as zero bits
  const uint16_t wide[] = {'a', 0xE9};
  EXPECT_EQ(compareNameChars(wide, "a\xe9", 2, 1), 0);
  EXPECT_NE(compareNameChars(wide, "ab", 2, 1), 0);
  EXPECT_EQ(compareNameChars(wide, wide, 2, 2), 0);
  EXPECT_EQ(compareNameChars(wide, "zz", 0, 1), 0);
  resetNameBuffer();
  appendNameCString("hello");
  EXPECT_STREQ(nameBufferToNative(&global.tempArena), "hello");
  // A name the locale cannot write keeps its escaped form, never the empty string.
  resetNameBuffer();
  appendNameChar(0x4E00);
  appendNameChar('x');
  testing::internal::CaptureStderr();
  EXPECT_STREQ(nameBufferToNative(&global.tempArena), "\\u4e00x");
  testing::internal::GetCapturedStderr();
}

}  // namespace

// The name buffer and the identifier table.
#include <string>

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
  // For two characters the second-to-last is the first: ab and ac share a bucket.
  EXPECT_EQ(nameBucket(identifierChars(ab), 2), (3 * 'a' + 128) % 1024);
  EXPECT_EQ(nameBucket(identifierChars(ab), 2), nameBucket(identifierChars(ac), 2));
  EXPECT_EQ(intern(u"ab"), ab);
  EXPECT_EQ(intern(u"ac"), ac);
  // The first interning fixes the kind.
  EXPECT_EQ(intern(u"ab", 58)->kind, 1);
  EXPECT_EQ(nameBucket(identifierChars(intern(u"\u4e01")), 1), 0x4e01 & 0x3FF);
  Identifier* longName = intern(u"aVeryLongIdentifierName");
  EXPECT_EQ(longName->length, 23);
  EXPECT_EQ(enterName("aVeryLongIdentifierName", 1), longName);
}

TEST_F(IdentifiersTest, FoundNameMovesToTheFrontOfItsBucket) {
  Identifier* ab = intern(u"ab");
  Identifier* ac = intern(u"ac");
  int32_t bucket = nameBucket(identifierChars(ab), 2);
  EXPECT_EQ(global.identifierTable[bucket], ac);
  intern(u"ab");
  EXPECT_EQ(global.identifierTable[bucket], ab);
  EXPECT_EQ(ab->next, ac);
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

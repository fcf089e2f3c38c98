// Locale names, default encodings and the conversions between UTF-16 and host text.
#include <clocale>
#include <cstring>
#include <string>

#include "support/diagnostics.h"
#include "support/encodings.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/locale_name.h"
#include "support/message_file.h"
#include "test_support.h"

namespace {

class EncodingsTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    initMessageTable(4);
    addMessage("encoding.limit", 14, 2, "%1|%2", 5);
    addMessage("warn.mbstowcs.error", 19, 1, "mb %1", 5);
    addMessage("warn.wcstombs.error", 19, 1, "wc %1", 5);
    addMessage("cannot.get.locale", 17, 1, "locale %1", 9);
    sortMessages();
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    global.maxCharBytes = 1;
    CompilerTest::TearDown();
  }
  void useUtf8() {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
  }
};

TEST(LocaleName, FromRuntimeNames) {
  const char* cases[][2] = {
      {"English_United States.1252", "en_US"},
      {"Japanese_Japan.932", "ja_JP"},
      {"Chinese_Taiwan.950", "zh_TW"},
      {"Korean_Korea.949", "ko_KO"},
      {"German_Germany", "de_DE"},
      {"english", "en"},
      {"Klingon_Qo'noS.1252", "C"},
      {"en_US.UTF-8", "en_US"},
      {"de_DE@euro", "de_DE"},
      {"pt_BR.ISO-8859-1", "pt_BR"},
      {"ja", "ja"},
      {"C", "C"},
      {"C.UTF-8", "C"},
      {"POSIX", "C"},
  };
  for (auto& c : cases) EXPECT_STREQ(javaLocaleName(c[0]), c[1]) << c[0];
  std::string longName(300, 'x');
  EXPECT_STREQ(javaLocaleName(longName.c_str()), "C");
}

TEST(LocaleName, LookupTriesExactThenIgnoringCase) {
  EXPECT_STREQ(lookupNamePair(languageNames, "english"), "en");
  EXPECT_STREQ(lookupNamePair(languageNames, "ENGLISH"), "en");
  EXPECT_STREQ(lookupNamePair(countryNames, "people's republic of china"), "CN");
  EXPECT_EQ(lookupNamePair(countryNames, "atlantis"), nullptr);
  EXPECT_EQ(lookupNamePair(countryNames, nullptr), nullptr);
}

TEST_F(EncodingsTest, DefaultEncodingFollowsTheLocale) {
  const char* cases[][2] = {{"en_US", "8859_1"}, {"ja_JP", "SJIS"}, {"zh_TW", "Big5"}, {"zh_CN", "GBK"},
                            {"ko_KO", "KSC5601"}, {"ru", "Cp1251"}, {"C", "8859_1"}};
  for (auto& c : cases) {
    global.localeName = c[0];
    EXPECT_STREQ(defaultEncoding(), c[1]) << c[0];
  }
  useUtf8();
  global.localeName = "ja_JP";
  EXPECT_STREQ(defaultEncoding(), "UTF8");
}

TEST_F(EncodingsTest, NoLocaleNameWarns) {
  global.localeName = nullptr;
  testing::internal::CaptureStderr();
  EXPECT_STREQ(defaultEncoding(), "8859_1");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorvelix: locale C\n");
  EXPECT_EQ(global.warningCount, 1);
}

TEST_F(EncodingsTest, TheLocaleEncodingIsReadAsItStandsAndAnyOtherConvertedWhenTheHostKnowsIt) {
  global.localeName = "en_US";
  testing::internal::CaptureStderr();
  setEncodings(nullptr, "8859_1");
  EXPECT_EQ(global.sourceConversion, nullptr);
  setEncodings(nullptr, "Cp1252");
  EXPECT_STREQ(global.sourceConversion, "Cp1252");
  EXPECT_EQ(global.errorCount, 0);
  setEncodings(nullptr, "no-such-encoding");
  EXPECT_EQ(global.sourceConversion, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorvelix: no-such-encoding|8859_1\n");
  EXPECT_EQ(global.errorCount, 1);
  // The locale's codeset by the runtime's name, in any spelling, is the locale's own.
  useUtf8();
  setEncodings(nullptr, "utf-8");
  EXPECT_EQ(global.sourceConversion, nullptr);
}

TEST_F(EncodingsTest, JavaEncodingNamesByAliasAndCase) {
  const char* known[][2] = {
      {"UTF-8", "UTF-8"},           {"utf8", "utf8"},       {"ISO8859_1", "ISO8859-1"}, {"latin1", "latin1"},
      {"Cp1252", "Cp1252"},         {"windows-1252", "windows-1252"}, {"KSC5601", "EUC-KR"},
      {"x-MacRoman", "MACINTOSH"},  {"EUC_JP", "EUC-JP"},   {"x-IBM1047", "IBM1047"},   {"SJIS", "SJIS"},
  };
  for (auto& k : known) EXPECT_STREQ(hostEncodingName(k[0]), k[1]) << k[0];
  // The host's converter would take the empty name for the locale's codeset and a suffix as an
  // instruction; neither is an encoding's name.
  for (const char* unknown : {"", "bogus", "UTF-8//IGNORE", "UTF-8/", "ASCII TRANSLIT", "x-"})
    EXPECT_EQ(hostEncodingName(unknown), nullptr) << unknown;
}

TEST(Utf8Decoding, DecodesOnlyWellFormedCharacters) {
  struct Case {
    const char* bytes;
    int32_t taken;
    std::u16string units;
  } cases[] = {
      {"A", 1, u"A"},
      {"\xc3\xa9", 2, u"\u00e9"},
      {"\xe2\x82\xac", 3, u"\u20ac"},
      {"\xf0\x9f\x98\x80", 4, u"\U0001F600"},
      {"\xf4\x8f\xbf\xbf", 4, u"\U0010FFFF"},
      {"\xc0\xaf", -1, u""},          // overlong
      {"\xe0\x80\xaf", -1, u""},      // overlong
      {"\xed\xa0\x80", -1, u""},      // a surrogate
      {"\xf4\x90\x80\x80", -1, u""},  // beyond U+10FFFF
      {"\xc3(", -1, u""},             // no continuation byte
      {"\xe2\x82", -1, u""},          // cut off by the end
      {"\xff", -1, u""},
      {"\x80", -1, u""},
  };
  for (const Case& c : cases) {
    char16_t units[2];
    int32_t count = 0;
    int32_t length = static_cast<int32_t>(std::strlen(c.bytes));
    EXPECT_EQ(decodeUtf8Character(c.bytes, length, units, &count), c.taken) << c.bytes;
    if (c.taken > 0) EXPECT_EQ(std::u16string(units, count), c.units) << c.bytes;
  }
}

TEST_F(EncodingsTest, SourceConversionKeepsAsciiAndMarksWhatIsNoCharacter) {
  auto convert = [](const std::string& text, const char* encoding) {
    int32_t length = -1;
    char* out = convertSourceToUtf8(text.data(), static_cast<int32_t>(text.size()), encoding, &length);
    return std::string(out, length);
  };
  EXPECT_EQ(convert("caf\xe9", "ISO-8859-1"), "caf\xc3\xa9");
  // The host reads Shift_JIS 0x5C and 0x7E as the yen sign and the overline; Java, and the
  // scanner after it, read a backslash and a tilde, also behind a character whose trail byte is 0x5C.
  EXPECT_EQ(convert("\x95\x5c\\u0041~\x81\x60", "SHIFT_JIS"), "\xe8\xa1\xa8\\u0041~\xe3\x80\x9c");
  // A run of bytes that are no characters is one INVALID_UTF8_BYTE, as is a character cut off by the end.
  std::string invalid(1, static_cast<char>(INVALID_UTF8_BYTE));
  EXPECT_EQ(convert("a\xed\xa0\x80" "b\xe2\x82", "UTF-8"), "a" + invalid + "b" + invalid);
  EXPECT_EQ(convert("a\x95\xff" "b\x95", "SHIFT_JIS"), "a" + invalid + "b" + invalid);
  EXPECT_EQ(convert("a\xe9", "US-ASCII"), "a" + invalid);
}

TEST(EscapedText, UnicodeToEscapedAscii) {
  char out[32];
  const char16_t text[] = {u'A', 0xE9};
  EXPECT_EQ(unicodeToEscapedAscii(text, 2, out, sizeof out), 7);
  EXPECT_STREQ(out, "A\\u00e9");
  const char16_t nul[] = {0};
  EXPECT_EQ(unicodeToEscapedAscii(nul, 1, out, sizeof out), 6);
  EXPECT_STREQ(out, "\\u0000");
  // The terminator always has room.
  EXPECT_EQ(unicodeToEscapedAscii(nul, 1, out, 7), 6);
  EXPECT_EQ(unicodeToEscapedAscii(nul, 1, out, 6), -1);
  EXPECT_EQ(unicodeToEscapedAscii(text, 1, out, 1), -1);
}

TEST(EscapedText, EscapeNonPrintable) {
  char out[64];
  EXPECT_EQ(escapeNonPrintable("a\tb c\xff", 6, out, sizeof out), 12);
  EXPECT_STREQ(out, "a\\x09b c\\xff");
  EXPECT_EQ(escapeNonPrintable("\x01", 1, out, 4), -1);
}

TEST(EscapedText, Utf8ToUnicode) {
  char16_t out[8];
  EXPECT_EQ(utf8ToUnicode("a\xc3\xa9\xe2\x82\xac", 6, out, 8), 3);
  EXPECT_EQ(out[1], 0xE9);
  EXPECT_EQ(out[2], 0x20AC);
  // A form cut off by the end of its input reads nothing past it.
  EXPECT_EQ(utf8ToUnicode("\xe2\x82", 2, out, 8), 1);
  EXPECT_EQ(utf8ToUnicode("abc", 3, out, 2), -1);
}

TEST_F(EncodingsTest, NativeTextDecodesUnderTheLocale) {
  char16_t out[8];
  // The plain C locale reads bytes as ISO-8859-1.
  EXPECT_EQ(nativeToUnicode("a\xe9", 2, out, 8), 2);
  EXPECT_EQ(out[1], 0xE9);
  useUtf8();
  EXPECT_EQ(nativeToUnicode("\xc3\xa9\xf0\x9f\x98\x80", 6, out, 8), 3);
  EXPECT_EQ(out[0], 0xE9);
  EXPECT_EQ(out[1], 0xD83D);
  EXPECT_EQ(out[2], 0xDE00);
  EXPECT_EQ(nativeToUnicode("ab\0cd", 5, out, 8), 2);
  testing::internal::CaptureStderr();
  EXPECT_EQ(nativeToUnicode("abc", 3, out, 2), 2);
  EXPECT_EQ(nativeToUnicode("a\xff", 2, out, 8), 5);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quorvelix: mb output buffer exceeded\nquorvelix: mb a\\xff\n");
  EXPECT_EQ(std::u16string(out, 5), u"a\\xff");
}

// A message text kept in its file's encoding under a locale that could not take it, with an
// argument the host made: each read as what it is, and nothing reported.
TEST_F(EncodingsTest, TextInItsOwnEncodingDecodesWhateverTheLocale) {
  char16_t out[16];
  testing::internal::CaptureStderr();
  const char text[] = "au\xc3\x9f" "er \xe4";  // UTF-8 "außer ", then "ä" as the C locale's byte
  EXPECT_EQ(encodedToUnicode(text, 8, "UTF-8", out, 16), 7);
  EXPECT_EQ(std::u16string(out, 7), u"au\u00dfer \u00e4");
  EXPECT_EQ(encodedToUnicode("\xe9t\xe9", 3, "ISO-8859-1", out, 16), 3);
  EXPECT_EQ(std::u16string(out, 3), u"\u00e9t\u00e9");
  // Cut at the capacity; an encoding the runtime does not know reads as the host's.
  EXPECT_EQ(encodedToUnicode("abcdef", 6, "UTF-8", out, 4), 4);
  EXPECT_EQ(encodedToUnicode("a\xe9", 2, "no-such-encoding", out, 16), 2);
  EXPECT_EQ(out[1], 0xE9);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(EncodingsTest, UnicodeToNativeEscapesWhatHasNoForm) {
  char out[32];
  const char16_t text[] = {u'a', 0xE9, 0xD83D, 0xDE00};
  useUtf8();
  EXPECT_EQ(unicodeToNative(text, 4, out, sizeof out), 7);
  EXPECT_STREQ(out, "a\xc3\xa9\xf0\x9f\x98\x80");
  std::setlocale(LC_CTYPE, "C");
  global.maxCharBytes = 1;
  EXPECT_EQ(unicodeToNative(text, 2, out, sizeof out), 2);
  EXPECT_STREQ(out, "a\xe9");
  testing::internal::CaptureStderr();
  EXPECT_EQ(unicodeToNative(text, 4, out, sizeof out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(unicodeToNative(text, 4, out, 8), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quorvelix: wc a\\u00e9\\ud83d\\ude00\nquorvelix: wc a\\u00e9\n");
}

TEST_F(EncodingsTest, AnUnconvertibleNameIsWarnedOnceWithItsWholeEscapedForm) {
  std::setlocale(LC_CTYPE, "C");
  auto convert = [](const std::u16string& name) {
    resetNameBuffer();
    for (char16_t c : name) appendNameChar(c);
    return std::string(nameBufferToNative(&global.tempArena));
  };
  testing::internal::CaptureStderr();
  // Six bytes for each character, more than three bytes per character can hold.
  EXPECT_EQ(convert(u"\u4e2d\u6587\u540d"), "\\u4e2d\\u6587\\u540d");
  EXPECT_EQ(convert(u"\u4e2d\u6587\u540d"), "\\u4e2d\\u6587\\u540d");
  EXPECT_EQ(convert(u"x\u4e2d"), "x\\u4e2d");
  EXPECT_EQ(convert(u"plain"), "plain");
  EXPECT_EQ(convert(u""), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quorvelix: wc \\u4e2d\\u6587\\u540d\nquorvelix: wc x\\u4e2d\n");
}

}  // namespace

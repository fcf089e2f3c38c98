// The message-file format and the loading of the localized and default files.
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/global.h"
#include "support/message_file.h"
#include "test_support.h"

namespace {

class MessageFileTest : public CompilerTest {};

struct Entry {
  std::string key;
  int32_t count;
  std::string text;
};

struct ParseCase {
  const char* name;
  std::string file;
  std::vector<Entry> entries;
};

// Parses `file` from a heap block of exactly its size, so a read past its end is caught.
std::vector<Entry> parse(const std::string& file) {
  char* text = static_cast<char*>(std::malloc(file.size() + 1));
  std::memcpy(text, file.c_str(), file.size() + 1);
  forgetMessageTable();
  initMessageTable(4);
  parseMessageFile(text, true);
  std::free(text);
  int32_t count = 0;
  const MessageEntry* table = messageTable(&count);
  std::vector<Entry> entries;
  for (int32_t i = 0; i < count; i++) entries.push_back({table[i].key, table[i].argumentCount, table[i].text});
  return entries;
}

TEST_F(MessageFileTest, ParsesEntries) {
  const ParseCase cases[] = {
      {"comments, blanks and CR LF", "# a comment\n\n   a.b(2)=Text %1 and %2\r\nc=plain\n",
       {{"a.b", 2, "Text %1 and %2"}, {"c", 0, "plain"}}},
      {"LF CR line ends", "x(1)=one\n\ry=two", {{"x", 1, "one"}, {"y", 0, "two"}}},
      {"blanks inside, trailing blanks kept", "k ( 3 ) = spaced  \n", {{"k", 3, "spaced  "}}},
      {"empty text takes the next line", "k=\n\nnext line\n", {{"k", 0, "next line"}}},
      {"no equals sign loses a character", "key text here\n", {{"key", 0, "ext here"}}},
      {"hash inside a text", "k=a # b", {{"k", 0, "a # b"}}},
      {"no digits", "k()=t", {{"k", 0, "t"}}},
      {"cut after the count", "k(2", {{"k", 2, ""}}},
      {"cut after the parenthesis", "k(", {{"k", 0, ""}}},
      {"cut after the key", "k", {{"k", 0, ""}}},
      {"cut after the equals sign", "k=", {{"k", 0, ""}}},
      {"only a comment", "#", {}},
      {"empty", "", {}},
  };
  for (const ParseCase& c : cases) {
    std::vector<Entry> got = parse(c.file);
    ASSERT_EQ(got.size(), c.entries.size()) << c.name;
    for (size_t i = 0; i < got.size(); i++) {
      EXPECT_EQ(got[i].key, c.entries[i].key) << c.name;
      EXPECT_EQ(got[i].count, c.entries[i].count) << c.name;
      EXPECT_EQ(got[i].text, c.entries[i].text) << c.name;
    }
  }
}

TEST_F(MessageFileTest, SortsByLengthThenBytes) {
  parse("dup.class.name(1)=a\ndup.import(1)=b\nb=c\na=d\n");
  sortMessages();
  int32_t count = 0;
  const MessageEntry* table = messageTable(&count);
  ASSERT_EQ(count, 4);
  EXPECT_STREQ(table[0].key, "a");
  EXPECT_STREQ(table[1].key, "b");
  EXPECT_STREQ(table[2].key, "dup.import");
  EXPECT_STREQ(table[3].key, "dup.class.name");
  EXPECT_STREQ(lookupMessage("dup.import")->text, "b");
  EXPECT_EQ(lookupMessage("dup.imports"), nullptr);
}

TEST_F(MessageFileTest, LocalizedTextWinsAndDefaultFillsTheGaps) {
  auto root = scratchDirectory();
  writeTextFile(root / "locale/de/quorvelix.messages", "a(0)=localized\n");
  writeTextFile(root / "lib/quorvelix.messages", "a(0)=default\nb(1)=only %1\n");
  std::string messages = (root / "lib").string() + "/";
  std::string locale = (root / "locale/de").string() + "/";
  global.traceLevel = 16;
  setMessageLocation(messages.c_str(), locale.c_str());
  testing::internal::CaptureStdout();
  EXPECT_STREQ(lookupMessage("a")->text, "localized");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "MESSAGE ERROR, message \"b\" has NOT been localized\n");
  EXPECT_STREQ(lookupMessage("b")->text, "only %1");
  EXPECT_EQ(lookupMessage("b")->argumentCount, 1);
  EXPECT_STREQ(lookupMessage("unused.error.id")->text, "Unused error message");
}

TEST_F(MessageFileTest, CountryFallsBackToLanguage) {
  auto root = scratchDirectory();
  writeTextFile(root / "locale/ja/quorvelix.messages", "a=japanese\n");
  std::string locale = (root / "locale/ja_JP").string() + "/";
  setMessageLocation(nullptr, locale.c_str());
  ASSERT_NE(lookupMessage("a"), nullptr);
  EXPECT_STREQ(lookupMessage("a")->text, "japanese");
}

TEST_F(MessageFileTest, FallbackNeverCutsAParentDirectory) {
  // Only the locale's own directory name loses its "_XX"; "my_tree" is left alone.
  auto root = scratchDirectory();
  writeTextFile(root / "my/quorvelix.messages", "a=wrong file\n");
  std::string locale = (root / "my_tree/C").string() + "/";
  std::string messages = (root / "lib").string() + "/";
  writeTextFile(root / "lib/quorvelix.messages", "a=right file\n");
  setMessageLocation(messages.c_str(), locale.c_str());
  EXPECT_STREQ(lookupMessage("a")->text, "right file");
}

TEST_F(MessageFileTest, InstalledTreeHasAGermanLocalization) {
  std::string messages = std::string(STAGE_DIR) + "/lib/";
  std::string locale = std::string(STAGE_DIR) + "/bin/lib/locale/de_DE/";
  setMessageLocation(messages.c_str(), locale.c_str());
  EXPECT_STREQ(lookupMessage("cannot.open.source")->text, "Quelldatei %1 kann nicht geöffnet werden.");
}

// A file whose first line names its encoding is read in the locale's codeset; any other file's
// bytes are kept as they are.
TEST_F(MessageFileTest, FileThatNamesItsEncodingIsConverted) {
  struct Case {
    const char* locale;
    std::string file;
    std::string text;
  } cases[] = {
      {"C.UTF-8", "# encoding: ISO-8859-1\na=ge\xf6" "ffnet\n", "ge\xc3\xb6" "ffnet"},
      {"C.UTF-8", "#encoding:latin1\r\na=\xdf\n", "\xc3\x9f"},
      {"C.UTF-8", "# encoding: UTF-8\na=ge\xc3\xb6" "ffnet\n", "ge\xc3\xb6" "ffnet"},
      // A byte the named encoding has no character for becomes "?"; the rest of the file still reads.
      {"C.UTF-8", "# encoding: ASCII\na=x\xffy\nb=c\n", "x?y"},
      {"C.UTF-8", "# encoding: no-such-encoding\na=\xf6\n", "\xf6"},
      {"C.UTF-8", "# an ordinary comment\na=\xf6\n", "\xf6"},
      {"C.UTF-8", "\n# encoding: ISO-8859-1\na=\xf6\n", "\xf6"},
      // The plain C locale has no characters above 0x7F to convert to.
      {"C", "# encoding: UTF-8\na=\xc3\xb6\n", "\xc3\xb6"},
  };
  auto root = scratchDirectory();
  std::string messages = (root / "lib").string() + "/";
  for (const Case& c : cases) {
    writeTextFile(root / "lib/quorvelix.messages", c.file);
    ASSERT_NE(std::setlocale(LC_ALL, c.locale), nullptr);
    forgetMessageTable();
    setMessageLocation(messages.c_str(), nullptr);
    const MessageEntry* entry = lookupMessage("a");
    std::setlocale(LC_ALL, "C");
    ASSERT_NE(entry, nullptr) << c.file;
    EXPECT_EQ(std::string(entry->text), c.text) << c.file;
  }
}

TEST_F(MessageFileTest, NeitherFileWarnsAndTheDefaultTextsStand) {
  auto root = scratchDirectory();
  std::string locale = (root / "none").string() + "/";
  setMessageLocation(nullptr, locale.c_str());
  testing::internal::CaptureStderr();
  ASSERT_NE(lookupMessage("unused.error.id"), nullptr);
  EXPECT_STREQ(lookupMessage("unused.error.id")->text, "Unused error message");
  ASSERT_NE(lookupMessage("cannot.open.source"), nullptr);
  EXPECT_STREQ(lookupMessage("cannot.open.source")->text, "Cannot open source file %1.");
  EXPECT_EQ(lookupMessage("a"), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "warning: Cannot access the error messages file at: " + locale +
                "quorvelix.messages OR \n"
                "Note: This could be an installation failure, or perhaps a file was deleted from your "
                "installation area.\n");
}

// The texts compiled in are the installed default file's, entry for entry.
TEST_F(MessageFileTest, DefaultTextsAreTheDefaultFile) {
  std::string messages = std::string(STAGE_DIR) + "/lib/";
  setMessageLocation(messages.c_str(), nullptr);
  int32_t count = 0;
  const MessageEntry* loaded = messageTable(&count);
  std::vector<Entry> fromFile;
  for (int32_t i = 0; i < count; i++) fromFile.push_back({loaded[i].key, loaded[i].argumentCount, loaded[i].text});
  ASSERT_GT(count, 300);
  useDefaultMessages();
  int32_t defaults = 0;
  messageTable(&defaults);
  EXPECT_EQ(defaults, count);
  for (const Entry& e : fromFile) {
    const MessageEntry* entry = lookupMessage(e.key.c_str());
    ASSERT_NE(entry, nullptr) << e.key;
    EXPECT_EQ(entry->argumentCount, e.count) << e.key;
    EXPECT_EQ(entry->text, e.text) << e.key;
  }
}

}  // namespace

// Formatting of diagnostics, the source and caret lines, and the limits that stop a compile.
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "support/diagnostics.h"
#include "support/global.h"
#include "support/message_file.h"
#include "support/source_file.h"
#include "test_support.h"

namespace {

struct SourceLineCase {
  int32_t line;
  int32_t column;
  std::string source;
  std::string caret;
};

// Each case's line of the file as a diagnostic quotes it, and the caret line under its column.
void expectSourceAndCaretLines(const SourceFile* file, const std::vector<SourceLineCase>& cases) {
  for (const SourceLineCase& c : cases) {
    char source[DIAGNOSTIC_BUFFER_SIZE];
    char caret[DIAGNOSTIC_BUFFER_SIZE];
    int32_t lineStart = -1;
    ASSERT_TRUE(getSourceLine(source, sizeof source, file, c.line, &lineStart)) << c.line;
    makeCaretLine(caret, sizeof caret, file, c.column, lineStart);
    EXPECT_EQ(source, c.source) << c.line << ":" << c.column;
    EXPECT_EQ(caret, c.caret) << c.line << ":" << c.column;
  }
}

class DiagnosticsTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    initMessageTable(16);
    const char* lines[][3] = {
        {"plain", "0", "Something is wrong."},
        {"two", "2", "First %1, then %2."},
        {"percent", "0", "100%% sure, 50%x"},
        {"third", "2", "a %1 b %2 c %3 d"},
        {"three", "3", "a %1 b %2 c %3 d"},
        {"trailing", "0", "ends with %"},
        {"warn.thing", "1", "Warning: %1"},
        {"err", "0", "An error."},
        {"empty", "1", ""},
        {"source", "1", "Cannot open source file %1."},
    };
    for (auto& line : lines)
      addMessage(line[0], static_cast<int32_t>(std::strlen(line[0])), std::atoi(line[1]), line[2],
                 static_cast<int32_t>(std::strlen(line[2])));
    sortMessages();
    file.name = const_cast<char*>("A.java");
    file.nameLength = 6;
    file.content = const_cast<char*>(text);
    file.contentLength = static_cast<int32_t>(std::strlen(text));
  }

  std::string format(SourceFile* f, int32_t line, int32_t column, const char* key, const MessageArguments& args) {
    char buffer[DIAGNOSTIC_BUFFER_SIZE];
    formatMessage(buffer, sizeof buffer, f, line, column, key, args);
    return buffer;
  }

  static constexpr const char* text = "a\r\n\tabc x\rlast\n\xe9t\n\x01" "a\n";
  SourceFile file{};
};

TEST_F(DiagnosticsTest, FormatsPrefixesAndArguments) {
  struct Case {
    SourceFile* file;
    int32_t line;
    int32_t column;
    const char* key;
    MessageArguments args;
    std::string expected;
  } cases[] = {
      {&file, 3, 2, "plain", {}, "A.java:3: Something is wrong."},
      {&file, 0, 0, "plain", {}, "quorvelix: A.java: Something is wrong."},
      {nullptr, 0, 0, "plain", {}, "quorvelix: Something is wrong."},
      {nullptr, 0, 7, "plain", {}, "quorvelix: site 7: Something is wrong."},
      {nullptr, -1, 0, "plain", {}, "Something is wrong."},
      {nullptr, 0, 0, "no.such.key", messageArguments("x"), "quorvelix: no.such.key"},
      {nullptr, -1, 0, "two", messageArguments("x", "y"), "First x, then y."},
      {nullptr, -1, 0, "percent", {}, "100% sure, 50x"},
      {nullptr, -1, 0, "third", messageArguments("x", "y"), "a x b y c "},
      // The entry declares three arguments; the caller gave one: nothing past it is read.
      {nullptr, -1, 0, "three", messageArguments("x"), "a x b "},
      {nullptr, -1, 0, "trailing", {}, "ends with "},
      // An empty text says no more than the key.
      {nullptr, 0, 0, "empty", messageArguments("x"), "quorvelix: empty"},
  };
  for (const Case& c : cases) EXPECT_EQ(format(c.file, c.line, c.column, c.key, c.args), c.expected) << c.key;
}

TEST_F(DiagnosticsTest, LongNamesAndTextsAreCut) {
  std::string name(1012, 'n');
  SourceFile longName = file;
  longName.name = name.data();
  EXPECT_EQ(format(&longName, 1, 0, "plain", {}), "FilenameTooLong:1: Something is wrong.");
  name.resize(1011);
  longName.name = name.data();
  EXPECT_EQ(format(&longName, 1, 0, "plain", {}), (name + ":1: Something is wrong.").substr(0, 1023));
  // An argument too long for the line is cut and marked, leaving room for the text after it.
  std::string huge(3000, 'h');
  std::string cut = format(nullptr, -1, 0, "two", messageArguments(huge.c_str(), "y"));
  EXPECT_EQ(cut, "First " + huge.substr(0, 1004) + "..." + ", then y.");
  std::string big(1000, 'b');
  cut = format(nullptr, -1, 0, "two", messageArguments(big.c_str(), big.c_str()));
  EXPECT_EQ(cut, "First " + big + ", then " + big.substr(0, 6) + "....");
  EXPECT_EQ(cut.size(), 1023u);
  cut = format(nullptr, 0, 0, "source", messageArguments(huge.c_str()));
  EXPECT_EQ(cut, "quorvelix: Cannot open source file " + huge.substr(0, 984) + "....");
}

TEST_F(DiagnosticsTest, CutArgumentKeepsWholeCharacters) {
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  global.maxCharBytes = 4;
  std::string name = "a";
  for (int i = 0; i < 600; i++) name += "\xc3\xa9";
  std::string cut = format(nullptr, 0, 0, "source", messageArguments(name.c_str()));
  std::setlocale(LC_ALL, "C");
  // 984 bytes of room: the "a" and 491 two-byte characters; the next one would not fit whole.
  EXPECT_EQ(cut, "quorvelix: Cannot open source file " + name.substr(0, 983) + "....");
}

TEST_F(DiagnosticsTest, CallbackTakesTheBareText) {
  static std::string seen;
  global.messageCallback = [](const char* t) { seen = t; };
  EXPECT_EQ(format(&file, 3, 2, "plain", {}), "Something is wrong.");
  errorAt(3, 2, "plain");
  EXPECT_EQ(seen, "Something is wrong.");
}

TEST_F(DiagnosticsTest, SourceAndCaretLines) {
  expectSourceAndCaretLines(&file, {
      {1, 0, "a", "^"},
      {2, 4, "\tabc x", "\t   ^"},
      {3, 2, "last", "  ^"},
      // The C locale has no characters above 0x7F: the byte shows as its escape.
      {4, 1, "\\xe9t", "    ^"},
      {5, 2, "\\u0001a", "       ^"},
      {9, 3, "", "   ^"},
  });
  char source[8];
  int32_t lineStart = 0;
  EXPECT_FALSE(getSourceLine(source, sizeof source, nullptr, 1, &lineStart));
  EXPECT_FALSE(getSourceLine(source, sizeof source, &file, 0, &lineStart));
}

// Under UTF-8 the line shows its characters as they are, and the caret counts the columns they
// fill: two for a wide character, four for an undecodable byte's escape.
TEST_F(DiagnosticsTest, SourceLineInTheHostEncoding) {
  static const char utf8[] = "caf\xc3\xa9 x\n\xe8\xa1\xa8\xe8\xa1\xa8y\n\xe9\xe8z\n";
  SourceFile f = file;
  f.content = const_cast<char*>(utf8);
  f.contentLength = sizeof utf8 - 1;
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  expectSourceAndCaretLines(&f, {
      {1, 6, "caf\xc3\xa9 x", "     ^"},
      {1, 3, "caf\xc3\xa9 x", "   ^"},
      {2, 6, "\xe8\xa1\xa8\xe8\xa1\xa8y", "    ^"},
      {3, 2, "\\xe9\\xe8z", "        ^"},
  });
  std::setlocale(LC_ALL, "C");
}

TEST_F(DiagnosticsTest, PrintsTheLineSourceAndCaret) {
  global.current = &file;
  testing::internal::CaptureStderr();
  errorAt(2, 4, "plain");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "A.java:2: Something is wrong.\n\tabc x\n\t   ^\n");
  EXPECT_EQ(global.errorCount, 1);
  EXPECT_NE(file.flags & SOURCE_HAS_ERRORS, 0u);
  global.pipeOutput = 1;
  testing::internal::CaptureStdout();
  messageAt(nullptr, 0, 0, "plain");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Something is wrong.\n");
}

int32_t stopCode(void (*report)()) {
  try {
    report();
  } catch (const CompileStop& stop) {
    return stop.code;
  }
  return 0;
}

TEST_F(DiagnosticsTest, LimitsStopTheCompile) {
  global.noMessages = 1;
  global.maxErrors = 3;
  global.maxMessages = 0;
  EXPECT_EQ(stopCode([] { errorInFile(nullptr, 0, 0, "err"); }), 0);
  EXPECT_EQ(stopCode([] { errorInFile(nullptr, 0, 0, "err"); }), 0);
  EXPECT_EQ(stopCode([] { errorInFile(nullptr, 0, 0, "err"); }), STOP_ERROR_LIMIT);
  EXPECT_EQ(global.errorCount, 3);

  global.errorCount = 0;
  global.maxErrors = 0;
  global.maxMessages = 4;
  for (int i = 0; i < 10; i++) EXPECT_EQ(stopCode([] { warningAt(nullptr, 0, 0, "warn.thing", "w"); }), 0);
  EXPECT_EQ(global.warningCount, 10);
  // Once an error is counted, warnings count towards the errors-plus-warnings limit.
  EXPECT_EQ(stopCode([] { errorInFile(nullptr, 0, 0, "err"); }), STOP_MESSAGE_LIMIT);
  global.warningCount = 0;
  EXPECT_EQ(stopCode([] { warningAt(nullptr, 0, 0, "warn.thing", "w"); }), 0);
  EXPECT_EQ(stopCode([] { warningAt(nullptr, 0, 0, "warn.thing", "w"); }), 0);
  EXPECT_EQ(stopCode([] { warningAt(nullptr, 0, 0, "warn.thing", "w"); }), STOP_MESSAGE_LIMIT);

  global.maxErrors = 1;
  global.maxMessages = 1;
  EXPECT_EQ(stopCode([] { errorInFile(nullptr, 0, 0, "err"); }), STOP_ERROR_LIMIT);
  EXPECT_EQ(stopCode([] { fatalError(nullptr, 0, 0, "err"); }), STOP_ERROR_LIMIT);
  global.maxErrors = 0;
  global.maxMessages = 0;
  EXPECT_EQ(stopCode([] { fatalError(nullptr, 0, 0, "err"); }), STOP_FATAL);
}

TEST_F(DiagnosticsTest, NoWarnMeansNeitherPrintedNorCounted) {
  global.noWarnings = 1;
  testing::internal::CaptureStderr();
  warningAt(nullptr, 0, 0, "warn.thing", "w");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(global.warningCount, 0);
  global.noWarnings = 0;
  global.noMessages = 1;
  testing::internal::CaptureStderr();
  warningAt(nullptr, 0, 0, "warn.thing", "w");
  messageAt(nullptr, 0, 0, "plain");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Something is wrong.\n");
  EXPECT_EQ(global.warningCount, 1);
}

TEST_F(DiagnosticsTest, TracesFormatting) {
  global.traceLevel = 8;
  testing::internal::CaptureStdout();
  format(nullptr, -1, 0, "two", messageArguments("x", "y"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "MESSAGE=two, PATTERN=First %1, then %2.\nRESULTS=First x, then y.\n");
}

TEST(PrintableChar, EscapesWhatIsNotPrintable) {
  EXPECT_STREQ(printableChar('a'), "a");
  EXPECT_STREQ(printableChar('\t'), "\t");
  EXPECT_STREQ(printableChar(0x7f), "\\u007f");
  EXPECT_STREQ(printableChar(0x20ac), "\\u20ac");
  EXPECT_STREQ(intToString(-42), "-42");
}

}  // namespace

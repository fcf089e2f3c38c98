// The token scanner: kinds, positions, escapes, values of literals, name collection and the
// NOI18N marks.
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "semantic/java_arithmetic.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/message_file.h"
#include "syntax/compilation_unit.h"
#include "syntax/scanner.h"
#include "test_support.h"

namespace {

// Scanned from a string, diagnostics have no file: their column shows as "site N".
class ScannerTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    initMessageTable(1);
    sortMessages();
  }
  std::vector<int32_t> kinds(const char* text) {
    setScanString(text);
    std::vector<int32_t> result;
    for (int32_t kind = scanToken(); kind != T_EOF; kind = scanToken()) result.push_back(kind);
    return result;
  }
  // The characters nextUnicode reads from a text, as UTF-16.
  std::u16string characters(const char* text) {
    setScanString(text);
    std::u16string result;
    for (int32_t c = nextUnicode(); c != END_OF_TEXT; c = nextUnicode()) result += static_cast<char16_t>(c);
    return result;
  }
};

TEST_F(ScannerTest, OperatorsByLongestMatch) {
  EXPECT_EQ(kinds(">>>= >>> > >>= >> >= > << <<= <= < == = != ! && &= & || |= | ++ += + -- -= - *= * %= % ^= ^"),
            (std::vector<int32_t>{T_USHR_ASSIGN, T_USHR, T_GT, T_SHR_ASSIGN, T_SHR, T_GE, T_GT, T_SHL, T_SHL_ASSIGN,
                                  T_LE, T_LT, T_EQ, T_ASSIGN, T_NE, T_NOT, T_ANDAND, T_AND_ASSIGN, T_AND, T_OROR,
                                  T_OR_ASSIGN, T_OR, T_INCREMENT, T_PLUS_ASSIGN, T_PLUS, T_DECREMENT, T_MINUS_ASSIGN,
                                  T_MINUS, T_STAR_ASSIGN, T_STAR, T_REM_ASSIGN, T_REM, T_XOR_ASSIGN, T_XOR}));
  EXPECT_EQ(kinds(">>>>~?,:;{}()[]./=/"),
            (std::vector<int32_t>{T_USHR, T_GT, T_TILDE, T_QUESTION, T_COMMA, T_COLON, T_SEMICOLON, T_LBRACE, T_RBRACE,
                                  T_LPAREN, T_RPAREN, T_LBRACKET, T_RBRACKET, T_DOT, T_DIV_ASSIGN, T_DIV}));
  EXPECT_EQ(kinds(".5 .x 1.e2"), (std::vector<int32_t>{T_FLOATING, T_DOT, T_IDENTIFIER, T_FLOATING}));
}

TEST_F(ScannerTest, KeywordsAndNames) {
  EXPECT_EQ(kinds("abstract widefp class length $x _y x1 \xe9"),
            (std::vector<int32_t>{T_ABSTRACT, T_WIDEFP, T_CLASS, T_IDENTIFIER, T_IDENTIFIER, T_IDENTIFIER, T_IDENTIFIER,
                                  T_IDENTIFIER}));
  EXPECT_EQ(global.lengthName->kind, T_IDENTIFIER);
  setScanString("class");
  setNameCollection(0);
  EXPECT_EQ(scanToken(), T_IDENTIFIER);
  EXPECT_STREQ(tokenName(T_USHR_ASSIGN), ">>>=");
  EXPECT_STREQ(tokenName(T_RBRACKET), "]");
  EXPECT_STREQ(tokenName(T_SYNCHRONIZED), "synchronized");
  EXPECT_STREQ(tokenName(T_ERROR), "<error>");
  EXPECT_STREQ(tokenName(104), "<unknown>");
}

// Names, blanks, strings and comments are read a run of bytes at a time: each run must end where
// the character reader would have, at an escape, a byte of another class or the end of the text.
TEST_F(ScannerTest, RunsOfBytesEndWhereTheirCharactersEnd) {
  struct Case {
    std::string text;
    std::vector<std::string> tokens;  // names and strings by their text, others by their spelling
  };
  std::vector<Case> cases = {
      {"ab\\u0063d e", {"abcd", "e"}},
      // An ignorable control stands in a name but is no part of it.
      {"ab\x01" "cd+x", {"abcd", "+", "x"}},
      {"name", {"name"}},
      {"a\xc3\xa9" "b", {"a\xc3\xa9" "b"}},
      {std::string(40, ' ') + "\t\t x", {"x"}},
      {"/* a comment longer than sixteen bytes \\u002a/ x", {"x"}},
      {"/* comment with \xc3\xa9 and * and ** */ y", {"y"}},
      {"// a line comment longer than sixteen bytes\n z", {"z"}},
      {"// ends at an escaped line break \\u000a w", {"w"}},
      {"\"a plain run of more than sixteen\\tcharacters\" v", {"a plain run of more than sixteen\tcharacters", "v"}},
      {"\"caf\xc3\xa9 \\u0041\"", {"caf\xc3\xa9 A"}},
  };
  // The multibyte cases are UTF-8.
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  int32_t savedCharBytes = global.maxCharBytes;
  global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
  for (const Case& c : cases) {
    setScanString(c.text.c_str());
    std::vector<std::string> got;
    for (int32_t kind = scanToken(); kind != T_EOF; kind = scanToken()) {
      if (kind == T_IDENTIFIER) {
        resetNameBuffer();
        appendNameUtf16(identifierChars(currentToken()->identifier), currentToken()->identifier->length);
      }
      // A string's characters are in the name buffer, as the scanner left them.
      got.push_back(kind == T_IDENTIFIER || kind == T_STRING ? nameBufferToNative(&global.tempArena) : tokenName(kind));
    }
    EXPECT_EQ(got, c.tokens) << c.text;
  }
  global.maxCharBytes = savedCharBytes;
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(global.errorCount, 0);
}

TEST_F(ScannerTest, PositionsAndLineEnds) {
  setScanString("a\r\n\tbb\rc\n\r\rd");
  struct Expected {
    int32_t line, column, start;
  } expected[] = {{0, 0, 0}, {1, 1, 4}, {2, 0, 7}, {5, 0, 11}};
  for (const Expected& e : expected) {
    ASSERT_EQ(scanToken(), T_IDENTIFIER);
    EXPECT_EQ(currentToken()->line, e.line);
    EXPECT_EQ(currentToken()->column, e.column);
    EXPECT_EQ(currentToken()->start, e.start);
  }
  for (int i = 0; i < 3; i++) EXPECT_EQ(scanToken(), T_EOF);
  pushBackToken();
  EXPECT_EQ(scanToken(), T_EOF);
}

TEST_F(ScannerTest, UnicodeEscapes) {
  EXPECT_EQ(characters("\\u0041"), u"A");
  EXPECT_EQ(characters("\\uu0041"), u"A");
  EXPECT_EQ(characters("\\\\u0041"), u"\\\\u0041");
  EXPECT_EQ(characters("\\\\\\u0041"), u"\\\\A");
  EXPECT_EQ(characters("\\x"), u"\\x");
  testing::internal::CaptureStderr();
  EXPECT_EQ(characters("\\u00G1"), u"\\u00G1");
  EXPECT_EQ(characters("\\u004"), u"\\u004");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorvelix: site 1: unknown.unicode\nquorvelix: site 1: unknown.unicode\n");
  EXPECT_EQ(kinds("\\u0063lass"), (std::vector<int32_t>{T_CLASS}));
}

TEST_F(ScannerTest, LiteralValues) {
  struct Case {
    const char* text;
    int32_t kind;
    int32_t literalType;
    int64_t integer;
    uint64_t floatingBits;
  } cases[] = {
      {"0x7fffFFFF", T_INTEGER, T_INT, 0x7FFFFFFF, 0},
      {"0xFFFFFFFF", T_INTEGER, T_INT, 0xFFFFFFFF, 0},
      {"0777", T_INTEGER, T_INT, 0777, 0},
      {"0", T_INTEGER, T_INT, 0, 0},
      {"123L", T_INTEGER, T_LONG, 123, 0},
      {"'\\377'", T_INTEGER, T_CHAR, 255, 0},
      {"'\\7'", T_INTEGER, T_CHAR, 7, 0},
      {"'\\u0041'", T_INTEGER, T_CHAR, 'A', 0},
      {"1f", T_FLOATING, T_FLOAT, 0, static_cast<uint64_t>(doubleBitsAsLong(1.0))},
      {"1.5", T_FLOATING, T_DOUBLE, 0, static_cast<uint64_t>(doubleBitsAsLong(1.5))},
      {"1.5d", T_FLOATING, T_DOUBLE, 0, static_cast<uint64_t>(doubleBitsAsLong(1.5))},
      // Rounded once from decimal to float: 0x3F800001, not the double-rounded 0x3F800000.
      {"1.00000017881393432617187499f", T_FLOATING, T_FLOAT, 0,
       static_cast<uint64_t>(doubleBitsAsLong(floatBitsToDouble(0x3F800001)))},
      {"4.9e-324", T_FLOATING, T_DOUBLE, 0, 1},
      {"0e-400", T_FLOATING, T_DOUBLE, 0, 0},
  };
  for (const Case& c : cases) {
    setScanString(c.text);
    ASSERT_EQ(scanToken(), c.kind) << c.text;
    EXPECT_EQ(currentToken()->literalType, c.literalType) << c.text;
    if (c.kind == T_INTEGER)
      EXPECT_EQ(currentToken()->integerValue, c.integer) << c.text;
    else
      EXPECT_EQ(static_cast<uint64_t>(doubleBitsAsLong(currentToken()->floatingValue)), c.floatingBits) << c.text;
    EXPECT_EQ(scanToken(), T_EOF) << c.text;
  }
  EXPECT_EQ(global.errorCount, 0);
}

// Names, short decimals, points and separators are taken straight from the text when their bytes
// are plain; where an escape, a multibyte character or the end may continue or follow them, the
// full scan decides, and both give the same tokens, values and positions.
TEST_F(ScannerTest, TokensTakenInPlaceEndWhereTheFullScanEndsThem) {
  struct Case {
    const char* text;
    // Each token at its line and column: a name by its text, an int by its value (L when long),
    // anything else by its spelling.
    std::vector<std::string> tokens;
  } cases[] = {
      {"x", {"x@0:0"}},
      {"ab\\u0063d+e", {"abcd@0:0", "+@0:9", "e@0:10"}},
      {"12\\u0033;", {"123@0:0", ";@0:8"}},
      {"123456789)", {"123456789@0:0", ")@0:9"}},
      {"1234567890 ", {"1234567890@0:0"}},
      {"9999999999L 2147483647;", {"9999999999L@0:0", "2147483647@0:12", ";@0:22"}},
      {"7L 7l 7", {"7L@0:0", "7L@0:3", "7@0:6"}},
      {"42abc", {"42@0:0", "abc@0:2"}},
      {"3.x 5e1 1d 2f", {"<floating>@0:0", "x@0:2", "<floating>@0:4", "<floating>@0:8", "<floating>@0:11"}},
      {"a.b.\\u0030 x.5 y.", {"a@0:0", ".@0:1", "b@0:2", "<floating>@0:3", "x@0:11", "<floating>@0:12", "y@0:15", ".@0:16"}},
      {"f(g[0],{1});", {"f@0:0", "(@0:1", "g@0:2", "[@0:3", "0@0:4", "]@0:5", ",@0:6", "{@0:7", "1@0:8", "}@0:9", ")@0:10", ";@0:11"}},
      {"a \t\r\n  b\n\n\t c", {"a@0:0", "b@1:2", "c@3:2"}},
      {"q\xc3\xa9 r", {"q\xc3\xa9@0:0", "r@0:4"}},
  };
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  int32_t savedCharBytes = global.maxCharBytes;
  global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
  for (const Case& c : cases) {
    setScanString(c.text);
    std::vector<std::string> got;
    for (int32_t kind = scanToken(); kind != T_EOF; kind = scanToken()) {
      const Token* t = currentToken();
      std::string text;
      if (kind == T_IDENTIFIER) {
        resetNameBuffer();
        appendNameUtf16(identifierChars(t->identifier), t->identifier->length);
        text = nameBufferToNative(&global.tempArena);
      } else if (kind == T_INTEGER) {
        text = std::to_string(t->integerValue) + (t->literalType == T_LONG ? "L" : "");
      } else {
        text = tokenName(kind);
      }
      got.push_back(text + "@" + std::to_string(t->line) + ":" + std::to_string(t->column));
    }
    EXPECT_EQ(got, c.tokens) << c.text;
  }
  global.maxCharBytes = savedCharBytes;
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(global.errorCount, 0);
}

TEST_F(ScannerTest, StringLiteralKeepsDecodedCharacters) {
  setScanString("\"a\\tb\\u0041\\101\\0\"");
  ASSERT_EQ(scanToken(), T_STRING);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(global.nameBuffer), global.nameLength),
            std::u16string(u"a\tbAA") + char16_t(0));
}

TEST_F(ScannerTest, PrefixMinusAllowsTheSmallestValues) {
  setScanString("- 2147483648 - 9223372036854775808L");
  testing::internal::CaptureStderr();
  ASSERT_EQ(scanToken(), T_MINUS);
  currentToken()->flags |= TOKEN_PREFIX;
  EXPECT_EQ(scanToken(), T_INTEGER);
  ASSERT_EQ(scanToken(), T_MINUS);
  EXPECT_EQ(scanToken(), T_INTEGER);  // a binary minus: out of range
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorvelix: site 15: numeric.long.ovfl\n");
}

TEST_F(ScannerTest, DeprecatedTagAtTheStartOfAnyLineMarksTheNextTokenOnly) {
  struct Case {
    const char* text;
    int32_t deprecated;
  } cases[] = {
      {"/** @deprecated */ x", 1},
      {"/**@deprecated*/ x", 1},
      {"/** @deprecated */ // a line comment\n /* and a block */ x", 1},
      {"/**\n * @deprecated\n */ x", 1},
      {"/**\n   @deprecated reason\n */ x", 1},
      {"/**\n * see @deprecated\n */ x", 0},
      {"/**\n * @deprecatedly\n */ x", 0},
      {"/**/ x", 0},
  };
  for (const Case& c : cases) {
    setScanString(c.text);
    EXPECT_EQ(scanToken(), T_IDENTIFIER) << c.text;
    EXPECT_EQ(scannerState()->deprecatedSeen, c.deprecated) << c.text;
    scanToken();
    EXPECT_EQ(scannerState()->deprecatedSeen, 0) << c.text;
  }
}

TEST_F(ScannerTest, NoI18nMarksExemptLiterals) {
  addMessage("warn.noi18n.string", 18, 1, "%1", 2);
  sortMessages();
  global.noI18n = 1;
  char api[] = "getString,tr";
  global.i18nApi = api;
  setScanString(
      "a(\"warned\"); /*NOI18N*/ b(\"exempt\", c(\"also\")); d(\"warned too\"); "
      "/*NOI18N+*/ e(\"region\"); /*NOI18N-*/ tr(\"api\"); f(\"last\");");
  testing::internal::CaptureStderr();
  while (scanToken() != T_EOF) {
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quorvelix: site 2: warned\nquorvelix: site 50: warned too\nquorvelix: site 115: last\n");
}

// Short decimals are converted by one exact operation; every literal, short or not, must come out
// as the library's correctly rounded conversion gives it, for double and float alike.
TEST_F(ScannerTest, FloatingLiteralsRoundAsTheLibraryRounds) {
  std::vector<std::string> texts = {"0.0", "0e5", "1.5", ".5", "12.75", "1.5e-3", "9007199254740992.0",
                                    "9007199254740993.0", "1e22", "1e23", "1e-22", "1e-23", "0.1", "3.0e10",
                                    "16777216.0", "16777217.0", "123456789012345678.0", "0.000000001",
                                    "4.9e-324", "1.7976931348623157e308", "2.2250738585072014E-308"};
  uint64_t state = 42;
  auto next = [&](uint64_t bound) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return (state >> 33) % bound;
  };
  for (int i = 0; i < 3000; i++) {
    std::string text = std::to_string(next(100000000000ull) >> next(36));
    if (next(2) == 0) text += "." + std::to_string(next(1000000));
    if (next(3) == 0) text += (next(2) == 0 ? "e-" : "e") + std::to_string(next(30));
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    for (bool isFloat : {false, true}) {
      std::string literal = text + (isFloat ? "f" : "");
      setScanString(literal.c_str());
      ASSERT_EQ(scanToken(), T_FLOATING) << literal;
      double expected = isFloat ? static_cast<double>(std::strtof(text.c_str(), nullptr)) : std::strtod(text.c_str(), nullptr);
      // 4.9e-324 and its like are the underflow rule's, which gives the smallest subnormal too.
      if (expected == 0.0 && text != "0.0" && text != "0e5") continue;
      EXPECT_EQ(doubleBitsAsLong(currentToken()->floatingValue), doubleBitsAsLong(expected)) << literal;
    }
  }
}

// The declaration pass skips a body straight from its bytes as far as it can: wherever it stops,
// and after it, the scanner must stand exactly where the token scan of the same body stands, with
// the same diagnostics, the same last token and the same notes of the text read.
TEST_F(ScannerTest, BodiesSkippedInPlaceEndAsTheTokenScanEnds) {
  addMessage("invalid.literal.string", 22, 1, "string %1", 9);
  addMessage("invalid.literal.char", 20, 0, "char", 4);
  addMessage("comment.not.terminated", 22, 0, "open comment", 12);
  addMessage("number.format", 13, 0, "number", 6);
  addMessage("unknown.char", 12, 2, "char %1", 7);
  sortMessages();
  struct Case {
    const char* text;  // after the opener
    int32_t closer;
  };
  const Case cases[] = {
      {"int x = a[i] + f(b, c); if (x > 0) { y = \"s}\"; } } tail", T_RBRACE},
      {"/* } */ // }\n x = '}'; y = '\\''; s = \"a\\\"}\\\\\"; } tail", T_RBRACE},
      {"x = 1; \\u007d tail", T_RBRACE},
      {"s = \"\\u0022\"; } \"; } tail", T_RBRACE},
      {"/**\n * @deprecated\n */ int x; } tail", T_RBRACE},
      {"/**/ /***/ } tail", T_RBRACE},
      {"/* one\r\n two\n */ x; } tail", T_RBRACE},
      {"f(a}; } tail", T_RBRACE},
      {"a[(b} c } tail", T_RBRACE},
      {"x = 0x1F + 1.5e3f + .5 + 07 + 1L + 2.d + 1e+ ; y = 0x.1; } tail", T_RBRACE},
      {"x = 12\\u0033; } tail", T_RBRACE},
      {"a\r\nb\rc\n\n} tail", T_RBRACE},
      {"x = 1; /* never closed", T_RBRACE},
      {"s = \"abc\n\"; } tail", T_RBRACE},
      {"s = \"\xc3\xa9\"; \xc3\xa9x = 1; } tail", T_RBRACE},
      {"a = b /\\u002a c */ ; } tail", T_RBRACE},
      {"c = '\\101'; s = \"\\0\\377\\8\"; c = ''; c = 'ab'; } tail", T_RBRACE},
      {"x = y @ z # w; } tail", T_RBRACE},
      {"((((", T_RBRACE},
      {"a + (b) } tail", T_RPAREN},
      {"a [ ) ] + b ) tail", T_RPAREN},
      {"// the end", T_RBRACE},
  };
  struct End {
    int32_t kind, line, column, start, position, lineStart, pushedBack, parentheses, deprecated, docDeprecated, reports;
    std::string printed;
    bool operator==(const End&) const = default;
  };
  auto skip = [&](const Case& c, bool tokenByToken) {
    setScanString(c.text);
    setNameCollection(0);
    global.errorCount = global.warningCount = 0;
    testing::internal::CaptureStderr();
    if (tokenByToken) {
      // skipBalanced's own loop, with no run taken in place.
      std::vector<int32_t> closers{c.closer};
      while (!closers.empty()) {
        int32_t kind = scanToken();
        if (kind == T_EOF) break;
        if (kind == closers.back()) {
          closers.pop_back();
        } else if (kind == T_RBRACE) {
          if (closers.size() == 1) {
            pushBackToken();
            break;
          }
          closers.pop_back();
          pushBackToken();
        } else if (kind == T_LBRACE || kind == T_LPAREN || kind == T_LBRACKET) {
          closers.push_back(kind == T_LBRACE ? T_RBRACE : kind == T_LPAREN ? T_RPAREN : T_RBRACKET);
        }
      }
    } else {
      skipBalanced(c.closer);
    }
    std::string printed = testing::internal::GetCapturedStderr();
    const ScannerState* s = scannerState();
    return End{token().kind, token().line,   token().column, token().start,    s->position, s->lineStart,
               s->pushedBack, s->parenthesisDepth, s->deprecatedSeen, s->docDeprecated,
               global.errorCount + global.warningCount, printed};
  };
  for (const Case& c : cases) {
    End inPlace = skip(c, false);
    End byTokens = skip(c, true);
    EXPECT_TRUE(inPlace == byTokens) << c.text << "\n in place: token " << inPlace.kind << " at " << inPlace.start
                                     << ", position " << inPlace.position << ", line " << inPlace.line << ", printed "
                                     << inPlace.printed << "\n by tokens: token " << byTokens.kind << " at "
                                     << byTokens.start << ", position " << byTokens.position << ", line "
                                     << byTokens.line << ", printed " << byTokens.printed;
  }
}

}  // namespace

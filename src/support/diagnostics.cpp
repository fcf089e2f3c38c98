// Reporting, counting and formatting of diagnostics. A positioned diagnostic is the file name,
// line and text, then the offending source line and a caret line that keeps the line's tabs.
#include "support/diagnostics.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "support/encodings.h"
#include "support/global.h"
#include "support/message_file.h"
#include "support/multibyte_strings.h"
#include "support/source_file.h"

void countError(SourceFile* file) {
  global.errorCount++;
  if (global.maxErrors != 0 && global.errorCount >= global.maxErrors) stopCompile(STOP_ERROR_LIMIT);
  if (global.maxMessages != 0 && global.errorCount + global.warningCount >= global.maxMessages)
    stopCompile(STOP_MESSAGE_LIMIT);
  if (file != nullptr) file->flags |= SOURCE_HAS_ERRORS;
  global.ctx.bodyFailed = 1;
}

void errorAtArgs(int32_t line, int32_t column, const char* key, const MessageArguments& args) {
  printMessage(global.current, line, column, key, args);
  countError(global.current);
}

QuietDiagnostics::QuietDiagnostics(bool quiet) : quiet_(quiet) {
  if (!quiet_) return;
  noMessages_ = global.noMessages;
  errors_ = global.errorCount;
  warnings_ = global.warningCount;
  maxErrors_ = global.maxErrors;
  maxMessages_ = global.maxMessages;
  deprecatedUses_ = global.deprecatedUses;
  global.noMessages = 1;
  global.maxErrors = 0;
  global.maxMessages = 0;
}

QuietDiagnostics::~QuietDiagnostics() {
  if (!quiet_) return;
  global.noMessages = noMessages_;
  global.errorCount = errors_;
  global.warningCount = warnings_;
  global.maxErrors = maxErrors_;
  global.maxMessages = maxMessages_;
  global.deprecatedUses = deprecatedUses_;
}

void errorInFileArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                     const MessageArguments& args) {
  printMessage(file, line, column, key, args);
  countError(file);
}

void fatalErrorArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                    const MessageArguments& args) {
  printMessage(file, line, column, key, args);
  countError(file);
  stopCompile(STOP_FATAL);
}

namespace {

void printWarning(SourceFile* file, int32_t line, int32_t column, const char* key, const MessageArguments& args) {
  printMessage(file, line, column, key, args);
  global.warningCount++;
  // Under "-Werror" no class file is written for a source that warned, as for one with an error.
  if (global.warningsAsErrors && file != nullptr) file->flags |= SOURCE_HAS_ERRORS;
  // Warnings alone never stop a compile.
  if (global.maxMessages != 0 && global.errorCount > 0 &&
      global.errorCount + global.warningCount >= global.maxMessages)
    stopCompile(STOP_MESSAGE_LIMIT);
}

}  // namespace

void warningAtArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                   const MessageArguments& args) {
  if (!global.noWarnings) printWarning(file, line, column, key, args);
}

void deprecationWarningAtArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                              const MessageArguments& args) {
  if (!global.noWarnings || global.deprecationAfterNoWarn) printWarning(file, line, column, key, args);
}

void messageAtArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                   const MessageArguments& args) {
  char buffer[DIAGNOSTIC_BUFFER_SIZE];
  formatMessage(buffer, sizeof buffer, file, file != nullptr ? line : -1, column, key, args);
  if (global.messageCallback != nullptr)
    global.messageCallback(buffer);
  else
    printLine(buffer);
}

void printMessage(SourceFile* file, int32_t line, int32_t column, const char* key,
                  const MessageArguments& args) {
  if (global.noMessages) return;
  char buffer[DIAGNOSTIC_BUFFER_SIZE];
  formatMessage(buffer, sizeof buffer, file, line, column, key, args);
  if (global.messageCallback != nullptr) {
    global.messageCallback(buffer);
    return;
  }
  printLine(buffer);
  int32_t lineStart = 0;
  char source[DIAGNOSTIC_BUFFER_SIZE];
  if (getSourceLine(source, sizeof source, file, line, &lineStart)) {
    printLine(source);
    char caret[DIAGNOSTIC_BUFFER_SIZE];
    makeCaretLine(caret, sizeof caret, file, column, lineStart);
    printLine(caret);
  }
}

// Appends text to a bounded buffer; false (nothing appended) when it would reach `size`.
static bool appendBounded(char* buffer, int32_t size, int32_t* length, const char* text,
                          int32_t textLength) {
  if (*length + textLength >= size) return false;
  std::memcpy(buffer + *length, text, textLength);
  *length += textLength;
  buffer[*length] = '\0';
  return true;
}

// An argument too long for the line (a long file name) is cut at a character boundary and marked
// with "...", leaving room for the `restLength` bytes of text after it where it can; false when not
// even a character fits.
static bool appendCutArgument(char* buffer, int32_t size, int32_t* length, const char* argument,
                              int32_t restLength) {
  static const char mark[] = "...";
  int32_t markLength = sizeof mark - 1;
  int32_t room = size - 1 - *length - markLength - restLength;
  if (room < 1) room = size - 1 - *length - markLength;
  int32_t cut = 0;
  while (argument[cut] != '\0') {
    int32_t n = characterLength(argument + cut);
    if (n < 1) n = 1;
    if (cut + n > room) break;
    cut += n;
  }
  if (cut == 0) return false;
  appendBounded(buffer, size, length, argument, cut);
  appendBounded(buffer, size, length, mark, markLength);
  return true;
}

void formatMessage(char* buffer, int32_t size, SourceFile* file, int32_t line, int32_t column,
                   const char* key, const MessageArguments& args) {
  const MessageEntry* entry = lookupMessage(key);
  int32_t length = 0;
  buffer[0] = '\0';
  char number[32];
  if (global.messageCallback == nullptr) {
    bool named = file != nullptr && file->name != nullptr && file->name[0] != '\0';
    if (line != -1 && (!named || line == 0)) appendBounded(buffer, size, &length, "quorvelix: ", 11);
    if (file != nullptr) {
      const char* name = file->name != nullptr ? file->name : "";
      int32_t nameLength = static_cast<int32_t>(std::strlen(name));
      if (nameLength >= size - (length + 12)) {
        name = "FilenameTooLong";
        nameLength = 15;
      }
      appendBounded(buffer, size, &length, name, nameLength);
      if (line != 0) {
        int32_t n = std::snprintf(number, sizeof number, ":%d", line);
        appendBounded(buffer, size, &length, number, n);
      }
      appendBounded(buffer, size, &length, ": ", 2);
    } else if (column != 0) {
      int32_t n = std::snprintf(number, sizeof number, "site %d: ", column);
      appendBounded(buffer, size, &length, number, n);
    }
  }
  // An entry with an empty text says no more than its key.
  if (entry == nullptr || entry->text == nullptr || entry->text[0] == '\0') {
    int32_t keyLength = static_cast<int32_t>(std::strlen(key));
    if (!appendBounded(buffer, size, &length, key, keyLength)) {
      int32_t room = size - 1 - length;
      appendBounded(buffer, size, &length, key, room > 0 ? room : 0);
    }
    return;
  }
  if (global.traceLevel & TRACE_MESSAGE_FORMAT)
    std::printf("MESSAGE=%s, PATTERN=%s\n", key, entry->text);
  for (const char* p = entry->text; *p != '\0';) {
    if (isChar(p, '%')) {
      char next = p[1];
      if (next == '\0') break;
      if (next >= '1' && next <= '8') {
        const char* argument = args.slot[next - '1'];
        if (argument == nullptr) break;
        if (!appendBounded(buffer, size, &length, argument, static_cast<int32_t>(std::strlen(argument))) &&
            !appendCutArgument(buffer, size, &length, argument, static_cast<int32_t>(std::strlen(p + 2))))
          break;
        p += 2;
        continue;
      }
      p++;  // the '%' is dropped and the character after it copied
    }
    int32_t n = characterLength(p);
    if (n < 1) n = 1;
    if (!appendBounded(buffer, size, &length, p, n)) {
      // Cut at size - 1 bytes: copy what still fits of this character's bytes.
      int32_t room = size - 1 - length;
      if (room > 0) appendBounded(buffer, size, &length, p, room);
      break;
    }
    p += n;
  }
  if (global.traceLevel & TRACE_MESSAGE_FORMAT) std::printf("RESULTS=%s\n", buffer);
}

void printLine(const char* text) {
  std::fprintf(global.pipeOutput ? stdout : stderr, "%s\n", text);
}

namespace {

// One character of a source line as the quoted line shows it: an ASCII byte through
// printableChar, a printable character of the host codeset as its own bytes, any other byte as
// "\xHH". Returns the bytes of the text it stands for.
struct ShownCharacter {
  const char* text;
  int32_t length;
  int32_t columns;  // terminal columns the shown text fills
  char escape[MB_LEN_MAX + 8];
};

// A source converted to UTF-8 shows its characters in the host codeset.
int32_t showSourceCharacter(const char* p, int32_t available, bool utf8, ShownCharacter* shown) {
  unsigned char byte = static_cast<unsigned char>(*p);
  if (byte < 0x80) {
    std::strcpy(shown->escape, printableChar(byte));
    shown->text = shown->escape;
    shown->length = static_cast<int32_t>(std::strlen(shown->escape));
    shown->columns = shown->length;
    return 1;
  }
  if (utf8 && !codesetIsUtf8()) {
    int32_t taken = printableUtf8Character(p, available, shown->escape, &shown->length, &shown->columns);
    if (taken > 0) {
      shown->text = shown->escape;
      return taken;
    }
  } else {
    int32_t taken = printableNativeCharacter(p, available, &shown->columns);
    if (taken > 0) {
      shown->text = p;
      shown->length = taken;
      return taken;
    }
  }
  std::snprintf(shown->escape, sizeof shown->escape, "\\x%02x", byte);
  shown->text = shown->escape;
  shown->length = 4;
  shown->columns = 4;
  return 1;
}

bool endsSourceLine(char c) {
  return c == '\r' || c == '\n' || c == '\0';
}

}  // namespace

bool getSourceLine(char* buffer, int32_t size, const SourceFile* file, int32_t line,
                   int32_t* lineStart) {
  buffer[0] = '\0';
  if (file == nullptr || line < 1 || file->content == nullptr) return false;
  const char* text = file->content;
  int32_t end = file->contentLength;
  int32_t offset = 0;
  for (int32_t current = 1; current < line && offset < end;) {
    char c = text[offset++];
    if (c == '\r') {
      if (offset < end && text[offset] == '\n') offset++;
      current++;
    } else if (c == '\n') {
      current++;
    }
  }
  *lineStart = offset;
  int32_t length = 0;
  while (offset < end && !endsSourceLine(text[offset])) {
    ShownCharacter shown;
    int32_t taken = showSourceCharacter(text + offset, end - offset, (file->flags & SOURCE_UTF8) != 0, &shown);
    if (!appendBounded(buffer, size, &length, shown.text, shown.length)) break;
    offset += taken;
  }
  return true;
}

// The caret stands under the character at byte `column` of the line as getSourceLine shows it:
// tabs are kept, and every other character before it becomes as many blanks as it fills columns.
void makeCaretLine(char* buffer, int32_t size, const SourceFile* file, int32_t column,
                   int32_t lineStart) {
  const char* text = file->content;
  int32_t end = file->contentLength;
  int32_t target = column > 0 ? lineStart + column : lineStart;
  int32_t length = 0;
  for (int32_t offset = lineStart; offset < target;) {
    int32_t blanks = 1;
    int32_t taken = 1;
    bool tab = false;
    if (offset < end && !endsSourceLine(text[offset])) {
      ShownCharacter shown;
      taken = showSourceCharacter(text + offset, end - offset, (file->flags & SOURCE_UTF8) != 0, &shown);
      if (offset + taken > target) break;
      tab = text[offset] == '\t';
      blanks = shown.columns;
    }
    if (length + blanks + 2 > size) {
      length = 0;
      break;
    }
    if (tab) {
      buffer[length++] = '\t';
    } else {
      std::memset(buffer + length, ' ', blanks);
      length += blanks;
    }
    offset += taken;
  }
  buffer[length] = '^';
  buffer[length + 1] = '\0';
}

bool isChar(const char* p, char c) {
  return p != nullptr && *p == c && characterLength(p) == 1;
}

const char* printableChar(uint16_t c) {
  static char text[8];
  if (c < 128 && (std::isalpha(c) || std::isdigit(c) || std::ispunct(c) || c == ' ' || std::isspace(c))) {
    text[0] = static_cast<char>(c);
    text[1] = '\0';
  } else {
    std::snprintf(text, sizeof text, "\\u%04x", c);
  }
  return text;
}

const char* intToString(int32_t n) {
  static char text[16];
  std::snprintf(text, sizeof text, "%d", n);
  return text;
}

void dumpAllMessages() {
  int32_t count = 0;
  const MessageEntry* entries = messageTable(&count);
  global.maxMessages = 90000;
  static const char* const dummyArguments[] = {"ARG1", "ARG2", "ARG3", "ARG4"};
  for (int32_t i = 0; i < count; i++) {
    const MessageEntry& entry = entries[i];
    std::fflush(stdout);
    std::fflush(stderr);
    std::printf("ERROR %d: %s(%d)=%s\n", i, entry.key, entry.argumentCount,
                entry.text != nullptr ? entry.text : "");
    std::fflush(stdout);
    std::fflush(stderr);
    MessageArguments args{};
    if (entry.argumentCount >= 1 && entry.argumentCount <= 4)
      for (int32_t a = 0; a < entry.argumentCount; a++) args.slot[a] = dummyArguments[a];
    warningAtArgs(nullptr, 0, 0, entry.key, args);
  }
}

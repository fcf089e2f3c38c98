// Every error, warning and note goes through here: a message key and up to eight string arguments,
// formatted from the message table with a position prefix, the source line and a caret line,
// counted against the limits.
#pragma once

#include <cstdint>

struct SourceFile;

constexpr int32_t MESSAGE_ARGUMENTS = 8;
constexpr int32_t DIAGNOSTIC_BUFFER_SIZE = 1024;

// The arguments a caller passed, padded with nulls to eight: formatting never reads more than
// the caller gave, whatever count the message file declares.
struct MessageArguments {
  const char* slot[MESSAGE_ARGUMENTS];
};

template <class... Texts>
MessageArguments messageArguments(Texts... texts) {
  static_assert(sizeof...(Texts) <= MESSAGE_ARGUMENTS, "at most eight message arguments");
  return MessageArguments{{static_cast<const char*>(texts)...}};
}

void errorAtArgs(int32_t line, int32_t column, const char* key, const MessageArguments& args);
void errorInFileArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                     const MessageArguments& args);
[[noreturn]] void fatalErrorArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                                 const MessageArguments& args);
void warningAtArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                   const MessageArguments& args);
void messageAtArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                   const MessageArguments& args);

// While it lives (when `quiet`), diagnostics are neither printed nor counted: a part already
// parsed once with its reports and parsed again (an instance initializer in each constructor, a
// field initializer attributed for its constant and then compiled), and the checks of its code.
class QuietDiagnostics {
 public:
  explicit QuietDiagnostics(bool quiet);
  ~QuietDiagnostics();
  QuietDiagnostics(const QuietDiagnostics&) = delete;
  QuietDiagnostics& operator=(const QuietDiagnostics&) = delete;

 private:
  bool quiet_;
  uint8_t noMessages_ = 0;
  int32_t errors_ = 0;
  int32_t warnings_ = 0;
  int32_t maxErrors_ = 0;
  int32_t maxMessages_ = 0;
  int32_t deprecatedUses_ = 0;
};

// An error at a position of the current source file.
template <class... Texts>
void errorAt(int32_t line, int32_t column, const char* key, Texts... texts) {
  errorAtArgs(line, column, key, messageArguments(texts...));
}

// An error in the given file (null: no file).
template <class... Texts>
void errorInFile(SourceFile* file, int32_t line, int32_t column, const char* key, Texts... texts) {
  errorInFileArgs(file, line, column, key, messageArguments(texts...));
}

// An error that ends the compile.
template <class... Texts>
[[noreturn]] void fatalError(SourceFile* file, int32_t line, int32_t column, const char* key,
                             Texts... texts) {
  fatalErrorArgs(file, line, column, key, messageArguments(texts...));
}

template <class... Texts>
void warningAt(SourceFile* file, int32_t line, int32_t column, const char* key, Texts... texts) {
  warningAtArgs(file, line, column, key, messageArguments(texts...));
}

// A warning that -deprecation asked for: -nowarn silences it only when it comes later.
void deprecationWarningAtArgs(SourceFile* file, int32_t line, int32_t column, const char* key,
                              const MessageArguments& args);
template <class... Texts>
void deprecationWarningAt(SourceFile* file, int32_t line, int32_t column, const char* key, Texts... texts) {
  deprecationWarningAtArgs(file, line, column, key, messageArguments(texts...));
}

// An informational note: printed even with -nomessage, never counted.
template <class... Texts>
void messageAt(SourceFile* file, int32_t line, int32_t column, const char* key, Texts... texts) {
  messageAtArgs(file, line, column, key, messageArguments(texts...));
}

// Counts one error against the limits (the error limit first) and marks the file as having
// errors, which keeps its class files from being written, and the body being parsed as failed
// (ParserContext::bodyFailed), which keeps code from being made of it.
void countError(SourceFile* file);
void printMessage(SourceFile* file, int32_t line, int32_t column, const char* key,
                  const MessageArguments& args);
void formatMessage(char* buffer, int32_t size, SourceFile* file, int32_t line, int32_t column,
                   const char* key, const MessageArguments& args);
void printLine(const char* text);
bool getSourceLine(char* buffer, int32_t size, const SourceFile* file, int32_t line,
                   int32_t* lineStart);
void makeCaretLine(char* buffer, int32_t size, const SourceFile* file, int32_t column,
                   int32_t lineStart);
bool isChar(const char* p, char c);
const char* printableChar(uint16_t c);
const char* intToString(int32_t n);
void dumpAllMessages();

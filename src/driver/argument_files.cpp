// Argument files: "@name" on the command line stands for the arguments written in the file, as the
// peers' compilers read them, so that a build tool can pass a file list longer than a command line.
#include "driver/argument_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/compile_driver.h"
#include "driver/wildcards.h"
#include "support/diagnostics.h"
#include "support/file_io.h"
#include "support/multibyte_strings.h"

namespace {

// The whole file, or false when it is no regular file or cannot be read whole.
bool readArgumentFile(const char* name, std::string* text) {
  FileHandle* handle = openFile(name, "rb");
  if (handle == nullptr) return false;
  int64_t size = seekFile(handle, 0, SEEK_END);
  bool read = size >= 0 && seekFile(handle, 0, SEEK_SET) == 0;
  if (read) {
    text->assign(static_cast<size_t>(size), '\0');
    read = size == 0 || readFile(text->data(), 1, size, handle) == size;
  }
  closeFile(handle);
  return read;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\f';
}

bool isLineBreak(char c) {
  return c == '\n' || c == '\r';
}

// The bytes of the character at p: a multibyte character is taken whole, so that a trail byte
// of a double-byte codeset is never read as a quote or a backslash.
size_t characterBytes(const char* p, const char* end) {
  if (static_cast<unsigned char>(*p) < 0x80) return 1;
  int32_t n = characterLength(p);
  return n < 1 || p + n > end ? 1 : static_cast<size_t>(n);
}

// Splits the text into arguments: white space separates them, and a line break ends one even
// inside quotes; "#" at the start of an argument comments out the rest of its line. Double or
// single quotes keep blanks in an argument and may stand anywhere in it. Inside quotes a
// backslash escapes the next character (\n, \r, \t and \f are control characters), and a
// backslash before a line break continues the argument at the next line's first non-blank
// character; outside quotes a backslash is itself. A NUL byte, which no argument can hold,
// separates arguments.
void splitArguments(const std::string& text, ArgumentList* list) {
  const char* p = text.c_str();
  const char* end = p + text.size();
  std::string argument;
  while (p < end) {
    // White space and comments between arguments.
    if (isBlank(*p) || isLineBreak(*p) || *p == '\0') {
      p++;
      continue;
    }
    if (*p == '#') {
      while (p < end && !isLineBreak(*p)) p++;
      continue;
    }
    argument.clear();
    char quote = 0;
    while (p < end && *p != '\0' && !isLineBreak(*p) && (quote != 0 || !isBlank(*p))) {
      char c = *p;
      if ((c == '"' || c == '\'') && (quote == 0 || quote == c)) {
        quote = quote == 0 ? c : 0;
        p++;
      } else if (c == '\\' && quote != 0) {
        p++;
        if (p == end) break;  // a backslash that ends the file escapes nothing
        if (isLineBreak(*p)) {
          while (p < end && (isBlank(*p) || isLineBreak(*p))) p++;
          continue;
        }
        char escaped = *p;
        switch (escaped) {
          case 'n': escaped = '\n'; break;
          case 'r': escaped = '\r'; break;
          case 't': escaped = '\t'; break;
          case 'f': escaped = '\f'; break;
          default: escaped = 0;  // any other character stands for itself
        }
        if (escaped != 0) {
          argument += escaped;
          p++;
        } else {
          size_t n = characterBytes(p, end);
          argument.append(p, n);
          p += n;
        }
      } else {
        size_t n = characterBytes(p, end);
        argument.append(p, n);
        p += n;
      }
    }
    appendArgument(list, argument.data(), argument.size());
  }
}

}  // namespace

bool expandArgumentFiles(int* count, char*** arguments) {
  ArgumentList list{static_cast<char**>(xrealloc(nullptr, sizeof(char*) * (*count + 1))), 0};
  list.slots[0] = nullptr;
  UnfinishedArguments unfinished(&list);
  for (int i = 0; i < *count; i++) {
    const char* argument = (*arguments)[i];
    if (argument == nullptr) continue;
    // "@" alone is an argument as it stands, and "@@name" the argument "@name".
    if (argument[0] != '@' || argument[1] == '\0') {
      appendArgument(&list, argument, std::strlen(argument));
    } else if (argument[1] == '@') {
      appendArgument(&list, argument + 1, std::strlen(argument + 1));
    } else {
      std::string text;
      if (!readArgumentFile(argument + 1, &text)) {
        errorInFile(nullptr, 0, 0, "cannot.read.argfile", argument + 1);
        return false;
      }
      // What the file holds is taken literally: an "@" there names no further file.
      splitArguments(text, &list);
    }
  }
  unfinished.handedOn();
  freeArgv(*count, *arguments);
  *count = list.count;
  *arguments = list.slots;
  return true;
}

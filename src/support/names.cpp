// Text forms of source files, tokens, classes and members, made in the temporary arena. Still
// lacks the class, member and type texts: records that exist print as "<unknown>".
#include "support/names.h"

#include <cstdio>
#include <cstring>

#include "driver/source_files.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "syntax/scanner.h"

static const char* temporaryCopy(const char* text) {
  size_t length = std::strlen(text);
  char* copy = static_cast<char*>(arenaAlloc(&global.tempArena, length + 1));
  std::memcpy(copy, text, length);
  return copy;
}

const char* sourceFileToString(const SourceFile* file) {
  if (file == nullptr) return "<null>";
  char text[1200];
  std::snprintf(text, sizeof text, "filename: %s, \tfileLength: %d   package: ", file->name,
                file->contentLength);
  return temporaryCopy(text);
}

const char* tokenToString(const Token* token) {
  if (token == nullptr) return "<null>";
  char text[200];
  std::snprintf(text, sizeof text, "id: %s  line: %d  column: %d  offset: %d  identifier: ",
                token->kind == T_EOF ? "" : tokenName(token->kind), token->line, token->column, token->start);
  resetNameBuffer();
  appendNameCString(text);
  if (token->identifier != nullptr) appendNameUtf16(identifierChars(token->identifier), token->identifier->length);
  return nameBufferToNative(&global.tempArena);
}

const char* classToString(const ClassDef* classDef) {
  return classDef == nullptr ? "<null>" : "<unknown>";
}

const char* methodToString(const Member* member) {
  return member == nullptr ? "<null>" : "<unknown>";
}

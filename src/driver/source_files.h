// The source files of a compile: each recorded once, its whole content in memory, in the order
// recorded; and the two loops over them that the driver runs.
#pragma once

#include <cstdint>

struct ImportRecord;
struct Package;
struct Token;

struct SourceFile {
  SourceFile* next;
  char* name;  // as the command line or on-demand loading spelled it
  int32_t nameLength;
  char* fullPath;
  int32_t fullPathLength;
  int32_t contentLength;
  char* content;  // followed by one zero byte
  ImportRecord* imports;
  Package* package;
  uint32_t flags;
  int32_t deprecationUsed;
};

constexpr uint32_t SOURCE_HAS_ERRORS = 1u << 0;
constexpr uint32_t SOURCE_PARSED = 1u << 1;

SourceFile* addSourceFile(const char* name);
SourceFile* findSourceFile(const char* name);
SourceFile* findSourceByName(const char* name, int32_t length);
SourceFile* findSourceByFullPath(const char* path, int32_t length);
void parseAllFiles();
void scanOnlyFiles();
void echoToken(const Token* token);

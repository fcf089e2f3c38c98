// The source files of a compile: each recorded once, its whole content in memory, in the order
// recorded (global.sources), and found again by the name given or by full path.
#pragma once

#include <cstdint>

struct ClassDef;
struct ImportRecord;
struct Package;
struct LocalClassTable;
struct KeptClassFile;

struct SourceFile {
  SourceFile* next;
  char* name;  // as the command line or on-demand loading spelled it
  int32_t nameLength;
  char* fullPath;
  int32_t fullPathLength;
  int32_t contentLength;
  char* content;  // followed by one zero byte
  ImportRecord* imports;
  Package* package;  // rootPackage from the parse on, until a package declaration
  uint32_t flags;
  int32_t deprecationUsed;
  ClassDef* publicClass;  // the first public top-level class the checks met in the file
  // The local and anonymous classes declared in the file's bodies, by their position: a body
  // parsed again (an instance initializer in each constructor) finds the class it made.
  LocalClassTable* localClasses;
  // The file's top-level classes in declaration order (linked through ClassDef::nextInSource),
  // with the count whose generation has not run yet; the class files generated so far are kept
  // until that count is 0 and written then, all of them or, when the file has errors, none.
  ClassDef* firstClass;
  ClassDef* lastClass;
  int32_t classesToGenerate;
  KeptClassFile* keptFirst;
  KeptClassFile* keptLast;
};

// The largest source file read. Its whole text stays in memory for the compile, and what is made
// from it is several times its size, so a larger one could not be compiled in any memory a
// machine has to give; it is refused before a byte of it is read.
constexpr int64_t MAX_SOURCE_SIZE = 256 << 20;

constexpr uint32_t SOURCE_HAS_ERRORS = 1u << 0;
constexpr uint32_t SOURCE_PARSED = 1u << 1;
// The content was converted from the "-encoding" named to UTF-8, which the scanner decodes
// whatever the locale.
constexpr uint32_t SOURCE_UTF8 = 1u << 2;
// A syntax error passed over part of the file outside its classes (an import, the package): no
// class of the file has its bodies checked.
constexpr uint32_t SOURCE_DECLARATIONS_CUT = 1u << 3;

// Records the file and reads it whole; null when its name or full path is recorded already, or
// when it cannot be opened or read or is larger than MAX_SOURCE_SIZE (reported). A name without a
// Java suffix stops the compile. Content in an encoding other than the locale's is converted to
// UTF-8, and a UTF-8 byte-order mark at its start is left out.
SourceFile* addSourceFile(const char* name);
// The recorded file of that name, else of that name's full path; null when there is none.
SourceFile* findSourceFile(const char* name);
SourceFile* findSourceByName(const char* name, int32_t length);
SourceFile* findSourceByFullPath(const char* path, int32_t length);
// How many recorded files the two lookups have compared, for tests that prove they do not walk.
int64_t sourceProbeCount();

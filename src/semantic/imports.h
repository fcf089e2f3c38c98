// Import declarations as the parser meets them, kept with their file to be resolved later, and the
// check of a class name declared in a file against that file's imports.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Package;
struct SourceFile;

struct ImportRecord {
  ImportRecord* next;     // a file keeps its imports newest first
  Package* package;       // never null: rootPackage for a class of the unnamed package
  Identifier* className;  // null for an on-demand import
  ClassDef* resolved;
  int32_t line;
  int32_t column;
  SourceFile* file;
  uint32_t flags;
};

constexpr uint32_t IMPORT_RESOLVED = 0x1;

// Records an import of the file (newest first); a second single-type import of the same simple
// name from another package is "dup.import".
void addImport(Package* package, Identifier* className, SourceFile* file, int32_t line, int32_t column);
// The newest single-type import of the class name in the file, from a table beside the lists.
ImportRecord* findSingleTypeImport(const SourceFile* file, const Identifier* className);
// How many imports the table has compared, for tests that prove a lookup does not walk.
int64_t importProbeCount();
// Forgets every file's imports, which point into the main arena; with the class table.
void resetImportIndex();
// A class declared in the file may not have the name of another class it imports by single-type
// import ("import.dups.class", at the import), nor that of a sub-package of its own named package that it imports
// on demand ("class.dups.pkg.import"). The class's binary name is the name compared.
void checkImportConflicts(SourceFile* file, ClassDef* cls, int32_t line, int32_t column);

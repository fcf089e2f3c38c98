// Import declarations as the parser meets them, and the check of a class name against the
// imports of its file.
#include "semantic/imports.h"

#include <cstdio>

#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/hashing.h"
#include "support/source_file.h"

namespace {

const char* lineText(int32_t line, char* buffer, size_t size) {
  std::snprintf(buffer, size, "%d", line);
  return buffer;
}

// The newest single-type import of each class name in each file, beside the files' lists: the
// records of one name all have one package (another is "dup.import"), so the newest answers for
// them all, and a file of thousands of imports is checked and searched without a walk of its list.
struct ImportEntry {
  ImportEntry* next;
  ImportRecord* import;
};

struct ImportIndex {
  ImportEntry** buckets;
  uint32_t size;  // a power of two; 0 before the first import
  uint32_t count;
};

ImportIndex importIndex;
int64_t importProbes;

ImportEntry** importBucket(const SourceFile* file, const Identifier* className) {
  return &importIndex.buckets[hashPointers(file, className) & (importIndex.size - 1)];
}

ImportEntry* findImportEntry(const SourceFile* file, const Identifier* className) {
  if (importIndex.size == 0) return nullptr;
  for (ImportEntry* entry = *importBucket(file, className); entry != nullptr; entry = entry->next) {
    importProbes++;
    if (entry->import->file == file && entry->import->className == className) return entry;
  }
  return nullptr;
}

void indexImport(ImportRecord* import) {
  if (ImportEntry* entry = findImportEntry(import->file, import->className)) {
    entry->import = import;
    return;
  }
  if (importIndex.count >= importIndex.size)
    growArenaBuckets(&global.mainArena, &importIndex.buckets, &importIndex.size, 256, &ImportEntry::next,
                     [](const ImportEntry* entry) { return hashPointers(entry->import->file, entry->import->className); });
  auto* entry = arenaNew<ImportEntry>(&global.mainArena);
  ImportEntry** bucket = importBucket(import->file, import->className);
  *entry = ImportEntry{*bucket, import};
  *bucket = entry;
  importIndex.count++;
}

}  // namespace

ImportRecord* findSingleTypeImport(const SourceFile* file, const Identifier* className) {
  ImportEntry* entry = className != nullptr ? findImportEntry(file, className) : nullptr;
  return entry != nullptr ? entry->import : nullptr;
}

int64_t importProbeCount() {
  return importProbes;
}

void resetImportIndex() {
  importIndex = ImportIndex{};
}

void addImport(Package* package, Identifier* className, SourceFile* file, int32_t line, int32_t column) {
  if (className != nullptr) {
    if (ImportRecord* earlier = findSingleTypeImport(file, className); earlier != nullptr && earlier->package != package) {
      char text[16];
      errorInFile(file, line, column, "dup.import", identToString(className), lineText(earlier->line, text, sizeof text));
      return;
    }
  }
  auto* record = arenaNew<ImportRecord>(&global.mainArena);
  record->package = package;
  record->className = className;
  record->line = line;
  record->column = column;
  record->file = file;
  record->next = file->imports;
  file->imports = record;
  if (className != nullptr) indexImport(record);
}

// An import of the very class declared is no clash. The top-level packages are no members of the
// unnamed package, so a class there may have the name of one.
void checkImportConflicts(SourceFile* file, ClassDef* cls, int32_t line, int32_t column) {
  Package* filePackage = file->package;
  Identifier* className = cls->binaryName;
  char text[16];
  for (ImportRecord* import = file->imports; import != nullptr; import = import->next) {
    bool singleType = import->className != nullptr;
    if (singleType && import->resolved != cls &&
        (import->className == className || (import->resolved != nullptr && import->resolved->binaryName == className))) {
      // The fault is the import's: reported at the import, not at the class.
      errorInFile(file, import->line, import->column, "import.dups.class", identToString(className),
                  lineText(line, text, sizeof text));
      return;
    }
    if (!singleType && import->package != nullptr && !isUnnamedPackage(filePackage) &&
        import->package->parent == filePackage && import->package->name == className) {
      errorInFile(file, line, column, "class.dups.pkg.import", identToString(className),
                  lineText(import->line, text, sizeof text));
      return;
    }
  }
}

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
#include "support/source_file.h"

static const char* lineText(int32_t line, char* buffer, size_t size) {
  std::snprintf(buffer, size, "%d", line);
  return buffer;
}

void addImport(Package* package, Identifier* className, SourceFile* file, int32_t line, int32_t column) {
  if (className != nullptr) {
    for (ImportRecord* earlier = file->imports; earlier != nullptr; earlier = earlier->next) {
      if (earlier->className != className || earlier->package == package) continue;
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
}

void checkImportConflicts(SourceFile* file, Identifier* className, int32_t line, int32_t column) {
  Package* filePackage = file->package;
  char text[16];
  for (ImportRecord* import = file->imports; import != nullptr; import = import->next) {
    bool singleType = import->className != nullptr;
    if ((singleType && import->className == className) ||
        (singleType && import->resolved != nullptr && import->resolved->binaryName == className)) {
      errorInFile(file, line, column, "class.dups.import", identToString(className),
                  lineText(import->line, text, sizeof text));
      return;
    }
    if (!singleType && import->package != nullptr && import->package->parent == filePackage &&
        import->package->name == className) {
      errorInFile(file, line, column, "class.dups.pkg.import", identToString(className),
                  lineText(import->line, text, sizeof text));
      return;
    }
  }
}

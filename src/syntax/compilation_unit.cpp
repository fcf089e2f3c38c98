// Parsing of a whole source file into its declarations.
#include "syntax/compilation_unit.h"

#include "driver/source_files.h"

// Still lacks the declaration parser: it only marks the file as parsed.
void parseCompilationUnit(SourceFile* file) {
  file->flags |= SOURCE_PARSED;
}

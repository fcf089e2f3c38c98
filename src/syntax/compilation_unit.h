// The parser of compilation units: package, imports, classes and member headers.
#pragma once

struct SourceFile;

void parseCompilationUnit(SourceFile* file);

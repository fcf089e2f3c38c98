// Writing a class file through a temporary file. Nothing that may stop the compile (a report that
// reaches the error limit) runs while a temporary file is open or on the disk: the file is closed
// and, on failure, removed first, so a stop never leaves a descriptor or a stray file behind.
#include "codegen/class_file_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codegen/class_generation.h"
#include "codegen/descriptors.h"
#include "support/source_file.h"
#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "support/diagnostics.h"
#include "support/fatal_stops.h"
#include "support/file_io.h"
#include "support/global.h"

namespace {

struct TempFile {
  char* name;
  TempFile* next;
};

// Newest first; lives for the whole run, outside the arenas.
TempFile* tempFiles = nullptr;
ClassFileSink classFileSink = nullptr;

// The output path with its ".class" replaced by ".cltmp", in a heap block.
char* temporaryName(const char* path) {
  size_t length = std::strlen(path);
  char* name = static_cast<char*>(std::malloc(length + 7));
  if (name == nullptr) outOfMemory();
  std::memcpy(name, path, length + 1);
  size_t stem = length >= 6 ? length - 6 : length;
  std::memcpy(name + stem, ".cltmp", 7);
  return name;
}

void discard(char* temporary) {
  removeFile(temporary);
  removeTempFile(temporary);
  std::free(temporary);
}

}  // namespace

void addTempFile(char* name) {
  auto* node = static_cast<TempFile*>(std::malloc(sizeof(TempFile)));
  if (node == nullptr) outOfMemory();
  node->name = name;
  node->next = tempFiles;
  tempFiles = node;
}

void removeTempFile(const char* name) {
  for (TempFile** link = &tempFiles; *link != nullptr; link = &(*link)->next) {
    if ((*link)->name != name) continue;
    TempFile* node = *link;
    *link = node->next;
    std::free(node);
    return;
  }
}

void deleteListedFiles() {
  while (tempFiles != nullptr) {
    TempFile* node = tempFiles;
    tempFiles = node->next;
    removeFile(node->name);
    std::free(node->name);
    std::free(node);
  }
}

void setClassFileSink(ClassFileSink sink) { classFileSink = sink; }

bool outputClassFile(ClassDef* cls, const uint8_t* bytes, int32_t size) {
  if (classFileSink != nullptr) return !sourceHasErrors(cls) && classFileSink(cls, bytes, size);
  const char* path = cls->classFilePath;
  char* temporary = temporaryName(path);
  FileHandle* file = openFile(temporary, "wb");
  if (file == nullptr) {
    std::free(temporary);
    // The package's directories may be missing: made now, with their own report when they cannot be.
    cls->classFilePath = classFilePath(cls, true);
    if (cls->classFilePath == nullptr) return false;
    path = cls->classFilePath;
    temporary = temporaryName(path);
    file = openFile(temporary, "wb");
    if (file == nullptr) {
      std::free(temporary);
      cls->classFilePath = nullptr;
      errorInFile(cls->sourceFile, 0, 0, "cant.make.classfile", path);
      return false;
    }
  }
  addTempFile(temporary);
  bool complete = writeFile(bytes, 1, size, file) == size;
  bool closed = closeFile(file) == 0;
  if (!complete || !closed) {
    discard(temporary);
    errorInFile(cls->sourceFile, 0, 0, "write.failed");
    return false;
  }
  if (sourceHasErrors(cls)) {
    discard(temporary);
    return false;
  }
  // The rename replaces the old class file in one step: until it succeeds, the old file stays.
  if (renameFile(temporary, path) != 0) {
    discard(temporary);
    errorInFile(cls->sourceFile, 0, 0, "cant.make.classfile", path);
    return false;
  }
  removeTempFile(temporary);
  std::free(temporary);
  if (global.verbose) messageAt(nullptr, 0, 0, "verbose.wrote", path);
  return true;
}

void writeClassLine(ClassDef* cls) {
  if (!global.dependencyOutput) return;
  std::printf("CLASS:%s,%d,%d,%s\n", cls->sourceFile != nullptr ? cls->sourceFile->name : "", cls->line, cls->endLine,
              dottedClassName(cls));
}

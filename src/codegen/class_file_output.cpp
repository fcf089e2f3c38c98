// Writing the class files of a source file through temporary files. Nothing that may stop the
// compile (a report that reaches the error limit) runs while a temporary file is open, and every
// temporary file on the disk is on the list, so a stop never leaves a descriptor behind and the
// driver's deleteListedFiles finds every stray file. The list changes only while the interrupting
// signals are held, so the interrupt cleanup always walks a whole list.
#include "codegen/class_file_output.h"

#include <sys/random.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "codegen/class_generation.h"
#include "codegen/dependency_lines.h"
#include "platform/host_path.h"
#include "platform/interrupt_signals.h"
#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/fatal_stops.h"
#include "support/file_io.h"
#include "support/global.h"
#include "support/multibyte_strings.h"
#include "support/source_file.h"

struct TempFile {
  char* name;      // as the compiler spells it
  char* hostName;  // as the interrupt cleanup hands it to unlink
  TempFile* next;
  TempFile* previous;  // so that a file is taken off in one step, however many a source file has
};

struct KeptClassFile {
  KeptClassFile* next;
  ClassDef* cls;
  int32_t size;
  TempFile* temporary;  // while its temporary file exists
  uint8_t bytes[];
};

namespace {

// Newest first; lives for the whole run, outside the arenas.
TempFile* tempFiles = nullptr;
ClassFileSink classFileSink = nullptr;
uint64_t namesMade;  // temporary names made, for when the host has no random bits to give

// Longest file name (one path component) that every common file system takes.
constexpr size_t MAX_FILE_NAME = 255;
constexpr char TEMPORARY_SUFFIX[] = ".cltmp";
constexpr int32_t RANDOM_CHARACTERS = 8;
constexpr int32_t CREATE_ATTEMPTS = 64;

// Runs inside a signal handler: reads the list and calls unlink, nothing else.
void unlinkListed() {
  for (TempFile* t = tempFiles; t != nullptr; t = t->next) unlink(t->hostName);
}

uint64_t randomBits() {
  uint64_t bits = 0;
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits)) return bits;
  // No entropy to be had: the process, the time and a count still differ between names.
  bits = (static_cast<uint64_t>(getpid()) << 32) ^ static_cast<uint64_t>(std::time(nullptr)) ^
         (++namesMade * 0x9E3779B97F4A7C15u);
  return bits * 0xBF58476D1CE4E5B9u;
}

// The class file's path with ".class" replaced by "." and random letters and ".cltmp", in a heap
// block; the name part is cut so that it never grows past what a file name may hold.
char* temporaryName(const char* path) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  size_t length = std::strlen(path);
  size_t stem = length >= 6 ? length - 6 : length;
  const char* separator = lastPathSeparator(path);
  size_t nameStart = separator != nullptr ? separator - path + 1 : 0;
  size_t room = MAX_FILE_NAME - 1 - RANDOM_CHARACTERS - (sizeof TEMPORARY_SUFFIX - 1);
  if (stem > nameStart + room) stem = nameStart + room;
  char* name = static_cast<char*>(heapAllocate(stem + 1 + RANDOM_CHARACTERS + sizeof TEMPORARY_SUFFIX));
  if (name == nullptr) outOfMemory();
  std::memcpy(name, path, stem);
  char* at = name + stem;
  *at++ = '.';
  uint64_t bits = randomBits();
  for (int32_t i = 0; i < RANDOM_CHARACTERS; i++, bits /= sizeof letters - 1) *at++ = letters[bits % (sizeof letters - 1)];
  std::memcpy(at, TEMPORARY_SUFFIX, sizeof TEMPORARY_SUFFIX);
  return name;
}

TempFile* newTempFile(char* name) {
  char hostName[HOST_PATH_MAX];
  if (!toHostPath(name, hostName, sizeof hostName)) hostName[0] = '\0';
  auto* node = static_cast<TempFile*>(heapAllocate(sizeof(TempFile)));
  char* hostCopy = static_cast<char*>(heapAllocate(std::strlen(hostName) + 1));
  if (node == nullptr || hostCopy == nullptr) {
    std::free(node);
    std::free(hostCopy);
    std::free(name);
    outOfMemory();
  }
  std::strcpy(hostCopy, hostName);
  *node = TempFile{name, hostCopy, nullptr, nullptr};
  return node;
}

void freeTempFile(TempFile* node) {
  std::free(node->name);
  std::free(node->hostName);
  std::free(node);
}

// Takes the node off the list; the caller frees it.
void unlist(TempFile* node) {
  HeldInterrupts held;
  if (node->previous != nullptr)
    node->previous->next = node->next;
  else
    tempFiles = node->next;
  if (node->next != nullptr) node->next->previous = node->previous;
  node->next = nullptr;
  node->previous = nullptr;
}

// Creates a temporary file of a fresh name beside `path` and lists it, in one step as far as the
// interrupt cleanup can tell. Null when no name could be created.
FileHandle* createTemporary(const char* path, TempFile** listed) {
  for (int32_t attempt = 0; attempt < CREATE_ATTEMPTS; attempt++) {
    TempFile* node = newTempFile(temporaryName(path));
    bool exists = false;
    FileHandle* file;
    try {
      HeldInterrupts held;
      file = createNewFile(node->name, &exists);
      if (file != nullptr) {
        node->next = tempFiles;
        if (tempFiles != nullptr) tempFiles->previous = node;
        tempFiles = node;
      }
    } catch (...) {
      // No memory for the file's handle: the file is gone again, and so is its name.
      freeTempFile(node);
      throw;
    }
    if (file != nullptr) {
      *listed = node;
      return file;
    }
    freeTempFile(node);
    if (!exists) return nullptr;
  }
  return nullptr;
}

void removeTemporary(KeptClassFile* k) {
  if (k->temporary == nullptr) return;
  removeFile(k->temporary->name);
  unlist(k->temporary);
  freeTempFile(k->temporary);
  k->temporary = nullptr;
}

// The kept class files of one source file, freed with their temporary files when the writing ends,
// also when a stop unwinds through it.
class KeptChain {
 public:
  explicit KeptChain(KeptClassFile* first) : first_(first) {}
  ~KeptChain() {
    while (first_ != nullptr) {
      KeptClassFile* k = first_;
      first_ = k->next;
      removeTemporary(k);
      std::free(k);
    }
  }
  KeptChain(const KeptChain&) = delete;
  KeptChain& operator=(const KeptChain&) = delete;
  KeptClassFile* first() const { return first_; }

 private:
  KeptClassFile* first_;
};

enum WriteFailure { WRITTEN, DIRECTORY_NOT_MADE, NOT_CREATED, NOT_WRITTEN };

// The temporary file of one class, written whole and closed; the output path is made with the
// package's directories when the first try fails.
WriteFailure writeTemporary(KeptClassFile* k) {
  ClassDef* cls = k->cls;
  FileHandle* file = createTemporary(cls->classFilePath, &k->temporary);
  if (file == nullptr) {
    // The package's directories may be missing: made now, with their own report when they cannot be.
    char* path = classFilePath(cls, true);
    if (path == nullptr) return DIRECTORY_NOT_MADE;
    cls->classFilePath = path;
    file = createTemporary(path, &k->temporary);
    if (file == nullptr) return NOT_CREATED;
  }
  bool complete = writeFile(k->bytes, 1, k->size, file) == k->size;
  bool closed = closeFile(file) == 0;
  return complete && closed ? WRITTEN : NOT_WRITTEN;
}

void announceWritten(ClassDef* cls) {
  if (global.verbose) messageAt(nullptr, 0, 0, "verbose.wrote", cls->classFilePath);
  if (global.traceLevel & TRACE_GENERAL) std::printf("file %s written\n", cls->classFilePath);
  printWrittenClassLine(cls);
}

}  // namespace

void keepClassFile(ClassDef* cls, const uint8_t* bytes, int32_t size) {
  SourceFile* file = cls->sourceFile;
  auto* k = static_cast<KeptClassFile*>(heapAllocate(sizeof(KeptClassFile) + size));
  if (k == nullptr) outOfMemory();
  k->next = nullptr;
  k->cls = cls;
  k->size = size;
  k->temporary = nullptr;
  std::memcpy(k->bytes, bytes, size);
  if (file->keptLast == nullptr)
    file->keptFirst = k;
  else
    file->keptLast->next = k;
  file->keptLast = k;
}

// Steps: every temporary file written and closed, in the order the classes were generated; the
// first that fails ends the writing, all the temporary files are removed and the failure is
// reported; otherwise each is renamed over its class file, a failed rename removes it and the ones
// not renamed yet and is reported.
void writeSourceClassFiles(SourceFile* file) {
  KeptChain chain(file->keptFirst);
  file->keptFirst = nullptr;
  file->keptLast = nullptr;
  if ((file->flags & SOURCE_HAS_ERRORS) != 0 || !global.writeClassFiles) return;
  if (classFileSink != nullptr) {
    for (KeptClassFile* k = chain.first(); k != nullptr; k = k->next)
      if (classFileSink(k->cls, k->bytes, k->size)) announceWritten(k->cls);
    return;
  }
  WriteFailure failure = WRITTEN;
  ClassDef* failed = nullptr;
  for (KeptClassFile* k = chain.first(); k != nullptr && failure == WRITTEN; k = k->next) {
    failure = writeTemporary(k);
    failed = k->cls;
  }
  if (failure == WRITTEN) {
    for (KeptClassFile* k = chain.first(); k != nullptr; k = k->next) {
      int32_t renamed;
      {
        HeldInterrupts held;
        // The rename replaces the old class file in one step: until it succeeds, the old file stays.
        renamed = renameFile(k->temporary->name, k->cls->classFilePath);
        if (renamed == 0) unlist(k->temporary);
      }
      if (renamed != 0) {
        failure = NOT_CREATED;
        failed = k->cls;
        break;
      }
      freeTempFile(k->temporary);
      k->temporary = nullptr;
      announceWritten(k->cls);
    }
  }
  if (failure == WRITTEN) return;
  for (KeptClassFile* k = chain.first(); k != nullptr; k = k->next) removeTemporary(k);
  // A directory that could not be made was reported as it failed.
  if (failure == NOT_CREATED) errorInFile(failed->sourceFile, 0, 0, "cant.make.classfile", failed->classFilePath);
  if (failure == NOT_WRITTEN) errorInFile(failed->sourceFile, 0, 0, "write.failed", failed->classFilePath);
}

void dropKeptClassFiles() {
  for (SourceFile* file = global.sources; file != nullptr; file = file->next) {
    KeptChain chain(file->keptFirst);
    file->keptFirst = nullptr;
    file->keptLast = nullptr;
  }
}

void setClassFileSink(ClassFileSink sink) { classFileSink = sink; }

void deleteListedFiles() {
  while (tempFiles != nullptr) {
    TempFile* node = tempFiles;
    removeFile(node->name);
    unlist(node);
    freeTempFile(node);
  }
}

void removeTemporariesOnInterrupt() {
  installInterruptHandlers(unlinkListed);
}

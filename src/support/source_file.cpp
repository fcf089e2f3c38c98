// Recording source files: each name once, each full path once, the whole file read into the main
// arena; both are found through tables beside the list.
#include "support/source_file.h"

#include <cstdio>
#include <cstring>

#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/encodings.h"
#include "support/file_io.h"
#include "support/global.h"
#include "support/hashing.h"
#include "support/linked_lists.h"
#include "support/multibyte_strings.h"

namespace {

// The last record, for appending; only meaningful while global.sources is not empty.
SourceFile* lastSource;

// The recorded files by name and by full path, beside the list, which keeps the order files were
// recorded in; like `lastSource`, only meaningful while global.sources is not empty, so a compile
// that starts a new list starts new tables.
struct SourceEntry {
  SourceEntry* next;
  SourceFile* file;
};

struct SourceTable {
  SourceEntry** buckets;
  uint32_t size;  // a power of two
  uint32_t count;
  bool byPath;
};

SourceTable sourcesByName{nullptr, 0, 0, false};
SourceTable sourcesByPath{nullptr, 0, 0, true};
int64_t sourceProbes;

uint64_t keyHash(const SourceTable& table, const SourceFile* file) {
  return table.byPath ? hashBytes(file->fullPath, file->fullPathLength) : hashBytes(file->name, file->nameLength);
}

void addToSourceTable(SourceTable* table, SourceFile* file) {
  if (table->count >= table->size) {
    const SourceTable& keys = *table;
    growArenaBuckets(&global.mainArena, &table->buckets, &table->size, 256, &SourceEntry::next,
                     [&keys](const SourceEntry* entry) { return keyHash(keys, entry->file); });
  }
  auto* entry = arenaNew<SourceEntry>(&global.mainArena);
  SourceEntry** bucket = &table->buckets[keyHash(*table, file) & (table->size - 1)];
  *entry = SourceEntry{*bucket, file};
  *bucket = entry;
  table->count++;
}

SourceFile* findInSourceTable(const SourceTable& table, const char* key, int32_t length) {
  if (global.sources == nullptr || table.size == 0) return nullptr;
  for (SourceEntry* entry = table.buckets[hashBytes(key, length) & (table.size - 1)]; entry != nullptr;
       entry = entry->next) {
    sourceProbes++;
    const SourceFile* file = entry->file;
    int32_t entryLength = table.byPath ? file->fullPathLength : file->nameLength;
    const char* entryKey = table.byPath ? file->fullPath : file->name;
    if (entryLength == length && std::memcmp(entryKey, key, length) == 0) return entry->file;
  }
  return nullptr;
}

bool isJavaSuffix(const char* suffix) {
  // ".java" or ".jav", each of the letters in either case.
  size_t length = std::strlen(suffix);
  if (length != 4 && length != 5) return false;
  static const char letters[] = "java";
  for (size_t i = 1; i < length; i++) {
    char c = suffix[i];
    if (c != letters[i - 1] && c != letters[i - 1] - 'a' + 'A') return false;
  }
  return true;
}

// The file's bytes and a zero byte in the main arena; -1 in *size when it cannot be read whole, -2
// when it is larger than MAX_SOURCE_SIZE.
char* readContent(FileHandle* file, int64_t* size) {
  *size = file->length;
  if (*size > MAX_SOURCE_SIZE) {
    *size = -2;
    return nullptr;
  }
  if (*size < 0) {
    *size = -1;
    return nullptr;
  }
  // Filled by the read: only the byte after the text is set here.
  auto* content = static_cast<char*>(arenaAllocUncleared(&global.mainArena, *size + 1));
  if (*size > 0 && readFile(content, 1, *size, file) != *size) *size = -1;
  content[*size > 0 ? *size : 0] = '\0';
  return content;
}

char* copyText(const char* text, int32_t length) {
  char* copy = arenaNewArray<char>(&global.mainArena, length + 1);
  std::memcpy(copy, text, length);
  return copy;
}

}  // namespace

SourceFile* findSourceByName(const char* name, int32_t length) {
  return findInSourceTable(sourcesByName, name, length);
}

SourceFile* findSourceByFullPath(const char* path, int32_t length) {
  return findInSourceTable(sourcesByPath, path, length);
}

int64_t sourceProbeCount() {
  return sourceProbes;
}

SourceFile* findSourceFile(const char* name) {
  SourceFile* file = findSourceByName(name, static_cast<int32_t>(std::strlen(name)));
  if (file != nullptr) return file;
  const char* path = fullPath(name);
  return path != nullptr ? findSourceByFullPath(path, static_cast<int32_t>(std::strlen(path))) : nullptr;
}

SourceFile* addSourceFile(const char* name) {
  if (name == nullptr) return nullptr;
  // An empty argument (a script's unset variable) is a source that cannot be opened, not none.
  if (name[0] == '\0') {
    errorAt(0, 0, "source.name.empty");
    return nullptr;
  }
  int32_t nameLength = static_cast<int32_t>(std::strlen(name));
  if (findSourceByName(name, nameLength) != nullptr) return nullptr;
  const char* resolved = fullPath(name);
  if (resolved == nullptr) {
    errorAt(0, 0, "cannot.open.source", name);
    return nullptr;
  }
  char path[FULL_PATH_SIZE];
  std::strcpy(path, resolved);
  int32_t pathLength = static_cast<int32_t>(std::strlen(path));
  if (findSourceByFullPath(path, pathLength) != nullptr) return nullptr;

  const char* suffix = findLastCharacter(name, '.');
  if (suffix == nullptr || std::strlen(suffix) > 5 || !isJavaSuffix(suffix))
    fatalError(nullptr, 0, 0, "filename.suffix", name);

  FileHandle* handle = openFile(name, "rb");
  if (handle == nullptr) {
    errorAt(0, 0, "cannot.open.source", name);
    return nullptr;
  }
  int64_t size = 0;
  char* content = readContent(handle, &size);
  closeFile(handle);
  if (size == -2) {
    char limit[24];
    std::snprintf(limit, sizeof limit, "%lld", static_cast<long long>(MAX_SOURCE_SIZE));
    errorAt(0, 0, "source.too.large", name, limit);
    return nullptr;
  }
  if (size < 0) {
    errorAt(0, 0, "cannot.read.source", name);
    return nullptr;
  }

  uint32_t flags = 0;
  int32_t length = static_cast<int32_t>(size);
  if (global.sourceConversion != nullptr) {
    content = convertSourceToUtf8(content, length, global.sourceConversion, &length);
    flags |= SOURCE_UTF8;
  }
  // A byte-order mark is no character of the program.
  if (((flags & SOURCE_UTF8) != 0 || codesetIsUtf8()) && length >= 3 && std::memcmp(content, "\xEF\xBB\xBF", 3) == 0) {
    content += 3;
    length -= 3;
  }

  auto* file = arenaNew<SourceFile>(&global.mainArena);
  file->name = copyText(name, nameLength);
  file->nameLength = nameLength;
  file->fullPath = copyText(path, pathLength);
  file->fullPathLength = pathLength;
  file->content = content;
  file->contentLength = length;
  file->flags = flags;
  if (global.sources == nullptr) {
    sourcesByName = SourceTable{nullptr, 0, 0, false};
    sourcesByPath = SourceTable{nullptr, 0, 0, true};
  }
  appendAtTail(&global.sources, &lastSource, file);
  addToSourceTable(&sourcesByName, file);
  addToSourceTable(&sourcesByPath, file);
  return file;
}

// Splitting path lists into the parallel entry and archive arrays. An entry that is neither a
// directory nor an archive that opens stays with an empty name, so nothing is found through it.
#include "driver/search_paths.h"

#include "platform/host_path.h"
#include "semantic/zip_reader.h"
#include "support/multibyte_strings.h"
#include "support/path_cache.h"

namespace {

char emptyEntry[] = "";

// The next list separator at or after p, or null; searched character by character.
char* nextSeparator(char* p) {
  while (*p != '\0') {
    int32_t n = characterLength(p);
    if (n < 1) return nullptr;
    if (n == 1 && isPathListSeparator(*p)) return p;
    p += n;
  }
  return nullptr;
}

}  // namespace

int32_t countPathEntries(const char* list) {
  if (list == nullptr) return 0;
  int32_t count = 1;
  for (const char* p = list; *p != '\0'; p++)
    if (isPathListSeparator(*p)) count++;
  return count;
}

ZipFile* openPathArchive(const char* path) {
  if (!isPathExistingCached(path, nullptr)) return nullptr;
  return zipOpen(path);
}

namespace {

// The entry into slot i, the arrays ending after it.
void putPathEntry(char** names, ZipFile** archives, int32_t i, char* entry) {
  names[i] = entry;
  archives[i] = nullptr;
  if (!isDirectory(entry)) {
    archives[i] = openPathArchive(entry);
    if (archives[i] == nullptr) names[i] = emptyEntry;
  }
  names[i + 1] = nullptr;
  archives[i + 1] = nullptr;
}

int32_t firstFreeSlot(char** names) {
  int32_t i = 0;
  while (names[i] != nullptr) i++;
  return i;
}

}  // namespace

void appendPathEntry(char** names, ZipFile** archives, char* entry) {
  putPathEntry(names, archives, firstFreeSlot(names), entry);
}

// The end of the arrays is found once: a path of thousands of entries costs no walk per entry.
void splitPathList(char** names, ZipFile** archives, char* list) {
  if (list == nullptr) return;
  int32_t next = firstFreeSlot(names);
  for (char* p = list; *p != '\0';) {
    char* separator = nextSeparator(p);
    if (separator == p) {
      p++;
      continue;
    }
    if (separator != nullptr) *separator = '\0';
    putPathEntry(names, archives, next++, p);
    if (separator == nullptr) break;
    p = separator + 1;
  }
}

// Writes the index of each archive named, beside it (ARCHIVE.index): the compiler then opens the
// archive without reading its central directory, for as long as the archive keeps its length and
// time. The build indexes the kit's class library this way.
// Usage: archive_index ARCHIVE...
#include <cstdio>

#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/global.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: archive_index ARCHIVE...\n");
    return 2;
  }
  initMemory();
  global.noMessages = 1;
  int status = 0;
  for (int i = 1; i < argc; i++) {
    bool written = false;
    try {
      ZipFile* archive = zipOpen(argv[i]);
      written = archive != nullptr && zipWriteIndex(archive);
      zipClose(archive);
    } catch (const CompileStop&) {
    }
    if (!written) {
      std::fprintf(stderr, "archive_index: cannot index %s\n", argv[i]);
      status = 1;
    }
  }
  return status;
}

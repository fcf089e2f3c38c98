// An archive's bytes through the zip reader: opened as a class-path archive and every member read,
// as class lookup reads them; and through its index, which must find what the directory finds.
#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "semantic/class_reader.h"
#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/global.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  std::string path = fuzzDirectory() + "/a.zip";
  writeInput(path, data, size);
  initMemory();
  global.noMessages = 1;
  // An archive that opens is indexed, opened again through its index, and must answer each of its
  // own member names alike both ways.
  std::string index = path + ZIP_INDEX_SUFFIX;
  std::remove(index.c_str());
  try {
    if (ZipFile* archive = zipOpen(path.c_str())) {
      ZipFile* indexed = zipWriteIndex(archive) ? zipOpen(path.c_str()) : nullptr;
      for (int32_t i = 0; i < archive->entryCount; i++) {
        std::string name(zipEntryName(archive, &archive->entries[i]), archive->entries[i].nameLength);
        ZipEntry* entry = zipFindEntry(archive, name.c_str());
        if (indexed != nullptr) {
          ZipEntry* again = zipFindEntry(indexed, name.c_str());
          if ((entry == nullptr) != (again == nullptr) ||
              (entry != nullptr && entry - archive->entries != again - indexed->entries))
            std::abort();
        }
        uint64_t entrySize = zipEntrySize(archive, entry);
        if (entrySize > MAX_CLASS_FILE_SIZE) continue;
        void* buffer = std::malloc(entrySize > 0 ? entrySize : 1);
        zipReadEntry(archive, entry, buffer, static_cast<uint32_t>(entrySize));
        std::free(buffer);
      }
      zipHasPackage(archive, "java/lang/");
      zipClose(indexed);
      zipClose(archive);
    }
  } catch (const CompileStop&) {
  }
  std::remove(index.c_str());
  releaseMemory();
  return 0;
}

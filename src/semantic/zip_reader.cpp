// Reading zip archives as published: the end record, the central directory and local headers,
// little-endian, nothing ever written. The archive is read through a read-only mapping; every
// offset and size is checked against what was read before it is used, in 64-bit arithmetic, so
// no record can point outside the file.
#include "semantic/zip_reader.h"

#include <libdeflate.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/fatal_stops.h"
#include "support/file_io.h"
#include "support/hashing.h"

namespace {

constexpr uint32_t END_SIGNATURE = 0x06054b50;
constexpr uint32_t CENTRAL_SIGNATURE = 0x02014b50;
constexpr uint32_t LOCAL_SIGNATURE = 0x04034b50;
constexpr int64_t END_RECORD_SIZE = 22;
constexpr int64_t CENTRAL_HEADER_SIZE = 46;
constexpr int64_t LOCAL_HEADER_SIZE = 30;
constexpr int64_t END_SEARCH_WINDOW = 0xFFFF;

libdeflate_decompressor* inflater;
int64_t probes;

// Zip64: a locator right before the end record points to the zip64 end record, which holds the
// count, size and offset of the central directory in 64 bits; a field of a header that reads
// ZIP64_MARK (0xFFFF for a disk number) has its value in the zip64 extra field of the header.
constexpr uint32_t ZIP64_END_SIGNATURE = 0x06064b50;
constexpr uint32_t ZIP64_LOCATOR_SIGNATURE = 0x07064b50;
constexpr int64_t ZIP64_END_RECORD_SIZE = 56;
constexpr int64_t ZIP64_LOCATOR_SIZE = 20;
constexpr uint32_t ZIP64_MARK = 0xFFFFFFFF;
constexpr uint32_t ZIP64_SHORT_MARK = 0xFFFF;
constexpr uint32_t ZIP64_EXTRA_ID = 0x0001;
// A 16-bit entry count wraps past 65535 in archives written without zip64 records.
constexpr int64_t ENTRY_COUNT_MODULUS = 0x10000;

uint32_t u16(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}

uint32_t u32(const unsigned char* p) {
  return u16(p) | u16(p + 2) << 16;
}

uint64_t u64(const unsigned char* p) {
  return u32(p) | static_cast<uint64_t>(u32(p + 4)) << 32;
}

void refuse(const ZipFile* archive) {
  errorInFile(nullptr, 0, 0, "zip.error", archive->name);
}

// A table of at least twice as many slots as keys, so a probe sequence stays short.
int32_t* newSlots(int32_t keys, uint32_t* mask) {
  uint32_t size = 16;
  while (size < 2u * static_cast<uint32_t>(keys)) size *= 2;
  auto* slots = static_cast<int32_t*>(heapAllocate(sizeof(int32_t) * size));
  if (slots == nullptr) outOfMemory();
  std::memset(slots, 0xFF, sizeof(int32_t) * size);
  *mask = size - 1;
  return slots;
}

// The directory's bytes from `offset` for `length`, or null when they are not all inside it and
// the records after it up to the end record.
const char* directoryBytes(const ZipFile* archive, uint64_t offset, int32_t length) {
  auto directorySize = static_cast<uint64_t>(archive->endRecordOffset - archive->centralDirectoryOffset);
  if (length < 0 || offset > directorySize || static_cast<uint64_t>(length) > directorySize - offset) return nullptr;
  return reinterpret_cast<const char*>(archive->data + archive->centralDirectoryOffset + offset);
}

bool recordHasName(const ZipFile* archive, const ZipEntry& record, const char* key, int32_t length) {
  if (record.nameLength != length) return false;
  const char* name = directoryBytes(archive, record.nameOffset, length);
  return name != nullptr && std::memcmp(name, key, length) == 0;
}

// The slot of the first record of the table with that key, or the free slot where it would go:
// for tables made at open, which always have a free slot.
int32_t* findSlot(const ZipFile* archive, int32_t* slots, uint32_t mask, const ZipEntry* records, const char* key,
                  int32_t length) {
  for (uint32_t at = static_cast<uint32_t>(hashBytes(key, length)) & mask;; at = (at + 1) & mask) {
    int32_t index = slots[at];
    if (index < 0 || recordHasName(archive, records[index], key, length)) return &slots[at];
  }
}

// The index of the first record with that key, or -1. A table from an index file is trusted no
// further than this: a slot that names no record is passed over, and the probe ends after one
// round of the table.
int32_t findRecord(const ZipFile* archive, const int32_t* slots, uint32_t mask, const ZipEntry* records,
                   int32_t recordCount, const char* key, int32_t length) {
  uint32_t at = static_cast<uint32_t>(hashBytes(key, length)) & mask;
  for (uint64_t probe = 0; probe <= mask; probe++, at = (at + 1) & mask) {
    probes++;
    int32_t index = slots[at];
    if (index < 0) return -1;
    if (index < recordCount && recordHasName(archive, records[index], key, length)) return index;
  }
  return -1;
}

// Up to and including the last "/" or backslash: the last slash through the library's word-wide
// search, then a backslash looked for only in the tail after it.
// Names in the order of their bytes, unsigned, a name before every longer one it begins; a name
// that a damaged index puts outside the directory comes first.
int compareNames(const ZipFile* archive, const ZipEntry& entry, const char* key, int32_t length) {
  const char* name = directoryBytes(archive, entry.nameOffset, entry.nameLength);
  if (name == nullptr) return -1;
  int32_t common = entry.nameLength < length ? entry.nameLength : length;
  int order = std::memcmp(name, key, common);
  if (order != 0) return order;
  return entry.nameLength < length ? -1 : entry.nameLength > length ? 1 : 0;
}

// The first member of the name in a sorted directory: the first of equal names is the first in
// the directory.
ZipEntry* searchSorted(ZipFile* archive, const char* key, int32_t length) {
  int32_t low = 0;
  int32_t high = archive->entryCount;
  while (low < high) {
    probes++;
    int32_t middle = low + (high - low) / 2;
    if (compareNames(archive, archive->entries[middle], key, length) < 0)
      low = middle + 1;
    else
      high = middle;
  }
  return low < archive->entryCount && compareNames(archive, archive->entries[low], key, length) == 0
             ? &archive->entries[low]
             : nullptr;
}

int32_t prefixLength(const char* name, int32_t length) {
  const char* slash = static_cast<const char*>(memrchr(name, '/', length));
  const char* tail = slash != nullptr ? slash + 1 : name;
  const char* backslash = static_cast<const char*>(memrchr(tail, '\\', name + length - tail));
  const char* last = backslash != nullptr ? backslash : slash;
  return last != nullptr ? static_cast<int32_t>(last - name) + 1 : 0;
}

// The end record lies within the last 65535 bytes, its comment reaching exactly to the end.
bool zipFindEnd(ZipFile* archive) {
  int64_t window = archive->length < END_SEARCH_WINDOW ? archive->length : END_SEARCH_WINDOW;
  const unsigned char* windowStart = archive->data + (archive->length - window);
  for (int64_t at = window - END_RECORD_SIZE; at >= 0; at--) {
    if (u32(windowStart + at) != END_SIGNATURE) continue;
    int64_t position = archive->length - window + at;
    if (position + END_RECORD_SIZE + u16(windowStart + at + 20) == archive->length) {
      archive->endRecordOffset = position;
      return true;
    }
  }
  return false;
}

// Where the central directory lies and how many members it holds. Without zip64 records: from the
// end record, whose 16-bit count only has to agree modulo 65536 (an archive of more members than
// that is read whole). With them: from the zip64 end record that the locator names, which must lie
// right after the directory, as the plain end record must otherwise. Nothing may stand between the
// directory and the record after it, nothing before the archive, and no archive spans disks.
struct Directory {
  int64_t offset;
  int64_t size;
  uint64_t count;
  bool exactCount;
};

bool findDirectory(const ZipFile* archive, Directory* directory) {
  const unsigned char* end = archive->data + archive->endRecordOffset;
  int64_t recordAfter = archive->endRecordOffset;
  if (archive->endRecordOffset >= ZIP64_LOCATOR_SIZE && u32(end - ZIP64_LOCATOR_SIZE) == ZIP64_LOCATOR_SIGNATURE) {
    const unsigned char* locator = end - ZIP64_LOCATOR_SIZE;
    uint64_t recordOffset = u64(locator + 8);
    if (u32(locator + 4) != 0 || u32(locator + 16) > 1) return false;
    if (archive->endRecordOffset < ZIP64_LOCATOR_SIZE + ZIP64_END_RECORD_SIZE ||
        recordOffset > static_cast<uint64_t>(archive->endRecordOffset - ZIP64_LOCATOR_SIZE - ZIP64_END_RECORD_SIZE))
      return false;
    const unsigned char* record = archive->data + recordOffset;
    if (u32(record) != ZIP64_END_SIGNATURE || u64(record + 4) < ZIP64_END_RECORD_SIZE - 12 ||
        u64(record + 4) > static_cast<uint64_t>(archive->endRecordOffset - ZIP64_LOCATOR_SIZE) - recordOffset - 12 ||
        u32(record + 16) != 0 || u32(record + 20) != 0 || u64(record + 24) != u64(record + 32))
      return false;
    uint64_t size = u64(record + 40);
    uint64_t offset = u64(record + 48);
    if (size > recordOffset || offset != recordOffset - size) return false;
    *directory = Directory{static_cast<int64_t>(offset), static_cast<int64_t>(size), u64(record + 32), true};
    return true;
  }
  int64_t size = u32(end + 12);
  int64_t offset = u32(end + 16);
  if (offset + size != recordAfter || u16(end + 8) != u16(end + 10)) return false;
  *directory = Directory{offset, size, u16(end + 10), false};
  return true;
}

// The values of a central header that read as zip64 marks, from its zip64 extra field: the sizes
// and the offset in that order, each present only when marked.
bool readZip64Extra(const unsigned char* extra, int64_t extraLength, bool diskMarked, ZipEntry* entry) {
  bool uncompressed = entry->uncompressedSize == ZIP64_MARK;
  bool compressed = entry->compressedSize == ZIP64_MARK;
  bool offset = entry->localHeaderOffset == ZIP64_MARK;
  if (!uncompressed && !compressed && !offset && !diskMarked) return true;
  for (int64_t at = 0; at + 4 <= extraLength;) {
    int64_t length = u16(extra + at + 2);
    if (at + 4 + length > extraLength) return false;
    if (u16(extra + at) != ZIP64_EXTRA_ID) {
      at += 4 + length;
      continue;
    }
    const unsigned char* value = extra + at + 4;
    int64_t needed = 8 * (uncompressed + compressed + offset) + (diskMarked ? 4 : 0);
    if (length < needed) return false;
    if (uncompressed) entry->uncompressedSize = u64(value), value += 8;
    if (compressed) entry->compressedSize = u64(value), value += 8;
    if (offset) entry->localHeaderOffset = u64(value), value += 8;
    return !diskMarked || u32(value) == 0;
  }
  return false;
}

// Reads every header the central directory's size covers.
bool zipReadCentralDirectory(ZipFile* archive) {
  if (!zipFindEnd(archive)) return false;
  Directory found;
  if (!findDirectory(archive, &found)) return false;
  int64_t directorySize = found.size;
  int64_t directoryOffset = found.offset;
  int64_t capacity = directorySize / CENTRAL_HEADER_SIZE;
  if (found.count > static_cast<uint64_t>(capacity) || capacity > INT32_MAX) return false;
  archive->centralDirectoryOffset = directoryOffset;

  const unsigned char* directory = archive->data + directoryOffset;
  archive->entries = static_cast<ZipEntry*>(heapAllocateZeroed(capacity > 0 ? capacity : 1, sizeof(ZipEntry)));
  if (archive->entries == nullptr) outOfMemory();
  for (int64_t at = 0; at < directorySize;) {
    if (at + CENTRAL_HEADER_SIZE > directorySize || u32(directory + at) != CENTRAL_SIGNATURE) return false;
    const unsigned char* header = directory + at;
    int64_t nameLength = u16(header + 28);
    int64_t extraLength = u16(header + 30);
    int64_t next = at + CENTRAL_HEADER_SIZE + nameLength + extraLength + u16(header + 32);
    if (next > directorySize) return false;
    ZipEntry& entry = archive->entries[archive->entryCount];
    entry.method = u16(header + 10);
    entry.dosTime = u32(header + 12);
    entry.compressedSize = u32(header + 20);
    entry.uncompressedSize = u32(header + 24);
    entry.localHeaderOffset = u32(header + 42);
    bool diskMarked = u16(header + 34) == ZIP64_SHORT_MARK;
    if (!diskMarked && u16(header + 34) != 0) return false;
    if (!readZip64Extra(header + CENTRAL_HEADER_SIZE + nameLength, extraLength, diskMarked, &entry)) return false;
    if (entry.localHeaderOffset > static_cast<uint64_t>(directoryOffset) ||
        entry.compressedSize > static_cast<uint64_t>(directoryOffset) - entry.localHeaderOffset)
      return false;
    // The name stays where it stands in the mapping; a zero byte inside it ends it, as it ends the
    // name looked for.
    entry.nameOffset = static_cast<uint64_t>(at + CENTRAL_HEADER_SIZE);
    const char* name = reinterpret_cast<const char*>(header + CENTRAL_HEADER_SIZE);
    const void* zero = std::memchr(name, 0, nameLength);
    entry.nameLength = static_cast<int32_t>(zero != nullptr ? static_cast<const char*>(zero) - name : nameLength);
    if (entry.nameLength > archive->longestName) archive->longestName = entry.nameLength;
    archive->entryCount++;
    at = next;
  }
  if (found.exactCount ? static_cast<uint64_t>(archive->entryCount) != found.count
                       : static_cast<uint64_t>(archive->entryCount % ENTRY_COUNT_MODULUS) != found.count)
    return false;

  // One pass in directory order: a member's name goes into the member table, unless the directory
  // is sorted already, its directory prefix into the prefix table; every name without a
  // separator has the empty prefix.
  int32_t entries = archive->entryCount;
  archive->sorted = true;
  for (int32_t i = 1; i < entries && archive->sorted; i++)
    archive->sorted = compareNames(archive, archive->entries[i - 1], zipEntryName(archive, &archive->entries[i]),
                                   archive->entries[i].nameLength) <= 0;
  if (!archive->sorted) archive->entrySlots = newSlots(entries, &archive->entrySlotMask);
  archive->packageSlots = newSlots(entries, &archive->packageSlotMask);
  archive->packages = static_cast<ZipEntry*>(heapAllocate(sizeof(ZipEntry) * (entries > 0 ? entries : 1)));
  if (archive->packages == nullptr) outOfMemory();
  const ZipEntry* lastPackage = nullptr;
  for (int32_t i = 0; i < entries; i++) {
    const ZipEntry& entry = archive->entries[i];
    const char* name = zipEntryName(archive, &entry);
    if (!archive->sorted) {
      int32_t* member = findSlot(archive, archive->entrySlots, archive->entrySlotMask, archive->entries, name, entry.nameLength);
      if (*member < 0) *member = i;
    }
    int32_t prefix = prefixLength(name, entry.nameLength);
    // Members of one directory mostly come together: the prefix of the one before is no new one.
    if (lastPackage != nullptr && lastPackage->nameLength == prefix &&
        std::memcmp(zipEntryName(archive, lastPackage), name, prefix) == 0)
      continue;
    int32_t* slot = findSlot(archive, archive->packageSlots, archive->packageSlotMask, archive->packages, name, prefix);
    if (*slot >= 0) {
      lastPackage = &archive->packages[*slot];
      continue;
    }
    *slot = archive->packageCount;
    archive->packages[archive->packageCount] = entry;
    archive->packages[archive->packageCount].nameLength = prefix;
    lastPackage = &archive->packages[archive->packageCount];
    archive->packageCount++;
  }
  return true;
}

void freeArchive(ZipFile* archive) {
  unmapFile(archive->data, archive->length);
  if (archive->index != nullptr) {
    unmapFile(archive->index, archive->indexLength);
  } else {
    std::free(archive->entries);
    std::free(archive->entrySlots);
    std::free(archive->packageSlots);
    std::free(archive->packages);
  }
  std::free(archive->name);
  std::free(archive);
}

// An index file: this header, then the member table, the prefix table, the member slots and the
// prefix slots, each as the reader keeps it in memory. It is written and read on one machine, in
// its own byte order.
constexpr char INDEX_MAGIC[8] = {'Q', 'V', 'Z', 'I', 'X', '\n', 2, 0};

struct IndexHeader {
  char magic[8];
  int64_t archiveLength;
  int64_t archiveModified;
  int64_t centralDirectoryOffset;
  int64_t endRecordOffset;
  int32_t entryCount;
  int32_t packageCount;
  int32_t longestName;
  int32_t sorted;
  uint32_t entrySlotCount;
  uint32_t packageSlotCount;
};

static_assert(sizeof(ZipEntry) % 8 == 0 && sizeof(IndexHeader) % 8 == 0, "an index's tables lie as the reader keeps them");

std::string indexPath(const char* archivePath) {
  return std::string(archivePath) + ZIP_INDEX_SUFFIX;
}

bool isPowerOfTwo(uint32_t n) {
  return n != 0 && (n & (n - 1)) == 0;
}

// Takes the tables from the archive's index when it has one that was made from the archive as it
// is now: same length, same time, and the end record and central directory where the index says.
// Reads nothing of the tables; what they hold is checked as lookups use it.
bool zipUseIndex(ZipFile* archive) {
  FileHandle* file = openFile(indexPath(archive->name).c_str(), "rb");
  if (file == nullptr) return false;
  int64_t length = file->length;
  const unsigned char* index = length >= static_cast<int64_t>(sizeof(IndexHeader)) ? mapFile(file, length) : nullptr;
  closeFile(file);
  if (index == nullptr) return false;
  IndexHeader header;
  std::memcpy(&header, index, sizeof header);
  Directory found{};
  int64_t entryBytes = static_cast<int64_t>(header.entryCount) * static_cast<int64_t>(sizeof(ZipEntry));
  int64_t packageBytes = static_cast<int64_t>(header.packageCount) * static_cast<int64_t>(sizeof(ZipEntry));
  bool current =
      std::memcmp(header.magic, INDEX_MAGIC, sizeof INDEX_MAGIC) == 0 && header.archiveLength == archive->length &&
      header.archiveModified == archive->modified && zipFindEnd(archive) &&
      archive->endRecordOffset == header.endRecordOffset && findDirectory(archive, &found) &&
      found.offset == header.centralDirectoryOffset && header.entryCount >= 0 && header.packageCount >= 0 &&
      isPowerOfTwo(header.packageSlotCount) && (isPowerOfTwo(header.entrySlotCount) || (header.sorted && header.entrySlotCount == 0)) &&
      static_cast<int64_t>(sizeof header) + entryBytes + packageBytes +
              4 * (static_cast<int64_t>(header.entrySlotCount) + header.packageSlotCount) ==
          length;
  if (!current) {
    unmapFile(index, length);
    return false;
  }
  archive->index = index;
  archive->indexLength = length;
  archive->centralDirectoryOffset = header.centralDirectoryOffset;
  archive->entryCount = header.entryCount;
  archive->packageCount = header.packageCount;
  archive->longestName = header.longestName;
  archive->sorted = header.sorted != 0;
  // The records are 32- and 64-bit words behind a header of a multiple of eight bytes: each table
  // lies aligned for its records.
  auto* at = const_cast<unsigned char*>(index) + sizeof header;
  archive->entries = reinterpret_cast<ZipEntry*>(at);
  at += entryBytes;
  archive->packages = reinterpret_cast<ZipEntry*>(at);
  at += packageBytes;
  archive->entrySlots = header.entrySlotCount > 0 ? reinterpret_cast<int32_t*>(at) : nullptr;
  archive->entrySlotMask = header.entrySlotCount > 0 ? header.entrySlotCount - 1 : 0;
  at += 4 * static_cast<int64_t>(header.entrySlotCount);
  archive->packageSlots = reinterpret_cast<int32_t*>(at);
  archive->packageSlotMask = header.packageSlotCount - 1;
  return true;
}

// A whole member in one call: it must fill the buffer exactly and use up exactly its compressed
// bytes.
bool zipInflate(const unsigned char* input, uint64_t compressedSize, void* buffer, uint32_t size) {
  if (inflater == nullptr) {
    inflater = libdeflate_alloc_decompressor();
    if (inflater == nullptr) outOfMemory();
  }
  size_t used = 0;
  size_t written = 0;
  libdeflate_result result =
      libdeflate_deflate_decompress_ex(inflater, input, compressedSize, buffer, size, &used, &written);
  return result == LIBDEFLATE_SUCCESS && used == compressedSize && written == size;
}

// The member's data as it lies in the archive (compressedSize bytes), after its local header; null
// when the header is not there, the data would reach past the members, or the method is neither
// stored nor deflated. The central directory bounded the header's offset and the member's
// compressed size by its own offset (an index's records are checked here again); the header and the
// data must fit before it. A zip64 local header's sizes stand in its extra field: the central
// header's are the ones used.
const unsigned char* memberData(ZipFile* archive, ZipEntry* entry) {
  auto directoryOffset = static_cast<uint64_t>(archive->centralDirectoryOffset);
  if (entry->localHeaderOffset > directoryOffset || directoryOffset - entry->localHeaderOffset < LOCAL_HEADER_SIZE)
    return nullptr;
  const unsigned char* local = archive->data + entry->localHeaderOffset;
  if (u32(local) != LOCAL_SIGNATURE || (u16(local + 6) & 1) != 0) return nullptr;
  uint64_t dataStart = entry->localHeaderOffset + LOCAL_HEADER_SIZE + u16(local + 26) + u16(local + 28);
  if (dataStart > directoryOffset || entry->compressedSize > directoryOffset - dataStart) return nullptr;
  // A stored member's two sizes agree, so its data stays inside the checked range.
  if (entry->method == 0 && entry->compressedSize != entry->uncompressedSize) return nullptr;
  if (entry->method != 0 && entry->method != 8) return nullptr;
  return archive->data + dataStart;
}

}  // namespace

// The archive is mapped and its descriptor closed at once: a compile may have more archives on
// its paths than the process has descriptors.
ZipFile* zipOpen(const char* path) {
  FileHandle* file = openFile(path, "rb");
  if (file == nullptr) return nullptr;
  auto* archive = static_cast<ZipFile*>(heapAllocateZeroed(1, sizeof(ZipFile)));
  if (archive == nullptr) {
    closeFile(file);
    outOfMemory();
  }
  archive->name = static_cast<char*>(heapAllocate(std::strlen(path) + 1));
  if (archive->name == nullptr) {
    closeFile(file);
    freeArchive(archive);
    outOfMemory();
  }
  std::strcpy(archive->name, path);
  setArchiveCloser(zipClose);
  int64_t length = file->length;
  archive->modified = file->modified;
  bool noMemory = false;
  if (length >= END_RECORD_SIZE) {
    archive->data = mapFile(file, length);
    if (archive->data != nullptr) archive->length = length;
    // No address space left to map it is out of memory, not an archive that cannot be read.
    noMemory = archive->data == nullptr && errno == ENOMEM;
  }
  closeFile(file);
  if (noMemory) {
    freeArchive(archive);
    outOfMemory();
  }
  bool read = false;
  try {
    read = archive->data != nullptr && (zipUseIndex(archive) || zipReadCentralDirectory(archive));
  } catch (...) {
    // Out of memory for the tables: the archive goes with the stop.
    freeArchive(archive);
    throw;
  }
  if (!read) {
    // Freed before the report, which may end the compile.
    std::string name = archive->name;
    freeArchive(archive);
    errorInFile(nullptr, 0, 0, "zip.error", name.c_str());
    return nullptr;
  }
  return archive;
}

void zipClose(ZipFile* archive) {
  if (archive != nullptr) freeArchive(archive);
}

bool zipWriteIndex(ZipFile* archive) {
  if (archive == nullptr) return false;
  // An index gives every archive a member table, a sorted one too: a lookup is then one probe or
  // two, not the halvings of the directory.
  int32_t* entrySlots = archive->entrySlots;
  uint32_t entrySlotMask = archive->entrySlotMask;
  if (entrySlots == nullptr) {
    entrySlots = newSlots(archive->entryCount, &entrySlotMask);
    for (int32_t i = 0; i < archive->entryCount; i++) {
      const ZipEntry& entry = archive->entries[i];
      int32_t* slot = findSlot(archive, entrySlots, entrySlotMask, archive->entries, zipEntryName(archive, &entry),
                               entry.nameLength);
      if (*slot < 0) *slot = i;
    }
  }
  IndexHeader header{};
  std::memcpy(header.magic, INDEX_MAGIC, sizeof INDEX_MAGIC);
  header.archiveLength = archive->length;
  header.archiveModified = archive->modified;
  header.centralDirectoryOffset = archive->centralDirectoryOffset;
  header.endRecordOffset = archive->endRecordOffset;
  header.entryCount = archive->entryCount;
  header.packageCount = archive->packageCount;
  header.longestName = archive->longestName;
  header.sorted = archive->sorted ? 1 : 0;
  header.entrySlotCount = entrySlotMask + 1;
  header.packageSlotCount = archive->packageSlotMask + 1;
  std::string path = indexPath(archive->name);
  std::string temporary = path + ".tmp";
  FileHandle* file = openFile(temporary.c_str(), "wb");
  bool ok = file != nullptr;
  if (ok) {
    auto write = [&](const void* data, int64_t bytes) { return bytes == 0 || writeFile(data, 1, bytes, file) == bytes; };
    ok = write(&header, sizeof header) && write(archive->entries, sizeof(ZipEntry) * int64_t{archive->entryCount}) &&
         write(archive->packages, sizeof(ZipEntry) * int64_t{archive->packageCount}) &&
         write(entrySlots, 4 * int64_t{header.entrySlotCount}) &&
         write(archive->packageSlots, 4 * int64_t{header.packageSlotCount});
    ok = closeFile(file) == 0 && ok;
    if (ok) ok = renameFile(temporary.c_str(), path.c_str()) == 0;
    if (!ok) removeFile(temporary.c_str());
  }
  if (entrySlots != archive->entrySlots) std::free(entrySlots);
  return ok;
}

const char* zipEntryName(const ZipFile* archive, const ZipEntry* entry) {
  return directoryBytes(archive, entry->nameOffset, entry->nameLength);
}

ZipEntry* zipFindEntry(ZipFile* archive, const char* name) {
  if (archive == nullptr || name == nullptr) return nullptr;
  auto length = static_cast<int32_t>(std::strlen(name));
  if (archive->entrySlots == nullptr) return archive->sorted ? searchSorted(archive, name, length) : nullptr;
  int32_t index = findRecord(archive, archive->entrySlots, archive->entrySlotMask, archive->entries,
                             archive->entryCount, name, length);
  return index >= 0 ? &archive->entries[index] : nullptr;
}

int32_t zipLongestName(ZipFile* archive) {
  return archive == nullptr ? 0 : archive->longestName;
}

bool zipHasPackage(ZipFile* archive, const char* prefix) {
  if (archive == nullptr || prefix == nullptr) return false;
  return findRecord(archive, archive->packageSlots, archive->packageSlotMask, archive->packages,
                    archive->packageCount, prefix, static_cast<int32_t>(std::strlen(prefix))) >= 0;
}

uint64_t zipEntrySize(ZipFile* archive, ZipEntry* entry) {
  return archive == nullptr || entry == nullptr ? 0 : entry->uncompressedSize;
}

bool zipReadEntry(ZipFile* archive, ZipEntry* entry, void* buffer, uint32_t size) {
  if (archive == nullptr || entry == nullptr || entry->uncompressedSize != size) return false;
  const unsigned char* data = memberData(archive, entry);
  bool ok = data != nullptr;
  if (ok && entry->method == 0) {
    if (size > 0) std::memcpy(buffer, data, size);
  } else if (ok) {
    ok = zipInflate(data, entry->compressedSize, buffer, size);
  }
  if (!ok) refuse(archive);
  return ok;
}

const uint8_t* zipEntryBytes(ZipFile* archive, ZipEntry* entry, uint8_t** owned) {
  *owned = nullptr;
  if (archive == nullptr || entry == nullptr) return nullptr;
  const unsigned char* data = memberData(archive, entry);
  if (data != nullptr && entry->method == 0) return data;
  if (data != nullptr && entry->uncompressedSize <= UINT32_MAX) {
    auto size = static_cast<uint32_t>(entry->uncompressedSize);
    auto* buffer = static_cast<uint8_t*>(heapAllocate(size > 0 ? size : 1));
    if (buffer == nullptr) outOfMemory();
    if (zipInflate(data, entry->compressedSize, buffer, size)) {
      *owned = buffer;
      return buffer;
    }
    std::free(buffer);
  }
  refuse(archive);
  return nullptr;
}

void zipEndInflate() {
  libdeflate_free_decompressor(inflater);
  inflater = nullptr;
}

int64_t zipProbeCount() {
  return probes;
}

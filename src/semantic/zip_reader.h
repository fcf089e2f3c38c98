// Zip and jar archives on the class path, zip64 archives among them (more than 65,535 members, or
// members and offsets past 4 GB): the central directory read in one pass into a table of members
// and one of directory prefixes, each found through a hash table (members of a sorted directory
// by binary search), and one member read, stored or deflated. An archive with a current index
// beside it (zipWriteIndex) takes both tables from the index, mapped, and reads nothing at open.
#pragma once

#include <cstdint>

// Fixed-width fields only: the tables of an index are these records as they lie in its file.
struct ZipEntry {
  // The name as stored, "/" separated, not ended by a zero: its offset from the start of the
  // central directory in the archive's mapping (zipEntryName).
  uint64_t nameOffset;
  int32_t nameLength;  // in the package table: the prefix length
  uint32_t method;     // 0 stored, 8 deflated
  uint32_t dosTime;
  // From the central header, or from its zip64 extra field where the header marks them so.
  uint64_t uncompressedSize;
  uint64_t compressedSize;
  uint64_t localHeaderOffset;
};

struct ZipFile {
  char* name;
  // The whole file, mapped read-only: an open archive holds no descriptor.
  const unsigned char* data;
  int64_t length;
  int64_t modified;  // the file's modification time (nanoseconds), which an index must match
  // The index the tables below lie in, mapped; null when they were made at open.
  const unsigned char* index;
  int64_t indexLength;
  // In the order of the central directory.
  ZipEntry* entries;
  int32_t entryCount;
  int64_t centralDirectoryOffset;
  int64_t endRecordOffset;
  // The distinct directory prefixes, in the order their first members came.
  ZipEntry* packages;
  int32_t packageCount;
  int32_t longestName;
  // A directory in the order of its names (as the kit's library is written) is searched by
  // halves and needs no member table.
  bool sorted;
  // Open addressing over indices into `entries` and `packages` (-1 free); sizes are powers of two.
  int32_t* entrySlots;
  uint32_t entrySlotMask;
  int32_t* packageSlots;
  uint32_t packageSlotMask;
};

ZipFile* zipOpen(const char* path);
void zipClose(ZipFile* archive);
// The index of an archive is a file of this suffix beside it; it holds the archive's length and
// time and is used only while both still match.
constexpr const char ZIP_INDEX_SUFFIX[] = ".index";
// Writes the index of the open archive beside it, through a temporary name; false on failure.
bool zipWriteIndex(ZipFile* archive);
// The entry's name in the archive's mapping, or null when a damaged index points outside it.
const char* zipEntryName(const ZipFile* archive, const ZipEntry* entry);
// The first member of that name in the central directory.
ZipEntry* zipFindEntry(ZipFile* archive, const char* name);
// The length of the longest member name: no longer name needs to be made to be looked for.
int32_t zipLongestName(ZipFile* archive);
bool zipHasPackage(ZipFile* archive, const char* prefix);
uint64_t zipEntrySize(ZipFile* archive, ZipEntry* entry);
bool zipReadEntry(ZipFile* archive, ZipEntry* entry, void* buffer, uint32_t size);
// The member's bytes, zipEntrySize of them: a stored member's where they lie in the mapping, a
// deflated one's inflated into a buffer from malloc, which *owned receives for the caller to free
// (else null). Null, after "zip.error", when the member cannot be read.
const uint8_t* zipEntryBytes(ZipFile* archive, ZipEntry* entry, uint8_t** owned);
// The inflater lasts for the process; this ends it (tests and the in-process release).
void zipEndInflate();
// How many table slots lookups have looked at, for tests that prove a lookup does not walk.
int64_t zipProbeCount();

// Zip and jar archives on the class path: the central directory read into sorted tables of member
// names and directory prefixes, and one member read, stored or deflated, into a buffer.
#pragma once

#include <cstdint>

struct ZipEntry {
  char* name;        // as stored, "/" separated
  int32_t nameLength;  // in the package table: the prefix length
  uint32_t uncompressedSize;
  uint32_t compressedSize;
  uint32_t method;   // 0 stored, 8 deflated
  uint32_t dosTime;
  uint32_t localHeaderOffset;
};

struct ZipFile {
  char* name;
  // The whole file, mapped read-only: an open archive holds no descriptor.
  const unsigned char* data;
  int64_t length;
  ZipEntry* entries;
  int32_t entryCount;
  int64_t centralDirectoryOffset;
  int64_t endRecordOffset;
  ZipEntry* packages;
  int32_t packageCount;
};

ZipFile* zipOpen(const char* path);
void zipClose(ZipFile* archive);
ZipEntry* zipFindEntry(ZipFile* archive, const char* name);
// The length of the longest member name: no longer name needs to be made to be looked for.
int32_t zipLongestName(ZipFile* archive);
bool zipHasPackage(ZipFile* archive, const char* prefix);
uint32_t zipEntrySize(ZipFile* archive, ZipEntry* entry);
bool zipReadEntry(ZipFile* archive, ZipEntry* entry, void* buffer, uint32_t size);
// The inflate stream lasts for the process; this ends it (tests and the in-process release).
void zipEndInflate();

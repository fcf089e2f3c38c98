// Search paths: the class path and the source path as two parallel arrays, entry names and opened
// archives (null for a directory), each ended by a null entry.
#pragma once

#include <cstdint>

struct ZipFile;

int32_t countPathEntries(const char* list);
// Appends the list's entries behind those already in the arrays; the list is cut in place.
void splitPathList(char** names, ZipFile** archives, char* list);
// Appends one entry as it stands (the output directory is never split).
void appendPathEntry(char** names, ZipFile** archives, char* entry);
ZipFile* openPathArchive(const char* path);

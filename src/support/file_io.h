// Thin wrappers over the host's low-level file calls, and the lexical full-path resolution.
// Failures are reported by return value only; no memory for a handle stops the compile.
#pragma once

#include <cstdint>

struct FileHandle {
  int32_t descriptor;
  // The length and the modification time (nanoseconds) of the file when it was opened.
  int64_t length;
  int64_t modified;
};

constexpr int32_t FULL_PATH_SIZE = 1024;

// The absolute form of `path`, resolved lexically ("." and ".." folded, links not followed, the
// file need not exist, a trailing separator kept), in one static buffer that the next call
// overwrites; null when it does not fit.
const char* fullPath(const char* path);

// Mode "w...": write, create, truncate; "r..." or anything else: read. Only a regular file opens:
// a directory, a FIFO or a device gives null, and the open never waits.
FileHandle* openFile(const char* name, const char* mode);
// Creates a new regular file for writing, exclusively: an existing file, directory or symbolic
// link of the name (even one that points nowhere) is never opened, followed or truncated. Null on
// failure, with *exists set when the name was taken.
FileHandle* createNewFile(const char* name, bool* exists);
int32_t closeFile(FileHandle* handle);
int64_t seekFile(FileHandle* handle, int64_t offset, int32_t origin);
// Loop until size x count bytes have moved, the file ends or an error comes; return the bytes moved.
int64_t readFile(void* buffer, int64_t size, int64_t count, FileHandle* handle);
int64_t writeFile(const void* buffer, int64_t size, int64_t count, FileHandle* handle);
// The first `length` bytes of the file mapped read-only; the mapping outlives the handle, so the
// descriptor can be closed at once. Null for an empty length or when the host cannot map it.
const uint8_t* mapFile(FileHandle* handle, int64_t length);
void unmapFile(const uint8_t* data, int64_t length);
int32_t renameFile(const char* oldName, const char* newName);
int32_t removeFile(const char* path);
int32_t makeDirectory(const char* path);

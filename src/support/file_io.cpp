// File wrappers over POSIX descriptors. Every name crosses the host boundary with "\" mapped to "/".
#include "support/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/host_path.h"
#include "support/arena.h"
#include "support/fatal_stops.h"
#include "support/multibyte_strings.h"

static bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

const char* fullPath(const char* path) {
  static char result[FULL_PATH_SIZE];
  char base[HOST_PATH_MAX];
  if (isSeparator(path[0])) {
    base[0] = '\0';
  } else if (!currentDirectory(base, sizeof base)) {
    return nullptr;
  }
  // Component starts, so ".." can drop back to the previous one.
  int32_t starts[FULL_PATH_SIZE / 2];
  int32_t depth = 0;
  int32_t length = 0;
  result[length++] = '/';
  const char* parts[2] = {base, path};
  for (const char* text : parts) {
    for (const char* p = text; *p != '\0';) {
      while (isSeparator(*p)) p++;
      const char* start = p;
      // By characters: the trail byte of a double-byte character is never a separator.
      while (*p != '\0' && !isSeparator(*p)) p = nextCharacter(p);
      int32_t n = static_cast<int32_t>(p - start);
      if (n == 0 || (n == 1 && start[0] == '.')) continue;
      if (n == 2 && start[0] == '.' && start[1] == '.') {
        if (depth > 0) length = starts[--depth];
        continue;
      }
      int32_t at = length;
      if (length > 1) at++;  // room for the separator before the component
      if (at + n >= FULL_PATH_SIZE - 1) return nullptr;
      starts[depth++] = length;
      if (length > 1) result[length] = '/';
      std::memcpy(result + at, start, n);
      length = at + n;
    }
  }
  size_t pathLength = std::strlen(path);
  if (pathLength > 0 && isSeparator(path[pathLength - 1]) && length > 1) result[length++] = '/';
  result[length] = '\0';
  return result;
}

FileHandle* openFile(const char* name, const char* mode) {
  char hostName[HOST_PATH_MAX];
  if (!toHostPath(name, hostName, sizeof hostName)) return nullptr;
  int flags = mode[0] == 'w' ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY;
  // Without O_NONBLOCK the open of a FIFO waits for a writer that never comes; a regular file
  // ignores the flag, and anything else (a FIFO, a device, a directory) is refused here.
  int descriptor = open(hostName, flags | O_CLOEXEC | O_NONBLOCK, 0664);
  if (descriptor < 0) return nullptr;
  struct stat status;
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(descriptor);
    return nullptr;
  }
  auto* handle = static_cast<FileHandle*>(heapAllocateZeroed(1, sizeof(FileHandle)));
  if (handle == nullptr) {
    // No memory is no fault of the file: the compile stops as out of memory.
    close(descriptor);
    outOfMemory();
  }
  handle->descriptor = descriptor;
  handle->length = status.st_size;
  handle->modified = static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
  return handle;
}

FileHandle* createNewFile(const char* name, bool* exists) {
  *exists = false;
  char hostName[HOST_PATH_MAX];
  if (!toHostPath(name, hostName, sizeof hostName)) return nullptr;
  int descriptor = open(hostName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0664);
  if (descriptor < 0) {
    *exists = errno == EEXIST;
    return nullptr;
  }
  auto* handle = static_cast<FileHandle*>(heapAllocateZeroed(1, sizeof(FileHandle)));
  if (handle == nullptr) {
    close(descriptor);
    unlink(hostName);
    outOfMemory();
  }
  handle->descriptor = descriptor;
  return handle;
}

int32_t closeFile(FileHandle* handle) {
  int descriptor = handle->descriptor;
  std::free(handle);
  return close(descriptor);
}

int64_t seekFile(FileHandle* handle, int64_t offset, int32_t origin) {
  return lseek(handle->descriptor, offset, origin);
}

int64_t readFile(void* buffer, int64_t size, int64_t count, FileHandle* handle) {
  int64_t wanted = size * count;
  int64_t done = 0;
  while (done < wanted) {
    ssize_t n = read(handle->descriptor, static_cast<char*>(buffer) + done, wanted - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t writeFile(const void* buffer, int64_t size, int64_t count, FileHandle* handle) {
  int64_t wanted = size * count;
  int64_t done = 0;
  while (done < wanted) {
    ssize_t n = write(handle->descriptor, static_cast<const char*>(buffer) + done, wanted - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

const uint8_t* mapFile(FileHandle* handle, int64_t length) {
  if (length <= 0) return nullptr;
  void* data = mmap(nullptr, static_cast<size_t>(length), PROT_READ, MAP_PRIVATE, handle->descriptor, 0);
  return data == MAP_FAILED ? nullptr : static_cast<const uint8_t*>(data);
}

void unmapFile(const uint8_t* data, int64_t length) {
  if (data != nullptr) munmap(const_cast<uint8_t*>(data), static_cast<size_t>(length));
}

int32_t renameFile(const char* oldName, const char* newName) {
  char hostOld[HOST_PATH_MAX];
  char hostNew[HOST_PATH_MAX];
  if (!toHostPath(oldName, hostOld, sizeof hostOld) || !toHostPath(newName, hostNew, sizeof hostNew))
    return -1;
  return std::rename(hostOld, hostNew);
}

int32_t removeFile(const char* path) {
  char hostName[HOST_PATH_MAX];
  if (!toHostPath(path, hostName, sizeof hostName)) return -1;
  return std::remove(hostName);
}

int32_t makeDirectory(const char* path) {
  char hostName[HOST_PATH_MAX];
  if (!toHostPath(path, hostName, sizeof hostName)) return -1;
  return mkdir(hostName, 0777);
}

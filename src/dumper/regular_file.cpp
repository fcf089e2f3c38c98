// Regular files only, opened with O_NONBLOCK so that the open of a FIFO returns at once; the flag
// changes nothing for the regular file that is then read.
#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* openRegularFile(const char* name, int64_t* length) {
  int descriptor = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status;
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(descriptor);
    return nullptr;
  }
  std::FILE* file = fdopen(descriptor, "rb");
  if (file == nullptr) {
    close(descriptor);
    return nullptr;
  }
  *length = status.st_size;
  return file;
}

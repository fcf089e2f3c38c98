// POSIX layer for paths: separators, the program's own location and the current directory.
#include "platform/host_path.h"

#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "platform/host_characters.h"

bool toHostPath(const char* path, char* buffer, size_t size) {
  size_t length = std::strlen(path);
  if (length >= size) return false;
  // The ASCII before the first "\\" goes across as it stands, eight bytes at a time.
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, path + i, 8);
    uint64_t backslashes = word ^ 0x5C5C5C5C5C5C5C5Cull;
    uint64_t zero = (backslashes - 0x0101010101010101ull) & ~backslashes & 0x8080808080808080ull;
    if (((word & 0x8080808080808080ull) | zero) != 0) break;
    std::memcpy(buffer + i, &word, 8);
  }
  // Only a "\\" that begins a character separates: in a double-byte codeset it may be a trail byte.
  while (i < length) {
    auto b = static_cast<unsigned char>(path[i]);
    if (b == '\\') {
      buffer[i++] = '/';
      continue;
    }
    // An ASCII byte is a character of its own in every host codeset.
    if (b < 0x80) {
      buffer[i++] = static_cast<char>(b);
      continue;
    }
    size_t end = i + static_cast<size_t>(hostStepLength(path + i));
    if (end > length) end = length;
    for (; i < end; i++) buffer[i] = path[i];
  }
  buffer[length] = '\0';
  return true;
}

bool executableDirectory(char* buffer, size_t size) {
  ssize_t n = readlink("/proc/self/exe", buffer, size - 1);
  if (n <= 0) return false;
  buffer[n] = '\0';
  char* slash = std::strrchr(buffer, '/');
  if (slash == nullptr) return false;
  if (slash == buffer)
    slash[1] = '\0';
  else
    *slash = '\0';
  return true;
}

bool currentDirectory(char* buffer, size_t size) {
  return getcwd(buffer, size) != nullptr;
}

bool isPathListSeparator(char c) {
  return c == ';' || c == ':';
}

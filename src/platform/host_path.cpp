// POSIX layer for paths: separators, the program's own location and the current directory.
#include "platform/host_path.h"

#include <unistd.h>

#include <cstring>

#include "platform/host_characters.h"

bool toHostPath(const char* path, char* buffer, size_t size) {
  size_t length = std::strlen(path);
  if (length >= size) return false;
  // Only a "\" that begins a character separates: in a double-byte codeset it may be a trail byte.
  for (size_t i = 0; i < length;) {
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

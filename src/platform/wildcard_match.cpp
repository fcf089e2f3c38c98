// Directory listing for wildcard arguments. Only "*" and "?" are special, as on the host the
// compiler was first written for; "[" is an ordinary character of a name. Names and patterns are
// stepped character by character: "?" stands for one character, and the trail byte of a
// double-byte character is neither a separator nor matched on its own.
#include "platform/wildcard_match.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>

#include "platform/host_characters.h"
#include "platform/host_path.h"

// Bytes of the character at p, never past the end of the text.
static int32_t characterAt(const char* p) {
  int32_t n = hostStepLength(p);
  for (int32_t i = 1; i < n; i++)
    if (p[i] == '\0') return i;
  return n;
}

static const char* lastComponent(const char* name) {
  const char* last = name;
  for (const char* p = name; *p != '\0'; p += characterAt(p))
    if (*p == '/' || *p == '\\') last = p + 1;
  return last;
}

bool hasWildcard(const char* name) {
  return std::strpbrk(lastComponent(name), "*?") != nullptr;
}

bool wildcardMatches(const char* pattern, const char* name) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name != '\0') {
    int32_t n = characterAt(name);
    int32_t p = *pattern == '\0' ? 0 : characterAt(pattern);
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?') {
      pattern++;
      name += n;
    } else if (p == n && std::memcmp(pattern, name, n) == 0) {
      pattern += p;
      name += n;
    } else if (star != nullptr) {
      pattern = star + 1;
      resume += characterAt(resume);
      name = resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') pattern++;
  return *pattern == '\0';
}

std::vector<std::string> findMatchingFiles(const char* pattern) {
  std::vector<std::string> matches;
  const char* last = lastComponent(pattern);
  std::string directory = last == pattern ? std::string(1, '.') : std::string(pattern, last - pattern);
  char hostDirectory[HOST_PATH_MAX];
  if (!toHostPath(directory.c_str(), hostDirectory, sizeof hostDirectory)) return matches;
  DIR* listing = opendir(hostDirectory);
  if (listing == nullptr) return matches;
  while (dirent* entry = readdir(listing)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (wildcardMatches(last, name)) matches.emplace_back(name);
  }
  closedir(listing);
  std::sort(matches.begin(), matches.end());
  return matches;
}

// A tree of path components keyed by the text as written (relative or absolute, case-sensitive),
// split at both "/" and "\". Nodes live in the main arena and are never removed singly.
#include "support/path_cache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/host_path.h"
#include "support/arena.h"
#include "support/file_io.h"
#include "support/global.h"
#include "support/multibyte_strings.h"

namespace {

PathNode root;
int64_t statCalls;

bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

// Offset of the last separator in the first `length` bytes, or -1. Paths are searched character by
// character so that a double-byte trail byte is never a separator.
// The length of the character at p, at least 1: an ASCII byte is a character of its own in every
// host codeset, so only a byte above it asks the locale.
int32_t stepAt(const char* p) {
  if (static_cast<unsigned char>(*p) < 0x80) return 1;
  int32_t n = characterLength(p);
  return n < 1 ? 1 : n;
}

int32_t lastSeparator(const char* path, int32_t length) {
  int32_t last = -1;
  for (int32_t i = 0; i < length; i += stepAt(path + i))
    if (isSeparator(path[i])) last = i;
  return last;
}

uint32_t nameLength(const PathNode* node) {
  return node->bits & PATH_NAME_LENGTH;
}

bool isDirectoryMode(uint32_t mode) {
  return (mode & S_IFMT) == S_IFDIR;
}

// The directory that must hold `path`: the part before its last separator, "/" for a path right
// below the root, or none.
bool parentOf(const char* path, char* parent, size_t size) {
  int32_t length = static_cast<int32_t>(std::strlen(path));
  int32_t separator = lastSeparator(path, length);
  if (separator < 0) return false;
  int32_t keep = separator == 0 ? 1 : separator;
  if (static_cast<size_t>(keep) >= size) return false;
  std::memcpy(parent, path, keep);
  parent[keep] = '\0';
  return true;
}

}  // namespace

int32_t statPath(const char* path, struct stat* status) {
  char hostName[HOST_PATH_MAX];
  if (!toHostPath(path, hostName, sizeof hostName)) return -1;
  size_t length = std::strlen(hostName);
  while (length > 0 && hostName[length - 1] == '/') hostName[--length] = '\0';
  // Trailing separators go, except that the root stays the root.
  if (length == 0 && path[0] != '\0') {
    hostName[0] = '/';
    hostName[1] = '\0';
  }
  statCalls++;
  return stat(hostName, status);
}

namespace {

// Offset of the first separator at or after `from`, or `length`.
int32_t nextSeparator(const char* path, int32_t from, int32_t length) {
  for (int32_t i = from; i < length; i += stepAt(path + i))
    if (isSeparator(path[i])) return i;
  return length;
}

// Every node by its parent and name, so that a directory of many files (a package of thousands of
// classes) is searched without a walk of its list of children.
struct ChildTable {
  PathNode** buckets;  // in the main arena, with the nodes
  uint32_t size;       // a power of two; 0 before the first node
  uint32_t count;
};

ChildTable children;

uint32_t childHash(const PathNode* parent, const char* name, uint32_t n) {
  uint64_t hash = 0xcbf29ce484222325ull ^ reinterpret_cast<uintptr_t>(parent);
  for (uint32_t i = 0; i < n; i++) hash = (hash ^ static_cast<unsigned char>(name[i])) * 0x100000001b3ull;
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

PathNode** childBucket(uint32_t hash) {
  return &children.buckets[hash & (children.size - 1)];
}

PathNode* findChild(PathNode* parent, const char* name, uint32_t n) {
  if (children.size == 0) return nullptr;
  for (PathNode* node = *childBucket(childHash(parent, name, n)); node != nullptr; node = node->sameBucket)
    if (node->parent == parent && nameLength(node) == n && std::memcmp(node->name, name, n) == 0) return node;
  return nullptr;
}

PathNode* addChild(PathNode* parent, const char* name, uint32_t n) {
  if (children.count >= children.size)
    growArenaBuckets(&global.mainArena, &children.buckets, &children.size, 1024, &PathNode::sameBucket,
                     [](const PathNode* node) { return childHash(node->parent, node->name, nameLength(node)); });
  auto* node = arenaNewWithTail<PathNode>(&global.mainArena, n + 1);
  node->name = reinterpret_cast<char*>(node + 1);
  std::memcpy(node->name, name, n);
  node->bits = (n & PATH_NAME_LENGTH) | PATH_UNDETERMINED;
  node->parent = parent;
  node->next = parent->child;
  parent->child = node;
  PathNode** bucket = childBucket(childHash(parent, name, n));
  node->sameBucket = *bucket;
  *bucket = node;
  children.count++;
  return node;
}

}  // namespace

// Both walks go down the tree one component at a time, so a path of many components costs no more
// than its length.
PathNode* findCachedPath(PathNode* start, const char* path, int32_t length) {
  PathNode* node = start;
  for (int32_t from = 0;; from++) {
    int32_t end = nextSeparator(path, from, length);
    node = findChild(node, path + from, static_cast<uint32_t>(end - from));
    if (node == nullptr || end == length) return node;
    from = end;
  }
}

PathNode* makePathNode(PathNode* start, const char* path, int32_t length, const struct stat* status) {
  PathNode* node = start;
  for (int32_t from = 0;; from++) {
    int32_t end = nextSeparator(path, from, length);
    uint32_t n = static_cast<uint32_t>(end - from);
    PathNode* child = findChild(node, path + from, n);
    if (child == nullptr) {
      child = addChild(node, path + from, n);
      if (end == length && status != nullptr) {
        child->modified = status->st_mtime;
        child->mode = status->st_mode;
        child->bits |= PATH_STAT;
      }
    }
    if (end == length) return child;
    node = child;
    from = end;
  }
}

PathNode* cachePathResult(PathNode* start, PathNode* node, const char* path, int32_t length,
                          const struct stat* status, bool exists) {
  if (node == nullptr) node = makePathNode(start, path, length, exists ? status : nullptr);
  node->bits = (node->bits & ~(PATH_EXISTS | PATH_UNDETERMINED)) | (exists ? PATH_EXISTS : 0);
  if (exists) {
    for (PathNode* up = node->parent; up != nullptr && (up->bits & PATH_UNDETERMINED) != 0; up = up->parent)
      up->bits = (up->bits & ~PATH_UNDETERMINED) | PATH_EXISTS;
  }
  return node;
}

static int64_t queries;

namespace {

// A query's answer from the cache: the path's node, and whether it settles the query. It does for
// an empty path (no node), for a path known to be absent (no node) and for one known to exist,
// with its mode and time when `needStat`.
PathNode* cachedAnswer(const char* path, int32_t* length, bool needStat, bool* settled) {
  queries++;
  *settled = true;
  if (path == nullptr || path[0] == '\0') return nullptr;
  *length = static_cast<int32_t>(std::strlen(path));
  PathNode* node = findCachedPath(&root, path, *length);
  if (node != nullptr && (node->bits & PATH_UNDETERMINED) == 0) {
    if ((node->bits & PATH_EXISTS) == 0) return nullptr;
    if (!needStat || (node->bits & PATH_STAT) != 0) return node;
  }
  *settled = false;
  return node;
}

// Stats the path and caches the answer, with the mode and time when it exists.
PathNode* statIntoCache(PathNode* node, const char* path, int32_t length, struct stat* status, bool* exists) {
  *exists = statPath(path, status) == 0;
  if (node != nullptr && *exists) {
    node->modified = status->st_mtime;
    node->mode = status->st_mode;
    node->bits |= PATH_STAT;
  }
  return cachePathResult(&root, node, path, length, status, *exists);
}

}  // namespace

PathNode* directoryNode(const char* path) {
  int32_t length = 0;
  bool settled;
  PathNode* node = cachedAnswer(path, &length, true, &settled);
  if (settled) return node != nullptr && isDirectoryMode(node->mode) ? node : nullptr;
  struct stat status;
  bool exists;
  node = statIntoCache(node, path, length, &status, &exists);
  return exists && isDirectoryMode(status.st_mode) ? node : nullptr;
}

bool isDirectory(const char* path) {
  return directoryNode(path) != nullptr;
}

namespace {

// A directory asked about this many names it does not have is listed once: a class path of many
// directories is probed for every class that none of them has, and a listing answers all those
// probes without a stat each. Fewer misses cost less as stats than a listing would.
constexpr uint32_t MISSES_BEFORE_LISTING = 16;

int64_t listings;

// Every entry of the directory gets a node that exists (its time and mode still to be taken by a
// stat when asked for); false when the directory cannot be read, which leaves it unlisted.
bool listDirectory(PathNode* directory, const char* path) {
  char hostName[HOST_PATH_MAX];
  if (!toHostPath(path, hostName, sizeof hostName)) return false;
  DIR* stream = opendir(hostName);
  if (stream == nullptr) return false;
  listings++;
  while (const dirent* entry = readdir(stream)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    uint32_t n = static_cast<uint32_t>(std::strlen(name));
    PathNode* child = findChild(directory, name, n);
    if (child == nullptr) child = addChild(directory, name, n);
    if (child->bits & PATH_UNDETERMINED) child->bits = (child->bits & ~PATH_UNDETERMINED) | PATH_EXISTS;
  }
  closedir(stream);
  directory->bits |= PATH_LISTED;
  return true;
}

// The node of the directory that holds `path` when that directory is known to be listed.
PathNode* listedParent(const char* path, int32_t length) {
  int32_t separator = lastSeparator(path, length);
  if (separator <= 0) return nullptr;
  PathNode* parent = findCachedPath(&root, path, separator);
  return parent != nullptr && (parent->bits & PATH_LISTED) != 0 ? parent : nullptr;
}

// The node of a path that exists, or null. With `needStat` its node carries the mode and time of
// a stat; otherwise a known answer is enough. A path whose parent is no directory is not statted.
PathNode* existingPath(const char* path, bool needStat) {
  int32_t length = 0;
  bool settled;
  PathNode* node = cachedAnswer(path, &length, needStat, &settled);
  if (settled) return node;
  if (node == nullptr && listedParent(path, length) != nullptr) return nullptr;
  char parent[HOST_PATH_MAX];
  bool hasParent = parentOf(path, parent, sizeof parent);
  if (hasParent && !isDirectory(parent)) {
    cachePathResult(&root, node, path, length, nullptr, false);
    return nullptr;
  }
  struct stat status;
  bool exists;
  if (node != nullptr) {
    node = statIntoCache(node, path, length, &status, &exists);
    return exists ? node : nullptr;
  }
  exists = statPath(path, &status) == 0;
  // A miss in a directory that has had many is answered by the directory's listing from now on,
  // and leaves no node behind.
  if (!exists && hasParent) {
    PathNode* directory = findCachedPath(&root, path, lastSeparator(path, length));
    if (directory != nullptr && ++directory->missingChildren >= MISSES_BEFORE_LISTING && listDirectory(directory, parent))
      return nullptr;
  }
  node = cachePathResult(&root, nullptr, path, length, &status, exists);
  return exists ? node : nullptr;
}

// The path a node stands for, its components joined by "/" as the host reads them.
std::string nodePath(const PathNode* node) {
  std::vector<const PathNode*> components;
  for (const PathNode* n = node; n != nullptr && n != &root; n = n->parent) components.push_back(n);
  std::string path;
  for (auto n = components.rbegin(); n != components.rend(); ++n) {
    if (n != components.rbegin()) path += '/';
    path.append((*n)->name, nameLength(*n));
  }
  // The root directory is the empty component before the first separator.
  return path.empty() && node != &root ? "/" : path;
}

}  // namespace

bool directoryMayHold(PathNode* directory, const char* name, int32_t length) {
  // A name with a separator in it is no one entry of the directory.
  for (int32_t i = 0; i < length; i++)
    if (isSeparator(name[i])) return true;
  if ((directory->bits & PATH_LISTED) == 0) {
    if ((directory->bits & PATH_UNLISTABLE) != 0) return true;
    if (!listDirectory(directory, nodePath(directory).c_str())) {
      directory->bits |= PATH_UNLISTABLE;
      return true;
    }
  }
  PathNode* child = findChild(directory, name, static_cast<uint32_t>(length));
  return child != nullptr && (child->bits & PATH_EXISTS) != 0;
}

bool isPathExistingCached(const char* path, int64_t* modified) {
  if (modified != nullptr) *modified = 0;
  PathNode* node = existingPath(path, modified != nullptr);
  if (node == nullptr) return false;
  if (modified != nullptr) *modified = node->modified;
  return true;
}

bool isRegularFileCached(const char* path, int64_t* modified) {
  if (modified != nullptr) *modified = 0;
  PathNode* node = existingPath(path, true);
  if (node == nullptr || (node->mode & S_IFMT) != S_IFREG) return false;
  if (modified != nullptr) *modified = node->modified;
  return true;
}

bool makeDirectoryCached(const char* path) {
  bool made = makeDirectory(path) == 0;
  if (!made && errno == EEXIST) return false;  // whatever is there keeps its cached state
  int32_t length = static_cast<int32_t>(std::strlen(path));
  PathNode* node = findCachedPath(&root, path, length);
  if (made) {
    struct stat status{};
    status.st_mode = S_IFDIR | 0777;
    status.st_mtime = std::time(nullptr);
    node = makePathNode(&root, path, length, &status);
    node->modified = status.st_mtime;
    node->mode = status.st_mode;
    node->bits |= PATH_STAT;
  }
  cachePathResult(&root, node, path, length, nullptr, made);
  return made;
}

bool forgetPathExists(const char* path) {
  if (path == nullptr) return false;
  PathNode* node = findCachedPath(&root, path, static_cast<int32_t>(std::strlen(path)));
  if (node == nullptr || (node->bits & PATH_UNDETERMINED) != 0) return false;
  node->bits &= ~PATH_EXISTS;
  return true;
}

void clearPathCache() {
  root.child = nullptr;
  children = ChildTable{};
}

int64_t pathStatCount() {
  return statCalls;
}

int64_t pathQueryCount() {
  return queries;
}

int64_t pathListCount() {
  return listings;
}

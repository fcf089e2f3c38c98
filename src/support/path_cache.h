// The path-status cache: whether a path exists, whether it is a directory and when it changed,
// so that class-path probes and output-directory handling stat each path at most once.
#pragma once

#include <cstdint>
#include <ctime>

struct stat;

struct PathNode {
  char* name;  // the component, stored right behind the node
  uint32_t bits;
  PathNode* next;
  PathNode* child;
  PathNode* parent;
  PathNode* sameBucket;  // in the cache's table of nodes by parent and name
  int64_t modified;
  uint32_t mode;
  uint32_t missingChildren;  // children asked about and not found, before the directory is listed
};

constexpr uint32_t PATH_NAME_LENGTH = 0x07ffffffu;
// A directory whose listing could not be read: its entries are asked for one by one.
constexpr uint32_t PATH_UNLISTABLE = 1u << 27;
constexpr uint32_t PATH_UNDETERMINED = 1u << 28;
constexpr uint32_t PATH_EXISTS = 1u << 29;
// A directory whose every entry has a node: a name that has none is not there, without a stat.
constexpr uint32_t PATH_LISTED = 1u << 30;
constexpr uint32_t PATH_STAT = 1u << 31;

bool isDirectory(const char* path);
// The node of the path when it names an existing directory, else null.
PathNode* directoryNode(const char* path);
// Whether the directory may have an entry of that name (one component): its listing answers,
// read at the first question; true when the listing cannot be read.
bool directoryMayHold(PathNode* directory, const char* name, int32_t length);
bool isPathExistingCached(const char* path, int64_t* modified);
// As isPathExistingCached, true only for a regular file: a directory, a FIFO or a device of that
// name is nothing to read along a path. It takes the same one stat.
bool isRegularFileCached(const char* path, int64_t* modified);
bool makeDirectoryCached(const char* path);
bool forgetPathExists(const char* path);
int32_t statPath(const char* path, struct stat* status);

PathNode* findCachedPath(PathNode* root, const char* path, int32_t length);
PathNode* makePathNode(PathNode* root, const char* path, int32_t length, const struct stat* status);
PathNode* cachePathResult(PathNode* root, PathNode* node, const char* path, int32_t length,
                          const struct stat* status, bool exists);

// The root loses all its children; called when the main arena that holds them is released.
void clearPathCache();
// How many times statPath asked the host, and how many times a path was asked about, for tests.
int64_t pathStatCount();
// How many directories were listed.
int64_t pathListCount();
int64_t pathQueryCount();

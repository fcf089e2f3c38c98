// The file-system boundary of the host: names the compiler builds or reads may separate
// directories with "\" as well as "/"; the host is handed "/" only.
#pragma once

#include <cstddef>

constexpr size_t HOST_PATH_MAX = 4096;

// Copies `path` into `buffer` with every "\" that begins a character turned into "/" (the trail
// byte of a double-byte character stays as it is); false when it does not fit.
bool toHostPath(const char* path, char* buffer, size_t size);

// The directory of the running executable, or false when the host cannot tell.
bool executableDirectory(char* buffer, size_t size);

// The current directory, or false.
bool currentDirectory(char* buffer, size_t size);

// Path lists split on ";" and, on POSIX hosts, on ":" too.
bool isPathListSeparator(char c);
constexpr char HOST_PATH_LIST_SEPARATOR = ':';

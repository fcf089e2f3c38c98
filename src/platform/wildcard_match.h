// Wildcard arguments: "*" and "?" in the last component of a name, matched case-sensitively
// against the directory's entries ("." and ".." never match), in byte order.
#pragma once

#include <string>
#include <vector>

bool hasWildcard(const char* name);
// The names (last component only) of the entries that match; empty when none or no directory.
std::vector<std::string> findMatchingFiles(const char* pattern);
bool wildcardMatches(const char* pattern, const char* name);

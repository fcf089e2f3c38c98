// A generated corpus of small test programs, as a compiler's test suite has them: each a package of
// its own with a class or two, fields, loops, switches, exceptions, strings, arrays, inner and
// anonymous classes and calls into java.lang, java.util and java.io, about 38 lines and 1.15
// classes a file. Deterministic: the same count writes the same files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Writes `count` programs below `directory` (p0000/Program0000.java, ...) and returns their paths
// relative to it, in order.
std::vector<std::string> writeTestPrograms(const std::filesystem::path& directory, int count);

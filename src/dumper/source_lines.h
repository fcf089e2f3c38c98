// The -s listing: the lines of a source file that a class file's line numbers refer to.
#pragma once

#include <cstdint>
#include <string>

// Lists lines `first` to `last` of the source file `name`, opened as the SourceFile attribute names
// it; nothing for an empty range.
void printSourceLines(const std::string& name, int32_t first, int32_t last);

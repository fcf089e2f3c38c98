// Shared set-up of the fuzz targets: a private scratch directory on a memory file system, standard
// output (where the compiler's diagnostics are sent) thrown away, and one compile run in-process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The scratch directory of this fuzzing process.
const std::string& fuzzDirectory();
void fuzzInitialize();
void writeInput(const std::string& path, const uint8_t* data, size_t size);
// One in-process compile with these arguments; the state is released afterwards as the IDE's
// compiles release it.
void compileInProcess(const std::vector<std::string>& arguments);

// Start-up of the console program: where its files are, the development kit, the default boot
// class path, then one compile.
#pragma once

#include <cstddef>

[[noreturn]] int consoleMain(int argc, char** argv);
char* findZpkHome(const char* programDirectory, const char* kitPath);
bool fileExists(const char* path);
void* checkedMalloc(size_t size);
void freeMemory(void* block);
void appendPathSeparator(char* path);

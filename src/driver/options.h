// Command-line options and the usage text.
#pragma once

#include <cstdint>

// The number of source names among the arguments, -1 after "bad.option". A value taken from the
// argument after an option frees that argument and clears its slot.
int32_t parseOptions(int count, char** arguments);
// Prints the usage text once per process.
void printUsage();

extern const char* const usageKeys[];
extern const int32_t usageKeyCount;

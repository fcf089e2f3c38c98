// The compile driver: one whole compile from the arguments to the closing summaries.
#pragma once

#include <cstdint>

// Takes ownership of the argument array and the four path strings; returns the error count.
int32_t internalTolvo(int count, char** arguments, char* messageDirectory, char* localeDirectory,
                      char* bootClassPath, char* extDirs, char* classPath, char* sourcePath,
                      int32_t inProcess);
void freeArgv(int count, char** arguments);
void onFatalSignal(int signalNumber);

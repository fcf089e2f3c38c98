// Opening the files the dumper reads. Only a regular file is read: a FIFO would block the open
// until a writer came and a device never ends, so the kind is tested on a descriptor opened
// without waiting, never on the name.
#pragma once

#include <cstdint>
#include <cstdio>

// The regular file `name` opened for reading, with its length in bytes; null when it is missing,
// unreadable or not a regular file.
std::FILE* openRegularFile(const char* name, int64_t* length);

// The printer of one class file: version, declaration, fields, methods, class attributes, and on
// request the constant pool and the source lines that the code refers to.
#pragma once

#include <cstdint>

// Walks the file from the cursor in file order. A file that is not a version-45 class file stops
// with its message and the error flag set.
void printClassFile();
// The flag words of `flags`; 0x20 is "super " for a class and "synchronized " for a member.
void printAccessFlags(uint32_t flags, bool classContext);

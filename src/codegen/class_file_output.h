// Class files onto the disk: the bytes go to a temporary file beside the class file (".cltmp"),
// which is renamed over the old class file only when every byte was written and closed and the
// source file has no error, so a class file is either the old one or the whole new one. Every
// temporary file is on a list from its creation until it is renamed or removed; the driver
// removes what is left on it when a compile ends (deleteListedFiles).
#pragma once

#include <cstdint>

struct ClassDef;

// Writes the finished class file to the class's output path (classFilePath). A temporary file that
// cannot be made is tried once more after the package's directories are made; then, and for a
// failed rename, "cant.make.classfile"; a failed write or close, "write.failed" (both in the class's
// source file). True when the class file is in place.
bool outputClassFile(ClassDef* cls, const uint8_t* bytes, int32_t size);

// Where finished class files go in place of the disk, for a compile that keeps them in memory:
// the sink gets each class's bytes once its source file has no error, and no file, directory or
// temporary file is made. True from the sink: the class counts as written. Null: the disk again.
using ClassFileSink = bool (*)(ClassDef* cls, const uint8_t* bytes, int32_t size);
void setClassFileSink(ClassFileSink sink);

// With -xdepend or -qeb: "CLASS:<source file>,<first line>,<last line>,<dotted name>".
void writeClassLine(ClassDef* cls);

// The list of temporary files. addTempFile takes the name (a heap block); removeTempFile drops the
// node that holds that very pointer and leaves the name to the caller.
void addTempFile(char* name);
void removeTempFile(const char* name);
// Removes every listed file and empties the list, freeing the names.
void deleteListedFiles();

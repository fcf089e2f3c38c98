// Class files onto the disk, a source file's at a time: the finished bytes of each class are kept
// until every top-level class of its source file has been generated, and then written, all of
// them when the file has no error and none when it has. Each is written to a temporary file of a
// unique name beside its class file (made exclusively, never through a link or over a file that is
// there), and the temporaries are renamed over the class files only when every one of the source
// file was written and closed: a class file is either the old one or the whole new one. Every
// temporary file is on a list from its creation until it is renamed or removed; the driver removes
// what is left on it when a compile ends (deleteListedFiles), and so does an interrupted console
// compile (removeTemporariesOnInterrupt).
#pragma once

#include <cstdint>

struct ClassDef;
struct SourceFile;

// Keeps a copy of the finished class file of a class from source for writeSourceClassFiles.
void keepClassFile(ClassDef* cls, const uint8_t* bytes, int32_t size);

// Writes the class files kept for the source file to their output paths (classFilePath) when the
// file has no error, else drops them. A temporary file that cannot be made is tried once more
// after the package's directories are made; then, and for a failed rename, "cant.make.classfile";
// a failed write or close, "write.failed"; each names the class file and is reported in the source
// file once every temporary file is gone. Each class file written prints its "CLASS:" line
// (dependency_lines).
void writeSourceClassFiles(SourceFile* file);
// Drops the class files still kept for any source file (a compile that stopped).
void dropKeptClassFiles();

// Where finished class files go in place of the disk, for a compile that keeps them in memory:
// the sink gets each class's bytes once its source file is complete and has no error, and no
// file, directory or temporary file is made. Null: the disk again.
using ClassFileSink = bool (*)(ClassDef* cls, const uint8_t* bytes, int32_t size);
void setClassFileSink(ClassFileSink sink);

// Removes every listed temporary file and empties the list.
void deleteListedFiles();
// The console program: SIGINT, SIGTERM and SIGHUP remove the listed temporary files before they
// end the process.
void removeTemporariesOnInterrupt();

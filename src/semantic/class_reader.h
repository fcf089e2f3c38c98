// The class-file reader: a class file of major version 45, loaded whole into memory, read into a
// class record with what compiling against the class needs. A read takes the class's own records;
// the classes they name are resolved when it is done, from a queue that the reads this starts add
// to, so no chain of classes nests reads. Supertypes that loop through class files alone end the
// compile with "circular.super".
#pragma once

#include <cstdint>

struct ClassDef;

// No class file is larger: a member or file that claims more is refused before anything is
// allocated for it.
constexpr uint32_t MAX_CLASS_FILE_SIZE = 64u << 20;

// Reads the class and, unless called while an outer read's references are resolved, resolves
// the classes it names (reading them in turn); 0, or the error code after the fault was reported
// in words ("bad.class.file.<what>", with `path`, the name the class file is known by) and the
// class made unusable.
int32_t loadClassFromBuffer(const char* path, ClassDef* cls, const uint8_t* bytes, int32_t length, int32_t line,
                            int32_t column);

// Error codes of a read.
enum : int32_t {
  CLASSFILE_TRUNCATED = 1,  // the bytes ended before a read
  CLASSFILE_MAGIC = 2,
  CLASSFILE_POOL_TAG = 3,
  CLASSFILE_CLASS_FLAGS = 4,
  CLASSFILE_SUPERCLASS = 5,
  CLASSFILE_INTERFACE = 6,
  CLASSFILE_FIELD_FLAGS = 7,
  CLASSFILE_METHOD_FLAGS = 8,
  CLASSFILE_METHOD_NAME_ENTRY = 9,
  CLASSFILE_EXCEPTION_CLASS = 10,
  CLASSFILE_FIELD = 11,
  CLASSFILE_METHOD_DESCRIPTOR = 12,
  CLASSFILE_METHOD_NAME = 13,
  CLASSFILE_THIS_CLASS = 14,
  CLASSFILE_LONG = 15,
  CLASSFILE_DOUBLE = 16,
  CLASSFILE_FLOAT = 17,
  CLASSFILE_INTEGER = 18,
  CLASSFILE_STRING = 23,
};

// Forgets the internal names read so far, which point into the main arena; with the class table.
void resetClassReader();

// True while a class file is being read or its references resolved: names in class files are
// binary names by right.
bool readingClassFile();

// Sets the reads of the interrupted work aside while a source file found along the source path is
// parsed and checked in the middle of them: the classes that file needs are read and resolved in
// full before its checks look at them.
class ClassReadSession {
 public:
  ClassReadSession();
  ~ClassReadSession();
  ClassReadSession(const ClassReadSession&) = delete;
  ClassReadSession& operator=(const ClassReadSession&) = delete;

 private:
  void* interrupted;
};

uint16_t classFlagsToModifiers(uint16_t old, uint16_t flags);
uint16_t memberFlagsToModifiers(uint16_t old, uint16_t flags);

// Walks a class file strictly in file order and prints what it declares. Every attribute is left by
// its own length, whatever its content made the reader consume, so a malformed attribute cannot
// shift the walk of the rest of the file.
#include "class_printer.h"

#include <cinttypes>
#include <cstdio>

#include "bounded_reader.h"
#include "constant_pool.h"
#include "disassembler.h"
#include "dump_state.h"
#include "source_lines.h"
#include "support/class_file_format.h"

namespace {

void printUnknownFlags(uint32_t flags, uint32_t known) {
  if (flags & ~known) std::printf("unknown 0x%04x ", flags & ~known);
}

// Moves the cursor to the end of the attribute whose data begins at `dataStart`.
void leaveAttribute(int64_t dataStart, uint32_t length) {
  dumpSeek(dataStart);
  dumpSkipBytes(length);
}

void printDeclaration() {
  uint32_t flags = dumpReadU2();
  uint32_t thisClass = dumpReadU2();
  uint32_t superClass = dumpReadU2();
  printAccessFlags(flags, true);
  printUnknownFlags(flags, CLASS_ACCESS_FLAGS);
  std::printf("%s", getClassName(thisClass).c_str());
  if (superClass != 0) std::printf(" extends %s", getClassName(superClass).c_str());
  uint32_t interfaceCount = dumpReadU2();
  if (interfaceCount != 0) std::printf(" implements");
  for (uint32_t i = 0; i < interfaceCount; i++) {
    std::printf("%s %s", i == 0 ? "" : ",", getClassName(dumpReadU2()).c_str());
  }
  std::printf("\n");
}

void printFields() {
  uint32_t count = dumpReadU2();
  for (uint32_t i = 0; i < count; i++) {
    std::printf("\t");
    uint32_t flags = dumpReadU2();
    printAccessFlags(flags, false);
    printUnknownFlags(flags, FIELD_ACCESS_FLAGS);
    uint32_t name = dumpReadU2();
    uint32_t descriptor = dumpReadU2();
    std::printf("%s %s", getUtf8(name).c_str(), getUtf8(descriptor).c_str());
    uint32_t attributeCount = dumpReadU2();
    for (uint32_t j = 0; j < attributeCount; j++) {
      std::string attribute = getUtf8(dumpReadU2());
      uint32_t length = dumpReadU4();
      int64_t dataStart = dumpPosition();
      if (attribute == "ConstantValue") {
        std::printf(" ");
        printConstant(dumpReadU2());
      } else if (!dump.declarationsOnly) {
        std::printf(" %s (%" PRIu32 ")", attribute.c_str(), length);
      }
      leaveAttribute(dataStart, length);
    }
    std::printf("\n");
  }
}

void printMethods() {
  uint32_t count = dumpReadU2();
  for (uint32_t i = 0; i < count; i++) {
    std::printf("\t");
    uint32_t flags = dumpReadU2();
    printAccessFlags(flags, false);
    printUnknownFlags(flags, METHOD_ACCESS_FLAGS);
    uint32_t name = dumpReadU2();
    uint32_t descriptor = dumpReadU2();
    std::printf("%s %s", getUtf8(name).c_str(), getUtf8(descriptor).c_str());
    uint32_t attributeCount = dumpReadU2();
    int64_t codePosition = -1;
    for (uint32_t j = 0; j < attributeCount; j++) {
      uint32_t attributeName = dumpReadU2();
      int64_t lengthPosition = dumpPosition();
      uint32_t length = dumpReadU4();
      int64_t dataStart = dumpPosition();
      if (!dump.declarationsOnly) {
        std::string attribute = getUtf8(attributeName);
        std::printf(" %s", attribute.c_str());
        if (attribute == "Code") {
          codePosition = lengthPosition;
        } else if (attribute == "Exceptions") {
          uint32_t exceptionCount = dumpReadU2();
          if (exceptionCount != 0) std::printf(" throws");
          for (uint32_t k = 0; k < exceptionCount; k++) {
            std::printf(" %s", getClassName(dumpReadU2()).c_str());
          }
        }
      }
      leaveAttribute(dataStart, length);
    }
    std::printf("\n");
    if (codePosition >= 0) printCode(name, codePosition);
  }
}

void printInnerClasses() {
  uint32_t count = dumpReadU2();
  std::printf("  %u element(s)\n", count);
  for (uint32_t i = 0; i < count; i++) {
    uint32_t innerClass = dumpReadU2();
    uint32_t outerClass = dumpReadU2();
    uint32_t simpleName = dumpReadU2();
    uint32_t flags = dumpReadU2();
    std::printf("        ");
    printAccessFlags(flags, true);
    // An anonymous class has name index 0; an empty name instead is a known compiler fault that
    // the file's closing warning points out.
    std::string name;
    if (simpleName != 0) {
      name = getUtf8(simpleName);
      if (name.empty()) {
        name = "\"\"";
        dump.innerClassesProblem = true;
      }
    }
    std::printf("class %s ", name.c_str());
    std::printf("[%s] ", getClassName(innerClass).c_str());
    if (outerClass != 0) std::printf(" inside [%s]", getClassName(outerClass).c_str());
    std::printf("\n");
  }
}

void printClassAttributes() {
  uint32_t count = dumpReadU2();
  std::printf("\nAttributes\n\n");
  for (uint32_t i = 0; i < count; i++) {
    std::string attribute = getUtf8(dumpReadU2());
    uint32_t length = dumpReadU4();
    int64_t dataStart = dumpPosition();
    std::printf("    %s (%" PRIu32 ")", attribute.c_str(), length);
    if (attribute == "SourceFile" && length == 2) {
      uint32_t index = dumpReadU2();
      std::string name = getUtf8(index);
      if (isUtf8(index)) {
        dump.hasSourceFile = true;
        dump.sourceFileName = name;
      }
      std::printf(" %s", name.c_str());
    } else if (attribute == "SourcePath" && length == 4) {
      std::string directory = getUtf8(dumpReadU2());
      std::string file = getUtf8(dumpReadU2());
      std::printf(" cd=%s, file=%s", directory.c_str(), file.c_str());
    } else if (attribute == "InnerClasses" && length > 0) {
      printInnerClasses();
    }
    leaveAttribute(dataStart, length);
    std::printf("\n");
  }
}

}  // namespace

void printClassFile() {
  uint32_t magic = dumpReadU4();
  if (magic != CLASS_MAGIC) {
    std::printf("Magic number incorrect: %08x should be %08x\n", magic, CLASS_MAGIC);
    dump.errorFlag = true;
    return;
  }
  uint32_t minor = dumpReadU2();
  uint32_t major = dumpReadU2();
  uint32_t poolCount = dumpReadU2();
  std::printf("\tVersion %u.%u\n", major, minor);
  if (major != CLASS_MAJOR_VERSION) {
    std::printf("Not version %u\n", static_cast<unsigned>(CLASS_MAJOR_VERSION));
    dump.errorFlag = true;
    return;
  }
  if (!indexConstantPool(poolCount)) return;
  printDeclaration();
  std::printf("{\n");
  printFields();
  printMethods();
  std::printf("}\n");
  if (!dump.declarationsOnly) printClassAttributes();
  if (dump.showConstantPool) printConstantPool();
  if (dump.showSource) {
    // A file without a SourceFile attribute has nothing to list: no name is carried over from
    // the file dumped before it.
    if (dump.hasSourceFile) printSourceLines(dump.sourceFileName, dump.smallestLine, dump.largestLine);
    dump.smallestLine = NO_SMALLEST_LINE;
    dump.largestLine = 0;
  }
}

void printAccessFlags(uint32_t flags, bool classContext) {
  if (flags & ACC_PUBLIC) std::printf("public ");
  if (flags & ACC_PRIVATE) std::printf("private ");
  if (flags & ACC_PROTECTED) std::printf("protected ");
  if (flags & ACC_FINAL) std::printf("final ");
  if ((flags & ACC_SUPER) && classContext) std::printf("super ");
  if (flags & ACC_ABSTRACT) std::printf("abstract ");
  if (flags & ACC_STATIC) std::printf("static ");
  if (flags & ACC_VOLATILE) std::printf("volatile ");
  if (flags & ACC_TRANSIENT) std::printf("transient ");
  if ((flags & ACC_SYNCHRONIZED) && !classContext) std::printf("synchronized ");
  if (flags & ACC_NATIVE) std::printf("native ");
  if (flags & ACC_FP_MODE) std::printf((flags & ACC_STRICT) ? "strictfp " : "widefp ");
  if (flags & ACC_INTERFACE) std::printf("interface ");
}

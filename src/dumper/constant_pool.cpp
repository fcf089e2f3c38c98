// Constant-pool index, listing and reference texts. Every text is made from the bytes at the
// constant's recorded position, read again through the bounded readers, so a pool that the index
// pass accepted can always be printed.
#include "constant_pool.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "bounded_reader.h"
#include "dump_state.h"

namespace {

// Saves the cursor and puts it back, for every lookup that reads elsewhere in the file.
class CursorKeeper {
 public:
  CursorKeeper() : saved_(dumpPosition()) {}
  ~CursorKeeper() { dumpSeek(saved_); }
  CursorKeeper(const CursorKeeper&) = delete;
  CursorKeeper& operator=(const CursorKeeper&) = delete;

 private:
  int64_t saved_;
};

bool inPool(uint32_t index) {
  return index >= 1 && index < dump.poolIndex.size() && dump.poolIndex[index] != 0;
}

// The tag of a constant that is in the pool; the cursor is left just after it.
uint32_t seekConstant(uint32_t index) {
  dumpSeek(dump.poolIndex[index]);
  return dumpReadU1();
}

// The bytes of the Utf8 constant at the cursor (after its tag). Bytes outside the printable ASCII
// range, which the "C" locale's isprint accepts, are written as \xNN so that the text stays one
// line whatever the constant holds.
std::string readUtf8Text() {
  uint32_t length = dumpReadU2();
  std::string text;
  text.reserve(length);
  for (uint32_t i = 0; i < length; i++) {
    uint32_t byte = dumpReadU1();
    if (byte >= 0x20 && byte < 0x7f) {
      text += static_cast<char>(byte);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      text += escaped;
    }
  }
  return text;
}

std::string complaint(const char* format, uint32_t index) {
  char text[64];
  std::snprintf(text, sizeof text, format, index);
  dump.errorFlag = true;
  return text;
}

// The second slot of a Long or Double has no constant of its own; the format reserves it.
bool isSecondSlot(uint32_t index) {
  if (index < 2 || index >= dump.poolIndex.size() || dump.poolIndex[index] != 0 ||
      dump.poolIndex[index - 1] == 0) {
    return false;
  }
  CursorKeeper keep;
  uint32_t tag = seekConstant(index - 1);
  return tag == CONSTANT_LONG || tag == CONSTANT_DOUBLE;
}

}  // namespace

bool indexConstantPool(uint32_t count) {
  dump.poolIndex.assign(count, 0);
  for (uint32_t i = 1; i < count; i++) {
    dump.poolIndex[i] = dumpPosition();
    uint32_t tag = dumpReadU1();
    switch (tag) {
      case CONSTANT_UTF8:
        dumpSkipBytes(dumpReadU2());
        break;
      case CONSTANT_INTEGER:
      case CONSTANT_FLOAT:
        dumpReadU4();
        break;
      case CONSTANT_LONG:
      case CONSTANT_DOUBLE:
        dumpReadU4();
        dumpReadU4();
        i++;
        break;
      case CONSTANT_CLASS:
      case CONSTANT_STRING:
        dumpReadU2();
        break;
      case CONSTANT_FIELD:
      case CONSTANT_METHOD:
      case CONSTANT_INTERFACE_METHOD:
      case CONSTANT_NAME_AND_TYPE:
        dumpReadU2();
        dumpReadU2();
        break;
      default:
        std::printf("Constant %u: Incorrect constant type %u\n", i, tag);
        printConstantPool();
        dump.errorFlag = true;
        return false;
    }
  }
  return true;
}

void printConstantPool() {
  std::printf("Constant Pool:\n\n");
  for (uint32_t i = 1; i < dump.poolIndex.size(); i++) {
    std::printf("\t%5u: ", i);
    // Listed as what it is: a valid file has one after every Long and Double.
    if (isSecondSlot(i)) {
      std::printf("(second slot of %u)", i - 1);
    } else {
      printConstant(i);
    }
    std::printf("\n");
  }
}

void printConstant(uint32_t index) {
  if (index < 1 || index >= dump.poolIndex.size()) {
    std::printf("<out of range index: %u>", index);
    dump.errorFlag = true;
    return;
  }
  if (dump.poolIndex[index] == 0) {
    std::printf("<invalid index: %u>", index);
    dump.errorFlag = true;
    return;
  }
  CursorKeeper keep;
  uint32_t tag = seekConstant(index);
  switch (tag) {
    case CONSTANT_UTF8:
      std::printf("'%s'", readUtf8Text().c_str());
      break;
    case CONSTANT_INTEGER:
      std::printf("Integer %" PRId32, dumpReadS4());
      break;
    case CONSTANT_FLOAT: {
      uint32_t bits = dumpReadU4();
      float value;
      std::memcpy(&value, &bits, sizeof value);
      std::printf("Float %g (0x%08" PRIx32 ")", static_cast<double>(value), bits);
      break;
    }
    case CONSTANT_LONG:
      std::printf("Long %" PRId64, dumpReadLong());
      break;
    case CONSTANT_DOUBLE:
      std::printf("Double %g", dumpReadDouble());
      break;
    case CONSTANT_CLASS:
      std::printf("Class '%s'", getUtf8(dumpReadU2()).c_str());
      break;
    case CONSTANT_STRING:
      std::printf("String '%s'", getUtf8(dumpReadU2()).c_str());
      break;
    case CONSTANT_FIELD:
    case CONSTANT_METHOD:
    case CONSTANT_INTERFACE_METHOD: {
      uint32_t classIndex = dumpReadU2();
      uint32_t nameAndType = dumpReadU2();
      std::printf("%s%s.%s", tag == CONSTANT_INTERFACE_METHOD ? "Intfc. " : "", getClassName(classIndex).c_str(),
                  getNameAndType(nameAndType).c_str());
      break;
    }
    case CONSTANT_NAME_AND_TYPE: {
      uint32_t name = dumpReadU2();
      uint32_t descriptor = dumpReadU2();
      std::printf("Name %u '%s' and type %u '%s'", name, getUtf8(name).c_str(), descriptor,
                  getUtf8(descriptor).c_str());
      break;
    }
    default:
      // Only the constant that stopped the index pass can have another tag.
      break;
  }
}

bool isUtf8(uint32_t index) {
  if (!inPool(index)) return false;
  CursorKeeper keep;
  return seekConstant(index) == CONSTANT_UTF8;
}

std::string getUtf8(uint32_t index) {
  if (!inPool(index)) return complaint("<invalid: %u>", index);
  CursorKeeper keep;
  if (seekConstant(index) != CONSTANT_UTF8) return complaint("<not a string: %u>", index);
  return readUtf8Text();
}

std::string getClassName(uint32_t index) {
  if (!inPool(index)) return complaint("<invalid: %u>", index);
  CursorKeeper keep;
  if (seekConstant(index) != CONSTANT_CLASS) return complaint("<not a class: %u>", index);
  return getUtf8(dumpReadU2());
}

std::string getNameAndType(uint32_t index) {
  if (!inPool(index)) return complaint("<invalid: %u>", index);
  CursorKeeper keep;
  if (seekConstant(index) != CONSTANT_NAME_AND_TYPE) {
    return complaint("<not a name and type: %u>", index);
  }
  uint32_t name = dumpReadU2();
  uint32_t descriptor = dumpReadU2();
  return getUtf8(name) + "{" + getUtf8(descriptor) + "}";
}

// Source bytes through the whole compile of a single source file: the scanner, the declaration
// parser, the class environment, the parse and attribution of every body and, when those pass,
// flow analysis, bytecode and the class-file writer. Its java.lang is a small one parsed from
// source. The class files stay in memory (a class-file sink): each is walked for its structure,
// every count and length against the bytes there are, and one that does not add up aborts the
// run as a finding. Only the input itself is a file, in a scratch directory on a memory file system.
// With FUZZ_SOURCE_MODE=evaluate in the environment the bytes are instead a debugger expression
// (as the IDE hands it over: ASCII, every other byte a Unicode escape) evaluated against a fixed
// frame of the model machine, its result read through every getter.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codegen/class_file_output.h"
#include "evaluate/expression_evaluation.h"
#include "evaluate/model_view.h"
#include "fuzz_support.h"

namespace {

// A bounded walk over a class file's structure.
struct ClassFileWalk {
  ClassFileWalk(const uint8_t* b, size_t n) : bytes(b), size(n) {}
  const uint8_t* bytes;
  size_t size;
  size_t at = 0;
  bool ok = true;
  std::vector<uint8_t> tags;
  std::vector<size_t> utf8At;

  uint32_t u1() {
    if (at + 1 > size) return fail();
    return bytes[at++];
  }
  uint32_t u2() {
    if (at + 2 > size) return fail();
    at += 2;
    return (bytes[at - 2] << 8) | bytes[at - 1];
  }
  uint32_t u4() {
    uint32_t high = u2();
    return (high << 16) | u2();
  }
  void skip(size_t n) {
    if (n > size - at) fail();
    else at += n;
  }
  uint32_t fail() {
    ok = false;
    at = size;
    return 0;
  }
  void index(uint8_t tag, bool zeroAllowed = false) {
    uint32_t i = u2();
    if (i == 0 && zeroAllowed) return;
    if (i == 0 || i >= tags.size() || tags[i] != tag) fail();
  }
  bool isName(uint32_t i, const char* name) {
    size_t length = std::strlen(name);
    size_t start = utf8At[i];
    uint32_t stored = (bytes[start] << 8) | bytes[start + 1];
    return stored == length && std::memcmp(bytes + start + 2, name, length) == 0;
  }
  void attributes() {
    for (uint32_t n = u2(); n > 0 && ok; n--) {
      uint32_t name = u2();
      if (name == 0 || name >= tags.size() || tags[name] != 1) fail();
      uint32_t length = u4();
      if (!ok || length > size - at) {
        fail();
        return;
      }
      size_t end = at + length;
      if (isName(name, "Code")) {
        u2();  // max_stack
        u2();  // max_locals
        uint32_t code = u4();
        if (code == 0 || code > 65535) fail();
        skip(code);
        skip(static_cast<size_t>(u2()) * 8);
        attributes();
        if (at != end) fail();
      }
      at = end;
    }
  }
  void members() {
    for (uint32_t n = u2(); n > 0 && ok; n--) {
      u2();
      index(1);
      index(1);
      attributes();
    }
  }
  bool walk() {
    if (u4() != 0xCAFEBABE || u2() != 3 || u2() != 45) return false;
    uint32_t count = u2();
    if (count == 0) return false;
    tags.assign(count, 0);
    utf8At.assign(count, 0);
    for (uint32_t i = 1; i < count && ok; i++) {
      uint8_t tag = static_cast<uint8_t>(u1());
      tags[i] = tag;
      switch (tag) {
        case 1: utf8At[i] = at; skip(u2()); break;
        case 3: case 4: skip(4); break;
        case 5: case 6: skip(8); i++; break;
        case 7: case 8: skip(2); break;
        case 9: case 10: case 11: case 12: skip(4); break;
        default: fail();
      }
    }
    u2();  // access_flags
    index(7);
    index(7, true);
    for (uint32_t n = u2(); n > 0 && ok; n--) index(7);
    members();
    members();
    attributes();
    return ok && at == size;
  }
};

bool checkClassFile(ClassDef*, const uint8_t* bytes, int32_t size) {
  ClassFileWalk walk{bytes, static_cast<size_t>(size)};
  if (!walk.walk()) {
    std::fprintf(stderr, "malformed class file written (%d bytes, walk stopped at %zu)\n", size, walk.at);
    std::abort();
  }
  return true;
}

char* copyDirectory(const void* directory) {
  return directory != nullptr ? strdup(static_cast<const char*>(directory)) : nullptr;
}

// An instance method's frame: this with fields, locals of the eight primitive kinds, a string,
// arrays of several element kinds (one of arrays), nulls, an object with fields that link to
// another, a static field, and a local whose range has not begun.
ModelView& fixedFrame() {
  static ModelView vm = [] {
    ModelView m;
    m.pc = 10;
    int32_t pointClass = m.addClass({});
    VmObject point = m.addObject(pointClass);
    VmObject next = m.addObject(pointClass);
    m.classes[pointClass].fields = {
        {"px", "I", false, modelInt(3)},          {"py", "D", false, modelFloating(2.5)},
        {"next", "LPoint;", false, modelReference(next)}, {"none", "LPoint;", false, modelReference(0)},
        {"count", "J", true, modelInt(1234567890123LL)},  {"flag", "Z", false, modelInt(1)},
        {"name", "Ljava/lang/String;", false, modelReference(0)}, {"grid", "[[I", false, modelReference(0)},
    };
    VmObject text = m.addObject(m.addClass({}));
    VmObject ints = m.addArray({modelInt(10), modelInt(-20), modelInt(30), modelInt(40), modelInt(50)});
    VmObject row = m.addArray({modelInt(1), modelInt(2)});
    VmObject grid = m.addArray({modelReference(row), modelReference(0)});
    m.classes[pointClass].fields[7].value = modelReference(grid);
    VmObject self = m.addObject(m.addClass({{"x", "I", false, modelInt(7)}, {"f", "F", false, modelFloating(0.25)}}));
    m.addLocal("this", "LFrame;", 0, modelReference(self));
    m.addLocal("i", "I", 1, modelInt(41));
    m.addLocal("l", "J", 2, modelInt(-(1LL << 40)));
    m.addLocal("d", "D", 4, modelFloating(10.0));
    m.addLocal("f", "F", 6, modelFloating(1.5));
    m.addLocal("c", "C", 7, modelInt('q'));
    m.addLocal("b", "Z", 8, modelInt(1));
    m.addLocal("z", "Z", 9, modelInt(0));
    m.addLocal("by", "B", 10, modelInt(-5));
    m.addLocal("sh", "S", 11, modelInt(-300));
    m.addLocal("s", "Ljava/lang/String;", 12, modelReference(text));
    m.addLocal("arr", "[I", 13, modelReference(ints));
    m.addLocal("nul", "Ljava/lang/Object;", 14, modelReference(0));
    m.addLocal("nullArr", "[I", 15, modelReference(0));
    m.addLocal("obj", "LPoint;", 16, modelReference(point));
    m.addLocal("bytes", "[B", 17, modelReference(m.addArray({modelInt(0xff), modelInt(127)})));
    m.addLocal("chars", "[C", 18, modelReference(m.addArray({modelInt(0xffff), modelInt('a')})));
    m.addLocal("late", "I", 19, modelInt(5), 500, 10);
    m.addLocal("grid", "[[I", 20, modelReference(grid));
    m.addLocal("ds", "[D", 21, modelReference(m.addArray({modelFloating(-0.0), modelFloating(1e308)})));
    m.addLocal("edge", "J", 22, modelInt(INT64_MIN));
    return m;
  }();
  return vm;
}

void evaluateInput(const uint8_t* data, size_t size) {
  std::string text;
  text.reserve(size);
  for (size_t i = 0; i < size; i++) {
    uint8_t b = data[i];
    if (b >= 1 && b <= 127) {
      text += static_cast<char>(b);
    } else {
      static const char digits[] = "0123456789abcdef";
      text += "\\u00";
      text += digits[b >> 4];
      text += digits[b & 15];
    }
  }
  static const std::string messages = std::string(FUZZ_MESSAGES);
  ModelView& vm = fixedFrame();
  size_t objects = vm.objects.size();
  evaluateExpression(&vm, 0, text.c_str(), copyDirectory, messages.c_str(), nullptr);
  evaluationObjectValue();
  evaluationLongValue();
  evaluationDoubleValue();
  evaluationCharacterValue();
  evaluationBooleanValue();
  char16_t units[ERROR_TEXT_UNITS];
  evaluationErrorText(units);
  evaluationDone();
  evaluationSignature();
  evaluationErrorText(units);
  // The strings the getters made are the only objects an evaluation adds.
  vm.objects.resize(objects);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  static const bool evaluate = [] {
    const char* mode = std::getenv("FUZZ_SOURCE_MODE");
    return mode != nullptr && std::strcmp(mode, "evaluate") == 0;
  }();
  if (evaluate) {
    evaluateInput(data, size);
    return 0;
  }
  setClassFileSink(checkClassFile);
  const std::string& dir = fuzzDirectory();
  writeInput(dir + "/A.java", data, size);
  compileInProcess({"-d", dir, "-nomessage", "-J-Dtolvo.pipe.output=true", "-bootclasspath",
                    dir + "/classes", "-classpath", dir + "/classes", "-sourcepath", FUZZ_MINILIB, dir + "/A.java"});
  return 0;
}

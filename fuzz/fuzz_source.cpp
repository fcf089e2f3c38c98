// Source bytes through the whole compile of a single source file: the scanner, the declaration
// parser, the class environment, the parse and attribution of every body and, when those pass,
// flow analysis, bytecode and the class-file writer. Its java.lang is a small one parsed from
// source; the class files go to a scratch directory on a memory file system, emptied after every
// input so that no input sees another's classes and the disk never fills.
// With FUZZ_SOURCE_MODE=evaluate in the environment the bytes are instead a debugger expression
// (as the IDE hands it over: ASCII, every other byte a Unicode escape) evaluated against a fixed
// frame of the model machine, its result read through every getter.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "evaluate/expression_evaluation.h"
#include "evaluate/model_view.h"
#include "fuzz_support.h"

namespace {

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
  const std::string& dir = fuzzDirectory();
  const std::string out = dir + "/out";
  writeInput(dir + "/A.java", data, size);
  std::filesystem::create_directories(out);
  compileInProcess({"-d", out, "-nomessage", "-J-Dtolvo.pipe.output=true", "-bootclasspath", dir + "/classes",
                    "-classpath", dir + "/classes", "-sourcepath", FUZZ_MINILIB, dir + "/A.java"});
  std::error_code ignored;
  std::filesystem::remove_all(out, ignored);
  return 0;
}

// What the sample tests read out of the two listings of one class file: javap's "-v -c -l -p"
// output and gorblet's "-l -const" output, each parsed into records so that the tests compare
// them element by element.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// --- javap

struct JavapConstant {
  std::string kind;             // "Utf8", "Class", "Methodref", ...
  std::vector<uint32_t> refs;   // the #indexes it names
  std::string literal;          // the value of a Utf8, Integer, Float, Long or Double
};

struct JavapInstruction {
  int64_t pc = 0;
  std::string mnemonic;
  std::string args;  // without the comment
  // A switch's entries in javap's order, the default last: key (a number or "default"), target.
  std::vector<std::pair<std::string, int64_t>> cases;
  int64_t low = 0, high = 0;  // a tableswitch's range
};

struct JavapException {
  int64_t from, to, target;
  std::string type;  // "any" or the class's internal name
};

struct JavapLocal {
  int64_t start, length, slot;
  std::string name, signature;
};

struct JavapCode {
  int64_t stack = 0, locals = 0;
  std::vector<JavapInstruction> instructions;
  std::vector<JavapException> exceptions;
  bool hasLineTable = false;
  std::vector<std::pair<int64_t, int64_t>> lines;  // (pc, line) in file order
  bool hasLocalTable = false;
  std::vector<JavapLocal> localVariables;
};

struct JavapMember {
  std::string declaration;
  std::string descriptor;
  uint32_t flags = 0;
  std::vector<std::string> attributes;  // in file order
  std::string constantValue;            // "int 5", "String abc", ...
  std::vector<std::string> throws;      // dotted names
  std::optional<JavapCode> code;
};

struct JavapInnerClass {
  std::vector<std::string> words;
  uint32_t inner = 0, outer = 0, name = 0;
};

struct JavapClass {
  std::string file;
  std::string declaration;
  uint32_t minor = 0, major = 0, flags = 0, thisClass = 0, superClass = 0;
  size_t interfaceCount = 0, fieldCount = 0;
  std::map<uint32_t, JavapConstant> pool;
  std::vector<JavapMember> members;  // the fields first
  std::vector<std::string> classAttributes;
  std::string sourceFile;
  std::vector<JavapInnerClass> innerClasses;
};

// Splits the output of one javap run over several files into one record per class file.
std::vector<JavapClass> parseJavap(const std::string& output);

// --- gorblet

struct GorbletInstruction {
  int64_t pc = -1;        // from the -l column; -1 when the line has none
  int64_t line = 0;
  int64_t markedPc = -1;  // the pc printed beside a mark, -1 without a mark
  std::string mnemonic;
  std::string operands;
  std::vector<std::string> continuation;  // a switch's entry lines
};

struct GorbletCode {
  std::string header;
  std::string attributesLine;  // "" or the "Attributes" line
  std::vector<GorbletInstruction> instructions;
  std::vector<std::string> exceptionRows;
  bool hasLineTable = false;
  std::vector<std::pair<int64_t, int64_t>> lines;
  bool hasLocalTable = false;
  std::vector<std::string> localRows;
};

struct GorbletMember {
  uint32_t flags = 0;
  std::string name, descriptor, rest;
  std::optional<GorbletCode> code;
};

struct GorbletClass {
  std::string versionLine;
  uint32_t flags = 0;
  std::string thisName, superName;
  std::vector<std::string> interfaces;
  std::vector<GorbletMember> members;
  std::vector<std::string> attributeLines;  // "    NAME (LENGTH)..." in order
  std::vector<std::string> innerClassLines;
  std::map<uint32_t, std::string> pool;
};

// Parses gorblet's listing of one class file made with -l and -const. A line that fits nowhere in
// the layout fails the current test.
GorbletClass parseGorblet(const std::string& output);
// The bits of gorblet's flag words at the start of `text`, which is left at the first other word.
uint32_t parseFlagWords(std::string& text, bool classContext);

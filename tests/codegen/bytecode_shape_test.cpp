// The shape of generated code, read back with gorblet: each case of bytecode_shapes.cases is a
// class S whose method's instructions (and exception table) must be exactly those listed, one
// normalised listing line each. What the virtual machine cannot tell apart is fixed here: the
// shortest constant forms, iinc against load-add-store, ifnull, lcmp and fcmpg, tableswitch
// against lookupswitch by the rule and with -O, newarray codes, jsr and ret around a finally,
// and the order of the exception table.
//
// Case syntax:
//   === name
//   options: ...            quorvelix options (-g:nodebug is always given)
//   file: S.java <<END      the class, up to END
//   method: name            the method whose code is listed
//   code <<END              its listing lines, whitespace collapsed, jump labels ("12@") kept
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../dumper/gorblet_process.h"

namespace fs = std::filesystem;

namespace {

struct ShapeCase {
  std::string name;
  int line = 0;
  std::string options;
  std::string source;
  std::string method;
  std::vector<std::string> code;
};

void PrintTo(const ShapeCase& c, std::ostream* out) {
  *out << "bytecode_shapes.cases:" << c.line << " " << c.name;
}

std::string heredoc(std::istream& in, const std::string& terminator, int* number) {
  std::string text;
  for (std::string line; std::getline(in, line);) {
    (*number)++;
    if (line == terminator) return text;
    text += line + "\n";
  }
  throw std::runtime_error("bytecode_shapes.cases: missing " + terminator);
}

std::string collapse(const std::string& line) {
  std::istringstream words(line);
  std::string out;
  for (std::string w; words >> w;) out += (out.empty() ? "" : " ") + w;
  return out;
}

std::vector<ShapeCase> readCases() {
  std::ifstream in(CODEGEN_SOURCES "/bytecode_shapes.cases");
  if (!in) throw std::runtime_error("cannot read bytecode_shapes.cases");
  std::vector<ShapeCase> cases;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    number++;
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("=== ", 0) == 0) {
      cases.push_back(ShapeCase{line.substr(4), number, "", "", "", {}});
      continue;
    }
    if (cases.empty()) throw std::runtime_error("bytecode_shapes.cases: text before the first case");
    ShapeCase& c = cases.back();
    size_t here = line.find(" <<");
    if (line.rfind("options: ", 0) == 0) {
      c.options = line.substr(9);
    } else if (line.rfind("method: ", 0) == 0) {
      c.method = line.substr(8);
    } else if (line.rfind("file: ", 0) == 0 && here != std::string::npos) {
      c.source = heredoc(in, line.substr(here + 3), &number);
    } else if (line.rfind("code", 0) == 0 && here != std::string::npos) {
      std::istringstream text(heredoc(in, line.substr(here + 3), &number));
      for (std::string l; std::getline(text, l);)
        if (!collapse(l).empty()) c.code.push_back(collapse(l));
    } else {
      throw std::runtime_error("bytecode_shapes.cases:" + std::to_string(number) + ": cannot read: " + line);
    }
  }
  return cases;
}

// The listing lines of one method's code and exception table, collapsed: they run from the
// method's header (one tab, then its name) to the next member's header or the class's end.
std::vector<std::string> methodListing(const std::string& listing, const std::string& method) {
  std::istringstream in(listing);
  std::vector<std::string> lines;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    std::string c = collapse(line);
    bool header = line.size() > 1 && line[0] == '\t' && line[1] != '\t' && line[1] != ' ';
    if (!inside) {
      inside = header && line.rfind("\t" + method + " (", 0) == 0 && c.find(" Code") != std::string::npos;
      continue;
    }
    if (header || c == "}") break;
    if (c.rfind("Max stack", 0) == 0 || c.empty()) continue;
    lines.push_back(c);
  }
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

class BytecodeShape : public testing::TestWithParam<ShapeCase> {};

TEST_P(BytecodeShape, MethodCodeIsAsListed) {
  const ShapeCase& c = GetParam();
  std::string dir = freshDirectory("shape-" + std::to_string(c.line));
  writeFile(dir + "/S.java", c.source);
  std::vector<std::string> argv{QUORVELIX_PATH, "-g:nodebug"};
  std::istringstream options(c.options);
  for (std::string o; options >> o;) argv.push_back(o);
  argv.insert(argv.end(), {"-d", ".", "S.java"});
  ProcessResult compiled = runProgram(argv, dir);
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  ProcessResult listing = runGorblet({"S.class"}, dir);
  ASSERT_EQ(listing.status, 0) << listing.err;
  EXPECT_EQ(joined(methodListing(listing.out, c.method)), joined(c.code)) << listing.out;
}

std::string caseName(const testing::TestParamInfo<ShapeCase>& info) {
  std::string name;
  for (char ch : info.param.name) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return "line" + std::to_string(info.param.line) + "_" + name.substr(0, 60);
}

INSTANTIATE_TEST_SUITE_P(Shapes, BytecodeShape, testing::ValuesIn(readCases()), caseName);

}  // namespace

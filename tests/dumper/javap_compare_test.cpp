// gorblet against javap on every class file that ecj makes from the Java samples kept here. javap's
// facts are turned into gorblet's notation and compared one by one: constant pool, flags, names,
// descriptors, constant values, exceptions, code headers, each instruction's pc, line, mark and
// operands, exception, line-number and local-variable tables, and the class attributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gorblet_process.h"
#include "javap_records.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> SAMPLES = {"Families", "LongJumps", "ManyLocals", "Nesting", "Sample"};

std::vector<std::string> classFiles(const std::string& sample) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(fs::path(SAMPLES_DIR) / sample)) {
    if (entry.path().extension() == ".class") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string runJavap(const std::vector<std::string>& options, const std::vector<std::string>& files) {
  // javap writes its output in the platform encoding unless told otherwise; UTF-8 keeps every
  // character of a Utf8 constant.
  std::vector<std::string> argv{JAVAP_PATH, "-J-Dfile.encoding=UTF-8"};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), files.begin(), files.end());
  ProcessResult result = runProgram(argv);
  EXPECT_EQ(result.status, 0) << result.err;
  return result.out;
}

long long ll(int64_t value) {
  return value;
}

std::string format(const char* pattern, auto... values) {
  char text[512];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

// --- Utf8 texts: javap prints the characters with escapes; gorblet prints the constant's bytes.

void appendModifiedUtf8(std::string& bytes, uint32_t unit) {
  if (unit != 0 && unit < 0x80) {
    bytes += static_cast<char>(unit);
  } else if (unit < 0x800) {
    bytes += static_cast<char>(0xC0 | (unit >> 6));
    bytes += static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    bytes += static_cast<char>(0xE0 | (unit >> 12));
    bytes += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (unit & 0x3F));
  }
}

// The bytes of the constant that javap printed as `text`: escapes undone, UTF-8 decoded, and each
// UTF-16 unit written in the class file's modified UTF-8.
std::string constantBytes(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t point;
    if (c == '\\' && i + 1 < text.size()) {
      char e = text[i + 1];
      i += 2;
      switch (e) {
        case 't': point = '\t'; break;
        case 'n': point = '\n'; break;
        case 'r': point = '\r'; break;
        case 'b': point = '\b'; break;
        case 'f': point = '\f'; break;
        case 'u':
          point = static_cast<uint32_t>(std::stoul(text.substr(i, 4), nullptr, 16));
          i += 4;
          break;
        default: point = static_cast<unsigned char>(e); break;
      }
    } else if (c < 0x80) {
      point = c;
      i++;
    } else {
      int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
      point = c & (0x3F >> extra);
      for (int k = 1; k <= extra; k++) point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
      i += 1 + extra;
    }
    if (point > 0xFFFF) {
      point -= 0x10000;
      appendModifiedUtf8(bytes, 0xD800 + (point >> 10));
      appendModifiedUtf8(bytes, 0xDC00 + (point & 0x3FF));
    } else {
      appendModifiedUtf8(bytes, point);
    }
  }
  return bytes;
}

std::string escapeBytes(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    text += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : format("\\x%02x", c);
  }
  return text;
}

// The constant pool as javap showed it, rendered the way gorblet renders references.
class Pool {
 public:
  explicit Pool(const JavapClass& c) : c_(c) {}

  const JavapConstant& at(uint32_t index) const {
    static const JavapConstant missing;
    auto found = c_.pool.find(index);
    if (found == c_.pool.end()) {
      ADD_FAILURE() << "javap shows no constant " << index;
      return missing;
    }
    return found->second;
  }
  uint32_t ref(uint32_t index, size_t n) const {
    const JavapConstant& constant = at(index);
    if (constant.refs.size() <= n) {
      ADD_FAILURE() << "constant " << index << " has no reference " << n;
      return 0;
    }
    return constant.refs[n];
  }

  std::string utf8(uint32_t index) const { return escapeBytes(constantBytes(at(index).literal)); }
  std::string className(uint32_t index) const { return utf8(ref(index, 0)); }
  std::string nameAndType(uint32_t index) const {
    return utf8(ref(index, 0)) + "{" + utf8(ref(index, 1)) + "}";
  }

  // gorblet's printConstant.
  std::string constant(uint32_t index) const {
    const JavapConstant& c = at(index);
    if (c.kind == "Utf8") return "'" + utf8(index) + "'";
    if (c.kind == "Integer") return "Integer " + c.literal;
    if (c.kind == "Long") return "Long " + withoutSuffix(c.literal);
    if (c.kind == "Float") return floatText(withoutSuffix(c.literal));
    if (c.kind == "Double") return "Double " + format("%g", std::strtod(withoutSuffix(c.literal).c_str(), nullptr));
    if (c.kind == "Class") return "Class '" + className(index) + "'";
    if (c.kind == "String") return "String '" + utf8(ref(index, 0)) + "'";
    if (c.kind == "Fieldref" || c.kind == "Methodref" || c.kind == "InterfaceMethodref") {
      std::string member = className(ref(index, 0)) + "." + nameAndType(ref(index, 1));
      return c.kind == "InterfaceMethodref" ? "Intfc. " + member : member;
    }
    if (c.kind == "NameAndType") {
      return format("Name %u '%s' and type %u '%s'", ref(index, 0), utf8(ref(index, 0)).c_str(), ref(index, 1),
                    utf8(ref(index, 1)).c_str());
    }
    ADD_FAILURE() << "constant kind " << c.kind;
    return "";
  }

  // gorblet's text for the constant that javap shows as a ConstantValue ("int 5", "String abc").
  std::string constantValue(const std::string& value) const {
    size_t blank = value.find(' ');
    std::string kind = value.substr(0, blank);
    std::string text = value.substr(blank + 1);
    if (kind == "int") return "Integer " + text;
    if (kind == "long") return "Long " + withoutSuffix(text);
    if (kind == "float") return floatText(withoutSuffix(text));
    if (kind == "double") return "Double " + format("%g", std::strtod(withoutSuffix(text).c_str(), nullptr));
    if (kind == "String") return "String '" + escapeBytes(constantBytes(text)) + "'";
    ADD_FAILURE() << "constant value " << value;
    return "";
  }

 private:
  static std::string withoutSuffix(const std::string& literal) { return literal.substr(0, literal.size() - 1); }
  static std::string floatText(const std::string& literal) {
    // strtof, unlike stof, takes subnormal values such as Float.MIN_VALUE.
    float value = std::strtof(literal.c_str(), nullptr);
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return format("Float %g (0x%08x)", static_cast<double>(value), bits);
  }

  const JavapClass& c_;
};

// --- Instructions

const std::set<std::string> BRANCHES = {"ifeq",      "ifne",      "iflt",      "ifge",      "ifgt",
                                        "ifle",      "if_icmpeq", "if_icmpne", "if_icmplt", "if_icmpge",
                                        "if_icmpgt", "if_icmple", "if_acmpeq", "if_acmpne", "goto",
                                        "jsr",       "ifnull",    "ifnonnull", "goto_w",    "jsr_w"};
const std::set<std::string> CONSTANT_OPERANDS = {"ldc",          "ldc_w",         "ldc2_w",        "getstatic",
                                                 "putstatic",    "getfield",      "putfield",      "invokevirtual",
                                                 "invokespecial", "invokestatic", "new",           "anewarray",
                                                 "checkcast",    "instanceof"};
const std::regex SLOT_IN_NAME(R"(^[ilfda](load|store)_([0-3])$)");
const std::regex SLOT_OPERAND(R"(^([ilfda](load|store)|ret)(_w)?$)");
const std::regex IINC(R"(^iinc(_w)?$)");
const std::regex INDEX_AND_COUNT(R"(^#(\d+), +(\d+)$)");

bool isWideForm(const std::string& mnemonic) {
  return std::regex_match(mnemonic, SLOT_OPERAND) ? mnemonic.size() > 2 && mnemonic.ends_with("_w")
                                                  : mnemonic == "iinc_w";
}

uint32_t indexOperand(const std::string& args) {
  if (args.empty() || args[0] != '#') {
    ADD_FAILURE() << "no constant index in " << args;
    return 0;
  }
  return static_cast<uint32_t>(std::stoul(args.substr(1)));
}

class CodeView {
 public:
  CodeView(const JavapCode& code, const Pool& pool) : code_(code), pool_(pool) {}

  // " 'name'" of the first local that lives in `slot` at `pc`, both ends of its range included.
  std::string localName(int64_t slot, int64_t pc) const {
    if (!code_.hasLocalTable) return "";
    for (const JavapLocal& local : code_.localVariables) {
      if (local.slot == slot && local.start <= pc && pc <= local.start + local.length) {
        return " '" + escapeBytes(constantBytes(local.name)) + "'";
      }
    }
    return "";
  }

  // Every pc that a branch, a switch or the exception table names, inside the code.
  std::set<int64_t> marks(int64_t codeLength) const {
    std::set<int64_t> marked;
    auto mark = [&](int64_t pc) {
      if (pc >= 0 && pc < codeLength) marked.insert(pc);
    };
    for (const JavapInstruction& insn : code_.instructions) {
      if (BRANCHES.count(insn.mnemonic)) mark(std::stoll(insn.args));
      for (const auto& entry : insn.cases) mark(entry.second);
    }
    for (const JavapException& entry : code_.exceptions) {
      mark(entry.from);
      mark(entry.to);
      mark(entry.target);
    }
    return marked;
  }

  // The source line gorblet shows beside `pc`: the last entry at or before it in pc order, else
  // the first entry's.
  int64_t lineAt(int64_t pc) const {
    std::vector<std::pair<int64_t, int64_t>> sorted = code_.lines;
    std::stable_sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.first < b.first; });
    if (sorted.empty()) return 0;
    int64_t line = sorted.front().second;
    for (const auto& [entryPc, entryLine] : sorted) {
      if (entryPc <= pc) line = entryLine;
    }
    return line;
  }

  // gorblet's operand text and switch entry lines for one instruction.
  std::pair<std::string, std::vector<std::string>> operands(const JavapInstruction& insn) const {
    const std::string& name = insn.mnemonic;
    int64_t at = isWideForm(name) ? insn.pc + 1 : insn.pc;
    std::smatch m;
    if (std::regex_match(name, m, SLOT_IN_NAME)) {
      int64_t slot = std::stoll(m[2]);
      return {format("Slot %lld", ll(slot)) + localName(slot, m[1] == "load" ? at : at + 1), {}};
    }
    if (std::regex_match(name, m, SLOT_OPERAND)) {
      int64_t slot = std::stoll(insn.args);
      // A store's local is named where the instruction ends: two bytes on, four with wide.
      int64_t end = insn.pc + (isWideForm(name) ? 4 : 2);
      bool store = m[2] == "store";
      return {"Slot " + insn.args + localName(slot, store ? end : at), {}};
    }
    if (std::regex_match(name, IINC)) {
      size_t comma = insn.args.find(',');
      int64_t slot = std::stoll(insn.args.substr(0, comma));
      int64_t increment = std::stoll(insn.args.substr(comma + 1));
      return {format("Slot %lld", ll(slot)) + localName(slot, at) + format(",%lld", ll(increment)), {}};
    }
    if (name == "bipush" || name == "sipush" || name == "newarray") return {insn.args, {}};
    if (CONSTANT_OPERANDS.count(name)) return {pool_.constant(indexOperand(insn.args)), {}};
    if (name == "invokeinterface" || name == "multianewarray") {
      if (!std::regex_match(insn.args, m, INDEX_AND_COUNT)) {
        ADD_FAILURE() << name << " " << insn.args;
        return {"", {}};
      }
      std::string count = m[2];
      std::string constant = pool_.constant(static_cast<uint32_t>(std::stoul(m[1])));
      if (name == "invokeinterface") return {count + " args " + constant, {}};
      return {"dimensions " + count + " " + constant, {}};
    }
    if (BRANCHES.count(name)) return {insn.args + "@", {}};
    if (name == "tableswitch" || name == "lookupswitch") {
      std::vector<std::string> entries;
      std::string defaultTarget;
      for (const auto& [key, target] : insn.cases) {
        if (key == "default") {
          defaultTarget = std::to_string(target);
        } else {
          entries.push_back(format("\t\t\t%6lld: %lld@", std::stoll(key), ll(target)));
        }
      }
      std::string text = "default " + defaultTarget + "@";
      if (name == "tableswitch") text += format(": [%lld-%lld]", ll(insn.low), ll(insn.high));
      return {text, entries};
    }
    if (!insn.args.empty()) ADD_FAILURE() << "operands of " << name << " not compared: " << insn.args;
    return {"", {}};
  }

 private:
  const JavapCode& code_;
  const Pool& pool_;
};

std::string trimmedRight(const std::string& text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? "" : text.substr(0, end + 1);
}

void compareCode(const GorbletCode& g, const JavapCode& j, const Pool& pool, const std::string& name) {
  std::smatch m;
  static const std::regex header(R"(^\t\tMax stack (\d+) max locals (\d+) (.*) code len (\d+)$)");
  ASSERT_TRUE(std::regex_match(g.header, m, header)) << g.header;
  EXPECT_EQ(std::stoll(m[1]), j.stack);
  EXPECT_EQ(std::stoll(m[2]), j.locals);
  EXPECT_EQ(m[3], name);
  int64_t codeLength = std::stoll(m[4]);
  // ecj writes no code attributes but the two tables.
  EXPECT_EQ(g.attributesLine, "");

  ASSERT_EQ(g.instructions.size(), j.instructions.size());
  CodeView view(j, pool);
  std::set<int64_t> marks = view.marks(codeLength);
  for (size_t k = 0; k < j.instructions.size(); k++) {
    const JavapInstruction& ji = j.instructions[k];
    const GorbletInstruction& gi = g.instructions[k];
    SCOPED_TRACE("pc " + std::to_string(ji.pc) + " " + ji.mnemonic);
    EXPECT_LT(ji.pc, codeLength);
    EXPECT_EQ(gi.pc, ji.pc);
    EXPECT_EQ(gi.line, view.lineAt(ji.pc));
    EXPECT_EQ(gi.mnemonic, ji.mnemonic);
    // A wide instruction is marked, and its marked pc shown, at the opcode after the prefix.
    int64_t markAt = isWideForm(ji.mnemonic) ? ji.pc + 1 : ji.pc;
    EXPECT_EQ(gi.markedPc, marks.count(markAt) ? markAt : -1);
    auto [operands, entries] = view.operands(ji);
    EXPECT_EQ(trimmedRight(gi.operands), operands);
    EXPECT_EQ(gi.continuation, entries);
  }

  std::vector<std::string> exceptionRows;
  for (const JavapException& e : j.exceptions) {
    exceptionRows.push_back(
        format("\t\t\t%5lld %5lld %5lld %s", ll(e.from), ll(e.to), ll(e.target), e.type.c_str()));
  }
  EXPECT_EQ(g.exceptionRows, exceptionRows);
  EXPECT_EQ(g.hasLineTable, j.hasLineTable);
  EXPECT_EQ(g.lines, j.lines);
  EXPECT_EQ(g.hasLocalTable, j.hasLocalTable);
  std::vector<std::string> localRows;
  for (const JavapLocal& local : j.localVariables) {
    std::string name = escapeBytes(constantBytes(local.name));
    std::string signature = escapeBytes(constantBytes(local.signature));
    localRows.push_back(format("\t\t\t%5lld-%-5lld  %4lld '%s'['%s']", ll(local.start),
                               ll(local.start + local.length - 1), ll(local.slot), name.c_str(), signature.c_str()));
  }
  EXPECT_EQ(g.localRows, localRows);
}

std::string dotsToSlashes(std::string name) {
  std::replace(name.begin(), name.end(), '.', '/');
  return name;
}

// The member's name as the class file holds it, from javap's declaration.
std::string memberName(const JavapMember& member, bool field, const std::string& className) {
  std::string declaration = member.declaration;
  if (field) {
    declaration = declaration.substr(0, declaration.size() - 1);
    return declaration.substr(declaration.rfind(' ') + 1);
  }
  if (declaration == "static {};") return "<clinit>";
  std::string head = declaration.substr(0, declaration.find('('));
  std::string name = head.substr(head.rfind(' ') == std::string::npos ? 0 : head.rfind(' ') + 1);
  return dotsToSlashes(name) == className ? "<init>" : name;
}

void compareMembers(const GorbletClass& g, const JavapClass& j, const Pool& pool) {
  ASSERT_EQ(g.members.size(), j.members.size());
  std::string className = pool.className(j.thisClass);
  for (size_t k = 0; k < j.members.size(); k++) {
    const JavapMember& jm = j.members[k];
    const GorbletMember& gm = g.members[k];
    bool field = k < j.fieldCount;
    SCOPED_TRACE(jm.declaration);
    EXPECT_EQ(gm.flags, jm.flags);
    EXPECT_EQ(gm.name, memberName(jm, field, className));
    EXPECT_EQ(gm.descriptor, escapeBytes(constantBytes(jm.descriptor)));
    std::string rest;
    for (const std::string& attribute : jm.attributes) {
      if (attribute == "ConstantValue") {
        rest += " " + pool.constantValue(jm.constantValue);
      } else if (field) {
        rest += " " + attribute + " (0)";
      } else {
        rest += " " + attribute;
        if (attribute == "Exceptions" && !jm.throws.empty()) {
          rest += " throws";
          for (const std::string& name : jm.throws) rest += " " + dotsToSlashes(name);
        }
      }
    }
    EXPECT_EQ(gm.rest, rest);
    ASSERT_EQ(gm.code.has_value(), jm.code.has_value());
    if (jm.code) compareCode(*gm.code, *jm.code, pool, gm.name);
  }
}

void compareDeclaration(const GorbletClass& g, const JavapClass& j, const Pool& pool) {
  EXPECT_EQ(g.versionLine, format("\tVersion %u.%u", j.major, j.minor));
  EXPECT_EQ(g.flags, j.flags);
  EXPECT_EQ(g.thisName, pool.className(j.thisClass));
  EXPECT_EQ(g.superName, j.superClass == 0 ? "" : pool.className(j.superClass));
  // javap names an interface's superinterfaces after "extends", a class's after "implements".
  std::string keyword = (j.flags & 0x200) ? " extends " : " implements ";
  std::vector<std::string> interfaces;
  size_t at = j.declaration.find(keyword);
  if (at != std::string::npos) {
    std::string list = j.declaration.substr(at + keyword.size());
    size_t begin = 0;
    while (begin < list.size()) {
      size_t end = std::min(list.find(',', begin), list.size());
      interfaces.push_back(dotsToSlashes(list.substr(begin, end - begin)));
      begin = end + 1;
    }
  }
  EXPECT_EQ(interfaces.size(), j.interfaceCount);
  EXPECT_EQ(g.interfaces, interfaces);
}

void comparePool(const GorbletClass& g, const JavapClass& j, const Pool& pool) {
  for (const auto& [index, constant] : j.pool) {
    SCOPED_TRACE("constant " + std::to_string(index));
    auto shown = g.pool.find(index);
    ASSERT_NE(shown, g.pool.end());
    EXPECT_EQ(shown->second, pool.constant(index));
  }
  // The only slots javap leaves out are those after a Long or a Double.
  for (const auto& [index, text] : g.pool) {
    if (j.pool.count(index)) continue;
    SCOPED_TRACE("constant " + std::to_string(index));
    const std::string& before = pool.at(index - 1).kind;
    EXPECT_TRUE(before == "Long" || before == "Double") << before;
    EXPECT_EQ(text, format("(second slot of %u)", index - 1));
  }
}

void compareClassAttributes(const GorbletClass& g, const JavapClass& j, const Pool& pool) {
  std::vector<std::string> names;
  for (const std::string& line : g.attributeLines) names.push_back(line.substr(4, line.find(' ', 4) - 4));
  EXPECT_EQ(names, j.classAttributes);
  for (const std::string& line : g.attributeLines) {
    if (line.starts_with("    SourceFile ")) {
      EXPECT_EQ(line, "    SourceFile (2) " + j.sourceFile);
    }
    if (line.starts_with("    InnerClasses ")) {
      size_t count = j.innerClasses.size();
      EXPECT_EQ(line, format("    InnerClasses (%zu)  %zu element(s)", 2 + 8 * count, count));
    }
  }
  ASSERT_EQ(g.innerClassLines.size(), j.innerClasses.size());
  for (size_t k = 0; k < j.innerClasses.size(); k++) {
    const JavapInnerClass& ji = j.innerClasses[k];
    std::string text = g.innerClassLines[k].substr(8);
    uint32_t flags = parseFlagWords(text, true);
    std::string expected = "class " + (ji.name ? pool.utf8(ji.name) : "") + " [" + pool.className(ji.inner) + "] ";
    if (ji.outer) expected += " inside [" + pool.className(ji.outer) + "]";
    EXPECT_EQ(text, expected);
    // javap names only these flags of an inner class, and abstract only for a class.
    std::vector<std::string> words;
    const std::pair<uint32_t, const char*> shown[] = {{0x1, "public"}, {0x2, "private"}, {0x4, "protected"},
                                                      {0x8, "static"}, {0x10, "final"},  {0x400, "abstract"}};
    for (const auto& [bit, word] : shown) {
      if ((flags & bit) && !(bit == 0x400 && (flags & 0x200))) words.push_back(word);
    }
    std::vector<std::string> javapWords = ji.words;
    std::sort(words.begin(), words.end());
    std::sort(javapWords.begin(), javapWords.end());
    EXPECT_EQ(words, javapWords) << g.innerClassLines[k];
  }
}

class JavapComparison : public ::testing::TestWithParam<std::string> {};

TEST_P(JavapComparison, AgreesOnEveryClassFile) {
  std::vector<std::string> files = classFiles(GetParam());
  ASSERT_FALSE(files.empty()) << "no class files in " << SAMPLES_DIR << "/" << GetParam();
  std::vector<JavapClass> javap = parseJavap(runJavap({"-v", "-c", "-l", "-p"}, files));
  ASSERT_EQ(javap.size(), files.size());
  for (size_t k = 0; k < files.size(); k++) {
    SCOPED_TRACE(files[k]);
    ProcessResult result = runGorblet({"-l", "-const", files[k]});
    // A valid class file: nothing on standard error and status 0, the Long and Double constants'
    // second slots included.
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    GorbletClass gorblet = parseGorblet(result.out);
    Pool pool(javap[k]);
    EXPECT_EQ(javap[k].major, 45u);
    EXPECT_EQ(javap[k].minor, 3u);
    compareDeclaration(gorblet, javap[k], pool);
    comparePool(gorblet, javap[k], pool);
    compareMembers(gorblet, javap[k], pool);
    compareClassAttributes(gorblet, javap[k], pool);
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, JavapComparison, ::testing::ValuesIn(SAMPLES),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// The samples use every instruction that a compiler writes (all but nop and swap, and the reserved
// and quick opcodes, which the hand-made listings cover), wide forms of every kind, both switches,
// catch clauses with finally, and member, local and anonymous classes.
TEST(JavapComparison, SamplesCoverEveryInstructionFamily) {
  std::vector<std::string> files;
  for (const std::string& sample : SAMPLES) {
    std::vector<std::string> more = classFiles(sample);
    files.insert(files.end(), more.begin(), more.end());
  }
  std::set<std::string> seen;
  bool typedCatch = false, catchAll = false;
  for (const JavapClass& c : parseJavap(runJavap({"-v", "-c", "-p"}, files))) {
    for (const JavapMember& member : c.members) {
      if (!member.code) continue;
      for (const JavapInstruction& insn : member.code->instructions) seen.insert(insn.mnemonic);
      for (const JavapException& entry : member.code->exceptions) (entry.type == "any" ? catchAll : typedCatch) = true;
    }
  }
  const std::vector<std::string> families = {
      "aconst_null iconst_m1 iconst_0 iconst_1 iconst_2 iconst_3 iconst_4 iconst_5 lconst_0 lconst_1 fconst_0 "
      "fconst_1 fconst_2 dconst_0 dconst_1 bipush sipush ldc ldc_w ldc2_w",
      "iload lload fload dload aload iload_0 iload_1 iload_2 iload_3 lload_0 lload_1 lload_2 lload_3 fload_0 "
      "fload_1 fload_2 fload_3 dload_0 dload_1 dload_2 dload_3 aload_0 aload_1 aload_2 aload_3",
      "istore lstore fstore dstore astore istore_0 istore_1 istore_2 istore_3 lstore_0 lstore_1 lstore_2 lstore_3 "
      "fstore_0 fstore_1 fstore_2 fstore_3 dstore_0 dstore_1 dstore_2 dstore_3 astore_0 astore_1 astore_2 astore_3",
      "iaload laload faload daload aaload baload caload saload iastore lastore fastore dastore aastore bastore "
      "castore sastore",
      "pop pop2 dup dup_x1 dup_x2 dup2 dup2_x1 dup2_x2",
      "iadd ladd fadd dadd isub lsub fsub dsub imul lmul fmul dmul idiv ldiv fdiv ddiv irem lrem frem drem ineg "
      "lneg fneg dneg ishl lshl ishr lshr iushr lushr iand land ior lor ixor lxor iinc",
      "i2l i2f i2d l2i l2f l2d f2i f2l f2d d2i d2l d2f i2b i2c i2s",
      "lcmp fcmpl fcmpg dcmpl dcmpg ifeq ifne iflt ifge ifgt ifle if_icmpeq if_icmpne if_icmplt if_icmpge "
      "if_icmpgt if_icmple if_acmpeq if_acmpne goto jsr ret ifnull ifnonnull goto_w jsr_w",
      "tableswitch lookupswitch ireturn lreturn freturn dreturn areturn return",
      "getstatic putstatic getfield putfield invokevirtual invokespecial invokestatic invokeinterface",
      "new newarray anewarray multianewarray arraylength athrow checkcast instanceof monitorenter monitorexit",
      "iload_w lload_w fload_w dload_w aload_w istore_w lstore_w fstore_w dstore_w astore_w iinc_w"};
  for (const std::string& family : families) {
    std::istringstream names(family);
    std::string name;
    while (names >> name) EXPECT_TRUE(seen.count(name)) << name << " is in no sample";
  }
  EXPECT_TRUE(typedCatch);
  EXPECT_TRUE(catchAll);
  std::vector<std::string> nested = classFiles("Nesting");
  for (const char* name :
       {"Nesting$Inner.class", "Nesting$Counter.class", "Nesting$1.class", "Nesting$1$Local.class"}) {
    auto named = [&](const std::string& file) { return file.ends_with(name); };
    EXPECT_TRUE(std::any_of(nested.begin(), nested.end(), named)) << name;
  }
}

}  // namespace

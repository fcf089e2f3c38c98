// Parsers of the two listings. Both walk their text line by line with the layout each program
// prints; anything unexpected is reported as a test failure with the line, so that a change in
// either listing cannot pass unseen.
#include "javap_records.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace {

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string trim(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

size_t indentation(const std::string& line) {
  size_t n = line.find_first_not_of(' ');
  return n == std::string::npos ? line.size() : n;
}

std::vector<std::string> splitList(const std::string& text, const std::string& separator) {
  std::vector<std::string> items;
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find(separator, begin);
    if (end == std::string::npos) end = text.size();
    std::string item = trim(text.substr(begin, end - begin));
    if (!item.empty()) items.push_back(item);
    begin = end + separator.size();
  }
  return items;
}

std::string withoutComment(const std::string& text) {
  size_t comment = text.find("//");
  return trim(comment == std::string::npos ? text : text.substr(0, comment));
}

// --- javap

const std::regex JAVAP_CONSTANT(R"(^ *#(\d+) = (\S+) *(.*)$)");
const std::regex JAVAP_INSTRUCTION(R"(^ +(\d+): (\S+) *(.*)$)");
const std::regex JAVAP_CASE(R"(^ +(-?\d+|default): (-?\d+)$)");
const std::regex JAVAP_TABLE_RANGE(R"(// (-?\d+) to (-?\d+))");
const std::regex JAVAP_EXCEPTION(R"(^ +(\d+) +(\d+) +(\d+) +(any|Class (\S+))$)");
const std::regex JAVAP_LINE(R"(^ +line (\d+): (\d+)$)");
const std::regex JAVAP_LOCAL(R"(^ +(\d+) +(\d+) +(\d+) +(\S+) +(\S+)$)");
const std::regex JAVAP_FLAGS(R"(flags: \(0x([0-9a-f]{4})\))");
const std::regex JAVAP_INNER(R"(^ +((?:[a-z]+ )*)(?:#(\d+)= )?#(\d+)(?: of #(\d+))?;.*$)");
const std::regex JAVAP_UNKNOWN_ATTRIBUTE(R"(^ *(\S+): length = 0x[0-9A-F]+ \(unknown attribute\)$)");
const std::regex JAVAP_HEX_BYTES(R"(^ +[0-9A-F]{2}( [0-9A-F]{2})*$)");

uint32_t hexFlags(const std::string& line) {
  std::smatch m;
  if (!std::regex_search(line, m, JAVAP_FLAGS)) {
    ADD_FAILURE() << "no flags in: " << line;
    return 0;
  }
  return static_cast<uint32_t>(std::stoul(m[1], nullptr, 16));
}

uint32_t indexAfter(const std::string& line, const std::string& key) {
  size_t at = line.find(key);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no " << key << " in: " << line;
    return 0;
  }
  return static_cast<uint32_t>(std::stoul(line.substr(at + key.size())));
}

void parseConstant(JavapClass& c, const std::string& line) {
  std::smatch m;
  if (!std::regex_match(line, m, JAVAP_CONSTANT)) {
    ADD_FAILURE() << "constant-pool line: " << line;
    return;
  }
  JavapConstant constant;
  constant.kind = m[2];
  if (constant.kind == "Utf8") {
    // The value begins after the kind padded to 18 and one blank; it may itself begin with blanks.
    size_t value = line.find(" = ") + 3 + 19;
    constant.literal = value <= line.size() ? line.substr(value) : "";
  } else if (constant.kind == "Integer" || constant.kind == "Float" || constant.kind == "Long" ||
             constant.kind == "Double") {
    constant.literal = trim(m[3]);
  } else {
    std::string refs = withoutComment(m[3]);
    for (char& ch : refs) {
      if (ch == '#' || ch == '.' || ch == ':') ch = ' ';
    }
    std::istringstream in(refs);
    uint32_t ref;
    while (in >> ref) constant.refs.push_back(ref);
  }
  c.pool[static_cast<uint32_t>(std::stoul(m[1]))] = constant;
}

// Parses the lines of one Code attribute from `i` on and leaves `i` at its last line.
JavapCode parseJavapCode(const std::vector<std::string>& lines, size_t& i) {
  JavapCode code;
  std::string stack = lines[++i];
  code.stack = indexAfter(stack, "stack=");
  code.locals = indexAfter(stack, "locals=");
  enum { INSTRUCTIONS, SWITCH, EXCEPTIONS, LINES, LOCALS } section = INSTRUCTIONS;
  while (i + 1 < lines.size()) {
    const std::string& line = lines[i + 1];
    if (trim(line).empty() || indentation(line) <= 4) break;
    i++;
    std::smatch m;
    // Headings are told by their text: javap indents four-digit pcs as deep as them.
    std::string heading = trim(line);
    if (heading == "Exception table:") {
      section = EXCEPTIONS;
      continue;
    }
    if (heading == "LineNumberTable:") {
      section = LINES;
      code.hasLineTable = true;
      continue;
    }
    if (heading == "LocalVariableTable:") {
      section = LOCALS;
      code.hasLocalTable = true;
      continue;
    }
    switch (section) {
      case SWITCH:
        if (trim(line) == "}") {
          section = INSTRUCTIONS;
        } else if (std::regex_match(line, m, JAVAP_CASE)) {
          code.instructions.back().cases.emplace_back(m[1], std::stoll(m[2]));
        } else {
          ADD_FAILURE() << "switch entry: " << line;
        }
        break;
      case INSTRUCTIONS:
        if (std::regex_match(line, m, JAVAP_INSTRUCTION)) {
          JavapInstruction insn;
          insn.pc = std::stoll(m[1]);
          insn.mnemonic = m[2];
          std::string rest = m[3];
          if (insn.mnemonic == "tableswitch" || insn.mnemonic == "lookupswitch") {
            std::smatch range;
            if (std::regex_search(rest, range, JAVAP_TABLE_RANGE)) {
              insn.low = std::stoll(range[1]);
              insn.high = std::stoll(range[2]);
            }
            section = SWITCH;
          } else {
            insn.args = withoutComment(rest);
          }
          code.instructions.push_back(insn);
        } else {
          ADD_FAILURE() << "instruction: " << line;
        }
        break;
      case EXCEPTIONS:
        if (trim(line) == "from    to  target type") break;
        if (std::regex_match(line, m, JAVAP_EXCEPTION)) {
          code.exceptions.push_back({std::stoll(m[1]), std::stoll(m[2]), std::stoll(m[3]),
                                     m[5].matched ? std::string(m[5]) : std::string("any")});
        } else {
          ADD_FAILURE() << "exception entry: " << line;
        }
        break;
      case LINES:
        if (std::regex_match(line, m, JAVAP_LINE)) {
          code.lines.emplace_back(std::stoll(m[2]), std::stoll(m[1]));
        } else {
          ADD_FAILURE() << "line entry: " << line;
        }
        break;
      case LOCALS:
        if (startsWith(trim(line), "Start")) break;
        if (std::regex_match(line, m, JAVAP_LOCAL)) {
          code.localVariables.push_back({std::stoll(m[1]), std::stoll(m[2]), std::stoll(m[3]), m[4], m[5]});
        } else {
          ADD_FAILURE() << "local variable: " << line;
        }
        break;
    }
  }
  return code;
}

JavapClass parseJavapClass(const std::vector<std::string>& lines, size_t& i) {
  JavapClass c;
  c.file = lines[i].substr(std::string("Classfile ").size());
  enum { HEADER, POOL, MEMBERS, ATTRIBUTES } section = HEADER;
  for (i++; i < lines.size() && !startsWith(lines[i], "Classfile "); i++) {
    const std::string& line = lines[i];
    std::string text = trim(line);
    if (section == HEADER) {
      if (startsWith(line, "  Last modified") || startsWith(line, "  SHA-256") || startsWith(line, "  MD5") ||
          startsWith(line, "  Compiled from")) {
      } else if (startsWith(text, "minor version:")) {
        c.minor = indexAfter(text, "minor version: ");
      } else if (startsWith(text, "major version:")) {
        c.major = indexAfter(text, "major version: ");
      } else if (startsWith(text, "flags:")) {
        c.flags = hexFlags(text);
      } else if (startsWith(text, "this_class:")) {
        c.thisClass = indexAfter(text, "#");
      } else if (startsWith(text, "super_class:")) {
        c.superClass = indexAfter(text, "#");
      } else if (startsWith(text, "interfaces:")) {
        c.interfaceCount = indexAfter(text, "interfaces: ");
        c.fieldCount = indexAfter(text, "fields: ");
      } else if (text == "Constant pool:") {
        section = POOL;
      } else if (indentation(line) == 0) {
        c.declaration = line;
      } else {
        ADD_FAILURE() << "javap header: " << line;
      }
    } else if (section == POOL) {
      if (text == "{") {
        section = MEMBERS;
      } else {
        parseConstant(c, line);
      }
    } else if (section == MEMBERS) {
      if (text == "}") {
        section = ATTRIBUTES;
      } else if (text.empty()) {
      } else if (indentation(line) == 2) {
        JavapMember member;
        member.declaration = text;
        c.members.push_back(member);
      } else if (c.members.empty() || indentation(line) != 4) {
        ADD_FAILURE() << "javap member: " << line;
      } else {
        JavapMember& member = c.members.back();
        if (startsWith(text, "descriptor: ")) {
          member.descriptor = text.substr(12);
        } else if (startsWith(text, "flags: ")) {
          member.flags = hexFlags(text);
        } else if (startsWith(text, "ConstantValue: ")) {
          member.attributes.push_back("ConstantValue");
          // The value, not trimmed: a string constant may end in blanks.
          member.constantValue = line.substr(line.find("ConstantValue: ") + 15);
        } else if (text == "Synthetic: true") {
          member.attributes.push_back("Synthetic");
        } else if (text == "Deprecated: true") {
          member.attributes.push_back("Deprecated");
        } else if (text == "Exceptions:") {
          member.attributes.push_back("Exceptions");
          std::string throws = trim(lines[++i]);
          if (startsWith(throws, "throws ")) {
            member.throws = splitList(throws.substr(7), ",");
          } else {
            ADD_FAILURE() << "exceptions: " << throws;
          }
        } else if (text == "Code:") {
          member.attributes.push_back("Code");
          member.code = parseJavapCode(lines, i);
        } else {
          ADD_FAILURE() << "member attribute: " << line;
        }
      }
    } else {
      std::smatch m;
      if (startsWith(line, "SourceFile: ")) {
        c.classAttributes.push_back("SourceFile");
        c.sourceFile = text.substr(13, text.size() - 14);
      } else if (line == "InnerClasses:") {
        c.classAttributes.push_back("InnerClasses");
      } else if (line == "Deprecated: true" || line == "Synthetic: true") {
        c.classAttributes.push_back(line.substr(0, line.find(':')));
      } else if (std::regex_match(line, m, JAVAP_UNKNOWN_ATTRIBUTE)) {
        // An attribute javap does not know, then its bytes in hexadecimal.
        c.classAttributes.push_back(m[1].str());
        while (i + 1 < lines.size() && std::regex_match(lines[i + 1], JAVAP_HEX_BYTES)) i++;
      } else if (std::regex_match(line, m, JAVAP_INNER)) {
        JavapInnerClass inner;
        std::istringstream words(m[1].str());
        std::string word;
        while (words >> word) inner.words.push_back(word);
        if (m[2].matched) inner.name = static_cast<uint32_t>(std::stoul(m[2]));
        inner.inner = static_cast<uint32_t>(std::stoul(m[3]));
        if (m[4].matched) inner.outer = static_cast<uint32_t>(std::stoul(m[4]));
        c.innerClasses.push_back(inner);
      } else if (!text.empty()) {
        ADD_FAILURE() << "class attribute: " << line;
      }
    }
  }
  i--;
  return c;
}

// --- gorblet

const std::regex GORBLET_HEADER(R"(^\t\tMax stack \d+ max locals \d+ .* code len \d+$)");
const std::regex GORBLET_PREFIX(R"(^ *(\d+)@ +(\d+)$)");
const std::regex GORBLET_CASE(R"(^\t\t\t *-?\d+: -?\d+@$)");
const std::regex GORBLET_LINE_ROW(R"(^\t\t\t *(\d+) +(\d+)$)");
const std::regex GORBLET_POOL(R"(^\t +(\d+): (.*)$)");

GorbletInstruction parseInstruction(const std::string& line) {
  GorbletInstruction insn;
  std::string rest = line;
  size_t tab = line.find('\t');
  if (tab != 0) {
    std::smatch m;
    std::string prefix = line.substr(0, tab);
    if (tab == std::string::npos || !std::regex_match(prefix, m, GORBLET_PREFIX)) {
      ADD_FAILURE() << "instruction prefix: " << line;
      return insn;
    }
    insn.pc = std::stoll(m[1]);
    insn.line = std::stoll(m[2]);
  }
  rest = line.substr(tab + 1);
  if (rest.size() < 7) {
    ADD_FAILURE() << "instruction: " << line;
    return insn;
  }
  std::string markField = rest.substr(0, 6);
  if (trim(markField).empty()) {
    insn.markedPc = -1;
  } else if (markField[5] == '@') {
    insn.markedPc = std::stoll(markField.substr(0, 5));
  } else {
    ADD_FAILURE() << "mark: " << line;
  }
  std::string named = rest.substr(6);
  size_t blank = named.find(' ');
  insn.mnemonic = named.substr(0, blank);
  size_t operands = std::max<size_t>(18, insn.mnemonic.size());
  insn.operands = operands < named.size() ? named.substr(operands) : "";
  if (named.size() < operands) ADD_FAILURE() << "name field not padded: " << line;
  return insn;
}

GorbletCode parseGorbletCode(const std::vector<std::string>& lines, size_t& i) {
  GorbletCode code;
  code.header = lines[i];
  code.attributesLine = lines[++i];
  if (lines[++i] != "Offset Line\t      ByteCode" || lines[++i] != "------ ----\t      --------") {
    ADD_FAILURE() << "no -l heading after: " << code.header;
  }
  for (i++; i < lines.size() && !lines[i].empty(); i++) {
    if (std::regex_match(lines[i], GORBLET_CASE) && !code.instructions.empty()) {
      code.instructions.back().continuation.push_back(lines[i]);
    } else {
      code.instructions.push_back(parseInstruction(lines[i]));
    }
  }
  enum { NONE, EXCEPTIONS, LINES, LOCALS } section = NONE;
  for (i++; i < lines.size() && !lines[i].empty(); i++) {
    const std::string& line = lines[i];
    std::smatch m;
    if (startsWith(line, "\t\tException Table (")) {
      section = EXCEPTIONS;
      if (lines[++i] != "\t\t\tStart  End  Handle  Type") ADD_FAILURE() << "exception heading: " << lines[i];
    } else if (line == "\t\tSource Lines") {
      section = LINES;
      code.hasLineTable = true;
      if (lines[++i] != "\t\t\t   pc   line") ADD_FAILURE() << "line heading: " << lines[i];
    } else if (line == "\t\tLocal Variables") {
      section = LOCALS;
      code.hasLocalTable = true;
      if (lines[++i] != "\t\t\t   pc range   slot") ADD_FAILURE() << "local heading: " << lines[i];
    } else if (section == EXCEPTIONS) {
      code.exceptionRows.push_back(line);
    } else if (section == LINES && std::regex_match(line, m, GORBLET_LINE_ROW)) {
      code.lines.emplace_back(std::stoll(m[1]), std::stoll(m[2]));
    } else if (section == LOCALS) {
      code.localRows.push_back(line);
    } else {
      ADD_FAILURE() << "code table line: " << line;
    }
  }
  return code;
}

}  // namespace

std::vector<JavapClass> parseJavap(const std::string& output) {
  std::vector<std::string> lines = splitLines(output);
  std::vector<JavapClass> classes;
  for (size_t i = 0; i < lines.size(); i++) {
    if (startsWith(lines[i], "Classfile ")) {
      classes.push_back(parseJavapClass(lines, i));
    } else {
      ADD_FAILURE() << "javap line outside a class: " << lines[i];
    }
  }
  return classes;
}

uint32_t parseFlagWords(std::string& text, bool classContext) {
  static const std::map<std::string, uint32_t> words = {
      {"public", 0x1},     {"private", 0x2},    {"protected", 0x4}, {"final", 0x10},   {"abstract", 0x400},
      {"static", 0x8},     {"volatile", 0x40},  {"transient", 0x80}, {"native", 0x100}, {"widefp", 0x1000},
      {"strictfp", 0x1800}, {"interface", 0x200}};
  uint32_t flags = 0;
  while (true) {
    size_t blank = text.find(' ');
    if (blank == std::string::npos) break;
    std::string word = text.substr(0, blank);
    auto known = words.find(word);
    if (known != words.end()) {
      flags |= known->second;
    } else if (word == (classContext ? "super" : "synchronized")) {
      flags |= 0x20;
    } else if (word == "unknown") {
      size_t end = text.find(' ', blank + 1);
      flags |= static_cast<uint32_t>(std::stoul(text.substr(blank + 1, end - blank - 1), nullptr, 16));
      blank = end;
    } else {
      break;
    }
    text = text.substr(blank + 1);
  }
  return flags;
}

GorbletClass parseGorblet(const std::string& output) {
  std::vector<std::string> lines = splitLines(output);
  GorbletClass c;
  if (lines.size() < 5 || lines[3] != "{") {
    ADD_FAILURE() << "no class listing in:\n" << output;
    return c;
  }
  c.versionLine = lines[1];

  std::string declaration = lines[2];
  c.flags = parseFlagWords(declaration, true);
  std::string implementsPart;
  size_t implementsAt = declaration.find(" implements ");
  if (implementsAt != std::string::npos) {
    c.interfaces = splitList(declaration.substr(implementsAt + 12), ",");
    declaration = declaration.substr(0, implementsAt);
  }
  size_t extendsAt = declaration.find(" extends ");
  if (extendsAt != std::string::npos) {
    c.superName = declaration.substr(extendsAt + 9);
    declaration = declaration.substr(0, extendsAt);
  }
  c.thisName = declaration;

  size_t i = 4;
  for (; i < lines.size() && lines[i] != "}"; i++) {
    const std::string& line = lines[i];
    if (std::regex_match(line, GORBLET_HEADER) && !c.members.empty()) {
      c.members.back().code = parseGorbletCode(lines, i);
      continue;
    }
    if (line.size() < 2 || line[0] != '\t' || line[1] == '\t') {
      ADD_FAILURE() << "member line: " << line;
      continue;
    }
    GorbletMember member;
    std::string text = line.substr(1);
    member.flags = parseFlagWords(text, false);
    size_t blank = text.find(' ');
    member.name = text.substr(0, blank);
    text = blank == std::string::npos ? "" : text.substr(blank + 1);
    blank = text.find(' ');
    member.descriptor = text.substr(0, blank);
    member.rest = blank == std::string::npos ? "" : text.substr(blank);
    c.members.push_back(member);
  }
  if (i + 3 >= lines.size() || lines[i + 1] != "" || lines[i + 2] != "Attributes" || lines[i + 3] != "") {
    ADD_FAILURE() << "no class attributes after the members";
    return c;
  }
  for (i += 4; i < lines.size() && lines[i] != "Constant Pool:"; i++) {
    if (lines[i].empty()) continue;
    if (startsWith(lines[i], "        ")) {
      c.innerClassLines.push_back(lines[i]);
    } else if (startsWith(lines[i], "    ")) {
      c.attributeLines.push_back(lines[i]);
    } else {
      ADD_FAILURE() << "class attribute line: " << lines[i];
    }
  }
  if (i + 1 >= lines.size() || lines[i + 1] != "") {
    ADD_FAILURE() << "no constant pool";
    return c;
  }
  for (i += 2; i < lines.size(); i++) {
    std::smatch m;
    if (std::regex_match(lines[i], m, GORBLET_POOL)) {
      c.pool[static_cast<uint32_t>(std::stoul(m[1]))] = m[2];
    } else {
      ADD_FAILURE() << "constant-pool line: " << lines[i];
    }
  }
  return c;
}

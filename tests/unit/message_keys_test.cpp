// Every message key the code reports must be in the default message file, with the number of
// arguments its callers pass.
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/options.h"

namespace fs = std::filesystem;

namespace {

// Reporting functions and the index of their key argument. Helpers that forward a key to one of
// them are listed too; their own forwarding call passes a parameter named `key`.
const std::map<std::string, size_t> reporters = {
    {"errorAt", 2}, {"errorInFile", 3}, {"fatalError", 3}, {"warningAt", 3}, {"messageAt", 3},
    {"reportAtToken", 0}, {"reportLimit", 0}, {"reportAt", 1},
};

struct Report {
  std::string where;
  std::string key;  // empty when the key is not a literal
  size_t arguments;
};

std::string readAll(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Blanks comments out, keeping string and character literals and line breaks.
std::string withoutComments(const std::string& text) {
  std::string out = text;
  for (size_t i = 0; i < out.size(); i++) {
    char c = out[i];
    if (c == '"' || c == '\'') {
      for (i++; i < out.size() && out[i] != c; i++)
        if (out[i] == '\\') i++;
    } else if (c == '/' && i + 1 < out.size() && out[i + 1] == '/') {
      while (i < out.size() && out[i] != '\n') out[i++] = ' ';
    } else if (c == '/' && i + 1 < out.size() && out[i + 1] == '*') {
      while (i + 1 < out.size() && !(out[i] == '*' && out[i + 1] == '/')) {
        if (out[i] != '\n') out[i] = ' ';
        i++;
      }
      out[i] = ' ';
      if (i + 1 < out.size()) out[i + 1] = ' ';
    }
  }
  return out;
}

// The top-level arguments of the call whose "(" is at `open`.
std::vector<std::string> callArguments(const std::string& text, size_t open) {
  std::vector<std::string> arguments;
  std::string current;
  int depth = 0;
  for (size_t i = open + 1; i < text.size(); i++) {
    char c = text[i];
    if (c == '"' || c == '\'') {
      size_t start = i;
      for (i++; i < text.size() && text[i] != c; i++)
        if (text[i] == '\\') i++;
      current += text.substr(start, i - start + 1);
      continue;
    }
    if (c == '(' || c == '[' || c == '{') depth++;
    if (c == ')' || c == ']' || c == '}') {
      if (depth == 0) {
        if (!current.empty() || !arguments.empty()) arguments.push_back(current);
        return arguments;
      }
      depth--;
    }
    if (c == ',' && depth == 0) {
      arguments.push_back(current);
      current.clear();
      continue;
    }
    if (!std::isspace(static_cast<unsigned char>(c)) || !current.empty()) current += c;
  }
  return arguments;
}

std::vector<Report> reportsIn(const fs::path& path) {
  std::vector<Report> reports;
  std::string text = withoutComments(readAll(path));
  std::string names;
  for (const auto& [name, index] : reporters) names += (names.empty() ? "" : "|") + name;
  std::regex call("\\b(" + names + ")\\s*\\(");
  std::regex literal(R"re(^"([^"\\]*)"\s*$)re");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), call); it != std::sregex_iterator(); ++it) {
    size_t open = it->position() + it->length() - 1;
    size_t line = std::count(text.begin(), text.begin() + it->position(), '\n') + 1;
    std::vector<std::string> arguments = callArguments(text, open);
    size_t keyIndex = reporters.at((*it)[1]);
    Report report{path.string() + ":" + std::to_string(line), "", 0};
    std::smatch key;
    if (arguments.size() > keyIndex && std::regex_match(arguments[keyIndex], key, literal)) report.key = key[1];
    if (arguments.size() > keyIndex && arguments[keyIndex] == "key") continue;  // a forwarding helper
    // A declaration of a helper ("const char* key") is no call.
    if (arguments.size() > keyIndex && arguments[keyIndex].find("char*") != std::string::npos) continue;
    report.arguments = arguments.size() > keyIndex ? arguments.size() - keyIndex - 1 : 0;
    reports.push_back(report);
  }
  return reports;
}

std::map<std::string, int> messageFileCounts(const std::string& file = std::string(SOURCE_TREE) + "/lib/quorvelix.messages") {
  std::map<std::string, int> counts;
  std::ifstream in(file);
  std::string line;
  std::regex entry(R"(^([^\s(=#]+)\((\d+)\)=.*$)");
  while (std::getline(in, line)) {
    std::smatch m;
    if (std::regex_match(line, m, entry)) counts[m[1]] = std::stoi(m[2]);
  }
  return counts;
}

TEST(MessageKeys, EveryReportedKeyIsInTheMessageFile) {
  std::map<std::string, int> counts = messageFileCounts();
  ASSERT_GT(counts.size(), 300u);
  size_t checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(std::string(SOURCE_TREE) + "/src")) {
    std::string extension = entry.path().extension().string();
    if (extension != ".cpp" && extension != ".h") continue;
    // The reporting functions themselves forward a key they were given.
    if (entry.path().filename() == "diagnostics.h") continue;
    for (const Report& report : reportsIn(entry.path())) {
      ASSERT_FALSE(report.key.empty()) << report.where << ": the key must be a literal";
      auto found = counts.find(report.key);
      ASSERT_NE(found, counts.end()) << report.where << ": " << report.key << " is not in the message file";
      EXPECT_EQ(found->second, static_cast<int>(report.arguments))
          << report.where << ": " << report.key << " takes " << found->second << " arguments";
      checked++;
    }
  }
  EXPECT_GT(checked, 20u);
}

TEST(MessageKeys, UsageKeysTakeNoArguments) {
  std::map<std::string, int> counts = messageFileCounts();
  ASSERT_EQ(usageKeyCount, 41);
  for (int32_t i = 0; i < usageKeyCount; i++) {
    auto found = counts.find(usageKeys[i]);
    ASSERT_NE(found, counts.end()) << usageKeys[i];
    EXPECT_EQ(found->second, 0) << usageKeys[i];
  }
}

TEST(MessageKeys, LocalizedFilesHaveTheDefaultKeysAndCounts) {
  std::map<std::string, int> counts = messageFileCounts();
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(std::string(SOURCE_TREE) + "/lib/locale")) {
    std::map<std::string, int> localized = messageFileCounts((entry.path() / "quorvelix.messages").string());
    EXPECT_FALSE(localized.empty()) << entry.path();
    for (const auto& [key, count] : localized) {
      auto found = counts.find(key);
      ASSERT_NE(found, counts.end()) << entry.path() << ": " << key;
      EXPECT_EQ(found->second, count) << entry.path() << ": " << key;
    }
    files++;
  }
  EXPECT_GT(files, 0u);
}

TEST(MessageKeys, EveryEntryIsWellFormed) {
  std::ifstream in(std::string(SOURCE_TREE) + "/lib/quorvelix.messages");
  std::string line;
  std::regex entry(R"(^([a-zA-Z0-9._-]+)\((\d)\)=(.+)$)");
  std::map<std::string, int> seen;
  int number = 0;
  while (std::getline(in, line)) {
    number++;
    if (line.empty() || line[0] == '#') continue;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, entry)) << "line " << number << ": " << line;
    EXPECT_EQ(seen[m[1]]++, 0) << "line " << number << ": " << m[1] << " twice";
    int count = std::stoi(m[2]);
    std::string text = m[3];
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 2)) {
      ASSERT_LT(at + 1, text.size()) << "line " << number << ": a lone % at the end";
      char next = text[at + 1];
      if (next == '%') continue;
      ASSERT_TRUE(next >= '1' && next - '0' <= count) << "line " << number << ": %" << next;
    }
  }
}

}  // namespace

// Runs whole command lines from the case tables in tests/cli/*.cases: each case stages its files
// in a fresh directory, runs a program with its arguments and environment, and compares standard
// output, standard error and the exit status exactly.
//
// Case syntax:
//   === name                 starts a case
//   args: a 'b c' ""         arguments; single or double quotes keep blanks; "" is an empty one
//   env: NAME=value          one variable (LC_ALL=C unless the case sets LC_ALL)
//   kit: bare | messages     run a copy of the compiler in {work}/kit/bin/x86 (with the default
//                            message file in {work}/kit/lib when "messages")
//   program: quorvelix       the program to run (a name below the stage's bin/x86)
//   then: gorblet a b        a further program run after it, in the same place, whose output
//                            follows the first's; it must exit with 0 (a case may have several)
//   argv0: text              argv[0] as the program sees it (default: its path)
//   cwd: dir                 directory to run in, below {work}
//   dir: path                an empty directory below {work}
//   fifo: path               a named pipe below {work}, with no writer
//   link: path -> target     a symbolic link below {work} to target (a device, a FIFO, ...)
//   open-files: n            the program may hold at most n descriptors (RLIMIT_NOFILE)
//   file-size: n             the program may write files of at most n bytes (RLIMIT_FSIZE; a
//                            longer write fails with EFBIG, as on a full disk)
//   file: path <<END         a file below {work}, its lines up to END ({noeol} at the very end:
//                            without the last line break)
//   size: path n             that file (or a new one) made n bytes long without writing the rest,
//                            which reads as zeros
//   stdout <<END / stderr <<END   the expected output, lines up to END
//   stderr-has <<END         lines that standard error holds in this order, among others
//   status: n                the expected exit status (default 0)
//   kept: path               a staged file that the run must leave byte for byte
//   present: path            a file that must exist after the run
//   absent: path             a file that must not exist after the run
//   none-named: pattern      no file anywhere below {work} has a name matching the pattern
// A case whose LC_ALL names a locale the machine lacks fails, naming the set-up that makes it.
// {work}, {stage}, {zpk}, {tab}, {cr} and {xHH} in any of these stand for the case directory, the
// build's staged tree, its development kit, a tab, a carriage return and the byte of value HH.
// In a file, {repeat N}text{/repeat} stands for the text N times, with {n} in it counting from 0:
// a big input is made when the case runs and never stands in the table.
#include <fcntl.h>
#include <fnmatch.h>
#include <locale.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <csignal>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "case_text.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct StagedFile {
  std::string path;
  std::string content;
};

struct CliCase {
  std::string table;
  std::string name;
  int line = 0;
  std::vector<std::string> args;
  std::vector<std::string> env;
  std::string kit;
  std::string program = "quorvelix";
  std::vector<std::vector<std::string>> thens;  // program, then its arguments
  std::string argv0;
  std::string cwd;
  std::vector<std::string> dirs;
  std::vector<std::string> fifos;
  std::vector<std::pair<std::string, std::string>> links;  // path, target
  int openFiles = 0;  // the descriptor limit, 0 for the runner's own
  long fileSize = 0;  // the file-size limit, 0 for none
  std::vector<std::string> kept;
  std::vector<std::string> present;
  std::vector<std::string> absent;
  std::vector<std::string> noneNamed;
  std::vector<StagedFile> files;
  std::vector<std::pair<std::string, long>> sizes;  // path, length
  std::string expectedOut;
  std::string expectedErr;
  std::string expectedErrLines;  // lines that stderr holds in this order, among others
  bool checkErrLines = false;
  int expectedStatus = 0;
};

void PrintTo(const CliCase& c, std::ostream* out) {
  *out << c.table << ".cases:" << c.line << " " << c.name;
}

std::vector<std::string> splitArguments(const std::string& text, const std::string& where) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') i++;
    if (i >= text.size()) break;
    std::string word;
    bool quoted = false;
    while (i < text.size() && text[i] != ' ') {
      char c = text[i];
      if (c == '\'' || c == '"') {
        size_t end = text.find(c, i + 1);
        if (end == std::string::npos) throw std::runtime_error(where + ": unclosed quote");
        word += text.substr(i + 1, end - i - 1);
        quoted = true;
        i = end + 1;
      } else {
        word += c;
        i++;
      }
    }
    if (!word.empty() || quoted) words.push_back(word);
  }
  return words;
}

std::vector<CliCase> readTable(const fs::path& path) {
  std::vector<CliCase> cases;
  std::ifstream in(path);
  std::string line;
  int number = 0;
  auto where = [&] { return path.filename().string() + ":" + std::to_string(number); };
  auto readBlock = [&](const std::string& terminator) {
    std::string block;
    std::string text;
    while (std::getline(in, text)) {
      number++;
      if (text == terminator) return block;
      block += text + "\n";
    }
    throw std::runtime_error(where() + ": missing " + terminator);
  };
  while (std::getline(in, line)) {
    number++;
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("=== ", 0) == 0) {
      CliCase c;
      c.table = path.stem().string();
      c.name = line.substr(4);
      c.line = number;
      cases.push_back(c);
      continue;
    }
    if (cases.empty()) throw std::runtime_error(where() + ": text before the first case");
    CliCase& c = cases.back();
    size_t heredoc = line.find(" <<");
    if (heredoc != std::string::npos) {
      std::string head = line.substr(0, heredoc);
      std::string block = readBlock(line.substr(heredoc + 3));
      if (head == "stdout")
        c.expectedOut = block;
      else if (head == "stderr")
        c.expectedErr = block;
      else if (head == "stderr-has") {
        c.expectedErrLines = block;
        c.checkErrLines = true;
      }
      else if (head.rfind("file: ", 0) == 0)
        c.files.push_back({head.substr(6), block});
      else
        throw std::runtime_error(where() + ": unknown block " + head);
      continue;
    }
    size_t colon = line.find(": ");
    std::string key = colon == std::string::npos ? line : line.substr(0, colon);
    std::string value = colon == std::string::npos ? "" : line.substr(colon + 2);
    if (key == "args" || key == "args:")
      c.args = splitArguments(value, where());
    else if (key == "env")
      c.env.push_back(value);
    else if (key == "kit")
      c.kit = value;
    else if (key == "program")
      c.program = value;
    else if (key == "then")
      c.thens.push_back(splitArguments(value, where()));
    else if (key == "argv0")
      c.argv0 = value;
    else if (key == "cwd")
      c.cwd = value;
    else if (key == "dir")
      c.dirs.push_back(value);
    else if (key == "fifo")
      c.fifos.push_back(value);
    else if (key == "link") {
      size_t arrow = value.find(" -> ");
      if (arrow == std::string::npos) throw std::runtime_error(where() + ": link without ->");
      c.links.emplace_back(value.substr(0, arrow), value.substr(arrow + 4));
    } else if (key == "open-files")
      c.openFiles = std::stoi(value);
    else if (key == "file-size")
      c.fileSize = std::stol(value);
    else if (key == "size") {
      size_t blank = value.rfind(' ');
      if (blank == std::string::npos) throw std::runtime_error(where() + ": size needs a path and a length");
      c.sizes.emplace_back(value.substr(0, blank), std::stol(value.substr(blank + 1)));
    } else if (key == "kept")
      c.kept.push_back(value);
    else if (key == "present")
      c.present.push_back(value);
    else if (key == "absent")
      c.absent.push_back(value);
    else if (key == "none-named")
      c.noneNamed.push_back(value);
    else if (key == "status")
      c.expectedStatus = std::stoi(value);
    else
      throw std::runtime_error(where() + ": unknown line " + line);
  }
  return cases;
}

std::vector<CliCase> allCases() {
  std::vector<CliCase> cases;
  std::vector<fs::path> tables;
  for (const auto& entry : fs::directory_iterator(CLI_CASES_DIR))
    if (entry.path().extension() == ".cases") tables.push_back(entry.path());
  std::sort(tables.begin(), tables.end());
  for (const fs::path& table : tables) {
    std::vector<CliCase> more = readTable(table);
    cases.insert(cases.end(), more.begin(), more.end());
  }
  return cases;
}

std::string readFileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Outcome {
  std::string out;
  std::string err;
  int status = -1;
};

Outcome run(const std::string& program, const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const fs::path& cwd, const fs::path& scratch, int openFiles, long fileSize) {
  fs::path outPath = scratch / "stdout.txt";
  fs::path errPath = scratch / "stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid;
  Outcome outcome;
  // The child inherits the limit; the runner has its own back as soon as the child exists.
  rlimit saved{};
  getrlimit(RLIMIT_NOFILE, &saved);
  if (openFiles > 0) {
    rlimit lowered = saved;
    lowered.rlim_cur = static_cast<rlim_t>(openFiles);
    setrlimit(RLIMIT_NOFILE, &lowered);
  }
  // Past the file-size limit a write fails with EFBIG only while SIGXFSZ is ignored, which the
  // child inherits.
  rlimit savedSize{};
  getrlimit(RLIMIT_FSIZE, &savedSize);
  void (*savedSignal)(int) = SIG_DFL;
  if (fileSize > 0) {
    rlimit lowered = savedSize;
    lowered.rlim_cur = static_cast<rlim_t>(fileSize);
    setrlimit(RLIMIT_FSIZE, &lowered);
    savedSignal = std::signal(SIGXFSZ, SIG_IGN);
  }
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), envp.data());
  if (openFiles > 0) setrlimit(RLIMIT_NOFILE, &saved);
  if (fileSize > 0) {
    setrlimit(RLIMIT_FSIZE, &savedSize);
    std::signal(SIGXFSZ, savedSignal);
  }
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    outcome.err = "spawn failed: " + std::string(strerror(rc));
    return outcome;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.out = readFileText(outPath);
  outcome.err = readFileText(errPath);
  return outcome;
}

// {work}, {stage}, {zpk}, {tab}, {cr} and {xHH} in a case's text.
std::string expandText(const std::string& text, const fs::path& work) {
  std::string expanded = replaceAll(replaceAll(text, "{work}", work.string()), "{stage}", QUORVELIX_STAGE_DIR);
  expanded = replaceAll(expanded, "{zpk}", QUORVELIX_ZPK_DIR);
  expanded = replaceAll(replaceAll(expanded, "{tab}", "\t"), "{cr}", "\r");
  // {xHH}: one byte of that hexadecimal value.
  for (size_t at = expanded.find("{x"); at != std::string::npos; at = expanded.find("{x", at + 1)) {
    if (at + 5 > expanded.size() || expanded[at + 4] != '}' || !isxdigit(static_cast<unsigned char>(expanded[at + 2])) ||
        !isxdigit(static_cast<unsigned char>(expanded[at + 3])))
      continue;
    expanded.replace(at, 5, 1, static_cast<char>(std::stoi(expanded.substr(at + 2, 2), nullptr, 16)));
  }
  return expanded;
}

// A case staged in its directory, ready to run.
struct StagedRun {
  std::string program;
  std::vector<std::string> argv;
  std::vector<std::string> env;
  fs::path cwd;
  fs::path scratch;
};

// Makes the case's directory afresh under `work` with its files, directories, pipes, links and
// kit. False (reported) when the case's locale is missing.
bool stageCase(const CliCase& c, const fs::path& work, StagedRun* staged) {
  fs::remove_all(work);
  fs::create_directories(work);
  staged->scratch = work / ".run";
  fs::create_directories(staged->scratch);
  const std::string stage = QUORVELIX_STAGE_DIR;
  auto expand = [&](const std::string& text) { return expandText(text, work); };

  std::string program = stage + "/bin/x86/" + c.program;
  if (!c.kit.empty()) {
    fs::path bin = work / "kit/bin/x86";
    fs::create_directories(bin);
    fs::create_directories(work / "kit/lib");
    fs::create_directories(work / "kit/bin/lib/locale");
    fs::copy_file(program, bin / c.program);
    program = (bin / c.program).string();
    if (c.kit == "messages") fs::copy_file(stage + "/lib/quorvelix.messages", work / "kit/lib/quorvelix.messages");
  }
  for (const std::string& d : c.dirs) fs::create_directories(work / expand(d));
  for (const std::string& f : c.fifos) {
    fs::path path = work / expand(f);
    fs::create_directories(path.parent_path());
    EXPECT_EQ(mkfifo(path.c_str(), 0644), 0) << path;
  }
  for (const auto& [link, target] : c.links) {
    fs::path path = work / expand(link);
    fs::create_directories(path.parent_path());
    fs::create_symlink(expand(target), path);
  }
  for (const StagedFile& f : c.files) {
    fs::path path = work / expand(f.path);
    fs::create_directories(path.parent_path());
    std::string content = expand(expandRepeats(f.content));
    // A block that ends in {noeol} makes a file without a final line break.
    if (content.size() >= 8 && content.compare(content.size() - 8, 8, "{noeol}\n") == 0) content.resize(content.size() - 8);
    std::ofstream(path, std::ios::binary) << content;
  }

  for (const auto& [file, length] : c.sizes) {
    fs::path path = work / expand(file);
    fs::create_directories(path.parent_path());
    if (!fs::exists(path)) std::ofstream(path, std::ios::binary);
    fs::resize_file(path, static_cast<uintmax_t>(length));
  }

  staged->program = program;
  staged->argv = {c.argv0.empty() ? program : expand(c.argv0)};
  for (const std::string& a : c.args) staged->argv.push_back(expand(a));
  bool hasLocale = false;
  for (const std::string& e : c.env) {
    staged->env.push_back(expand(e));
    if (e.rfind("LC_ALL=", 0) == 0) {
      hasLocale = true;
      std::string name = e.substr(7);
      locale_t available = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(0));
      if (available == static_cast<locale_t>(0)) {
        ADD_FAILURE() << "the locale " << name << " is missing: run tools/install-packages.sh (as root), which makes it";
        return false;
      }
      freelocale(available);
    }
  }
  if (!hasLocale) staged->env.push_back("LC_ALL=C");
  staged->env.push_back("PATH=/usr/bin:/bin");
  for (const char* passed : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
    if (const char* value = getenv(passed)) staged->env.push_back(std::string(passed) + "=" + value);
  staged->cwd = c.cwd.empty() ? work : work / expand(c.cwd);
  return true;
}

class CliTest : public testing::TestWithParam<CliCase> {};

TEST_P(CliTest, Runs) {
  const CliCase& c = GetParam();
  SCOPED_TRACE(c.table + ".cases:" + std::to_string(c.line) + ": " + c.name);
  fs::path work = fs::path(CLI_WORK_DIR) / c.table / std::to_string(c.line);
  auto expand = [&](const std::string& text) { return expandText(text, work); };
  StagedRun staged;
  if (!stageCase(c, work, &staged)) return;
  const std::string stage = QUORVELIX_STAGE_DIR;
  const std::vector<std::string>& env = staged.env;
  const fs::path& cwd = staged.cwd;
  const fs::path& scratch = staged.scratch;

  std::map<std::string, std::string> keptContent;
  for (const std::string& k : c.kept) keptContent[k] = readFileText(work / expand(k));
  Outcome outcome = run(staged.program, staged.argv, env, cwd, scratch, c.openFiles, c.fileSize);
  for (const std::vector<std::string>& then : c.thens) {
    if (then.empty()) continue;
    std::string next = stage + "/bin/x86/" + then[0];
    std::vector<std::string> nextArgv{next};
    for (size_t i = 1; i < then.size(); i++) nextArgv.push_back(expand(then[i]));
    Outcome more = run(next, nextArgv, env, cwd, scratch, c.openFiles, c.fileSize);
    EXPECT_EQ(more.status, 0) << then[0] << " failed:\n" << more.err;
    outcome.out += more.out;
    outcome.err += more.err;
  }
  for (const auto& [path, content] : keptContent)
    EXPECT_EQ(readFileText(work / expand(path)), content) << path << " changed";
  for (const std::string& p : c.present) EXPECT_TRUE(fs::exists(work / expand(p))) << p << " is missing";
  for (const std::string& p : c.absent) EXPECT_FALSE(fs::exists(fs::symlink_status(work / expand(p)))) << p << " exists";
  for (const std::string& pattern : c.noneNamed) {
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
      std::string name = entry.path().filename().string();
      EXPECT_NE(fnmatch(pattern.c_str(), name.c_str(), 0), 0) << "stray file " << entry.path();
    }
  }
  EXPECT_EQ(outcome.out, expand(c.expectedOut)) << "standard output";
  if (c.checkErrLines) {
    // Each expected line is found after the one before it.
    std::istringstream expected(expand(c.expectedErrLines));
    size_t at = 0;
    for (std::string line; std::getline(expected, line);) {
      size_t found = outcome.err.find(line + "\n", at);
      EXPECT_NE(found, std::string::npos) << "standard error lacks, in order: " << line << "\n" << outcome.err;
      if (found == std::string::npos) break;
      at = found + line.size() + 1;
    }
  } else {
    EXPECT_EQ(outcome.err, expand(c.expectedErr)) << "standard error";
  }
  EXPECT_EQ(outcome.status, c.expectedStatus) << "exit status";
}

std::string caseName(const testing::TestParamInfo<CliCase>& info) {
  std::string name = info.param.table + "_" + std::to_string(info.param.line) + "_";
  for (char ch : info.param.name) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CliTest, testing::ValuesIn(allCases()), caseName);

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The cases that compile sources as any compile does: the compiler alone, in the locale or
// environment of a user, and none of the set-ups by which writing fails, nor output beside the
// diagnostics that writing gives (the files written, dependency lines).
std::vector<CliCase> compilingCases() {
  std::vector<CliCase> chosen;
  for (const CliCase& c : allCases()) {
    if (c.program != "quorvelix" || !c.thens.empty() || !c.kit.empty() || !c.fifos.empty() || !c.links.empty() ||
        c.openFiles != 0 || c.fileSize != 0)
      continue;
    bool plainEnvironment = true;
    for (const std::string& e : c.env) plainEnvironment = plainEnvironment && (e.rfind("LC_", 0) == 0 || e.rfind("LANG=", 0) == 0);
    bool sources = false;
    bool writes = true;
    for (const std::string& a : c.args) {
      sources = sources || endsWith(a, ".java") || endsWith(a, ".jav") || a.rfind("@", 0) == 0;
      if (a == "-nowrite" || a == "-verbose" || a == "-xdepend" || a == "-qeb" || a == "-scanonly" || a == "-uncomment")
        writes = false;
    }
    if (plainEnvironment && sources && writes) chosen.push_back(c);
  }
  return chosen;
}

std::vector<std::string> filesBelow(const fs::path& work) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(work))
    if (entry.path().parent_path() != work / ".run") names.push_back(entry.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

class NoWriteTest : public testing::TestWithParam<CliCase> {};

// With -nowrite the compile checks all that it checks without: the same diagnostics and status,
// every body's included, and it leaves no file behind.
TEST_P(NoWriteTest, ReportsWhatTheCompileReports) {
  const CliCase& c = GetParam();
  SCOPED_TRACE(c.table + ".cases:" + std::to_string(c.line) + ": " + c.name);
  fs::path work = fs::path(CLI_WORK_DIR) / "nowrite" / (c.table + "_" + std::to_string(c.line));
  StagedRun staged;
  if (!stageCase(c, work, &staged)) return;
  Outcome compiled = run(staged.program, staged.argv, staged.env, staged.cwd, staged.scratch, 0, 0);
  if (!stageCase(c, work, &staged)) return;
  std::vector<std::string> before = filesBelow(work);
  staged.argv.insert(staged.argv.begin() + 1, "-nowrite");
  Outcome checked = run(staged.program, staged.argv, staged.env, staged.cwd, staged.scratch, 0, 0);
  EXPECT_EQ(checked.err, compiled.err) << "standard error";
  EXPECT_EQ(checked.status, compiled.status) << "exit status";
  EXPECT_EQ(filesBelow(work), before) << "files written";
}

INSTANTIATE_TEST_SUITE_P(Cases, NoWriteTest, testing::ValuesIn(compilingCases()), caseName);

}  // namespace

// Real Java 1.1 source that nobody here wrote, made at test time by Debian's parser generators
// (tools/make-corpus.sh), and the project's own sample programs: each unit (a generator's
// output with the hand-written files beside it) is compiled whole, every method body parsed and
// attributed, against version-45 views of the run-time libraries it calls. Every unit must
// compile with no error, and with no warning but the one for a stray semicolon in a class body,
// which generated parsers write after their methods.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Unit {
  std::string name;
  fs::path directory;  // the paths are relative to it
  std::vector<std::string> files;
};

std::vector<Unit> corpusUnits() {
  std::vector<Unit> units;
  std::ifstream list(fs::path(CORPUS_DIR) / "units.txt");
  for (std::string line; std::getline(list, line);) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    Unit unit{line.substr(0, tab), CORPUS_DIR, {}};
    std::istringstream paths(line.substr(tab + 1));
    for (std::string path; paths >> path;) unit.files.push_back(path);
    units.push_back(unit);
  }
  return units;
}

// The project's own sources of one directory, one unit.
Unit ownUnit(const char* directory) {
  Unit unit{directory, directory, {}};
  for (const auto& entry : fs::directory_iterator(directory))
    if (entry.path().extension() == ".java") unit.files.push_back(entry.path().filename().string());
  std::sort(unit.files.begin(), unit.files.end());
  return unit;
}

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Compiles the unit into a scratch directory; its standard error, and its exit status.
int compile(const Unit& unit, const fs::path& scratch, std::string* errors) {
  fs::remove_all(scratch);
  fs::create_directories(scratch / "classes");
  std::string program = STAGE_DIR "/bin/x86/quorvelix";
  std::vector<std::string> argv{program, "-classpath", std::string(CORPUS_DIR) + "/lib/runtime.zip", "-d",
                                (scratch / "classes").string()};
  argv.insert(argv.end(), unit.files.begin(), unit.files.end());
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  fs::path errPath = scratch / "stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, unit.directory.c_str());
  pid_t pid;
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    *errors = "spawn failed: " + std::string(strerror(rc));
    return -1;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  *errors = readText(errPath);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(Corpus, EveryUnitCompilesWithoutDiagnostics) {
  std::vector<Unit> units = corpusUnits();
  ASSERT_GT(units.size(), 50u) << "no corpus in " << CORPUS_DIR;
  for (const char* own : {OWN_SOURCES "/samples", OWN_SOURCES "/tests/dumper/java"}) {
    Unit unit = ownUnit(own);
    ASSERT_FALSE(unit.files.empty()) << "no sources in " << own;
    units.push_back(unit);
  }
  const std::regex diagnostic("^[^ ]+\\.java:[0-9]+: .*");
  std::set<fs::path> compiled;
  fs::path scratch = fs::path(CORPUS_WORK_DIR);
  for (const Unit& unit : units) {
    std::string errors;
    int status = compile(unit, scratch, &errors);
    EXPECT_EQ(status, 0) << unit.name << "\n" << errors;
    // Each diagnostic line (a file name, a line number, the text) is that one warning.
    std::istringstream output(errors);
    for (std::string line; std::getline(output, line);)
      if (std::regex_match(line, diagnostic))
        EXPECT_NE(line.find("Warning: Empty member declaration"), std::string::npos) << unit.name << ": " << line;
    for (const std::string& file : unit.files) compiled.insert(unit.directory / file);
  }
  size_t lines = 0;
  for (const fs::path& file : compiled) {
    std::string text = readText(file);
    lines += std::count(text.begin(), text.end(), '\n');
  }
  fs::remove_all(scratch);
  EXPECT_GE(lines, 80000u);
}

}  // namespace

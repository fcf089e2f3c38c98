// Whole-process compiles, quorvelix beside ecj -1.3 in the same run, class files written to tmpfs
// (/dev/shm), with the ratio of the two times:
//  - start-up: one small class (Hello.java), the best of many runs;
//  - generated test programs (test_programs.h), all compiled by one process;
//  - the corpus: each generator's unit compiled by a process of its own (the units and source
//    paths of the corpus test, tests/corpus/corpus_classes_test.cpp).
// With -instructions, the instructions of the start-up and of the programs' compile as valgrind
// counts them. Run it pinned to one core (taskset -c N) on a quiet machine.
// Usage: compile_bench [-instructions] [-programs N] [-rounds N] [-quorvelix PROGRAM] [corpus directory]
//                      [run-time zip]
//        compile_bench -write-programs DIRECTORY [N]   (writes the programs only)
// -quorvelix times another build of the compiler (an older one, for a comparison) in place of this one.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "test_programs.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const RUNTIME_JARS = "/usr/share/java/antlr.jar:/usr/share/java/cup_runtime.jar:/usr/share/java/junit.jar";
constexpr int DEFAULT_PROGRAMS = 1510;

bool holdsJavaFiles(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file() && entry.path().extension() == ".java") return true;
  return false;
}

std::map<fs::path, std::vector<std::string>> corpusUnits(const fs::path& corpus) {
  std::map<fs::path, std::vector<std::string>> units;
  auto depth = [](const fs::path& p) { return std::distance(p.begin(), p.end()); };
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".java") continue;
    fs::path relative = fs::relative(entry.path(), corpus);
    fs::path unit = corpus;
    auto part = relative.begin();
    unit /= *part++;
    for (; part != relative.end(); ++part) {
      unit /= *part;
      if (unit == entry.path()) break;
      if (depth(corpus) + 2 <= depth(unit) && holdsJavaFiles(unit)) break;
    }
    if (unit == entry.path()) unit = entry.path().parent_path();
    units[unit].push_back(fs::relative(entry.path(), unit).string());
  }
  return units;
}

struct Command {
  std::vector<std::string> words;
  fs::path directory;
};

// One process, its output dropped, waited for; the wall time in seconds, or -1 when it could not
// run or (when it must succeed) failed. With `errors`, standard error goes there instead.
double runOnce(const Command& command, bool mustSucceed, const std::string& errors = "") {
  std::vector<char*> argv;
  for (const std::string& word : command.words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errors.empty() ? "/dev/null" : errors.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::string cwd = command.directory.string();
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return !mustSucceed || (WIFEXITED(status) && WEXITSTATUS(status) == 0) ? elapsed : -1;
}

// The least disturbed of several runs shows the compiler's own cost on a shared machine.
double bestOf(int runs, const std::vector<Command>& commands, bool mustSucceed = true) {
  double best = -1;
  for (int run = 0; run < runs; run++) {
    double total = 0;
    for (const Command& c : commands) {
      double t = runOnce(c, mustSucceed);
      if (t < 0) return -1;
      total += t;
    }
    if (best < 0 || total < best) best = total;
  }
  return best;
}

// The instructions valgrind counts for one run of the command, or -1.
double instructions(const Command& command, const fs::path& scratch) {
  Command counted = command;
  counted.words.insert(counted.words.begin(),
                       {"valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"});
  std::string log = (scratch / "callgrind.log").string();
  if (runOnce(counted, true, log) < 0) return -1;
  std::ifstream in(log);
  std::string line;
  double count = -1;
  while (std::getline(in, line)) {
    size_t at = line.find("Collected : ");
    if (at != std::string::npos) count = std::strtod(line.c_str() + at + 12, nullptr);
  }
  return count;
}

void printPair(const char* what, double ours, double theirs, const char* detail) {
  if (ours < 0 || theirs < 0) {
    std::printf("%-34s quorvelix %s, ecj -1.3 %s\n", what, ours < 0 ? "failed" : "ran", theirs < 0 ? "failed" : "ran");
    return;
  }
  std::printf("%-34s quorvelix %9.1f ms   ecj -1.3 %9.1f ms   ecj/quorvelix %6.1f   %s\n", what, ours * 1e3,
              theirs * 1e3, theirs / ours, detail);
}

std::string quorvelixProgram = QUORVELIX_PROGRAM;

Command quorvelix(const fs::path& directory, const std::vector<std::string>& arguments) {
  Command c{{quorvelixProgram}, directory};
  c.words.insert(c.words.end(), arguments.begin(), arguments.end());
  return c;
}

Command ecj(const fs::path& directory, const std::vector<std::string>& arguments) {
  Command c{{"ecj", "-1.3", "-nowarn", "-proc:none"}, directory};
  c.words.insert(c.words.end(), arguments.begin(), arguments.end());
  return c;
}

int64_t countLines(const fs::path& directory, const std::vector<std::string>& files) {
  int64_t lines = 0;
  for (const std::string& f : files) {
    std::ifstream in(directory / f, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) lines++;
  }
  return lines;
}

int64_t countClassFiles(const fs::path& directory) {
  int64_t n = 0;
  for (const auto& entry : fs::recursive_directory_iterator(directory))
    if (entry.path().extension() == ".class") n++;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  bool countInstructions = false;
  int programCount = DEFAULT_PROGRAMS;
  int rounds = 3;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "-write-programs" && i + 1 < argc) {
      int n = i + 2 < argc ? std::atoi(argv[i + 2]) : DEFAULT_PROGRAMS;
      std::vector<std::string> files = writeTestPrograms(argv[i + 1], n);
      std::printf("%zu programs written to %s\n", files.size(), argv[i + 1]);
      return 0;
    }
    if (a == "-instructions") {
      countInstructions = true;
    } else if (a == "-programs" && i + 1 < argc) {
      programCount = std::atoi(argv[++i]);
    } else if (a == "-rounds" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else if (a == "-quorvelix" && i + 1 < argc) {
      quorvelixProgram = fs::absolute(argv[++i]).string();
    } else {
      positional.push_back(a);
    }
  }
  fs::path corpus = positional.size() > 0 ? positional[0] : BENCH_CORPUS_DIR;
  std::string runtime = positional.size() > 1 ? positional[1] : BENCH_RUNTIME_ZIP;
  fs::path shm = "/dev/shm/quorvelix-compile-bench";
  fs::remove_all(shm);
  fs::create_directories(shm);

  // Start-up.
  fs::path hello = shm / "hello";
  fs::create_directories(hello / "q");
  fs::create_directories(hello / "e");
  std::ofstream(hello / "Hello.java", std::ios::binary)
      << "public class Hello {\n    public static void main(String[] args) {\n"
         "        System.out.println(\"Hello\");\n    }\n}\n";
  Command helloOurs = quorvelix(hello, {"-d", "q", "Hello.java"});
  double ours = bestOf(20 * rounds, {helloOurs});
  double theirs = bestOf(rounds, {ecj(hello, {"-d", "e", "Hello.java"})});
  printPair("start-up, Hello.java:", ours, theirs, "best of runs");
  if (countInstructions)
    std::printf("%-34s quorvelix %.1f M instructions\n", "", instructions(helloOurs, shm) / 1e6);

  // The generated programs, one process each.
  fs::path programs = shm / "programs";
  std::vector<std::string> files = writeTestPrograms(programs / "src", programCount);
  fs::create_directories(programs / "q");
  fs::create_directories(programs / "e");
  std::vector<std::string> arguments = {"-d", "../q"};
  arguments.insert(arguments.end(), files.begin(), files.end());
  Command programsOurs = quorvelix(programs / "src", arguments);
  ours = bestOf(rounds, {programsOurs});
  arguments[1] = "../e";
  theirs = bestOf(rounds, {ecj(programs / "src", arguments)});
  char detail[128];
  std::snprintf(detail, sizeof detail, "%zu files, %lld lines, %lld classes", files.size(),
                static_cast<long long>(countLines(programs / "src", files)),
                static_cast<long long>(countClassFiles(programs / "q")));
  printPair("generated programs, one process:", ours, theirs, detail);
  if (countInstructions)
    std::printf("%-34s quorvelix %.1f M instructions\n", "", instructions(programsOurs, shm) / 1e6);

  // The corpus, a process per unit.
  if (!fs::is_directory(corpus) || !fs::exists(runtime)) {
    std::printf("corpus: needs the corpus (%s) and the run-time zip (%s): run ctest -R corpus_classes first\n",
                corpus.c_str(), runtime.c_str());
    fs::remove_all(shm);
    return 0;
  }
  std::map<fs::path, std::vector<std::string>> units = corpusUnits(corpus);
  std::map<std::string, std::string> sourcePaths;
  size_t unitFiles = 0;
  int64_t unitLines = 0;
  for (const auto& [unit, sources] : units) {
    std::string& path = sourcePaths[fs::relative(unit, corpus).begin()->string()];
    path += (path.empty() ? "" : ":") + unit.string();
    unitFiles += sources.size();
    unitLines += countLines(unit, sources);
  }
  std::vector<Command> oursPerUnit;
  std::vector<Command> theirsPerUnit;
  for (const auto& [unit, sources] : units) {
    std::string name = fs::relative(unit, corpus).string();
    for (char& c : name)
      if (c == '/') c = '_';
    std::string sourcePath = unit.string() + ":" + sourcePaths[fs::relative(unit, corpus).begin()->string()];
    for (bool isEcj : {false, true}) {
      fs::path out = shm / (isEcj ? "ecj" : "quorvelix") / name;
      fs::create_directories(out);
      std::vector<std::string> words = {"-classpath", isEcj ? RUNTIME_JARS : runtime, "-sourcepath", sourcePath,
                                        "-d", out.string()};
      if (!isEcj) words.insert(words.begin(), "-nowarn");
      words.insert(words.end(), sources.begin(), sources.end());
      (isEcj ? theirsPerUnit : oursPerUnit).push_back(isEcj ? ecj(unit, words) : quorvelix(unit, words));
    }
  }
  // A few units need a file the corpus did not keep, and fail in both compilers alike.
  ours = bestOf(rounds, oursPerUnit, false);
  theirs = bestOf(1, theirsPerUnit, false);
  std::snprintf(detail, sizeof detail, "%zu units, %zu files, %lld lines", units.size(), unitFiles,
                static_cast<long long>(unitLines));
  printPair("corpus, a process per unit:", ours, theirs, detail);
  fs::remove_all(shm);
  return 0;
}

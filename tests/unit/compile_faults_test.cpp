// Whole console compiles that meet a fault of the host: memory that runs out at each point in turn
// (through the allocation limit _QV_ALLOCATIONS), a standard output that takes nothing, and an
// interruption while class files are written. None may end with success or a bare message key,
// or leave a temporary or a partial class file behind.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string compiler = std::string(STAGE_DIR) + "/bin/x86/quorvelix";

// Starts the compiler on the sources of `directory` with the extra environment and options; its
// standard error goes to `errors`, its standard output to `output` (both nowhere unless given).
pid_t startCompile(const fs::path& directory, const fs::path& out, const std::vector<std::string>& sources,
                   const std::vector<std::string>& extraEnvironment = {}, const fs::path& errors = "/dev/null",
                   const std::vector<std::string>& options = {}, const fs::path& output = "/dev/null") {
  std::vector<std::string> words{compiler};
  words.insert(words.end(), options.begin(), options.end());
  words.insert(words.end(), {"-d", out.string()});
  for (const std::string& s : sources) words.push_back((directory / s).string());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables(extraEnvironment);
  for (char** e = environ; *e != nullptr; e++)
    if (std::strncmp(*e, "LC_ALL=", 7) != 0 && std::strncmp(*e, "_QV_ALLOCATIONS=", 16) != 0) variables.push_back(*e);
  std::vector<char*> envp;
  for (std::string& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, compiler.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  return status;
}

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool isTemporary(const std::string& name) {
  return name.size() > 6 && name.compare(name.size() - 6, 6, ".cltmp") == 0;
}

struct MemoryCase {
  const char* name;
  const char* source;
  const char* locale;
  const char* whole;  // what standard error holds once memory suffices
};

// Every allocation up to the 40th fails in turn (start-up, the paths, the first files), then every
// 23rd, until the compile has all it needs; each run stopped before says so in words.
TEST(OutOfMemory, EveryPointOfACompileEndsWithTheNoteInWordsAndStatus1) {
  const MemoryCase cases[] = {
      {"clean", "class A { public static void main(String[] a) { System.out.println(\"hi\" + a.length); } }\n", "C",
       ""},
      {"errors", "class A { int f() { return missing; } }\n", "C", "No variable named missing"},
      {"localized", "class A { Object o = new Object() { }; }\n", "de_DE.ISO-8859-1", ""},
  };
  const std::regex bareKey("^(quorvelix: )?[a-z]+(\\.[a-z0-9]+)+$");
  for (const MemoryCase& c : cases) {
    fs::path root = fs::path(UNIT_WORK_DIR) / "OutOfMemory" / c.name;
    fs::remove_all(root);
    writeTextFile(root / "A.java", c.source);
    fs::create_directories(root / "out");
    bool whole = false;
    int64_t n = 0;
    for (; n < 20000 && !whole; n += n < 40 ? 1 : 23) {
      pid_t pid = startCompile(root, root / "out", {"A.java"},
                               {"_QV_ALLOCATIONS=" + std::to_string(n), std::string("LC_ALL=") + c.locale},
                               root / "errors.txt");
      int status = waitFor(pid);
      std::string errors = contentOf(root / "errors.txt");
      SCOPED_TRACE(std::string(c.name) + ", allocations " + std::to_string(n) + ":\n" + errors);
      ASSERT_TRUE(WIFEXITED(status));
      std::istringstream lines(errors);
      for (std::string line; std::getline(lines, line);) EXPECT_FALSE(std::regex_match(line, bareKey)) << line;
      if (errors.find("Out of memory; the compile is stopped.\n") == std::string::npos) {
        whole = true;
        EXPECT_EQ(WEXITSTATUS(status), c.whole[0] != '\0' ? 1 : 0);
        EXPECT_NE(errors.find(c.whole), std::string::npos);
        continue;
      }
      EXPECT_EQ(WEXITSTATUS(status), 1);
      EXPECT_TRUE(errors.size() >= 7 && (errors.compare(errors.size() - 6, 6, "error\n") == 0 ||
                                         errors.compare(errors.size() - 7, 7, "errors\n") == 0));
    }
    EXPECT_TRUE(whole) << c.name;
    EXPECT_GT(n, 40) << c.name << ": a compile needs more than a few allocations";
    for (const auto& entry : fs::directory_iterator(root / "out"))
      EXPECT_FALSE(isTemporary(entry.path().filename().string())) << entry.path();
  }
}

// Dependency lines that standard output does not take (a full disk) make the compile fail.
TEST(LostOutput, AStandardOutputThatTakesNothingIsAFailure) {
  fs::path root = fs::path(UNIT_WORK_DIR) / "LostOutput";
  fs::remove_all(root);
  writeTextFile(root / "A.java", "class A {}\n");
  fs::create_directories(root / "out");
  pid_t pid = startCompile(root, root / "out", {"A.java"}, {"LC_ALL=C"}, root / "errors.txt", {"-xdepend"}, "/dev/full");
  int status = waitFor(pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(contentOf(root / "errors.txt"), "Standard output could not be written completely; lines the compile printed are lost.\n");
}

class InterruptedCompile : public testing::TestWithParam<int> {};

// Stopped the moment its first temporary file appears, sent the signal and let go, a compile must
// end by that signal, leave no temporary file, and every class file it did write must be the
// whole file that an uninterrupted compile writes.
TEST_P(InterruptedCompile, LeavesOnlyWholeClassFilesAndEndsByTheSignal) {
  int signalNumber = GetParam();
  fs::path root = fs::path(UNIT_WORK_DIR) / ("Interrupted" + std::to_string(signalNumber));
  fs::remove_all(root);
  // Enough classes that the compile is far from done when its first file is written.
  std::vector<std::string> sources;
  for (int f = 0; f < 8; f++) {
    std::string text;
    for (int i = 0; i < 2500; i++)
      text += "class C" + std::to_string(f) + "_" + std::to_string(i) + " { int f(int x) { return x + " +
              std::to_string(i) + "; } }\n";
    sources.push_back("U" + std::to_string(f) + ".java");
    writeTextFile(root / sources.back(), text);
  }
  fs::create_directories(root / "whole");
  fs::create_directories(root / "out");

  int status = waitFor(startCompile(root, root / "whole", sources));
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  int watch = inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, (root / "out").c_str(), IN_CREATE), 0);
  pid_t pid = startCompile(root, root / "out", sources);
  bool seen = false;
  alignas(inotify_event) char events[4096];
  while (!seen) {
    ssize_t n = read(watch, events, sizeof events);
    ASSERT_GT(n, 0);
    for (char* at = events; at < events + n;) {
      auto* event = reinterpret_cast<inotify_event*>(at);
      if (event->len > 0 && isTemporary(event->name)) seen = true;
      at += sizeof(inotify_event) + event->len;
    }
  }
  kill(pid, SIGSTOP);
  close(watch);
  kill(pid, signalNumber);
  kill(pid, SIGCONT);
  status = waitFor(pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << "status " << status;

  int written = 0;
  for (const auto& entry : fs::directory_iterator(root / "out")) {
    std::string name = entry.path().filename().string();
    EXPECT_FALSE(isTemporary(name)) << "left behind: " << name;
    if (isTemporary(name)) continue;
    EXPECT_EQ(contentOf(entry.path()), contentOf(root / "whole" / name)) << name << " is not whole";
    written++;
  }
  EXPECT_LT(written, 20000);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedCompile, testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace

// A console compile interrupted while it writes class files: stopped the moment its first
// temporary file appears, sent the signal and let go, it must end by that signal and leave no
// temporary file, and every class file it did write must be the whole file that an uninterrupted
// compile writes.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string compiler = std::string(STAGE_DIR) + "/bin/x86/quorvelix";

pid_t startCompile(const fs::path& directory, const fs::path& out, const std::vector<std::string>& sources) {
  std::vector<std::string> words{compiler, "-d", out.string()};
  for (const std::string& s : sources) words.push_back((directory / s).string());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, compiler.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool isTemporary(const std::string& name) {
  return name.size() > 6 && name.compare(name.size() - 6, 6, ".cltmp") == 0;
}

class InterruptedCompile : public testing::TestWithParam<int> {};

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

  int status = 0;
  pid_t whole = startCompile(root, root / "whole", sources);
  ASSERT_EQ(waitpid(whole, &status, 0), whole);
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
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
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

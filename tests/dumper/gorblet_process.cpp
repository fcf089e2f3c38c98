// Child processes through posix_spawn, with standard output and standard error sent to files that
// are read back once the child has ended, so that neither stream can block the other.
#include "gorblet_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string freshDirectory(const std::string& name) {
  fs::path directory = fs::path(DUMPER_WORK_DIR) / name;
  fs::remove_all(directory);
  fs::create_directories(directory);
  return directory.string();
}

ProcessResult runProgram(const std::vector<std::string>& argv, const std::string& directory) {
  static int runs = 0;
  fs::path captures = fs::path(DUMPER_WORK_DIR) / "captures";
  fs::create_directories(captures);
  std::string stem = (captures / (std::to_string(getpid()) + "-" + std::to_string(++runs))).string();
  std::string outPath = stem + ".out";
  std::string errPath = stem + ".err";

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());

  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  pid_t child;
  int failed = posix_spawn(&child, arguments[0], &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start " + argv[0]);

  int wait = 0;
  while (waitpid(child, &wait, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("lost the child of " + argv[0]);
  }
  ProcessResult result;
  result.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  fs::remove(outPath);
  fs::remove(errPath);
  return result;
}

ProcessResult runGorblet(const std::vector<std::string>& args, const std::string& directory) {
  std::vector<std::string> argv{GORBLET_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(argv, directory);
}

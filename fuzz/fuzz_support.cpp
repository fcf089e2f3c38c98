// Fuzz-target plumbing over the in-process compile entry of the driver.
#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "driver/compile_driver.h"
#include "support/arena.h"
#include "support/encodings.h"
#include "support/global.h"

const std::string& fuzzDirectory() {
  // Never destroyed, so that the exit handler that removes the directory can still read it.
  static const std::string& directory = *[] {
    std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    auto* path = new std::string(base + "/quorvelix-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(*path + "/classes");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(fuzzDirectory(), ignored);
    });
    return path;
  }();
  return directory;
}

void fuzzInitialize() {
  static bool done;
  if (done) return;
  done = true;
  fuzzDirectory();
  // Diagnostics go to standard output (-J-Dtolvo.pipe.output=true), which is thrown away; the
  // fuzzer reports on standard error.
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, STDOUT_FILENO);
}

void writeInput(const std::string& path, const uint8_t* data, size_t size) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
}

void compileInProcess(const std::vector<std::string>& arguments) {
  auto** argv = static_cast<char**>(std::calloc(arguments.size() + 1, sizeof(char*)));
  for (size_t i = 0; i < arguments.size(); i++) argv[i] = strdup(arguments[i].c_str());
  initMemory();
  global.localeName = "C";
  internalTolvo(static_cast<int>(arguments.size()), argv, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1);
  global.errorCount = 0;
}

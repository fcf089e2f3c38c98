// Scanner throughput: generates a large Java source, then times the whole "quorvelix -scanonly"
// command on it and the scanner alone in-process, and prints MB/s and tokens/s.
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "driver/source_files.h"
#include "support/arena.h"
#include "support/global.h"
#include "syntax/scanner.h"

extern char** environ;

namespace {

// A deterministic mix of what real sources hold: declarations, expressions, literals, comments.
std::string generateSource(size_t minimumBytes) {
  std::string text;
  text.reserve(minimumBytes + 4096);
  text += "package bench.generated;\n\nimport java.util.Vector;\n\n";
  for (int n = 0; text.size() < minimumBytes; n++) {
    text += "/**\n * Class number " + std::to_string(n) + ", with a doc comment.\n */\n";
    text += "public class C" + std::to_string(n) + " extends Object implements Runnable {\n";
    text += "    private int counter = 0x7f + 0777 + " + std::to_string(n) + ";\n";
    text += "    private static final double RATE = 1.5e-3, LIMIT = 12.75;\n";
    text += "    protected String name = \"generated name \\t number " + std::to_string(n) + "\";\n\n";
    text += "    public void run() {\n";
    text += "        // count up and report\n";
    text += "        for (int i = 0; i < 100; i++) {\n";
    text += "            counter += i * 3 - (counter >>> 2) % 7;\n";
    text += "            if (counter > 1000 && name != null) { counter = 'c' + (int) (RATE * LIMIT); }\n";
    text += "        }\n";
    text += "        Vector items = new Vector(); items.addElement(name + counter);\n";
    text += "    }\n}\n\n";
  }
  return text;
}

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double timeCommand(const std::string& program, const std::string& file) {
  const char* argv[] = {program.c_str(), "-scanonly", file.c_str(), nullptr};
  double best = 1e9;
  for (int run = 0; run < 3; run++) {
    auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    double elapsed = seconds(std::chrono::steady_clock::now() - start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    if (elapsed < best) best = elapsed;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 12;
  std::string source = generateSource(megabytes * 1024 * 1024);
  std::filesystem::path directory = std::filesystem::temp_directory_path() / "quorvelix-scan-bench";
  std::filesystem::create_directories(directory);
  std::string file = (directory / "Generated.java").string();
  std::ofstream(file, std::ios::binary) << source;
  double mb = static_cast<double>(source.size()) / (1024 * 1024);

  initMemory();
  global.currentArena = &global.mainArena;
  global.maxCharBytes = 1;
  initScanner();
  SourceFile input{};
  input.name = const_cast<char*>("Generated.java");
  input.content = source.data();
  input.contentLength = static_cast<int32_t>(source.size());
  int64_t tokens = 0;
  double best = 1e9;
  for (int run = 0; run < 3; run++) {
    tokens = 0;
    auto start = std::chrono::steady_clock::now();
    setScanSource(&input, 0, 1, 0);
    while (scanToken() != T_EOF) tokens++;
    double elapsed = seconds(std::chrono::steady_clock::now() - start);
    if (elapsed < best) best = elapsed;
  }
  std::printf("source: %.1f MB, %lld tokens, %d errors\n", mb, static_cast<long long>(tokens), global.errorCount);
  std::printf("scanner in-process: %.3f s, %.1f MB/s, %.1f M tokens/s\n", best, mb / best, tokens / best / 1e6);
  double command = timeCommand(QUORVELIX_PROGRAM, file);
  if (command > 0)
    std::printf("quorvelix -scanonly: %.3f s, %.1f MB/s, %.1f M tokens/s\n", command, mb / command,
                tokens / command / 1e6);
  std::filesystem::remove_all(directory);
  return 0;
}

// Front-end figures: scanner throughput on a large generated source (in-process and as a whole
// "quorvelix -scanonly" command), the start-up of a whole command on one small file, the
// declaration parse of a corpus directory, the parse and attribution of every body of the corpus's
// units (beside the declaration parse and the class passes of the same compiles), and the loading
// of the class library from its archive.
// Usage: front_end_bench [megabytes] [corpus directory] [classes.zip]
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <algorithm>
#include <vector>

#include "codegen/class_generation.h"
#include "driver/source_passes.h"
#include "semantic/class_lookup.h"
#include "semantic/class_table.h"
#include "semantic/passes.h"
#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/message_file.h"
#include "support/parser_context.h"
#include "support/source_file.h"
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

// The best of several whole commands: the machine is shared, and the least disturbed run is the
// one that shows the compiler's own cost.
double timeCommand(const std::string& program, const char* option, const std::string& file, int runs) {
  const char* argv[] = {program.c_str(), option, file.c_str(), nullptr};
  double best = 1e9;
  for (int run = 0; run < runs; run++) {
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

void freshCompile() {
  releaseMemory();
  initMemory();
  global.currentArena = &global.mainArena;
  global.maxCharBytes = 1;
  global.noMessages = 1;
  global.noWarnings = 1;
  resetClassTable();
  initScanner();
}

void benchCorpus(const char* directory) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory))
    if (entry.path().extension() == ".java") files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  // The scanner alone over every file of the corpus, all of them in memory first.
  freshCompile();
  std::vector<SourceFile*> sources;
  int64_t bytes = 0;
  for (const std::string& path : files)
    if (SourceFile* file = addSourceFile(path.c_str())) {
      sources.push_back(file);
      bytes += file->contentLength;
    }
  double bestScan = 1e9;
  for (int run = 0; run < 5; run++) {
    auto start = std::chrono::steady_clock::now();
    for (SourceFile* file : sources) {
      setScanSource(file, 0, 1, 0);
      while (scanToken() != T_EOF) {
      }
    }
    double elapsed = seconds(std::chrono::steady_clock::now() - start);
    if (elapsed < bestScan) bestScan = elapsed;
  }
  double mb = static_cast<double>(bytes) / (1024 * 1024);
  std::printf("scanner on the corpus: %zu files, %.1f MB, %.3f s, %.1f MB/s\n", sources.size(), mb, bestScan,
              mb / bestScan);
  int64_t lines = 0;
  double best = 1e9;
  for (int run = 0; run < 3; run++) {
    lines = 0;
    double elapsed = 0;
    for (const std::string& path : files) {
      freshCompile();
      SourceFile* file = addSourceFile(path.c_str());
      if (file == nullptr) continue;
      lines += std::count(file->content, file->content + file->contentLength, '\n');
      auto start = std::chrono::steady_clock::now();
      parseAllFiles();
      elapsed += seconds(std::chrono::steady_clock::now() - start);
    }
    if (elapsed < best) best = elapsed;
  }
  std::printf("declaration parse: %zu files, %lld lines, %.3f s, %.0f lines/s\n", files.size(),
              static_cast<long long>(lines), best, lines / best);
}

// Each unit of the corpus (units.txt) compiled as the driver compiles it, against the kit's class
// library and the corpus's run-time views, with the three stages timed apart: the declaration
// parse, the class passes up to the field constants, and class generation, which parses and
// attributes every body (no class file is written).
void benchBodies(const char* directory, const char* library) {
  std::ifstream list(std::string(directory) + "/units.txt");
  std::vector<std::vector<std::string>> units;
  for (std::string line; std::getline(list, line);) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::istringstream paths(line.substr(tab + 1));
    std::vector<std::string> files;
    for (std::string path; paths >> path;) files.push_back(std::string(directory) + "/" + path);
    units.push_back(files);
  }
  if (units.empty()) return;
  std::string runtime = std::string(directory) + "/lib/runtime.zip";
  std::filesystem::path output = std::filesystem::temp_directory_path() / "quorvelix-body-bench";
  std::filesystem::create_directories(output);
  double best[3] = {1e9, 1e9, 1e9};
  int64_t lines = 0;
  int32_t errors = 0;
  for (int run = 0; run < 3; run++) {
    double elapsed[3] = {0, 0, 0};
    lines = 0;
    errors = 0;
    for (const std::vector<std::string>& files : units) {
      freshCompile();
      char* entries[3] = {mainArenaCopy(library), mainArenaCopy(runtime.c_str()), nullptr};
      ZipFile* archives[3] = {zipOpen(library), zipOpen(runtime.c_str()), nullptr};
      global.classPathEntries = global.sourcePathEntries = entries;
      global.classPathArchives = global.sourcePathArchives = archives;
      global.outputDirectory = mainArenaCopy(output.c_str());
      for (const std::string& path : files) {
        SourceFile* file = addSourceFile(path.c_str());
        if (file != nullptr) lines += std::count(file->content, file->content + file->contentLength, '\n');
      }
      auto start = std::chrono::steady_clock::now();
      parseAllFiles();
      auto parsed = std::chrono::steady_clock::now();
      initJavaIo();
      resolveImports();
      resolveAllSupertypes();
      initStringBufferMethods();
      checkAllClasses();
      evaluateAllFieldConstants();
      auto checked = std::chrono::steady_clock::now();
      generateAllClasses();
      auto generated = std::chrono::steady_clock::now();
      elapsed[0] += seconds(parsed - start);
      elapsed[1] += seconds(checked - parsed);
      elapsed[2] += seconds(generated - checked);
      errors += global.errorCount;
      global.classPathEntries = global.sourcePathEntries = nullptr;
      global.classPathArchives = global.sourcePathArchives = nullptr;
      for (ZipFile* archive : archives)
        if (archive != nullptr) zipClose(archive);
    }
    for (int i = 0; i < 3; i++)
      if (elapsed[i] < best[i]) best[i] = elapsed[i];
  }
  std::filesystem::remove_all(output);
  std::printf("corpus units: %zu units, %lld lines, %d errors\n", units.size(), static_cast<long long>(lines), errors);
  std::printf("  declaration parse: %.3f s, %.0f lines/s\n", best[0], lines / best[0]);
  std::printf("  class passes to the field constants: %.3f s, %.0f lines/s\n", best[1], lines / best[1]);
  std::printf("  body parse and attribution: %.3f s, %.0f lines/s\n", best[2], lines / best[2]);
}

void benchClassLibrary(const char* library) {
  freshCompile();
  char* entries[2] = {mainArenaCopy(library), nullptr};
  ZipFile* archive = zipOpen(library);
  if (archive == nullptr) {
    std::printf("class library: cannot open %s\n", library);
    return;
  }
  ZipFile* archives[2] = {archive, nullptr};
  global.classPathEntries = entries;
  global.classPathArchives = archives;
  global.sourcePathEntries = entries;
  global.sourcePathArchives = archives;
  auto start = std::chrono::steady_clock::now();
  initJavaLang();
  double objectTime = seconds(std::chrono::steady_clock::now() - start);
  std::vector<std::string> names;
  for (int32_t i = 0; i < archive->entryCount; i++) names.emplace_back(zipEntryName(archive, &archive->entries[i]), archive->entries[i].nameLength);
  int32_t classes = 0;
  start = std::chrono::steady_clock::now();
  for (const std::string& member : names) {
    if (member.size() < 7 || member.compare(member.size() - 6, 6, ".class") != 0) continue;
    Package* package = nullptr;
    size_t segment = 0;
    for (size_t at = member.find('/'); at != std::string::npos; at = member.find('/', segment)) {
      package = getPackage(package, enterName(member.substr(segment, at - segment).c_str(), T_IDENTIFIER));
      segment = at + 1;
    }
    std::string simple = member.substr(segment, member.size() - 6 - segment);
    if (loadClass(package, enterName(simple.c_str(), T_IDENTIFIER), 0, 0) != nullptr) classes++;
  }
  double allTime = seconds(std::chrono::steady_clock::now() - start);
  std::printf("class library: java.lang.Object and its closure %.3f s; all %d classes %.3f s (%d errors)\n",
              objectTime, classes, objectTime + allTime, global.errorCount);
  global.classPathEntries = nullptr;
  global.classPathArchives = nullptr;
  global.sourcePathEntries = nullptr;
  global.sourcePathArchives = nullptr;
  zipClose(archive);
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
  double command = timeCommand(QUORVELIX_PROGRAM, "-scanonly", file, 3);
  if (command > 0)
    std::printf("quorvelix -scanonly: %.3f s, %.1f MB/s, %.1f M tokens/s\n", command, mb / command,
                tokens / command / 1e6);
  // Start-up: a whole command on a file of one small class.
  std::string hello = (directory / "Hello.java").string();
  std::ofstream(hello, std::ios::binary)
      << "public class Hello {\n    public static void main(String[] args) {\n"
         "        System.out.println(\"Hello\");\n    }\n}\n";
  double scanHello = timeCommand(QUORVELIX_PROGRAM, "-scanonly", hello, 20);
  double compileHello = timeCommand(QUORVELIX_PROGRAM, "-nowrite", hello, 20);
  if (scanHello > 0 && compileHello > 0)
    std::printf("start-up: quorvelix -scanonly Hello.java %.1f ms, quorvelix -nowrite Hello.java %.1f ms\n",
                scanHello * 1e3, compileHello * 1e3);
  // What the whole command costs beyond the scan itself and a process's start: reading the file,
  // making its records, ending.
  if (command > 0 && scanHello > 0)
    std::printf("quorvelix -scanonly against the in-process scan plus start-up: %.2f times\n",
                command / (best + scanHello));
  std::filesystem::remove_all(directory);
  const char* library = argc > 3 ? argv[3] : QUORVELIX_CLASS_LIBRARY;
  if (argc > 2) {
    benchCorpus(argv[2]);
    benchBodies(argv[2], library);
  }
  benchClassLibrary(library);
  return 0;
}

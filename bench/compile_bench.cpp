// Whole-process compiles of the corpus: each generator's unit compiled by a quorvelix process and
// by an ecj -1.3 process, the same files in the same run, class files written to tmpfs
// (/dev/shm), and the ratio of the two total wall times printed. Units and source paths are those
// of the corpus test (tests/corpus/corpus_classes_test.cpp).
// Usage: compile_bench [corpus directory] [version-45 run-time zip] [rounds]
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const RUNTIME_JARS = "/usr/share/java/antlr.jar:/usr/share/java/cup_runtime.jar:/usr/share/java/junit.jar";

std::string shellQuoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

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

double seconds(const std::chrono::steady_clock::time_point& since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  fs::path corpus = argc > 1 ? argv[1] : BENCH_CORPUS_DIR;
  std::string runtime = argc > 2 ? argv[2] : BENCH_RUNTIME_ZIP;
  int rounds = argc > 3 ? std::atoi(argv[3]) : 1;
  if (!fs::is_directory(corpus) || !fs::exists(runtime)) {
    std::fprintf(stderr, "compile_bench: needs the corpus (%s) and the run-time zip (%s): run ctest -R corpus_classes first\n",
                 corpus.c_str(), runtime.c_str());
    return 1;
  }
  fs::path shm = "/dev/shm/quorvelix-compile-bench";
  fs::remove_all(shm);
  std::map<fs::path, std::vector<std::string>> units = corpusUnits(corpus);
  std::map<std::string, std::string> sourcePaths;
  size_t files = 0;
  for (const auto& [unit, sources] : units) {
    std::string& path = sourcePaths[fs::relative(unit, corpus).begin()->string()];
    path += (path.empty() ? "" : ":") + unit.string();
    files += sources.size();
  }
  auto commands = [&](bool ecj) {
    std::vector<std::string> list;
    for (const auto& [unit, sources] : units) {
      std::string name = fs::relative(unit, corpus).string();
      for (char& c : name)
        if (c == '/') c = '_';
      fs::path out = shm / (ecj ? "ecj" : "quorvelix") / name;
      fs::create_directories(out);
      std::string sourcePath = unit.string() + ":" + sourcePaths[fs::relative(unit, corpus).begin()->string()];
      std::string command = "cd " + shellQuoted(unit.string()) + " && ";
      if (ecj)
        command += "ecj -1.3 -nowarn -proc:none -classpath " + shellQuoted(RUNTIME_JARS) + " -sourcepath " +
                   shellQuoted(sourcePath) + " -d " + shellQuoted(out.string());
      else
        command += shellQuoted(QUORVELIX_PROGRAM) + " -nowarn -classpath " + shellQuoted(runtime) + " -sourcepath " +
                   shellQuoted(sourcePath) + " -d " + shellQuoted(out.string());
      for (const std::string& s : sources) command += " " + shellQuoted(s);
      list.push_back(command + " >/dev/null 2>&1");
    }
    return list;
  };
  std::vector<std::string> ours = commands(false);
  std::vector<std::string> theirs = commands(true);
  double quorvelixTime = 0;
  double ecjTime = 0;
  for (int round = 0; round < rounds; round++) {
    auto start = std::chrono::steady_clock::now();
    for (const std::string& c : ours) (void)std::system(c.c_str());
    quorvelixTime += seconds(start);
    start = std::chrono::steady_clock::now();
    for (const std::string& c : theirs) (void)std::system(c.c_str());
    ecjTime += seconds(start);
  }
  std::printf("corpus: %zu files in %zu units, %d round(s), class files on %s\n", files, units.size(), rounds,
              shm.c_str());
  std::printf("quorvelix: %.3f s (%.1f ms a unit)\n", quorvelixTime / rounds, 1000 * quorvelixTime / rounds / units.size());
  std::printf("ecj -1.3:  %.3f s (%.1f ms a unit)\n", ecjTime / rounds, 1000 * ecjTime / rounds / units.size());
  std::printf("ratio: quorvelix is %.1f times faster than ecj\n", ecjTime / quorvelixTime);
  fs::remove_all(shm);
  return 0;
}

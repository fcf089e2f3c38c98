// The whole corpus compiled to class files: each generator's unit (the files one generator run
// made, with the hand-written files beside them) is compiled by quorvelix against a version-45
// view of the run-time libraries those files call, with no error, and JDK 17 loads, verifies
// (-Xverify:all) and initializes every class file written, from a small Java driver. A unit that
// needs a file the corpus did not keep is one ecj rejects too; it is passed over, and counted.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const char* const RUNTIME_JARS = "/usr/share/java/antlr.jar:/usr/share/java/cup_runtime.jar:/usr/share/java/junit.jar";

std::string shellQuoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

int run(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool holdsJavaFiles(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file() && entry.path().extension() == ".java") return true;
  return false;
}

// A unit is the shallowest directory, two levels or more below the corpus, that holds a Java file
// itself; every Java file below it belongs to it.
std::map<fs::path, std::vector<std::string>> corpusUnits(const fs::path& corpus) {
  std::map<fs::path, std::vector<std::string>> units;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".java") continue;
    fs::path relative = fs::relative(entry.path(), corpus);
    fs::path unit = corpus;
    auto part = relative.begin();
    unit /= *part++;
    for (; part != relative.end(); ++part) {
      unit /= *part;
      if (unit == entry.path()) break;
      if (std::distance(corpus.begin(), corpus.end()) + 2 <= std::distance(unit.begin(), unit.end()) && holdsJavaFiles(unit))
        break;
    }
    if (unit == entry.path()) unit = entry.path().parent_path();
    units[unit].push_back(fs::relative(entry.path(), unit).string());
  }
  return units;
}

TEST(CorpusClasses, EveryUnitCompilesAndEveryClassVerifiesOnTheVirtualMachine) {
  fs::path corpus = CORPUS_DIR;
  ASSERT_TRUE(fs::is_directory(corpus)) << "no corpus in " << corpus;
  fs::path work = fs::path(CORPUS_WORK_DIR);
  fs::remove_all(work);
  fs::create_directories(work / "classes");
  fs::create_directories(work / "driver");
  // The run-time libraries as the compiler reads class files: version 45.
  std::string runtime = (work / "runtime.zip").string();
  ASSERT_EQ(run("java -cp /usr/share/java/asm.jar:/usr/share/java/asm-tree.jar:" + shellQuoted(CLASS_LIBRARY_TOOLS) +
                " MakeClassLibrary " + shellQuoted(runtime) + " " +
                "/usr/share/java/antlr.jar /usr/share/java/cup_runtime.jar /usr/share/java/junit.jar >/dev/null"),
            0);
  std::map<fs::path, std::vector<std::string>> units = corpusUnits(corpus);
  ASSERT_GT(units.size(), 40u);
  // The corpus keeps one copy of a file that several units share (a generator's support classes):
  // a unit finds the copies it lacks on a source path of the other units of its generator.
  std::map<std::string, std::string> sourcePaths;
  for (const auto& [unit, sources] : units) {
    std::string tool = fs::relative(unit, corpus).begin()->string();
    std::string& path = sourcePaths[tool];
    path += (path.empty() ? "" : ":") + unit.string();
  }
  auto unitSourcePath = [&](const fs::path& unit) {
    return unit.string() + ":" + sourcePaths[fs::relative(unit, corpus).begin()->string()];
  };
  {
    std::ofstream list(work / "units.list");
    for (const auto& [unit, sources] : units) {
      list << unit.string() << '\t' << unitSourcePath(unit);
      for (const std::string& s : sources) list << '\t' << s;
      list << '\n';
    }
  }
  fs::create_directories(work / "ecj");
  ASSERT_EQ(run("javac -nowarn -cp " + shellQuoted(JDT_JAR) + " -d " + shellQuoted((work / "ecj").string()) + " " +
                shellQuoted(ECJ_UNITS_SOURCE)),
            0);
  ASSERT_EQ(run("java -cp " + shellQuoted(std::string(JDT_JAR) + ":" + (work / "ecj").string()) + " EcjUnits " +
                shellQuoted(RUNTIME_JARS) + " " + shellQuoted((work / "units.list").string()) + " >" +
                shellQuoted((work / "ecj.verdicts").string())),
            0);
  std::set<std::string> rejected;
  {
    std::istringstream verdicts(readFile(work / "ecj.verdicts"));
    for (std::string line; std::getline(verdicts, line);)
      if (line.rfind("reject\t", 0) == 0) rejected.insert(line.substr(7));
  }
  std::vector<std::string> outputs;
  size_t files = 0;
  size_t passedOver = 0;
  for (const auto& [unit, sources] : units) {
    if (rejected.count(unit.string()) != 0) {
      passedOver++;
      continue;
    }
    std::string name = fs::relative(unit, corpus).string();
    std::replace(name.begin(), name.end(), '/', '_');
    fs::path out = work / "classes" / name;
    fs::create_directories(out);
    std::string command = "cd " + shellQuoted(unit.string()) + " && " + shellQuoted(QUORVELIX_PATH) + " -=1 -nowarn -classpath " +
                          shellQuoted(runtime) + " -sourcepath " + shellQuoted(unitSourcePath(unit)) +
                          " -d " + shellQuoted(out.string());
    for (const std::string& s : sources) command += " " + shellQuoted(s);
    command += " >" + shellQuoted((work / (name + ".out")).string()) + " 2>&1";
    files += sources.size();
    EXPECT_EQ(run(command), 0) << unit << ":\n" << readFile(work / (name + ".out"));
    // The trace of -=1 names each method whose counted stack depth fell short of its code's.
    std::string printed = readFile(work / (name + ".out"));
    size_t shortfall = printed.find("max_stack short");
    EXPECT_EQ(shortfall, std::string::npos) << unit << ": " << printed.substr(shortfall == std::string::npos ? 0 : shortfall, 300);
    outputs.push_back(out.string());
  }
  std::cout << "compiled " << files << " files in " << units.size() - passedOver << " units; " << passedOver
            << " units that ecj rejects as well passed over\n";
  EXPECT_LT(passedOver * 4, units.size());
  ASSERT_EQ(run("javac -nowarn -d " + shellQuoted((work / "driver").string()) + " " + shellQuoted(LOAD_ALL_SOURCE)), 0);
  std::string load = "java -Xverify:all -XX:TieredStopAtLevel=1 -XX:+UseSerialGC -cp " +
                     shellQuoted((work / "driver").string() + ":" + RUNTIME_JARS) + " LoadAll";
  for (const std::string& o : outputs) load += " " + shellQuoted(o);
  load += " >" + shellQuoted((work / "load.out").string()) + " 2>&1";
  EXPECT_EQ(run(load), 0) << readFile(work / "load.out");
  std::cout << readFile(work / "load.out");
}

}  // namespace

// The differential check against ecj: every small program of the case tables is compiled by
// ecj -1.3 and by quorvelix, and both must give the same verdict: both accept it, or both reject it
// at the same line, which is the first line quorvelix reports an error at and one of the lines ecj
// reports errors at (ecj reports a fault such as a constructor cycle or a duplicate case at every
// place involved, quorvelix once).
//
// Run with --prepare (the differential_ecj test, which ctest runs first) it stages every program
// and compiles them all with ecj in one virtual machine (EcjBatch.java), leaving each verdict in
// the program's directory; each case then compiles its program with quorvelix and compares.
//
// A program that both accept and whose table names a class to run is then run twice on JDK 17
// with -Xverify:all, compiled by ecj and compiled by quorvelix, and both runs must print the same
// and end the same way; the run of quorvelix's classes goes through RunAndLoad.java, which then
// loads and initializes every other class quorvelix wrote, so that each is verified.
//
// The cases are every *.cases table of this directory, in name order. Case syntax:
//   === name                 starts a case
//   file: path <<END         a source file of the program, its lines up to END ({repeat N}
//                            text{/repeat} stands for the text N times, {n} counting from 0;
//                            {each NAME: a,b}text{/each} for the text once per value)
//   for: NAME=value; ...     the case is one program per such row, each {NAME} of its name and
//                            files replaced by the row's value
//   ecj: accept | reject N...  what ecj says, every line it reports an error at (checked too, so
//                            the table says what it tests)
//   options: ...             quorvelix options before the files (ecj takes none of them)
//   run: Class               the class whose main both runs start
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "case_text.h"

namespace fs = std::filesystem;

namespace {

struct SourceText {
  std::string path;
  std::string content;
};

struct Program {
  std::string name;
  std::string table;
  int line = 0;
  std::vector<SourceText> files;
  std::string expected;  // the table's "ecj:" line, empty when not given
  std::string options;   // quorvelix's options
  std::string run;       // the class to run, empty when the program is not run
  std::vector<std::pair<int, std::string>> rows;  // "for:" rows with their lines
};

void PrintTo(const Program& p, std::ostream* out) {
  *out << p.table << ":" << p.line << " " << p.name;
}

std::vector<std::string> caseTables() {
  std::vector<std::string> tables;
  for (const auto& entry : fs::directory_iterator(DIFFERENTIAL_CASES_DIR))
    if (entry.path().extension() == ".cases") tables.push_back(entry.path().string());
  std::sort(tables.begin(), tables.end());
  return tables;
}

void readTable(const std::string& path, std::vector<Program>& programs) {
  std::string table = fs::path(path).filename().string();
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    number++;
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("=== ", 0) == 0) {
      programs.push_back(Program{line.substr(4), table, number, {}, "", "", "", {}});
      continue;
    }
    if (programs.empty() || programs.back().table != table)
      throw std::runtime_error(table + ":" + std::to_string(number) + ": text before the first case");
    Program& p = programs.back();
    if (line.rfind("ecj: ", 0) == 0) {
      p.expected = line.substr(5);
      continue;
    }
    if (line.rfind("options: ", 0) == 0) {
      p.options = line.substr(9);
      continue;
    }
    if (line.rfind("run: ", 0) == 0) {
      p.run = line.substr(5);
      continue;
    }
    if (line.rfind("for: ", 0) == 0) {
      p.rows.emplace_back(number, line.substr(5));
      continue;
    }
    size_t heredoc = line.find(" <<");
    if (line.rfind("file: ", 0) == 0 && heredoc != std::string::npos) {
      std::string terminator = line.substr(heredoc + 3);
      std::string content;
      bool closed = false;
      for (std::string text; std::getline(in, text);) {
        number++;
        if (text == terminator) {
          closed = true;
          break;
        }
        content += text + "\n";
      }
      if (!closed) throw std::runtime_error(table + ":" + std::to_string(number) + ": missing " + terminator);
      p.files.push_back({line.substr(6, heredoc - 6), content});
      continue;
    }
    throw std::runtime_error(table + ":" + std::to_string(number) + ": cannot read: " + line);
  }
}

// A case with "for:" rows becomes one program per row, named and numbered by its row.
void expandCase(const Program& c, std::vector<Program>& programs) {
  if (c.rows.empty()) {
    programs.push_back(c);
    for (SourceText& file : programs.back().files) file.content = expandRepeats(expandEach(file.content));
    return;
  }
  for (const auto& [line, row] : c.rows) {
    Program p = c;
    p.rows.clear();
    p.line = line;
    p.name = substituteRow(c.name, row);
    for (SourceText& file : p.files) file.content = expandRepeats(expandEach(substituteRow(file.content, row)));
    programs.push_back(p);
  }
}

std::vector<Program> readPrograms() {
  std::vector<Program> cases;
  for (const std::string& table : caseTables()) readTable(table, cases);
  std::vector<Program> programs;
  for (const Program& c : cases) expandCase(c, programs);
  return programs;
}

fs::path programDirectory(size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "program-%03zu", index);
  return fs::path(DIFFERENTIAL_WORK_DIR) / name;
}

std::string shellQuoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs a shell command line; its exit status, or -1 when it did not exit.
int run(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int prepare() {
  std::vector<Program> programs = readPrograms();
  const char* missing = nullptr;
  if (!fs::exists(JDT_JAR))
    missing = JDT_JAR;
  else if (run("command -v java >/dev/null && command -v javac >/dev/null") != 0)
    missing = "java and javac";
  if (missing != nullptr) {
    std::cerr << "differential check: " << missing << " not found; tools/install-packages.sh installs ecj and the JDK\n";
    return 1;
  }
  fs::path work = DIFFERENTIAL_WORK_DIR;
  fs::remove_all(work);
  fs::create_directories(work / "ecj-batch");
  std::ofstream list(work / "programs.list");
  for (size_t i = 0; i < programs.size(); i++) {
    fs::path dir = programDirectory(i);
    list << dir.string();
    for (const SourceText& file : programs[i].files) {
      fs::path path = dir / "src" / file.path;
      fs::create_directories(path.parent_path());
      std::ofstream(path) << file.content;
      list << '\t' << file.path;
    }
    list << '\n';
  }
  list.close();
  std::string classes = (work / "ecj-batch").string();
  if (run("javac -nowarn -cp " + shellQuoted(JDT_JAR) + " -d " + shellQuoted(classes) + " " + shellQuoted(ECJ_BATCH_SOURCE)) != 0) {
    std::cerr << "differential check: EcjBatch.java did not compile\n";
    return 1;
  }
  fs::create_directories(work / "runner");
  if (run("javac -nowarn -d " + shellQuoted((work / "runner").string()) + " " + shellQuoted(RUN_AND_LOAD_SOURCE)) != 0) {
    std::cerr << "differential check: RunAndLoad.java did not compile\n";
    return 1;
  }
  return run("java -cp " + shellQuoted(std::string(JDT_JAR) + ":" + classes) + " EcjBatch " + shellQuoted(CLASS_LIBRARY) + " " +
             shellQuoted((work / "programs.list").string())) == 0
             ? 0
             : 1;
}

struct Verdict {
  bool accepted = true;
  std::set<int> lines;
  std::string text() const {
    std::string t = accepted ? "accept" : "reject";
    if (!accepted)
      for (int line : lines) t += " " + std::to_string(line);
    return t;
  }
};

bool sameVerdict(const Verdict& ours, const Verdict& ecj) {
  if (ours.accepted || ecj.accepted) return ours.accepted == ecj.accepted;
  return !ours.lines.empty() && ecj.lines.count(*ours.lines.begin()) != 0;
}

Verdict parseVerdict(const std::string& text) {
  Verdict v;
  std::istringstream in(text);
  std::string word;
  in >> word;
  v.accepted = word == "accept";
  for (int line; in >> line;) v.lines.insert(line);
  return v;
}

// The lines quorvelix reported errors at (warnings are not verdicts).
Verdict quorvelixVerdict(int status, const std::string& errors) {
  Verdict v;
  v.accepted = status == 0;
  static const std::regex position(R"(^[^:\n]+\.java:(\d+): (.*)$)");
  std::istringstream in(errors);
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_match(line, m, position) && m[2].str().rfind("Warning:", 0) != 0) v.lines.insert(std::stoi(m[1]));
  }
  if (!v.accepted && v.lines.empty()) v.lines.insert(0);
  return v;
}

class Differential : public testing::TestWithParam<Program> {};

TEST_P(Differential, SameVerdictAsEcj) {
  const Program& program = GetParam();
  std::vector<Program> all = readPrograms();
  size_t index = 0;
  while (index < all.size() && (all[index].line != program.line || all[index].table != program.table)) index++;
  fs::path dir = programDirectory(index);
  fs::path verdictFile = dir / "ecj.verdict";
  ASSERT_TRUE(fs::exists(verdictFile)) << "no ecj verdict in " << dir << ": the differential_ecj test prepares them";
  Verdict ecj = parseVerdict(readFile(verdictFile));
  if (!program.expected.empty()) {
    EXPECT_EQ(ecj.text(), program.expected) << "ecj says otherwise than the table:\n" << readFile(dir / "ecj.out");
  }

  fs::path out = dir / "qv-out";
  fs::remove_all(out);
  fs::create_directories(out);
  // With -=1 the compiler reports a method whose counted stack depth falls short of its code's.
  std::string command = "cd " + shellQuoted((dir / "src").string()) + " && " + shellQuoted(QUORVELIX_PATH) + " -=1 " +
                        program.options + " -d " + shellQuoted(out.string());
  for (const SourceText& file : program.files) command += " " + shellQuoted(file.path);
  command += " >" + shellQuoted((dir / "qv.out").string()) + " 2>" + shellQuoted((dir / "qv.err").string());
  int status = run(command);
  std::string errors = readFile(dir / "qv.err");
  Verdict ours = quorvelixVerdict(status, errors);
  EXPECT_TRUE(sameVerdict(ours, ecj)) << "quorvelix: " << ours.text() << ", ecj: " << ecj.text() << "\nquorvelix:\n" << errors << readFile(dir / "qv.out") << "ecj:\n" << readFile(dir / "ecj.out");
  std::string trace = readFile(dir / "qv.out");
  size_t shortfall = trace.find("max_stack short");
  EXPECT_EQ(shortfall, std::string::npos) << trace.substr(shortfall == std::string::npos ? 0 : shortfall, 200);
  if (program.run.empty() || !ours.accepted || !ecj.accepted) return;

  // Both runs verify every class they load; quorvelix's run loads all the others afterwards.
  const std::string java = "java -Xverify:all -XX:TieredStopAtLevel=1 -XX:+UseSerialGC -Xss4m -cp ";
  std::string ecjRun = java + shellQuoted((dir / "ecj-out").string()) + " " + shellQuoted(program.run) + " >" +
                       shellQuoted((dir / "ecj.run").string()) + " 2>" + shellQuoted((dir / "ecj.run.err").string());
  std::string ourRun = java + shellQuoted(out.string() + ":" + (fs::path(DIFFERENTIAL_WORK_DIR) / "runner").string()) +
                       " RunAndLoad " + shellQuoted(program.run) + " >" + shellQuoted((dir / "qv.run").string()) + " 2>" +
                       shellQuoted((dir / "qv.run.err").string());
  int ecjStatus = run(ecjRun);
  int ourStatus = run(ourRun);
  std::string ecjOutput = readFile(dir / "ecj.run");
  std::string ourOutput = readFile(dir / "qv.run");
  EXPECT_EQ(ourOutput, ecjOutput) << "the runs print differently; quorvelix's run reported:\n" << readFile(dir / "qv.run.err")
                                  << "ecj's run reported:\n" << readFile(dir / "ecj.run.err");
  EXPECT_EQ(ourStatus, ecjStatus) << "the runs end differently; quorvelix's run reported:\n" << readFile(dir / "qv.run.err")
                                  << "ecj's run reported:\n" << readFile(dir / "ecj.run.err");
  EXPECT_EQ(readFile(dir / "qv.run.err").find("RunAndLoad: "), std::string::npos) << readFile(dir / "qv.run.err");
}

std::string caseName(const testing::TestParamInfo<Program>& info) {
  std::string name;
  for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  std::string table = fs::path(info.param.table).stem().string();
  for (char& c : table)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return table + "_line" + std::to_string(info.param.line) + "_" + name.substr(0, 60);
}

INSTANTIATE_TEST_SUITE_P(Programs, Differential, testing::ValuesIn(readPrograms()), caseName);

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--prepare") return prepare();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

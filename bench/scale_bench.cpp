// Scale figures: generated inputs compiled as whole "quorvelix" commands, each case at two sizes,
// with the time per unit, the ratio of the larger size's time to the smaller's (a linear compile
// stays near the ratio of the sizes) and the peak resident memory of the process. Every case is
// compiled as far as the compiler goes ("-nowrite"), but for the locals, whose cost is in the
// bodies, which only the generation parses: their class files are written.
// Usage: scale_bench [-ecj] [-quick] [-keep DIRECTORY] [-runs N] [-limit SECONDS] [case ...]
//   cases: tree classes fields names single-imports demand-imports classpath interfaces member-classes
//          locals
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Run {
  double seconds = -1;  // best of the runs; -1 when the command could not run, -2 past the limit
  long peakKilobytes = 0;
  int status = -1;
};

double limitSeconds = 600;
int runsPerSize = 3;
int64_t scaleDown = 1;  // "-quick" tries every case at a tenth of its sizes
bool keepInputs = false;  // "-keep DIRECTORY" leaves the inputs there, for a profiler

// One process, waited for with its resource usage; killed past the limit.
Run runOnce(const std::vector<std::string>& command, const fs::path& directory) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string cwd = directory.string();
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  Run run;
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  struct rusage usage {};
  for (;;) {
    pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (elapsed > limitSeconds) {
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      run.seconds = -2;
      return run;
    }
    struct timespec pause {0, 1000000};
    nanosleep(&pause, nullptr);
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakKilobytes = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

// The best time of several runs; a run that takes long is not repeated, since the noise of a
// shared machine matters less the longer a run is.
Run best(const std::vector<std::string>& command, const fs::path& directory) {
  Run result;
  for (int i = 0; i < runsPerSize; i++) {
    Run run = runOnce(command, directory);
    if (run.seconds < 0) return run;
    if (result.seconds < 0 || run.seconds < result.seconds) result.seconds = run.seconds;
    if (run.peakKilobytes > result.peakKilobytes) result.peakKilobytes = run.peakKilobytes;
    result.status = run.status;
    if (run.seconds > 5) break;
  }
  return result;
}

void write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string number(int64_t n) {
  return std::to_string(n);
}

// A generated case: `make` writes its input for a size into a fresh directory and gives the
// compiler's arguments.
struct Case {
  const char* name;
  const char* unit;  // plural, as sizes are counted
  const char* each;  // singular, for the cost of one
  int64_t small;
  int64_t large;
  bool failsByDesign;  // its input reports errors, so exit status 1 is what it gives
  std::function<std::vector<std::string>(const fs::path&, int64_t)> make;
  bool generatesCode = false;  // compiled to class files rather than "-nowrite"
};

// --- the tree -------------------------------------------------------------------------------
// Files of three classes each, four files to a package, ten packages under each of many outer
// packages. Each file's public class extends a class of another package (single-type import),
// has fields of a class from a package imported on demand and of library classes, and is
// extended by a class of its own file. Inheritance chains stay short, so no per-class cost grows
// with the tree.
constexpr int64_t FILES_PER_PACKAGE = 4;

std::string treePackage(int64_t file) {
  int64_t package = file / FILES_PER_PACKAGE;
  return "scale.p" + number(package / 10) + ".q" + number(package % 10);
}

std::vector<std::string> makeTree(const fs::path& directory, int64_t files) {
  std::vector<std::string> arguments;
  for (int64_t i = 0; i < files; i++) {
    std::string package = treePackage(i);
    std::string self = "F" + number(i);
    bool extends = i >= 7 && (i / 7) % 8 != 0;
    int64_t base = i - 7;
    int64_t other = i >= 13 ? i - 13 : (i + 5) % files;
    std::string text = "package " + package + ";\n\n";
    text += "import java.util.Vector;\nimport java.util.Hashtable;\nimport java.io.*;\n";
    if (extends) text += "import " + treePackage(base) + ".F" + number(base) + ";\n";
    if (treePackage(other) != package) text += "import " + treePackage(other) + ".*;\n";
    text += "\n/**\n * Generated class " + number(i) + ".\n */\n";
    text += "public class " + self + (extends ? " extends F" + number(base) : "") + " implements Serializable {\n";
    text += "    private Vector items = new Vector();\n";
    text += "    protected Hashtable index;\n";
    text += "    F" + number(other) + " link;\n";
    text += "    static final int LIMIT = 10 + " + number(i) + ";\n";
    text += "    String name = \"file " + number(i) + "\";\n\n";
    text += "    public " + self + "() {\n        super();\n    }\n\n";
    text += "    public int count(Vector v, " + self + " other) throws IOException {\n";
    text += "        int n = 0;\n";
    text += "        for (int x = 0; x < v.size(); x++) n += x * 3 - (n >>> 2) % 7;\n";
    text += "        if (other != null && other.link == null) n++;\n";
    text += "        return n + LIMIT;\n    }\n\n";
    text += "    public String toString() {\n        return name + items.size();\n    }\n}\n\n";
    text += "class G" + number(i) + " extends " + self + " {\n";
    text += "    G" + number(i) + "() {\n    }\n\n";
    text += "    int size() throws IOException {\n        return count(new Vector(), this);\n    }\n}\n\n";
    text += "interface H" + number(i) + " {\n    int VALUE = " + number(i) + ";\n\n";
    text += "    void run(" + self + " f, H" + number(i) + " next);\n}\n";
    std::string relative = package;
    for (char& c : relative)
      if (c == '.') c = '/';
    relative += "/" + self + ".java";
    write(directory / relative, text);
    arguments.push_back(relative);
  }
  return arguments;
}

// --- one file, one class ----------------------------------------------------------------------
std::vector<std::string> makeClasses(const fs::path& directory, int64_t classes) {
  std::string text = "package one;\n\npublic class Many {\n}\n\n";
  for (int64_t i = 0; i < classes; i++)
    text += "class C" + number(i) + " {\n    C" + number(i / 2) + " parent;\n}\n";
  write(directory / "one/Many.java", text);
  return {"one/Many.java"};
}

std::vector<std::string> makeFields(const fs::path& directory, int64_t fields) {
  std::string text = "public class Fields {\n";
  for (int64_t i = 0; i < fields; i++) text += "    int f" + number(i) + ";\n";
  text += "}\n";
  write(directory / "Fields.java", text);
  return {"Fields.java"};
}

// Names as generated parsers and tables have them: a few stems with a running part in letters and
// digits, in both cases.
std::string distinctName(int64_t n) {
  static const char* const stems[] = {"value", "index", "count", "node", "token", "state", "item", "yy_",
                                      "list",  "table", "field", "Type",  "next",  "size",  "data", "$tmp"};
  std::string name = stems[n % 16];
  static const char digits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
  for (int64_t rest = n / 16; rest > 0; rest /= 63) name += digits[rest % 63];
  return name;
}

// Scanned only: the identifier table and the scanner, nothing else.
std::vector<std::string> makeNames(const fs::path& directory, int64_t names) {
  std::string text = "class Names {\n";
  for (int64_t i = 0; i < names; i += 2) text += "    " + distinctName(i) + " = " + distinctName(i + 1) + ";\n";
  text += "}\n";
  write(directory / "Names.java", text);
  return {"-scanonly", "Names.java"};
}

// Many classes of a package, and a second file that imports each of them by name.
std::vector<std::string> makeSingleImports(const fs::path& directory, int64_t imports) {
  std::string many = "package imp;\n\n";
  std::string use = "package imp;\n\n";
  for (int64_t i = 0; i < imports; i++) {
    many += "class C" + number(i) + " {\n}\n";
    use += "import imp.C" + number(i) + ";\n";
  }
  use += "\npublic class Use {\n    C0 first;\n}\n";
  write(directory / "imp/Many.java", many);
  write(directory / "imp/Use.java", use);
  return {"imp/Many.java", "imp/Use.java"};
}

// Many classes of a package, and a second file that imports the member classes of each on demand:
// a package entry per import, each one looked for along the paths.
std::vector<std::string> makeDemandImports(const fs::path& directory, int64_t imports) {
  std::string many = "package ond;\n\n";
  std::string use = "package ond;\n\n";
  for (int64_t i = 0; i < imports; i++) {
    many += "class C" + number(i) + " {\n}\n";
    use += "import ond.C" + number(i) + ".*;\n";
  }
  use += "\npublic class Use {\n    C0 first;\n}\n";
  write(directory / "ond/Many.java", many);
  write(directory / "ond/Use.java", use);
  return {"ond/Many.java", "ond/Use.java"};
}

// A class that implements many interfaces, each declared in the same file: every interface name
// is resolved while the class's interfaces before it already are.
std::vector<std::string> makeInterfaces(const fs::path& directory, int64_t interfaces) {
  std::string text;
  for (int64_t i = 0; i < interfaces; i++) text += "interface I" + number(i) + " {\n}\n";
  text += "\nclass Many implements";
  for (int64_t i = 0; i < interfaces; i++) text += std::string(i == 0 ? " I" : ", I") + number(i);
  text += " {\n}\n";
  write(directory / "Many.java", text);
  return {"Many.java"};
}

// A class of many member classes, each of which names the next: every name is looked for among
// the member classes of the class and its supertypes.
std::vector<std::string> makeMemberClasses(const fs::path& directory, int64_t members) {
  std::string text = "public class Outer {\n";
  for (int64_t i = 0; i < members; i++)
    text += "    static class M" + number(i) + " {\n        M" + number((i + 1) % members) + " next;\n    }\n";
  text += "}\n";
  write(directory / "Outer.java", text);
  return {"Outer.java"};
}

// One method of many locals, each initialized from the one before: every name is looked up in a
// block that holds all the locals declared so far, and definite assignment follows each of them
// through every statement after it. 65,000 locals are about what a method's slots allow; their
// code is longer than a method may be, which is reported once it is generated.
std::vector<std::string> makeLocals(const fs::path& directory, int64_t locals) {
  std::string text = "class Locals {\n    static int chain() {\n        int v0 = 1;\n";
  for (int64_t i = 1; i < locals; i++) text += "        int v" + number(i) + " = v" + number(i - 1) + ";\n";
  text += "        return v" + number(locals - 1) + ";\n    }\n}\n";
  write(directory / "Locals.java", text);
  fs::create_directories(directory / "out");
  return {"-d", "out", "Locals.java"};
}

// A class path of many directories (each holding a package of its own), and a source with 50
// on-demand imports of library packages and 200 classes that are nowhere: each missing class is
// looked for in every package in every directory.
std::vector<std::string> makeClassPath(const fs::path& directory, int64_t entries) {
  static const char* const packages[] = {
      "java.applet", "java.awt", "java.awt.color", "java.awt.datatransfer", "java.awt.desktop", "java.awt.dnd",
      "java.awt.event", "java.awt.font", "java.awt.geom", "java.awt.im", "java.awt.image", "java.awt.print",
      "java.beans", "java.beans.beancontext", "java.io", "java.lang.ref", "java.lang.reflect", "java.math",
      "java.net", "java.nio", "java.nio.channels", "java.nio.charset", "java.nio.file", "java.nio.file.attribute",
      "java.security", "java.security.cert", "java.security.spec", "java.text", "java.time", "java.time.chrono",
      "java.time.format", "java.time.temporal", "java.time.zone", "java.util", "java.util.concurrent",
      "java.util.concurrent.atomic", "java.util.concurrent.locks", "java.util.function", "java.util.jar",
      "java.util.regex", "java.util.stream", "java.util.zip", "javax.swing", "javax.swing.border",
      "javax.swing.event", "javax.swing.table", "javax.swing.text", "javax.swing.tree", "javax.xml.parsers",
      "javax.sound.sampled"};
  std::string classPath;
  for (int64_t i = 0; i < entries; i++) {
    std::string entry = "cp/d" + number(i);
    fs::create_directories(directory / entry / ("own" + number(i)));
    if (!classPath.empty()) classPath += ':';
    classPath += entry;
  }
  std::string text;
  for (const char* package : packages) text += "import " + std::string(package) + ".*;\n";
  text += "\npublic class Probe {\n";
  for (int i = 0; i < 200; i++) text += "    Missing" + number(i) + " m" + number(i) + ";\n";
  text += "}\n";
  write(directory / "Probe.java", text);
  return {"-nomessage", "-err=0", "-classpath", classPath, "Probe.java"};
}

std::string seconds(const Run& run) {
  if (run.seconds == -1) return "could not run";
  if (run.seconds == -2) return "over " + number(static_cast<int64_t>(limitSeconds)) + " s";
  char text[64];
  std::snprintf(text, sizeof text, "%.3f s", run.seconds);
  return text;
}

void report(const char* who, const Case& c, int64_t size, const Run& run) {
  std::printf("  %-10s %7lld %-11s %14s", who, static_cast<long long>(size), c.unit, seconds(run).c_str());
  if (run.seconds > 0) {
    std::printf("  %9.2f us/%s  peak %6.1f MB", run.seconds * 1e6 / static_cast<double>(size), c.each,
                run.peakKilobytes / 1024.0);
    int expected = c.failsByDesign ? 1 : 0;
    if (run.status != expected) std::printf("  (exit status %d)", run.status);
  }
  std::printf("\n");
  std::fflush(stdout);
}

void runCase(const Case& c, const fs::path& root, bool withEcj) {
  std::printf("%s (%s):\n", c.name, c.unit);
  Run runs[2];
  int64_t sizes[2] = {c.small / scaleDown, c.large / scaleDown};
  for (int i = 0; i < 2; i++) {
    fs::path directory = root / (std::string(c.name) + "-" + number(sizes[i]));
    fs::remove_all(directory);
    fs::create_directories(directory);
    std::vector<std::string> arguments = c.make(directory, sizes[i]);
    std::vector<std::string> command{QUORVELIX_PROGRAM};
    if (!c.generatesCode) command.push_back("-nowrite");
    command.insert(command.end(), arguments.begin(), arguments.end());
    if (keepInputs) {
      // The command, a word per line, for `xargs -d '\n' -a arguments` in that directory.
      std::string words;
      for (const std::string& word : command) words += word + "\n";
      write(directory / "arguments", words);
    }
    runs[i] = best(command, directory);
    report("quorvelix", c, sizes[i], runs[i]);
    // ecj has no scan-only mode.
    bool scanOnly = arguments.front() == "-scanonly";
    if (withEcj && !scanOnly) {
      std::vector<std::string> ecj{"ecj", "-1.3", "-nowarn", "-proc:none", "-d", "none"};
      for (const std::string& argument : arguments)
        if (argument.size() > 5 && argument.compare(argument.size() - 5, 5, ".java") == 0) ecj.push_back(argument);
      report("ecj", c, sizes[i], best(ecj, directory));
    }
    if (!keepInputs) fs::remove_all(directory);
  }
  if (runs[0].seconds > 0 && runs[1].seconds > 0)
    std::printf("  ratio %.1f for %.3gx the %s (goal: at most 11 for 10x)\n", runs[1].seconds / runs[0].seconds,
                static_cast<double>(sizes[1]) / static_cast<double>(sizes[0]), c.unit);
}

}  // namespace

int main(int argc, char** argv) {
  bool withEcj = false;
  std::vector<std::string> chosen;
  fs::path root = fs::temp_directory_path() / ("quorvelix-scale-bench-" + number(getpid()));
  for (int i = 1; i < argc; i++) {
    std::string word = argv[i];
    if (word == "-ecj")
      withEcj = true;
    else if (word == "-quick")
      scaleDown = 10;
    else if (word == "-keep" && i + 1 < argc)
      keepInputs = true, root = fs::absolute(argv[++i]);
    else if (word == "-runs" && i + 1 < argc)
      runsPerSize = std::atoi(argv[++i]);
    else if (word == "-limit" && i + 1 < argc)
      limitSeconds = std::atof(argv[++i]);
    else
      chosen.push_back(word);
  }
  const Case cases[] = {
      {"tree", "files", "file", 1000, 10000, false, makeTree},
      {"classes", "classes", "class", 10000, 100000, false, makeClasses},
      {"fields", "fields", "field", 10000, 100000, false, makeFields},
      {"names", "names", "name", 10000, 100000, false, makeNames},
      {"single-imports", "imports", "import", 10000, 100000, false, makeSingleImports},
      {"demand-imports", "imports", "import", 10000, 100000, false, makeDemandImports},
      {"classpath", "entries", "entry", 1000, 10000, true, makeClassPath},
      {"interfaces", "interfaces", "interface", 4000, 40000, false, makeInterfaces},
      {"member-classes", "member classes", "member class", 7000, 70000, false, makeMemberClasses},
      {"locals", "locals", "local", 7000, 65000, false, makeLocals, true},
  };
  for (const Case& c : cases) {
    bool wanted = chosen.empty();
    for (const std::string& name : chosen) wanted |= name == c.name;
    if (wanted) runCase(c, root, withEcj);
  }
  if (!keepInputs) fs::remove_all(root);
  return 0;
}

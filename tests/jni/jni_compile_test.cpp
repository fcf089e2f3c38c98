// The shared library in a real virtual machine: in-process compiles through tolvoMain, run by
// tests/jni/com/kel/trov/quorvelix/CompileChecks.java in a child JVM per case (the process ends of
// usage and bad options end it), judged against the console program on the same arguments; and
// compiles and evaluations in every order (StateChecks.java), judged against fresh JVMs.
// Every JVM runs with -Xcheck:jni; with the virtual machine's signal-chaining library preloaded its
// signal check has nothing to report either, so any warning at all is a fault.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
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

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string shellQuoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string joined(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) line += " " + shellQuoted(word);
  return line;
}

// How the virtual machine is started: the signal-chaining library preloaded (the configuration in
// which -Xcheck:jni has nothing to say), or the crash handlers really installed over the JVM's.
enum JvmSignals { CHAINED, INSTALLED };

class JniCompileTest : public testing::Test {
 protected:
  fs::path work;
  // The class the child JVM runs, and the message directory it passes to the library.
  std::string checks = "com.kel.trov.quorvelix.CompileChecks";
  std::string messageDirectory = std::string(STAGE_DIR) + "/lib/";

  void SetUp() override {
    work = fs::path(JNI_WORK_DIR) / testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(work);
    fs::create_directories(work);
  }

  Outcome run(const std::string& command) {
    fs::path out = work / "stdout.txt";
    fs::path err = work / "stderr.txt";
    int status = std::system((command + " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string())).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), readFile(out), readFile(err)};
  }

  // One child JVM running the checks in the case directory; extra libraries to preload and
  // variables to set go before the command.
  Outcome jvm(const std::vector<std::string>& arguments, JvmSignals signals = CHAINED, const std::string& preload = "",
              const std::string& variables = "") {
    std::string libraries = (signals == CHAINED ? std::string(JSIG_LIBRARY) : "") + " " + preload;
    std::string sanitizerOptions;
#ifdef SANITIZER_RUNTIMES
    // The sanitizers leave the crash signals to the JVM and to the library, and the JVM's own
    // memory is not theirs to judge.
    libraries = SANITIZER_RUNTIMES " " + libraries;
    sanitizerOptions = "ASAN_OPTIONS=handle_segv=0:allow_user_segv_handler=1:detect_leaks=0 ";
#endif
    std::string command = "cd " + shellQuoted(work.string()) + " && env LC_ALL=C LD_PRELOAD=" + shellQuoted(libraries) + " " +
                          sanitizerOptions + variables + " " + shellQuoted(JAVA) + (signals == CHAINED ? " -Xcheck:jni" : "") +
                          // A heap resident from the start, so that resident memory measures the compiler.
                          " -Xmx64m -Xms64m -XX:+AlwaysPreTouch -agentpath:" + shellQuoted(LIBRARY) + " -cp " +
                          shellQuoted(CHECK_CLASSES) + " " + checks +
                          joined({LIBRARY, messageDirectory, CLASS_LIBRARY}) + joined(arguments);
    return run(command);
  }

  Outcome console(const std::vector<std::string>& arguments) {
    return run("cd " + shellQuoted(work.string()) + " && env LC_ALL=C " + shellQuoted(QUORVELIX) + joined(arguments));
  }

  void writeSource(const std::string& name, const std::string& text) {
    fs::create_directories((work / name).parent_path());
    std::ofstream(work / name) << text;
  }

  void makeDirectories(std::initializer_list<const char*> names) {
    for (const char* name : names) fs::create_directories(work / name);
  }
};

// Every file below the directory, by relative path, with its bytes.
std::map<std::string, std::string> filesBelow(const fs::path& root) {
  std::map<std::string, std::string> files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = readFile(entry.path());
  return files;
}

std::vector<std::string> warningLines(const std::string& err) {
  std::vector<std::string> lines;
  std::istringstream in(err);
  for (std::string line; std::getline(in, line);)
    if (line.find("WARNING") != std::string::npos || line.find("Warning") != std::string::npos) lines.push_back(line);
  return lines;
}

const char* const PROGRAM =
    "package p;\n"
    "public class Shapes {\n"
    "  interface Area { double area(); }\n"
    "  static class Square implements Area {\n"
    "    private final double side;\n"
    "    Square(double side) { this.side = side; }\n"
    "    public double area() { return side * side; }\n"
    "  }\n"
    "  static double of(Area a) { return a.area(); }\n"
    "  public static void main(String[] args) {\n"
    "    Area a = new Square(args.length + 2);\n"
    "    StringBuffer text = new StringBuffer();\n"
    "    for (int i = 0; i < 3; i++) text.append(i).append(',');\n"
    "    System.out.println(\"areas \" + a.area() + \" \" + of(new Area() { public double area() { return 1.5; } }) + text);\n"
    "  }\n"
    "}\n";

// The output of a command's lines, one word each: the field at `column` (counted from 0).
std::set<std::string> commandWords(const std::string& command, size_t column) {
  std::set<std::string> words;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return words;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::vector<std::string> row;
    for (std::string field; fields >> field;) row.push_back(field);
    if (!row.empty()) words.insert(row[std::min(column, row.size() - 1)]);
  }
  pclose(pipe);
  return words;
}

TEST(JniLibrary, ExportsExactlyTheEntries) {
  std::set<std::string> names = commandWords(std::string("nm -D --defined-only ") + shellQuoted(LIBRARY), 2);
  const std::string prefix = "Java_com_kel_trov_quorvelix_ExpressionEvaluation_";
  std::set<std::string> expected = {"Agent_OnLoad", "JNI_OnLoad"};
  for (const char* entry : {"tolvoMain", "jEvaluate", "jEvaluateDone", "jErrorString", "jObjectValue", "jLongValue",
                            "jDoubleValue", "jCharacterValue", "jBooleanValue", "evaluateSignature"})
    expected.insert(prefix + entry);
  EXPECT_EQ(names, expected);
  // No virtual machine can load the console program (the C library refuses to load an executable),
  // so it exports none of the entries.
  for (const std::string& name : commandWords(std::string("nm -D --defined-only ") + shellQuoted(QUORVELIX), 2))
    EXPECT_EQ(name.find("Java_"), std::string::npos) << name;
}

// A machine with only a JDK has the libraries the library needs: the inflater is linked into it.
TEST(JniLibrary, NeedsNoLibraryAJdkLacks) {
  std::set<std::string> needed = commandWords(std::string("objdump -p ") + shellQuoted(LIBRARY) + " | grep NEEDED", 1);
  ASSERT_FALSE(needed.empty());
  for (const std::string& library : needed) {
    bool runtime = library.rfind("libc.so", 0) == 0 || library.rfind("libm.so", 0) == 0 ||
                   library.rfind("libstdc++.so", 0) == 0 || library.rfind("libgcc_s.so", 0) == 0 ||
                   library.rfind("ld-linux", 0) == 0 || library.rfind("libasan.so", 0) == 0 ||
                   library.rfind("libubsan.so", 0) == 0;
    EXPECT_TRUE(runtime) << library;
  }
}

TEST_F(JniCompileTest, TwoCompilesWriteTheConsoleProgramsClassFiles) {
  writeSource("src/p/Shapes.java", PROGRAM);
  makeDirectories({"first", "second", "console"});
  Outcome in = jvm({"sequence", "-d", "first", "src/p/Shapes.java", "--", "-d", "second", "src/p/Shapes.java"});
  EXPECT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.out, "result 0\nresult 0\n");
  EXPECT_EQ(warningLines(in.err), std::vector<std::string>{});
  EXPECT_EQ(in.err, "");
  Outcome out = console({"-d", "console", "src/p/Shapes.java"});
  ASSERT_EQ(out.status, 0) << out.err;
  std::map<std::string, std::string> expected = filesBelow(work / "console");
  ASSERT_GE(expected.size(), 3u);  // Shapes and its two member classes at least
  EXPECT_EQ(filesBelow(work / "first"), expected);
  EXPECT_EQ(filesBelow(work / "second"), expected);
}

TEST_F(JniCompileTest, AnErrorReturnsItsCountWritesNothingAndTheNextCompileStartsAfresh) {
  writeSource("Bad.java", "class Bad { int f() { return missing + \"\".nothing(); } void g() { undefined(); } }\n");
  writeSource("Good.java", "class Good { int f() { return 1; } }\n");
  makeDirectories({"bad", "good", "console"});
  Outcome in = jvm({"sequence", "-d", "bad", "Bad.java", "--", "-d", "good", "Good.java"});
  Outcome out = console({"-d", "console", "Bad.java"});
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.out, "result 3\nresult 0\n");
  // The diagnostics and the summary are the console program's, and nothing else is printed.
  EXPECT_EQ(in.err, out.err);
  EXPECT_NE(out.err.find("3 errors"), std::string::npos) << out.err;
  EXPECT_TRUE(filesBelow(work / "bad").empty());
  EXPECT_EQ(filesBelow(work / "good").size(), 1u);
}

// Many arguments, with a null before, between and after each.
TEST_F(JniCompileTest, NullArgumentsAreSkipped) {
  writeSource("Good.java", "class Good { int f() { return 1; } }\n");
  makeDirectories({"out"});
  std::vector<std::string> arguments = {"nulls"};
  for (int i = 0; i < 40; i++) arguments.push_back("-nowarn");
  for (const char* argument : {"-d", "out", "Good.java"}) arguments.push_back(argument);
  Outcome in = jvm(arguments);
  EXPECT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.out, "result 0\n");
  EXPECT_EQ(in.err, "");
  EXPECT_EQ(filesBelow(work / "out").size(), 1u);
}

// An argument file with the options a build tool passes, a source in an encoding that is not the
// locale's: the class files are the console program's, the string in its characters.
TEST_F(JniCompileTest, ArgumentFilesAndBuildToolOptionsAsInTheConsoleProgram) {
  writeSource("src/p/Shapes.java", PROGRAM);
  writeSource("src/q/Text.java", "package q;\npublic class Text { public static final String S = \"caf\xe9\"; }\n");
  makeDirectories({"in", "console"});
  const char* options = "-encoding ISO-8859-1 -g:none -source 1.3 -target 1.1 -Xlint\n"
                        "'src/p/Shapes.java' \"src/q/Text.java\"\n";
  writeSource("in.list", std::string("-d in ") + options);
  writeSource("console.list", std::string("-d console ") + options);
  Outcome in = jvm({"compile", "@in.list"});
  Outcome out = console({"@console.list"});
  EXPECT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.out, "result 0\n");
  EXPECT_EQ(in.err, out.err);
  std::map<std::string, std::string> expected = filesBelow(work / "console");
  EXPECT_EQ(filesBelow(work / "in"), expected);
  EXPECT_NE(expected["q/Text.class"].find("caf\xc3\xa9"), std::string::npos);
}

// The driver's ends of the process: the JVM exits with status 1 and the console program's text.
TEST_F(JniCompileTest, UsageAndBadOptionsEndTheVirtualMachine) {
  writeSource("Good.java", "class Good {}\n");
  writeSource("plain-file", "not a directory\n");
  struct EndCase {
    std::vector<std::string> jvmArguments;
    std::vector<std::string> consoleArguments;
  } cases[] = {
      {{"empty"}, {}},
      {{"null-array"}, {}},
      {{"only-nulls"}, {}},
      {{"compile", "-nowarn"}, {"-nowarn"}},
      {{"compile", "-zork", "Good.java"}, {"-zork", "Good.java"}},
      {{"compile", "-d", "plain-file", "Good.java"}, {"-d", "plain-file", "Good.java"}},
      {{"compile", "Good.java", "@missing-list"}, {"Good.java", "@missing-list"}},
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.jvmArguments[0] + (c.consoleArguments.empty() ? "" : " " + c.consoleArguments[0]));
    Outcome out = console(c.consoleArguments);
    Outcome in = jvm(c.jvmArguments);
    EXPECT_EQ(out.status, 1);
    EXPECT_EQ(in.status, 1);
    EXPECT_EQ(in.out, "");
    EXPECT_EQ(in.err, out.err);
    EXPECT_NE(out.err, "");
  }
}

TEST_F(JniCompileTest, NoMemoryForTheArgumentsIsAFailedCompile) {
#ifdef SANITIZER_RUNTIMES
  GTEST_SKIP() << "the sanitizer's allocator comes before any other calloc; the plain build runs this test";
#endif
  Outcome in = jvm({"long-array", "100003"}, CHAINED, FAILING_CALLOC, "QV_FAIL_CALLOC_COUNT=100004");
  EXPECT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.out, "result 1\n");
  EXPECT_EQ(in.err, "quorvelix: out.of.memory\n");
}

TEST_F(JniCompileTest, AThousandCompilesKeepResidentMemoryFlat) {
#ifdef SANITIZER_RUNTIMES
  GTEST_SKIP() << "resident memory under the sanitizers measures their quarantine; the plain build runs this test";
#endif
  writeSource("src/p/Shapes.java", PROGRAM);
  makeDirectories({"out"});
  Outcome in = jvm({"repeat", "1000", "-d", "out", "src/p/Shapes.java"});
  ASSERT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.err, "");
  long growth = 0, compiles = 0;
  ASSERT_EQ(std::sscanf(in.out.c_str(), "failed 0\nresident growth %ld KB over %ld compiles", &growth, &compiles), 2)
      << in.out;
  std::printf("resident memory grew by %ld KB over %ld compiles\n", growth, compiles);
  RecordProperty("resident_growth_kb", std::to_string(growth));
  // A compile that kept even 8 KB would add 7 MB over these compiles.
  EXPECT_LT(growth, 4096);
}

// Garbage collections, and null pointers and divisions by zero in compiled Java code, reach the
// virtual machine as SIGSEGV and SIGFPE on its other threads while the compiles run; the JVM must
// get every one of them back.
TEST_F(JniCompileTest, TheVirtualMachinesOwnSignalsReachItDuringCompiles) {
  writeSource("src/p/Shapes.java", PROGRAM);
  makeDirectories({"out"});
  for (JvmSignals signals : {INSTALLED, CHAINED}) {
    SCOPED_TRACE(signals == INSTALLED ? "handlers installed" : "handlers chained");
    Outcome in = jvm({"busy", "60", "-d", "out", "src/p/Shapes.java"}, signals);
    EXPECT_EQ(in.status, 0) << in.err;
    EXPECT_EQ(in.out, "failed 0\ncaught true true\n");
    EXPECT_EQ(in.err, "");
  }
}

// Sources that nest deeply compile on a Java thread of 256 KB or 1 MB as the console program
// compiles them: the compile runs on a thread of its own with the console program's stack.
TEST_F(JniCompileTest, DeepSourcesCompileOnSmallJavaStacks) {
  std::string sum = "i";
  for (int n = 0; n < 6000; n++) sum += " + i";
  writeSource("Deep.java", "class Deep { int f(int i) { return " + sum + "; } }\n");
  std::string blocks;
  for (int n = 0; n < 250; n++) blocks += "{ int b" + std::to_string(n) + " = a + " + std::to_string(n) + "; if (b" +
                                          std::to_string(n) + " > 0) a = b" + std::to_string(n) + "; ";
  writeSource("Nested.java", "class Nested { int f(int a) { " + blocks + std::string(250, '}') + " return a; } }\n");
  makeDirectories({"console", "small", "large"});
  Outcome out = console({"-d", "console", "Deep.java", "Nested.java"});
  ASSERT_EQ(out.status, 0) << out.err;
  std::map<std::string, std::string> expected = filesBelow(work / "console");
  ASSERT_EQ(expected.size(), 2u);
  for (const char* kilobytes : {"256", "1024"}) {
    SCOPED_TRACE(std::string(kilobytes) + " KB");
    std::string directory = kilobytes[0] == '2' ? "small" : "large";
    Outcome in = jvm({"stack", kilobytes, "-d", directory, "Deep.java", "Nested.java"});
    EXPECT_EQ(in.status, 0) << in.err;
    EXPECT_EQ(in.out, "result 0\n");
    EXPECT_EQ(in.err, "");
    EXPECT_EQ(filesBelow(work / directory), expected);
  }
}

// Two threads compiling at once: each call waits for the one running, and every compile writes
// the console program's class files.
TEST_F(JniCompileTest, CompilesFromTwoThreadsTakeTurns) {
  writeSource("src/p/Shapes.java", PROGRAM);
  writeSource("Other.java",
              "class Other { String f(int n) { StringBuffer b = new StringBuffer(); for (int i = 0; i < n; i++) "
              "b.append(i).append(\"x\"); return b.toString() + n; } }\n");
  makeDirectories({"one", "two", "console-one", "console-two"});
  Outcome in = jvm({"threads", "40", "-d", "one", "src/p/Shapes.java", "--", "-d", "two", "Other.java"});
  EXPECT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.out, "failed [0, 0]\n");
  EXPECT_EQ(in.err, "");
  ASSERT_EQ(console({"-d", "console-one", "src/p/Shapes.java"}).status, 0);
  ASSERT_EQ(console({"-d", "console-two", "Other.java"}).status, 0);
  EXPECT_EQ(filesBelow(work / "one"), filesBelow(work / "console-one"));
  EXPECT_EQ(filesBelow(work / "two"), filesBelow(work / "console-two"));
}

// What a compile prints, on standard output too (dependency lines, diagnostics piped there), is
// out when the call returns: before what the caller prints next, not after the next compile's.
TEST_F(JniCompileTest, ACompilesOutputComesBeforeWhatTheCallerPrintsNext) {
  writeSource("Good.java", "class Good { int f() { return 1; } }\n");
  writeSource("Bad.java", "class Bad { int f() { return g(); } }\n");
  makeDirectories({"out"});
  Outcome bad = console({"-J-Dtolvo.pipe.output=true", "-d", "out", "Bad.java"});
  Outcome good = console({"-xdepend", "-d", "out", "Good.java"});
  ASSERT_NE(bad.out, "");
  ASSERT_NE(good.out, "");
  Outcome in = jvm({"sequence", "-J-Dtolvo.pipe.output=true", "-d", "out", "Bad.java", "--", "-xdepend", "-d", "out",
                    "Good.java", "--", "-xdepend", "-d", "out", "Good.java"});
  EXPECT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.out, bad.out + "result 1\n" + good.out + "result 0\n" + good.out + "result 0\n");
  EXPECT_EQ(in.err, "");
}

// The message directory as an IDE may name it, without its final "/": the texts, not the keys.
TEST_F(JniCompileTest, AMessageDirectoryWithoutItsSlash) {
  writeSource("Bad.java", "class Bad { int f() { return g(); } }\n");
  makeDirectories({"out"});
  Outcome out = console({"-d", "out", "Bad.java"});
  messageDirectory = std::string(STAGE_DIR) + "/lib";
  Outcome in = jvm({"compile", "-d", "out", "Bad.java"});
  EXPECT_EQ(in.out, "result 1\n");
  EXPECT_EQ(in.err, out.err);
  EXPECT_NE(out.err.find("1 error"), std::string::npos) << out.err;
}

// The output of StateChecks split at its markers: each call's lines, in the order they ran.
std::vector<std::pair<std::string, std::string>> callsOf(const std::string& output) {
  std::vector<std::pair<std::string, std::string>> calls;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("== ", 0) == 0)
      calls.emplace_back(line.substr(3), "");
    else if (!calls.empty())
      calls.back().second += line + "\n";
  }
  return calls;
}

// Compiles and evaluations in every order, in one virtual machine: every call prints, writes and
// answers what the same call does as the first of a fresh one. Each call starts from a zero state.
TEST_F(JniCompileTest, EveryCallInEveryOrderAsInAFreshVirtualMachine) {
  writeSource("Bad.java", "class Bad { void f( }\n");
  writeSource("Good.java", "class Good { int f(int x) { return x << 2; } }\n");
  makeDirectories({"bad", "good"});
  checks = "com.kel.trov.quorvelix.StateChecks";
  const char* const calls[] = {"bad", "good", "value", "fails"};
  std::map<std::string, std::pair<std::string, std::string>> fresh;
  std::map<std::string, std::string> freshFiles;  // what "good" wrote
  for (const char* call : calls) {
    Outcome in = jvm({"one", call});
    ASSERT_EQ(in.status, 0) << in.err;
    auto out = callsOf(in.out);
    auto err = callsOf(in.err);
    ASSERT_EQ(out.size(), 1u) << in.out;
    ASSERT_EQ(err.size(), 1u) << in.err;
    fresh[call] = {out[0].second, err[0].second};
  }
  freshFiles = filesBelow(work / "good");
  // What the calls answered in a fresh machine, as this test expects it.
  EXPECT_EQ(fresh["value"].first, "kind 2 61 signature 'I'\n");
  EXPECT_EQ(fresh["fails"].first,
            "kind 0 <The debugger cannot read this element: the array index is out of bounds.> signature 'I'\n");
  EXPECT_NE(fresh["bad"].second, "");
  EXPECT_NE(fresh["good"].first.find("CLASS:"), std::string::npos);

  Outcome in = jvm({"orders", "bad", "good", "value", "fails"});
  ASSERT_EQ(in.status, 0) << in.err;
  auto out = callsOf(in.out);
  auto err = callsOf(in.err);
  ASSERT_EQ(out.size(), 4u * 24u);
  ASSERT_EQ(err.size(), out.size());
  for (size_t n = 0; n < out.size(); n++) {
    SCOPED_TRACE("call " + std::to_string(n) + ": " + out[n].first);
    EXPECT_EQ(out[n].second, fresh[out[n].first].first);
    EXPECT_EQ(err[n].second, fresh[out[n].first].second);
  }
  EXPECT_EQ(filesBelow(work / "good"), freshFiles);
  EXPECT_TRUE(filesBelow(work / "bad").empty());
}

}  // namespace

// Every in-process call starts from nothing, whatever ran before it in the process. Two different
// compiles, each after an evaluation, print and write here exactly what each prints and writes as
// a process of its own, and an evaluation gives the same answer before and after each compile.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "driver/compile_driver.h"
#include "evaluate/expression_evaluation.h"
#include "evaluate/model_view.h"
#include "support/arena.h"
#include "support/global.h"
#include "test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// What a compile left: its standard output and error, its error count or status, its class files.
struct CompileResult {
  std::string out;
  std::string err;
  int errors = -1;
  std::map<std::string, std::string> classFiles;  // by path below the output directory
};

// Two programs with classes of the same names and different members, nested, local and
// anonymous classes, access methods, constants, a switch and a finally; the second has a file
// with an error and a deprecated call.
const std::map<std::string, std::string> firstProgram = {
    {"p/A.java",
     "package p;\n"
     "import java.util.Vector;\n"
     "public class A {\n"
     "  private int secret = 7;\n"
     "  static final String NAME = \"a\" + 1;\n"
     "  class Inner { int peek() { return secret; } }\n"
     "  Object make(final int k) {\n"
     "    class Local { int get() { return k + secret; } }\n"
     "    return new Object() { public String toString() { return NAME + new Local().get(); } };\n"
     "  }\n"
     "  int sw(int x) { switch (x) { case 1: return 10; case 5: return 50; default: return -1; } }\n"
     "  int tf() { try { return secret; } finally { secret++; } }\n"
     "  Vector v = new Vector();\n"
     "}\n"},
    {"p/B.java",
     "package p;\n"
     "class B extends A { String s() { return \"b\" + sw(5) + (char) 66; } static int[] arr = {1, 2, 3}; }\n"},
};

const std::map<std::string, std::string> secondProgram = {
    {"p/A.java",
     "package p;\n"
     "public class A { int other() { return B.twice(21); } Object make() { return new Object() {}; }\n"
     "  private static long big = 1L << 40; static class Nested { long get() { return big; } } }\n"},
    {"p/B.java", "package p;\nclass B { static int twice(int x) { return x * 2; } }\n"},
    {"q/Bad.java",
     "package q;\n"
     "class Bad { int f() { return; } int year() { return new java.util.Date().getYear(); } }\n"},
};

const std::vector<std::string> firstOptions = {"-xdepend", "-g:none"};
const std::vector<std::string> secondOptions = {"-deprecation", "-g"};

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::map<std::string, std::string> classFilesBelow(const fs::path& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(directory))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), directory).string()] = contentOf(entry.path());
  return files;
}

// The command line of a compile of the program's files into `out`, sources named by absolute path.
std::vector<std::string> commandLine(const fs::path& sources, const std::map<std::string, std::string>& program,
                                     const std::vector<std::string>& options, const fs::path& out) {
  std::vector<std::string> words(options);
  words.insert(words.end(), {"-d", out.string()});
  for (const auto& [name, text] : program) words.push_back((sources / name).string());
  return words;
}

// The output directory's own path, which differs between the two ways, as one word.
std::string withoutDirectory(std::string text, const fs::path& out) {
  for (size_t at; (at = text.find(out.string())) != std::string::npos;) text.replace(at, out.string().size(), "<out>");
  return text;
}

// As the console program runs: a process of its own, with the class library it finds beside it.
CompileResult compileInProcess(const std::vector<std::string>& words, const fs::path& out) {
  fs::create_directories(out);
  char** arguments = static_cast<char**>(std::calloc(words.size() + 1, sizeof(char*)));
  for (size_t i = 0; i < words.size(); i++) arguments[i] = strdup(words[i].c_str());
  // As the in-process entry does before it calls the driver.
  global.localeName = "C";
  initMemory();
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  CompileResult result;
  result.errors = internalTolvo(static_cast<int>(words.size()), arguments, strdup(STAGE_DIR "/lib/"), nullptr,
                                strdup(CLASS_LIBRARY), nullptr, strdup("."), nullptr, 1);
  result.out = withoutDirectory(testing::internal::GetCapturedStdout(), out);
  result.err = withoutDirectory(testing::internal::GetCapturedStderr(), out);
  result.classFiles = classFilesBelow(out);
  return result;
}

CompileResult compileInFreshProcess(const std::vector<std::string>& words, const fs::path& out) {
  fs::create_directories(out);
  std::string compiler = std::string(STAGE_DIR) + "/bin/x86/quorvelix";
  std::vector<std::string> all{compiler};
  all.insert(all.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (std::string& w : all) argv.push_back(w.data());
  argv.push_back(nullptr);
  // The messages of the C locale, and the class path ".", as in-process.
  std::vector<std::string> variables{"LC_ALL=C"};
  for (char** e = environ; *e != nullptr; e++)
    if (std::strncmp(*e, "LC_ALL=", 7) != 0 && std::strncmp(*e, "CLASSPATH=", 10) != 0 &&
        std::strncmp(*e, "_QV_ALLOCATIONS=", 16) != 0)
      variables.push_back(*e);
  std::vector<char*> envp;
  for (std::string& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);
  fs::path outFile = out.string() + ".stdout", errFile = out.string() + ".stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, compiler.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  CompileResult result;
  result.errors = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = withoutDirectory(contentOf(outFile), out);
  result.err = withoutDirectory(contentOf(errFile), out);
  result.classFiles = classFilesBelow(out);
  return result;
}

// An evaluation over a small frame: its kind, value or message, and signature, as one text.
std::string evaluateOnce(const char* expression) {
  ModelView vm;
  vm.pc = 10;
  vm.addLocal("i", "I", 1, modelInt(41));
  vm.addLocal("arr", "[I", 2, modelReference(vm.addArray({modelInt(10), modelInt(20)})));
  auto copy = [](const void* directory) -> char* {
    return directory != nullptr ? strdup(static_cast<const char*>(directory)) : nullptr;
  };
  EvalResultKind kind = evaluateExpression(&vm, 0, expression, copy, STAGE_DIR "/lib/", nullptr);
  std::string text = "kind " + std::to_string(kind) + " value " + std::to_string(evaluationLongValue());
  char16_t units[ERROR_TEXT_UNITS];
  int32_t count = evaluationErrorText(units);
  for (int32_t k = 0; k < count; k++) text += static_cast<char>(units[k] < 0x80 ? units[k] : '?');
  evaluationDone();
  text += " signature " + std::to_string(evaluationSignature());
  releaseEvaluation();
  return text;
}

std::string evaluations() {
  return evaluateOnce("i * 2 + arr[1]") + "; " + evaluateOnce("arr[2]") + "; " + evaluateOnce("nosuch + 1");
}

void writeProgram(const fs::path& root, const std::map<std::string, std::string>& program) {
  for (const auto& [name, text] : program) writeTextFile(root / name, text);
}

void expectSame(const CompileResult& inProcess, const CompileResult& fresh, const char* which) {
  EXPECT_EQ(inProcess.out, fresh.out) << which;
  EXPECT_EQ(inProcess.err, fresh.err) << which;
  EXPECT_EQ(inProcess.errors != 0, fresh.errors != 0) << which;
  EXPECT_FALSE(fresh.classFiles.empty()) << which;
  EXPECT_EQ(inProcess.classFiles.size(), fresh.classFiles.size()) << which;
  for (const auto& [name, bytes] : fresh.classFiles) {
    auto found = inProcess.classFiles.find(name);
    ASSERT_NE(found, inProcess.classFiles.end()) << which << " " << name;
    EXPECT_TRUE(found->second == bytes) << which << " " << name << " differs";
  }
}

TEST(FreshState, TwoCompilesAndEvaluationsInOneProcessMatchFreshProcesses) {
  fs::path root = fs::path(UNIT_WORK_DIR) / "FreshState";
  fs::remove_all(root);
  writeProgram(root / "first", firstProgram);
  writeProgram(root / "second", secondProgram);

  std::string before = evaluations();
  CompileResult first =
      compileInProcess(commandLine(root / "first", firstProgram, firstOptions, root / "in/first"), root / "in/first");
  EXPECT_EQ(evaluations(), before);
  CompileResult second = compileInProcess(
      commandLine(root / "second", secondProgram, secondOptions, root / "in/second"), root / "in/second");
  EXPECT_EQ(evaluations(), before);
  // Everything of the compiles is released.
  EXPECT_EQ(global.mainArena.block, nullptr);
  EXPECT_EQ(global.sources, nullptr);

  CompileResult freshFirst = compileInFreshProcess(
      commandLine(root / "first", firstProgram, firstOptions, root / "fresh/first"), root / "fresh/first");
  CompileResult freshSecond = compileInFreshProcess(
      commandLine(root / "second", secondProgram, secondOptions, root / "fresh/second"), root / "fresh/second");
  EXPECT_EQ(first.errors, 0) << first.err;
  EXPECT_NE(second.errors, 0) << second.err;
  EXPECT_NE(first.out.find("CLDEP:"), std::string::npos) << first.out;
  EXPECT_NE(second.err.find("deprecat"), std::string::npos) << second.err;
  expectSame(first, freshFirst, "first");
  expectSame(second, freshSecond, "second");
}

}  // namespace

// The source list, the in-process compile run twice, and the crash handler.
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "codegen/class_file_output.h"
#include "driver/compile_driver.h"
#include "driver/search_paths.h"
#include "platform/crash_signals.h"
#include "semantic/class_records.h"
#include "semantic/element_names.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/source_file.h"
#include "test_support.h"

namespace {

class SourceFilesTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    root = scratchDirectory();
    previous = std::filesystem::current_path();
    std::filesystem::current_path(root);
    global.noMessages = 1;
  }
  void TearDown() override {
    std::filesystem::current_path(previous);
    CompilerTest::TearDown();
  }
  int32_t recorded() {
    int32_t n = 0;
    for (SourceFile* file = global.sources; file != nullptr; file = file->next) n++;
    return n;
  }
  std::filesystem::path root;
  std::filesystem::path previous;
};

TEST_F(SourceFilesTest, EachFileIsRecordedOnce) {
  writeTextFile(root / "A.java", "class A {}\n");
  writeTextFile(root / "a.java", "class a {}\n");
  std::string absolute = (root / "A.java").string();
  SourceFile* first = addSourceFile("A.java");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(addSourceFile("A.java"), nullptr);
  EXPECT_EQ(addSourceFile("./A.java"), nullptr);
  EXPECT_EQ(addSourceFile(absolute.c_str()), nullptr);
  EXPECT_NE(addSourceFile("a.java"), nullptr);
  EXPECT_EQ(recorded(), 2);
  EXPECT_EQ(findSourceFile("./A.java"), first);
  EXPECT_STREQ(first->fullPath, absolute.c_str());
  EXPECT_EQ(first->contentLength, 11);
  EXPECT_STREQ(first->content, "class A {}\n");
  EXPECT_EQ(global.errorCount, 0);
}

TEST_F(SourceFilesTest, EmptyFileHasOneZeroByte) {
  writeTextFile(root / "E.java", "");
  SourceFile* file = addSourceFile("E.java");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->contentLength, 0);
  EXPECT_EQ(file->content[0], '\0');
}

TEST_F(SourceFilesTest, UnreadableNamesAreErrorsAndLeftOut) {
  std::filesystem::create_directories(root / "D.java");
  EXPECT_EQ(addSourceFile("D.java"), nullptr);
  EXPECT_EQ(addSourceFile("missing.java"), nullptr);
  EXPECT_EQ(addSourceFile(""), nullptr);
  EXPECT_EQ(addSourceFile(nullptr), nullptr);
  // The empty name is an error as well; no name at all is none.
  EXPECT_EQ(global.errorCount, 3);
  EXPECT_EQ(recorded(), 0);
}

TEST_F(SourceFilesTest, SuffixRules) {
  struct Case {
    const char* name;
    bool accepted;
  } cases[] = {{"A.JAVA", true}, {"b.Jav", true}, {"c.java", true}, {"d.javax", false},
               {"e", false},     {"f.txt", false}, {"g.jAvA", true}, {"h.ja", false}};
  for (const Case& c : cases) {
    writeTextFile(root / c.name, "");
    try {
      EXPECT_EQ(addSourceFile(c.name) != nullptr, c.accepted) << c.name;
    } catch (const CompileStop& stop) {
      EXPECT_FALSE(c.accepted) << c.name;
      EXPECT_EQ(stop.code, STOP_FATAL);
    }
  }
}

char** heapArguments(std::initializer_list<const char*> texts) {
  char** arguments = static_cast<char**>(std::calloc(texts.size() + 1, sizeof(char*)));
  int i = 0;
  for (const char* text : texts) arguments[i++] = strdup(text);
  return arguments;
}

TEST(InProcessCompile, TwoRunsGiveTheSameResult) {
  auto root = std::filesystem::path(UNIT_WORK_DIR) / "InProcessCompile";
  std::filesystem::remove_all(root);
  writeTextFile(root / "lib/quorvelix.messages", "cannot.open.source(1)=open %1\nerror.count(1)=%1 error\n");
  writeTextFile(root / "A.java", "class A {}\n");
  std::string messages = (root / "lib").string() + "/";
  std::string a = (root / "A.java").string();
  std::string result[2];
  for (int run = 0; run < 2; run++) {
    // As the in-process entry does before it calls the driver.
    global.localeName = "C";
    initMemory();
    testing::internal::CaptureStderr();
    int32_t errors = internalTolvo(3, heapArguments({a.c_str(), "missing.java", a.c_str()}), strdup(messages.c_str()),
                                   nullptr, strdup(CLASS_LIBRARY), nullptr, strdup("."), nullptr, 1);
    result[run] = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, 1);
    // Everything is released, the error count too: what runs next starts from zero.
    EXPECT_EQ(global.mainArena.block, nullptr);
    EXPECT_EQ(global.sources, nullptr);
    EXPECT_EQ(global.errorCount, 0);
  }
  EXPECT_EQ(result[0], "quorvelix: open missing.java\n1 error\n");
  EXPECT_EQ(result[1], result[0]);
}

// The class files a sink receives, by binary name.
std::map<std::string, std::string> sunk;

bool keepClassFile(ClassDef* cls, const uint8_t* bytes, int32_t size) {
  sunk[cls->binaryName != nullptr ? identToString(cls->binaryName) : "?"] =
      std::string(reinterpret_cast<const char*>(bytes), size);
  return true;
}

std::map<std::string, std::string> classFilesIn(const std::filesystem::path& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

TEST(InProcessCompile, ASinkGetsTheBytesTheDiskWouldAndNoFileIsMade) {
  auto root = std::filesystem::path(UNIT_WORK_DIR) / "InProcessSink";
  std::filesystem::remove_all(root);
  writeTextFile(root / "A.java",
                "package p; class A { int x = 1; class B { int y() { return x; } }\n"
                "  Object z() { return new Object() {}; } }\n");
  writeTextFile(root / "Bad.java", "class Bad { int f() { return; } }\nclass Other {}\n");
  std::string messages = std::string(SOURCE_TREE) + "/lib/";
  auto compile = [&](const std::filesystem::path& out, ClassFileSink sink) {
    std::filesystem::create_directories(out);
    setClassFileSink(sink);
    global.localeName = "C";
    initMemory();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int32_t errors = internalTolvo(4, heapArguments({"-d", out.c_str(), (root / "A.java").c_str(), (root / "Bad.java").c_str()}),
                                   strdup(messages.c_str()), nullptr, strdup(CLASS_LIBRARY), nullptr, strdup("."),
                                   nullptr, 1);
    std::string printed = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    setClassFileSink(nullptr);
    global.errorCount = 0;
    EXPECT_EQ(errors, 1) << printed;
  };
  compile(root / "disk", nullptr);
  compile(root / "memory", keepClassFile);

  std::map<std::string, std::string> disk = classFilesIn(root / "disk");
  ASSERT_EQ(disk.size(), 3u);
  EXPECT_TRUE(std::filesystem::is_empty(root / "memory"));
  // Nothing of the file with the error, on the disk or in the sink.
  ASSERT_EQ(sunk.size(), 3u);
  for (const char* name : {"A", "A$B", "A$1"}) {
    ASSERT_EQ(sunk.count(name), 1u) << name;
    EXPECT_EQ(sunk[name], disk[std::string(name) + ".class"]) << name;
  }
}

TEST(InProcessCompile, ScannerStateOfOneCompileIsNotUsedByTheNext) {
  auto root = std::filesystem::path(UNIT_WORK_DIR) / "InProcessScanner";
  std::filesystem::remove_all(root);
  writeTextFile(root / "lib/quorvelix.messages", "warn.noi18n.string(1)=no mark on %1\nwarning.count(1)=%1 warning\n");
  writeTextFile(root / "A.java", "class A { String s = tr(\"exempt\") + other(\"marked\"); }\n");
  std::string messages = (root / "lib").string() + "/";
  std::string a = (root / "A.java").string();
  // The "-i18napi" names of the first compile live in its main arena; the second must make its own.
  const char* apis[] = {"tr", "other"};
  const char* warned[] = {"no mark on marked", "no mark on exempt"};
  for (int run = 0; run < 2; run++) {
    global.localeName = "C";
    initMemory();
    testing::internal::CaptureStderr();
    internalTolvo(5, heapArguments({"-scanonly", "-noi18n", "-i18napi", apis[run], a.c_str()}),
                  strdup(messages.c_str()), nullptr, strdup(CLASS_LIBRARY), nullptr, nullptr, nullptr, 1);
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find(warned[run]), std::string::npos) << printed;
    EXPECT_EQ(printed.find(warned[1 - run]), std::string::npos) << printed;
  }
}

TEST(CrashHandler, PrintsTheInternalErrorLineAndAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto crash = [] {
    global.abortOnFatal = 1;
    installCrashHandlers(onFatalSignal);
    std::raise(SIGSEGV);
  };
  EXPECT_DEATH(crash(), "quorvelix: Internal compiler error, SEGV, ILL, or FPE");
}

int overflow(int depth) {
  volatile char frame[256];
  frame[0] = static_cast<char>(depth);
  if (depth < 0) return 0;
  return overflow(depth + 1) + frame[0];
}

TEST(CrashHandler, StackOverflowStillReachesTheHandler) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto crash = [] {
    global.abortOnFatal = 1;
    installCrashHandlers(onFatalSignal);
    overflow(0);
  };
  EXPECT_DEATH(crash(), "quorvelix: Internal compiler error, SEGV, ILL, or FPE");
}

}  // namespace

namespace {

class SearchPathsTest : public SourceFilesTest {};

TEST_F(SearchPathsTest, SplitsListsAndKeepsOnlyWhatExists) {
  std::filesystem::create_directories(root / "a");
  std::filesystem::create_directories(root / "b");
  EXPECT_EQ(countPathEntries(nullptr), 0);
  EXPECT_EQ(countPathEntries(";;a;;b;"), 6);
  EXPECT_EQ(countPathEntries("a:b"), 2);
  char* entries[8] = {};
  ZipFile* archives[8] = {};
  char list[] = ";;a;;b;";
  splitPathList(entries, archives, list);
  ASSERT_STREQ(entries[0], "a");
  ASSERT_STREQ(entries[1], "b");
  EXPECT_EQ(entries[2], nullptr);
  char more[] = "missing:/";
  splitPathList(entries, archives, more);
  EXPECT_STREQ(entries[2], "");
  EXPECT_STREQ(entries[3], "/");
  EXPECT_EQ(entries[4], nullptr);
  // One entry as it stands, separators and all.
  std::filesystem::create_directories(root / "x;y:z");
  char output[] = "x;y:z";
  appendPathEntry(entries, archives, output);
  EXPECT_STREQ(entries[4], "x;y:z");
  EXPECT_EQ(entries[5], nullptr);
}

}  // namespace

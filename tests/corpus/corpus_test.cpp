// Real Java 1.1 source that nobody here wrote, made at test time by Debian's parser generators
// (tools/make-corpus.sh), and the project's own sample programs: every file must parse with no
// error, and with no warning but the one for a stray semicolon in a class body, which generated
// parsers write after their methods.
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/source_passes.h"
#include "semantic/class_table.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/message_file.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/scanner.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> javaFiles(const char* directory) {
  std::vector<std::string> files;
  if (!fs::is_directory(directory)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(directory))
    if (entry.path().extension() == ".java") files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(Corpus, EveryFileParsesWithoutDiagnostics) {
  std::vector<std::string> files = javaFiles(CORPUS_DIR);
  ASSERT_GT(files.size(), 100u) << "no corpus in " << CORPUS_DIR;
  for (const char* own : {OWN_SOURCES "/samples", OWN_SOURCES "/tests/dumper/java"}) {
    std::vector<std::string> more = javaFiles(own);
    ASSERT_FALSE(more.empty()) << "no sources in " << own;
    files.insert(files.end(), more.begin(), more.end());
  }
  size_t lines = 0;
  for (const std::string& path : files) {
    // Each file on its own: the generators' example sets reuse class names.
    releaseMemory();
    initMemory();
    global.currentArena = &global.mainArena;
    global.maxCharBytes = 1;
    resetClassTable();
    initScanner();
    setMessageLocation(STAGE_DIR "/lib/", nullptr);
    testing::internal::CaptureStderr();
    SourceFile* file = addSourceFile(path.c_str());
    ASSERT_NE(file, nullptr) << path;
    parseAllFiles();
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(global.errorCount, 0) << printed;
    // Each diagnostic line (the file name, a line number, the text) is that one warning.
    std::istringstream output(printed);
    for (std::string line; std::getline(output, line);)
      if (line.rfind(path + ":", 0) == 0) {
        EXPECT_NE(line.find("Warning: Empty member declaration"), std::string::npos) << line;
      }
    lines += std::count(file->content, file->content + file->contentLength, '\n');
  }
  releaseMemory();
  EXPECT_GE(lines, 20000u);
}

}  // namespace

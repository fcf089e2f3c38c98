#include "test_support.h"

#include <fstream>

#include "semantic/class_table.h"
#include "semantic/passes.h"
#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/message_file.h"
#include "support/parser_context.h"
#include "syntax/scanner.h"

void CompilerTest::SetUp() {
  releaseMemory();
  initMemory();
  global.currentArena = &global.mainArena;
  global.maxCharBytes = 1;
}

void CompilerTest::TearDown() {
  releaseMemory();
}

ClassLibraryOnPaths::ClassLibraryOnPaths() {
  entries_[0] = mainArenaCopy(CLASS_LIBRARY);
  archives_[0] = zipOpen(CLASS_LIBRARY);
  global.classPathEntries = global.sourcePathEntries = entries_;
  global.classPathArchives = global.sourcePathArchives = archives_;
}

ClassLibraryOnPaths::~ClassLibraryOnPaths() {
  if (archives_[0] != nullptr) zipClose(archives_[0]);
  global.classPathEntries = global.sourcePathEntries = nullptr;
  global.classPathArchives = global.sourcePathArchives = nullptr;
}

std::string ClassLibraryTest::reported;

void ClassLibraryTest::collect(const char* text) {
  if (!reported.empty()) reported += "; ";
  reported += text;
}

void ClassLibraryTest::setUpMessages() {
  initMessageTable(1);
  sortMessages();
}

void ClassLibraryTest::SetUp() {
  CompilerTest::SetUp();
  setUpMessages();
  resetClassTable();
  initScanner();
  global.ctx = ParserContext{};
  library_.emplace();
  ASSERT_TRUE(library_->opened()) << CLASS_LIBRARY;
  initJavaIo();
  global.messageCallback = collect;
  reported.clear();
}

void ClassLibraryTest::TearDown() {
  global.messageCallback = nullptr;
  global.current = nullptr;
  library_.reset();
  CompilerTest::TearDown();
}

std::filesystem::path CompilerTest::scratchDirectory() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path path = std::filesystem::path(UNIT_WORK_DIR) / info->test_suite_name() / info->name();
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  return path;
}

void writeTextFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

#include "test_support.h"

#include <fstream>

#include "support/arena.h"
#include "support/global.h"
#include "support/message_file.h"

void CompilerTest::SetUp() {
  releaseMemory();
  initMemory();
  global.currentArena = &global.mainArena;
  global.maxCharBytes = 1;
}

void CompilerTest::TearDown() {
  releaseMemory();
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

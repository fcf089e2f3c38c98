// Shared set-up for unit tests: a fresh compiler memory per test, a scratch directory, and
// files written into it.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

// Opens the compiler's memory before each test and releases it after, as an in-process compile does.
class CompilerTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A directory of the test's own below the build tree, emptied first.
  std::filesystem::path scratchDirectory();
};

void writeTextFile(const std::filesystem::path& path, const std::string& text);

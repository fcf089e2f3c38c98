// Shared set-up for unit tests: a fresh compiler memory per test, a scratch directory, and
// files written into it.
#pragma once

#include <filesystem>
#include <optional>
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

struct ZipFile;

// The class library as both class path and source path of the compile, for the scope.
class ClassLibraryOnPaths {
 public:
  ClassLibraryOnPaths();
  ~ClassLibraryOnPaths();
  ClassLibraryOnPaths(const ClassLibraryOnPaths&) = delete;
  ClassLibraryOnPaths& operator=(const ClassLibraryOnPaths&) = delete;
  bool opened() const { return archives_[0] != nullptr; }

 private:
  char* entries_[2] = {nullptr, nullptr};
  ZipFile* archives_[2] = {nullptr, nullptr};
};

// The class environment of a compile, for tests of declarations and attribution: an empty class
// table, the scanner, a fresh parser context, java.lang and java.io set up, and the class library
// as both class path and source path. Every message reported is kept in `reported`, joined by
// "; ". A fixture sets up its message table in setUpMessages, before the class table.
class ClassLibraryTest : public CompilerTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  virtual void setUpMessages();

  static std::string reported;

 private:
  static void collect(const char* text);
  std::optional<ClassLibraryOnPaths> library_;
};

void writeTextFile(const std::filesystem::path& path, const std::string& text);

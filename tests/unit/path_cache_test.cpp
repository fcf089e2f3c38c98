// The path-status cache: answers as the file system does (a FIFO or a device is no regular file),
// and asks the host at most once while its answer is complete.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "support/arena.h"
#include "support/path_cache.h"
#include "test_support.h"

namespace {

class PathCacheTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    root = scratchDirectory().string();
    std::filesystem::create_directories(root + "/dir/sub");
    writeTextFile(root + "/dir/file.txt", "x");
    mkfifo((root + "/dir/pipe").c_str(), 0644);
    std::filesystem::create_symlink("/dev/urandom", root + "/dir/random");
  }
  std::string root;
};

TEST_F(PathCacheTest, AnswersLikeTheFileSystem) {
  // An escaped class name makes one component per escaped character.
  std::string manyComponents = root + "/dir/x";
  for (int i = 0; i < 3000; i++) manyComponents += "\\u0000";
  struct Case {
    std::string path;
    bool exists;
    bool directory;
    bool regular;  // a file to read along a path
  } cases[] = {
      {root + "/dir", true, true, false},
      {root + "/dir/", true, true, false},
      {root + "\\dir\\sub", true, true, false},
      {root + "/dir/file.txt", true, false, true},
      {root + "/dir/pipe", true, false, false},
      {root + "/dir/random", true, false, false},
      {root + "/dir/missing", false, false, false},
      {root + "/missing/deeper/file", false, false, false},
      {root + "//dir", true, true, false},
      {root + "/dir/sub/../file.txt", true, false, true},
      {manyComponents, false, false, false},
      {"/", true, true, false},
      {"/tmp", true, true, false},
      {"", false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isPathExistingCached(c.path.c_str(), nullptr), c.exists) << c.path;
    EXPECT_EQ(isDirectory(c.path.c_str()), c.directory) << c.path;
    EXPECT_EQ(isRegularFileCached(c.path.c_str(), nullptr), c.regular) << c.path;
    // Asked again, the cache gives the same answers, without asking the host.
    int64_t before = pathStatCount();
    EXPECT_EQ(isPathExistingCached(c.path.c_str(), nullptr), c.exists) << c.path;
    EXPECT_EQ(isDirectory(c.path.c_str()), c.directory) << c.path;
    EXPECT_EQ(isRegularFileCached(c.path.c_str(), nullptr), c.regular) << c.path;
    EXPECT_EQ(pathStatCount(), before) << c.path;
  }
}

TEST_F(PathCacheTest, StatsEachPathOnce) {
  std::string file = root + "/dir/file.txt";
  int64_t before = pathStatCount();
  EXPECT_TRUE(isDirectory((root + "/dir").c_str()));
  EXPECT_TRUE(isPathExistingCached(file.c_str(), nullptr));
  int64_t afterFirst = pathStatCount();
  int64_t modified = 0;
  EXPECT_TRUE(isPathExistingCached(file.c_str(), &modified));
  EXPECT_TRUE(isDirectory((root + "/dir").c_str()));
  // The kind comes from the same stat as the time.
  int64_t regularModified = 0;
  EXPECT_TRUE(isRegularFileCached(file.c_str(), &regularModified));
  EXPECT_EQ(regularModified, modified);
  EXPECT_EQ(pathStatCount(), afterFirst);
  EXPECT_GT(afterFirst, before);
  struct stat status;
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  EXPECT_EQ(modified, status.st_mtime);
}

TEST_F(PathCacheTest, MissingParentMeansNoStatOfTheChild) {
  EXPECT_FALSE(isPathExistingCached((root + "/nothing/a").c_str(), nullptr));
  int64_t before = pathStatCount();
  EXPECT_FALSE(isPathExistingCached((root + "/nothing/b").c_str(), nullptr));
  EXPECT_EQ(pathStatCount(), before);
}

TEST_F(PathCacheTest, ForgottenFileIsMissingWithoutAStat) {
  std::string file = root + "/dir/file.txt";
  EXPECT_FALSE(forgetPathExists(file.c_str()));
  EXPECT_TRUE(isPathExistingCached(file.c_str(), nullptr));
  EXPECT_TRUE(forgetPathExists(file.c_str()));
  int64_t before = pathStatCount();
  EXPECT_FALSE(isPathExistingCached(file.c_str(), nullptr));
  EXPECT_EQ(pathStatCount(), before);
}

TEST_F(PathCacheTest, AncestorOnlyNodeIsStatForItsTime) {
  // Testing the file makes its directory's node as an existing ancestor, with no time recorded.
  std::string directory = root + "/dir/sub";
  writeTextFile(directory + "/x", "");
  EXPECT_TRUE(isPathExistingCached((directory + "/x").c_str(), nullptr));
  int64_t before = pathStatCount();
  EXPECT_TRUE(isPathExistingCached(root.c_str(), nullptr));
  int64_t modified = 0;
  EXPECT_TRUE(isPathExistingCached(root.c_str(), &modified));
  EXPECT_GT(pathStatCount(), before);
  EXPECT_NE(modified, 0);
}

TEST_F(PathCacheTest, MadeDirectoryIsKnown) {
  std::string made = root + "/made";
  EXPECT_FALSE(isDirectory(made.c_str()));
  EXPECT_TRUE(makeDirectoryCached(made.c_str()));
  EXPECT_TRUE(isDirectory(made.c_str()));
  EXPECT_TRUE(std::filesystem::is_directory(made));
  EXPECT_FALSE(makeDirectoryCached((root + "/none/made").c_str()));
  EXPECT_FALSE(isPathExistingCached((root + "/none/made").c_str(), nullptr));
}

// A directory on a path is listed at its first question, once: the listing answers for every name
// in it, and for every name not in it without a stat.
TEST_F(PathCacheTest, ADirectoryListedOnceAnswersForItsEntries) {
  EXPECT_EQ(directoryNode((root + "/dir/file.txt").c_str()), nullptr);
  EXPECT_EQ(directoryNode((root + "/missing").c_str()), nullptr);
  PathNode* directory = directoryNode((root + "/dir").c_str());
  ASSERT_NE(directory, nullptr);
  int64_t listings = pathListCount();
  int64_t stats = pathStatCount();
  struct Case {
    const char* name;
    bool held;
  } cases[] = {{"file.txt", true}, {"sub", true}, {"pipe", true}, {"missing", false}, {"file.tx", false},
               {"sub/deeper", true},  // not one entry: the listing cannot tell
               {"file.txt\\x", true}};
  for (const Case& c : cases)
    EXPECT_EQ(directoryMayHold(directory, c.name, static_cast<int32_t>(std::strlen(c.name))), c.held) << c.name;
  EXPECT_EQ(pathListCount(), listings + 1);
  EXPECT_EQ(pathStatCount(), stats);
  // The listing's answers stand for the paths of the directory's entries too.
  EXPECT_FALSE(isPathExistingCached((root + "/dir/missing").c_str(), nullptr));
  EXPECT_EQ(pathStatCount(), stats);
  EXPECT_TRUE(isRegularFileCached((root + "/dir/file.txt").c_str(), nullptr));
  EXPECT_FALSE(isRegularFileCached((root + "/dir/pipe").c_str(), nullptr));
  // The root directory is listed under its own name.
  PathNode* top = directoryNode("/");
  ASSERT_NE(top, nullptr);
  EXPECT_TRUE(directoryMayHold(top, "tmp", 3));
}

TEST_F(PathCacheTest, ReleaseEmptiesTheCache) {
  std::string file = root + "/dir/file.txt";
  EXPECT_TRUE(isPathExistingCached(file.c_str(), nullptr));
  std::filesystem::remove(file);
  releaseMemory();
  initMemory();
  EXPECT_FALSE(isPathExistingCached(file.c_str(), nullptr));
}

}  // namespace

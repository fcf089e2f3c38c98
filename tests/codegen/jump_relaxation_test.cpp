// Jumps at the edge of their short form, run on JDK 17 with -Xverify:all: methods are made whose
// forward and backward gotos and conditional branches, laid out long, span 32,755 to 32,775
// bytes, so that some shrink to three bytes and the others stay goto_w or become the inverted
// branch over a goto_w; a tableswitch sits between such jumps, its padding moving as they shrink.
// Each method counts the increments it runs, which the test knows. A method past 65,535 bytes of
// code is an error of its source file, and no class file is written for it.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../dumper/gorblet_process.h"

namespace fs = std::filesystem;

namespace {

// Filler of exactly `bytes` bytes (at least 2): x++ is iinc (3 bytes), y = z is iload, istore
// (2 bytes); it adds its count of x++ to x.
std::string filler(int bytes, int* increments) {
  int threes = bytes / 3;
  int rest = bytes - 3 * threes;
  if (rest == 1) {
    threes -= 1;
    rest = 4;
  }
  std::string text;
  for (int i = 0; i < threes; i++) text += "x++;";
  for (int i = 0; i < rest / 2; i++) text += "y=z;";
  text += "\n";
  *increments = threes;
  return text;
}

struct Method {
  std::string source;
  long expected;
};

// Layout offsets: x is slot 1, y slot 2, z slot 3 (c, the argument, slot 0), so each filler
// statement has its short form.
Method forwardBranch(const std::string& name, int fill) {
  int n;
  std::string body = filler(fill, &n);
  return {"  static int " + name + "(int c) { int x = 0, y = 0, z = 0;\n    if (c > 0) {\n" + body + "    }\n    return x; }\n", n};
}

Method forwardGoto(const std::string& name, int fill) {
  int n;
  std::string body = filler(fill, &n);
  return {"  static int " + name + "(int c) { int x = 0, y = 0, z = 0;\n    if (c > 0) { x = 5; } else {\n" + body +
              "    }\n    return x; }\n",
          5};
}

Method backwardBranch(const std::string& name, int fill) {
  int n;
  std::string body = filler(fill, &n);
  return {"  static int " + name + "(int c) { int x = 0, y = 0, z = 0;\n    do {\n" + body + "      c--;\n    } while (c > 0);\n    return x; }\n",
          2L * n};
}

Method backwardGoto(const std::string& name, int fill) {
  int n;
  std::string body = filler(fill, &n);
  return {"  static int " + name + "(int c) { int x = 0, y = 0, z = 0;\n    while (true) {\n      if (c-- <= 0) break;\n" + body +
              "    }\n    return x; }\n",
          2L * n};
}

// A switch whose padding changes as the jumps before it shrink, inside a goto's span.
Method switchInSpan(const std::string& name, int fill) {
  int n;
  std::string body = filler(fill, &n);
  return {"  static int " + name + "(int c) { int x = 0, y = 0, z = 0;\n    for (int i = 0; i < 2; i++) {\n      if (c > 5) { x = 1; continue; }\n" +
              "      switch (i) { case 0: x += 10; break; case 1: x += 20; break; case 2: x += 30; break; }\n" + body +
              "    }\n    return x; }\n",
          30 + 2L * n};
}

TEST(JumpRelaxation, JumpsAroundTheShortLimitRunOnTheVirtualMachine) {
  std::vector<Method> methods;
  std::ostringstream calls;
  int index = 0;
  for (int fill = 32755; fill <= 32770; fill++) {
    Method (*makers[])(const std::string&, int) = {forwardBranch, forwardGoto, backwardBranch, backwardGoto, switchInSpan};
    for (auto* make : makers) {
      std::string name = "m" + std::to_string(index++);
      Method m = make(name, fill);
      methods.push_back(m);
      calls << "    System.out.println(\"" << name << " \" + " << name << "(2));\n";
    }
  }
  std::string source = "class Jumps {\n";
  std::string expected;
  for (size_t i = 0; i < methods.size(); i++) {
    source += methods[i].source;
    expected += "m" + std::to_string(i) + " " + std::to_string(methods[i].expected) + "\n";
  }
  source += "  public static void main(String[] args) {\n" + calls.str() + "  }\n}\n";
  std::string dir = freshDirectory("jumps");
  writeFile(dir + "/Jumps.java", source);
  ProcessResult compiled = runProgram({QUORVELIX_PATH, "-d", ".", "Jumps.java"}, dir);
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  ProcessResult run = runProgram({JAVA_PATH, "-Xverify:all", "-cp", ".", "Jumps"}, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, expected);
  // Both forms were made: short jumps near the limit and long ones past it.
  ProcessResult listing = runGorblet({"Jumps.class"}, dir);
  ASSERT_EQ(listing.status, 0) << listing.err;
  int shortGotos = 0;
  int longGotos = 0;
  std::istringstream lines(listing.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string op;
    words >> op;
    size_t at = op.find('@');
    if (at != std::string::npos) op = op.substr(at + 1);
    if (op == "goto") shortGotos++;
    if (op == "goto_w") longGotos++;
  }
  EXPECT_GT(shortGotos, 0);
  EXPECT_GT(longGotos, 0);
}

TEST(JumpRelaxation, AMethodPastTheCodeLimitIsAnErrorAndNoFileIsWritten) {
  int n;
  std::string source = "class Huge {\n  static int big(int x, int y, int z) {\n" + filler(65600, &n) + "    return x; }\n}\n";
  std::string dir = freshDirectory("huge");
  writeFile(dir + "/Huge.java", source);
  ProcessResult compiled = runProgram({QUORVELIX_PATH, "-d", ".", "Huge.java"}, dir);
  EXPECT_EQ(compiled.status, 1);
  EXPECT_NE(compiled.err.find("The code of method static int big(int,int,int) is longer than 65535 bytes."), std::string::npos)
      << compiled.err;
  EXPECT_FALSE(fs::exists(dir + "/Huge.class"));
  EXPECT_FALSE(fs::exists(dir + "/Huge.cltmp"));
}

// Flow analysis keeps its pending work on a heap stack: a method of tens of thousands of branches
// (each if walks its target before the code after it) is analysed to its end, then refused for its
// size.
TEST(JumpRelaxation, AMethodOfManyBranchesIsAnalysedToItsEnd) {
  std::string body;
  for (int i = 0; i < 30000; i++) body += "if (c > " + std::to_string(i % 100) + ") x++; else x--;\n";
  std::string source = "class Branches {\n  static int many(int c) { int x = 0;\n" + body + "    return x; }\n}\n";
  std::string dir = freshDirectory("branches");
  writeFile(dir + "/Branches.java", source);
  ProcessResult compiled = runProgram({QUORVELIX_PATH, "-d", ".", "Branches.java"}, dir);
  EXPECT_EQ(compiled.status, 1);
  EXPECT_NE(compiled.err.find("is longer than 65535 bytes"), std::string::npos) << compiled.err;
  EXPECT_FALSE(fs::exists(dir + "/Branches.class"));
}

}  // namespace

// Runs a program as a child process and captures its standard output, standard error and exit
// status, for tests that check gorblet (and the tools it is compared with) from the outside.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
  std::string out;
  std::string err;
  int status = -1;  // the exit status, or 128 + the signal that ended the process
};

// `argv[0]` is the program's path. The child runs in `directory` when it is not empty, with an
// empty standard input.
ProcessResult runProgram(const std::vector<std::string>& argv, const std::string& directory = "");
// Runs the gorblet executable of this build with `args`.
ProcessResult runGorblet(const std::vector<std::string>& args, const std::string& directory = "");

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
// A fresh, empty directory below the test work directory.
std::string freshDirectory(const std::string& name);

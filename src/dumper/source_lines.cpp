// Source lines for -s. Lines are counted by their line ends (LF, CR LF or CR, as the compiler counts
// them for its line numbers), never by a buffer's size, so a long line stays one line.
#include "source_lines.h"

#include <cinttypes>
#include <cstdio>

namespace {

// Reads one line without its line end; false at the end of the file with nothing read.
bool readLine(std::FILE* file, std::string& line) {
  line.clear();
  int c = std::getc(file);
  if (c == EOF) return false;
  while (c != EOF && c != '\n' && c != '\r') {
    line += static_cast<char>(c);
    c = std::getc(file);
  }
  if (c == '\r') {
    int next = std::getc(file);
    if (next != '\n' && next != EOF) std::ungetc(next, file);
  }
  return true;
}

}  // namespace

void printSourceLines(const std::string& name, int32_t first, int32_t last) {
  if (first <= 0 || last < first) return;
  std::FILE* file = std::fopen(name.c_str(), "r");
  if (file == nullptr) {
    std::fprintf(stderr, "Cannot open source file %s\n", name.c_str());
    return;
  }
  std::string line;
  for (int32_t number = 1; number < first; number++) {
    if (!readLine(file, line)) {
      std::fclose(file);
      return;
    }
  }
  std::printf("\n");
  std::printf("==========================================================\n");
  std::printf("Referenced Source Lines from %s\n", name.c_str());
  std::printf("\n");
  for (int32_t number = first; number <= last && readLine(file, line); number++) {
    std::printf("%5" PRId32 ":\t", number);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::printf("\n");
  }
  std::fclose(file);
}

// Source lines for -s. Lines are counted by their line ends (LF, CR LF or CR, as the compiler counts
// them for its line numbers), never by a buffer's size, so a long line stays one line.
#include "source_lines.h"

#include <cinttypes>
#include <cstdio>

#include "regular_file.h"

namespace {

// The most bytes of one line that are kept and printed; the rest of a longer line is read past,
// so a file without line ends costs no more memory than this.
constexpr size_t SOURCE_LINE_LIMIT = 65536;

// Reads one line without its line end; false at the end of the file with nothing read.
bool readLine(std::FILE* file, std::string& line) {
  line.clear();
  int c = std::getc(file);
  if (c == EOF) return false;
  while (c != EOF && c != '\n' && c != '\r') {
    if (line.size() < SOURCE_LINE_LIMIT) line += static_cast<char>(c);
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
  int64_t length = 0;
  std::FILE* file = openRegularFile(name.c_str(), &length);
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

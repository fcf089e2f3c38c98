// The -l and -s listings of the Sample class, which has loops, a switch and try/finally, against
// the expected text kept beside the source. gorblet runs in the directory of the compiled sample,
// where -s finds Sample.java.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gorblet_process.h"

namespace {

struct ListingFile {
  std::string option;
  std::string expected;  // below tests/dumper/expected
};

void PrintTo(const ListingFile& c, std::ostream* out) {
  *out << c.option;
}

class SampleListing : public ::testing::TestWithParam<ListingFile> {};

TEST_P(SampleListing, MatchesTheExpectedText) {
  const ListingFile& c = GetParam();
  ProcessResult result = runGorblet({c.option, "Sample.class"}, std::string(SAMPLES_DIR) + "/Sample");
  EXPECT_EQ(result.out, readFile(std::string(EXPECTED_DIR) + "/" + c.expected));
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Options, SampleListing,
                         ::testing::Values(ListingFile{"-l", "Sample.l.txt"}, ListingFile{"-s", "Sample.s.txt"}),
                         [](const ::testing::TestParamInfo<ListingFile>& info) { return info.param.option.substr(1); });

}  // namespace

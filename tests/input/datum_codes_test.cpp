// The datum codes of the input checks are the codes that CALPUFF accepts, as
// data/calpuff/datum_codes.txt lists them: the same codes in the same order.
#include "input/datum_codes.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.hpp"

namespace quelmar::input {
namespace {

TEST(DatumCodes, TableEqualsTheDataFile) {
  const std::string text = test::read_file(test::source_path("data/calpuff/datum_codes.txt"));
  ASSERT_FALSE(text.empty());
  ASSERT_EQ(text.back(), '\n');
  const std::vector<std::string> lines = test::text_lines(text);
  ASSERT_EQ(lines.size(), 232u);
  ASSERT_EQ(DATUM_CODES.size(), lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(DATUM_CODES[i], lines[i]) << "line " << i + 1;
}

TEST(DatumCodes, ExactMatchOnly) {
  for (const char* code : {"WGS-84", "NAR-C", "NAS-C", "INH-A1", "AFG", "WAK"})
    EXPECT_TRUE(is_datum_code(code)) << code;
  for (const char* text : {"NAD83", "NAD27", "nar-c", "NAR-C ", " NAR-C", "NAR", "WGS84", "WGS-8", ""})
    EXPECT_FALSE(is_datum_code(text)) << '[' << text << ']';
}

}  // namespace
}  // namespace quelmar::input

// Input echo: control files read by the reader and echoed into a list file,
// compared line by line with the expected echoes (tests/data/input/echo_*.lst,
// written from the column layouts by echo_expected.py), and a few
// configurations built by hand for the counts at and beyond the list sizes.
#include "input/wrcontrol.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/readinp.hpp"
#include "io/text.hpp"
#include "test_util.hpp"

namespace quelmar::input {
namespace {

using run::MOD_READINP;
using run::MAXSPEC;
using run::Text255;

// The list file of the run after the input echo.
std::vector<std::string> echo_of(test::TestRun& t) {
  t.open_list();
  EXPECT_EQ(IWRCONTROL(*t.run, io::LST), 0);
  return t.list_records();
}

class EchoOfControlFile : public ::testing::TestWithParam<const char*> {};

TEST_P(EchoOfControlFile, MatchesExpectedListFile) {
  const std::string name = GetParam();
  test::TestRun t;
  ASSERT_EQ(IRDCONTROL(*t.run, io::CTL, test::source_path("tests/data/input/echo_" + name + ".inp")), 0);
  // The main program turns the file names to the chosen case before the echo.
  MOD_READINP& in = t.run->inp;
  int ierr = 0;
  for (Text255* f : {&in.LSTDAT, &in.LOGDAT, &in.METDAT, &in.METDAT2, &in.RECINC, &in.OUTNAME, &in.OUTPATH})
    io::MK_CASE(io::LST, in.LCFILES, f->span(), ierr);

  const std::vector<std::string> got = echo_of(t);
  const std::vector<std::string> want =
      test::file_records(test::source_path("tests/data/input/echo_" + name + ".lst"));
  ASSERT_FALSE(want.empty());
  for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
    ASSERT_LT(i, got.size()) << "echo ends before line " << i + 1 << ": " << want[i];
    ASSERT_LT(i, want.size()) << "echo goes on at line " << i + 1 << ": " << got[i];
    EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
  }
  EXPECT_EQ(t.out.str(), "");  // nothing on the console
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EchoOfControlFile,
                         ::testing::Values("steady", "vessel", "decay2", "decay3", "decay4", "other", "sequence",
                                           "point", "minimal"));

TEST(Echo, SpeciesCountsOutsideTheLists) {
  const std::string r1 = "       1.0000000000000000";  // F25.16 of 1
  struct Case {
    int nspec;
    std::string nspec_line, names, masses;
  };
  const Case cases[] = {
      // none or fewer: each list line is an empty value
      {0, "! NSPEC   =           0!", "! CHEMLST =!", "! MW =!"},
      {-3, "! NSPEC   =          -3!", "! CHEMLST =!", "! MW =!"},
      {1, "! NSPEC   =           1!", "! CHEMLST =S01!", "! MW =" + r1 + "!"},
      // beyond the ten places (the reader refuses such a count): the ten entries
      {11, "! NSPEC   =          11!", "! CHEMLST =S01,S02,S03,S04,S05,S06,S07,S08,S09,S10!",
       "! MW =" + r1 + "," + r1 + "," + r1 + "," + r1 + "," + r1 + "," + r1 + "," + r1 + "," + r1 + "," + r1 + "," +
           r1 + "!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nspec);
    test::TestRun t;
    t.run->inp.NSPEC = c.nspec;
    for (int i = 1; i <= MAXSPEC; ++i) {
      t.run->inp.CHEMLST(i) = std::string(i < 10 ? "S0" : "S") + std::to_string(i) + "X";
      t.run->inp.MMLST(i) = 1.0;
      t.run->inp.QLST(i) = 1.0;
    }
    const std::vector<std::string> lines = echo_of(t);
    EXPECT_EQ(test::starting_with(lines, "! NSPEC"), std::vector<std::string>{c.nspec_line});
    EXPECT_EQ(test::starting_with(lines, "! CHEMLST"), std::vector<std::string>{c.names});
    EXPECT_EQ(test::starting_with(lines, "! MW ="), std::vector<std::string>{c.masses});
    EXPECT_EQ(test::starting_with(lines, "! EMIT =").size(), 1u);
  }
}

TEST(Echo, SequenceRowsFollowTheirCount) {
  const std::string z = "       0.0000000000000000";
  struct Case {
    int nseq;
    std::size_t rows;
  };
  for (const Case& c : {Case{0, 0}, Case{-2, 0}, Case{2, 2}}) {
    SCOPED_TRACE(c.nseq);
    test::TestRun t;
    t.run->inp.MINPUT = 2;
    t.run->inp.NSEQ = c.nseq;
    t.run->inp.PSEQ(2, 4) = -0.5;
    const std::vector<std::string> lines = echo_of(t);
    std::vector<std::string> rows;
    for (const std::string& l : lines)
      if (l.size() > 14 && l.substr(12, 2) == "!=") rows.push_back(l);
    ASSERT_EQ(rows.size(), c.rows);
    if (c.rows == 2) {
      EXPECT_EQ(rows[0], "           1!=" + z + z + z + z + "!");
      EXPECT_EQ(rows[1], "           2!=" + z + z + z + "      -0.5000000000000000!");
    }
  }
}

// A negative release-model switch is one of the "other" values: only the
// point-source and sequence lines, all inactive.
TEST(Echo, ReleaseModelOutsideItsValues) {
  test::TestRun t;
  t.run->inp.MINPUT = 1;
  t.run->inp.MBLOWDOWN = -1;
  const std::vector<std::string> lines = echo_of(t);
  const std::string z = "       0.0000000000000000";
  const std::vector<std::string> expected = {"* PSHS      =" + z + "*", "* PSDS      =" + z + "*",
                                             "* PSTS      =" + z + "*", "* PSUS      =" + z + "*",
                                             "* NSEQ     =           0*"};
  // the lines between the gas temperature and the fuel-gas ratio
  std::size_t a = 0, b = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("! TGINIT", 0) == 0) a = i + 1;
    if (lines[i].rfind("* FGR", 0) == 0) b = i;
  }
  EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(a), lines.begin() + static_cast<long>(b)),
            expected);
}

}  // namespace
}  // namespace quelmar::input

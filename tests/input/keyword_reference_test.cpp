// The keyword reference of the manual (docs/keywords.md) against the control-
// file reader: the keywords that the reference describes are exactly those
// that the reader looks up when the switches ask for every one of them, and
// exactly those that it knows (so that no keyword line of the reference is
// reported as an unknown keyword).
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "input/readinp.hpp"
#include "test_util.hpp"

namespace quelmar::input {
namespace {

// The control files that between them turn on every branch of the reader:
// each release type and decay, each meteorology, fuel and lift gas through
// their own nozzles, every assist, both fuel-gas bases that require a keyword.
const std::vector<std::pair<const char*, std::string>> kSwitchSets = {
    {"vessel blowdown, AERMET, every gas, nozzle and assist",
     "! MINPUT = 1 !\n! MBLOWDOWN = 1 !\n! MMET = 2 !\n! MDLIFT = 1 !\n! DLIFT = 0.1 !\n! MDFUEL = 1 !\n"
     "! DFUEL = 0.1 !\n! MFUELGAS = 1 !\n! MLIFTGAS = 1 !\n! MFGR = 1 !\n! QMAX = 10 !\n! MFASSIST = 1 !\n"
     "! MFASSISTSTEAM = 1 !\n! MFASSISTAIR = 1 !\n! MFASSISTHPFUEL = 1 !\n! NSPEC = 1 !\n"},
    {"steady release, fixed meteorology", "! MINPUT = 1 !\n! MBLOWDOWN = 0 !\n! MMET = 3 !\n"},
    {"decay by volume, fuel gas held at a flow",
     "! MINPUT = 1 !\n! MBLOWDOWN = 2 !\n! MMET = 1 !\n! MFGR = 3 !\n! QFUELGAS = 1 !\n"},
    {"decay by pressure ratio", "! MINPUT = 1 !\n! MBLOWDOWN = 3 !\n"},
    {"decay by pressure ratio from QMAX", "! MINPUT = 1 !\n! MBLOWDOWN = 4 !\n"},
    {"user sequence", "! MINPUT = 2 !\n! NSEQ = 1 !\n! SEQ = 100, 3600, -1, -1 !\n"},
    {"point source", "! MINPUT = 3 !\n! NSPEC = 1 !\n! EMIT = 1 !\n"},
};

// The keywords of the reference: every table row whose first cell begins with
// a keyword in backticks defines the keywords of that cell (one or several,
// such as "`RAW_H2O`, `FUEL_H2O`, `LIFT_H2O`"), each keyword in one row only.
std::vector<std::string> reference_keywords(const std::string& text) {
  const std::regex row(R"(^\|\s*(`[^|]*)\|)");
  const std::regex key("`([A-Za-z0-9_]+)`");
  std::vector<std::string> keys;
  for (const std::string& line : test::text_lines(text)) {
    std::smatch m;
    if (!std::regex_search(line, m, row)) continue;
    const std::string cell = m[1].str();
    for (auto it = std::sregex_iterator(cell.begin(), cell.end(), key); it != std::sregex_iterator(); ++it)
      keys.push_back((*it)[1].str());
  }
  return keys;
}

std::string listed(const std::set<std::string>& keys) {
  std::string s;
  for (const std::string& k : keys) s += " " + k;
  return s;
}

// The keys of `a` that `b` lacks.
std::set<std::string> missing_from(const std::set<std::string>& a, const std::set<std::string>& b) {
  std::set<std::string> d;
  for (const std::string& k : a)
    if (!b.count(k)) d.insert(k);
  return d;
}

class KeywordReference : public ::testing::Test, protected test::TestRun {};

TEST_F(KeywordReference, DescribesExactlyTheKeywordsThatTheReaderLooksUp) {
  // What the reader asks for, over all the switch sets.
  std::set<std::string> looked_up;
  for (const auto& [what, text] : kSwitchSets) {
    SCOPED_TRACE(what);
    fresh_run();
    test::write_file(dir.file("c.inp"), "QUELMAR 1\n" + text);
    ASSERT_EQ(IRDCONTROL(*run, io::CTL, dir.file("c.inp")), 0) << out.str();
    ASSERT_FALSE(run->findings.looked_up.empty());
    looked_up.insert(run->findings.looked_up.begin(), run->findings.looked_up.end());
  }
  EXPECT_EQ(looked_up.size(), 159u);

  // What the reader knows, whatever the switches.
  const std::vector<std::string> known_list = control_keywords();
  const std::set<std::string> known(known_list.begin(), known_list.end());
  EXPECT_EQ(known.size(), known_list.size()) << "a keyword is known twice";
  for (const std::string& k : known) EXPECT_TRUE(is_control_keyword(k)) << k;
  EXPECT_EQ(missing_from(looked_up, known), std::set<std::string>{})
      << "looked up, but reported as unknown keywords:" << listed(missing_from(looked_up, known));
  EXPECT_EQ(missing_from(known, looked_up), std::set<std::string>{})
      << "known, but never looked up:" << listed(missing_from(known, looked_up));

  // What the reference describes.
  const std::vector<std::string> doc_list = reference_keywords(test::read_file(test::source_path("docs/keywords.md")));
  std::map<std::string, int> count;
  for (const std::string& k : doc_list) ++count[k];
  for (const auto& [k, n] : count) EXPECT_EQ(n, 1) << k << " is described " << n << " times";
  std::set<std::string> described;
  for (const auto& [k, n] : count) described.insert(k);
  EXPECT_EQ(missing_from(described, looked_up), std::set<std::string>{})
      << "described in docs/keywords.md, but not looked up by the reader:"
      << listed(missing_from(described, looked_up));
  EXPECT_EQ(missing_from(looked_up, described), std::set<std::string>{})
      << "looked up by the reader, but not described in docs/keywords.md:"
      << listed(missing_from(looked_up, described));
}

// The lookups follow the switches: a keyword that the switches leave out is
// not looked up (its line would be shown inactive in the list file).
TEST_F(KeywordReference, LookupsFollowTheSwitches) {
  test::write_file(dir.file("c.inp"), "QUELMAR 1\n! MINPUT = 3 !\n! MMET = 1 !\n! QMAX = 5 !\n! WINDSP = 2 !\n");
  ASSERT_EQ(IRDCONTROL(*run, io::CTL, dir.file("c.inp")), 0);
  const std::vector<std::string>& asked = run->findings.looked_up;
  const std::set<std::string> keys(asked.begin(), asked.end());
  for (const char* k : {"STITLE1", "MINPUT", "PSHS", "PSUS", "RAW_H2O", "RAW_O2", "MFUELGAS"})
    EXPECT_TRUE(keys.count(k)) << k;
  for (const char* k : {"QMAX", "WINDSP", "ZREF", "METDAT2", "NSEQ", "SEQ", "FGR", "FUEL_C1", "STM_FLOW"})
    EXPECT_FALSE(keys.count(k)) << k;
  EXPECT_EQ(asked.front(), "STITLE1");
  EXPECT_EQ(asked.back(), "RAW_O2");
  // A second file read in the same run starts a list of its own.
  const std::vector<std::string> first = asked;
  ASSERT_EQ(IRDCONTROL(*run, io::CTL, dir.file("c.inp")), 0);
  EXPECT_EQ(run->findings.looked_up, first);
}

}  // namespace
}  // namespace quelmar::input

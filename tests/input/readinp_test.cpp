// Reading a control file into the run configuration: conditions, defaults and
// the required keywords.
#include "input/readinp.hpp"

#include <gtest/gtest.h>


#include "io/stop.hpp"
#include "test_util.hpp"

namespace quelmar::input {
namespace {

using run::MOD_READINP;

class ReadControl : public ::testing::Test, protected test::TestRun {
 protected:
  int read(const std::string& text) {
    test::write_file(dir.file("c.inp"), "QUELMAR 1\n" + text);
    return IRDCONTROL(*run, io::CTL, dir.file("c.inp"));
  }
};

TEST_F(ReadControl, MissingFileReadsNothing) {
  EXPECT_EQ(IRDCONTROL(*run, io::CTL, dir.file("none.inp")), 1);
  EXPECT_EQ(run->inp.ZREF, 0);
  EXPECT_TRUE(out.str().empty());
}

TEST_F(ReadControl, CaseSwitch) {
  const std::pair<const char*, bool> cases[] = {{"! LCFILES = T !", true},  {"! LCFILES = t !", true},
                                                {"! LCFILES = TRUE !", true}, {"! LCFILES = Tx !", true},
                                                {"! LCFILES = F !", false}, {"! LCFILES = YES !", false},
                                                {"! LCFILES = .TRUE. !", false}, {"! LCFILES = !", false},
                                                {"", false}};
  for (const auto& [line, expected] : cases) {
    fresh_run();
    ASSERT_EQ(read(std::string(line) + "\n"), 0);
    EXPECT_EQ(run->inp.LCFILES, expected) << line;
  }
}

TEST_F(ReadControl, PointSourceSetsItsStep) {
  ASSERT_EQ(read("! MINPUT = 3 !\n! NSPEC = 2 !\n! EMIT = 2.5, 1.0 !\n! PUFFDUR = 60 !\n! NPUFFS = 7 !\n"
                 "! PSHS = 30 !\n! PSDS = 1.5 !\n! PSTS = 400 !\n! PSUS = 12 !\n"),
            0);
  EXPECT_EQ(run->inp.QPS, 2.5);
  EXPECT_EQ(run->inp.PUFFDUR, 3600);
  EXPECT_EQ(run->inp.NPUFFS, 1);
  EXPECT_EQ(run->inp.PSHS, 30);
  EXPECT_EQ(run->inp.PSUS, 12);
}

TEST_F(ReadControl, ConditionsAndDefaults) {
  ASSERT_EQ(read("! MINPUT = 1 !\n! MBLOWDOWN = 0 !\n! NPUFFS = 9 !\n! QMAX = 100 !\n! QMAX = 200 !\n"
                 "! MFGR = 1 !\n! MFUELGAS = 0 !\n! FGR = 0.5 !\n! FUEL_C1 = 1 !\n! MMET = 1 !\n! WINDSP = 3 !\n"
                 "! MFASSIST = 0 !\n! MFASSISTSTEAM = 1 !\n! STM_FLOW = 5 !\n! STM_PRESS = 500 !\n"
                 "! RAW_C1 = 0.9 !\n! MLIFTGAS = 0 !\n! QLIFTGAS = 9 !\n! MDLIFT = 1 !\n! DLIFT = !\n"),
            0);
  const MOD_READINP& in = run->inp;
  EXPECT_EQ(in.NPUFFS, 1);
  EXPECT_EQ(in.QMAX, 100);  // first line counts, also for the MFGR 1 lookup
  EXPECT_EQ(in.FGR, 0);
  for (int i = 1; i <= 29; ++i) EXPECT_EQ(in.FUEL(i), 0);
  EXPECT_EQ(in.WINDSP, 0);
  EXPECT_EQ(in.ZREF, 10.0);
  EXPECT_EQ(in.STM_PRESS, -1.0);
  EXPECT_EQ(in.STM_TEMP, -1.0);
  EXPECT_EQ(in.STM_FLOW, 0);
  EXPECT_EQ(in.RAW(7), 0.9);
  for (int i = 1; i <= 29; ++i) {
    if (i != 7) {
      EXPECT_EQ(in.RAW(i), 0);
    }
  }
  EXPECT_EQ(in.QLIFTGAS, 0);
  EXPECT_EQ(in.DLIFT, 0);  // the line is there, its value empty: no stop
}

TEST_F(ReadControl, FixedMeteorologyWithoutReferenceHeight) {
  ASSERT_EQ(read("! MMET = 3 !\n! WINDSP = 4 !\n! WINDDR = 270 !\n! TAMB = 288 !\n! PGCLASS = 4 !\n"), 0);
  EXPECT_EQ(run->inp.ZREF, 0);
  EXPECT_EQ(run->inp.WINDDR, 270);
  EXPECT_EQ(run->inp.PGCLASS, 4);
}

TEST_F(ReadControl, SequenceShorterThanItsCount) {
  ASSERT_EQ(read("! MINPUT = 2 !\n! NSEQ = 3 !\n! SEQ = 100, 1800, -1, 0.5 !\n! SEQ = 50, 900, 0.02, -1 !\n"), 0);
  EXPECT_EQ(run->inp.NPUFFS, 3);
  EXPECT_EQ(run->inp.PSEQ(1, 1), 0);
  ASSERT_EQ(read("! MINPUT = 2 !\n! NSEQ = 2 !\n! SEQ = 100, 1800, -1, 0.5 !\n! SEQ = 50, 900, 0.02, -1 !\n"), 0);
  EXPECT_EQ(run->inp.PSEQ(2, 2), 900);
  EXPECT_EQ(run->inp.PSEQ(2, 3), 0.02);
}

TEST_F(ReadControl, SpeciesListsAndComposition) {
  ASSERT_EQ(read("! NSPEC = 2 !\n! CHEMLST = SO2, H2S !\n! MW = 64.066, 34.081 !\n! EMIT = 0, 0.25 !\n"
                 "! MFUELGAS = 1 !\n! FGR = 0.2 !\n! FUEL_C1 = 0.95 !\n! FUEL_C2 = 0.05 !\n"),
            0);
  EXPECT_EQ(run->inp.CHEMLST(2).view(), std::string(" H2S\0\0\0\0", 8));
  EXPECT_EQ(run->inp.MMLST(1), 64.066);
  EXPECT_EQ(run->inp.QLST(2), 0.25);
  EXPECT_EQ(run->inp.FGR, 0.2);
  EXPECT_EQ(run->inp.FUEL(8), 0.05);
}

struct Refusal {
  const char* text;
  const char* console;
};

TEST_F(ReadControl, RequiredKeywordsAndCapacitiesStopTheRun) {
  const Refusal cases[] = {
      {"! MFGR = 1 !\n", "***FATAL ERROR*** Missing QMAX with MFGR=1\n"},
      {"! MFGR = 3 !\n", "***FATAL ERROR*** Missing QFUELGAS with MFGR=3\n"},
      {"! MDLIFT = 1 !\n", "***FATAL ERROR*** Missing DLIFT with MDLIFT=1\n"},
      {"! MDFUEL = 1 !\n", "***FATAL ERROR*** Missing DFUEL with MDFUEL=1\n"},
      {"! NSPEC = 11 !\n", "***FATAL ERROR*** NSPEC is above its limit of 10: NSPEC=          11\n"},
      {"! MINPUT = 2 !\n! NSEQ = 10001 !\n",
       "***FATAL ERROR*** NSEQ is above its limit of 10000: NSEQ=       10001\n"},
  };
  for (const Refusal& c : cases) {
    out.str("");
    err.str("");
    fresh_run();
    try {
      read(c.text);
      ADD_FAILURE() << "no stop for " << c.text;
    } catch (const io::Stop& s) {
      EXPECT_TRUE(s.text.empty());
    }
    EXPECT_EQ(out.str(), c.console) << c.text;
    EXPECT_EQ(err.str(), c.console) << c.text;  // standard error has the reason too
  }
}

TEST_F(ReadControl, FirstRecordThatIsAKeywordLine) {
  test::write_file(dir.file("k.inp"), "! MDSPMOD = 2 !\n");
  ASSERT_EQ(IRDCONTROL(*run, io::CTL, dir.file("k.inp")), 0);
  EXPECT_EQ(run->inp.MDSPMOD, 2);
  // Its key, whatever it is, is not taken for an unknown keyword.
  test::write_file(dir.file("k.inp"), "! QUELMAR = 1 !\n! MDSPMOD = 2 !\n! QUELMAR = 1 !\n");
  ASSERT_EQ(IRDCONTROL(*run, io::CTL, dir.file("k.inp")), 0);
  EXPECT_EQ(run->findings.unknown_keys, std::vector<std::string>{"QUELMAR"});
}

}  // namespace
}  // namespace quelmar::input

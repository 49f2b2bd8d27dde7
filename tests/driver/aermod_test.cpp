// The AERMOD time loop, the step chain's meteorology and release point, and a
// whole year of real meteorology on both paths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_util.hpp"

namespace quelmar::test {
namespace {

// The steady sour-gas flare on the AERMOD path in two virtual sources, 15 July
// 2021 from 05:00 to 08:00. `extra` comes first, so that its lines win.
std::string control(const std::string& extra) {
  return "QUELMAR 1\n" + extra + kSteadySourFlare + "! MDSPMOD = 2 !\n! NSOURCES = 2 !\n" +
         "! YYS = 2021 !\n! MMS = 7 !\n! DDS = 15 !\n! HHS = 5 !\n! YYE = 2021 !\n! MME = 7 !\n! DDE = 15 !\n"
         "! HHE = 8 !\n";
}

// The records of the file that begin with `head`.
std::vector<std::string> records_starting(const std::string& path, const std::string& head) {
  return starting_with(file_records(path), head);
}

TEST(AermodLoop, OnePairOfFilesPerRowOverTheWholePeriod) {
  TempDir dir;
  write_file(dir.file("run.inp"),
             control("! MINPUT = 2 !\n! NSEQ = 3 !\n! SEQ = 100, 1800, -1, -1 !\n! SEQ = 50, 1800, -1, -1 !\n"
                     "! SEQ = 0, 1800, -1, -1 !\n"));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  ASSERT_EQ(r.status, 0) << r.out;
  for (const char* n : {"out_mod_01.inx", "out_mod_01.dat", "out_mod_02.inx", "out_mod_02.dat", "out_mod_03.inx",
                        "out_mod_03.dat"})
    EXPECT_TRUE(fs::exists(dir.file(n))) << n;
  // Hours 5 to 8 of 15 July: four hours, numbered 6 to 9 by their end; two sources each.
  const auto hours = records_starting(dir.file("out_mod_01.dat"), "SO HOUREMIS");
  ASSERT_EQ(hours.size(), 8u);
  EXPECT_EQ(hours[0].substr(0, 40), "SO HOUREMIS  21   7  15   6 SOURCE1     ");
  EXPECT_EQ(hours[7].substr(0, 40), "SO HOUREMIS  21   7  15   9 SOURCE2     ");
  const auto period = records_starting(dir.file("out_mod_01.inx"), "ME STARTEND");
  ASSERT_EQ(period.size(), 1u);
  EXPECT_EQ(period[0], "ME STARTEND 2021  7 15  6 2021  7 15  9");
  // Fixed meteorology: the control file names no AERMET files, which the list
  // file says (a free-format record, in pieces of 79 characters).
  EXPECT_NE(read_file(dir.file("run.lst"))
                .find(" WARNING: MMET is not 2: complete ME SURFFILE, ME PROFFILE and RE INCLUDED in th\r\n"
                      " e AERMOD control files\r\n"),
            std::string::npos);
  // The row without raw gas is a bare stack with a zero rate in every hour.
  for (const std::string& h : records_starting(dir.file("out_mod_03.dat"), "SO HOUREMIS"))
    EXPECT_EQ(h.substr(40, 12), "0.000000E+00") << h;
  // No asterisks in any source record.
  for (const char* n : {"out_mod_01.inx", "out_mod_02.inx", "out_mod_03.inx"})
    for (const std::string& rec : file_records(dir.file(n))) {
      if (rec.rfind("SO ", 0) == 0) {
        EXPECT_EQ(rec.find('*'), std::string::npos) << rec;
      }
    }
}

TEST(AermodLoop, ReleasePointFollowsTheFlameUnlessScreening) {
  TempDir dir;
  write_file(dir.file("run.inp"), control("! NSOURCES = 1 !\n"));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  // Wind from 270 degrees: the flame reaches east of the flare, y unchanged.
  const auto loc = records_starting(dir.file("out_mod_01.inx"), "SO LOCATION");
  ASSERT_EQ(loc.size(), 1u);
  const double x = std::atof(loc[0].substr(30, 13).c_str()), y = std::atof(loc[0].substr(44, 13).c_str());
  EXPECT_GT(x, 500000.0);
  EXPECT_EQ(y, 4000000.0);
}

TEST(AermodLoop, LimitsAreRefusedBeforeAnyFile) {
  for (const char* bad : {"! NSOURCES = 0 !\n", "! NSOURCES = 33 !\n"}) {
    TempDir dir;
    write_file(dir.file("run.inp"), control(bad));
    const ProcessResult r = run_quelmar(dir.path(), "run.inp");
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_NE(r.out.find("NSOURCES must be from 1 to 32"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(dir.file("out_mod_01.inx")));
  }
  TempDir dir;
  std::string text = control("");
  text.replace(text.find("! YYE = 2021 !"), 14, "! YYE = 2027 !");
  write_file(dir.file("run.inp"), text);
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("more than 44000 hours"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir.file("out_mod_01.inx")));
}

// The AERMET sample of March 1988 as the surface file, from hour 05 of the
// first day: the hourly file begins with the file's first five hours at a zero rate.
TEST(AermodLoop, HoursBeforeThePeriodComeFirstInTheHourlyFile) {
  TempDir dir;
  std::string text = control("! MMET = 2 !\n! METDAT = sfc.sfc !\n! METDAT2 = pfl.pfl !\n! RECINC = rec.inc !\n");
  for (const char* k : {"! YYS = 2021 !", "! MMS = 7 !", "! DDS = 15 !", "! YYE = 2021 !", "! MME = 7 !",
                        "! DDE = 15 !"})
    text.replace(text.find(k), std::string(k).size(), "");
  text += "! YYS = 1988 !\n! MMS = 3 !\n! DDS = 1 !\n! YYE = 1988 !\n! MME = 3 !\n! DDE = 1 !\n";
  write_file(dir.file("run.inp"), text);
  fs::copy_file(source_path("tests/data/met/AERMET2.SFC"), dir.file("sfc.sfc"));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  const auto hours = records_starting(dir.file("out_mod_01.dat"), "SO HOUREMIS");
  ASSERT_EQ(hours.size(), 2u * (5 + 4));
  EXPECT_EQ(hours[0].substr(0, 52), "SO HOUREMIS  88   3   1   1 SOURCE1     0.000000E+00");
  EXPECT_EQ(hours[9].substr(0, 40), "SO HOUREMIS  88   3   1   5 SOURCE2     ");
  EXPECT_EQ(hours[10].substr(0, 40), "SO HOUREMIS  88   3   1   6 SOURCE1     ");
  EXPECT_EQ(records_starting(dir.file("out_mod_01.inx"), "ME STARTEND")[0], "ME STARTEND 1988  3  1  6 1988  3  1  9");
  EXPECT_EQ(records_starting(dir.file("out_mod_01.inx"), "ME SURFFILE")[0], "ME SURFFILE sfc.sfc");
}

TEST(AermodLoop, RowsFromOneHundredAndPassesOfOneHourOrNone) {
  TempDir dir;
  std::string seq = "! MINPUT = 2 !\n! NSEQ = 101 !\n! HHE = 5 !\n";
  for (int i = 1; i <= 101; ++i) seq += "! SEQ = " + std::to_string(i) + ", 3600, -1, -1 !\n";
  write_file(dir.file("run.inp"), control(seq));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  // One hour per pass: the sort has nothing to do; the hour falls into the last
  // group (position 1 over a quotient of 0.5), the empty first group is
  // described like its neighbour, and the hour emits from its own source.
  EXPECT_TRUE(fs::exists(dir.file("out_mod_99.inx")));
  EXPECT_TRUE(fs::exists(dir.file("out_mod_100.inx")));
  EXPECT_TRUE(fs::exists(dir.file("out_mod_101.dat")));
  const auto hours = records_starting(dir.file("out_mod_100.dat"), "SO HOUREMIS");
  ASSERT_EQ(hours.size(), 2u);
  EXPECT_EQ(hours[0].substr(0, 52), "SO HOUREMIS  21   7  15   6 SOURCE1     0.000000E+00");
  EXPECT_NE(hours[1].substr(40, 12), "0.000000E+00");
  const auto params = records_starting(dir.file("out_mod_100.inx"), "SO SRCPARAM");
  ASSERT_EQ(params.size(), 2u);
  EXPECT_EQ(params[0].substr(24), params[1].substr(24));
  EXPECT_EQ(records_starting(dir.file("out_mod_100.inx"), "SO HOUREMIS")[0],
            "SO HOUREMIS out_mod_100.dat SOURCE1-SOURCE2");

  // An end before the start: refused by the input checks, no file.
  TempDir none;
  write_file(none.file("run.inp"), control("! HHE = 4 !\n"));
  ASSERT_EQ(run_quelmar(none.path(), "run.inp").status, 1);
  EXPECT_FALSE(fs::exists(none.file("out_mod_01.inx")));
  EXPECT_NE(read_file(none.file("run.lst")).find(" FATAL ERROR: the period ends before it starts\r\n"),
            std::string::npos);
}

TEST(AermodLoop, RowNumbersTakeAsManyDigitsAsTheyNeed) {
  TempDir dir;
  std::string seq = "! MINPUT = 2 !\n! NSEQ = 1000 !\n! HHE = 5 !\n! NSOURCES = 1 !\n";
  for (int i = 1; i <= 1000; ++i) seq += "! SEQ = 10, 3600, -1, -1 !\n";
  write_file(dir.file("run.inp"), control(seq));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  EXPECT_TRUE(fs::exists(dir.file("out_mod_999.inx")));
  EXPECT_TRUE(fs::exists(dir.file("out_mod_1000.inx")));
  EXPECT_TRUE(fs::exists(dir.file("out_mod_1000.dat")));
}

// The AERMET sample (96 hours from 1 March 1988, hour 1) in file order.
std::string nonseq_control(const std::string& extra, int path) {
  std::string text = control(extra + "! MDSPMOD = " + std::to_string(path) +
                             " !\n! MMET = 2 !\n! MNONSEQ = 1 !\n! METDAT = sfc.sfc !\n! METDAT2 = sfc.pfl !\n"
                             "! RECINC = rec.inc !\n! PMAP = UTM !\n! IUTMZN = 18 !\n"
                             "! UTMHEM = N !\n! ABTZ = UTC-0500 !\n! DATUM = NAR-C !\n! YYS = 1988 !\n! MMS = 3 !\n"
                             "! DDS = 1 !\n"
                             "! YYE = 1988 !\n! MME = 3 !\n! DDE = 10 !\n");
  return text;
}

TEST(AermodLoop, NonSequentialMeteorologyEndsThePeriodAtTheEndOfTheFile) {
  TempDir dir;
  fs::copy_file(source_path("tests/data/met/AERMET2.SFC"), dir.file("sfc.sfc"));
  write_file(dir.file("run.inp"), nonseq_control("! HHS = 0 !\n! MINPUT = 2 !\n! NSEQ = 2 !\n"
                                                 "! SEQ = 100, 3600, -1, -1 !\n! SEQ = 50, 3600, -1, -1 !\n",
                                                 2));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  ASSERT_EQ(r.status, 0) << r.out;
  // The start is the file's first record: it is the first stored hour. In the
  // first pass the hour in which the reader reports the end is stored too, with
  // the last record's date-hour once more; the end date-hour stays there, so
  // the second pass ends with the file's last record.
  for (const auto& [n, stored] : {std::pair{"out_mod_01", 97u}, std::pair{"out_mod_02", 96u}}) {
    const auto hours = records_starting(dir.file(std::string(n) + ".dat"), "SO HOUREMIS");
    ASSERT_EQ(hours.size(), 2u * stored) << n;
    EXPECT_EQ(hours[0].substr(0, 28), "SO HOUREMIS  88   3   1   1 ");
    EXPECT_EQ(hours[190].substr(0, 28), "SO HOUREMIS  88   3   4  24 ");
    EXPECT_EQ(hours.back().substr(0, 28), "SO HOUREMIS  88   3   4  24 ");
    EXPECT_EQ(records_starting(dir.file(std::string(n) + ".inx"), "ME STARTEND")[0],
              "ME STARTEND 1988  3  1  1 1988  3  4 24");
  }
  // The end-of-file hour has no meteorology of its own: the last valid hour is used.
  EXPECT_NE(read_file(dir.file("run.lst")).find(" WARNING: meteorology missing in           1 hours"),
            std::string::npos);
}

TEST(AermodLoop, NonSequentialStartBetweenRecordsTakesTheNextRecord) {
  TempDir dir;
  fs::copy_file(source_path("tests/data/met/AERMET2.SFC"), dir.file("sfc.sfc"));
  write_file(dir.file("run.inp"), nonseq_control("", 2));  // starts at hour 5
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  const auto hours = records_starting(dir.file("out_mod_01.dat"), "SO HOUREMIS");
  // The file's first record was passed over: it leads the hourly file at a zero
  // rate, then the stored hours from the second record on.
  ASSERT_EQ(hours.size(), 2u * (1 + 96));
  EXPECT_EQ(hours[0].substr(0, 52), "SO HOUREMIS  88   3   1   1 SOURCE1     0.000000E+00");
  EXPECT_EQ(hours[2].substr(0, 28), "SO HOUREMIS  88   3   1   2 ");
  EXPECT_EQ(records_starting(dir.file("out_mod_01.inx"), "ME STARTEND")[0],
            "ME STARTEND 1988  3  1  2 1988  3  4 24");
}

// A start after the file's last record: the first pass takes the records in
// file order and ends the period at the last one (4 March, hour 24), which is
// before the start of the second pass. That pass has no hour: the list file
// says so and it writes no files; the run ends normally.
TEST(AermodLoop, APassWithoutAnHourWritesNoFiles) {
  TempDir dir;
  fs::copy_file(source_path("tests/data/met/AERMET2.SFC"), dir.file("sfc.sfc"));
  write_file(dir.file("run.inp"), nonseq_control("! DDS = 5 !\n! HHS = 0 !\n! MINPUT = 2 !\n! NSEQ = 2 !\n"
                                                 "! SEQ = 100, 3600, -1, -1 !\n! SEQ = 50, 3600, -1, -1 !\n",
                                                 2));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(records_starting(dir.file("out_mod_01.inx"), "ME STARTEND")[0], "ME STARTEND 1988  3  1  2 1988  3  4 24");
  EXPECT_FALSE(fs::exists(dir.file("out_mod_02.inx")));
  EXPECT_FALSE(fs::exists(dir.file("out_mod_02.dat")));
  EXPECT_EQ(starting_with(file_records(dir.file("run.lst")), " WARNING: no hour"),
            std::vector<std::string>{" WARNING: no hour in the period: no AERMOD files for row           2"});
}

TEST(CalpuffLoopNonSequential, KeepsItsClockPastTheEndOfTheFile) {
  TempDir dir;
  fs::copy_file(source_path("tests/data/met/AERMET2.SFC"), dir.file("sfc.sfc"));
  std::string text = nonseq_control("! HHS = 0 !\n! DDE = 5 !\n! HHE = 5 !\n! NSPEC = 1 !\n! CHEMLST = SO2 !\n"
                                    "! MW = 64.0638 !\n",
                                    1);
  write_file(dir.file("run.inp"), text);
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto recs = file_records(dir.file("out_01.dat"));
  // 96 hours of the file and 6 more up to hour 05 of 5 March by the loop's clock.
  ASSERT_EQ(recs.size(), 19u + 2 * 102);
  EXPECT_EQ(recs[19 + 2 * 101], "   1988  65  5    0   1988  65  6    0");
  EXPECT_NE(read_file(dir.file("run.lst")).find(" WARNING: meteorology missing in           6 hours"),
            std::string::npos);
}

// A whole year of real AERMET meteorology with calm, missing and partly missing
// hours (missing directions among them), on both paths: no NaN, no infinity, no
// asterisks anywhere, and the missing hours are counted in the list file.
TEST(EndToEnd, YearOfHoustonMeteorologyOnBothPaths) {
  const std::string sfc = source_path("data/met/HOUSTON_ADJU.SFC");
  ASSERT_TRUE(fs::exists(sfc)) << sfc;
  for (int path : {1, 2}) {
    TempDir dir;
    fs::copy_file(sfc, dir.file("houston.sfc"));
    std::string text = "QUELMAR 1\n! MDSPMOD = " + std::to_string(path) +
                       " !\n! MMET = 2 !\n! METDAT = houston.sfc !\n! METDAT2 = houston.pfl !\n"
                       "! RECINC = rec.inc !\n! YYS = 1996 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n! YYE = 1996 !\n! MME = 12 !\n"
                       "! DDE = 31 !\n! HHE = 23 !\n! PMAP = UTM !\n! UTMHEM = N !\n! IUTMZN = 15 !\n"
                       "! ABTZ = UTC-0600 !\n! DATUM = NAR-C !\n! NSPEC = 1 !\n! CHEMLST = SO2 !\n! MW = 64.0638 !\n"
                       "! EMIT = 0 !\n" +
                       control("! NSOURCES = 32 !\n");
    write_file(dir.file("run.inp"), text);
    const ProcessResult r = run_quelmar(dir.path(), "run.inp");
    ASSERT_EQ(r.status, 0) << r.out;
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) {
      const std::string name = e.path().filename().string();
      if (name.rfind("out_", 0) != 0) continue;
      ++files;
      // Every record but the control file's two comment records ("**").
      for (const std::string& rec : file_records(e.path().string())) {
        if (rec.rfind("**", 0) == 0) continue;
        EXPECT_EQ(rec.find("NaN"), std::string::npos) << name << ": " << rec;
        EXPECT_EQ(rec.find("Inf"), std::string::npos) << name << ": " << rec;
        EXPECT_EQ(rec.find('*'), std::string::npos) << name << ": " << rec;
      }
    }
    EXPECT_EQ(files, path == 1 ? 1 : 2);
    // 11 hours miss their speed, temperature or height; 330 more have a valid
    // speed beside a direction of 999.
    EXPECT_NE(read_file(dir.file("run.lst"))
                  .find(" WARNING: meteorology missing in         341 hours; the last valid hour was used"),
              std::string::npos)
        << path;
  }
}

}  // namespace
}  // namespace quelmar::test

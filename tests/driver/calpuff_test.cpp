// The CALPUFF time loop: files, sequences, gaps and bare-stack records, run end
// to end on small control files with fixed meteorology.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_util.hpp"

namespace quelmar::test {
namespace {

// A control file that passes the checks: CALPUFF path, fixed meteorology, a
// sour gas, 1 January 2021 from 00:00:00. `extra` comes first, so that its
// lines win over the defaults below.
std::string control(const std::string& extra, int end_hour = 2, int end_day = 1) {
  return "QUELMAR 1\n" + extra + kSteadySourFlare + kCalpuffFlareFile +
         "! YYS = 2021 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n! YYE = 2021 !\n! MME = 1 !\n! DDE = " +
         std::to_string(end_day) + " !\n! HHE = " + std::to_string(end_hour) + " !\n";
}

struct Step {
  std::string time;  // the time line
  bool active;       // a flare record (non-zero first rate) or a bare stack
};

// The time lines of a flare file, with whether each record carries the flare.
std::vector<Step> steps(const std::string& path) {
  const auto recs = file_records(path);
  std::vector<Step> out;
  for (std::size_t i = 19; i + 1 < recs.size(); i += 2) {
    const std::string& src = recs[i + 1];
    // The last two fields are the rates of the two species, each after a blank.
    const std::string q1 = src.substr(src.size() - 31, 15);
    out.push_back({recs[i], q1 != "  0.0000000    "});
  }
  return out;
}

std::string tl(int d1, int h1, int s1, int d2, int h2, int s2) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "   2021 %3d %2d %4d   2021 %3d %2d %4d", d1, h1, s1, d2, h2, s2);
  return buf;
}

TEST(CalpuffLoop, SteadyReleaseRepeatsItsStepInOneFile) {
  TempDir dir;
  write_file(dir.file("run.inp"), control(""));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto s = steps(dir.file("out_01.dat"));
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].time, tl(1, 0, 0, 1, 1, 0));
  EXPECT_EQ(s[1].time, tl(1, 1, 0, 1, 2, 0));
  EXPECT_EQ(s[2].time, tl(1, 2, 0, 1, 3, 0));
  for (const Step& x : s) EXPECT_TRUE(x.active);
  // The header's period ends where the last record ends.
  EXPECT_EQ(file_records(dir.file("out_01.dat"))[14], "2021   1   0    0  2021   1   3    0");
  EXPECT_FALSE(fs::exists(dir.file("out_02.dat")));
}

TEST(CalpuffLoop, ShortPuffsWithGapsUpToTheTimeIncrement) {
  TempDir dir;
  const std::string seq = "! MINPUT = 2 !\n! NSEQ = 1 !\n! SEQ = 100, 900, -1, -1 !\n";
  write_file(dir.file("run.inp"), control(seq));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  auto s = steps(dir.file("out_01.dat"));
  ASSERT_GE(s.size(), 4u);
  EXPECT_EQ(s[0].time, tl(1, 0, 0, 1, 0, 900));
  EXPECT_TRUE(s[0].active);
  EXPECT_EQ(s[1].time, tl(1, 0, 900, 1, 1, 0));
  EXPECT_FALSE(s[1].active);
  EXPECT_EQ(s[2].time, tl(1, 1, 0, 1, 1, 900));
  EXPECT_EQ(s[3].time, tl(1, 1, 900, 1, 2, 0));

  write_file(dir.file("run.inp"), control(seq + "! TIMEINC = 1800 !\n"));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  s = steps(dir.file("out_01.dat"));
  const std::vector<Step> expected = {{tl(1, 0, 0, 1, 0, 900), true},      {tl(1, 0, 900, 1, 0, 1800), false},
                                      {tl(1, 0, 1800, 1, 0, 2700), true},  {tl(1, 0, 2700, 1, 1, 0), true},
                                      {tl(1, 1, 0, 1, 1, 900), true},      {tl(1, 1, 900, 1, 1, 1800), false},
                                      {tl(1, 1, 1800, 1, 1, 2700), true},  {tl(1, 1, 2700, 1, 2, 0), true}};
  ASSERT_GE(s.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(s[i].time, expected[i].time) << i;
    EXPECT_EQ(s[i].active, expected[i].active) << i;
  }
}

TEST(CalpuffLoop, SeparationModeStartsEachFileAnHourLater) {
  TempDir dir;
  write_file(dir.file("run.inp"),
             control("! MINPUT = 2 !\n! NSEP = 24 !\n! NSEQ = 3 !\n! SEQ = 100, 1800, -1, -1 !\n"
                     "! SEQ = 80, 1800, -1, -1 !\n! SEQ = 60, 3600, -1, -1 !\n",
                     23, 2));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  for (int k = 1; k <= 24; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "out_%02d.dat", k);
    EXPECT_TRUE(fs::exists(dir.file(name))) << name;
  }
  EXPECT_FALSE(fs::exists(dir.file("out_25.dat")));
  auto s = steps(dir.file("out_01.dat"));
  ASSERT_GE(s.size(), 5u);
  EXPECT_EQ(s[0].time, tl(1, 0, 0, 1, 0, 1800));
  EXPECT_EQ(s[1].time, tl(1, 0, 1800, 1, 1, 0));
  EXPECT_EQ(s[2].time, tl(1, 1, 0, 1, 2, 0));
  EXPECT_EQ(s[3].time, tl(1, 2, 0, 2, 0, 0));  // the gap of 79200 s up to the next start
  EXPECT_FALSE(s[3].active);
  EXPECT_EQ(s[4].time, tl(2, 0, 0, 2, 0, 1800));
  s = steps(dir.file("out_02.dat"));
  EXPECT_EQ(s[0].time, tl(1, 0, 0, 1, 1, 0));
  EXPECT_FALSE(s[0].active);
  EXPECT_EQ(s[1].time, tl(1, 1, 0, 1, 1, 1800));
  EXPECT_TRUE(s[1].active);
  s = steps(dir.file("out_24.dat"));
  EXPECT_EQ(s[0].time, tl(1, 0, 0, 1, 23, 0));
  EXPECT_FALSE(s[0].active);
}

TEST(CalpuffLoop, StartSecondsShortenTheFirstGap) {
  TempDir dir;
  write_file(dir.file("run.inp"),
             control("! SSS = 600 !\n! MINPUT = 2 !\n! NSEP = 24 !\n! NSEQ = 2 !\n! SEQ = 100, 1800, -1, -1 !\n"
                     "! SEQ = 80, 1800, -1, -1 !\n"));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  const auto s = steps(dir.file("out_02.dat"));
  EXPECT_EQ(s[0].time, tl(1, 0, 600, 1, 1, 0));  // 3000 s
}

TEST(CalpuffLoop, ALongSequenceStartsAgainAtOnce) {
  TempDir dir;
  // 30 hours of rows with NSEP 24: no gap after the last row.
  std::string seq = "! MINPUT = 2 !\n! NSEP = 24 !\n! NSEQ = 30 !\n";
  for (int i = 0; i < 30; ++i) seq += "! SEQ = 100, 3600, -1, -1 !\n";
  write_file(dir.file("run.inp"), control(seq, 12, 3));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  const auto s = steps(dir.file("out_01.dat"));
  ASSERT_GE(s.size(), 31u);
  EXPECT_EQ(s[29].time, tl(2, 5, 0, 2, 6, 0));
  EXPECT_EQ(s[30].time, tl(2, 6, 0, 2, 7, 0));
  for (int i = 0; i <= 30; ++i) EXPECT_TRUE(s[static_cast<std::size_t>(i)].active) << i;
}

TEST(CalpuffLoop, EmptyTablesAndZeroRates) {
  TempDir dir;
  // NPUFFS 0 with NSEP 24: 24 files of bare-stack gaps of 24 hours.
  write_file(dir.file("run.inp"), control("! MINPUT = 2 !\n! NSEP = 24 !\n! NSEQ = 0 !\n", 23, 2));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  auto s = steps(dir.file("out_01.dat"));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].time, tl(1, 0, 0, 2, 0, 0));
  EXPECT_FALSE(s[0].active);
  EXPECT_TRUE(fs::exists(dir.file("out_24.dat")));
  // A bare-stack record keeps the constant rate of the second species.
  const auto recs = file_records(dir.file("out_01.dat"));
  EXPECT_EQ(recs[20].substr(recs[20].size() - 15), " 0.25000000    ");

  // NSEP left out (0) with a sequence of several rows, or with none: there
  // would be no file at all, so the run stops and says why.
  for (const char* rows : {"! NSEQ = 2 !\n! SEQ = 100, 1800, -1, -1 !\n! SEQ = 80, 1800, -1, -1 !\n",
                           "! NSEQ = 0 !\n! NSEP = -24 !\n"}) {
    TempDir dir2;
    write_file(dir2.file("run.inp"), control(std::string("! MINPUT = 2 !\n") + rows));
    const ProcessResult r = run_quelmar(dir2.path(), "run.inp");
    const std::string nsep = std::string(rows).find("-24") != std::string::npos ? "-24" : "0";
    const std::string message =
        "***FATAL ERROR*** NSEP must be 24, 48, 72, 96 or 120 for a step table of several rows or none, NSEP=" + nsep;
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, message + "\n");
    // In the list file the text runs on over two records of at most 80 columns.
    const auto recs = file_records(dir2.file("run.lst"));
    ASSERT_GE(recs.size(), 2u);
    EXPECT_EQ(joined({recs.end() - 2, recs.end()}), message);
    EXPECT_EQ(folder_names(dir2), (std::vector<std::string>{"run.inp", "run.lst"}));
  }

  // A row with rate 0: a bare-stack record of the row's duration.
  TempDir dir3;
  write_file(dir3.file("run.inp"),
             control("! MINPUT = 2 !\n! NSEP = 24 !\n! NSEQ = 2 !\n! SEQ = 100, 1800, -1, -1 !\n"
                     "! SEQ = 0, 1800, -1, -1 !\n"));
  ASSERT_EQ(run_quelmar(dir3.path(), "run.inp").status, 0);
  s = steps(dir3.file("out_01.dat"));
  EXPECT_TRUE(s[0].active);
  EXPECT_EQ(s[1].time, tl(1, 0, 1800, 1, 1, 0));
  EXPECT_FALSE(s[1].active);
}

// In a single-step file NSEP is 1: the gap up to the next time increment,
// (IHRGAP - hour)*3600 + TIMEINC - seconds, is dropped when it would last an
// hour or more, and the step starts again at once; a shorter gap is a
// bare-stack record of its own. One row of 3600 s, 00:00 to 02:00; after the
// first row the gap is (0 - 1)*3600 + TIMEINC.
TEST(CalpuffLoop, AGapOfAnHourOrMoreInASingleStepFileIsDropped) {
  struct Case {
    int timeinc;
    std::vector<Step> expected;
  };
  const Case cases[] = {
      // 3600 s, exactly an hour: no gap record in the whole file.
      {7200, {{tl(1, 0, 0, 1, 1, 0), true}, {tl(1, 1, 0, 1, 2, 0), true}, {tl(1, 2, 0, 1, 3, 0), true}}},
      // 3599 s: a gap up to 01:59:59; the next gap, (1 - 2)*3600 + 7199 - 3599, is 0.
      {7199,
       {{tl(1, 0, 0, 1, 1, 0), true},
        {tl(1, 1, 0, 1, 1, 3599), false},
        {tl(1, 1, 3599, 1, 2, 3599), true},
        {tl(1, 2, 3599, 1, 3, 3599), true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("TIMEINC " + std::to_string(c.timeinc));
    TempDir dir;
    write_file(dir.file("run.inp"), control("! MINPUT = 2 !\n! NSEQ = 1 !\n! SEQ = 100, 3600, -1, -1 !\n! TIMEINC = " +
                                            std::to_string(c.timeinc) + " !\n"));
    ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
    const auto s = steps(dir.file("out_01.dat"));
    ASSERT_EQ(s.size(), c.expected.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
      EXPECT_EQ(s[i].time, c.expected[i].time) << i;
      EXPECT_EQ(s[i].active, c.expected[i].active) << i;
    }
  }
}

// A row whose rate is 0 or below writes the whole bare-stack record, field for
// field as the gap after it: the flare's own position (500, 4000 km), height
// HS 20 m, elevation 100 m, diameter DF 0.5 m, the ambient 288 K, no velocity,
// no spread, a zero rate for SO2 and the constant 0.25 g/s of H2S. Layout
// 'F1', 2(TR1,F10.5), TR1,F10.4, TR1,F10.3, TR1,F11.5, TR1,F10.5, 3(TR1,F9.5),
// 2(TR1,F15.3), 2(TR1,G15.8).
TEST(CalpuffLoop, RowsWithoutRateWriteTheBareStackRecord) {
  const std::string bare =
      "'F1'  500.00000 4000.00000    20.0000    100.000     0.50000  288.00000   0.00000   0.00000   0.00000"
      "           0.000           0.000   0.0000000      0.25000000    ";
  for (const char* rate : {"0", "-5"}) {
    SCOPED_TRACE(rate);
    TempDir dir;
    write_file(dir.file("run.inp"), control("! MINPUT = 2 !\n! NSEP = 24 !\n! NSEQ = 2 !\n! SEQ = 100, 1800, -1, -1 !\n"
                                            "! SEQ = " + std::string(rate) + ", 1800, -1, -1 !\n"));
    ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
    const auto recs = file_records(dir.file("out_01.dat"));
    // Header, the row of 100, the row without rate, the gap to day 2 00:00.
    ASSERT_EQ(recs.size(), 19u + 3 * 2);
    EXPECT_NE(recs[20], bare);
    EXPECT_EQ(recs[21], tl(1, 0, 1800, 1, 1, 0));
    EXPECT_EQ(recs[22], bare);
    EXPECT_EQ(recs[23], tl(1, 1, 0, 2, 0, 0));
    EXPECT_EQ(recs[24], bare);
  }
}

TEST(CalpuffLoop, ZeroDurationRowsAreRefused) {
  TempDir dir;
  write_file(dir.file("run.inp"), control("! MINPUT = 2 !\n! NSEQ = 1 !\n! SEQ = 100, 0.4, -1, -1 !\n"));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("step of zero or negative duration"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir.file("out_01.dat")));
}

TEST(CalpuffLoop, FileNamesFollowTheCaseAndTheFolder) {
  TempDir dir;
  // Upper case without LCFILES; the backslash that joins folder and name is a
  // folder separator here.
  fs::create_directory(dir.path() / "RUNS");
  write_file(dir.file("run.inp"), control("! OUTPATH = runs !\n! OUTNAME = Flare !\n! LCFILES = F !\n"));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  EXPECT_TRUE(fs::exists(dir.path() / "RUNS" / "FLARE_01.DAT"));
  // A folder that does not exist: a clear message and the error end.
  write_file(dir.file("run.inp"), control("! OUTPATH = nofolder !\n"));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Error opening flare file:"), std::string::npos) << r.out;
}

// A flare file takes its name only at the run's normal end: a run that stops
// on the way (here at a time-series file whose record of 2 March 05:00 is
// missing, a gap that the reader cannot step over) leaves neither the file nor
// its temporary part.
TEST(CalpuffLoop, ARunStoppedOnTheWayLeavesNoFlareFile) {
  TempDir dir;
  std::vector<std::string> lines = text_lines(read_file(source_path("examples/met/vessel.tsf")));
  const auto gap = std::find_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.rfind(" 2021 03 02 05 0000", 0) == 0; });
  ASSERT_NE(gap, lines.end());
  lines.erase(gap);
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  write_file(dir.file("met.tsf"), text);
  write_file(dir.file("run.inp"), control("! MMET = 1 !\n! METDAT = met.tsf !\n! YYS = 2021 !\n! MMS = 3 !\n"
                                          "! DDS = 1 !\n! YYE = 2021 !\n! MME = 3 !\n! DDE = 3 !\n"));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(read_file(dir.file("run.lst")).find(" ***ERROR***- bad read sequence\r\n"), std::string::npos);
  // Standard error has the reader's six records.
  const std::vector<std::string> err = text_lines(r.err);
  ASSERT_EQ(err.size(), 6u) << r.err;
  EXPECT_EQ(err[0], "***ERROR***- bad read sequence");
  EXPECT_EQ(err[1], "date requested =    202106105           0");
  EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"met.tsf", "run.inp", "run.lst"}));
}

// A whole file replaces an older file of its name; a name that cannot be
// written (here a folder of that name) is reported, and nothing is left.
TEST(CalpuffLoop, AWholeFileTakesItsNameOrIsReported) {
  TempDir dir;
  write_file(dir.file("out_01.dat"), "an older file\r\n");
  write_file(dir.file("run.inp"), control(""));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  const auto recs = file_records(dir.file("out_01.dat"));
  ASSERT_EQ(recs.size(), 19u + 3 * 2);
  EXPECT_EQ(recs[0], "FLEMARB.DAT     1.0             Initial configuration");
  EXPECT_EQ(recs[14], "2021   1   0    0  2021   1   3    0");

  fs::remove(dir.file("out_01.dat"));
  fs::create_directory(dir.file("out_01.dat"));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(read_file(dir.file("run.lst")).find(" Error opening flare file: out_01.dat: Is a directory\r\n"),
            std::string::npos);
  EXPECT_EQ(r.err, "Error opening flare file: out_01.dat: Is a directory\n");
  EXPECT_TRUE(fs::is_directory(dir.file("out_01.dat")));
  EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"out_01.dat", "run.inp", "run.lst"}));
}

TEST(CalpuffLoop, FileNumbersFromOneHundredHaveThreeDigits) {
  TempDir dir;
  write_file(dir.file("run.inp"),
             control("! MINPUT = 2 !\n! NSEP = 120 !\n! NSEQ = 2 !\n! SEQ = 100, 1800, -1, -1 !\n"
                     "! SEQ = 80, 1800, -1, -1 !\n",
                     0, 1));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  EXPECT_TRUE(fs::exists(dir.file("out_99.dat")));
  EXPECT_TRUE(fs::exists(dir.file("out_100.dat")));
  EXPECT_TRUE(fs::exists(dir.file("out_120.dat")));
}

TEST(CalpuffLoop, CalpuffNeedsAUtmMapAndAZoneOfWholeHours) {
  TempDir dir;
  write_file(dir.file("run.inp"), control("! PMAP = LCC !\n! UTMHEM = X !\n! ABTZ = UTC-0730 !\n"));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  EXPECT_EQ(r.status, 1);
  const std::string lst = read_file(dir.file("run.lst"));
  EXPECT_NE(lst.find(" FATAL ERROR: CALPUFF flare files need PMAP=UTM, PMAP=LCC\r\n"), std::string::npos);
  EXPECT_NE(lst.find(" FATAL ERROR: UTMHEM must be N or S, UTMHEM=X\r\n"), std::string::npos);
  EXPECT_NE(lst.find(" FATAL ERROR: ABTZ must be UTC+hh00 or UTC-hh00, ABTZ=UTC-0730\r\n"), std::string::npos);
  EXPECT_NE(lst.find(" Number of errors in input file:           3\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.file("out_01.dat")));
}

TEST(CalpuffLoop, DatumMustBeACalpuffCode) {
  TempDir dir;
  write_file(dir.file("run.inp"), control("! DATUM = NAD83 !\n"));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Control file:[run.inp]\n\nProgram Terminated with ***ERRORS***\n");
  const auto recs = file_records(dir.file("run.lst"));
  ASSERT_GE(recs.size(), 5u);
  // The refusal names the common codes; its text runs on in a second record.
  EXPECT_EQ(recs[recs.size() - 5], " FATAL ERROR: DATUM must be a CALPUFF datum code (WGS-84; NAR-C for NAD83; NAS-C");
  EXPECT_EQ(recs[recs.size() - 4], "  for NAD27; the others in datum_codes.txt), DATUM=NAD83");
  EXPECT_EQ(recs[recs.size() - 3], " Number of errors in input file:           1");
  EXPECT_EQ(recs.back(), " Program Terminated with ***ERRORS***");
  // Nothing but the control file and the list file: no flare file.
  EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"run.inp", "run.lst"}));

  // NAD 1927 by its code: the run ends normally and the header carries the code.
  write_file(dir.file("run.inp"), control("! DATUM = NAS-C !\n"));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  const auto flare = file_records(dir.file("out_01.dat"));
  ASSERT_GE(flare.size(), 13u);
  EXPECT_EQ(flare[9], "UTM");
  EXPECT_EQ(flare[11], "NAS-C");
  EXPECT_EQ(flare[12], "  KM");
}

}  // namespace
}  // namespace quelmar::test

// The AERMOD control file and the hourly emission file, record by record,
// against texts composed by hand from the layouts; the hourly exit velocity
// and temperature against the buoyancy and momentum flux definitions.
#include "driver/aermod_files.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "driver/aermod.hpp"
#include "met/aermet.hpp"
#include "met/metseries.hpp"
#include "io/stop.hpp"
#include "test_util.hpp"

namespace quelmar::driver {
namespace {

using test::file_records;
using test::TempDir;

// Two groups of a pass: 2 and 3 hours.
void configure(run::Run& run) {
  run::MOD_READINP& in = run.inp;
  in.MSTRIP = 4;
  in.MSCREEN = 1;
  in.MMET = 2;
  in.NSOURCES = 2;
  in.YYS = 1988;
  in.ZCOORD = 850.0;
  in.RECINC = "rec.inc";
  in.METDAT = "met file.sfc";
  in.METDAT2 = "met.pfl";
  run::MOD_VIRTUALSOURCES& vs = run.vs;
  vs.IVSNS(1) = 2, vs.VSX(1) = 0.5, vs.VSY(1) = 4987.6543, vs.VSHS(1) = 45.25, vs.VSTS(1) = 1273.15;
  vs.VSUS(1) = 20.5, vs.VSDS(1) = 1.5;
  vs.IVSNS(2) = 3, vs.VSX(2) = 0.512, vs.VSY(2) = 4987.7, vs.VSHS(2) = 60.0, vs.VSTS(2) = 1100.0;
  vs.VSUS(2) = 18.25, vs.VSDS(2) = 2.25;
}

// Groups with the given hour counts: an empty group holds the zero means and
// the 1.0E30 height that the grouping leaves; group g with hours carries x 0.1g
// km, y 0.2g km, height 10g m, 1000+g K, 10+g m/s and 1+g m.
void fill_groups(run::MOD_VIRTUALSOURCES& vs, const std::vector<int>& hours) {
  for (int g = 1; g <= static_cast<int>(hours.size()); ++g) {
    vs.IVSNS(g) = hours[static_cast<std::size_t>(g - 1)];
    if (vs.IVSNS(g) == 0) {
      vs.VSX(g) = vs.VSY(g) = vs.VSTS(g) = vs.VSUS(g) = vs.VSDS(g) = 0.0;
      vs.VSHS(g) = 1.0e30;
    } else {
      vs.VSX(g) = 0.1 * g, vs.VSY(g) = 0.2 * g, vs.VSHS(g) = 10.0 * g, vs.VSTS(g) = 1000.0 + g;
      vs.VSUS(g) = 10.0 + g, vs.VSDS(g) = 1.0 + g;
    }
  }
}

// A run with its console on strings and a temporary folder for its files.
class AermodControlFile : public ::testing::Test, protected test::TestRun {};
class AermodHourlyFile : public ::testing::Test, protected test::TestRun {};

// 1 March 1988 (day 61 of a leap year) hour 0 to 4 March hour 23.
constexpr int FIRST = 198806100, LAST = 198806423;

std::vector<std::string> write_inp(run::Run& run, const TempDir& dir, const std::string& femarb = "out_MOD_01.DAT",
                                   int first = FIRST, int last = LAST) {
  const std::string path = dir.file("out_MOD_01.INX");
  MKFILAM_INP(run, 21, 20, path, femarb, first, last);
  EXPECT_FALSE(run.units.is_open(21));
  return file_records(path);
}

TEST_F(AermodControlFile, WholeFile) {
  configure(*run);
  const std::vector<std::string> expect = {
      "CO STARTING",
      "CO TITLEONE flemarb by QUELMAR      Version 2.01         Level 220131      ",
      "CO TITLETWO OU EMISSIONS",
      "CO MODELOPT NOCHKD CONC NOSTD ELEV SCREEN",
      "CO AVERTIME 1",
      "CO POLLUTID OU",
      "CO RUNORNOT RUN",
      "CO ERRORFIL out_MOD_01.ERR",
      "CO FINISHED",
      "SO STARTING",
      "SO ELEVUNIT METERS",
      "SO EMISUNIT    .100000E+04   (GRAMS/SEC)          (MILLIGRAMS/CUBIC-METER)",
      "** SRCPARAM SOURCE1  QS    HS    TS    US    DS",
      // 'SO LOCATION ',A12,' POINT',2(F13.1,TR1),F13.1 with km turned to m
      "SO LOCATION SOURCE1      POINT        500.0     4987654.3         850.0",
      // 'SO SRCPARAM ',A12,5(F10.3,TR1); the last blank writes nothing
      "SO SRCPARAM SOURCE1          0.000     45.250   1273.150     20.500      1.500",
      "SO LOCATION SOURCE2      POINT        512.0     4987700.0         850.0",
      "SO SRCPARAM SOURCE2          0.000     60.000   1100.000     18.250      2.250",
      "SO HOUREMIS out_MOD_01.DAT SOURCE1-SOURCE2",
      "SO SRCGROUP  ALL",
      "SO FINISHED",
      "RE STARTING",
      "RE INCLUDED rec.inc",
      "RE FINISHED",
      "ME STARTING",
      "ME SURFFILE \"met file.sfc\"",
      "ME PROFFILE met.pfl",
      "ME SURFDATA  00011111 1988 ONSITE",
      "ME UAIRDATA  00022222 1988 ONSITE",
      "ME STARTEND 1988  3  1  1 1988  3  4 24",
      "** set at plant site elevation",
      "ME PROFBASE      850.0 METERS",
      "ME FINISHED",
      "OU STARTING",
      "OU RECTABLE ALLAVE FIRST",
      "OU MAXTABLE ALLAVE 10",
      "OU PLOTFILE 1 ALL FIRST out_MOD_01.PLT",
      "OU POSTFILE 1 ALL UNFORM out_MOD_01.BIN",
      "OU FINISHED",
  };
  const std::vector<std::string> got = write_inp(*run, dir);
  ASSERT_EQ(got.size(), expect.size());
  for (std::size_t i = 0; i < expect.size(); ++i) EXPECT_EQ(got[i], expect[i]) << "record " << i + 1;

  // Written again: only the records of the second write.
  run->inp.NSOURCES = 1;
  EXPECT_EQ(write_inp(*run, dir).size(), expect.size() - 2);
}

// The files of AERMOD's results are named after the hourly emission file of
// their control file, so that the runs of several control files in one folder
// keep their results apart.
TEST_F(AermodControlFile, ResultFilesNamedAfterTheHourlyEmissionFile) {
  configure(*run);
  struct Case {
    bool lcfiles;
    const char* femarb;
    const char* err;
    const char* plt;
    const char* bin;
  };
  const Case cases[] = {
      {false, "RUNS/FLARE_MOD_02.DAT", "RUNS/FLARE_MOD_02.ERR", "RUNS/FLARE_MOD_02.PLT", "RUNS/FLARE_MOD_02.BIN"},
      {true, "runs\\flare_mod_02.dat", "runs\\flare_mod_02.err", "runs\\flare_mod_02.plt", "runs\\flare_mod_02.bin"},
      // A dot in a folder's name is no extension; a name without one gets it added.
      {true, "a.b/hours", "a.b/hours.err", "a.b/hours.plt", "a.b/hours.bin"},
      // A name with a blank is quoted as the emission file's own.
      {true, "my runs/x.dat", "\"my runs/x.err\"", "\"my runs/x.plt\"", "\"my runs/x.bin\""},
  };
  for (const Case& c : cases) {
    run->inp.LCFILES = c.lcfiles;
    const std::vector<std::string> got = write_inp(*run, dir, c.femarb);
    ASSERT_EQ(got.size(), 38u);
    const std::string femarb = std::strchr(c.femarb, ' ') ? std::string("\"") + c.femarb + "\"" : c.femarb;
    EXPECT_EQ(got[7], std::string("CO ERRORFIL ") + c.err);
    EXPECT_EQ(got[17], "SO HOUREMIS " + femarb + " SOURCE1-SOURCE2");
    EXPECT_EQ(got[35], std::string("OU PLOTFILE 1 ALL FIRST ") + c.plt);
    EXPECT_EQ(got[36], std::string("OU POSTFILE 1 ALL UNFORM ") + c.bin);
  }
}

struct PollutantCase {
  int mstrip, mscreen;
  const char* title;
  const char* modelopt;
  const char* pollutid;
  const char* emisunit;
};

// Records 3, 4, 6 and 12 by the emitted quantity and the screening option.
TEST_F(AermodControlFile, PollutantRecords) {
  const char* micro = "SO EMISUNIT    .100000E+07   (GRAMS/SEC)          (MICROGRAMS/CUBIC-METER)";
  const char* milli = "SO EMISUNIT    .100000E+04   (GRAMS/SEC)          (MILLIGRAMS/CUBIC-METER)";
  const char* plain = "CO MODELOPT NOCHKD CONC NOSTD ELEV";
  const char* screen = "CO MODELOPT NOCHKD CONC NOSTD ELEV SCREEN";
  const PollutantCase cases[] = {
      {0, 0, "CO TITLETWO SO2 EMISSIONS", plain, "CO POLLUTID SO2", micro},
      {1, 2, "CO TITLETWO H2S EMISSIONS", plain, "CO POLLUTID H2S", micro},
      {2, 1, "CO TITLETWO SO2 EMISSIONS", screen, "CO POLLUTID SO2", micro},
      {3, 0, "CO TITLETWO H2S EMISSIONS", plain, "CO POLLUTID H2S", micro},
      {4, 1, "CO TITLETWO OU EMISSIONS", screen, "CO POLLUTID OU", milli},
      {5, 0, "CO TITLETWO OU EMISSIONS", plain, "CO POLLUTID OU", milli},
  };
  for (const PollutantCase& c : cases) {
    fresh_run();
    configure(*run);
    run->inp.MSTRIP = c.mstrip;
    run->inp.MSCREEN = c.mscreen;
    const std::vector<std::string> got = write_inp(*run, dir);
    ASSERT_EQ(got.size(), 38u);
    EXPECT_EQ(got[2], c.title) << c.mstrip;
    EXPECT_EQ(got[3], c.modelopt) << c.mstrip;
    EXPECT_EQ(got[5], c.pollutid) << c.mstrip;
    EXPECT_EQ(got[11], c.emisunit) << c.mstrip;
  }
  // Outside 0 to 5 none of the three records.
  fresh_run();
  configure(*run);
  run->inp.MSTRIP = 6;
  const std::vector<std::string> got = write_inp(*run, dir);
  ASSERT_EQ(got.size(), 35u);
  EXPECT_EQ(got[2], "CO MODELOPT NOCHKD CONC NOSTD ELEV SCREEN");
  EXPECT_EQ(got[4], "CO RUNORNOT RUN");
  EXPECT_EQ(got[9], "** SRCPARAM SOURCE1  QS    HS    TS    US    DS");
}

TEST_F(AermodControlFile, SourceIdentifiers) {
  EXPECT_EQ(aermod_source_id(1), "SOURCE1     ");
  EXPECT_EQ(aermod_source_id(9), "SOURCE9     ");
  EXPECT_EQ(aermod_source_id(10), "SOURCE10    ");
  EXPECT_EQ(aermod_source_id(32), "SOURCE32    ");

  configure(*run);
  run->inp.NSOURCES = 10;
  for (int l = 1; l <= 10; ++l) {
    run->vs.IVSNS(l) = 1, run->vs.VSX(l) = 0.5, run->vs.VSY(l) = 0.25, run->vs.VSHS(l) = 10.0 * l;
    run->vs.VSTS(l) = 1000.0, run->vs.VSUS(l) = 10.0, run->vs.VSDS(l) = 1.0;
  }
  const std::vector<std::string> got = write_inp(*run, dir);
  ASSERT_EQ(got.size(), 13u + 20u + 21u);
  EXPECT_EQ(got[13], "SO LOCATION SOURCE1      POINT        500.0         250.0         850.0");
  EXPECT_EQ(got[31], "SO LOCATION SOURCE10     POINT        500.0         250.0         850.0");
  EXPECT_EQ(got[32], "SO SRCPARAM SOURCE10         0.000    100.000   1000.000     10.000      1.000");
  EXPECT_EQ(got[33], "SO HOUREMIS out_MOD_01.DAT SOURCE1-SOURCE10");
}

// Without AERMET meteorology the receptor and profile names are empty.
TEST_F(AermodControlFile, EmptyNames) {
  configure(*run);
  run->inp.MMET = 1;
  run->inp.RECINC = "";
  run->inp.METDAT2 = "";
  run->inp.METDAT = "c:\\met\\site.tsf";
  const std::vector<std::string> got = write_inp(*run, dir);
  EXPECT_EQ(got[21], "RE INCLUDED ");
  EXPECT_EQ(got[24], "ME SURFFILE c:\\met\\site.tsf");
  EXPECT_EQ(got[25], "ME PROFFILE ");
}

// A name with a blank goes between double quotes in every record that names a file.
TEST_F(AermodControlFile, NamesWithBlanksAreQuoted) {
  configure(*run);
  run->inp.RECINC = "my receptors.inc";
  run->inp.METDAT = "C:\\AERMET DATA\\site.sfc";
  run->inp.METDAT2 = "site upper.pfl";
  const std::vector<std::string> got = write_inp(*run, dir, "C:\\RUN 1\\FLARE_MOD_01.DAT");
  EXPECT_EQ(got[17], "SO HOUREMIS \"C:\\RUN 1\\FLARE_MOD_01.DAT\" SOURCE1-SOURCE2");
  EXPECT_EQ(got[21], "RE INCLUDED \"my receptors.inc\"");
  EXPECT_EQ(got[24], "ME SURFFILE \"C:\\AERMET DATA\\site.sfc\"");
  EXPECT_EQ(got[25], "ME PROFFILE \"site upper.pfl\"");
}

TEST_F(AermodControlFile, LongNameWarning) {
  configure(*run);
  open_list();
  std::string long_name(201, 'm');
  for (std::size_t i = 0; i < long_name.size(); i += 10) long_name[i] = static_cast<char>('0' + (i / 10) % 10);
  run->inp.METDAT = long_name;
  run->inp.METDAT2 = long_name;             // the same name twice: one warning
  run->inp.RECINC = std::string(200, 'r');  // 200 characters: AERMOD reads it
  write_inp(*run, dir);
  write_inp(*run, dir);  // a second control file warns again

  const std::string head = " WARNING: name longer than 200 characters in an AERMOD control file:";
  // The name runs on over further records, 79 characters after each leading blank.
  const std::vector<std::string> one = {head, " " + long_name.substr(0, 79), " " + long_name.substr(79, 79),
                                        " " + long_name.substr(158)};
  std::vector<std::string> expect = one;
  expect.insert(expect.end(), one.begin(), one.end());
  EXPECT_EQ(list_records(), expect);
}

// A group without hours takes the parameters of its nearest group with hours:
// 5 hours in 5 groups fill groups 2, 3, 4 and 5; 3 hours in 5 groups fill 2, 4, 5.
TEST_F(AermodControlFile, EmptyGroupsTakeTheirNeighbours) {
  configure(*run);
  run->inp.NSOURCES = 5;
  fill_groups(run->vs, {0, 1, 0, 1, 1});
  const std::vector<std::string> got = write_inp(*run, dir);
  const std::string g2 = "     0.000     20.000   1002.000     12.000      3.000";
  EXPECT_EQ(got[13], "SO LOCATION SOURCE1      POINT        200.0         400.0         850.0");
  EXPECT_EQ(got[14], "SO SRCPARAM SOURCE1     " + g2);
  EXPECT_EQ(got[15], "SO LOCATION SOURCE2      POINT        200.0         400.0         850.0");
  EXPECT_EQ(got[16], "SO SRCPARAM SOURCE2     " + g2);
  // Group 3 lies between groups 2 and 4: the lower one.
  EXPECT_EQ(got[18], "SO SRCPARAM SOURCE3     " + g2);
  EXPECT_EQ(got[20], "SO SRCPARAM SOURCE4          0.000     40.000   1004.000     14.000      5.000");
  for (const std::string& r : got) EXPECT_EQ(r.find('*', 2), std::string::npos) << r;
}

// An empty group takes the nearest group with hours, the lower one of two
// equally near, group 1 included; hours per group below, groups with hours
// carry x 0.1g km, y 0.2g km, height 10g m, 1000+g K, 10+g m/s, 1+g m.
TEST_F(AermodControlFile, AnEmptyGroupBesideGroupOneTakesGroupOne) {
  // The two records of each group with hours, after the identifier; F13.1 of
  // the position in m and the elevation 850 m, then 5(F10.3,TR1) of 0, height,
  // temperature, velocity and diameter.
  const std::string location[] = {"",
                                  " POINT        100.0         200.0         850.0",
                                  "",
                                  " POINT        300.0         600.0         850.0",
                                  " POINT        400.0         800.0         850.0"};
  const std::string srcparam[] = {"",
                                  "     0.000     10.000   1001.000     11.000      2.000",
                                  "",
                                  "     0.000     30.000   1003.000     13.000      4.000",
                                  "     0.000     40.000   1004.000     14.000      5.000"};
  struct Case {
    std::vector<int> hours;   // per group
    std::vector<int> donors;  // the group whose parameters each group declares
  };
  const Case cases[] = {
      {{1, 0}, {1, 1}},
      {{1, 0, 1}, {1, 1, 3}},
      {{1, 0, 0, 1}, {1, 1, 4, 4}},
  };
  for (const Case& c : cases) {
    fresh_run();
    configure(*run);
    const int n = static_cast<int>(c.hours.size());
    run->inp.NSOURCES = n;
    fill_groups(run->vs, c.hours);
    const std::vector<std::string> got = write_inp(*run, dir);
    ASSERT_GE(got.size(), 13u + 2 * c.hours.size());
    for (int g = 1; g <= n; ++g) {
      SCOPED_TRACE("group " + std::to_string(g) + " of " + std::to_string(n));
      const std::string id = "SOURCE" + std::to_string(g) + "     ";
      const std::size_t d = static_cast<std::size_t>(c.donors[static_cast<std::size_t>(g - 1)]);
      EXPECT_EQ(got[11 + 2 * static_cast<std::size_t>(g)], "SO LOCATION " + id + location[d]);
      EXPECT_EQ(got[12 + 2 * static_cast<std::size_t>(g)], "SO SRCPARAM " + id + srcparam[d]);
    }
  }
}

TEST_F(AermodControlFile, NoStartEndWithoutHours) {
  configure(*run);
  const std::vector<std::string> got = write_inp(*run, dir, "e.dat", 0, 0);
  ASSERT_EQ(got.size(), 37u);
  EXPECT_EQ(got[27], "ME UAIRDATA  00022222 1988 ONSITE");
  EXPECT_EQ(got[28], "** set at plant site elevation");
}

// AERMOD compares the station numbers of ME SURFDATA and ME UAIRDATA with
// those of its surface file's header (SF_ID, UA_ID) and warns where they
// differ: the control file names the header's stations, 8 digits with leading
// zeros, and keeps 00011111 and 00022222 where the header gives no number of
// at most 8 digits or the meteorology is no AERMET file. The records against
// their layout ('ME SURFDATA  ',I8.8,' ',I4,' ONSITE'), composed by hand.
TEST_F(AermodControlFile, StationNumbersOfTheSurfaceFileHeader) {
  const std::string record = "88  3  1  61  1   -2.7  0.062 -9.000 -9.000 -999.   37.      7.9  0.7500   1.50   "
                             "1.00    0.80  317.5   10.0  273.8   10.0     0  -9.00   999.  1003.     4 NAD-OS  NoSubs";
  struct Case {
    const char* what;
    int mmet;
    std::string header;  // the surface file's header; empty: no surface file read
    const char* surfdata;
    const char* uairdata;
  };
  const Case cases[] = {
      {"Houston", 2,
       "   29.967N   95.350W          UA_ID: 3937      SF_ID: 722430    OS_ID:              VERSION: 24142  ADJ_U*",
       "ME SURFDATA  00722430 1988 ONSITE", "ME UAIRDATA  00003937 1988 ONSITE"},
      {"leading zeros as given", 2,
       "   41.300N   74.000W          UA_ID: 00014735  SF_ID: 14735     OS_ID: 99999        VERSION: 24142",
       "ME SURFDATA  00014735 1988 ONSITE", "ME UAIRDATA  00014735 1988 ONSITE"},
      {"eight digits, tab, label at the end", 2, "UA_ID:\t12345678 SF_ID: 99999999",
       "ME SURFDATA  99999999 1988 ONSITE", "ME UAIRDATA  12345678 1988 ONSITE"},
      {"zero", 2, "UA_ID: 0 SF_ID: 00000000", "ME SURFDATA  00000000 1988 ONSITE",
       "ME UAIRDATA  00000000 1988 ONSITE"},
      {"nine digits", 2, "UA_ID: 123456789  SF_ID: 000014735", "ME SURFDATA  00011111 1988 ONSITE",
       "ME UAIRDATA  00022222 1988 ONSITE"},
      {"not numbers", 2, "UA_ID: KIAH  SF_ID: 72243A  OS_ID: 99999", "ME SURFDATA  00011111 1988 ONSITE",
       "ME UAIRDATA  00022222 1988 ONSITE"},
      {"signed", 2, "UA_ID: -3937  SF_ID: +722430", "ME SURFDATA  00011111 1988 ONSITE",
       "ME UAIRDATA  00022222 1988 ONSITE"},
      {"labels without numbers", 2, "   29.967N   95.350W          UA_ID:           SF_ID:", "ME SURFDATA  00011111 1988 ONSITE",
       "ME UAIRDATA  00022222 1988 ONSITE"},
      {"one of the two", 2, "   41.300N   74.000W   SF_ID: 14735     OS_ID: 99999", "ME SURFDATA  00014735 1988 ONSITE",
       "ME UAIRDATA  00022222 1988 ONSITE"},
      {"no labels", 2, "   41.300N   74.000W   VERSION: 24142", "ME SURFDATA  00011111 1988 ONSITE",
       "ME UAIRDATA  00022222 1988 ONSITE"},
      {"labels in lower case", 2, "ua_id: 3937 sf_id: 722430", "ME SURFDATA  00011111 1988 ONSITE",
       "ME UAIRDATA  00022222 1988 ONSITE"},
      {"fixed meteorology beside a surface file", 3, "UA_ID: 3937      SF_ID: 722430",
       "ME SURFDATA  00011111 1988 ONSITE", "ME UAIRDATA  00022222 1988 ONSITE"},
      {"no surface file read", 2, "", "ME SURFDATA  00011111 1988 ONSITE", "ME UAIRDATA  00022222 1988 ONSITE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fresh_run();
    configure(*run);
    if (!c.header.empty()) {
      const std::string sfc = test::write_records(dir.file("met.sfc"), {c.header, record});
      met::read_aermet_file(*run, 22, sfc);
      ASSERT_EQ(run->metstore.hours.size(), 1u);
    }
    run->inp.MMET = c.mmet;
    const std::vector<std::string> got = write_inp(*run, dir);
    ASSERT_EQ(got.size(), 38u);
    EXPECT_EQ(got[26], c.surfdata);
    EXPECT_EQ(got[27], c.uairdata);
    EXPECT_EQ(got[28], "ME STARTEND 1988  3  1  1 1988  3  4 24");
  }

  // A time-series file on the AERMOD path: the placeholders.
  fresh_run();
  configure(*run);
  run->inp.MMET = 1;
  met::read_series_file(*run, 22, test::source_path("tests/data/met/series_v13.tsf"));
  ASSERT_EQ(run->metstore.kind, run::MetStore::Series);
  const std::vector<std::string> got = write_inp(*run, dir);
  ASSERT_EQ(got.size(), 38u);
  EXPECT_EQ(got[26], "ME SURFDATA  00011111 1988 ONSITE");
  EXPECT_EQ(got[27], "ME UAIRDATA  00022222 1988 ONSITE");
}

TEST_F(AermodControlFile, FailedOpenStops) {
  configure(*run);
  open_list();
  // A folder that does not exist (relative, so that the message stays one record).
  const std::string path = "no-such-folder-for-quelmar-tests/A.INX";
  EXPECT_THROW(MKFILAM_INP(*run, 21, 20, path, "X_MOD_01.DAT", FIRST, LAST), io::Stop);
  // The reason does not fit beside the name: it goes on in a record of its own.
  EXPECT_EQ(out.str(), "Error opening AERMOD control file: " + path + ": \nNo such file or directory\n");
  EXPECT_EQ(list_records(), (std::vector<std::string>{" Error opening AERMOD control file: " + path + ": ",
                                                      " No such file or directory"}));
  // Standard error has it in one line.
  EXPECT_EQ(err.str(), "Error opening AERMOD control file: " + path + ": No such file or directory\n");
  EXPECT_THROW(MKFILAM_EMARB(*run, 21, 20, dir.file("no-such-folder/X_MOD_01.DAT")), io::Stop);
}

// ------------------------------------------------------------ hourly emission file

// Stores hour i of the pass as the AERMOD loop does, from what the step chain
// leaves for the hour, and puts it in group `group`.
void put_hour(run::Run& run, int i, int vdate, int group, double ve, double fb, double fm, double ta, double us,
              double ts) {
  run.vs.reserve_hours(i);
  run.file1.IDATECUR = vdate;
  run.comb.QEMIT = ve, run.isc.FBISC = fb, run.isc.FMISC = fm, run.stdc.TAMBH = ta;
  run.comb.UE_X = us, run.comb.EXTEMP = ts;
  store_hour(run, i, ReleasePoint{});
  run.vs.IVS(i) = group;
}

std::vector<std::string> write_emarb(run::Run& run, const TempDir& dir, std::span<const int> lead = {}) {
  const std::string path = dir.file("out_MOD_01.DAT");
  MKFILAM_EMARB(run, 21, 20, path, lead);
  EXPECT_FALSE(run.units.is_open(21));
  return file_records(path);
}

// A worked hour: 202119612 is 15 July 2021, the hour from 12:00.
// Three sources, the hour in group 2. The fluxes are those of a stack of
// D = 2 m, VS = 15 m/s, TS = 1000 K in air of 290 K (python):
//   FB = g*VS*D^2*(TS-TA)/(4*TS) = 104.4408225, FM = VS^2*D^2*TA/(4*TS) = 65.25,
// so a group of mean diameter 2 m gets 15 m/s and 1000 K back.
TEST_F(AermodHourlyFile, OneHourThreeSources) {
  run->inp.NSOURCES = 3;
  run->vs.VSDS(1) = 1.0, run->vs.VSDS(2) = 2.0, run->vs.VSDS(3) = 3.0;
  run->vs.NVS = 1;
  put_hour(*run, 1, 202119612, 2, 12.5, 104.4408225, 65.25, 290.0, 20.5, 1273.15);
  const std::vector<std::string> got = write_emarb(*run, dir);
  const std::vector<std::string> expect = {
      "SO HOUREMIS  21   7  15  13 SOURCE1     0.000000E+00 0.127315E+04 0.205000E+02",
      "SO HOUREMIS  21   7  15  13 SOURCE2     0.125000E+02 0.100000E+04 0.150000E+02",
      "SO HOUREMIS  21   7  15  13 SOURCE3     0.000000E+00 0.127315E+04 0.205000E+02",
  };
  EXPECT_EQ(got, expect);
  EXPECT_EQ(got[0].size(), 78u);  // the final TR1 writes nothing
}

// The hourly record is the layout (A,4(TR1,I3),TR1,A12,3(E12.6,TR1)) written
// field by field: the same text as the layout makes of the same items, for
// integers that fit their field and that do not, and for rates of every size
// and sign (zero, negative zero, beyond 1e99, not finite).
TEST(HourlyRecord, TheLayoutFieldByField) {
  const io::Layout layout("(A,4(TR1,I3),TR1,A12,3(E12.6,TR1))");
  std::mt19937_64 gen(7);
  auto any_int = [&] { return static_cast<int>(gen() % 2400) - 200; };
  const double specials[] = {0.0, -0.0, 1e100, -1e-100, 5e-324, std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(), 999999.5, 0.0999999951};
  auto any_real = [&]() {
    if (gen() % 8 == 0) return specials[gen() % std::size(specials)];
    return (gen() % 2 ? -1.0 : 1.0) * std::pow(10.0, -12.0 + 24.0 * static_cast<double>(gen() >> 11) * 0x1.0p-53);
  };
  for (int i = 0; i < 20000; ++i) {
    const int yy = any_int(), mo = any_int(), dy = any_int(), hr = any_int();
    const std::string source = aermod_source_id(1 + static_cast<int>(gen() % 32));
    const double qs = any_real(), ts = any_real(), us = any_real();
    std::string want = "before", got = "before";
    layout.append({"SO HOUREMIS", yy, mo, dy, hr, source, qs, ts, us}, want);
    hourly_record(got, yy, mo, dy, hr, source, qs, ts, us);
    ASSERT_EQ(got, want) << i;
  }
}

// Year, hour of the day's end, and the date from the day of the year.
TEST_F(AermodHourlyFile, DatesAndYears) {
  struct Case {
    int vdate;
    const char* head;
  };
  const Case cases[] = {
      {200000100, "SO HOUREMIS   0   1   1   1 "},  // 2000: year 0; hour from 0:00 is hour 1
      {202136523, "SO HOUREMIS  21  12  31  24 "},  // hour from 23:00 is hour 24 of the same day
      {199906000, "SO HOUREMIS  99   3   1   1 "},  // 1999, day 60 of a common year
      {198806000, "SO HOUREMIS  88   2  29   1 "},  // day 60 of a leap year
      {210006100, "SO HOUREMIS 100   3   1   1 "},  // 2100 (a leap year here): three digits
  };
  run->inp.NSOURCES = 1;
  run->vs.VSDS(1) = 2.0;
  run->vs.NVS = 5;
  for (int i = 1; i <= 5; ++i) put_hour(*run, i, cases[i - 1].vdate, 1, 1.0, 104.4408225, 65.25, 290.0, 1.0, 1.0);
  const std::vector<std::string> got = write_emarb(*run, dir);
  ASSERT_EQ(got.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(got[i].substr(0, 28), cases[i].head) << cases[i].vdate;
}

// A group diameter other than the hour's own: the velocity and temperature that
// give the same fluxes. Expected values from python, (D^2/4)VS^2-(FB/g)VS-FM=0:
//   FB=104.4408225, FM=65.25, D=3.5, TA=290 -> VS=6.671266029593355, TS=605.7732587340854
//   FB=500, FM=800, D=4, TA=275          -> VS=21.885093203528797, TS=658.5662937248206
TEST_F(AermodHourlyFile, InverseFluxesMatchTheFluxDefinitions) {
  struct Case {
    double fb, fm, d, ta;
    const char* tail;
  };
  const Case cases[] = {
      {104.4408225, 65.25, 3.5, 290.0, "0.605773E+03 0.667127E+01"},
      {500.0, 800.0, 4.0, 275.0, "0.658566E+03 0.218851E+02"},
  };
  const double g = 9.80665;
  for (const Case& c : cases) {
    fresh_run();
    run->inp.NSOURCES = 1;
    run->vs.VSDS(1) = c.d;
    run->vs.NVS = 1;
    put_hour(*run, 1, 202119612, 1, 3.0, c.fb, c.fm, c.ta, 99.0, 999.0);
    const std::vector<std::string> got = write_emarb(*run, dir);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].substr(40, 12), "0.300000E+01");
    EXPECT_EQ(got[0].substr(53), c.tail);
    // The written pair, read back, reproduces both fluxes to the six digits written.
    const double ts = std::strtod(got[0].substr(53, 12).c_str(), nullptr);
    const double vs = std::strtod(got[0].substr(66, 12).c_str(), nullptr);
    EXPECT_NEAR(g * vs * c.d * c.d * (ts - c.ta) / (4 * ts), c.fb, c.fb * 2e-5);
    EXPECT_NEAR(vs * vs * c.d * c.d * c.ta / (4 * ts), c.fm, c.fm * 2e-5);
  }
}

// No stack of the group's diameter has the hour's fluxes: the hour's own exit
// temperature and velocity.
TEST_F(AermodHourlyFile, UndefinedInverseKeepsTheHoursStack) {
  run->inp.NSOURCES = 2;
  run->vs.VSDS(1) = 0.0;  // zero mean diameter
  run->vs.VSDS(2) = 2.0;
  run->vs.NVS = 2;
  put_hour(*run, 1, 202119612, 1, 5.0, 104.4408225, 65.25, 290.0, 20.5, 1273.15);
  put_hour(*run, 2, 202119613, 2, 5.0, 104.4408225, 0.0, 290.0, 18.25, 1100.0);  // zero momentum flux
  const std::vector<std::string> got = write_emarb(*run, dir);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].substr(28), "SOURCE1     0.500000E+01 0.127315E+04 0.205000E+02");
  EXPECT_EQ(got[3].substr(28), "SOURCE2     0.500000E+01 0.110000E+04 0.182500E+02");
  for (const std::string& r : got) {
    EXPECT_EQ(r.find('*'), std::string::npos) << r;
    EXPECT_EQ(r.find("NaN"), std::string::npos) << r;
  }
}

// Hours of the surface file before the first stored hour come first, one
// zero-rate record per source with the first stored hour's stack.
TEST_F(AermodHourlyFile, LeadingHours) {
  run->inp.NSOURCES = 2;
  run->vs.VSDS(1) = 2.0, run->vs.VSDS(2) = 2.0;
  run->vs.NVS = 2;
  put_hour(*run, 1, 198806102, 2, 7.0, 104.4408225, 65.25, 290.0, 20.5, 1273.15);
  put_hour(*run, 2, 198806103, 1, 8.0, 104.4408225, 65.25, 290.0, 19.0, 1200.0);
  const std::vector<int> lead = {198806100, 198806101};
  const std::vector<std::string> got = write_emarb(*run, dir, lead);
  const std::vector<std::string> expect = {
      "SO HOUREMIS  88   3   1   1 SOURCE1     0.000000E+00 0.127315E+04 0.205000E+02",
      "SO HOUREMIS  88   3   1   1 SOURCE2     0.000000E+00 0.127315E+04 0.205000E+02",
      "SO HOUREMIS  88   3   1   2 SOURCE1     0.000000E+00 0.127315E+04 0.205000E+02",
      "SO HOUREMIS  88   3   1   2 SOURCE2     0.000000E+00 0.127315E+04 0.205000E+02",
      "SO HOUREMIS  88   3   1   3 SOURCE1     0.000000E+00 0.127315E+04 0.205000E+02",
      "SO HOUREMIS  88   3   1   3 SOURCE2     0.700000E+01 0.100000E+04 0.150000E+02",
      "SO HOUREMIS  88   3   1   4 SOURCE1     0.800000E+01 0.100000E+04 0.150000E+02",
      "SO HOUREMIS  88   3   1   4 SOURCE2     0.000000E+00 0.120000E+04 0.190000E+02",
  };
  EXPECT_EQ(got, expect);
}

// From source 10 on the identifier has two digits and the values stay in columns 41 to 78.
TEST_F(AermodHourlyFile, TwoDigitSourcesAndRecordCount) {
  run->inp.NSOURCES = 12;
  for (int j = 1; j <= 12; ++j) run->vs.VSDS(j) = 2.0;
  run->vs.NVS = 3;
  for (int i = 1; i <= 3; ++i) put_hour(*run, i, 202119610 + i, 10 + i - 1, 1.0, 104.4408225, 65.25, 290.0, 2.0, 3.0);
  const std::vector<std::string> got = write_emarb(*run, dir);
  ASSERT_EQ(got.size(), 36u);
  EXPECT_EQ(got[9], "SO HOUREMIS  21   7  15  12 SOURCE10    0.100000E+01 0.100000E+04 0.150000E+02");
  EXPECT_EQ(got[23], "SO HOUREMIS  21   7  15  13 SOURCE12    0.000000E+00 0.300000E+01 0.200000E+01");
  for (const std::string& r : got) EXPECT_EQ(r.size(), 78u);
}

}  // namespace
}  // namespace quelmar::driver

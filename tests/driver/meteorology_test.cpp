// The meteorological file read once per run, end to end: its faults (a line
// that cannot be read, a file that ends before the period) stop the run before
// any model file is opened, with one message in the list file and on standard
// error; and every pass (each AERMOD row, each CALPUFF file) still writes its
// own list-file records, as if it had read the file itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.hpp"

namespace quelmar::test {
namespace {

// One hour of an AERMET surface file of January 2021 (day of the year = day of
// the month), hour 1-24 by its end: 3 m/s from 270 degrees at 10 m, 280 K,
// class E (Monin-Obukhov length 100 m, roughness 0.1 m); a missing hour has 999
// for speed, direction and temperature and -9 for the height.
std::string aermet_hour(int day, int hour, bool missing = false) {
  std::ostringstream s;
  s << "21 1 " << day << " " << day << " " << hour << " -2.7 0.062 -9.000 -9.000 -999. 37. 100.0 0.1 1.50 1.00 "
    << (missing ? "999.0 999.0 -9.0 999.0" : "3.00 270.0 10.0 280.0") << " 10.0 0 -9.00 999. 1003. 4 NAD-OS NoSubs";
  return s.str();
}

// The surface file of hours 1 .. n of 1 January 2021 on (numbered by their end
// from the file's start), `missing` among them.
std::string aermet_file(int n, const std::vector<int>& missing = {}) {
  std::string text = "   40.0000N  80.0000W          UA_ID:    99999  SF_ID:    99999  OS_ID: ON-SITE\n";
  for (int k = 1; k <= n; ++k) {
    const bool miss = std::find(missing.begin(), missing.end(), k) != missing.end();
    text += aermet_hour(1 + (k - 1) / 24, 1 + (k - 1) % 24, miss) + "\n";
  }
  return text;
}

// The sour-gas flare with the meteorology of met.sfc (AERMET) from 1 January
// 2021 00:00 to 2 January 23:00; `extra` comes first, so that its lines win.
std::string control(const std::string& extra) {
  return "QUELMAR 1\n" + extra + "! MMET = 2 !\n! METDAT = met.sfc !\n" + kSteadySourFlare +
         "! YYS = 2021 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n! YYE = 2021 !\n! MME = 1 !\n! DDE = 2 !\n"
         "! HHE = 23 !\n";
}

// The AERMOD path with two step-table rows.
const std::string kAermodTwoRows =
    "! MDSPMOD = 2 !\n! NSOURCES = 2 !\n! MINPUT = 2 !\n! NSEQ = 2 !\n! SEQ = 100, 3600, -1, -1 !\n"
    "! SEQ = 50, 3600, -1, -1 !\n! METDAT2 = met.pfl !\n! RECINC = rec.inc !\n";

// The CALPUFF path with NSEP 24: 24 flare files, the first run of the step
// sequence of file k beginning k-1 hours after the run start. `rows` hourly rows.
std::string calpuff_files(int rows) {
  std::string c = "! MDSPMOD = 1 !\n! SNAME = F1 !\n! PMAP = UTM !\n! UTMHEM = N !\n! IUTMZN = 12 !\n"
                  "! ABTZ = UTC-0700 !\n! DATUM = WGS-84 !\n! NSPEC = 1 !\n! CHEMLST = SO2 !\n! MW = 64.0638 !\n"
                  "! EMIT = 0 !\n! NSEP = 24 !\n! MINPUT = 2 !\n! NSEQ = " +
                  std::to_string(rows) + " !\n";
  for (int i = 0; i < rows; ++i) c += "! SEQ = 100, 3600, -1, -1 !\n";
  return c;
}

// The lines of the vessel example's time-series file (1 to 3 March 2021,
// hourly), without their line ends.
std::vector<std::string> vessel_series() {
  std::vector<std::string> lines = text_lines(read_file(source_path("examples/met/vessel.tsf")));
  for (std::string& l : lines)
    if (!l.empty() && l.back() == '\r') l.pop_back();
  return lines;
}

// The position of the data line that begins at the given date and hour.
std::size_t series_line(const std::vector<std::string>& lines, const std::string& begin) {
  const auto it =
      std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(" " + begin, 0) == 0; });
  EXPECT_NE(it, lines.end()) << begin;
  return static_cast<std::size_t>(it - lines.begin());
}

std::string joined_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

// The time-series runs: the vessel example's period from 1 March 2021 00:00.
std::string series_control(const std::string& extra, int end_day) {
  std::string c = control(extra + "! MMET = 1 !\n! METDAT = met.tsf !\n! YYS = 2021 !\n! MMS = 3 !\n! DDS = 1 !\n"
                                  "! YYE = 2021 !\n! MME = 3 !\n! DDE = " +
                          std::to_string(end_day) + " !\n");
  return c;
}

// ----------------------------------------------------------------------------
// Faults of the file: the run stops before any model file is opened.

TEST(MeteorologyFaults, StopBeforeAnyModelFile) {
  std::vector<std::string> bad_sfc = text_lines(aermet_file(48));
  bad_sfc[19] = "21 1 1 1 19 -2.7 0.062 -9 -9 -999 37 100 0.1 1.5 1.0 3,0O 270 10 280 10";  // "0O" is no number
  std::vector<std::string> short_tsf = vessel_series();
  std::vector<std::string> bad_tsf = vessel_series();
  const std::size_t bad_at = series_line(bad_tsf, "2021 03 02 05 0000");
  bad_tsf[bad_at][54] = 'x';  // the wind speed's field (columns 49-58) reads "3.x.." now
  // Readable integers that name no hour: an AERMET hour that would overflow
  // when turned into the hour that begins then, a time-series begin second
  // beyond its hour.
  std::vector<std::string> hour_sfc = text_lines(aermet_file(48));
  hour_sfc[7] = "21 1 1 1 -2147483648 -2.7 0.062 -9 -9 -999 37 100 0.1 1.5 1.0 3.0 270 10 280 10";
  std::vector<std::string> second_tsf = vessel_series();
  const std::size_t second_at = series_line(second_tsf, "2021 03 01 07 0000");
  second_tsf[second_at].replace(15, 4, "3600");
  struct Case {
    const char* what;
    std::string control;
    std::string file, text;  // the meteorological file's name and text
    std::string message;
  };
  const Case cases[] = {
      {"AERMOD rows, a surface file with a line that is not a record", control(kAermodTwoRows), "met.sfc",
       joined_lines(bad_sfc),
       "***FATAL ERROR*** cannot read line 20 of the meteorological file met.sfc: " + bad_sfc[19]},
      // 30 hours: the last one, numbered 6 by its end, is 2 January 05:00-06:00.
      {"24 CALPUFF files, a surface file that ends on the second day", control(calpuff_files(2)), "met.sfc",
       aermet_file(30),
       "***FATAL ERROR*** the meteorological file met.sfc ends before the period: its last hour is 2021-01-02 05, "
       "the period's last hour is 2021-01-02 23"},
      // The last record runs from 3 March 23:00 to 4 March 00:00.
      {"AERMOD rows, a time series that ends before the period", series_control(kAermodTwoRows, 5), "met.tsf",
       joined_lines(short_tsf),
       "***FATAL ERROR*** the meteorological file met.tsf ends before the period: its last hour is 2021-03-03 23, "
       "the period's last hour is 2021-03-05 23"},
      {"24 CALPUFF files, a time series with a value that is not a number", series_control(calpuff_files(2), 3),
       "met.tsf", joined_lines(bad_tsf),
       "***FATAL ERROR*** cannot read line " + std::to_string(bad_at + 1) +
           " of the meteorological file met.tsf: " + bad_tsf[bad_at]},
      {"AERMOD rows, a surface record of hour -2147483648", control(kAermodTwoRows), "met.sfc",
       joined_lines(hour_sfc), "***FATAL ERROR*** cannot read line 8 of the meteorological file met.sfc: " + hour_sfc[7]},
      {"24 CALPUFF files, a time-series record that begins at second 3600", series_control(calpuff_files(2), 3),
       "met.tsf", joined_lines(second_tsf),
       "***FATAL ERROR*** cannot read line " + std::to_string(second_at + 1) +
           " of the meteorological file met.tsf: " + second_tsf[second_at]},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    write_file(dir.file(c.file), c.text);
    write_file(dir.file("run.inp"), c.control);
    const ProcessResult r = run_quelmar(dir.path(), "run.inp");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.message + "\n");
    EXPECT_EQ(r.out, "Control file:[run.inp]\n\n");  // not a single step was taken
    // The list file ends with the message (a free-format record, in pieces).
    const auto recs = file_records(dir.file("run.lst"));
    const auto first = std::find_if(recs.begin(), recs.end(),
                                    [](const std::string& s) { return s.rfind(" ***FATAL ERROR***", 0) == 0; });
    ASSERT_NE(first, recs.end());
    EXPECT_EQ(joined(std::vector<std::string>(first, recs.end())), c.message);
    // No model file, nor a part of one.
    EXPECT_EQ(folder_names(dir), (std::vector<std::string>{c.file, "run.inp", "run.lst"}));
  }
}

// A meteorological file that cannot be opened, or that begins after the
// period's start: the run stops before any model file, with the reason on the
// console, in the list file and on standard error; for the late beginning
// after the reader's own records of a request before its file.
TEST(MeteorologyFaults, AFileThatIsMissingOrBeginsAfterThePeriod) {
  // The reader's records of a request before its file, and the stop's message.
  auto late = [](const std::string& kind, const std::string& request, const std::string& begin) {
    return std::vector<std::string>{"ERROR- beginning date/time requested is earlier", "than data in " + kind,
                                    "date requested =    " + request + "           0",
                                    "beginning date in file =    " + begin + "           0"};
  };
  auto begins_after = [](const std::string& file, const std::string& first, const std::string& period) {
    return "***FATAL ERROR*** the meteorological file " + file + " begins after the period's start: its first hour is " +
           first + ", the period's first hour is " + period;
  };
  std::vector<std::string> late_sfc = text_lines(aermet_file(49));
  late_sfc.erase(late_sfc.begin() + 1);  // the first hour is 1 January 01:00
  const std::string late_sfc_message = begins_after("met.sfc", "2021-01-01 01", "2021-01-01 00");
  const std::vector<std::string> late_sfc_records = late("AERMET TIME SERIES file", "202100100", "202100101");
  // The vessel series begins on 1 March 2021 00:00; the period on 28 February 23:00.
  std::string early = series_control(kAermodTwoRows, 3);
  early.insert(early.find("! MMET = 1 !"), "! MMS = 2 !\n! DDS = 28 !\n! HHS = 23 !\n");
  std::string early_calpuff = series_control(calpuff_files(2), 3);
  early_calpuff.insert(early_calpuff.find("! MMET = 1 !"), "! MMS = 2 !\n! DDS = 28 !\n! HHS = 23 !\n");
  const std::string late_tsf_message = begins_after("met.tsf", "2021-03-01 00", "2021-02-28 23");
  const std::vector<std::string> late_tsf_records = late("CALPOST TIME SERIES file", "202105923", "202106000");
  const std::string missing = "***FATAL ERROR*** cannot open meteorological file met.sfc: No such file or directory";
  struct Case {
    const char* what;
    std::string control;
    std::string file, text;  // the meteorological file, none when the name is empty
    std::vector<std::string> records;  // the reader's records (console, list file, standard error)
    std::string message;               // the stop's own text (list file, standard error)
  };
  const Case cases[] = {
      {"AERMOD rows, no surface file", control(kAermodTwoRows), "", "", {missing}, ""},
      {"24 CALPUFF files, no surface file", control(calpuff_files(2)), "", "", {missing}, ""},
      {"AERMOD rows, a surface file from 01:00", control(kAermodTwoRows), "met.sfc", joined_lines(late_sfc),
       late_sfc_records, late_sfc_message},
      {"24 CALPUFF files, a surface file from 01:00", control(calpuff_files(2)), "met.sfc", joined_lines(late_sfc),
       late_sfc_records, late_sfc_message},
      {"AERMOD rows, a time series from 1 March", early, "met.tsf", joined_lines(vessel_series()), late_tsf_records,
       late_tsf_message},
      {"24 CALPUFF files, a time series from 1 March", early_calpuff, "met.tsf", joined_lines(vessel_series()),
       late_tsf_records, late_tsf_message},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    if (!c.file.empty()) write_file(dir.file(c.file), c.text);
    write_file(dir.file("run.inp"), c.control);
    const ProcessResult r = run_quelmar(dir.path(), "run.inp");
    EXPECT_EQ(r.status, 1);
    std::string err;
    for (const std::string& l : c.records) err += l + "\n";
    if (!c.message.empty()) err += c.message + "\n";
    EXPECT_EQ(r.err, err);
    // The console shows the reader's records (a long one in pieces).
    const std::vector<std::string> console = text_lines(r.out);
    ASSERT_GE(console.size(), 2u);
    EXPECT_EQ(joined(std::vector<std::string>(console.begin() + 2, console.end()), 0), joined(c.records, 0));
    // The list file ends with the records and the message.
    const auto recs = file_records(dir.file("run.lst"));
    const auto first = std::find_if(recs.begin(), recs.end(), [&](const std::string& s) {
      return s.rfind(" " + c.records[0].substr(0, 20), 0) == 0;
    });
    ASSERT_NE(first, recs.end());
    EXPECT_EQ(joined(std::vector<std::string>(first, recs.end())), joined(c.records, 0) + c.message);
    std::vector<std::string> left = {"run.inp", "run.lst"};
    if (!c.file.empty()) left.insert(left.begin(), c.file);
    EXPECT_EQ(folder_names(dir), left);
  }
}

// The non-sequential AERMET mode takes the file's records as its hours: a file
// shorter than the period is no fault there. The CALPUFF loop keeps its clock
// to the period's end and takes the hours after the file's last record as
// missing: 48 hourly steps, 30 of them with a record.
TEST(MeteorologyFaults, NonSequentialModeTakesTheFileAsItIs) {
  TempDir dir;
  write_file(dir.file("met.sfc"), aermet_file(30));
  write_file(dir.file("run.inp"), control("! MNONSEQ = 1 !\n! MDSPMOD = 1 !\n! SNAME = F1 !\n! PMAP = UTM !\n"
                                          "! UTMHEM = N !\n! IUTMZN = 12 !\n! ABTZ = UTC-0700 !\n"
                                          "! DATUM = WGS-84 !\n! NSPEC = 1 !\n! CHEMLST = SO2 !\n! MW = 64.0638 !\n"
                                          "! EMIT = 0 !\n"));
  const ProcessResult r = run_quelmar(dir.path(), "run.inp");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir.file("out_01.dat")));
  EXPECT_EQ(starting_with(file_records(dir.file("run.lst")), " WARNING: meteorology"),
            std::vector<std::string>{" WARNING: meteorology missing in          18 hours; the last valid hour was used"});
}

// ----------------------------------------------------------------------------
// Every pass writes its own records, from the one reading of the file.

// The anemometer record of a header call (free format: the text, then the
// height in fixed notation with 15 significant digits right-justified in 19
// columns and 5 blanks), and the missing-hour warning that ends a pass (the
// count right-justified in 12 columns).
const std::string kAnemometer = " AERMET anemometer height set to(m):   10.0000000000000     ";
std::string missing_hours(int n) {
  char count[16];
  std::snprintf(count, sizeof count, "%12d", n);
  return std::string(" WARNING: meteorology missing in") + count + " hours; the last valid hour was used";
}

// The records of the passes in the list file, in their order.
std::vector<std::string> pass_records(const std::string& lst) {
  std::vector<std::string> out;
  for (const std::string& r : file_records(lst))
    if (r.rfind(" AERMET", 0) == 0 || r.rfind(" WARNING: meteorology", 0) == 0) out.push_back(r);
  return out;
}

TEST(MeteorologyReplay, EveryAermodRowWritesItsRecords) {
  // Hours 11 (1 January 10:00) and 30 (2 January 05:00) are missing: each row's
  // pass over the 48 hours of the period meets both.
  TempDir dir;
  write_file(dir.file("met.sfc"), aermet_file(48, {11, 30}));
  write_file(dir.file("run.inp"), control(kAermodTwoRows));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  EXPECT_EQ(pass_records(dir.file("run.lst")),
            (std::vector<std::string>{kAnemometer, missing_hours(2), kAnemometer, missing_hours(2)}));
  for (const char* f : {"out_mod_01.inx", "out_mod_01.dat", "out_mod_02.inx", "out_mod_02.dat"})
    EXPECT_TRUE(fs::exists(dir.file(f))) << f;
}

TEST(MeteorologyReplay, EveryCalpuffFileWritesItsRecords) {
  // 24 hourly rows, NSEP 24: file k runs a gap from 00:00 to (k-1):00, then a
  // row in every hour to the period's end (a sequence of 24 hours starts again
  // at once). The missing 1 January 10:00 is a step of files 1 to 11 only
  // (files 12 to 24 are in their first gap then); the missing 2 January 05:00
  // is a step of every file.
  TempDir dir;
  write_file(dir.file("met.sfc"), aermet_file(48, {11, 30}));
  write_file(dir.file("run.inp"), control(calpuff_files(24)));
  ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
  std::vector<std::string> want;
  for (int k = 1; k <= 24; ++k) {
    want.push_back(kAnemometer);
    want.push_back(missing_hours(k <= 11 ? 2 : 1));
  }
  EXPECT_EQ(pass_records(dir.file("run.lst")), want);
  EXPECT_TRUE(fs::exists(dir.file("out_24.dat")));
}

}  // namespace
}  // namespace quelmar::test

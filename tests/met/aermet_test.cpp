// AERMET surface-file reader: records, year and hour rules, stability class,
// the file window, sequential and non-sequential get calls, failures, and whole
// passes over the real sample files.
//
// Stability thresholds (python3, math.log), z = Z0 limited to 0.01..0.5:
//   unstable (M = -L): A if M <= -70/(ln z - 4.35); B if M <= -85.2/(ln z - 0.502);
//                      C if M <= -245/(ln z - 0.05); else D
//   stable (L >= 0):   D if L >= -327/(ln z - 0.627); E if L >= -70/(ln z - 0.295); else F
//   z = 0.1 : 10.5222  30.3788 104.1408 | 111.6199 26.9481
//   z = 0.5 : 13.8802  71.2883 329.6790 | 247.6997 70.8396
//   z = 0.01:  7.8167  16.6824  52.6297 |  62.4980 14.2852
//   z = 0.3 : 12.6036  49.9422 195.3790 | 178.5936 46.6986
//   z = 0.15: 11.2052  35.5130 125.8269 | 129.5501 31.9326
//   unclamped z = 2: A limit 19.1421; z = 0.001: A limit 6.2179, B limit 11.4984
#include "met/aermet.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/dates.hpp"
#include "io/stop.hpp"
#include "test_util.hpp"

namespace quelmar::met {
namespace {

using test::joined;
using test::ListedRun;
using test::MetReading;
using test::shown;
using test::write_records;
namespace fs = std::filesystem;

const std::string kHeader = "   40.0000N  80.0000W          UA_ID:    99999  SF_ID:    99999  OS_ID: ON-SITE";

// One AERMET record: the 20 values the reader takes, then five more numbers and
// two text tokens as in real files. Values 6-11, 14, 15, 20 are fillers.
std::string record(int yr, int mo, int dy, int jday, int hr, const std::string& mol, const std::string& z0,
                   const std::string& ws, const std::string& wd, const std::string& zref, const std::string& t) {
  return std::to_string(yr) + " " + std::to_string(mo) + " " + std::to_string(dy) + " " + std::to_string(jday) + " " +
         std::to_string(hr) + "  -2.7 0.062 -9.000 -9.000 -999. 37. " + mol + " " + z0 + " 1.50 1.00 " + ws + " " + wd +
         " " + zref + " " + t + " 10.0  0 -9.00 999. 1003. 4 NAD-OS NoSubs";
}

// ----------------------------------------------------------------------------
// Stability class.

TEST(Ltopg, ThresholdsOfTheClasses) {
  struct Case {
    double xmol, z0;
    int ipg;
  };
  const Case cases[] = {
      {-5, 0.1, 1},
      {-20, 0.1, 2},
      {-100, 0.1, 3},
      {-200, 0.1, 4},
      {30, 0.1, 5},
      {200, 0.1, 4},
      {10, 0.1, 6},
      {0, 0.1, 6},
      {-10.5, 0.1, 1},
      {-10.6, 0.1, 2},
      {111.7, 0.1, 4},
      {111.5, 0.1, 5},
      {26.9, 0.1, 6},
      {27.0, 0.1, 5},
      // Z0 = 2 is taken as 0.5 (A limit 13.88, not 19.14), Z0 = 0.001 as 0.01
      // (A limit 7.82, not 6.22).
      {-15, 2.0, 2},
      {-13, 2.0, 1},
      {-7, 0.001, 1},
      {-8, 0.001, 2},
      {60, 0.001, 5},
      {63, 0.001, 4},
      {-99999, 0.15, 4},
      {54.1, 0.15, 5},
      {7.9, 0.75, 6},
      {-3249.5, 0.75, 4},
  };
  for (const Case& c : cases) {
    int ipg = 0;
    LTOPG(ipg, c.xmol, c.z0);
    EXPECT_EQ(ipg, c.ipg) << "L=" << c.xmol << " z0=" << c.z0;
  }
}

// ----------------------------------------------------------------------------
// Records and the header call.

TEST(AermetHeader, FirstRecordSetsTheWindow) {
  struct Case {
    int mnonseq;
    int end;
  };
  // 2023 day 1 hour 0 plus 5 (or 7000) years, less one hour.
  const Case cases[] = {{0, 202736523}, {1, 902236523}, {2, 202736523}};
  for (const Case& c : cases) {
    ListedRun h;
    const std::string f = write_records(
        h.dir.file("first.sfc"), {kHeader, record(23, 1, 1, 1, 1, "-5.0", "0.1", "2.5", "270.0", "10.0", "280.5")});
    MetReading r;
    METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, c.mnonseq);
    const run::MOD_MET& m = h.run->met;
    EXPECT_EQ(m.REC_BEGIN_DATEHR, 202300100);
    EXPECT_EQ(m.REC_END_DATEHR, 202300100);
    EXPECT_EQ(m.REC_BEGIN_SEC, 0);
    EXPECT_EQ(m.REC_END_SEC, 3599);
    EXPECT_EQ(m.FILE_BEGIN_DATEHR, 202300100);
    EXPECT_EQ(m.FILE_BEGIN_SEC, 0);
    EXPECT_EQ(m.FILE_END_DATEHR, c.end) << c.mnonseq;
    EXPECT_EQ(m.FILE_END_SEC, 3599);
    EXPECT_EQ(r.ws, 2.5);
    EXPECT_EQ(r.wd, 270.0);
    EXPECT_EQ(r.temp, 280.5);
    EXPECT_EQ(r.ipg, 1);
    EXPECT_EQ(m.ANEM_HT, 10.0);
    EXPECT_EQ(m.WDIR_HT, -1.0);
    EXPECT_EQ(h.list_records(),
              std::vector<std::string>{" AERMET anemometer height set to(m):   10.0000000000000     "});
    EXPECT_TRUE(h.out.str().empty());
  }
}

TEST(AermetRecord, YearRuleAndHourByItsEnd) {
  struct Case {
    int yr, jday, hr;
    int code;
  };
  const Case cases[] = {
      {49, 1, 1, 204900100},      {50, 1, 1, 195000100},   {99, 365, 24, 199936523},
      {0, 10, 12, 200001011},     {1999, 1, 1, 199900100}, {100, 5, 2, 10000501},
      {2024, 366, 24, 202436623}, {23, 31, 24, 202303123},  // hour 24 of day 31 is hour 23 of day 31
  };
  for (const Case& c : cases) {
    ListedRun h;
    const std::string f = write_records(
        h.dir.file("year.sfc"), {kHeader, record(c.yr, 1, 1, c.jday, c.hr, "10", "0.1", "1", "2", "10", "280")});
    MetReading r;
    METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
    EXPECT_EQ(h.run->met.REC_BEGIN_DATEHR, c.code) << c.yr << " " << c.jday << " " << c.hr;
  }
}

TEST(AermetRecord, RecordMayContinueOnTheNextLineAndExtraValuesAreSkipped) {
  ListedRun h;
  // The first record breaks after its 10th value; the second holds 27 items.
  const std::string f =
      write_records(h.dir.file("split.sfc"), {kHeader, "23 1 1 1 1  -2.7 0.062 -9.000 -9.000 -999.",
                                              " 37. 30.0 0.1 1.50 1.00 3.25 90.0 6.1 271.0 10.0",
                                              record(23, 1, 1, 1, 2, "-20", "0.1", "4.5", "180.0", "10.0", "272.0")});
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
  EXPECT_EQ(r.ws, 3.25);
  EXPECT_EQ(r.wd, 90.0);
  EXPECT_EQ(r.temp, 271.0);
  EXPECT_EQ(r.ipg, 5);
  EXPECT_EQ(h.run->met.ANEM_HT, 6.1);
  int ieof = -1;
  RDMET_AERMET(*h.run, 22, 20, r.ws, r.wd, r.temp, r.ipg, ieof);
  EXPECT_EQ(ieof, 0);
  EXPECT_EQ(h.run->met.REC_BEGIN_DATEHR, 202300101);
  EXPECT_EQ(r.ws, 4.5);
  EXPECT_EQ(r.ipg, 2);
  EXPECT_EQ(h.run->met.ANEM_HT, 10.0);
  RDMET_AERMET(*h.run, 22, 20, r.ws, r.wd, r.temp, r.ipg, ieof);
  EXPECT_EQ(ieof, 1);
}

// A record that cannot be read stops the run when the file is read (by the
// first header call), naming its line (the header is line 1) and the line's
// text without trailing blanks, at most 80 characters of it. Nothing is
// written by the reader: the stop text goes to the list file and standard
// error at the end of the run.
TEST(AermetRecord, UnreadableRecordStopsWhenTheFileIsRead) {
  const std::string good1 = record(23, 1, 1, 1, 1, "10", "0.1", "1.5", "2", "10", "280");
  const std::string good3 = record(23, 1, 1, 1, 3, "10", "0.1", "1.5", "2", "10", "280");
  const std::string bad = record(23, 1, 1, 1, 2, "10", "0.1", "x1.5", "2", "10", "281");
  const std::string part1 = "23 1 1 1 2  -2.7 0.062 -9.000 -9.000 -999.   ";  // ten values, trailing blanks
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    int line;
    std::string text;  // the line as the message shows it
  };
  const Case cases[] = {
      {"a value that is not a number", {kHeader, good1, bad, good3}, 3, bad.substr(0, 80)},
      {"the first record", {kHeader, bad, good3}, 2, bad.substr(0, 80)},
      {"a record cut short by the end", {kHeader, good1, part1}, 3, "23 1 1 1 2  -2.7 0.062 -9.000 -9.000 -999."},
      {"a record cut short before blank lines", {kHeader, good1, part1, "", "  "}, 3,
       "23 1 1 1 2  -2.7 0.062 -9.000 -9.000 -999."},
      {"the bad value on the record's second line",
       {kHeader, good1, part1, " 37. 30.0 0.1 1.50 1.00 3.x5 90.0 6.1 271.0 10.0", good3}, 4,
       " 37. 30.0 0.1 1.50 1.00 3.x5 90.0 6.1 271.0 10.0"},
      {"a line of text", {kHeader, good1, "   ", "no data here   ", good3}, 4, "no data here"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListedRun h;
    const std::string f = write_records(h.dir.file("bad.sfc"), c.lines);
    MetReading r;
    try {
      METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "***FATAL ERROR*** cannot read line " + std::to_string(c.line) +
                            " of the meteorological file " + f + ": " + c.text);
    }
    EXPECT_TRUE(h.list_records().empty());
    EXPECT_TRUE(h.out.str().empty());
    EXPECT_FALSE(h.run->units.is_open(22));
  }
}

// Blank lines after the last record end the file like its end; a record that
// ends with a slash leaves the values after it at 0, as it always has.
TEST(AermetRecord, TrailingBlankLinesAndSlashEndTheirRecords) {
  ListedRun h;
  const std::string f =
      write_records(h.dir.file("end.sfc"), {kHeader, record(23, 1, 1, 1, 1, "10", "0.1", "1.5", "2", "10", "280"),
                                            "23 1 1 1 2 /", "", "   "});
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
  int ieof = -1;
  RDMET_AERMET(*h.run, 22, 20, r.ws, r.wd, r.temp, r.ipg, ieof);
  EXPECT_EQ(ieof, 0);
  EXPECT_EQ(h.run->met.REC_BEGIN_DATEHR, 202300101);
  EXPECT_EQ(r.ws, 0.0);
  EXPECT_EQ(r.temp, 0.0);
  RDMET_AERMET(*h.run, 22, 20, r.ws, r.wd, r.temp, r.ipg, ieof);
  EXPECT_EQ(ieof, 1);
  EXPECT_EQ(r.ws, 9999.0);
}

TEST(AermetHeader, LongHeaderLineIsFine) {
  ListedRun h;
  const std::string f =
      write_records(h.dir.file("long.sfc"),
                    {kHeader + std::string(300, 'x'), record(90, 1, 1, 1, 1, "10", "0.1", "1", "2", "10", "280")});
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
  EXPECT_EQ(h.run->met.REC_BEGIN_DATEHR, 199000100);
}

// ----------------------------------------------------------------------------
// Failures of the header call.

// A file that is not there, or a folder: the name and the system's reason in
// the list file and on the console (in pieces where it is longer than a
// record) and on standard error (in one line).
TEST(AermetHeader, FileThatCannotBeOpenedStopsWithItsNameAndReason) {
  for (const auto& [name, reason] : {std::pair<std::string, std::string>{"missing.sfc", "No such file or directory"},
                                     {"folder.sfc", "Is a directory"}}) {
    ListedRun h;
    fs::create_directory(h.dir.path() / "folder.sfc");
    const std::string f = h.dir.file(name);
    MetReading r;
    try {
      METHDR_AERMET(*h.run, 22, 20, f + "   ", r.ws, r.wd, r.temp, r.ipg, 0);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "");
    }
    // The name is written without its trailing blanks.
    const std::string want = "***FATAL ERROR*** cannot open meteorological file " + f + ": " + reason;
    EXPECT_EQ(joined(h.list_records()), want);
    EXPECT_EQ(joined(h.console_lines(), 0), want);
    EXPECT_EQ(h.err.str(), want + "\n");
    EXPECT_EQ(h.run->met.ANEM_HT, -1.0);
  }
}

TEST(AermetHeader, FileWithoutDataRecordsStops) {
  const std::vector<std::vector<std::string>> files = {{kHeader}, {}, {kHeader, "", "  "}};
  for (const auto& lines : files) {
    ListedRun h;
    const std::string f = write_records(h.dir.file("empty.sfc"), lines);
    MetReading r;
    EXPECT_THROW(METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0), io::Stop);
    EXPECT_EQ(joined(h.list_records()), "no data records in meteorological file " + f);
    EXPECT_EQ(joined(h.console_lines(), 0), "no data records in meteorological file " + f);
    EXPECT_EQ(r.temp, 0.0);  // the first-record temperature starts at 0
  }
}

// ----------------------------------------------------------------------------
// Sequential get calls.

// Hours 1, 2, 3 and 6 of 1 January 2023 (file hours 0, 1, 2 and 5), in the run's folder.
std::string four_hours(const ListedRun& h) {
  return write_records(h.dir.file("four.sfc"), {kHeader, record(23, 1, 1, 1, 1, "-5", "0.1", "1.0", "10", "10", "281"),
                                                record(23, 1, 1, 1, 2, "-20", "0.1", "2.0", "20", "10", "282"),
                                                record(23, 1, 1, 1, 3, "-100", "0.1", "3.0", "30", "10", "283"),
                                                record(23, 1, 1, 1, 6, "30", "0.1", "6.0", "60", "10", "286")});
}

TEST(AermetGet, RequestsInAscendingOrder) {
  ListedRun h;
  const std::string f = four_hours(h);
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
  // Two requests in the first hour read nothing: the caller's values stand.
  MetReading mine{-1, -2, -3, -4};
  int date = 202300100;
  METGET_AERMET(*h.run, 22, 20, date, 0, mine.ws, mine.wd, mine.temp, mine.ipg, 0);
  METGET_AERMET(*h.run, 22, 20, date, 1800, mine.ws, mine.wd, mine.temp, mine.ipg, 0);
  EXPECT_EQ(mine.ws, -1);
  EXPECT_EQ(mine.wd, -2);
  EXPECT_EQ(mine.temp, -3);
  EXPECT_EQ(mine.ipg, -4);
  EXPECT_EQ(date, 202300100);
  date = 202300101;
  METGET_AERMET(*h.run, 22, 20, date, 0, mine.ws, mine.wd, mine.temp, mine.ipg, 0);
  EXPECT_EQ(mine.ws, 2.0);
  EXPECT_EQ(mine.wd, 20.0);
  EXPECT_EQ(mine.temp, 282.0);
  EXPECT_EQ(mine.ipg, 2);
  date = 202300102;
  METGET_AERMET(*h.run, 22, 20, date, 2000, mine.ws, mine.wd, mine.temp, mine.ipg, 0);
  EXPECT_EQ(mine.ws, 3.0);
  EXPECT_EQ(mine.ipg, 3);
  EXPECT_EQ(h.list_records().size(), 1u);  // the anemometer record only
}

TEST(AermetGet, LastSecondOfTheHourReadsAheadAndStops) {
  ListedRun h;
  const std::string f = four_hours(h);
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
  int date = 202300100;
  EXPECT_THROW(METGET_AERMET(*h.run, 22, 20, date, 3599, r.ws, r.wd, r.temp, r.ipg, 0), io::Stop);
  const std::vector<std::string> want = {" ***ERROR***- bad read sequence",
                                         " date requested =    202300100        3599",
                                         " beginning date in file =    202300100           0",
                                         " end date in file =    202736523        3599",
                                         " beginning date read =    202300101           0",
                                         " end date read =    202300101        3599"};
  auto recs = h.list_records();
  ASSERT_EQ(recs.size(), 7u);
  recs.erase(recs.begin());  // the anemometer record of the header call
  EXPECT_EQ(recs, want);
  EXPECT_EQ(h.console_lines(), shown(want));
}

TEST(AermetGet, GapInTheFileStops) {
  ListedRun h;
  const std::string f = four_hours(h);
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
  for (int date : {202300101, 202300102}) METGET_AERMET(*h.run, 22, 20, date, 0, r.ws, r.wd, r.temp, r.ipg, 0);
  int date = 202300103;  // file hour 3 is missing; the next record is hour 5
  EXPECT_THROW(METGET_AERMET(*h.run, 22, 20, date, 0, r.ws, r.wd, r.temp, r.ipg, 0), io::Stop);
  const auto recs = h.list_records();
  ASSERT_EQ(recs.size(), 7u);
  EXPECT_EQ(recs[1], " ***ERROR***- bad read sequence");
  EXPECT_EQ(recs[5], " beginning date read =    202300105           0");
}

TEST(AermetGet, AfterTheLastRecordWindAndDirectionAre9999) {
  ListedRun h;
  const std::string f = four_hours(h);
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
  for (int date : {202300101, 202300102}) METGET_AERMET(*h.run, 22, 20, date, 0, r.ws, r.wd, r.temp, r.ipg, 0);
  // Move past the gap by reading hour 5 from the request at hour 5.
  int date = 202300105;
  METGET_AERMET(*h.run, 22, 20, date, 0, r.ws, r.wd, r.temp, r.ipg, 0);
  EXPECT_EQ(r.ws, 6.0);
  EXPECT_EQ(r.ipg, 5);
  for (int d : {202300106, 202300107, 202400100}) {
    r.temp = 123.0;
    r.ipg = 3;
    METGET_AERMET(*h.run, 22, 20, d, 0, r.ws, r.wd, r.temp, r.ipg, 0);
    EXPECT_EQ(r.ws, 9999.0) << d;
    EXPECT_EQ(r.wd, 9999.0) << d;
    EXPECT_EQ(r.temp, 123.0) << d;
    EXPECT_EQ(r.ipg, 3) << d;
  }
  EXPECT_EQ(h.list_records().size(), 1u);
  EXPECT_TRUE(h.out.str().empty());
}

TEST(AermetGet, RequestsOutsideTheWindowStop) {
  struct Case {
    int date, sec;
    const char* first;
  };
  const Case cases[] = {{202236523, 3599, " ERROR- beginning date/time requested is earlier"},
                        {202800100, 0, " ERROR- end date/time requested is later"}};
  for (const Case& c : cases) {
    ListedRun h;
    const std::string f = four_hours(h);
    MetReading r;
    METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
    int date = c.date;
    EXPECT_THROW(METGET_AERMET(*h.run, 22, 20, date, c.sec, r.ws, r.wd, r.temp, r.ipg, 0), io::Stop);
    const auto recs = h.list_records();
    ASSERT_EQ(recs.size(), 5u);
    EXPECT_EQ(recs[1], c.first);
    EXPECT_EQ(recs[2], " than data in AERMET TIME SERIES file");
  }
}

// ----------------------------------------------------------------------------
// Non-sequential mode: records in file order, whatever their dates.

TEST(AermetGet, NonSequentialHandsOutRecordsInFileOrder) {
  ListedRun h;
  const std::string f =
      write_records(h.dir.file("nonseq.sfc"), {kHeader, record(88, 4, 9, 100, 5, "10", "0.1", "1", "10", "10", "281"),
                                               record(88, 1, 10, 10, 1, "10", "0.1", "2", "20", "10", "282"),
                                               record(90, 1, 1, 1, 24, "10", "0.1", "3", "30", "10", "283")});
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 1);
  const run::MOD_MET& m = h.run->met;
  EXPECT_EQ(m.FILE_BEGIN_DATEHR, 198810004);
  EXPECT_EQ(m.FILE_END_DATEHR, 898810003);  // 1988 + 7000, less one hour

  // The request equal to the current record's date-hour reads nothing.
  int date = 198810004;
  MetReading mine{-1, -1, -1, -1};
  METGET_AERMET(*h.run, 22, 20, date, 0, mine.ws, mine.wd, mine.temp, mine.ipg, 1);
  EXPECT_EQ(date, 198810004);
  EXPECT_EQ(mine.ws, -1);

  struct Step {
    int request, returned;
    double ws;
  };
  const Step steps[] = {{198810005, 198801000, 2}, {198801001, 199000123, 3}};
  for (const Step& s : steps) {
    date = s.request;
    METGET_AERMET(*h.run, 22, 20, date, 0, mine.ws, mine.wd, mine.temp, mine.ipg, 1);
    EXPECT_EQ(date, s.returned);
    EXPECT_EQ(mine.ws, s.ws);
    EXPECT_EQ(m.FILE_BEGIN_DATEHR, 198810004);  // the window stands until the end
  }
  // The end of the file: 9999, the last record's date-hour, a collapsed window.
  mine.temp = 77;
  date = 199000200;
  METGET_AERMET(*h.run, 22, 20, date, 0, mine.ws, mine.wd, mine.temp, mine.ipg, 1);
  EXPECT_EQ(date, 199000123);
  EXPECT_EQ(mine.ws, 9999.0);
  EXPECT_EQ(mine.wd, 9999.0);
  EXPECT_EQ(mine.temp, 77);
  EXPECT_EQ(m.FILE_BEGIN_DATEHR, 199000123);
  EXPECT_EQ(m.FILE_END_DATEHR, 199000123);
  EXPECT_EQ(m.FILE_BEGIN_SEC, 3600);
  EXPECT_EQ(m.FILE_END_SEC, 3600);
  // Asked again for that date-hour, the reader reads nothing.
  mine.ws = 5;
  METGET_AERMET(*h.run, 22, 20, date, 0, mine.ws, mine.wd, mine.temp, mine.ipg, 1);
  EXPECT_EQ(mine.ws, 5);
  EXPECT_EQ(h.list_records().size(), 1u);
}

// Every pass starts from the first record and writes its anemometer record
// again, from the one reading of the file: a file removed after the first
// header call still serves the second pass, and the file is not left open.
TEST(AermetHeader, EveryPassStartsFromTheTopOfTheOneReading) {
  ListedRun h;
  const std::string f = four_hours(h);
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
  EXPECT_FALSE(h.run->units.is_open(22));
  int date = 202300102;
  METGET_AERMET(*h.run, 22, 20, date, 0, r.ws, r.wd, r.temp, r.ipg, 0);
  EXPECT_EQ(r.ws, 3.0);
  fs::remove(f);
  h.run->met.ANEM_HT = 99;
  METHDR_AERMET(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg, 0);
  EXPECT_EQ(r.ws, 1.0);
  EXPECT_EQ(h.run->met.REC_BEGIN_DATEHR, 202300100);
  EXPECT_EQ(h.run->met.ANEM_HT, 10.0);
  for (int d : {202300101, 202300102, 202300105, 202300106}) {
    date = d;
    METGET_AERMET(*h.run, 22, 20, date, 0, r.ws, r.wd, r.temp, r.ipg, 0);
  }
  EXPECT_EQ(r.ws, 9999.0);  // past the last record, as in the first pass
  const std::string anemometer = " AERMET anemometer height set to(m):   10.0000000000000     ";
  EXPECT_EQ(h.list_records(), (std::vector<std::string>{anemometer, anemometer}));
}

// ----------------------------------------------------------------------------
// Whole passes over the real files. Expectations are taken from the file text
// (columns 16-19 of each record, and the README's counts).

struct Pass {
  int hours = 0, covered = 0, calm = 0, ws999 = 0, t999 = 0, zref_not_61 = 0;
  double ws_sum = 0, t_sum = 0;
  std::vector<MetReading> values;
  std::vector<double> zref;
};

// Requests every hour from the first record's hour, n hours in all, and keeps
// what the reader returns.
Pass whole_pass(ListedRun& h, const std::string& file, int n) {
  Pass p;
  MetReading r;
  METHDR_AERMET(*h.run, 22, 20, file, r.ws, r.wd, r.temp, r.ipg, 0);
  int iyr = 0, ijul = 0, ihr = 0;
  common::DEDAT(h.run->met.REC_BEGIN_DATEHR, iyr, ijul, ihr);
  for (int k = 0; k < n; ++k) {
    int date = 0;
    common::MKDAT(iyr, ijul, ihr, date);
    METGET_AERMET(*h.run, 22, 20, date, 0, r.ws, r.wd, r.temp, r.ipg, 0);
    ++p.hours;
    if (h.run->met.REC_BEGIN_DATEHR == date) ++p.covered;
    if (r.ws == 0.0) ++p.calm;
    if (r.ws == 999.0) ++p.ws999;
    if (r.temp == 999.0) ++p.t999;
    p.ws_sum += r.ws;
    p.t_sum += r.temp;
    p.values.push_back(r);
    p.zref.push_back(h.run->met.ANEM_HT);
    common::INCR(h.run->units, 20, iyr, ijul, ihr, 1);
  }
  return p;
}

TEST(AermetFiles, Aermet2WholePass) {
  ListedRun h;
  const Pass p = whole_pass(h, test::source_path("tests/data/met/AERMET2.SFC"), 96);
  EXPECT_EQ(h.run->met.FILE_BEGIN_DATEHR, 198806100);  // 1988-03-01 hour 1 -> day 61 hour 0
  EXPECT_EQ(h.run->met.FILE_END_DATEHR, 199306023);
  EXPECT_EQ(p.covered, 96);
  // First record: 0.80 m/s from 317.5, 10.0 m, 273.8 K, L = 7.9 with z0 0.75 -> F.
  EXPECT_EQ(p.values.front().ws, 0.80);
  EXPECT_EQ(p.values.front().wd, 317.5);
  EXPECT_EQ(p.values.front().temp, 273.8);
  EXPECT_EQ(p.values.front().ipg, 6);
  // 1988-03-01 hour 11: L = -3249.5 -> D, reference height 6.1 m (the only one).
  EXPECT_EQ(p.values[10].ws, 7.70);
  EXPECT_EQ(p.values[10].ipg, 4);
  EXPECT_EQ(p.zref[10], 6.1);
  EXPECT_EQ(std::count(p.zref.begin(), p.zref.end(), 10.0), 95);
  // Last record (day 64 hour 24): 1.40 m/s from 321.6, 272.5 K, L = 13.2 -> F.
  EXPECT_EQ(p.values.back().ws, 1.40);
  EXPECT_EQ(p.values.back().wd, 321.6);
  EXPECT_EQ(p.values.back().temp, 272.5);
  EXPECT_EQ(p.values.back().ipg, 6);
  EXPECT_NEAR(p.ws_sum, 133.4, 1e-9);   // awk sum of column 16
  EXPECT_NEAR(p.t_sum, 26390.4, 1e-8);  // awk sum of column 19
  // The next hour lies past the last record.
  MetReading r = p.values.back();
  int date = 198806500;
  METGET_AERMET(*h.run, 22, 20, date, 0, r.ws, r.wd, r.temp, r.ipg, 0);
  EXPECT_EQ(r.ws, 9999.0);
  EXPECT_EQ(r.temp, 272.5);
}

TEST(AermetFiles, HoustonWholeLeapYear) {
  ListedRun h;
  const Pass p = whole_pass(h, test::source_path("data/met/HOUSTON_ADJU.SFC"), 8784);
  EXPECT_EQ(h.run->met.FILE_BEGIN_DATEHR, 199600100);
  EXPECT_EQ(p.covered, 8784);
  EXPECT_EQ(h.run->met.REC_BEGIN_DATEHR, 199636623);  // 31 December hour 24
  EXPECT_EQ(p.calm, 1588);
  EXPECT_EQ(p.ws999, 7);  // missing hours pass through unchanged
  EXPECT_EQ(p.t999, 11);
  EXPECT_NEAR(p.ws_sum, 36256.22, 1e-6);  // awk sum of column 16
  // First hour: calm, 6.1 m, 287.5 K, L = -99999 -> D.
  EXPECT_EQ(p.values[0].ws, 0.0);
  EXPECT_EQ(p.values[0].temp, 287.5);
  EXPECT_EQ(p.values[0].ipg, 4);
  EXPECT_EQ(p.zref[0], 6.1);
  // Second hour: 2.10 m/s from 28.0, L = 54.1 with z0 0.15 -> E.
  EXPECT_EQ(p.values[1].ws, 2.10);
  EXPECT_EQ(p.values[1].wd, 28.0);
  EXPECT_EQ(p.values[1].ipg, 5);
  // Last hour: everything missing.
  EXPECT_EQ(p.values.back().ws, 999.0);
  EXPECT_EQ(p.values.back().wd, 999.0);
  EXPECT_EQ(p.values.back().temp, 999.0);
  EXPECT_EQ(p.zref.back(), -9.0);
}

TEST(AermetFiles, ShortSyntheticFile) {
  struct Row {
    double ws, wd, temp;
    int ipg;
  };
  // Columns 16, 17, 19 of test.sfc; L and z0 (columns 12, 13) give the class:
  // -10.1 -> A (limit 12.60), -9000 -> D, 21.1 -> F (below 46.70), 9000 -> D.
  const Row rows[] = {{1.00, 180, 287.4, 1}, {1.00, 180, 287.4, 4}, {1.00, 180, 287.4, 6},
                      {3.00, 180, 288.1, 4}, {5.50, 180, 288.1, 4}, {10.00, 180, 288.1, 4}};
  ListedRun h;
  const Pass p = whole_pass(h, test::source_path("tests/data/met/test.sfc"), 6);
  EXPECT_EQ(h.run->met.FILE_BEGIN_DATEHR, 199000100);
  EXPECT_EQ(p.covered, 6);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(p.values[k].ws, rows[k].ws) << k;
    EXPECT_EQ(p.values[k].wd, rows[k].wd) << k;
    EXPECT_EQ(p.values[k].temp, rows[k].temp) << k;
    EXPECT_EQ(p.values[k].ipg, rows[k].ipg) << k;
    EXPECT_EQ(p.zref[k], 10.0) << k;
  }
}

}  // namespace
}  // namespace quelmar::met

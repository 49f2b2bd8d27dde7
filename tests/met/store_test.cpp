// The file read once into the store, and the one check that needs the period:
// the hour that holds the last second of the last record must reach the
// period's last hour.
#include "met/store.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/stop.hpp"
#include "met/aermet.hpp"
#include "met/metseries.hpp"
#include "test_util.hpp"

namespace quelmar::met {
namespace {

using test::ListedRun;
using test::write_records;

const std::string kHeader = "   40.0000N  80.0000W          UA_ID:    99999  SF_ID:    99999  OS_ID: ON-SITE";

// An AERMET hour: year, day of the year (month and day are not read), hour 1-24 by its end.
std::string aermet(int yr, int jday, int hr) {
  return std::to_string(yr) + " 1 1 " + std::to_string(jday) + " " + std::to_string(hr) +
         " -2.7 0.062 -9 -9 -999 37 100 0.1 1.5 1.0 3.0 270 10 280 10";
}

// A time series of version 1.0 with the given data lines (dates in columns 2-38,
// then direction, speed and temperature in 10 columns each).
std::vector<std::string> series(const std::vector<std::string>& dates) {
  std::vector<std::string> l = {"TIMESERIES.TSF  1.0             period test", "0", "3",
                                "WDIR        DEG                0.000      10.000",
                                "WSPEED      M/S                0.000      10.000",
                                "TEMP        K                  0.000       2.000", "2", "title 1", "title 2"};
  for (const std::string& d : dates) l.push_back(d + "     270.0       3.0     280.0");
  return l;
}

std::string stop_text(run::Run& run, int idatee) {
  try {
    require_period(run, idatee);
  } catch (const io::Stop& s) {
    return s.text;
  }
  return "";
}

TEST(StorePeriod, TheLastRecordMustReachThePeriodsLastHour) {
  // AERMET: the last record, hour 6 of 1 January 2023 by its end, covers 05:00
  // to 06:00; the period may end in that hour, not after it.
  ListedRun h;
  const std::string f = write_records(h.dir.file("p.sfc"), {kHeader, aermet(23, 1, 5), aermet(23, 1, 6)});
  read_aermet_file(*h.run, 22, f);
  EXPECT_EQ(stop_text(*h.run, 202300105), "");
  EXPECT_EQ(stop_text(*h.run, 202300104), "");
  EXPECT_EQ(stop_text(*h.run, 202300106), "***FATAL ERROR*** the meteorological file " + f +
                                               " ends before the period: its last hour is 2023-01-01 05, "
                                               "the period's last hour is 2023-01-01 06");
  // Months, leap days and year ends as the calendar has them: 29 February
  // 2024 23:00 is day 60, hour 24 by its end; 31 December 2024 is day 366.
  const std::string g = write_records(h.dir.file("leap.sfc"), {kHeader, aermet(24, 60, 24)});
  read_aermet_file(*h.run, 22, g);
  EXPECT_EQ(stop_text(*h.run, 202436623), "***FATAL ERROR*** the meteorological file " + g +
                                               " ends before the period: its last hour is 2024-02-29 23, "
                                               "the period's last hour is 2024-12-31 23");
}

TEST(StorePeriod, TimeSeriesRecordsEndWhereTheirLastSecondLies) {
  struct Case {
    std::string last;  // the dates of the last data line
    int idatee;
    std::string period;  // the period's last hour in the message
    std::string hour;    // the file's last hour in the message, "" for no stop
  };
  // 1 March 2008 is day 61. A record ending at 06:00:00 has its last second in
  // the hour from 05:00; one ending at 06:00:30 in the hour from 06:00.
  const Case cases[] = {
      {" 2008 03 01 05 0000 2008 03 01 06 0000", 200806105, "2008-03-01 05", ""},
      {" 2008 03 01 05 0000 2008 03 01 06 0000", 200806106, "2008-03-01 06", "2008-03-01 05"},
      {" 2008 03 01 05 0000 2008 03 01 06 0030", 200806106, "2008-03-01 06", ""},
      {" 2008 03 01 05 0000 2008 03 01 06 0030", 200806107, "2008-03-01 07", "2008-03-01 06"},
      {" 2008 03 01 23 0000 2008 03 02 00 0000", 200806200, "2008-03-02 00", "2008-03-01 23"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.last + " " + std::to_string(c.idatee));
    ListedRun h;
    const std::string f =
        write_records(h.dir.file("p.tsf"), series({" 2008 03 01 04 0000 2008 03 01 05 0000", c.last}));
    read_series_file(*h.run, 22, f);
    ASSERT_EQ(h.run->metstore.hours.size(), 2u);
    const std::string want = "***FATAL ERROR*** the meteorological file " + f +
                             " ends before the period: its last hour is " + c.hour + ", the period's last hour is " +
                             c.period;
    EXPECT_EQ(stop_text(*h.run, c.idatee), c.hour.empty() ? "" : want);
  }
}

// A file without records, or one that could not be opened, is no matter of the
// period: the header call reports it in its own words.
TEST(StorePeriod, NothingToCheckWithoutRecords) {
  ListedRun h;
  read_aermet_file(*h.run, 22, h.dir.file("none.sfc"));
  EXPECT_FALSE(h.run->metstore.opened);
  EXPECT_EQ(stop_text(*h.run, 202300106), "");
  const std::string f = write_records(h.dir.file("empty.sfc"), {kHeader, "", " "});
  read_aermet_file(*h.run, 22, f);
  EXPECT_TRUE(h.run->metstore.hours.empty());
  EXPECT_EQ(stop_text(*h.run, 202300106), "");
}

// What a read of the file into the store stops with, "" when it does not.
template <class Read>
std::string read_stop(Read read) {
  try {
    read();
  } catch (const io::Stop& s) {
    return s.text;
  }
  return "";
}

// An AERMET record whose date and hour are readable integers but name no hour
// stops the reading at its line, before any pass could compute with it (hour
// -2147483648 less one would overflow); the limits themselves are read.
TEST(StoreRecords, AermetDatesThatNameNoHourStop) {
  // year, month, day, day of the year, hour; 1988 is a leap year, 1987 is not.
  const std::string ok[] = {"88 1 1 1 1", "88 1 1 1 24", "88 12 31 366 24", "87 12 31 365 5", "0 2 29 60 3",
                            "9999 1 1 1 1", "1999 1 1 1 1"};
  const std::string bad[] = {"88 1 1 61 25",   "88 1 1 61 0",    "88 1 1 61 -2147483648", "88 1 1 400 2",
                             "87 1 1 366 2",   "88 1 1 0 2",     "88 13 1 61 2",          "88 0 1 61 2",
                             "88 1 32 61 2",   "87 2 29 61 2",   "88 4 31 61 2",          "88 1 0 61 2",
                             "-1 1 1 61 2",    "10000 1 1 61 2"};
  const std::string rest = " -2.7 0.062 -9 -9 -999 37 100 0.1 1.5 1.0 3.0 270 10 280 10";
  for (const std::string& d : ok) {
    SCOPED_TRACE(d);
    ListedRun h;
    const std::string f = write_records(h.dir.file("ok.sfc"), {kHeader, d + rest});
    EXPECT_EQ(read_stop([&] { read_aermet_file(*h.run, 22, f); }), "");
    EXPECT_EQ(h.run->metstore.hours.size(), 1u);
  }
  for (const std::string& d : bad) {
    SCOPED_TRACE(d);
    ListedRun h;
    const std::string f = write_records(h.dir.file("bad.sfc"), {kHeader, aermet(88, 61, 1), d + rest, aermet(88, 61, 3)});
    EXPECT_EQ(read_stop([&] { read_aermet_file(*h.run, 22, f); }),
              "***FATAL ERROR*** cannot read line 3 of the meteorological file " + f + ": " + d + rest);
  }
}

// A time-series data line whose times no record can hold stops the reading at
// its line: begin hours 0 to 23, end hours 0 to 24, seconds 0 to 3599, years
// of at most four digits. The fields are taken from their own columns: a
// record that begins at second 1800 of its hour is stored so.
TEST(StoreRecords, TimeSeriesTimesAsWritten) {
  {
    ListedRun h;
    const std::string f = write_records(h.dir.file("t.tsf"), series({" 2008 03 01 05 1800 2008 03 01 24 3599"}));
    EXPECT_EQ(read_stop([&] { read_series_file(*h.run, 22, f); }), "");
    ASSERT_EQ(h.run->metstore.hours.size(), 1u);
    const run::MetHour& r = h.run->metstore.hours[0];
    EXPECT_EQ(r.begin_datehr, 200806105);  // 1 March of the leap year 2008 is day 61
    EXPECT_EQ(r.begin_sec, 1800);
    EXPECT_EQ(r.end_datehr, 200806124);
    EXPECT_EQ(r.end_sec, 3599);
  }
  const std::string bad[] = {" 2008 03 01 24 0000 2008 03 02 00 0000", " 2008 03 01 -1 0000 2008 03 01 00 0000",
                             " 2008 03 01 05 0000 2008 03 01 25 0000", " 2008 03 01 05 0000 2008 03 01 -1 0000",
                             " 2008 03 01 05 3600 2008 03 01 06 0000", " 2008 03 01 05 -001 2008 03 01 06 0000",
                             " 2008 03 01 05 0000 2008 03 01 06 3600", " 2008 03 01 05 0000 2008 03 01 06 -001",
                             " -999 03 01 05 0000 2008 03 01 06 0000", " 2008 13 01 05 0000 2008 03 01 06 0000",
                             " 2008 02 30 05 0000 2008 03 01 06 0000"};
  for (const std::string& d : bad) {
    SCOPED_TRACE(d);
    ListedRun h;
    // Lines 1 to 9 are the header, line 10 a good record.
    const std::string f =
        write_records(h.dir.file("t.tsf"), series({" 2008 03 01 04 0000 2008 03 01 05 0000", d}));
    EXPECT_EQ(read_stop([&] { read_series_file(*h.run, 22, f); }),
              "***FATAL ERROR*** cannot read line 11 of the meteorological file " + f + ": " + d +
                  "     270.0       3.0     280.0");
  }
}

// The store keeps the records as the reader delivers them, 48 bytes each; a
// header call hands them out from the first again in every pass.
TEST(StoreRecords, KeptAsTheReaderDeliversThem) {
  ListedRun h;
  const std::string f = write_records(h.dir.file("r.sfc"), {kHeader, aermet(23, 1, 1), aermet(23, 1, 2)});
  read_aermet_file(*h.run, 22, f);
  const run::MetStore& s = h.run->metstore;
  ASSERT_EQ(s.hours.size(), 2u);
  EXPECT_EQ(s.hours[1].begin_datehr, 202300101);
  EXPECT_EQ(s.hours[1].end_datehr, 202300101);
  EXPECT_EQ(s.hours[1].begin_sec, 0);
  EXPECT_EQ(s.hours[1].end_sec, 3599);
  EXPECT_EQ(s.hours[1].ws, 3.0);
  EXPECT_EQ(s.hours[1].wd, 270.0);
  EXPECT_EQ(s.hours[1].temp, 280.0);
  EXPECT_EQ(s.hours[1].anem_ht, 10.0);
  EXPECT_EQ(s.hours[1].ipg, 5);  // L = 100 m with z0 0.1 m: below 111.62, not below 26.95
  EXPECT_LE(sizeof(run::MetHour), 48u);
  EXPECT_TRUE(store_holds(*h.run, run::MetStore::Aermet, f));
  EXPECT_FALSE(store_holds(*h.run, run::MetStore::Series, f));
}

}  // namespace
}  // namespace quelmar::met

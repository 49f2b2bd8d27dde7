// Date-hour arithmetic: codes, day of the year, stepping by hours and seconds,
// differences, zone texts, and the error records and stops of the routines
// that refuse bad values.
#include "common/dates.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "io/stop.hpp"
#include "test_util.hpp"

namespace quelmar::common {
namespace {

// A run whose console goes to string streams and whose list file lies in a
// temporary folder.
class DatesRun : public ::testing::Test, protected test::ListedRun {
 protected:
  io::Units& u() { return run->units; }
};

TEST(DateCode, BuildAndTakeApart) {
  struct Case {
    int yr, jul, hr, code;
  };
  const Case cases[] = {
      {2021, 196, 13, 202119613},  // 15 July 2021, 13:00
      {2020, 366, 23, 202036623},
      {1900, 1, 0, 190000100},
      {2100, 60, 5, 210006005},
  };
  for (const Case& c : cases) {
    int code = 0, code2 = 0;
    MKDAT(c.yr, c.jul, c.hr, code);
    TIMESTAMP(c.yr, c.jul, c.hr, code2);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(code2, c.code);
    int y = 0, j = 0, h = 0;
    DEDAT(c.code, y, j, h);
    EXPECT_EQ(y, c.yr);
    EXPECT_EQ(j, c.jul);
    EXPECT_EQ(h, c.hr);
  }
}

TEST_F(DatesRun, JuldayOfValidDates) {
  struct Case {
    int yr, mo, day, jul;
  };
  const Case cases[] = {
      {2021, 3, 1, 60},   {2020, 3, 1, 61},   {2100, 3, 1, 61},  // 2100 is a leap year here
      {1900, 3, 1, 61},   {2021, 12, 31, 365}, {2020, 12, 31, 366}, {2020, 2, 29, 60},
      {2021, 1, 1, 1},    {2021, 7, 15, 196},  {2021, 4, 30, 120},  {2021, 2, 28, 59},
  };
  for (const Case& c : cases) {
    int jul = -7;
    JULDAY(u(), io::LST, c.yr, c.mo, c.day, jul);
    EXPECT_EQ(jul, c.jul) << c.yr << "-" << c.mo << "-" << c.day;
  }
  EXPECT_TRUE(list_records().empty());
  EXPECT_EQ(out.str(), "");
}

TEST_F(DatesRun, GrdayOfValidDays) {
  struct Case {
    int yr, jul, mo, day;
  };
  const Case cases[] = {
      {2021, 60, 3, 1}, {2020, 60, 2, 29}, {2021, 1, 1, 1}, {2021, 365, 12, 31},
      {2020, 366, 12, 31}, {2021, 31, 1, 31}, {2021, 32, 2, 1}, {2100, 60, 2, 29},
  };
  for (const Case& c : cases) {
    int mo = 0, day = 0;
    GRDAY(u(), io::LST, c.yr, c.jul, mo, day);
    EXPECT_EQ(mo, c.mo) << c.yr << " day " << c.jul;
    EXPECT_EQ(day, c.day) << c.yr << " day " << c.jul;
  }
}

// Every day of a common and of a leap year goes to month and day and back.
TEST_F(DatesRun, GrdayAndJuldayAgreeOverWholeYears) {
  for (int yr : {2021, 2020}) {
    const int days = yr % 4 == 0 ? 366 : 365;
    for (int jul = 1; jul <= days; ++jul) {
      int mo = 0, day = 0, back = 0;
      GRDAY(u(), io::LST, yr, jul, mo, day);
      JULDAY(u(), io::LST, yr, mo, day, back);
      ASSERT_EQ(back, jul) << yr << " day " << jul;
    }
  }
}

TEST_F(DatesRun, IncrStepsHoursAcrossDaysAndYears) {
  struct Case {
    int yr, jul, hr, inc, yr2, jul2, hr2;
  };
  const Case cases[] = {
      {2020, 366, 23, 1, 2021, 1, 0},
      {2021, 365, 23, 1, 2022, 1, 0},
      {2021, 1, 0, -1, 2020, 366, 23},
      {2021, 1, 0, -24, 2020, 366, 0},
      {2022, 1, 5, -6, 2021, 365, 23},
      {2021, 100, 7, 0, 2021, 100, 7},
      {2021, 100, 7, 16, 2021, 100, 23},
      {2021, 100, 7, 17, 2021, 101, 0},
      {2021, 1, 0, 20000, 2023, 104, 8},     // two year ends, chunks of 8760, 8760, 2480
      {2021, 365, 23, 8760, 2022, 365, 23},  // a full chunk from the last hour of a year
      {2020, 366, 23, 8760, 2021, 365, 23},
      {2019, 365, 23, 8784 * 3, 2023, 2, 23},
      // The largest increment: 2147483647 h from 2020 (python: hour count
      // walked year by year with 8784 h in years divisible by 4, 8760 else).
      {2020, 1, 0, INT_MAX, 246998, 271, 7},
  };
  for (const Case& c : cases) {
    int y = c.yr, j = c.jul, h = c.hr;
    INCR(u(), io::LST, y, j, h, c.inc);
    EXPECT_EQ(y, c.yr2) << c.yr << "/" << c.jul << "/" << c.hr << " by " << c.inc;
    EXPECT_EQ(j, c.jul2) << c.yr << "/" << c.jul << "/" << c.hr << " by " << c.inc;
    EXPECT_EQ(h, c.hr2) << c.yr << "/" << c.jul << "/" << c.hr << " by " << c.inc;
  }
}

TEST_F(DatesRun, IncrsStepsSeconds) {
  struct Case {
    int yr, jul, hr, sec, inc, yr2, jul2, hr2, sec2;
  };
  const Case cases[] = {
      {2021, 10, 5, 3000, 1200, 2021, 10, 6, 600},
      {2021, 10, 5, 0, -1, 2021, 10, 4, 3599},
      {2021, 10, 5, 100, -100, 2021, 10, 5, 0},
      {2021, 10, 5, 100, -3700, 2021, 10, 4, 0},
      {2021, 10, 5, 0, -3600, 2021, 10, 4, 0},
      {2021, 1, 0, 0, -1, 2020, 366, 23, 3599},
      {2021, 10, 5, 0, -89999, 2021, 9, 4, 1},  // -24 h, then one more hour back
      {2020, 366, 23, 3599, 1, 2021, 1, 0, 0},
      {2021, 10, 5, 10, 0, 2021, 10, 5, 10},
      {2021, 10, 5, 3599, 3599, 2021, 10, 6, 3598},
      // INT_MAX s = 596523 h + 847 s; 3599 + 847 = 4446 s gives one hour more.
      // python: 596524 h from (2021,10,5) -> (2089, 28, 9).
      {2021, 10, 5, 3599, INT_MAX, 2089, 28, 9, 846},
  };
  for (const Case& c : cases) {
    int y = c.yr, j = c.jul, h = c.hr, s = c.sec;
    INCRS(u(), io::LST, y, j, h, s, c.inc);
    const std::string what = std::to_string(c.sec) + " s by " + std::to_string(c.inc);
    EXPECT_EQ(y, c.yr2) << what;
    EXPECT_EQ(j, c.jul2) << what;
    EXPECT_EQ(h, c.hr2) << what;
    EXPECT_EQ(s, c.sec2) << what;
  }
}

TEST(DateDifference, HoursAndSeconds) {
  struct Case {
    int y1, j1, h1, y2, j2, h2;
    std::int64_t hours;
  };
  const Case cases[] = {
      {2020, 366, 23, 2021, 1, 0, 1},
      {2021, 1, 0, 2020, 366, 23, -1},
      {2021, 5, 5, 2021, 5, 5, 0},
      {2020, 1, 0, 2021, 1, 0, 8784},
      {2021, 1, 0, 2022, 1, 0, 8760},
      {1899, 1, 0, 1901, 1, 0, 8760 + 8784},  // 1900 counts as a leap year
      // python: sum of year lengths from year 1 to 29999 (262971216 h), beyond
      // what 32 bits of seconds could hold.
      {1, 1, 0, 30000, 1, 0, 262971216},
      {30000, 1, 0, 1, 1, 0, -262971216},
      // years -3 .. 4: two of them (0 and 4) divisible by 4 -> 2*8784 + 6*8760
      {-3, 1, 0, 5, 1, 0, 70128},
  };
  for (const Case& c : cases) {
    std::int64_t h = 0;
    DELTT(c.y1, c.j1, c.h1, c.y2, c.j2, c.h2, h);
    EXPECT_EQ(h, c.hours) << c.y1 << " -> " << c.y2;
  }

  struct SecCase {
    int d1, s1, d2, s2;
    std::int64_t sec;
  };
  const SecCase secs[] = {
      {202036623, 3599, 202100100, 0, 1},
      {202100100, 0, 202036623, 3599, -1},
      {202119613, 10, 202119613, 20, 10},
      {202119613, 0, 202119614, 0, 3600},
      // 1900 day 1 hour 0 to 2100 day 366 hour 23 (python: 1761983 h) + 3599 s
      {190000100, 0, 210036623, 3599, 6343142399LL},
      {210036623, 3599, 190000100, 0, -6343142399LL},
  };
  for (const SecCase& c : secs) {
    std::int64_t n = 0;
    DELTSEC(c.d1, c.s1, c.d2, c.s2, n);
    EXPECT_EQ(n, c.sec) << c.d1 << " -> " << c.d2;
  }
}

io::Text<8> zone(const char* s) {
  io::Text<8> t;
  t = s;
  return t;
}

TEST(ZoneText, ToHours) {
  struct Case {
    const char* text;
    double hours;
  };
  const Case cases[] = {
      {"UTC-0500", 5.0}, {"UTC+0100", -1.0}, {"UTC+0000", 0.0}, {"UTC-0330", 3.5}, {"UTC+0530", -5.5},
      {"UTC-1200", 12.0}, {"UTC+1400", -14.0},
      // the sign belongs to the zone, also when the hours are 00
      {"UTC-0030", 0.5}, {"UTC+0030", -0.5},
      // texts that are no zone text give 0
      {"UTC", 0.0}, {"", 0.0}, {"GMT-0500", 0.0}, {"UTC 0500", 0.0}, {"UTC-05", 0.0}, {"UTC-5:00", 0.0},
      {"utc-0500", 0.0}, {"UTC-05a0", 0.0},
  };
  for (const Case& c : cases) {
    double tz = 99;
    UTCBASR(zone(c.text), tz);
    EXPECT_EQ(tz, c.hours) << c.text;
  }
}

TEST(ZoneText, FromHours) {
  struct Case {
    double hours;
    const char* text;
  };
  const Case cases[] = {
      {5.0, "UTC-0500"}, {-5.5, "UTC+0530"}, {0.0, "UTC+0000"}, {-1.0, "UTC+0100"}, {3.5, "UTC-0330"},
      {0.5, "UTC-0030"}, {-0.5, "UTC+0030"}, {12.0, "UTC-1200"}, {150.0, "UTC-****"},
  };
  for (const Case& c : cases) {
    io::Text<8> t;
    BASRUTC(c.hours, t);
    EXPECT_EQ(std::string(t.view()), c.text) << c.hours;
    if (c.hours < 100) {
      double back = 99;
      UTCBASR(t, back);
      EXPECT_EQ(back, c.hours) << c.text;
    }
  }
}

TEST(CalendarDateHour, Split) {
  int y = 0, m = 0, d = 0, h = 0;
  GETDATE(2021071513, y, m, d, h);
  EXPECT_EQ(y, 2021);
  EXPECT_EQ(m, 7);
  EXPECT_EQ(d, 15);
  EXPECT_EQ(h, 13);
  GETDATE(1999123100, y, m, d, h);
  EXPECT_EQ(y, 1999);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(d, 31);
  EXPECT_EQ(h, 0);
}

TEST_F(DatesRun, IndecrStepsWithinAnHourRange) {
  struct Case {
    int yr, jul, hr, delt, lo, hi, yr2, jul2, hr2;
  };
  const Case cases[] = {
      {2021, 10, 5, 3, 0, 23, 2021, 10, 8},
      {2021, 10, 22, 3, 0, 23, 2021, 11, 1},
      {2021, 365, 23, 1, 0, 23, 2022, 1, 0},
      {2020, 365, 23, 1, 0, 23, 2020, 366, 0},
      {2021, 10, 2, -3, 0, 23, 2021, 9, 23},
      {2021, 1, 0, -1, 0, 23, 2020, 366, 23},
      {2021, 10, 24, 1, 1, 24, 2021, 11, 1},   // hours 1 .. 24
      {2021, 10, 1, -1, 1, 24, 2021, 9, 24},
      {2021, 10, 5, 24, 0, 23, 2021, 11, 5},
      {2021, 10, 5, -24, 0, 23, 2021, 9, 5},
  };
  for (const Case& c : cases) {
    int y = c.yr, j = c.jul, h = c.hr;
    INDECR(u(), io::LST, y, j, h, c.delt, c.lo, c.hi);
    EXPECT_EQ(y, c.yr2) << c.hr << " by " << c.delt;
    EXPECT_EQ(j, c.jul2) << c.hr << " by " << c.delt;
    EXPECT_EQ(h, c.hr2) << c.hr << " by " << c.delt;
  }
}

TEST_F(DatesRun, MidniteMovesBetweenConventions) {
  io::Text<6> to24, to00;
  to24 = "TO 24h";
  to00 = "TO 00h";
  int jul = 0, ny = 0, nm = 0, nd = 0, nj = 0;
  MIDNITE(u(), io::LST, to24, 2021, 1, 1, jul, ny, nm, nd, nj);  // day found by JULDAY
  EXPECT_EQ(jul, 1);
  EXPECT_EQ(ny, 2020);
  EXPECT_EQ(nm, 12);
  EXPECT_EQ(nd, 31);
  EXPECT_EQ(nj, 366);
  jul = 366;
  MIDNITE(u(), io::LST, to00, 2020, 12, 31, jul, ny, nm, nd, nj);
  EXPECT_EQ(ny, 2021);
  EXPECT_EQ(nm, 1);
  EXPECT_EQ(nd, 1);
  EXPECT_EQ(nj, 1);
  jul = 0;
  MIDNITE(u(), io::LST, to00, 2021, 2, 28, jul, ny, nm, nd, nj);
  EXPECT_EQ(jul, 59);
  EXPECT_EQ(nm, 3);
  EXPECT_EQ(nd, 1);
  EXPECT_EQ(nj, 60);
}

// The error ends: records on the list file, the console line, and the stop;
// standard error shows the records that are not blank, as the console shows
// its records (without the carriage-control character), one line each.
TEST_F(DatesRun, ErrorEnds) {
  const std::string julday_stop = "Halted in JULDAY -- see list file.";
  auto julday_records = [](const char* yr, const char* mo, const char* day) {
    return std::vector<std::string>{" ", " ERROR in SUBR. JULDAY",
                                    std::string(" Invalid date - IYR = ") + yr + "  IMO = " + mo + "  IDAY = " + day};
  };
  const std::vector<std::string> grday_2021_366 = {"", "", "  ERROR in SUBR. GRDAY -- invalid Julian day ", "",
                                                   "  iyr =  2021   ijul =   366"};
  const std::vector<std::string> incr_25 = {
      " ERROR IN SUBR. INCR -- Invalid value of NHRINC -- NHRINC =          -25"};
  io::Text<6> bad_trans;
  bad_trans = "TO 12h";

  struct Case {
    const char* name;
    std::function<void(io::Units&)> call;
    std::vector<std::string> records;
    std::string console;
    std::string stop;
  };
  int a = 0, b = 0, c = 0, d = 0;
  const std::vector<Case> cases = {
      {"julday feb 29 common", [&](io::Units& uu) { JULDAY(uu, io::LST, 2021, 2, 29, a); },
       julday_records("        2021", "           2", "          29"), "\n", julday_stop},
      {"julday month 13", [&](io::Units& uu) { JULDAY(uu, io::LST, 2021, 13, 1, a); },
       julday_records("        2021", "          13", "           1"), "\n", julday_stop},
      {"julday month 0", [&](io::Units& uu) { JULDAY(uu, io::LST, 2021, 0, 1, a); },
       julday_records("        2021", "           0", "           1"), "\n", julday_stop},
      {"julday jan 32", [&](io::Units& uu) { JULDAY(uu, io::LST, 2021, 1, 32, a); },
       julday_records("        2021", "           1", "          32"), "\n", julday_stop},
      {"julday apr 31", [&](io::Units& uu) { JULDAY(uu, io::LST, 2021, 4, 31, a); },
       julday_records("        2021", "           4", "          31"), "\n", julday_stop},
      {"julday jan 0", [&](io::Units& uu) { JULDAY(uu, io::LST, 2021, 1, 0, a); },
       julday_records("        2021", "           1", "           0"), "\n", julday_stop},
      {"julday day -3", [&](io::Units& uu) { JULDAY(uu, io::LST, 2020, 3, -3, a); },
       julday_records("        2020", "           3", "          -3"), "\n", julday_stop},
      {"grday 366 common", [&](io::Units& uu) { GRDAY(uu, io::LST, 2021, 366, a, b); }, grday_2021_366, "\n",
       "Halted in GRDAY -- see list file."},
      {"grday 0", [&](io::Units& uu) { GRDAY(uu, io::LST, 2020, 0, a, b); },
       {"", "", "  ERROR in SUBR. GRDAY -- invalid Julian day ", "", "  iyr =  2020   ijul =     0"}, "\n",
       "Halted in GRDAY -- see list file."},
      {"incr -25", [&](io::Units& uu) { a = 2021, b = 1, c = 0; INCR(uu, io::LST, a, b, c, -25); }, incr_25, "\n",
       "Halted in INCR -- see list file."},
      {"incrs -90000", [&](io::Units& uu) { a = 2021, b = 1, c = 0, d = 0; INCRS(uu, io::LST, a, b, c, d, -90000); },
       incr_25, "\n", "Halted in INCR -- see list file."},
      {"midnite", [&](io::Units& uu) { int j = 5; MIDNITE(uu, io::LST, bad_trans, 2021, 1, 5, j, a, b, c, d); },
       {" ", " ERROR in SUBR. MIDNITE", " Invalid instruction: TO 12h", "            Expected: TO 24h",
        "               OR   : TO 00h"},
       "\n", "Halted in MIDNITE -- see list file."},
      {"indecr idelt", [&](io::Units& uu) { a = 2021, b = 10, c = 5; INDECR(uu, io::LST, a, b, c, 25, 0, 23); },
       {"", " ERROR in subr. INDECR -- invalid \"IDELT\" --  iyr,ijul,ihr,idelt,ihrmin,ihrmax = "
            "      2021        10         5        25         0        23"},
       " ERROR in run - see the .LST file\n", ""},
      // both quantities bad: the increment is reported, and only it
      {"indecr idelt first", [&](io::Units& uu) { a = 2021, b = 10, c = 30; INDECR(uu, io::LST, a, b, c, -30, 0, 23); },
       {"", " ERROR in subr. INDECR -- invalid \"IDELT\" --  iyr,ijul,ihr,idelt,ihrmin,ihrmax = "
            "      2021        10        30       -30         0        23"},
       " ERROR in run - see the .LST file\n", ""},
      {"indecr ihr", [&](io::Units& uu) { a = 2021, b = 10, c = 0; INDECR(uu, io::LST, a, b, c, 1, 1, 24); },
       {"", " ERROR in subr. INDECR -- invalid \"IHR\" --  iyr,ijul,ihr,idelt,ihrmin,ihrmax = "
            "      2021        10         0         1         1        24"},
       " ERROR in run - see the .LST file\n", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    test::ListedRun t;
    bool stopped = false;
    try {
      k.call(t.run->units);
    } catch (const io::Stop& s) {
      stopped = true;
      EXPECT_EQ(s.text, k.stop);
    }
    EXPECT_TRUE(stopped);
    EXPECT_EQ(t.list_records(), k.records);
    // the console does not show the carriage-control blank
    std::string console = k.console;
    if (console.size() > 1 && console[0] == ' ') console.erase(0, 1);
    EXPECT_EQ(t.out.str(), console);
    std::string err;
    for (const std::string& r : k.records)
      if (r.find_first_not_of(' ', 1) != std::string::npos) err += r.substr(1) + "\n";
    EXPECT_EQ(t.err.str(), err);
  }
}

}  // namespace
}  // namespace quelmar::common

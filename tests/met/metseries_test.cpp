// Time-series ("TIMESERIES.TSF") reader: header layouts of the versions, the
// variable records with their names, units and heights, the fixed-column data
// lines with implied decimals and the column shift after MONIN_OB, the unit
// conversions, skipped lines, the file window, and the error records.
//
// Unit conversions (python3): 2.5 km/h / 3.6 = 0.694444..., 2.5 kn * 0.51444 =
// 1.2861; 15.0 C + 273.15, 518.67 R * 5/9 and (59.0 F - 32)*5/9 + 273.15 all
// give 288.15 K.
#include "met/metseries.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/stop.hpp"
#include "test_util.hpp"

namespace quelmar::met {
namespace {

using test::joined;
using test::ListedRun;
using test::MetReading;
using test::shown;
using test::write_records;

// Places `text` in the line so that it starts in column `col` (from 1).
std::string put(std::string line, int col, const std::string& text) {
  const std::size_t b = static_cast<std::size_t>(col - 1);
  if (line.size() < b + text.size()) line.resize(b + text.size(), ' ');
  line.replace(b, text.size(), text);
  return line;
}
// The same, right-justified in `width` columns.
std::string rput(std::string line, int col, int width, const std::string& text) {
  return put(std::move(line), col, std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text);
}

std::string first_record(const std::string& format, const std::string& version) {
  return put(put(format, 17, version), 33, "hand-made series");
}

struct Var {
  std::string name, unit, height;
};

// Name in 1-12, unit in 13-24, then 5 numbers (1.3, height third) or 2 (height second).
std::string var_record(const Var& v, bool v13) {
  std::string l = put(put("", 1, v.name), 13, v.unit);
  const int n = v13 ? 5 : 2;
  for (int k = 1; k <= n; ++k) l = rput(l, 25 + 12 * (k - 1), 12, k == (v13 ? 3 : 2) ? v.height : "1.000");
  return l;
}

// Date part of a data line: begin in 2-19, end in 21-38.
std::string dates(int by, int bm, int bd, int bh, int bs, int ey, int em, int ed, int eh, int es) {
  auto f = [](int v, int w) {
    std::string s = std::to_string(v);
    return std::string(static_cast<std::size_t>(w) - s.size(), '0') + s;
  };
  std::string l = " ";
  l += f(by, 4) + " " + f(bm, 2) + " " + f(bd, 2) + " " + f(bh, 2) + " " + f(bs, 4) + " ";
  l += f(ey, 4) + " " + f(em, 2) + " " + f(ed, 2) + " " + f(eh, 2) + " " + f(es, 4);
  return l;
}

// Variables in 10-column fields from column 39, without a MONIN_OB column.
std::string data_line(const std::string& date_part, const std::vector<std::string>& fields) {
  std::string l = date_part;
  for (std::size_t k = 0; k < fields.size(); ++k) l = rput(l, 39 + 10 * static_cast<int>(k), 10, fields[k]);
  return l;
}

// A whole file of the given version: header, variables and data lines.
std::vector<std::string> series(const std::string& version, const std::vector<Var>& vars,
                                const std::vector<std::string>& data, int ntitle = 2) {
  const bool v13 = version == "1.3";
  std::vector<std::string> l = {first_record("TIMESERIES.TSF", version), "1", "a comment"};
  auto titles = [&] {
    l.push_back(std::to_string(ntitle));
    for (int i = 1; i <= ntitle; ++i) l.push_back("title " + std::to_string(i));
  };
  if (v13) {
    titles();
    l.push_back("LL");
    l.push_back("40.0N");
    l.push_back("80.0W");
    l.push_back("UTC-0500");
    l.push_back("a record before the period line");
    l.push_back("2008 03 01 05 0000 2008 03 01 09 0000       1");
  } else if (version != "1.0") {
    l.push_back("UTC-0500");
  }
  l.push_back(std::to_string(vars.size()));
  for (const Var& v : vars) l.push_back(var_record(v, v13));
  if (!v13) titles();
  for (const std::string& d : data) l.push_back(d);
  return l;
}

const std::string kHour5 = dates(2008, 3, 1, 5, 0, 2008, 3, 1, 6, 0);
const std::string kHour6 = dates(2008, 3, 1, 6, 0, 2008, 3, 1, 7, 0);
const std::string kHour7 = dates(2008, 3, 1, 7, 0, 2008, 3, 1, 8, 0);
const std::vector<Var> kBasic = {{"WDIR", "DEG", "10.000"}, {"WSPEED", "M/S", "10.000"}, {"TEMP", "K", "2.000"}};

// ----------------------------------------------------------------------------
// The data line.

TEST(SeriesRecord, WindSpeedFieldAndUnits) {
  struct Case {
    std::string field, unit;
    double ws;
  };
  const Case cases[] = {
      {"2.5000", "M/S", 2.5},      {"2500", "M/S", 2.5}, {"2.5000", "KM/H", 2.5 / 3.6}, {"2.5000", "KN", 1.2861},
      {"2.5000", "KNOTS", 1.2861}, {"2.5", "FT/S", 2.5}, {"-2500", "M/S", -2.5},        {"25", "M/S", 0.025},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field + " " + c.unit);
    ListedRun h;
    // Wind speed as variable 1 (columns 39-48). The wind-direction height of the
    // previous pass stands in for the direction record that would come first.
    h.run->met.WDIR_HT = 10.0;
    const std::string f =
        write_records(h.dir.file("ws.tsf"),
                      series("1.0", {{"WSPEED", c.unit, "10.000"}, {"WDIR", "DEG", "10.000"}, {"TEMP", "K", "2.000"}},
                             {data_line(kHour5, {c.field, "180.0", "280.0"})}));
    MetReading r;
    METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
    const run::MOD_MET& m = h.run->met;
    EXPECT_NEAR(r.ws, c.ws, 1e-12);
    EXPECT_EQ(r.wd, 180.0);
    EXPECT_EQ(r.temp, 280.0);
    EXPECT_EQ(r.ipg, -1);  // no STAB_CLASS variable
    // 1 March of the leap year 2008 is day 61.
    EXPECT_EQ(m.REC_BEGIN_DATEHR, 200806105);
    EXPECT_EQ(m.REC_BEGIN_SEC, 0);
    EXPECT_EQ(m.REC_END_DATEHR, 200806106);
    EXPECT_EQ(m.REC_END_SEC, 0);
  }
}

TEST(SeriesRecord, TemperatureUnits) {
  struct Case {
    std::string field, unit;
    int code;
  };
  const Case cases[] = {{"15.0", "C", 2}, {"15000", "CELSIUS", 2}, {"518.67", "R", 3},
                        {"59.0", "F", 4}, {"288.15", "K", 1},      {"288.15", "X", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field + " " + c.unit);
    ListedRun h;
    const std::string f =
        write_records(h.dir.file("t.tsf"),
                      series("1.0", {{"WDIR", "DEG", "10.000"}, {"WSPEED", "M/S", "10.000"}, {"TEMP", c.unit, "2.000"}},
                             {data_line(kHour5, {"180.0", "3.0", c.field})}));
    MetReading r;
    METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
    EXPECT_NEAR(r.temp, 288.15, 1e-9);
    EXPECT_EQ(h.run->met.ITEMP_UNITS, c.code);
  }
}

TEST(SeriesRecord, ColumnsMoveThreeRightAfterMoninObukhov) {
  // WDIR, WSPEED, MONIN_OB, TEMP: fields at 39, 49, 59 (13 columns) and 72.
  std::string line = kHour5;
  line = rput(line, 39, 10, "270.0");
  line = rput(line, 49, 10, "4.0");
  line = rput(line, 59, 13, "-123.456");
  line = rput(line, 72, 10, "290.5");
  line = rput(line, 82, 10, "3");
  ListedRun h;
  const std::string f = write_records(h.dir.file("shift.tsf"), series("1.0",
                                                                      {{"WDIR", "DEG", "10.000"},
                                                                       {"WSPEED", "M/S", "10.000"},
                                                                       {"MONIN_OB", "M", "0.000"},
                                                                       {"TEMP", "K", "2.000"},
                                                                       {"STAB_CLASS", "", "0.000"}},
                                                                      {line}));
  MetReading r;
  METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
  EXPECT_EQ(h.run->met.IMONIN_COL, 3);
  EXPECT_EQ(r.wd, 270.0);
  EXPECT_EQ(r.ws, 4.0);
  EXPECT_EQ(r.temp, 290.5);
  EXPECT_EQ(r.ipg, 3);
}

TEST(SeriesRecord, NoShiftWithoutMoninObukhov) {
  // Fields at 39, 49, 59 and 69; a shift by 3 would read across field borders.
  ListedRun h;
  const std::string f = write_records(
      h.dir.file("noshift.tsf"),
      series("1.0",
             {{"WDIR", "DEG", "10.000"}, {"WSPEED", "M/S", "10.000"}, {"TEMP", "K", "2.000"}, {"STAB_CLASS", "", "0"}},
             {data_line(kHour5, {"271.0", "4.5", "291.5", "2"})}));
  MetReading r;
  METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
  EXPECT_EQ(h.run->met.IMONIN_COL, -1);
  EXPECT_EQ(r.wd, 271.0);
  EXPECT_EQ(r.ws, 4.5);
  EXPECT_EQ(r.temp, 291.5);
  EXPECT_EQ(r.ipg, 2);
}

TEST(SeriesRecord, BlankAndEndDayZeroLinesAreSkipped) {
  ListedRun h;
  const std::string f = write_records(
      h.dir.file("skip.tsf"), series("1.0", kBasic,
                                     {data_line(kHour5, {"10.0", "1.0", "281.0"}), "", "   ",
                                      data_line(dates(2008, 3, 1, 6, 0, 2008, 3, 0, 7, 0), {"99.0", "9.0", "299.0"}),
                                      data_line(dates(2008, 3, 1, 6, 0, 0, 3, 1, 7, 0), {"98.0", "9.0", "298.0"}),
                                      data_line(kHour6, {"20.0", "2.0", "282.0"})}));
  MetReading r;
  METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
  int ieof = -1;
  RDMET(*h.run, 22, 20, r.ws, r.wd, r.temp, r.ipg, ieof);
  EXPECT_EQ(ieof, 0);
  EXPECT_EQ(r.wd, 20.0);
  EXPECT_EQ(r.ws, 2.0);
  EXPECT_EQ(h.run->met.REC_BEGIN_DATEHR, 200806106);
  r.temp = 55;
  r.ipg = 4;
  RDMET(*h.run, 22, 20, r.ws, r.wd, r.temp, r.ipg, ieof);
  EXPECT_EQ(ieof, 1);
  EXPECT_EQ(r.ws, 9999.0);
  EXPECT_EQ(r.wd, 9999.0);
  EXPECT_EQ(r.temp, 55.0);
  EXPECT_EQ(r.ipg, 4);
}

// ----------------------------------------------------------------------------
// Header layouts and the file window.

TEST(SeriesHeader, VersionsWithoutPeriodLineTakeTheWindowFromTheFirstLine) {
  // "1.0", another version, and " 1.3" (not left-justified: another version).
  for (const std::string version : {"1.0", "2.7", " 1.3"}) {
    SCOPED_TRACE(version);
    ListedRun h;
    const std::string f = write_records(h.dir.file("v.tsf"), series(version, kBasic,
                                                                    {data_line(kHour5, {"10.0", "1.0", "281.0"}),
                                                                     data_line(kHour6, {"20.0", "2.0", "282.0"})}));
    MetReading r;
    METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
    const run::MOD_MET& m = h.run->met;
    EXPECT_EQ(m.FILE_BEGIN_DATEHR, 200806105);
    EXPECT_EQ(m.FILE_BEGIN_SEC, 0);
    EXPECT_EQ(m.FILE_END_DATEHR, 201306104);  // 2013 day 61 hour 5, less one hour
    EXPECT_EQ(m.FILE_END_SEC, 3599);
    EXPECT_EQ(m.ANEM_HT, 10.0);
    EXPECT_EQ(h.list_records(),
              std::vector<std::string>{" METSERIES anemometer height set to(m):   10.0000000000000     "});
  }
}

TEST(SeriesHeader, RequestBeforeTheFirstLineOfAVersionWithoutPeriod) {
  ListedRun h;
  const std::string f =
      write_records(h.dir.file("early.tsf"), series("1.0", kBasic, {data_line(kHour5, {"10.0", "1.0", "281.0"})}));
  MetReading r;
  METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
  EXPECT_THROW(METGET(*h.run, 22, 20, 200806104, 3599, r.ws, r.wd, r.temp, r.ipg), io::Stop);
  const auto recs = h.list_records();
  ASSERT_EQ(recs.size(), 5u);
  EXPECT_EQ(recs[1], " ERROR- beginning date/time requested is earlier");
  EXPECT_EQ(recs[2], " than data in CALPOST TIME SERIES file");
  EXPECT_EQ(recs[4], " beginning date in file =    200806105           0");
}

TEST(SeriesHeader, Version13PeriodLineAndCoordinateRecords) {
  ListedRun h;
  const std::string f =
      write_records(h.dir.file("v13.tsf"), series("1.3", kBasic, {data_line(kHour5, {"10.0", "1.0", "281.0"})}));
  MetReading r;
  METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
  const run::MOD_MET& m = h.run->met;
  EXPECT_EQ(m.FILE_BEGIN_DATEHR, 200806105);
  EXPECT_EQ(m.FILE_END_DATEHR, 200806109);
  EXPECT_EQ(m.FILE_END_SEC, 0);
  EXPECT_EQ(r.ws, 1.0);
  EXPECT_EQ(r.temp, 281.0);
}

TEST(SeriesHeader, MoreTitlesThanTheStoreHolds) {
  ListedRun h;
  const std::string f =
      write_records(h.dir.file("titles.tsf"), series("1.0", kBasic, {data_line(kHour5, {"10.0", "1.0", "281.0"})}, 60));
  MetReading r;
  METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
  EXPECT_EQ(r.ws, 1.0);
  EXPECT_EQ(h.run->met.REC_BEGIN_DATEHR, 200806105);
}

TEST(SeriesHeader, WrongNumberOfTitles) {
  struct Case {
    std::string version;
    bool blank_first;
    const char* stop;
  };
  const Case cases[] = {{"1.3", true, "Halted in METHDR --- See log file"},
                        {"1.0", false, "Halted in methdr --- See log file"},
                        {"3.0", false, "Halted in methdr --- See log file"}};
  const std::vector<std::string> three = {" Wrong number of title lines in file", " Found               1",
                                          " Needed 2"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    ListedRun h;
    const std::string f =
        write_records(h.dir.file("nt.tsf"), series(c.version, kBasic, {data_line(kHour5, {"1", "1", "1"})}, 1));
    MetReading r;
    try {
      METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, c.stop);
    }
    std::vector<std::string> list = three;
    if (c.blank_first) {
      list.insert(list.begin(), " ");
    } else {
      // Versions without a period line write the anemometer record first.
      list.insert(list.begin(), " METSERIES anemometer height set to(m):   10.0000000000000     ");
    }
    EXPECT_EQ(h.list_records(), list);
    EXPECT_EQ(h.console_lines(), shown(three));
    // Standard error: the records without the blank one.
    EXPECT_EQ(h.err.str(), "Wrong number of title lines in file\nFound               1\nNeeded 2\n");
  }
}

TEST(SeriesHeader, FormatFieldMustBeExact) {
  for (const std::string format : {"TIMESERIES.TSX", "timeseries.tsf", " TIMESERIES.TSF", "TIMESERIES.TSF.1"}) {
    SCOPED_TRACE(format);
    ListedRun h;
    std::vector<std::string> lines = series("1.3", kBasic, {});
    lines[0] = first_record(format, "1.3");
    const std::string f = write_records(h.dir.file("fmt.tsf"), lines);
    MetReading r;
    try {
      METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "Halted in METHDR --- See log file");
    }
    const std::string field = (format + "                ").substr(0, 16);
    EXPECT_EQ(h.list_records(),
              (std::vector<std::string>{" Invalid timeseries format!", " Found " + field, " Expected TIMESERIES.TSF"}));
    EXPECT_TRUE(h.out.str().empty());
    EXPECT_EQ(h.err.str(), "Invalid timeseries format!\nFound " + field + "\nExpected TIMESERIES.TSF\n");
  }
}

TEST(SeriesHeader, WindSpeedHeightMustEqualTheDirectionHeight) {
  const std::vector<std::vector<Var>> files = {
      {{"WDIR", "DEG", "10.000"}, {"WSPEED", "M/S", "9.000"}, {"TEMP", "K", "2.000"}},
      // Speed before direction: at the first header call the direction height is 0.
      {{"WSPEED", "M/S", "10.000"}, {"WDIR", "DEG", "10.000"}, {"TEMP", "K", "2.000"}}};
  for (const auto& vars : files) {
    ListedRun h;
    const std::string f =
        write_records(h.dir.file("ht.tsf"), series("1.0", vars, {data_line(kHour5, {"1", "1", "1"})}));
    MetReading r;
    try {
      METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "Halted in methdr --- See log file");
    }
    EXPECT_EQ(h.list_records(), std::vector<std::string>{" Error- wind speed ht not provided"});
  }
}

// The header is read again in every pass, from the lines kept at the one
// reading of the file and in the reader state of that pass: a wind speed
// declared before the direction, at height 0, matches the direction height 0
// of the run's start in the first pass, but not the 10 m that the first pass
// left for the second, which stops as a second reading of the file would.
TEST(SeriesHeader, EveryPassReadsTheHeaderInItsOwnState) {
  ListedRun h;
  const std::string f = write_records(
      h.dir.file("order.tsf"),
      series("1.0", {{"WSPEED", "M/S", "0.000"}, {"WDIR", "DEG", "10.000"}, {"TEMP", "K", "2.000"}},
             {data_line(kHour5, {"3.0", "270.0", "280.0"})}));
  MetReading r;
  METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
  EXPECT_EQ(h.run->met.ANEM_HT, 0.0);
  EXPECT_EQ(h.run->met.WDIR_HT, 10.0);
  EXPECT_EQ(r.ws, 3.0);
  try {
    METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
    ADD_FAILURE() << "no stop";
  } catch (const io::Stop& s) {
    EXPECT_EQ(s.text, "Halted in methdr --- See log file");
  }
  EXPECT_EQ(h.list_records(), (std::vector<std::string>{" METSERIES anemometer height set to(m):  0.000000000000000E+000",
                                                        " Error- wind speed ht not provided"}));
}

TEST(SeriesHeader, MissingVariablesAreNamed) {
  struct Case {
    std::vector<Var> vars;
    std::vector<std::string> errors;
  };
  const Case cases[] = {
      {{{"WDIR", "DEG", "10.000"}, {"TEMP", "K", "2.000"}}, {" Error- no variable WSPEED"}},
      // "WDIRX" and "TEMPERATURE" are not "WDIR  " and "TEMP  ".
      {{{"WDIRX", "DEG", "0.000"}, {"WSPEED", "M/S", "0.000"}, {"TEMPERATURE", "K", "2.000"}},
       {" Error- no variable WDIR", " Error- no variable TEMP"}},
      {{}, {" Error- no variable WSPEED", " Error- no variable WDIR", " Error- no variable TEMP"}},
  };
  for (const Case& c : cases) {
    ListedRun h;
    const std::string f =
        write_records(h.dir.file("miss.tsf"), series("1.0", c.vars, {data_line(kHour5, {"1", "1", "1"})}));
    MetReading r;
    try {
      METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "Halted in METHDR --- See log file");
    }
    auto recs = h.list_records();
    ASSERT_GE(recs.size(), c.errors.size() + 1);
    EXPECT_EQ(std::vector<std::string>(recs.begin(), recs.begin() + static_cast<long>(c.errors.size())), c.errors);
    // The file name follows, in the same record or, when long, in the next.
    EXPECT_EQ(joined(std::vector<std::string>(recs.begin() + static_cast<long>(c.errors.size()), recs.end())),
              "in CALPOST TIME SERIES file " + f);
    EXPECT_EQ(h.console_lines().front(), c.errors.front().substr(1));
  }
}

TEST(SeriesHeader, FileThatCannotBeOpenedStops) {
  ListedRun h;
  const std::string f = h.dir.file("none.tsf");
  MetReading r;
  try {
    METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
    ADD_FAILURE() << "no stop";
  } catch (const io::Stop& s) {
    EXPECT_EQ(s.text, "");
  }
  const std::string want = "***FATAL ERROR*** cannot open meteorological file " + f + ": No such file or directory";
  EXPECT_EQ(joined(h.list_records()), want);
  EXPECT_EQ(joined(h.console_lines(), 0), want);
  EXPECT_EQ(h.err.str(), want + "\n");
}

// A file without a data line has no hour to give: with or without a period
// line, the header call says so after its anemometer record and stops.
TEST(SeriesHeader, FileWithoutDataStops) {
  for (const std::string version : {"1.0", "1.3"}) {
    SCOPED_TRACE(version);
    ListedRun h;
    const std::string f = write_records(h.dir.file("nodata.tsf"), series(version, kBasic, {"", ""}));
    MetReading r;
    EXPECT_THROW(METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg), io::Stop);
    const auto recs = h.list_records();
    ASSERT_GE(recs.size(), 2u);
    EXPECT_EQ(recs[0], " METSERIES anemometer height set to(m):   10.0000000000000     ");
    EXPECT_EQ(joined(std::vector<std::string>(recs.begin() + 1, recs.end())),
              "no data records in meteorological file " + f);
  }
}

// ----------------------------------------------------------------------------
// Numbers that cannot be read, and headers that end early: where and what.

// A data line whose dates or values cannot be read stops the run when the file
// is read (by the first header call), naming its line and showing the line
// without trailing blanks, at most 80 characters of it. The header of version
// 1.0 with three variables takes 1 + 2 + 1 + 3 + 3 = 10 lines; the good data
// line is line 11, the bad one line 12 (line 13 after a blank line).
TEST(SeriesFaults, UnreadableDataLineNamesTheLine) {
  const std::string good = data_line(kHour5, {"10.0", "1.0", "281.0"});
  const std::string bad_value = data_line(kHour6, {"20.0", "2.5x", "282.0"});
  const std::string bad_hour = put(data_line(kHour6, {"20.0", "2.0", "282.0"}), 13, "x6");
  const std::string bad_day = data_line(dates(2008, 2, 30, 6, 0, 2008, 2, 30, 7, 0), {"20.0", "2.0", "282.0"});
  const std::string bad_begin = data_line(dates(2008, 13, 1, 6, 0, 2008, 3, 1, 7, 0), {"20.0", "2.0", "282.0"});
  const std::string long_line = bad_value + " abcdefghijabcdefghijabcdefghijabcdefghij   ";
  struct Case {
    const char* what;
    std::vector<std::string> data;
    int line;
    std::string text;
  };
  const Case cases[] = {
      {"a value that is not a number", {good, bad_value}, 12, bad_value},
      {"the hour of its begin", {good, bad_hour}, 12, bad_hour},
      {"30 February", {good, bad_day}, 12, bad_day},
      {"month 13 of its begin", {good, "", bad_begin}, 13, bad_begin},
      {"the first data line", {bad_value, good}, 11, bad_value},
      {"a line longer than 80 characters", {good, long_line}, 12, long_line.substr(0, 80)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListedRun h;
    const std::string f = write_records(h.dir.file("bad.tsf"), series("1.0", kBasic, c.data));
    MetReading r;
    try {
      METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "***FATAL ERROR*** cannot read line " + std::to_string(c.line) +
                            " of the meteorological file " + f + ": " + c.text);
    }
    // The header's messages were not written: the file never got that far.
    EXPECT_TRUE(h.list_records().empty());
    EXPECT_TRUE(h.out.str().empty());
  }
}

// A line without an end date is skipped, whatever its other fields hold.
TEST(SeriesFaults, SkippedLinesAreNotRead) {
  ListedRun h;
  const std::string f = write_records(
      h.dir.file("skip.tsf"),
      series("1.0", kBasic,
             {data_line(kHour5, {"10.0", "1.0", "281.0"}),
              data_line(dates(2008, 3, 1, 6, 0, 2008, 3, 0, 7, 0), {"x", "y", "z"}),
              data_line(kHour6, {"20.0", "2.0", "282.0"})}));
  MetReading r;
  METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
  METGET(*h.run, 22, 20, 200806106, 0, r.ws, r.wd, r.temp, r.ipg);
  EXPECT_EQ(r.ws, 2.0);
}

TEST(SeriesFaults, HeaderValuesAndEarlyEnd) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::string first;
    int line;
  };
  std::vector<std::string> good = series("1.0", kBasic, {data_line(kHour5, {"10.0", "1.0", "281.0"})});
  std::vector<std::string> bad_nvar = good;
  bad_nvar[3] = "three";
  std::vector<std::string> bad_height = good;
  bad_height[5] = put(bad_height[5], 40, "x");
  std::vector<std::string> cut(good.begin(), good.begin() + 5);
  std::vector<std::string> bad_period = series("1.3", kBasic, {data_line(kHour5, {"10.0", "1.0", "281.0"})});
  bad_period[11] = put(bad_period[11], 9, "o1");
  const Case cases[] = {
      {"nvar", bad_nvar, " Error- cannot read the number of variables", 4},
      {"height", bad_height, " Error- cannot read a number of the variable record of WSPEED", 6},
      {"cut", cut, " Error- end of file before the variable records", 5},
      {"period", bad_period, " Error- cannot read the period line", 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListedRun h;
    const std::string f = write_records(h.dir.file("hdr.tsf"), c.lines);
    MetReading r;
    try {
      METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "Halted in METHDR --- See log file");
    }
    const auto recs = h.list_records();
    ASSERT_GE(recs.size(), 3u);
    EXPECT_EQ(recs.front(), c.first);
    EXPECT_EQ(joined(std::vector<std::string>(recs.begin() + 1, recs.end() - 1)), "in CALPOST TIME SERIES file " + f);
    EXPECT_EQ(recs.back(),
              " line number" + std::string(12 - std::to_string(c.line).size(), ' ') + std::to_string(c.line));
    EXPECT_EQ(h.console_lines().front(), c.first.substr(1));
  }
}

// ----------------------------------------------------------------------------
// Positioning.

TEST(SeriesGet, GapBetweenRecordsStops) {
  ListedRun h;
  const std::string f =
      write_records(h.dir.file("gap.tsf"),
                    series("1.3", kBasic,
                           {data_line(kHour5, {"10.0", "1.0", "281.0"}), data_line(kHour7, {"30.0", "3.0", "283.0"})}));
  MetReading r;
  METHDR(*h.run, 22, 20, f, r.ws, r.wd, r.temp, r.ipg);
  EXPECT_THROW(METGET(*h.run, 22, 20, 200806106, 600, r.ws, r.wd, r.temp, r.ipg), io::Stop);
  const std::vector<std::string> want = {" ***ERROR***- bad read sequence",
                                         " date requested =    200806106         600",
                                         " beginning date in file =    200806105           0",
                                         " end date in file =    200806109           0",
                                         " beginning date read =    200806107           0",
                                         " end date read =    200806108           0"};
  auto recs = h.list_records();
  ASSERT_EQ(recs.size(), 7u);
  recs.erase(recs.begin());
  EXPECT_EQ(recs, want);
  EXPECT_EQ(h.console_lines(), shown(want));
}

TEST(SeriesFiles, Version13FixtureWholeDay) {
  // series_v13.tsf (made by make_series.py): 1 March 2008, hours 0-23; speed
  // 3.6*(h+1) km/h, direction 15*h, temperature h degrees C, class 1 + h mod 6,
  // MONIN_OB in column 3; a blank line after hour 5 and an end-day-00 line after
  // hour 10.
  ListedRun h;
  MetReading r;
  METHDR(*h.run, 22, 20, test::source_path("tests/data/met/series_v13.tsf"), r.ws, r.wd, r.temp, r.ipg);
  const run::MOD_MET& m = h.run->met;
  EXPECT_EQ(m.FILE_BEGIN_DATEHR, 200806100);
  EXPECT_EQ(m.FILE_END_DATEHR, 200806200);
  EXPECT_EQ(m.IWDIR_COL, 1);
  EXPECT_EQ(m.IWSPEED_COL, 2);
  EXPECT_EQ(m.IMONIN_COL, 3);
  EXPECT_EQ(m.ITEMP_COL, 4);
  EXPECT_EQ(m.ISTAB_COL, 5);
  EXPECT_EQ(m.IWSPEED_UNITS, 2);
  EXPECT_EQ(m.ITEMP_UNITS, 2);
  EXPECT_EQ(m.ANEM_HT, 10.0);
  for (int hr = 0; hr < 24; ++hr) {
    SCOPED_TRACE(hr);
    for (int sec : {0, 1800, 3599}) {
      METGET(*h.run, 22, 20, 200806100 + hr, sec, r.ws, r.wd, r.temp, r.ipg);
      EXPECT_EQ(m.REC_BEGIN_DATEHR, 200806100 + hr);
      EXPECT_NEAR(r.ws, hr + 1.0, 1e-12);
      EXPECT_EQ(r.wd, 15.0 * hr);
      EXPECT_NEAR(r.temp, hr + 273.15, 1e-12);
      EXPECT_EQ(r.ipg, 1 + hr % 6);
    }
  }
  // The end of the window: the last record does not cover it, the file has ended.
  METGET(*h.run, 22, 20, 200806200, 0, r.ws, r.wd, r.temp, r.ipg);
  EXPECT_EQ(r.ws, 9999.0);
  EXPECT_EQ(r.wd, 9999.0);
  EXPECT_NEAR(r.temp, 23 + 273.15, 1e-12);
  EXPECT_EQ(r.ipg, 6);
  EXPECT_THROW(METGET(*h.run, 22, 20, 200806200, 1, r.ws, r.wd, r.temp, r.ipg), io::Stop);
  const auto recs = h.list_records();
  ASSERT_EQ(recs.size(), 5u);
  EXPECT_EQ(recs[0], " METSERIES anemometer height set to(m):   10.0000000000000     ");
  EXPECT_EQ(recs[1], " ERROR- end date/time requested is later");
  EXPECT_EQ(recs[4], " end date in file =    200806200           0");
}

TEST(SeriesFiles, LogUnitZeroKeepsHeaderMessagesOff) {
  ListedRun h;
  MetReading r;
  METHDR(*h.run, 22, 0, test::source_path("tests/data/met/series_v13.tsf"), r.ws, r.wd, r.temp, r.ipg);
  EXPECT_TRUE(h.list_records().empty());
  EXPECT_TRUE(h.out.str().empty());
}

}  // namespace
}  // namespace quelmar::met

#include "met/metseries.hpp"

#include <cstdint>
#include <functional>
#include <ostream>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "common/constants.hpp"
#include "common/dates.hpp"
#include "io/read.hpp"
#include "io/stop.hpp"
#include "io/text.hpp"
#include "io/units.hpp"
#include "met/reader.hpp"
#include "met/store.hpp"

namespace quelmar::met {

namespace {

constexpr std::string_view HALT_UPPER = "Halted in METHDR --- See log file";
constexpr std::string_view HALT_LOWER = "Halted in methdr --- See log file";
constexpr std::string_view IN_FILE = "in CALPOST TIME SERIES file ";
constexpr std::size_t LINE_WIDTH = 320;  // a header or data line is read as 320 characters

// Where the header call takes its lines from: the file, or the header lines
// kept in the store. Returns the status of the read; at the end the line is
// left as it was.
using NextLine = std::function<io::ReadStatus(std::string&)>;

// The next line of the header, counted in line_no for the messages.
io::ReadStatus next_line(run::MOD_MET& m, const NextLine& source, std::string& line) {
  const io::ReadStatus s = source(line);
  if (s == io::ReadStatus::Ok) ++m.line_no;
  return s;
}

// A free-format read of the header (one value from the start of the next record),
// with its lines counted.
io::ReadStatus read_values(run::MOD_MET& m, const NextLine& source, std::initializer_list<io::Target> targets) {
  bool failed = false;
  const std::function<bool(std::string&)> next = [&](std::string& rec) {
    const io::ReadStatus s = next_line(m, source, rec);
    if (s == io::ReadStatus::Error) failed = true;
    return s == io::ReadStatus::Ok;
  };
  const io::ReadStatus s = io::read_free(next, std::span<const io::Target>(targets.begin(), targets.size()));
  return failed ? io::ReadStatus::Error : s;
}

// A begin and an end time as the period line and the data records write them:
// year, month, day, hour and second, twice, right-justified in columns
// first..first+3, +5..+6, +8..+9, +11..+12, +14..+17 and the same again from
// first+19 (the period line starts in column 1, a data record in column 2).
struct BeginEnd {
  int by = 0, bm = 0, bd = 0, bh = 0, bs = 0, ey = 0, em = 0, ed = 0, eh = 0, es = 0;
};

bool read_begin_end(std::string_view line, int first, BeginEnd& d) {
  const int c = first;
  return io::read_int_field(line, c, 4, d.by) && io::read_int_field(line, c + 5, 2, d.bm) &&
         io::read_int_field(line, c + 8, 2, d.bd) && io::read_int_field(line, c + 11, 2, d.bh) &&
         io::read_int_field(line, c + 14, 4, d.bs) && io::read_int_field(line, c + 19, 4, d.ey) &&
         io::read_int_field(line, c + 24, 2, d.em) && io::read_int_field(line, c + 27, 2, d.ed) &&
         io::read_int_field(line, c + 30, 2, d.eh) && io::read_int_field(line, c + 33, 4, d.es);
}

// Messages of the header call go to LOGUNIT only when it names a unit, and
// to standard error.
void to_log(io::Units& u, int logunit, const std::vector<Record>& recs) {
  if (logunit > 0) write_records(u, logunit, recs);
  write_records(u, io::ERR, recs);
}

// A header that ends early or holds an unreadable value: where and what, then stop.
[[noreturn]] void header_fault(io::Units& u, const run::MOD_MET& m, int logunit, std::string_view fmet,
                               const std::string& what, io::ReadStatus status) {
  const std::string head =
      status == io::ReadStatus::End ? "Error- end of file before " + what : "Error- cannot read " + what;
  const std::string file = trimmed_name(fmet);
  const std::vector<Record> recs = {{head}, {IN_FILE, file}, {"line number", m.line_no}};
  to_log(u, logunit, recs);
  write_records(u, io::CONSOLE, recs);
  throw io::Stop{std::string(HALT_UPPER)};
}

// First column of variable k in a data line: 10 columns per variable from column
// 39, and 3 more for the variables after a Monin-Obukhov length.
int variable_column(const run::MOD_MET& m, int k) {
  int s = 39 + 10 * (k - 1);
  if (m.IMONIN_COL > 0 && k > m.IMONIN_COL) s += 3;
  return s;
}

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// The header call up to the first data line: the format record, the comments,
// the titles, the coordinates, the time zone and the period line by version,
// the variables with their units and heights, and the anemometer height on
// LOGUNIT. Sets the variable numbers, the units, the heights and (version 1.3)
// the file window in M; its messages go to U; a fault stops. Returns whether
// the file is of version 1.3.
bool series_header(io::Units& u, run::MOD_MET& m, int logunit, std::string_view name, const NextLine& source) {
  m.IWSPEED_COL = -1;
  m.IWDIR_COL = -1;
  m.ITEMP_COL = -1;
  m.ISTAB_COL = -1;
  m.IMONIN_COL = -1;
  m.line_no = 0;

  // Record 1: format, version and description in columns 1-16, 17-32, 33-96.
  std::string line;
  next_line(m, source, line);
  const std::string format = io::text_field(line, 1, 16);
  const std::string version = io::text_field(line, 17, 16);
  if (format != "TIMESERIES.TSF  ") {
    to_log(u, logunit, {{"Invalid timeseries format!"}, {"Found ", format}, {"Expected TIMESERIES.TSF"}});
    throw io::Stop{std::string(HALT_UPPER)};
  }
  const bool v13 = version == "1.3             ";
  const bool v10 = version == "1.0             ";

  // A count in a record of its own.
  auto read_count = [&](int& n, const char* what) {
    const io::ReadStatus s = read_values(m, source, {io::Target::of(n)});
    if (s != io::ReadStatus::Ok) header_fault(u, m, logunit, name, what, s);
  };
  auto skip_records = [&](int n, const char* what) {
    for (int i = 0; i < n; ++i) {
      const io::ReadStatus s = next_line(m, source, line);
      if (s != io::ReadStatus::Ok) header_fault(u, m, logunit, name, what, s);
    }
  };
  auto read_text8 = [&](io::Text<8>& t, const char* what) {
    const io::ReadStatus s = read_values(m, source, {io::Target::of(t.span())});
    if (s != io::ReadStatus::Ok) header_fault(u, m, logunit, name, what, s);
  };
  // The titles are not used further: all of them are read past, however many.
  auto read_titles = [&](bool upper) {
    int ntitle = 0;
    read_count(ntitle, "the number of title records");
    if (ntitle < 2) {
      const std::vector<Record> recs = {{"Wrong number of title lines in file"}, {"Found    ", ntitle}, {"Needed 2"}};
      if (upper) to_log(u, logunit, {Record{}});
      to_log(u, logunit, recs);
      write_records(u, io::CONSOLE, recs);
      throw io::Stop{std::string(upper ? HALT_UPPER : HALT_LOWER)};
    }
    skip_records(ntitle, "the title records");
  };

  int ncomment = 0;
  read_count(ncomment, "the number of comment records");
  skip_records(ncomment, "the comment records");

  io::Text<8> ckind;
  ckind = "NONE";
  io::Text<8> axtz;
  int nvar = 0;
  if (v10) {
    read_count(nvar, "the number of variables");
  } else if (!v13) {
    read_text8(axtz, "the time zone");
    read_count(nvar, "the number of variables");
  } else {
    read_titles(true);
    read_text8(ckind, "the coordinate kind");
    const std::string_view kind = ckind.trimmed();
    skip_records(kind == "NONE" ? 0 : kind == "LL" ? 2 : kind == "UTM" ? 3 : 4, "the coordinate records");
    read_text8(axtz, "the time zone");
    skip_records(1, "the record before the period line");
    std::string char320m;
    const io::ReadStatus s = next_line(m, source, char320m);
    if (s != io::ReadStatus::Ok) header_fault(u, m, logunit, name, "the period line", s);
    char320m.resize(LINE_WIDTH, ' ');
    BeginEnd d;
    if (!read_begin_end(char320m, 1, d)) header_fault(u, m, logunit, name, "the period line", io::ReadStatus::Error);
    int ijul = 0;
    common::JULDAY(u, logunit, d.by, d.bm, d.bd, ijul);
    common::MKDAT(d.by, ijul, d.bh, m.FILE_BEGIN_DATEHR);
    m.FILE_BEGIN_SEC = d.bs;
    common::JULDAY(u, logunit, d.ey, d.em, d.ed, ijul);
    common::MKDAT(d.ey, ijul, d.eh, m.FILE_END_DATEHR);
    m.FILE_END_SEC = d.es;
    m.REC_BEGIN_DATEHR = m.FILE_BEGIN_DATEHR;
    m.REC_BEGIN_SEC = m.FILE_BEGIN_SEC;
    m.REC_END_DATEHR = m.FILE_END_DATEHR;
    m.REC_END_SEC = m.FILE_END_SEC;
    read_count(nvar, "the number of variables");
  }

  // The zone offset is taken apart as the format defines it; nothing uses it.
  double base_tz = 0.0;
  common::UTCBASR(axtz, base_tz);

  // Variable records: name (1-12), unit (13-24), then numbers of 12 columns with
  // 3 implied decimals; the height is the third of five (version 1.3) or the
  // second of two.
  const int nnum = v13 ? 5 : 2;
  const int hpos = v13 ? 3 : 2;
  for (int i = 1; i <= nvar; ++i) {
    const io::ReadStatus s = next_line(m, source, line);
    if (s != io::ReadStatus::Ok) header_fault(u, m, logunit, name, "the variable records", s);
    const std::string vname = io::text_field(line, 1, 12);
    const std::string vunit = io::text_field(line, 13, 12);
    double height = 0.0;
    for (int k = 1; k <= nnum; ++k) {
      double x = 0.0;
      if (!io::read_real_field(line, 25 + 12 * (k - 1), 12, 3, x))
        header_fault(u, m, logunit, name, "a number of the variable record of " + trimmed_name(vname),
                     io::ReadStatus::Error);
      if (k == hpos) height = x;
    }
    if (starts_with(vname, "WDIR  ")) {
      m.IWDIR_COL = i;
      m.WDIR_HT = height;
    } else if (starts_with(vname, "WSPEED")) {
      m.IWSPEED_COL = i;
      if (height == m.WDIR_HT) {
        m.ANEM_HT = height;
      } else {
        to_log(u, logunit, {{"Error- wind speed ht not provided"}});
        throw io::Stop{std::string(HALT_LOWER)};
      }
      if (starts_with(vunit, "M/S")) {
        m.IWSPEED_UNITS = 1;
      } else if (starts_with(vunit, "KM/H")) {
        m.IWSPEED_UNITS = 2;
      } else if (starts_with(vunit, "KN")) {
        m.IWSPEED_UNITS = 3;
      } else {
        m.IWSPEED_UNITS = 1;
      }
    } else if (starts_with(vname, "TEMP  ")) {
      m.ITEMP_COL = i;
      const char c = vunit[0];
      m.ITEMP_UNITS = c == 'K' ? 1 : c == 'C' ? 2 : c == 'R' ? 3 : c == 'F' ? 4 : 1;
    } else if (starts_with(vname, "STAB_CLASS")) {
      m.ISTAB_COL = i;
    } else if (starts_with(vname, "MONIN_OB")) {
      m.IMONIN_COL = i;
    }
  }

  // Without these three the data columns cannot be placed.
  std::vector<Record> missing;
  if (m.IWSPEED_COL < 1) missing.push_back({"Error- no variable WSPEED"});
  if (m.IWDIR_COL < 1) missing.push_back({"Error- no variable WDIR"});
  if (m.ITEMP_COL < 1) missing.push_back({"Error- no variable TEMP"});
  if (!missing.empty()) {
    const std::string file = trimmed_name(name);
    missing.push_back({IN_FILE, file});
    to_log(u, logunit, missing);
    write_records(u, io::CONSOLE, missing);
    throw io::Stop{std::string(HALT_UPPER)};
  }

  if (logunit > 0) u.free(logunit, {"METSERIES anemometer height set to(m):", m.ANEM_HT});

  if (!v13) read_titles(false);
  return v13;
}

enum class DataLine { Record, Skipped, Unreadable };

// One data line with the columns and units of the header in M: a record, a
// line without an end date (blank, or its end year, month or day 0), or a line
// whose dates or values cannot be read. A line is read as 320 characters.
DataLine series_line(const run::MOD_MET& m, std::string& line, run::MetHour& h) {
  line.resize(LINE_WIDTH, ' ');
  BeginEnd d;
  if (!read_begin_end(line, 2, d)) return DataLine::Unreadable;
  if (d.ey == 0 || d.em == 0 || d.ed == 0) return DataLine::Skipped;
  // A time that no record can name: a year of more than four digits or before
  // year 0, a begin hour beyond 0 to 23, an end hour beyond 0 to 24 (the end
  // of the day), a second beyond 0 to 3599.
  auto within = [](int v, int lo, int hi) { return v >= lo && v <= hi; };
  if (!within(d.by, 0, 9999) || !within(d.ey, 0, 9999) || !within(d.bh, 0, 23) || !within(d.eh, 0, 24) ||
      !within(d.bs, 0, 3599) || !within(d.es, 0, 3599))
    return DataLine::Unreadable;
  int ejul = 0, bjul = 0;
  if (!common::day_of_year(d.ey, d.em, d.ed, ejul) || !common::day_of_year(d.by, d.bm, d.bd, bjul))
    return DataLine::Unreadable;
  common::TIMESTAMP(d.ey, ejul, d.eh, h.end_datehr);
  common::TIMESTAMP(d.by, bjul, d.bh, h.begin_datehr);
  h.begin_sec = static_cast<std::int16_t>(d.bs);
  h.end_sec = static_cast<std::int16_t>(d.es);

  auto variable = [&](int k, double& x) { return io::read_real_field(line, variable_column(m, k), 10, 3, x); };
  if (!variable(m.IWSPEED_COL, h.ws) || !variable(m.IWDIR_COL, h.wd) || !variable(m.ITEMP_COL, h.temp))
    return DataLine::Unreadable;
  if (m.IWSPEED_UNITS == 2) {
    h.ws = h.ws / 3.6;  // km/h
  } else if (m.IWSPEED_UNITS == 3) {
    h.ws = h.ws * 0.51444;  // knots
  }
  if (m.ITEMP_UNITS == 2) {
    h.temp = h.temp + common::ZERO_CELSIUS;  // degrees Celsius
  } else if (m.ITEMP_UNITS == 3) {
    h.temp = h.temp * 5.0 / 9.0;  // degrees Rankine
  } else if (m.ITEMP_UNITS == 4) {
    h.temp = (h.temp - 32.0) * 5.0 / 9.0 + common::ZERO_CELSIUS;  // degrees Fahrenheit
  }
  h.ipg = -1;
  if (m.ISTAB_COL > 0 && !io::read_int_field(line, variable_column(m, m.ISTAB_COL), 10, h.ipg))
    return DataLine::Unreadable;
  return DataLine::Record;
}

// The name the reader opens: the first 128 characters of the field.
std::string_view series_name(std::string_view fmet) { return fmet.substr(0, 128); }

}  // namespace

void read_series_file(run::Run& run, int metunit, std::string_view fmet) {
  const std::string_view name = series_name(fmet);
  run::MetStore& s = run.metstore;
  s = run::MetStore{};
  s.kind = run::MetStore::Series;
  s.name = std::string(name);
  s.opened = run.units.open_read(metunit, name);
  if (!s.opened) {
    s.open_error = run.units.open_error();
    return;
  }

  // The header as the header call of the first pass reads it, in the reader
  // state of that pass, its messages unwritten and a fault kept for that call
  // to report: its lines are kept for the header calls of every pass.
  const NextLine from_file = [&](std::string& line) {
    const io::ReadStatus st = run.units.read_line(metunit, line);
    if (st == io::ReadStatus::Ok) s.header.push_back(line);
    else s.header_end = st;
    return st;
  };
  std::ostream nowhere(nullptr);
  io::Units quiet(nowhere, nowhere);
  run::MOD_MET m = run.met;
  try {
    series_header(quiet, m, io::LST, name, from_file);
  } catch (const io::Stop&) {
    run.units.close(metunit);
    return;
  }

  // The data lines, numbered in the file from the header's lines on.
  long long line_no = static_cast<long long>(s.header.size());
  std::string line, text;
  io::ReadStatus st;
  while ((st = run.units.read_line(metunit, line)) == io::ReadStatus::Ok) {
    ++line_no;
    text = line;
    run::MetHour h;
    const DataLine kind = series_line(m, line, h);
    if (kind == DataLine::Record) s.hours.push_back(h);
    if (kind == DataLine::Unreadable) {
      run.units.close(metunit);
      stop_unreadable(name, line_no, text);
    }
  }
  run.units.close(metunit);
  if (st == io::ReadStatus::Error) stop_unreadable(name, line_no + 1, "");
}

void RDMET(run::Run& run, int /*metunit*/, int /*logunit*/, double& ws, double& wd, double& temp, int& ipg,
           int& ieof) {
  ieof = take_record(run, ws, wd, temp, ipg) ? 0 : 1;
}

void METHDR(run::Run& run, int metunit, int logunit, std::string_view fmet, double& ws, double& wd, double& temp,
            int& ipg) {
  const std::string_view name = series_name(fmet);
  if (!store_holds(run, run::MetStore::Series, name)) read_series_file(run, metunit, name);
  const run::MetStore& s = run.metstore;
  run::MOD_MET& m = run.met;
  if (!s.opened) {
    m.IWSPEED_COL = m.IWDIR_COL = m.ITEMP_COL = m.ISTAB_COL = m.IMONIN_COL = -1;
    m.line_no = 0;
    stop_cannot_open(run, logunit, name);
  }

  // The header from the lines the reading kept, with its messages and faults.
  std::size_t k = 0;
  const NextLine stored = [&](std::string& line) {
    if (k >= s.header.size()) return s.header_end;
    line = s.header[k++];
    return io::ReadStatus::Ok;
  };
  const bool v13 = series_header(run.units, m, logunit, name, stored);

  // Every pass starts from the first record; a file without one (of any
  // version) has nothing to deliver.
  run.metstore.next = 0;
  int ieof = 0;
  RDMET(run, metunit, logunit, ws, wd, temp, ipg, ieof);
  if (ieof != 0) stop_no_data(run.units, logunit, name);
  if (!v13) {
    // No period line: the window runs from the first data line's begin to five
    // years later less one hour, as for an AERMET file.
    m.FILE_BEGIN_DATEHR = m.REC_BEGIN_DATEHR;
    m.FILE_BEGIN_SEC = m.REC_BEGIN_SEC;
    int iyr = 0, ijul = 0, ihr = 0;
    common::DEDAT(m.FILE_BEGIN_DATEHR, iyr, ijul, ihr);
    iyr += 5;
    common::INCR(run.units, logunit, iyr, ijul, ihr, -1);
    common::MKDAT(iyr, ijul, ihr, m.FILE_END_DATEHR);
    m.FILE_END_SEC = 3599;
  }
}

void METGET(run::Run& run, int metunit, int logunit, int reqdatehr, int reqsec, double& ws, double& wd, double& temp,
            int& ipg) {
  position_sequential(run, logunit, CALPOST_KIND, reqdatehr, reqsec, [&]() {
    int ieof = 0;
    RDMET(run, metunit, logunit, ws, wd, temp, ipg, ieof);
    return ieof;
  });
}

}  // namespace quelmar::met

#include "met/metseries.hpp"

#include <functional>
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

namespace quelmar::met {

namespace {

constexpr std::string_view HALT_UPPER = "Halted in METHDR --- See log file";
constexpr std::string_view HALT_LOWER = "Halted in methdr --- See log file";
constexpr std::string_view IN_FILE = "in CALPOST TIME SERIES file ";
constexpr std::size_t LINE_WIDTH = 320;  // a header or data line is read as 320 characters

// The next line of the file, counted in line_no for the messages.
io::ReadStatus next_line(run::Run& run, int unit, std::string& line) {
  const io::ReadStatus s = run.units.read_line(unit, line);
  if (s == io::ReadStatus::Ok) ++run.met.line_no;
  return s;
}

// A free-format read of the header (one value from the start of the next record),
// with its lines counted.
io::ReadStatus read_values(run::Run& run, int unit, std::initializer_list<io::Target> targets) {
  bool failed = false;
  const std::function<bool(std::string&)> next = [&](std::string& rec) {
    const io::ReadStatus s = next_line(run, unit, rec);
    if (s == io::ReadStatus::Error) failed = true;
    return s == io::ReadStatus::Ok;
  };
  const io::ReadStatus s = io::read_free(next, std::span<const io::Target>(targets.begin(), targets.size()));
  return failed ? io::ReadStatus::Error : s;
}

// Messages of the header call go to LOGUNIT only when it names a unit.
void to_log(run::Run& run, int logunit, const std::vector<Record>& recs) {
  if (logunit > 0) write_records(run, logunit, recs);
}

// A header that ends early or holds an unreadable value: where and what, then stop.
[[noreturn]] void header_fault(run::Run& run, int logunit, std::string_view fmet, const std::string& what,
                               io::ReadStatus status) {
  const std::string head =
      status == io::ReadStatus::End ? "Error- end of file before " + what : "Error- cannot read " + what;
  const std::string file = trimmed_name(fmet);
  const std::vector<Record> recs = {{head}, {IN_FILE, file}, {"line number", run.met.line_no}};
  to_log(run, logunit, recs);
  write_records(run, io::CONSOLE, recs);
  throw io::Stop{std::string(HALT_UPPER)};
}

// A data line with a field that cannot be read as a number: stop.
[[noreturn]] void data_fault(run::Run& run, int logunit, const std::string& what, std::string_view field) {
  const std::string head = "Error- cannot read " + what;
  const std::string found = "found: [" + std::string(field) + "]";
  const std::vector<Record> recs = {{head}, {"in CALPOST TIME SERIES file"}, {"line number", run.met.line_no}, {found}};
  to_log(run, logunit, recs);
  write_records(run, io::CONSOLE, recs);
  throw io::Stop{};
}

void read_int(run::Run& run, int logunit, std::string_view line, int col, int width, int& out, const char* what) {
  if (!io::read_int_field(line, col, width, out)) data_fault(run, logunit, what, io::text_field(line, col, width));
}

// First column of variable k in a data line: 10 columns per variable from column
// 39, and 3 more for the variables after a Monin-Obukhov length.
int variable_column(const run::MOD_MET& m, int k) {
  int s = 39 + 10 * (k - 1);
  if (m.IMONIN_COL > 0 && k > m.IMONIN_COL) s += 3;
  return s;
}

double read_variable(run::Run& run, int logunit, std::string_view line, int k, const char* what) {
  const int s = variable_column(run.met, k);
  double x = 0.0;
  if (!io::read_real_field(line, s, 10, 3, x)) data_fault(run, logunit, what, io::text_field(line, s, 10));
  return x;
}

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

}  // namespace

void RDMET(run::Run& run, int metunit, int logunit, double& ws, double& wd, double& temp, int& ipg, int& ieof) {
  run::MOD_MET& m = run.met;
  std::string line;
  int by = 0, bm = 0, bd = 0, bh = 0, bs = 0, ey = 0, em = 0, ed = 0, eh = 0, es = 0;
  while (true) {
    line.clear();
    ws = 9999.0;
    wd = 9999.0;
    if (next_line(run, metunit, line) != io::ReadStatus::Ok) {
      ieof = 1;
      return;
    }
    line.resize(LINE_WIDTH, ' ');

    m.REC_BEGIN_SEC = 0;
    m.REC_END_SEC = 0;
    read_int(run, logunit, line, 2, 4, by, "the begin year");
    read_int(run, logunit, line, 7, 2, bm, "the begin month");
    read_int(run, logunit, line, 10, 2, bd, "the begin day");
    read_int(run, logunit, line, 13, 2, bh, "the begin hour");
    read_int(run, logunit, line, 16, 4, bs, "the begin second");
    read_int(run, logunit, line, 21, 4, ey, "the end year");
    read_int(run, logunit, line, 26, 2, em, "the end month");
    read_int(run, logunit, line, 29, 2, ed, "the end day");
    read_int(run, logunit, line, 32, 2, eh, "the end hour");
    read_int(run, logunit, line, 35, 4, es, "the end second");
    m.REC_BEGIN_SEC = bs;
    m.REC_END_SEC = es;
    // A blank line, or one without an end date, holds no record.
    if (ey == 0 || em == 0 || ed == 0) continue;
    break;
  }

  int ijul = 0;
  common::JULDAY(run.units, logunit, ey, em, ed, ijul);
  common::TIMESTAMP(ey, ijul, eh, m.REC_END_DATEHR);
  common::JULDAY(run.units, logunit, by, bm, bd, ijul);
  common::TIMESTAMP(by, ijul, bh, m.REC_BEGIN_DATEHR);

  ws = read_variable(run, logunit, line, m.IWSPEED_COL, "WSPEED");
  if (m.IWSPEED_UNITS == 2) {
    ws = ws / 3.6;  // km/h
  } else if (m.IWSPEED_UNITS == 3) {
    ws = ws * 0.51444;  // knots
  }
  wd = read_variable(run, logunit, line, m.IWDIR_COL, "WDIR");
  temp = read_variable(run, logunit, line, m.ITEMP_COL, "TEMP");
  if (m.ITEMP_UNITS == 2) {
    temp = temp + common::ZERO_CELSIUS;  // degrees Celsius
  } else if (m.ITEMP_UNITS == 3) {
    temp = temp * 5.0 / 9.0;  // degrees Rankine
  } else if (m.ITEMP_UNITS == 4) {
    temp = (temp - 32.0) * 5.0 / 9.0 + common::ZERO_CELSIUS;  // degrees Fahrenheit
  }
  if (m.ISTAB_COL > 0) {
    read_int(run, logunit, line, variable_column(m, m.ISTAB_COL), 10, ipg, "STAB_CLASS");
  } else {
    ipg = -1;
  }
  ieof = 0;
}

void METHDR(run::Run& run, int metunit, int logunit, std::string_view fmet, double& ws, double& wd, double& temp,
            int& ipg) {
  run::MOD_MET& m = run.met;
  m.IWSPEED_COL = -1;
  m.IWDIR_COL = -1;
  m.ITEMP_COL = -1;
  m.ISTAB_COL = -1;
  m.IMONIN_COL = -1;
  m.line_no = 0;

  const std::string_view name = fmet.substr(0, 128);
  if (!run.units.open_read(metunit, name)) stop_cannot_open(run, logunit, name);

  // Record 1: format, version and description in columns 1-16, 17-32, 33-96.
  std::string line;
  next_line(run, metunit, line);
  const std::string format = io::text_field(line, 1, 16);
  const std::string version = io::text_field(line, 17, 16);
  if (format != "TIMESERIES.TSF  ") {
    to_log(run, logunit, {{"Invalid timeseries format!"}, {"Found ", format}, {"Expected TIMESERIES.TSF"}});
    throw io::Stop{std::string(HALT_UPPER)};
  }
  const bool v13 = version == "1.3             ";
  const bool v10 = version == "1.0             ";

  // A count in a record of its own.
  auto read_count = [&](int& n, const char* what) {
    const io::ReadStatus s = read_values(run, metunit, {io::Target::of(n)});
    if (s != io::ReadStatus::Ok) header_fault(run, logunit, name, what, s);
  };
  auto skip_records = [&](int n, const char* what) {
    for (int i = 0; i < n; ++i) {
      const io::ReadStatus s = next_line(run, metunit, line);
      if (s != io::ReadStatus::Ok) header_fault(run, logunit, name, what, s);
    }
  };
  auto read_text8 = [&](io::Text<8>& t, const char* what) {
    const io::ReadStatus s = read_values(run, metunit, {io::Target::of(t.span())});
    if (s != io::ReadStatus::Ok) header_fault(run, logunit, name, what, s);
  };
  // The titles are not used further: all of them are read past, however many.
  auto read_titles = [&](bool upper) {
    int ntitle = 0;
    read_count(ntitle, "the number of title records");
    if (ntitle < 2) {
      const std::vector<Record> recs = {{"Wrong number of title lines in file"}, {"Found    ", ntitle}, {"Needed 2"}};
      if (upper) to_log(run, logunit, {Record{}});
      to_log(run, logunit, recs);
      write_records(run, io::CONSOLE, recs);
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
    const io::ReadStatus s = next_line(run, metunit, char320m);
    if (s != io::ReadStatus::Ok) header_fault(run, logunit, name, "the period line", s);
    char320m.resize(LINE_WIDTH, ' ');
    int by = 0, bm = 0, bd = 0, bh = 0, bs = 0, ey = 0, em = 0, ed = 0, eh = 0, es = 0;
    const bool ok = io::read_int_field(char320m, 1, 4, by) && io::read_int_field(char320m, 6, 2, bm) &&
                    io::read_int_field(char320m, 9, 2, bd) && io::read_int_field(char320m, 12, 2, bh) &&
                    io::read_int_field(char320m, 15, 4, bs) && io::read_int_field(char320m, 20, 4, ey) &&
                    io::read_int_field(char320m, 25, 2, em) && io::read_int_field(char320m, 28, 2, ed) &&
                    io::read_int_field(char320m, 31, 2, eh) && io::read_int_field(char320m, 34, 4, es);
    if (!ok) header_fault(run, logunit, name, "the period line", io::ReadStatus::Error);
    int ijul = 0;
    common::JULDAY(run.units, logunit, by, bm, bd, ijul);
    common::MKDAT(by, ijul, bh, m.FILE_BEGIN_DATEHR);
    m.FILE_BEGIN_SEC = bs;
    common::JULDAY(run.units, logunit, ey, em, ed, ijul);
    common::MKDAT(ey, ijul, eh, m.FILE_END_DATEHR);
    m.FILE_END_SEC = es;
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
    const io::ReadStatus s = next_line(run, metunit, line);
    if (s != io::ReadStatus::Ok) header_fault(run, logunit, name, "the variable records", s);
    const std::string vname = io::text_field(line, 1, 12);
    const std::string vunit = io::text_field(line, 13, 12);
    double height = 0.0;
    for (int k = 1; k <= nnum; ++k) {
      double x = 0.0;
      if (!io::read_real_field(line, 25 + 12 * (k - 1), 12, 3, x))
        header_fault(run, logunit, name, "a number of the variable record of " + trimmed_name(vname),
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
        to_log(run, logunit, {{"Error- wind speed ht not provided"}});
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
      const char u = vunit[0];
      m.ITEMP_UNITS = u == 'K' ? 1 : u == 'C' ? 2 : u == 'R' ? 3 : u == 'F' ? 4 : 1;
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
    to_log(run, logunit, missing);
    write_records(run, io::CONSOLE, missing);
    throw io::Stop{std::string(HALT_UPPER)};
  }

  if (logunit > 0) run.units.free(logunit, {"METSERIES anemometer height set to(m):", m.ANEM_HT});

  if (!v13) read_titles(false);

  int ieof = 0;
  RDMET(run, metunit, logunit, ws, wd, temp, ipg, ieof);
  if (!v13) {
    // No period line: the window runs from the first data line's begin to five
    // years later less one hour, as for an AERMET file.
    if (ieof != 0) stop_no_data(run, logunit, name);
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

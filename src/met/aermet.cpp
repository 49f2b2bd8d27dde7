#include "met/aermet.hpp"

#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "common/crmath.hpp"
#include "common/dates.hpp"
#include "io/read.hpp"
#include "io/stop.hpp"
#include "io/units.hpp"
#include "met/reader.hpp"
#include "met/store.hpp"

namespace quelmar::met {

void LTOPG(int& ipg, double xmol, double z0) {
  double z = z0;
  if (z > 0.5) z = 0.5;
  if (z < 0.01) z = 0.01;
  const double lz = crmath::log(z);
  if (xmol >= 0.0) {
    if (xmol >= -327.0 / (lz - 0.627)) {
      ipg = 4;
    } else if (xmol >= -70.0 / (lz - 0.295)) {
      ipg = 5;
    } else {
      ipg = 6;
    }
  } else {
    const double m = -xmol;
    if (m <= -70.0 / (lz - 4.35)) {
      ipg = 1;
    } else if (m <= -85.2 / (lz - 0.502)) {
      ipg = 2;
    } else if (m <= -245.0 / (lz - 0.05)) {
      ipg = 3;
    } else {
      ipg = 4;
    }
  }
}

namespace {

// The year of a record: two digits below 50 in the 2000s, 50 to 99 in the 1900s.
int aermet_year(int yy) {
  if (yy < 50) return yy + 2000;
  if (yy < 100) return yy + 1900;
  return yy;
}

// Whether the date and hour of a record (values 1-5: year, month, day, day of
// the year, hour 1-24) name an hour at all: a year of at most four digits, a
// month and a day of the month of the calendar, a day of that year, an hour
// from 1 to 24. Any other record would make date-hour codes of no hour.
bool aermet_date_holds(const std::array<int, 5>& n) {
  if (n[0] < 0 || n[0] > 9999) return false;
  const int iyr = aermet_year(n[0]);
  int ijul = 0;
  if (!common::day_of_year(iyr, n[1], n[2], ijul)) return false;
  int last = 0;
  common::day_of_year(iyr, 12, 31, last);
  return n[3] >= 1 && n[3] <= last && n[4] >= 1 && n[4] <= 24;
}

// The hour of one record from its 20 values: values 1-5 the integers (year,
// month, day, day of the year, hour 1-24), 6-20 the doubles.
run::MetHour aermet_hour(const std::array<int, 5>& n, const std::array<double, 15>& v) {
  auto value = [&](int pos) { return v[static_cast<std::size_t>(pos - 6)]; };
  const int iyr = aermet_year(n[0]);
  const int ijul = n[3];
  const int ihr = n[4] - 1;  // hours 1-24 name the hour by its end

  run::MetHour h;
  h.begin_sec = 0;
  h.end_sec = 3599;
  common::TIMESTAMP(iyr, ijul, ihr, h.end_datehr);
  common::TIMESTAMP(iyr, ijul, ihr, h.begin_datehr);
  h.temp = value(19);
  LTOPG(h.ipg, value(12), value(13));
  h.anem_ht = value(18);
  h.ws = value(16);
  h.wd = value(17);
  return h;
}

}  // namespace

int aermet_station_id(std::string_view header, std::string_view label) {
  const std::size_t at = header.find(label);
  if (label.empty() || at == std::string_view::npos) return -1;
  std::size_t b = at + label.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (b < header.size() && blank(header[b])) ++b;
  std::size_t e = b;
  while (e < header.size() && !blank(header[e])) ++e;
  const std::string_view word = header.substr(b, e - b);
  if (word.empty() || word.size() > 8) return -1;
  int id = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') return -1;
    id = id * 10 + (c - '0');
  }
  return id;
}

void read_aermet_file(run::Run& run, int metunit, std::string_view fmet) {
  run::MetStore& s = run.metstore;
  s = run::MetStore{};
  s.kind = run::MetStore::Aermet;
  s.name = std::string(fmet);
  s.opened = run.units.open_read(metunit, fmet);
  if (!s.opened) {
    s.open_error = run.units.open_error();
    return;
  }

  // Of the header line only the station numbers are kept; a longer header
  // than usual does no harm. A failed read is reported by the header call.
  std::string record;
  s.header_status = run.units.read_line(metunit, record);
  if (s.header_status == io::ReadStatus::Error) {
    run.units.close(metunit);
    return;
  }
  if (s.header_status == io::ReadStatus::Ok) {
    // The stations that AERMOD compares with those its control file names.
    s.sf_id = aermet_station_id(record, "SF_ID:");
    s.ua_id = aermet_station_id(record, "UA_ID:");
  }

  // Each record is one free-format read of 20 values, which may go on over
  // several lines and skips what its last line holds beyond them.
  long long line = s.header_status == io::ReadStatus::Ok ? 1 : 0;  // lines taken so far
  bool content = false;   // a line of the current record holds more than blanks
  bool failed = false;    // a line could not be taken from the file
  long long last = 0;     // the last line taken that holds more than blanks,
  std::string last_text;  // and its text
  long long first = 0;    // the first line of the current record that does,
  std::string first_text; // and its text
  const std::function<bool(std::string&)> next = [&](std::string& rec) {
    const io::ReadStatus st = run.units.read_line(metunit, rec);
    if (st == io::ReadStatus::Error) failed = true;
    if (st != io::ReadStatus::Ok) return false;
    ++line;
    if (rec.find_first_not_of(" \t\r") != std::string::npos) {
      if (!content) {
        first = line;
        first_text.assign(rec);
      }
      content = true;
      last = line;
      last_text.assign(rec);
    }
    return true;
  };
  while (true) {
    std::array<int, 5> n{};
    std::array<double, 15> v{};
    std::array<io::Target, 20> targets;
    for (std::size_t i = 0; i < n.size(); ++i) targets[i] = io::Target::of(n[i]);
    for (std::size_t i = 0; i < v.size(); ++i) targets[5 + i] = io::Target::of(v[i]);
    content = false;
    const io::ReadStatus st = io::read_free(next, targets, nullptr, record);
    if (st == io::ReadStatus::Ok && aermet_date_holds(n)) {
      s.hours.push_back(aermet_hour(n, v));
      continue;
    }
    if (st == io::ReadStatus::Ok) {
      // Readable numbers that name no hour: the line that holds the date.
      run.units.close(metunit);
      stop_unreadable(s.name, first, first_text);
    }
    // Blank lines up to the end of the file end it; a record cut short by the
    // end or a value that is not a number stop the run, naming the line that
    // holds the value (or the record's last line), and so does a line that
    // cannot be taken from the file.
    if (st == io::ReadStatus::End && !content && !failed) break;
    run.units.close(metunit);
    if (failed) stop_unreadable(s.name, line + 1, "");
    stop_unreadable(s.name, last, last_text);
  }
  run.units.close(metunit);
}

void RDMET_AERMET(run::Run& run, int /*metunit*/, int /*logunit*/, double& ws, double& wd, double& temp, int& ipg,
                  int& ieof) {
  ieof = take_record(run, ws, wd, temp, ipg) ? 0 : 1;
}

void METHDR_AERMET(run::Run& run, int metunit, int logunit, std::string_view fmet, double& ws, double& wd,
                   double& temp, int& ipg, int mnonseq) {
  run::MOD_MET& m = run.met;
  m.ANEM_HT = -1.0;
  m.WDIR_HT = -1.0;

  if (!store_holds(run, run::MetStore::Aermet, fmet)) read_aermet_file(run, metunit, fmet);
  const run::MetStore& s = run.metstore;
  if (!s.opened) stop_cannot_open(run, logunit, fmet);
  if (s.header_status == io::ReadStatus::Error) {
    const std::string file = trimmed_name(fmet);
    report(run.units, logunit, {{"cannot read meteorological file ", file}});
    throw io::Stop{};
  }

  // Every pass starts from the first record.
  run.metstore.next = 0;
  double t = 0.0;
  int ieof = 0;
  RDMET_AERMET(run, metunit, logunit, ws, wd, t, ipg, ieof);
  temp = t;
  // Without a single hour the file window would rest on nothing.
  if (ieof != 0) stop_no_data(run.units, logunit, fmet);

  m.FILE_BEGIN_DATEHR = m.REC_BEGIN_DATEHR;
  m.FILE_BEGIN_SEC = m.REC_BEGIN_SEC;
  int iyr = 0, ijul = 0, ihr = 0;
  common::DEDAT(m.FILE_BEGIN_DATEHR, iyr, ijul, ihr);
  iyr += mnonseq == 1 ? 7000 : 5;
  common::INCR(run.units, logunit, iyr, ijul, ihr, -1);
  common::MKDAT(iyr, ijul, ihr, m.FILE_END_DATEHR);
  m.FILE_END_SEC = m.REC_END_SEC;

  run.units.free(logunit, {"AERMET anemometer height set to(m):", m.ANEM_HT});
}

void METGET_AERMET(run::Run& run, int metunit, int logunit, int& reqdatehr, int reqsec, double& ws, double& wd,
                   double& temp, int& ipg, int mnonseq) {
  run::MOD_MET& m = run.met;
  if (mnonseq == 1) {
    bool ended = false;
    if (reqdatehr != m.REC_BEGIN_DATEHR) {
      int ieof = 0;
      RDMET_AERMET(run, metunit, logunit, ws, wd, temp, ipg, ieof);
      ended = ieof != 0;
    }
    reqdatehr = m.REC_BEGIN_DATEHR;
    if (ended) {
      // Collapsed window: the mark that the file has ended.
      m.FILE_BEGIN_DATEHR = reqdatehr;
      m.FILE_END_DATEHR = reqdatehr;
      m.FILE_BEGIN_SEC = 3600;
      m.FILE_END_SEC = 3600;
    }
    return;
  }
  position_sequential(run, logunit, AERMET_KIND, reqdatehr, reqsec, [&]() {
    int ieof = 0;
    RDMET_AERMET(run, metunit, logunit, ws, wd, temp, ipg, ieof);
    return ieof;
  });
}

}  // namespace quelmar::met

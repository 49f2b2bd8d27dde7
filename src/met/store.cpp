#include "met/store.hpp"

#include <cstdint>
#include <string>

#include "common/dates.hpp"
#include "io/format.hpp"
#include "io/stop.hpp"
#include "io/text.hpp"
#include "io/units.hpp"
#include "met/aermet.hpp"
#include "met/metseries.hpp"
#include "met/reader.hpp"

namespace quelmar::met {

namespace {

// An integer with at least `least` digits (leading zeros), as wide as it needs.
std::string digits(long long v, int least) {
  int n = v < 0 ? 1 : 0;
  for (long long x = v; x != 0; x /= 10) ++n;
  if (n < least) n = least;
  return io::fmt_I(v, n, least);
}

// The hours of year `iyr`.
std::int64_t hours_of_year(int iyr) {
  std::int64_t h = 0;
  common::DELTT(iyr, 1, 0, iyr + 1, 1, 0, h);
  return h;
}

// YYYY-MM-DD HH of a date-hour, its day of the year and hour taken as the date
// arithmetic takes them (a day beyond its year's end lies in the next year).
std::string calendar_hour(io::Units& u, int datehr) {
  int iyr = 0, ijul = 0, ihr = 0;
  common::DEDAT(datehr, iyr, ijul, ihr);
  std::int64_t h = 0;  // hours from the start of year iyr
  common::DELTT(iyr, 1, 0, iyr, ijul, ihr, h);
  while (h < 0) h += hours_of_year(--iyr);
  while (h >= hours_of_year(iyr)) h -= hours_of_year(iyr++);
  int imo = 0, iday = 0;
  common::GRDAY(u, io::LST, iyr, static_cast<int>(h / 24) + 1, imo, iday);
  return digits(iyr, 4) + "-" + digits(imo, 2) + "-" + digits(iday, 2) + " " + digits(h % 24, 2);
}

// The date-hour of the hour that holds the last second of a record ending at
// (DATEHR, SEC): an AERMET record ending at second 3599 of its hour has that
// hour, a time-series record ending at 06:00:00 the hour from 05:00.
int last_hour(io::Units& u, int datehr, int sec) {
  int iyr = 0, ijul = 0, ihr = 0;
  common::DEDAT(datehr, iyr, ijul, ihr);
  common::INCRS(u, io::LST, iyr, ijul, ihr, sec, -1);
  common::INCRS(u, io::LST, iyr, ijul, ihr, sec, 0);  // seconds beyond the hour move it on
  int idate = 0;
  common::MKDAT(iyr, ijul, ihr, idate);
  return idate;
}

}  // namespace

void read_meteorology(run::Run& run, int mmet, int metunit, std::string_view fmet) {
  if (mmet == run::MetStore::Series) read_series_file(run, metunit, fmet);
  if (mmet == run::MetStore::Aermet) read_aermet_file(run, metunit, fmet);
}

void require_period(run::Run& run, int idatee) {
  const run::MetStore& s = run.metstore;
  if (s.hours.empty()) return;
  const run::MetHour& last = s.hours.back();
  const int hour = last_hour(run.units, last.end_datehr, last.end_sec);
  std::int64_t d = 0;
  common::DELTSEC(hour, 0, idatee, 0, d);
  if (d <= 0) return;
  throw io::Stop{"***FATAL ERROR*** the meteorological file " + io::host_path(s.name) +
                 " ends before the period: its last hour is " + calendar_hour(run.units, hour) +
                 ", the period's last hour is " + calendar_hour(run.units, idatee)};
}

void require_period_start(run::Run& run, int logunit, std::string_view filekind, int reqdatehr, int reqsec) {
  const run::MOD_MET& m = run.met;
  std::int64_t d = 0;
  common::DELTSEC(m.FILE_BEGIN_DATEHR, m.FILE_BEGIN_SEC, reqdatehr, reqsec, d);
  if (d >= 0) return;
  stop_position(run, logunit, filekind, PositionError::Early, reqdatehr, reqsec,
                "***FATAL ERROR*** the meteorological file " + io::host_path(run.metstore.name) +
                    " begins after the period's start: its first hour is " +
                    calendar_hour(run.units, m.FILE_BEGIN_DATEHR) + ", the period's first hour is " +
                    calendar_hour(run.units, reqdatehr));
}

bool store_holds(const run::Run& run, run::MetStore::Kind kind, std::string_view name) {
  return run.metstore.kind == kind && run.metstore.name == name;
}

bool take_record(run::Run& run, double& ws, double& wd, double& temp, int& ipg) {
  ws = 9999.0;
  wd = 9999.0;
  run::MetStore& s = run.metstore;
  if (s.next >= s.hours.size()) return false;
  const run::MetHour& h = s.hours[s.next++];
  run::MOD_MET& m = run.met;
  m.REC_BEGIN_DATEHR = h.begin_datehr;
  m.REC_BEGIN_SEC = h.begin_sec;
  m.REC_END_DATEHR = h.end_datehr;
  m.REC_END_SEC = h.end_sec;
  if (s.kind == run::MetStore::Aermet) m.ANEM_HT = h.anem_ht;
  temp = h.temp;
  ipg = h.ipg;
  ws = h.ws;
  wd = h.wd;
  return true;
}

void stop_unreadable(std::string_view name, long long line, std::string_view text) {
  // The line without trailing blanks, at most 80 characters of it.
  text = text.substr(0, static_cast<std::size_t>(io::LEN_REAL(text)));
  text = text.substr(0, 80);
  text = text.substr(0, static_cast<std::size_t>(io::LEN_REAL(text)));
  throw io::Stop{"***FATAL ERROR*** cannot read line " + digits(line, 1) + " of the meteorological file " +
                 io::host_path(name) + ": " + std::string(text)};
}

}  // namespace quelmar::met

// What the two meteorological readers share: the sequential positioning of the
// get call (the record that covers a requested time, with the three positioning
// errors), the writing of error records to the list file, the console and
// standard error, and the stop for a file that cannot be opened or holds no
// data.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/dates.hpp"
#include "run/run.hpp"
#include "io/format.hpp"
#include "io/units.hpp"

namespace quelmar::met {

// File kinds named in the positioning errors.
inline constexpr std::string_view AERMET_KIND = "AERMET TIME SERIES file";
inline constexpr std::string_view CALPOST_KIND = "CALPOST TIME SERIES file";

// One free-format record as a list of items. The items may point into texts
// that the caller keeps alive while the records are written.
using Record = std::vector<io::Item>;

// Writes the records to `unit` (nothing when the unit is not open).
void write_records(io::Units& u, int unit, const std::vector<Record>& recs);
// Writes the records first to LOGUNIT, then the same records to the console
// and to standard error.
void report(io::Units& u, int logunit, const std::vector<Record>& recs);

// The file name as given: cut at a NUL and without trailing blanks, TABs, NULs.
std::string trimmed_name(std::string_view name);

// "***FATAL ERROR*** cannot open meteorological file NAME: REASON" (the reason
// that the reading of the file into the store met) on LOGUNIT, the console and
// standard error, then the run stops.
[[noreturn]] void stop_cannot_open(run::Run& run, int logunit, std::string_view name);
// "no data records in meteorological file" and the name, likewise.
[[noreturn]] void stop_no_data(io::Units& u, int logunit, std::string_view name);

// The errors of a sequential get call: a request before the file window
// (Early), after it (Late), or before the current record (Sequence). Writes
// the error records to LOGUNIT, the console and standard error, and stops the
// run with `stop_text` (none when empty).
enum class PositionError { Early, Late, Sequence };
[[noreturn]] void stop_position(run::Run& run, int logunit, std::string_view filekind, PositionError error,
                                int reqdatehr, int reqsec, const std::string& stop_text = {});

// Sequential get call of both readers: moves forward through the file, with
// `read_next` (which reads one record into the caller's outputs and returns 0,
// or 1 at the end of the file), until the current record covers the request
// (REQDATEHR, REQSEC): from its begin up to but not including its end. A request
// before the file window, after it, or before the current record writes the
// error records to LOGUNIT, the console and standard error and stops the run. At the end of
// the file the record window is parked before every later request, so that
// each of them reads the end again (wind speed and direction 9999).
template <class ReadNext>
void position_sequential(run::Run& run, int logunit, std::string_view filekind, int reqdatehr, int reqsec,
                         ReadNext&& read_next) {
  run::MOD_MET& m = run.met;
  std::int64_t d1 = 0, d2 = 0;
  common::DELTSEC(m.FILE_BEGIN_DATEHR, m.FILE_BEGIN_SEC, reqdatehr, reqsec, d1);
  common::DELTSEC(reqdatehr, reqsec, m.FILE_END_DATEHR, m.FILE_END_SEC, d2);
  while (true) {
    std::int64_t d3 = 0, d4 = 0;
    common::DELTSEC(m.REC_BEGIN_DATEHR, m.REC_BEGIN_SEC, reqdatehr, reqsec, d3);
    common::DELTSEC(reqdatehr, reqsec, m.REC_END_DATEHR, m.REC_END_SEC, d4);
    if (d1 < 0) stop_position(run, logunit, filekind, PositionError::Early, reqdatehr, reqsec);
    if (d2 < 0) stop_position(run, logunit, filekind, PositionError::Late, reqdatehr, reqsec);
    if (d3 < 0) stop_position(run, logunit, filekind, PositionError::Sequence, reqdatehr, reqsec);
    // The current record covers the request: the caller's values stand.
    if (d4 > 0) return;

    if (read_next() != 0) {
      // End of the file: a record window that lies before any later request.
      m.REC_BEGIN_DATEHR = m.FILE_BEGIN_DATEHR;
      m.REC_END_DATEHR = m.FILE_BEGIN_DATEHR;
      m.REC_BEGIN_SEC = m.FILE_END_SEC;
      m.REC_END_SEC = m.FILE_END_SEC;
      return;
    }
  }
}

}  // namespace quelmar::met

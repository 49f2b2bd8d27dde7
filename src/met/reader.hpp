// What the two meteorological readers share: the sequential positioning of the
// get call (the record that covers a requested time, with the three positioning
// errors), the writing of error records to the list file and the console, and
// the stop for a file that cannot be opened or holds no data.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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
// Writes the records first to LOGUNIT, then the same records to the console.
void report(io::Units& u, int logunit, const std::vector<Record>& recs);

// The file name as given: cut at a NUL and without trailing blanks, TABs, NULs.
std::string trimmed_name(std::string_view name);

// "cannot open meteorological file" and the name on LOGUNIT and the console,
// then the run stops.
[[noreturn]] void stop_cannot_open(io::Units& u, int logunit, std::string_view name);
// "no data records in meteorological file" and the name, likewise.
[[noreturn]] void stop_no_data(io::Units& u, int logunit, std::string_view name);

// Sequential get call of both readers: moves forward through the file, with
// `read_next` (which reads one record into the caller's outputs and returns 0,
// or 1 at the end of the file), until the current record covers the request
// (REQDATEHR, REQSEC): from its begin up to but not including its end. A request
// before the file window, after it, or before the current record writes the
// error records to LOGUNIT and the console and stops the run. At the end of
// the file the record window is parked before every later request, so that
// each of them reads the end again (wind speed and direction 9999).
void position_sequential(run::Run& run, int logunit, std::string_view filekind, int reqdatehr, int reqsec,
                         const std::function<int()>& read_next);

}  // namespace quelmar::met

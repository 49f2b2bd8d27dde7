#include "met/reader.hpp"

#include <cstdint>

#include "common/dates.hpp"
#include "io/stop.hpp"
#include "io/text.hpp"
#include "io/units.hpp"

namespace quelmar::met {

void write_records(io::Units& u, int unit, const std::vector<Record>& recs) {
  for (const Record& r : recs) u.free(unit, r);
}

void report(io::Units& u, int logunit, const std::vector<Record>& recs) {
  write_records(u, logunit, recs);
  write_records(u, io::CONSOLE, recs);
  write_records(u, io::ERR, recs);
}

std::string trimmed_name(std::string_view name) {
  const std::size_t nul = name.find('\0');
  if (nul != std::string_view::npos) name = name.substr(0, nul);
  return std::string(name.substr(0, static_cast<std::size_t>(io::LEN_REAL(name))));
}

void stop_cannot_open(run::Run& run, int logunit, std::string_view name) {
  const std::string file = io::host_path(name);
  report(run.units, logunit,
         {{"***FATAL ERROR*** cannot open meteorological file ", file, ": ", run.metstore.open_error}});
  throw io::Stop{};
}

void stop_no_data(io::Units& u, int logunit, std::string_view name) {
  const std::string file = trimmed_name(name);
  report(u, logunit, {{"no data records in meteorological file ", file}});
  throw io::Stop{};
}

void stop_position(run::Run& run, int logunit, std::string_view filekind, PositionError error, int reqdatehr,
                   int reqsec, const std::string& stop_text) {
  const run::MOD_MET& m = run.met;
  const std::string than = "than data in " + std::string(filekind);
  switch (error) {
    case PositionError::Early:
      report(run.units, logunit,
             {{"ERROR- beginning date/time requested is earlier"},
              {than},
              {"date requested = ", reqdatehr, reqsec},
              {"beginning date in file = ", m.FILE_BEGIN_DATEHR, m.FILE_BEGIN_SEC}});
      break;
    case PositionError::Late:
      report(run.units, logunit,
             {{"ERROR- end date/time requested is later"},
              {than},
              {"date requested = ", reqdatehr, reqsec},
              {"end date in file = ", m.FILE_END_DATEHR, m.FILE_END_SEC}});
      break;
    case PositionError::Sequence:
      report(run.units, logunit,
             {{"***ERROR***- bad read sequence"},
              {"date requested = ", reqdatehr, reqsec},
              {"beginning date in file = ", m.FILE_BEGIN_DATEHR, m.FILE_BEGIN_SEC},
              {"end date in file = ", m.FILE_END_DATEHR, m.FILE_END_SEC},
              {"beginning date read = ", m.REC_BEGIN_DATEHR, m.REC_BEGIN_SEC},
              {"end date read = ", m.REC_END_DATEHR, m.REC_END_SEC}});
      break;
  }
  throw io::Stop{stop_text};
}

}  // namespace quelmar::met

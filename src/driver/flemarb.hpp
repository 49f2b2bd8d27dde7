// The CALPUFF time-varying flare file (FLEMARB.DAT, version 1.0): a header that
// names the map projection, the time zone, the period, the listed species and
// the single source, then one record (a time line and a source line) per step.
//
// The period of the header (record 15) must end where the file's last record
// ends, which the CALPUFF loop knows only after its last step. The header writer
// therefore takes the period end as an optional argument:
//  - given: record 15 ends with that year, day of the year, hour and second;
//  - absent: it ends with the end date-hour of the control file (YYE, day of
//    the year of YYE/MME/DDE, HHE, SSE).
// A loop that learns the end only at the end of the file writes the header with
// any end, keeps the FlemarbPeriodMark that the header writer fills in, writes
// its records as the steps end, and then fills in the true end with
// IWRFLEMARBEND: record 15 has a fixed width (its I4 fields take 4 columns
// whatever the value), so it is rewritten in place.
#pragma once
#include <optional>
#include <string_view>

#include "run/run.hpp"
#include "io/array1.hpp"
#include "io/text.hpp"

namespace quelmar::driver {

// The end of the period written into record 15 of the header.
struct FlemarbPeriodEnd {
  int year = 0;  // four-digit year
  int jday = 0;  // day of the year
  int hour = 0;  // hour 0 to 23
  int sec = 0;   // seconds into the hour
};

// One step of the flare file: begin and end time, position, stack values,
// fluxes, initial spread and the species rates (the first nspec are written).
struct FlemarbRecord {
  int IBYR = 0, IBJUL = 0, IBHR = 0, IBSEC = 0;
  int IEYR = 0, IEJUL = 0, IEHR = 0, IESEC = 0;
  double X = 0, Y = 0, Z = 0, Elev = 0, D = 0, T = 0, U = 0, V = 0, W = 0;
  double Fb = 0, Fmx = 0, Fmy = 0, Fmz = 0, Sigy = 0, Sigz = 0;
  io::Array1<double, run::MAXSPEC> Q{};
};

// Where record 15 (the period) lies in a flare file, and the start it holds.
struct FlemarbPeriodMark {
  long long at = -1;  // position of the record's first byte in the file
  int year = 0, jday = 0, hour = 0, sec = 0;  // the period's start as written
};

// Opens `fin` on `iunit` (created, or written anew; under a temporary name
// until it is published when `visible` says so) and writes the 19 header
// records. Returns 0 after the header; 1 when the file cannot be opened, in
// which case nothing is written and nothing is reported (the unit table's
// open_error() holds the reason). `lst` receives the messages of the
// day-of-year conversion. `mark`, when given, receives the place of record 15
// for IWRFLEMARBEND.
int IWRFLEMARBHDR(run::Run& run, int iunit, int lst, std::string_view fin,
                  const std::optional<FlemarbPeriodEnd>& end = std::nullopt, FlemarbPeriodMark* mark = nullptr,
                  io::Units::Visible visible = io::Units::Visible::AtOnce);

// Rewrites record 15 of the flare file open on `iunit` in place: the start of
// `mark`, the end `end`. The rest of the file is left as it is. False when the
// file cannot be written there.
bool IWRFLEMARBEND(run::Run& run, int iunit, const FlemarbPeriodMark& mark, const FlemarbPeriodEnd& end);

// Writes one step: the time line, then the source line for stack input type
// `ivar` (1: temperature and velocities; 2: buoyancy and momentum fluxes).
// Any other `ivar` writes the time line, a console message and stops the run.
// Returns 1.
int IWRFLEMARBI(run::Run& run, int iunit, int ivar, const io::Text<32>& sname, int ibyr, int ibjul, int ibhr,
                int ibsec, int ieyr, int iejul, int iehr, int iesec, double X, double Y, double Z, double Elev,
                double D, double T, double U, double V, double W, double Fb, double Fmx, double Fmy, double Fmz,
                double Sigy, double Sigz, const io::Array1<double, run::MAXSPEC>& Q, int nspec);

// The same for a collected step.
int IWRFLEMARBI(run::Run& run, int iunit, int ivar, const io::Text<32>& sname, const FlemarbRecord& r, int nspec);

}  // namespace quelmar::driver

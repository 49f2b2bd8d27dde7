// Date-hour arithmetic. A date-hour is year*100000 + day of the year*100 + hour
// (0-23, naming the hour that begins then), paired with the seconds into the
// hour. A year divisible by 4 is a leap year (no century rule). The routines
// that can fail write their records to the message unit `io` and to standard
// error, an empty record to the console, and stop the run.
#pragma once
#include <cstdint>
#include <string>

#include "io/text.hpp"
#include "io/units.hpp"

namespace quelmar::common {

void MKDAT(int iyr, int ijul, int ihr, int& idate);
void TIMESTAMP(int iyr, int ijul, int ihr, int& idate);
void DEDAT(int idate, int& iyr, int& ijul, int& ihr);
void JULDAY(io::Units& u, int io, int iyr, int imo, int iday, int& ijul);
// The day of the year of a date, as JULDAY gives it; false (and IJUL unchanged)
// for a month or day outside the calendar, without a message.
bool day_of_year(int iyr, int imo, int iday, int& ijul);
void GRDAY(io::Units& u, int io, int iyr, int ijul, int& imo, int& iday);
void INCR(io::Units& u, int io, int& iyr, int& ijul, int& ihr, int nhrinc);
void INCRS(io::Units& u, int io, int& iyr, int& ijul, int& ihr, int& isec, int nsecinc);
// Signed hours from time 1 to time 2 (64-bit: no overflow for any years).
void DELTT(int iyr1, int ijul1, int ihr1, int iyr2, int ijul2, int ihr2, std::int64_t& ihrs);
// Signed seconds from time 1 to time 2 (64-bit).
void DELTSEC(int idate1, int isec1, int idate2, int isec2, std::int64_t& nsec);
void UTCBASR(const io::Text<8>& axtz, double& base_tz);
// Not used by the run; kept with the other date routines.
void BASRUTC(double base_tz, io::Text<8>& axtz);
// Not used by the run; kept with the other date routines.
void GETDATE(int idate, int& iyr, int& imo, int& iday, int& ihr);
// Not used by the run; kept with the other date routines.
void INDECR(io::Units& u, int io, int& iyr, int& ijul, int& ihr, int idelt, int ihrmin, int ihrmax);
// Not used by the run; kept with the other date routines.
void MIDNITE(io::Units& u, int io, const io::Text<6>& ctrans, int iyr, int imo, int iday, int& ijul, int& newyr,
             int& newmo, int& newday, int& newjul);

}  // namespace quelmar::common

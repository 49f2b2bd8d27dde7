// Reader of METSERIES/CALPOST time-series files ("TIMESERIES.TSF"): a counted
// header that declares the variables with their units and heights, then data
// lines of fixed columns, each covering the time from its begin up to its end.
// Delivers wind speed (m/s), wind direction, temperature (K) and stability class
// (-1 without a stability column) for requests in ascending order, keeping its
// state in MOD_MET.
#pragma once
#include <string_view>

#include "run/run.hpp"

namespace quelmar::met {

// Header call: opens the file (the first 128 characters of FMET), reads the
// header of its version ("1.3", "1.0" or another), the variables, and the first
// data line into the outputs. Version "1.3" takes the file window from its
// period line; the other versions from the first data line (its begin, and five
// years later less one hour). A file that cannot be opened, lacks the wind
// speed, wind direction or temperature, holds a number that cannot be read, or
// ends inside its header, is reported and stops the run.
void METHDR(run::Run& run, int metunit, int logunit, std::string_view fmet, double& ws, double& wd, double& temp,
            int& ipg);

// Get call: the record that covers the request (REQDATEHR, REQSEC).
void METGET(run::Run& run, int metunit, int logunit, int reqdatehr, int reqsec, double& ws, double& wd, double& temp,
            int& ipg);

// Reads the next data line (blank lines and lines with end day, month or year 0
// are skipped) and converts its units. IEOF 0: a line was read; 1: end of the
// file (WS and WD 9999, temperature and class as they were).
void RDMET(run::Run& run, int metunit, int logunit, double& ws, double& wd, double& temp, int& ipg, int& ieof);

}  // namespace quelmar::met

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

// Reads the whole file once into the run's store: the header, as the header
// call of the first pass would read it (its faults kept for that call to
// report), then every data line with its converted values. A data line whose
// dates or values cannot be read (a field that is not a number, a date outside
// the calendar, a year outside 0 to 9999, a begin hour outside 0 to 23, an end
// hour outside 0 to 24, a second outside 0 to 3599) stops the run, naming its
// line. FMET: the first 128 characters
// are the file name.
void read_series_file(run::Run& run, int metunit, std::string_view fmet);

// Header call of a pass: starts from the store (reading the file, the first 128
// characters of FMET, into it first when it holds another file), reads the
// header of its version ("1.3", "1.0" or another) from the lines kept there,
// with the variables and the anemometer height on LOGUNIT, and delivers the
// first data line into the outputs. Version "1.3" takes the file window from
// its period line; the other versions from the first data line (its begin, and
// five years later less one hour). A file that could not be opened, lacks the
// wind speed, wind direction or temperature, holds a header value that cannot
// be read, ends inside its header, or holds no data line, is reported and
// stops the run.
void METHDR(run::Run& run, int metunit, int logunit, std::string_view fmet, double& ws, double& wd, double& temp,
            int& ipg);

// Get call: the record that covers the request (REQDATEHR, REQSEC).
void METGET(run::Run& run, int metunit, int logunit, int reqdatehr, int reqsec, double& ws, double& wd, double& temp,
            int& ipg);

// Hands out the next data record of the store (blank lines and lines with end
// day, month or year 0 were skipped when the file was read). IEOF 0: a record;
// 1: the end of the records (WS and WD 9999, temperature and class as they
// were). METUNIT and LOGUNIT are not used.
void RDMET(run::Run& run, int metunit, int logunit, double& ws, double& wd, double& temp, int& ipg, int& ieof);

}  // namespace quelmar::met

// Reader of AERMET surface files: one header line, then one free-format record
// per hour (year, month, day, day of the year, hour 1-24 by the hour's end, ...,
// Monin-Obukhov length, roughness length, ..., wind speed, direction, reference
// height, temperature, ...). Delivers wind speed, wind direction, temperature
// and stability class for requests in ascending order, keeping its state in
// MOD_MET; or, in the non-sequential mode, the records in file order.
#pragma once
#include <string_view>

#include "run/run.hpp"

namespace quelmar::met {

// Reads the whole file once into the run's store: the header line (of which
// the station numbers SF_ID and UA_ID are kept), then every hourly record with
// its date-hour and values. A record that cannot be read as
// 20 values (a value that is not a number, a record cut short by the end of
// the file), or whose date names no hour (a year outside 0 to 9999, a month or
// a day of the month outside the calendar, a day outside its year, an hour
// outside 1 to 24), stops the run, naming its line; a file that cannot be opened or
// whose header line cannot be read is kept as such for the header call.
void read_aermet_file(run::Run& run, int metunit, std::string_view fmet);

// The station number that an AERMET header line gives after `label`
// ("SF_ID:" the surface station, "UA_ID:" the upper-air station): the word
// that follows the label, when it is 1 to 8 digits; -1 when the label is
// missing, nothing follows it, or the word holds anything else or more digits.
int aermet_station_id(std::string_view header, std::string_view label);

// Header call of a pass: starts from the store (reading the file FMET into it
// first when it holds another file), delivers the first record into the
// outputs and sets the file window (five years from the first record, or 7000
// years in the non-sequential mode), then writes the anemometer height to
// LOGUNIT. A file that could not be opened, whose header line could not be
// read, or that holds no data record, is reported on LOGUNIT and the console
// and stops the run.
void METHDR_AERMET(run::Run& run, int metunit, int logunit, std::string_view fmet, double& ws, double& wd,
                   double& temp, int& ipg, int mnonseq);

// Get call for the request (REQDATEHR, REQSEC). MNONSEQ 1: hands out the next
// record whenever the request differs from the current record's date-hour, and
// returns that record's date-hour in REQDATEHR; at the end of the file the
// file window collapses to that date-hour (the end-of-data mark).
void METGET_AERMET(run::Run& run, int metunit, int logunit, int& reqdatehr, int reqsec, double& ws, double& wd,
                   double& temp, int& ipg, int mnonseq);

// Hands out the next hourly record of the store (the file as read by the
// header call). IEOF 0: a record; 1: the end of the records (WS and WD are then
// 9999 and the rest is left as it was). METUNIT and LOGUNIT are not used.
void RDMET_AERMET(run::Run& run, int metunit, int logunit, double& ws, double& wd, double& temp, int& ipg, int& ieof);

// Stability class 1 (A) to 6 (F) from the Monin-Obukhov length XMOL (m) and the
// roughness length Z0 (m, taken within 0.01 to 0.5).
void LTOPG(int& ipg, double xmol, double z0);

}  // namespace quelmar::met

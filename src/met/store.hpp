// The meteorological file read once per run. Each reader parses its file into
// the run's store (run::MetStore) in one go; the header calls of the passes
// then start from the store, the record readers hand out its records, and what
// a pass used to report while reading (the anemometer height, the faults of the
// header, the positioning errors) is reported from it at the same place.
// Faults of the file itself, a line the reader cannot read or (where the
// file's hours are matched to the period's) a file that ends before the period,
// stop the run when the store is built, before any model file is opened.
#pragma once
#include <string_view>

#include "run/run.hpp"

namespace quelmar::met {

// Reads the run's meteorological file into the store: MMET 1 a time-series
// file, 2 an AERMET surface file, opened by its name FMET on METUNIT, read and
// closed again. A line that cannot be read stops the run.
void read_meteorology(run::Run& run, int mmet, int metunit, std::string_view fmet);

// The file's hours matched to the period's: the hour in which the store's last
// record ends (its last second, the end less one second) must not lie before
// the period's last hour IDATEE; otherwise the run stops. A store without
// records is left to the header call, which reports it.
void require_period(run::Run& run, int idatee);

// The start of the period matched to the file's: a pass's first request
// (REQDATEHR, REQSEC) must not lie before the file window that the header call
// set. Otherwise the reader's records of a request before the file (to
// LOGUNIT, the console and standard error), and the run stops naming both
// first hours. FILEKIND names the reader in its records.
void require_period_start(run::Run& run, int logunit, std::string_view filekind, int reqdatehr, int reqsec);

// True when the store holds the file `name` as read by the reader `kind`.
bool store_holds(const run::Run& run, run::MetStore::Kind kind, std::string_view name);

// Hands out the next record of the store as the record readers deliver it:
// wind speed and direction 9999 first; then, when there is a record, its time
// window into MOD_MET (and, from an AERMET file, its reference height into
// ANEM_HT) and its values into the outputs. False at the end of the records,
// with nothing else changed.
bool take_record(run::Run& run, double& ws, double& wd, double& temp, int& ipg);

// The stop for a line of the file that its reader cannot read: the line's
// number (from 1, the header's lines counted) and its text.
[[noreturn]] void stop_unreadable(std::string_view name, long long line, std::string_view text);

}  // namespace quelmar::met

// The meteorological file of a run, read once: its records as the reader hands
// them out, and what the header call found, so that every pass over the period
// (each flare file, each AERMOD row) takes its hours from memory instead of
// opening and parsing the file again.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/read.hpp"

namespace quelmar::run {

// One record of the file as its reader delivers it: the time it covers (from
// its begin up to, not including, its end; date-hour codes and seconds into the
// hour) and the hour's values in the units of the run.
struct MetHour {
  int begin_datehr = 0, end_datehr = 0;
  std::int16_t begin_sec = 0, end_sec = 0;  // seconds of 4-column fields: -999 to 9999
  int ipg = 0;                              // stability class (-1: a time series without one)
  double ws = 0, wd = 0, temp = 0;          // m/s, degrees, K
  double anem_ht = 0;                       // AERMET: the reference height of the record's wind, m
};
static_assert(sizeof(MetHour) <= 48, "a stored hour stays small");

// What the one reading of the file found. A fault of the header is not reported
// when the file is read: the header call of the first pass reports it where it
// always has, from what is kept here.
struct MetStore {
  enum Kind { None = 0, Series = 1, Aermet = 2 };  // as MMET names the readers
  Kind kind = None;
  std::string name;     // the name the file was opened by (the key of the store)
  bool opened = false;  // the file could be opened
  std::string open_error;  // the system's reason when it could not
  // AERMET: how the reading of the header line ended.
  io::ReadStatus header_status = io::ReadStatus::Ok;
  // AERMET: the surface and upper-air station numbers that the header line
  // gives (SF_ID, UA_ID); -1 where it gives none of 1 to 8 digits.
  int sf_id = -1, ua_id = -1;
  // Time series: the lines the header call reads, in order, and what a read
  // beyond them finds (the end of the file, or a failed read).
  std::vector<std::string> header;
  io::ReadStatus header_end = io::ReadStatus::End;
  std::vector<MetHour> hours;  // the data records in file order
  std::size_t next = 0;        // the record that the reader hands out next in the current pass
};

}  // namespace quelmar::run

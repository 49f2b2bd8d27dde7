// The two AERMOD input files of one pass of the AERMOD loop:
//  - the control file (CO, SO, RE, ME and OU pathways), which declares every
//    virtual source as a point source with the mean parameters of its group
//    and names the hourly emission file;
//  - the hourly emission file ("SO HOUREMIS" records), which gives each source
//    its rate, exit temperature and exit velocity hour by hour.
// Both read the hourly store and the groups of the pass (MOD_VIRTUALSOURCES)
// and must be called after the grouping. Sources are named SOURCE1 ...
// SOURCE32, blank padded to 12 characters, in both files.
//
// What the loop supplies besides the store:
//  - MKFILAM_INP: the date-hours of the first and of the last hour that the
//    pass stored (the last is the date-hour of the surface file's last record
//    when the file ended early); they bound the meteorology that AERMOD
//    processes (ME STARTEND). A date-hour of 0 or less (a pass without hours)
//    leaves the record out. The station numbers of ME SURFDATA and ME
//    UAIRDATA come from the run's meteorological store: those of the AERMET
//    surface file's header (SF_ID, UA_ID), 8 digits with leading zeros; where
//    the header gives none, or the meteorology is no AERMET file, 00011111
//    and 00022222.
//  - MKFILAM_EMARB: the date-hours that the surface file holds before the
//    first stored hour. AERMOD reads the hourly emission file from the first
//    hour of the surface file whatever ME STARTEND says, so those hours come
//    first, with a zero rate from every source; an empty list writes none.
//
// The AERMOD loop has each file written under its name with ".part" added, in
// its own folder (`visible` WhenWhole); the files take their names at the
// run's normal end, the hourly emission file first, then the control file that
// names it, so that a control file under its own name always names a whole
// hourly emission file. A file that cannot be opened is reported on the
// console, in the list file and on standard error with the reason, and the run
// stops: a half-written pair of AERMOD files must not pass for a result.
#pragma once
#include <span>
#include <string>
#include <string_view>

#include "run/run.hpp"

namespace quelmar::driver {

// "SOURCE" followed by the group number (I1 below 10, I2 from 10 on), blank
// padded to 12 characters.
std::string aermod_source_id(int l);

// "Error opening WHAT: NAME: REASON" (the reason of the unit table's last
// failed open) on the console and in the list file, then the run stops.
[[noreturn]] void refuse_model_file(run::Run& run, int lst, std::string_view fname, const char* what);

// Writes the AERMOD control file `fname` on `unit`, naming the hourly emission
// file `femarb`. `lst` receives the warnings on over-long file names.
void MKFILAM_INP(run::Run& run, int unit, int lst, std::string_view fname, std::string_view femarb,
                 int idate_first, int idate_last, io::Units::Visible visible = io::Units::Visible::AtOnce);

// Appends one record of the hourly emission file to `rec`, in the layout
// (A,4(TR1,I3),TR1,A12,3(E12.6,TR1)): "SO HOUREMIS", the two-digit year,
// month, day and hour (1 to 24, by the hour's end), the source, and its rate
// (g/s), exit temperature (K) and exit velocity (m/s).
void hourly_record(std::string& rec, int yy, int month, int day, int hour, std::string_view source, double qs,
                   double ts, double us);

// Writes the hourly emission file `fname` on `unit`: first one zero-rate record
// per source for each date-hour of `lead_hours`, then NVS times NSOURCES
// records for the stored hours. `lst` receives the messages of the date routines.
void MKFILAM_EMARB(run::Run& run, int unit, int lst, std::string_view fname, std::span<const int> lead_hours = {},
                   io::Units::Visible visible = io::Units::Visible::AtOnce);

}  // namespace quelmar::driver

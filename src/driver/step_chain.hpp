// The chain of operations that both time loops run for every step: progress
// line, the hour's meteorology (with missing hours replaced by the last valid
// one), the rebuilt puff table of a vessel blowdown, the flared-gas temperature,
// the step's rate, H2S fraction and fuel-gas ratio, the flare step (or the given
// stack of a point source), the plume-rise points and the release point moved
// downwind by the flame's reach.
#pragma once
#include "run/run.hpp"

namespace quelmar::driver {

enum class Loop { Calpuff, Aermod };

// The loop's clock: the begin of the current step.
struct Clock {
  int yr = 0, jul = 0, hr = 0, sec = 0;
};

// What the chain leaves for the loop besides the module records.
struct ReleasePoint {
  double X = 0, Y = 0;  // km
  double Z = 0;         // m above ground
};

// Reads the run's meteorological file (MMET 1 or 2) once, before the first
// pass: every pass then takes its hours from what was read. A line of the file
// that cannot be read stops the run here, before any model file is opened; so
// does a file whose last hour lies before the period's last hour IDATEE, where
// the file's hours are matched to the period's (all but the non-sequential
// AERMET mode, whose hours are the file's own).
void read_meteorology(run::Run& run);

// Sets the clock to the run start and takes the first meteorology of a pass
// (from the header call of its reader when there is one).
void pass_start(run::Run& run, Clock& clock);

// Steps 1 to 7 of a step: progress record, debug-log records of the step's
// start, restored hour values, meteorology for IDATECUR and ISEC, saved copies,
// vessel rebuild and gas temperature. `count` is the second integer of the
// "iloop: " record (the hours stored so far on the AERMOD path, the records
// written so far on the CALPUFF path). On the AERMOD path with the
// non-sequential AERMET reader the clock follows the records.
void chain_start(run::Run& run, Loop loop, Clock& clock, int count);

// Steps 9 to 17 for an active step of row `row` lasting `isecdur` seconds.
ReleasePoint chain_active(run::Run& run, Loop loop, int row, int isecdur);

// The number of steps in the current pass whose meteorology was missing and
// replaced, and the warning that ends such a pass in the list file.
void warn_missing_meteorology(run::Run& run, int lst);

}  // namespace quelmar::driver

// Release models: the blowdown of a gas-filled pressure vessel through an
// orifice (IVESSEL) and the cutting of an exponentially decaying release into
// a table of puffs (IBLOWDOWN), one row of the step table PSEQ per puff.
//
// Units: gauge pressures in kPa (made absolute with the site pressure PLOCAL),
// temperatures in K, vessel sizes in m, the orifice diameter in mm, gas volumes
// in 10^3 m3 and rates in 10^3 m3/d at the reference state TREF, PREF,
// durations in s. Puff rows are (mean rate, duration, -1, -1): the -1 in the
// H2S and fuel-gas columns means that the run's own settings apply.
//
// Refusals: inputs that would give no finite table (no positive rate,
// inventory or released fraction, a puff duration of 0 s, a vessel at 0 K ...)
// are reported on the console and then in the list file, each naming the
// keyword and its value. IVESSEL and IBLOWDOWN, which the time loops call at
// every step, then stop the run (io::Stop with no stop text); the run
// preparation calls vessel_blowdown and puff_table instead, which return false
// so that it can take the error end.
//
// IVESSEL and IBLOWDOWN take what they formed before for the same inputs, bit
// for bit, from the run (run::PuffCache): the last blowdown, and the last
// tables, put back into PSEQ. What they hand back is what forming it anew
// gives; a refusal is never kept and so is met, with its messages, each time. A puff table longer than PSEQ and an
// unknown MDIST stop the run with "HALTED in routine BLOWDOWN()" in every case.
#pragma once
#include <initializer_list>
#include <string_view>

#include "run/run.hpp"
#include "io/array1.hpp"
#include "io/format.hpp"
#include "physics/run_types.hpp"

namespace quelmar::physics {

// The released fraction is capped here in both puff modes.
inline constexpr double MAXFREL = 0.999;

// Time constant tau (s) of the exponential decay of a release that starts at
// QMAX (10^3 m3/d) with the inventory QTOTAL (10^3 m3): QTOTAL/QMAX*24*60*60
// when QTOTAL > 0, else 0.
double TIMECONSTANT(double QMAX, double QTOTAL);

// Blowdown of a vessel of diameter VDIA and length VLEN (m) holding the gas MIX
// at PINIT (kPa gauge) and TINIT (K), through an orifice of ODIA (mm) with the
// discharge coefficient CD, down to PFINAL (kPa gauge). Ideal gas with the
// heat-capacity ratio at TREF; the choked-flow rate is used whether or not the
// flow is choked. Out: QMAX initial rate (10^3 m3/d), QTOTAL the whole vessel
// content at the initial state (10^3 m3), FREL the share that leaves the vessel
// when its pressure falls isothermally to PFINAL, TTHROAT the throat temperature
// (T0*2/(K+1) when choked, else T0). Returns 0. A temperature or absolute
// pressure that is not positive, a gas without molar mass, or a heat capacity
// that gives no ratio above 1 is refused (message, then io::Stop{}).
int IVESSEL(run::Run& run, const MIX& mix, double PINIT, double TINIT, double PFINAL, double VDIA, double VLEN,
            double ODIA, double CD, double& QMAX, double& QTOTAL, double& FREL, double& TTHROAT);

// Cuts the release QMAX*exp(-t/tau), tau = TIMECONSTANT(QMAX, QTOTAL), up to
// the released fraction F = min(FREL, 0.999), into puffs, rows 1..NPUFFS of PSEQ:
// - MDIST 1, equal duration: with NPUFFS > 1 the count stays and PUFFDUR =
//   NINT(TEND/NPUFFS); otherwise PUFFDUR stays and NPUFFS = NINT(TEND/PUFFDUR),
//   at least 1 (a release shorter than half a puff fits in one puff). Puff i
//   carries its share of the inventory; the puff in which F is reached carries
//   what is left of F, later puffs carry nothing (rate 0), and a table that ends
//   short of F gets the rest in its last row.
// - MDIST 2, equal volume: every puff carries F/NPUFFS of the inventory; the
//   durations grow from row to row and are not whole seconds.
// Rows above NPUFFS are left as they were. MBLOWDOWN is not read. Returns 0.
// Refusals as stated at the top (message, then io::Stop{}).
int IBLOWDOWN(run::Run& run, double QMAX, double QTOTAL, double FREL, int& PUFFDUR, io::Table2<double>& PSEQ,
              int& NPUFFS, int MBLOWDOWN, int MDIST);

// IVESSEL without the stop: false after the refusal records, outputs untouched.
// `tinit_name` labels TINIT in the message (e.g. "TEMPINIT =").
bool vessel_blowdown(run::Run& run, std::string_view tinit_name, const MIX& mix, double PINIT, double TINIT,
                     double PFINAL, double VDIA, double VLEN, double ODIA, double CD, double& QMAX, double& QTOTAL,
                     double& FREL, double& TTHROAT);

// IBLOWDOWN without the stop for the refusals: false after the refusal records,
// with PUFFDUR, NPUFFS and PSEQ untouched. The two stops of the puff table
// (more than 10000 puffs, unknown MDIST) still throw.
bool puff_table(run::Run& run, double QMAX, double QTOTAL, double FREL, int& PUFFDUR, io::Table2<double>& PSEQ,
                int& NPUFFS, int MDIST);

// Writes the records of a refusal to the console and then to the list file.
using Record = std::initializer_list<io::Item>;
void refusal(run::Run& run, std::initializer_list<Record> records);

// A value for a message: the number itself, or a text when it is not finite.
io::Item message_value(double v);

}  // namespace quelmar::physics

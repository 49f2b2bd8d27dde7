#include "physics/release.hpp"

#include <algorithm>
#include <cmath>

#include "common/crmath.hpp"
#include "io/stop.hpp"
#include "io/units.hpp"
#include "common/constants.hpp"
#include "physics/mixture.hpp"

namespace quelmar::physics {

using common::GAS_CONSTANT_KMOL;
using common::PI_QUARTER;
using common::SECONDS_PER_DAY;

namespace {

constexpr const char* HALT = "HALTED in routine BLOWDOWN()";
// Bound below which a non-negative double rounds to a 32-bit integer.
constexpr double INT_LIMIT = 2147483647.5;

// NINT: nearest integer, halves away from zero. x lies within the int range.
int nint(double x) { return static_cast<int>(std::lround(x)); }

// The stop for a puff table longer than PSEQ. `count` is the count asked for.
[[noreturn]] void too_many_puffs(run::Run& run, io::Item count) {
  refusal(run,
          {{"***ERROR*** npuffs exceeds maximum puffs"}, {"npuffs    :", count}, {"max puffs :", run::MAXPUFFS}});
  throw io::Stop{HALT};
}

// The count NINT(x) of a puff table as a message item (x >= 0); beyond the
// 64-bit range the rounded double is shown.
io::Item count_item(double x) {
  if (x < 9.0e18) return io::Item(static_cast<long long>(std::llround(x)));
  return io::Item(std::round(x));
}

}  // namespace

io::Item message_value(double v) { return std::isfinite(v) ? io::Item(v) : io::Item(" (not a finite number)"); }

void refusal(run::Run& run, std::initializer_list<Record> records) {
  for (const int unit : {io::CONSOLE, io::LST, io::ERR})
    for (const Record& r : records) run.units.free(unit, r);
}

double TIMECONSTANT(double QMAX, double QTOTAL) {
  // The seconds of a day as the decay formula writes them, factor by factor:
  // ((QTOTAL/QMAX*24)*60)*60 does not round as QTOTAL/QMAX*86400 does.
  if (QTOTAL > 0) return QTOTAL / QMAX * 24 * 60 * 60;
  return 0;
}

bool vessel_blowdown(run::Run& run, std::string_view tinit_name, const MIX& mix, double PINIT, double TINIT,
                     double PFINAL, double VDIA, double VLEN, double ODIA, double CD, double& QMAX, double& QTOTAL,
                     double& FREL, double& TTHROAT) {
  const STDCONST& c = run.stdc;
  // 1. Vessel volume (m3) and orifice area (m2).
  const double V = PI_QUARTER * (VDIA * VDIA) * VLEN;
  const double A = PI_QUARTER * (ODIA * ODIA) * 0.001 * 0.001;
  // 2. Molar mass (g/mol) and specific gas constant (J/(kg K)).
  const double M = CALC_MOLARMASS(run.prop, mix);
  if (!(M > 0) || !std::isfinite(M)) {
    refusal(run, {{"***ERROR*** vessel blowdown: the gas has no molar mass"},
                  {"molar mass (g/mol) =", message_value(M)},
                  {"the raw gas needs RAW_ fractions that add up to 1"}});
    return false;
  }
  const double RS = GAS_CONSTANT_KMOL / M;
  // 3. Density at the reference state (kg/m3).
  const double RHOREF = 1000 * c.PREF / (c.TREF * RS);
  // 4. Heat capacity at TREF (J/(kg K)) from the molar heat capacities.
  const double CP = CALC_BYPROP(run.prop, mix, P_CP_MOL, P_IN_MIXTURE) / M * 1000;
  // 5. Absolute initial state.
  const double P0 = c.PLOCAL + PINIT;
  const double T0 = TINIT;

  // The ideal-gas formulas below need a gas above 0 K and above vacuum, and a
  // heat-capacity ratio above 1 (CP > RS); anything else would give no finite
  // rate or inventory.
  bool ok = true;
  if (!(T0 > 0) || !std::isfinite(T0)) {
    refusal(run, {{"***ERROR*** vessel blowdown: the initial temperature (K) must be above 0"},
                  {tinit_name, message_value(T0)}});
    ok = false;
  }
  if (!(P0 > 0) || !std::isfinite(P0)) {
    refusal(run, {{"***ERROR*** vessel blowdown: the absolute initial pressure must be above 0"},
                  {"PRESSINIT =", message_value(PINIT)},
                  {"site pressure (kPa) =", message_value(c.PLOCAL)}});
    ok = false;
  }
  if (!(CP > RS) || !std::isfinite(CP)) {
    refusal(run, {{"***ERROR*** vessel blowdown: the gas gives no heat-capacity ratio above 1"},
                  {"cp (J/(kg K)) =", message_value(CP)},
                  {"gas constant (J/(kg K)) =", message_value(RS)},
                  {"the raw gas needs RAW_ fractions that add up to 1"}});
    ok = false;
  }
  if (!ok) return false;

  // 6. Ratio of heat capacities of the ideal gas.
  const double K = CP / (CP - RS);
  // 7. Vessel gas density (kg/m3).
  const double RHO0 = P0 * 1000 / (RS * T0);
  // 8. Critical throat pressure.
  const double PC = P0 * crmath::pow(2 / (K + 1), K / (K - 1));
  // 9. Throat temperature: cooled by the expansion only when the flow is choked.
  const double tthroat = PC >= c.PLOCAL ? T0 * 2 / (K + 1) : T0;
  // 10. Inventory: the whole vessel content at the initial state (10^3 m3).
  const double qtotal = RHO0 * V / (RHOREF * 1000);
  // 11. Choked-flow mass rate (kg/s), also when the flow is not choked.
  const double MDOT = CD * crmath::pow(2 / (K + 1), 0.5 * (K + 1) / (K - 1)) * std::sqrt(K / (RS * T0)) * P0 * A * 1000;
  // 12. Initial rate (10^3 m3/d); the day as 3600*24, factor by factor (not
  //     86400: the rounding differs).
  const double qmax = MDOT / RHOREF * 3600 * 24 / 1000;
  // 13. Share of the inventory that leaves on the isothermal fall to PFINAL.
  const double frel = 1 - (c.PLOCAL + PFINAL) / P0;

  QMAX = qmax;
  QTOTAL = qtotal;
  FREL = frel;
  TTHROAT = tthroat;
  return true;
}

int IVESSEL(run::Run& run, const MIX& mix, double PINIT, double TINIT, double PFINAL, double VDIA, double VLEN,
            double ODIA, double CD, double& QMAX, double& QTOTAL, double& FREL, double& TTHROAT) {
  // The time loops pass the hour's ambient temperature when TEMPINIT is negative.
  const std::string_view name = run.inp.TEMPINIT <= 0 ? "ambient temperature (TEMPINIT <= 0) =" : "TEMPINIT =";
  // The loops pass the same vessel at every step of an hour: the blowdown
  // formed last is taken while its inputs stay the same to the bit.
  const STDCONST& c = run.stdc;
  const run::VesselInputs in{mix, PINIT, TINIT, PFINAL, VDIA, VLEN, ODIA, CD, c.PLOCAL, c.PREF, c.TREF};
  run::VesselBlowdown out;
  if (!run.puffs.vessel(run.prop, in, out, [&](run::VesselBlowdown& o) {
        return vessel_blowdown(run, name, mix, PINIT, TINIT, PFINAL, VDIA, VLEN, ODIA, CD, o.QMAX, o.QTOTAL, o.FREL,
                               o.TTHROAT);
      }))
    throw io::Stop{};
  QMAX = out.QMAX;
  QTOTAL = out.QTOTAL;
  FREL = out.FREL;
  TTHROAT = out.TTHROAT;
  return 0;
}

bool puff_table(run::Run& run, double QMAX, double QTOTAL, double FREL, int& PUFFDUR, io::Table2<double>& PSEQ,
                int& NPUFFS, int MDIST) {
  // 1. Time constant and decay rate.
  const double tau = TIMECONSTANT(QMAX, QTOTAL);
  const double KD = tau > 0 ? -1 / tau : -1e30;
  // 2. Released fraction and end of the release (s).
  const double F = std::min(FREL, MAXFREL);
  const double TEND = -tau * crmath::log(1 - F);
  // 3. The table must fit PSEQ.
  if (NPUFFS > run::MAXPUFFS) too_many_puffs(run, NPUFFS);
  if (MDIST != 1 && MDIST != 2) {
    refusal(run, {{"MDIST=", MDIST}});
    throw io::Stop{HALT};
  }

  // A release that cannot be cut: no positive rate, inventory or fraction.
  bool ok = true;
  if (!(QMAX > 0) || !std::isfinite(QMAX)) {
    refusal(run, {{"***ERROR*** puff table: the initial release rate must be positive"},
                  {"QMAX =", message_value(QMAX)}});
    ok = false;
  }
  if (!(QTOTAL > 0) || !std::isfinite(QTOTAL)) {
    refusal(run, {{"***ERROR*** puff table: the released inventory must be positive"},
                  {"QTOTAL =", message_value(QTOTAL)}});
    ok = false;
  }
  if (!(FREL > 0)) {
    refusal(run, {{"***ERROR*** puff table: the released fraction must be positive"},
                  {"FREL =", message_value(FREL)}});
    ok = false;
  }
  if (!ok) return false;
  if (!(tau > 0) || !std::isfinite(tau)) {
    refusal(run, {{"***ERROR*** puff table: the time constant QTOTAL/QMAX is out of range"},
                  {"QMAX =", message_value(QMAX)},
                  {"QTOTAL =", message_value(QTOTAL)}});
    return false;
  }

  if (MDIST == 1) {
    // 4a. Count or duration.
    if (NPUFFS > 1) {
      const double x = TEND / NPUFFS;
      if (!(x < INT_LIMIT)) {
        refusal(run, {{"***ERROR*** puff table: the puff duration PUFFDUR exceeds the integer range"},
                      {"NPUFFS =", NPUFFS},
                      {"release time (s) =", TEND}});
        return false;
      }
      const int dur = nint(x);
      if (dur < 1) {
        refusal(run, {{"***ERROR*** puff table: the puff duration PUFFDUR rounds to 0 s"},
                      {"NPUFFS =", NPUFFS},
                      {"release time (s) =", TEND},
                      {"give fewer puffs, or NPUFFS 0 with a positive PUFFDUR"}});
        return false;
      }
      PUFFDUR = dur;
    } else {
      if (PUFFDUR < 1) {
        refusal(run, {{"***ERROR*** puff table: the puff duration must be positive"}, {"PUFFDUR =", PUFFDUR}});
        return false;
      }
      const double x = TEND / PUFFDUR;
      if (!(x < run::MAXPUFFS + 0.5)) too_many_puffs(run, count_item(x));
      // A release that ends before half a puff still makes one puff.
      NPUFFS = std::max(1, nint(x));
    }
    // 4b. The rate that would carry the whole inventory in one puff.
    const double RATE = QTOTAL * SECONDS_PER_DAY / PUFFDUR;
    // 4c, d. Shares of the inventory, the cumulative sum carried one puff ahead.
    // Each puff begins where the one before it ended: the exponential of its
    // start is that of the end before it, the same argument to the bit.
    double T0 = 0;
    double T1 = PUFFDUR;
    double E1 = crmath::exp(KD * T1);
    double D = crmath::exp(KD * T0) - E1;
    double cum_before = 0;  // CUM(i-1)
    double cum = D;         // CUM(i)
    for (int i = 1; i <= NPUFFS; ++i) {
      double share = D;
      // The puff in which F is reached carries what is left of F; a puff that
      // begins after F was reached carries nothing.
      if (cum > F) share = cum_before < F ? F - cum_before : 0.0;
      PSEQ(i, 1) = RATE * share;
      PSEQ(i, 2) = PUFFDUR;
      PSEQ(i, 3) = -1;
      PSEQ(i, 4) = -1;
      T0 = T1;
      T1 = T1 + PUFFDUR;
      const double E0 = E1;  // exp(KD * T0)
      E1 = crmath::exp(KD * T1);
      D = E0 - E1;
      cum_before = cum;
      cum = cum + D;
    }
    // 4e. A table that ends short of F: the rest goes into the last puff.
    if (cum < F) PSEQ(NPUFFS, 1) = PSEQ(NPUFFS, 1) + RATE * (F - cum);
    return true;
  }

  // 5. Equal volume.
  if (NPUFFS < 1) {
    refusal(run, {{"***ERROR*** puff table: equal-volume puffs need a count NPUFFS of 1 or more"},
                  {"NPUFFS =", NPUFFS}});
    return false;
  }
  const double DFR = F / NPUFFS;
  // Every puff must last some time: a fraction so small that 1 - i*DFR does not
  // change from one puff to the next would divide by a zero duration.
  double T0 = 0;
  for (int i = 1; i <= NPUFFS; ++i) {
    const double T1 = -tau * crmath::log(1 - i * DFR);
    if (!(T1 - T0 > 0)) {
      refusal(run, {{"***ERROR*** puff table: FREL is too small for NPUFFS equal-volume puffs"},
                    {"FREL =", message_value(FREL)},
                    {"NPUFFS =", NPUFFS}});
      return false;
    }
    T0 = T1;
  }
  T0 = 0;
  // exp(-T0/tau) of each puff's start: that of the end of the puff before it,
  // the same argument to the bit.
  double E0 = crmath::exp(-T0 / tau);
  for (int i = 1; i <= NPUFFS; ++i) {
    const double T1 = -tau * crmath::log(1 - i * DFR);
    PSEQ(i, 2) = T1 - T0;
    const double E1 = crmath::exp(-T1 / tau);
    const double VOL = QMAX / SECONDS_PER_DAY * (E0 - E1) * tau * 1000;  // m3
    PSEQ(i, 1) = VOL / (T1 - T0) * 3600 * 24 / 1000;  // the day as 3600*24, as in the vessel rate
    PSEQ(i, 3) = -1;
    PSEQ(i, 4) = -1;
    T0 = T1;
    E0 = E1;
  }
  return true;
}

int IBLOWDOWN(run::Run& run, double QMAX, double QTOTAL, double FREL, int& PUFFDUR, io::Table2<double>& PSEQ,
              int& NPUFFS, int /*MBLOWDOWN*/, int MDIST) {
  // The loops ask for the same table at every step of an hour, and for the
  // table of an hour's temperature met before: a table kept with the inputs it
  // was cut from is taken while they stay the same to the bit. Equal durations
  // with a count set PUFFDUR from the count without reading it: any PUFFDUR
  // passed in gives that table.
  const bool puffdur_unread = MDIST == 1 && NPUFFS > 1;
  const run::PuffInputs in{run::double_bits(QMAX), run::double_bits(QTOTAL), run::double_bits(FREL), NPUFFS,
                           puffdur_unread ? 0 : PUFFDUR, MDIST};
  run.puffs.table(in, PSEQ, &PSEQ == &run.inp.PSEQ, NPUFFS, PUFFDUR, [&] {
    if (!puff_table(run, QMAX, QTOTAL, FREL, PUFFDUR, PSEQ, NPUFFS, MDIST)) throw io::Stop{};
  });
  return 0;
}

}  // namespace quelmar::physics

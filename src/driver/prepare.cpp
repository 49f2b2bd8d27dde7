#include "driver/prepare.hpp"

#include <algorithm>
#include <cmath>

#include "common/crmath.hpp"
#include "common/dates.hpp"
#include "io/units.hpp"
#include "physics/mixture.hpp"
#include "physics/realgas.hpp"
#include "physics/release.hpp"
#include "physics/setup.hpp"

namespace quelmar::driver {

namespace {

using run::Run;
using physics::message_value;
using physics::refusal;

// The source type is none of those known: both record pairs, then the error end.
bool unknown_source_type(Run& run, const char* which) {
  io::Units& u = run.units;
  for (int unit : {io::CONSOLE, io::ERR}) {
    u.free(unit, {"FATAL ERROR:  Unknown source type"});
    u.free(unit, {which});
  }
  u.free(io::LST, {"FATAL ERROR: Unknown source type"});
  u.free(io::LST, {which});
  return false;
}

// One step row with the run's own H2S fraction and fuel-gas ratio.
void single_step(run::MOD_READINP& in, double rate) {
  in.PSEQ(1, 1) = rate;
  in.PSEQ(1, 2) = in.PUFFDUR;
  in.PSEQ(1, 3) = -1;
  in.PSEQ(1, 4) = -1;
}

// A decay given by a pressure ratio (MBLOWDOWN 3 and 4) needs a positive rate
// and fraction, 0 < PRATIO < 1 and a positive TDEP for a positive decay time,
// and with MBLOWDOWN 3 a fraction below 1, whose logarithm gives the rate.
bool decay_inputs_ok(Run& run) {
  const run::MOD_READINP& in = run.inp;
  bool ok = true;
  if (!(in.QMAX > 0)) {
    refusal(run, {{"***ERROR*** decaying release: the initial rate must be positive"},
                  {"QMAX =", message_value(in.QMAX)}});
    ok = false;
  }
  if (!(in.FREL > 0)) {
    refusal(run, {{"***ERROR*** decaying release: the released fraction must be positive"},
                  {"FREL =", message_value(in.FREL)}});
    ok = false;
  }
  if (in.MBLOWDOWN == 3 && !(in.FREL < 1)) {
    refusal(run, {{"***ERROR*** decaying release: with MBLOWDOWN=3 FREL must be below 1"},
                  {"FREL =", message_value(in.FREL)}});
    ok = false;
  }
  if (!(in.PRATIO > 0 && in.PRATIO < 1)) {
    refusal(run, {{"***ERROR*** decaying release: the pressure ratio must lie between 0 and 1"},
                  {"PRATIO =", message_value(in.PRATIO)}});
    ok = false;
  }
  if (!(in.TDEP > 0) || !std::isfinite(in.TDEP)) {
    refusal(run, {{"***ERROR*** decaying release: the depressuring time (min) must be positive"},
                  {"TDEP =", message_value(in.TDEP)}});
    ok = false;
  }
  return ok;
}

// Step table by MINPUT and MBLOWDOWN; false for the error end.
bool build_step_table(Run& run) {
  run::MOD_READINP& in = run.inp;
  physics::STDCONST& c = run.stdc;
  io::Units& u = run.units;

  if (in.MINPUT == 1) {
    switch (in.MBLOWDOWN) {
      case 0:  // steady release
        in.NPUFFS = 1;
        in.PUFFDUR = std::max(in.TIMEINC, in.PUFFDUR);
        in.QTOTAL = in.QMAX * in.PUFFDUR / 24 / 3600;  // the day as /24/3600: /86400 rounds differently
        single_step(in, in.QMAX);
        break;
      case 1: {  // vessel blowdown
        // With a TEMPINIT of 0 or below (not given, or negative) the vessel is at
        // the ambient temperature, as the input checks announce. That temperature
        // no meteorological record has given yet (TAMBH is still 0 K, and 0 K has
        // no ideal-gas state). This first table, from which the run takes NPUFFS
        // and QMAX0, is built at a sound temperature instead: the fixed TAMB when
        // the meteorology is fixed (MMET 3), else the reference temperature TREF
        // (288.15 K). The time loops rebuild the table at every step with the
        // hour's own temperature.
        double tinit = in.TEMPINIT;
        const char* name = "TEMPINIT =";
        if (in.TEMPINIT <= 0) {
          if (in.MMET == 3) {
            tinit = in.TAMB;
            name = "TAMB (TEMPINIT <= 0) =";
          } else {
            tinit = c.TREF;
          }
        }
        if (!physics::vessel_blowdown(run, name, run.file1.MIXN, in.PRESSINIT, tinit, in.PRESSFINAL, in.VESSELDIA,
                                      in.VESSELLEN, in.ORIFICEDIA, in.DISCHARGECOEF, in.QMAX, in.QTOTAL, in.FREL,
                                      run.file1.TFINAL))
          return false;
        if (!physics::puff_table(run, in.QMAX, in.QTOTAL, in.FREL, in.PUFFDUR, in.PSEQ, in.NPUFFS, in.MDIST))
          return false;
        if (c.LOGON == 1) {
          u.free(io::LOG, {"npuffs=", in.NPUFFS});
          for (int i = 1; i <= in.NPUFFS; ++i) u.free(io::LOG, {in.PSEQ(i, 1), in.PSEQ(i, 2)});
        }
        break;
      }
      case 2: {  // decay given by rate, volume and fraction; the fields keep their values
        const double q = in.QMAX, qt = in.QTOTAL;
        if (!physics::puff_table(run, q, qt, in.FREL, in.PUFFDUR, in.PSEQ, in.NPUFFS, in.MDIST)) return false;
        break;
      }
      case 3: {  // decay by a pressure ratio, the initial rate derived from QMAX and FREL
        if (!decay_inputs_ok(run)) return false;
        const double q = -(in.QMAX * crmath::log(1 - in.FREL));
        const double tau = -in.TDEP / crmath::log(in.PRATIO);  // min
        const double qt = q * tau / 1440;                   // 10^3 m3/d times days
        if (!physics::puff_table(run, q, qt, in.FREL, in.PUFFDUR, in.PSEQ, in.NPUFFS, in.MDIST)) return false;
        break;
      }
      case 4: {  // the same decay starting at QMAX itself
        if (!decay_inputs_ok(run)) return false;
        const double q = in.QMAX;
        const double qt = q * (-in.TDEP / crmath::log(in.PRATIO)) / 1440;
        if (!physics::puff_table(run, q, qt, in.FREL, in.PUFFDUR, in.PSEQ, in.NPUFFS, in.MDIST)) return false;
        break;
      }
      default:
        return unknown_source_type(run, "MBLOWDOWN must be 0,1,2,3,4");
    }
    run.file1.QMAX0 = in.QMAX;
    return true;
  }

  if (in.MINPUT == 2) {  // user sequence, rows read from the SEQ lines
    if (in.NSEQ > run::MAXPUFFS) {
      refusal(run, {{"***ERROR*** the user sequence has more rows than the step table holds"},
                    {"NSEQ =", in.NSEQ},
                    {"max rows =", run::MAXPUFFS}});
      return false;
    }
    in.NPUFFS = in.NSEQ;
    run.file1.QMAX0 = in.PSEQ(1, 1);
    if (!(run.file1.QMAX0 > 0) && in.MFGR == 2) {
      run.file1.QMAX0 = in.QMAX;
      u.free(io::CONSOLE, {"***WARNING*** setting QMAX0=QMAX:", in.QMAX});
      u.free(io::LST, {"***WARNING*** setting QMAX0=QMAX:", in.QMAX});
    }
    return true;
  }

  if (in.MINPUT == 3) {  // point source: the rate column holds QPS in g/s; QMAX0 stays
    in.PUFFDUR = std::max(in.TIMEINC, in.PUFFDUR);
    in.NPUFFS = 1;
    single_step(in, in.QPS);
    return true;
  }

  return unknown_source_type(run, "MINPUT must be 1 or 2 or 3");
}

}  // namespace

bool prepare_run(Run& run) {
  run::MOD_READINP& in = run.inp;
  physics::STDCONST& c = run.stdc;
  io::Units& u = run.units;

  // 1. Constants, species table and site pressure.
  physics::SETUP1(run.prop, c);
  c.TAMBH = 0;
  physics::INITLOCAL(run.prop, c, in.ZCOORD);

  // 2. Steam assist: the flow in 10^3 m3/d, the pressure absolute, a state
  //    given by one value only on the saturation line.
  if (in.MFASSIST == 1 && in.MFASSISTSTEAM == 1) {
    // kg/s to 10^3 m3/d, factor by factor from left to right (the day as 3600*24).
    if (in.STM_IMASSVOL == 1)
      in.STM_FLOW = in.STM_FLOW / run.prop(physics::P_MW, physics::H2O) * c.VM * 0.001 * 3600 * 24;
    if (in.STM_PRESS <= 0 && in.STM_TEMP <= 0) in.STM_TEMP = 473.15;
    if (in.STM_PRESS > 0)
      in.STM_PRESS = in.STM_PRESS + c.PLOCAL;
    else
      in.STM_PRESS = physics::P_SAT(in.STM_TEMP);
    if (in.STM_TEMP <= 0) in.STM_TEMP = physics::T_SAT(in.STM_PRESS);
  }

  // 3. Start and end of the period.
  common::JULDAY(u, io::LST, in.YYS, in.MMS, in.DDS, in.JDS);
  common::MKDAT(in.YYS, in.JDS, in.HHS, in.IDATES);
  common::JULDAY(u, io::LST, in.YYE, in.MME, in.DDE, in.JDE);
  common::MKDAT(in.YYE, in.JDE, in.HHE, in.IDATEE);

  // 4. The raw gas at the run's H2S fraction, or at its own.
  const double h2s = in.RH2S > 0 ? in.RH2S : in.RAW(physics::H2S);
  physics::INORMALIZEH2S(run.prop, in.RAW, h2s, run.file1.MIXN);

  // 5. Step table and reference rate.
  if (!build_step_table(run)) return false;

  // 6. The step table in the debug log.
  if (c.LOGON == 1) {
    static const io::Layout L("(4(G11.4,TR1))");
    u.free(io::LOG, {"pseq qmax,duration(s),h2s,fgr   ip=start"});
    if (in.NPUFFS <= 0) u.fixed(io::LOG, L, {});
    for (int i = 1; i <= in.NPUFFS; ++i)
      u.fixed(io::LOG, L, {in.PSEQ(i, 1), in.PSEQ(i, 2), in.PSEQ(i, 3), in.PSEQ(i, 4)});
  }
  return true;
}

}  // namespace quelmar::driver

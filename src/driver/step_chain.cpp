#include "driver/step_chain.hpp"

#include <cmath>
#include <string>

#include "common/crmath.hpp"
#include "common/dates.hpp"
#include "met/aermet.hpp"
#include "met/metseries.hpp"
#include "met/reader.hpp"
#include "met/store.hpp"
#include "common/constants.hpp"
#include "physics/emissions.hpp"
#include "physics/mixture.hpp"
#include "physics/plumerise.hpp"
#include "physics/release.hpp"

namespace quelmar::driver {


namespace {

using run::Run;

constexpr const char* kDashes33 = "---------------------------------";

bool logging(const Run& run) { return run.stdc.LOGON == 1; }

// Fixed meteorology of the control file.
void fixed_meteorology(Run& run) {
  run::MOD_FILE1& f = run.file1;
  const run::MOD_READINP& in = run.inp;
  f.WS = in.WINDSP;
  if (in.WINDDR >= 0) f.WD = in.WINDDR;
  run.stdc.TAMBH = in.TAMB;
  f.IPG = in.PGCLASS;
  run.met.ANEM_HT = in.ZREF;
}

// Screening meteorology: the wind to whole half metres per second, the
// temperature to whole kelvin, both truncated toward zero.
void screening_rounding(Run& run) {
  if (run.inp.MSCREENING != 1) return;
  run.file1.WS = std::trunc(2 * run.file1.WS) * 0.5;
  run.stdc.TAMBH = std::trunc(run.stdc.TAMBH);
}

// An hour whose wind speed is negative or 900 m/s or more, whose temperature
// lies outside 150 K to 400 K, or whose wind reference height is not positive,
// is missing (AERMET marks such hours with 999, -9 and the like; a reader past
// the end of its file hands back 9999): it takes all the remembered values. An
// hour whose only fault is its wind direction, below 0 or above 360 degrees
// (AERMET writes 999 for a direction it does not have, also beside a valid
// speed), keeps its own speed, temperature, class and height and takes the
// remembered direction, so that the flame is not bent towards a direction that
// does not exist. The pass remembers the meteorology that each step used after
// these replacements; before its first step a calm, neutral hour at 288.15 K,
// wind from 0 degrees measured at 10 m. Every date-hour so replaced counts once.
void replace_missing_meteorology(Run& run, int step_datehr) {
  run::MOD_FILE1& f = run.file1;
  run::MissingMet& m = f.missing;
  const double ws = f.WS, ta = run.stdc.TAMBH, zr = run.met.ANEM_HT;
  const bool valid = std::isfinite(ws) && std::isfinite(ta) && std::isfinite(zr) && ws >= 0 && ws < 900 &&
                     ta >= 150 && ta <= 400 && zr > 0;
  const bool valid_direction = std::isfinite(f.WD) && f.WD >= 0 && f.WD <= 360;
  if (!valid) {
    f.WS = m.WS;
    run.stdc.TAMBH = m.TAMBH;
    f.IPG = m.IPG;
    run.met.ANEM_HT = m.ANEM_HT;
  }
  if (!valid || !valid_direction) {
    f.WD = m.WD;
    if (m.count == 0 || m.last_datehr != step_datehr) {
      ++m.count;
      m.last_datehr = step_datehr;
    }
  }
  m.WS = f.WS;
  m.WD = f.WD;
  m.TAMBH = run.stdc.TAMBH;
  m.IPG = f.IPG;
  m.ANEM_HT = run.met.ANEM_HT;
}

void save_copies(Run& run) {
  run.file1.TAMB0 = run.stdc.TAMBH;
  run.file1.WS0 = run.file1.WS;
  run.file1.IPG0 = run.file1.IPG;
}

// The hour's meteorology for IDATECUR and ISEC.
void step_meteorology(Run& run, Loop loop, Clock& clock) {
  run::MOD_FILE1& f = run.file1;
  const run::MOD_READINP& in = run.inp;
  // The hour of the step by the loop's clock, before a non-sequential reader
  // names the record it hands out: missing hours are counted by it.
  const int step_datehr = f.IDATECUR;
  if (in.MMET == 1) {
    met::METGET(run, io::MET, io::LST, f.IDATECUR, f.ISEC, f.WS, f.WD, run.stdc.TAMBH, f.IPG);
  } else if (in.MMET == 2) {
    if (loop == Loop::Calpuff) {
      met::METGET_AERMET(run, io::MET, io::LST, f.IDATECUR, f.ISEC, f.WS, f.WD, run.stdc.TAMBH, f.IPG, in.MNONSEQ);
      // The clock is kept; IDATECUR names the record handed out until the
      // loop sets it from the clock again.
      if (in.MNONSEQ == 1) f.IDATECUR = run.met.REC_BEGIN_DATEHR;
    } else {
      if (in.MNONSEQ == 0 || f.IDATECUR != run.met.REC_BEGIN_DATEHR)
        met::METGET_AERMET(run, io::MET, io::LST, f.IDATECUR, f.ISEC, f.WS, f.WD, run.stdc.TAMBH, f.IPG,
                           in.MNONSEQ);
      if (in.MNONSEQ == 1) {
        // The clock follows the records; the end of the file ends the period.
        common::DEDAT(f.IDATECUR, clock.yr, clock.jul, clock.hr);
        if (run.met.FILE_BEGIN_DATEHR == run.met.FILE_END_DATEHR) run.inp.IDATEE = f.IDATECUR;
      }
    }
    screening_rounding(run);
  } else {
    fixed_meteorology(run);
  }
  replace_missing_meteorology(run, step_datehr);
}

void vessel_rebuild(Run& run) {
  run::MOD_READINP& in = run.inp;
  run::MOD_FILE1& f = run.file1;
  // A vessel temperature of 0 or below (not given, or negative) means the
  // hour's ambient temperature, as the input checks announce.
  f.TINIT = in.TEMPINIT <= 0 ? f.TAMB0 : in.TEMPINIT;
  physics::IVESSEL(run, f.MIXN, in.PRESSINIT, f.TINIT, in.PRESSFINAL, in.VESSELDIA, in.VESSELLEN, in.ORIFICEDIA,
                   in.DISCHARGECOEF, in.QMAX, in.QTOTAL, in.FREL, f.TFINAL);
  physics::IBLOWDOWN(run, in.QMAX, in.QTOTAL, in.FREL, in.PUFFDUR, in.PSEQ, in.NPUFFS, in.MBLOWDOWN, in.MDIST);
}

bool vessel_blowdown(const Run& run) { return run.inp.MINPUT == 1 && run.inp.MBLOWDOWN == 1; }

// Temperature of the flared gas.
void gas_temperature(Run& run) {
  const run::MOD_READINP& in = run.inp;
  physics::STDCONST& c = run.stdc;
  if (vessel_blowdown(run)) {
    if (in.MTGAS == 1) c.TGAS = c.TAMBH;
    else if (in.MTGAS == 2) c.TGAS = run.file1.TFINAL;
    // A vessel gas at TGINIT that is not given (0 or below) would be a gas at
    // absolute zero: it takes the ambient temperature, as the input checks warn.
    else if (in.MTGAS == 0) c.TGAS = in.TGINIT > 0 ? in.TGINIT : c.TAMBH;
  } else {
    c.TGAS = (in.TGINIT <= 0 || in.MTGAS == 1) ? c.TAMBH : in.TGINIT;
  }
}

}  // namespace

void read_meteorology(Run& run) {
  const run::MOD_READINP& in = run.inp;
  if (in.MMET != 1 && in.MMET != 2) return;
  met::read_meteorology(run, in.MMET, io::MET, in.METDAT.view());
  if (!(in.MMET == 2 && in.MNONSEQ == 1)) met::require_period(run, in.IDATEE);
}

void pass_start(Run& run, Clock& clock) {
  run::MOD_READINP& in = run.inp;
  run::MOD_FILE1& f = run.file1;
  clock = Clock{in.YYS, in.JDS, in.HHS, in.SSS};
  f.ISEC = clock.sec;
  common::MKDAT(in.YYS, in.JDS, in.HHS, f.IDATECUR);
  f.missing = run::MissingMet{};
  // Where the file's hours are matched to the period's, the period must not
  // begin before the file: found here, before the pass writes anything.
  if (in.MMET == 1) {
    met::METHDR(run, io::MET, io::LST, in.METDAT.view(), f.WS, f.WD, run.stdc.TAMBH, f.IPG);
    met::require_period_start(run, io::LST, met::CALPOST_KIND, f.IDATECUR, f.ISEC);
  } else if (in.MMET == 2) {
    met::METHDR_AERMET(run, io::MET, io::LST, in.METDAT.view(), f.WS, f.WD, run.stdc.TAMBH, f.IPG, in.MNONSEQ);
    if (in.MNONSEQ != 1) met::require_period_start(run, io::LST, met::AERMET_KIND, f.IDATECUR, f.ISEC);
    screening_rounding(run);
  } else {
    fixed_meteorology(run);
  }
  save_copies(run);
}

void chain_start(Run& run, Loop loop, Clock& clock, int count) {
  io::Units& u = run.units;
  run::MOD_FILE1& f = run.file1;
  f.ISEC = clock.sec;
  // The progress record, the layout ('+',I4,TR1,I10) field by field: it
  // rewrites the console line with the pass and the date-hour of the step.
  std::string progress = "+";
  io::put_I(progress, f.ILOOP, 4);
  progress.push_back(' ');
  io::put_I(progress, f.IDATECUR, 10);
  u.record(io::CONSOLE, progress);
  if (logging(run)) {
    u.free(io::LOG, {kDashes33});
    u.free(io::LOG, {"iloop: ", f.ILOOP, count});
    u.free(io::LOG, {kDashes33});
    if (loop == Loop::Calpuff) {
      u.free(io::LOG, {});
      u.free(io::LOG, {"idatecur,isec,", f.IDATECUR, f.ISEC});
    } else {
      u.free(io::LOG, {f.IDATECUR});
    }
  }
  run.stdc.TAMBH = f.TAMB0;
  f.WS = f.WS0;
  f.IPG = f.IPG0;
  f.FGRI = run.inp.FGR;

  step_meteorology(run, loop, clock);

  save_copies(run);
  if (logging(run)) {
    u.free(io::LOG, {"tamb=", f.TAMB0});
    u.free(io::LOG, {"ws=", f.WS0});
    u.free(io::LOG, {"ipg=", f.IPG0});
  }
  if (vessel_blowdown(run)) vessel_rebuild(run);
  gas_temperature(run);
  if (loop == Loop::Calpuff && logging(run)) u.free(io::LOG, {"tgas =", run.stdc.TGAS});
}

ReleasePoint chain_active(Run& run, Loop loop, int row, int isecdur) {
  io::Units& u = run.units;
  const run::MOD_READINP& in = run.inp;  // read only: PSEQ keeps its revision
  run::MOD_FILE1& f = run.file1;
  run::FLARE_RESULT& r = run.comb;
  f.ISECDUR = isecdur;
  f.QMAX1 = in.PSEQ(row, 1);
  if (in.MINPUT == 2) {
    double h2s = in.PSEQ(row, 3);
    if (h2s < 0) h2s = in.RH2S > 0 ? in.RH2S : in.RAW(physics::H2S);
    if (in.PSEQ(row, 4) >= 0) f.FGRI = in.PSEQ(row, 4);
    physics::INORMALIZEH2S(run.prop, in.RAW, h2s, f.MIXN);
  }
  f.QVOL = f.QMAX1 * f.ISECDUR / 24 / 3600;  // the day as /24/3600, in this order: /86400 rounds differently
  f.FGR1 = f.FGRI;
  if (in.MFGR == 2) {
    // The fuel-gas flow is held at FGRI times the reference rate; a row without
    // raw gas has no ratio to form and burns no fuel gas.
    f.FGR1 = f.QMAX1 > 0 ? f.FGRI * f.QMAX0 / f.QMAX1 : 0.0;
    if (logging(run)) {
      u.free(io::LOG, {"fgri=", f.FGRI});
      u.free(io::LOG, {"fgr1=", f.FGR1});
      u.free(io::LOG, {"qmax0=", f.QMAX0});
      u.free(io::LOG, {"qmax1=", f.QMAX1});
    }
  }
  if (logging(run)) {
    u.free(io::LOG, {"qmax=", f.QMAX1});
    u.free(io::LOG, {"fgr1=", f.FGR1});
  }

  if (in.MINPUT == 1 || in.MINPUT == 2) {
    // A row without raw gas (rate 0 or below, which the AERMOD path computes
    // like any other hour) is a still, bare stack.
    physics::EMISSIONS(run, io::LOG, f.MIXN, f.QMAX1 > 0 ? f.QMAX1 : 0.0, f.FGR1, f.QVOL, f.WS, f.IPG0);
  } else if (in.MINPUT == 3) {
    r.QEMIT = in.QPS;
    r.EXTEMP = in.PSTS;
    r.UE_X = in.PSUS;
    r.DE_X = in.PSDS;
    r.HS_X = in.PSHS;
  }

  f.XPTS(1) = 0;
  f.ZPTS(1) = in.HS;
  f.XPTS(2) = r.XL;
  f.ZPTS(2) = r.HS_X;
  physics::CALCDELH(run.isc, f.WS0, f.TAMB0, f.IPG0, r.EXTEMP, r.UE_X, r.DE_X, r.HS_X, f.XPTS, f.ZPTS,
                    run.met.ANEM_HT);

  if (logging(run)) {
    u.free(io::LOG, {"qemit=", r.QEMIT});
    u.free(io::LOG, {"extemp=", r.EXTEMP});
    u.free(io::LOG, {"ue_x=", r.UE_X});
    u.free(io::LOG, {"de_x=", r.DE_X});
    u.free(io::LOG, {"hs_x=", r.HS_X});
    u.free(io::LOG, {"ipg=", f.IPG0});
    u.free(io::LOG, {"FBisc,FMisc", run.isc.FBISC, run.isc.FMISC});
    u.free(io::LOG, {"DELH"});
    const char* names[5] = {"Hs", "XL", "XF*1/3", "XF*2/3", "XF"};
    for (int k = 1; k <= 5; ++k) u.free(io::LOG, {names[k - 1], f.XPTS(k), f.ZPTS(k)});
  }

  // The release point lies downwind of the flare by the flame's reach: the wind
  // blows from WD, so towards WD - 180 degrees (x east, y north).
  double a = f.WD - 180.0;
  if (a < 0) a += 360.0;
  double sin_a, cos_a;
  crmath::sincos(a * common::PI / 180.0, sin_a, cos_a);
  const double dx = r.XL * sin_a;
  const double dy = r.XL * cos_a;
  if (loop == Loop::Calpuff && logging(run)) u.free(io::LOG, {"x,y,z", dx, dy, r.HS_X});
  ReleasePoint p;
  p.X = in.XCOORD + dx * 0.001;
  p.Y = in.YCOORD + dy * 0.001;
  if (loop == Loop::Aermod && in.MSCREENING == 1) {
    p.X = in.XCOORD;
    p.Y = in.YCOORD;
  }
  p.Z = r.HS_X;
  f.Q(1) = r.QEMIT;
  return p;
}

void warn_missing_meteorology(Run& run, int lst) {
  const int n = run.file1.missing.count;
  if (n > 0) run.units.free(lst, {"WARNING: meteorology missing in", n, "hours; the last valid hour was used"});
}

}  // namespace quelmar::driver

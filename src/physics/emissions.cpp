// The flare step.
//
// The step runs in the order below; each numbered group is one member of
// FlareStep, and every working composition and quantity lives in FlareWork.
// What depends on the compositions alone (steam and dry air, the coefficient
// set and molar mass of each gas, the flared gas's heating values,
// flammability, air requirement and exhaust, and the solutions of its
// temperature solves) is formed once per composition and kept in the run's
// GasCache (gas_cache.hpp), with the same operations as if formed anew; so is
// what depends on the ambient state alone (the air's mean heat capacity, the
// speed of sound and entrainment ratio of an air jet), kept per ambient state.
//    1 compositions and ambient state          2 assist jets and assist air
//    3 one or two passes over steps 4 to 13:
//    4 mixing chain with its running flow      5 stream flows
//    6 heating values and emission bases       7 exit velocities, momentum terms
//    8 flammability                            9 air requirement, exhaust compositions
//   10 mixing temperature                     11 jet density, exit velocity, diameter
//   12 conversion efficiency, cold fraction   13 entrained air
//   14 momentum flux and emissions            15 heat capacity of the flared gas
//   16 cold plume of stripped gas             17 flame temperature
//   18 buoyancy flux of the flame             19 flame geometry, exhaust direction
//   20 re-formed emissions                    21 flame-out
//   22 pseudo-stack of the flame plume        23 pseudo-stack of the cold plume
//   24 debug-log summary                      25 console flux check
//
// The arithmetic keeps the operation order of the flare model's formulas
// (left to right as written, whole-number powers as products, x^y with the
// correctly rounded crmath::pow only for fractional exponents), so that the
// files built from the results are reproducible to the last digit.
#include "physics/emissions.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <string>

#include "common/crmath.hpp"
#include "common/utils.hpp"
#include "io/format.hpp"
#include "io/stop.hpp"
#include "io/units.hpp"
#include "common/constants.hpp"
#include "physics/correlations.hpp"
#include "run/gas_cache.hpp"
#include "physics/mixture.hpp"
#include "physics/plumerise.hpp"
#include "physics/pseudo_stack.hpp"
#include "physics/realgas.hpp"
#include "physics/thermo.hpp"

namespace quelmar::physics {

using common::GAS_CONSTANT;
using common::GRAVITY;
using common::GRAVITY_TIMES_R;
using common::PI;
using common::SECONDS_PER_DAY;

using run::FlareAir;
using run::FlaredGas;
namespace {

using Gas = MIX;  // the composition type, under a name that the step's MIX argument does not hide

// The hottest pseudo-stack: the upper end of the flare model's temperature
// solve, K. A hotter one is restated at this temperature with the same fluxes.
constexpr double T_PSEUDO_MAX = T_SOLVE_HI;

// Flow in 10^3 m3/d -> m3/s.
double per_second(double flow) { return flow * 1000 / SECONDS_PER_DAY; }

[[noreturn]] void fatal(run::Run& run, const std::string& what) {
  for (int unit : {io::CONSOLE, io::LST, io::ERR}) run.units.free(unit, {"***FATAL ERROR*** " + what});
  throw io::Stop{"HALTED in routine EMISSIONS()"};
}

// A quantity that must be a positive, finite number for the step to have a
// physical answer (an absolute temperature, the site pressure).
void require_positive(run::Run& run, double v, const char* name, const char* meaning) {
  if (!(v > 0) || !std::isfinite(v)) {
    if (std::isfinite(v)) {
      const std::string text = std::string("***FATAL ERROR*** ") + name + " (" + meaning + ") must be above 0:";
      for (int unit : {io::CONSOLE, io::LST, io::ERR}) run.units.free(unit, {text, v});
      throw io::Stop{"HALTED in routine EMISSIONS()"};
    }
    fatal(run, std::string(name) + " (" + meaning + ") is not a finite number");
  }
}

// A flow or ratio that must not be negative.
void require_not_negative(run::Run& run, double v, const char* name, const char* meaning) {
  if (!(v >= 0) || !std::isfinite(v)) {
    if (std::isfinite(v)) {
      const std::string text = std::string("***FATAL ERROR*** ") + name + " (" + meaning + ") is negative:";
      for (int unit : {io::CONSOLE, io::LST, io::ERR}) run.units.free(unit, {text, v});
      throw io::Stop{"HALTED in routine EMISSIONS()"};
    }
    fatal(run, std::string(name) + " (" + meaning + ") is not a finite number");
  }
}

// Speed of sound of a gas, or false when the gas has none (a heat capacity
// not above R, as for a composition whose fractions add up to far less than 1;
// no molar mass; a temperature or compressibility not above 0).
bool sound_speed(double cp, double mw, double T, double Z, double& c) {
  c = 0;
  if (!(cp > GAS_CONSTANT) || !(mw > 0) || !(T > 0) || !(Z > 0)) return false;
  SONICVELOCITY(cp, mw, T, Z, c);
  if (!std::isfinite(c)) {
    c = 0;
    return false;
  }
  return true;
}

// Debug-log records of the step: written only while the log is open. A value
// that is not a finite number is never written; it stops the run instead.
class DebugLog {
 public:
  DebugLog(run::Run& run, int unit) : run_(run), unit_(unit) {}
  void free(std::initializer_list<io::Item> items) {
    if (run_.stdc.LOGON != 1) return;
    check(items);
    run_.units.free(unit_, items);
  }
  void fixed(const io::Layout& layout, std::initializer_list<io::Item> items) {
    if (run_.stdc.LOGON != 1) return;
    check(items);
    run_.units.fixed(unit_, layout, items);
  }

 private:
  void check(std::initializer_list<io::Item> items) {
    std::string label = "a debug-log record";
    for (const io::Item& it : items) {
      if (it.kind == io::Item::Str) label = std::string("\"") + std::string(it.s) + "\"";
      if (it.kind == io::Item::Real && !std::isfinite(it.d))
        fatal(run_, "EMISSIONS: the value of " + label + " is not a finite number");
    }
  }
  run::Run& run_;
  int unit_;
};

// Working compositions and quantities of one call; names as in the flare
// model. Units: flows 10^3 m3/d (Q..., AIR...), volume flows V_... m3/s at the
// reference state, mass flows W_... kg/s, temperatures K, molar masses g/mol.
struct FlareWork {
  // 1. compositions and ambient state; the air and steam (STEAMMIX, GCAIR) and
  // the values of the flared gas are held in the run's GasCache
  const FlareAir* air = nullptr;
  GasProps RAW, FUEL, LIFT;  // values of the raw gas, the fuel gas and the lift gas
  double XINERT = 0, O2AIR = 0, wsST = 0;
  double MW_RAW = 0, MW_STEAM = 0, MW_AIR = 0, MW_LIFT = 0, MW_FUEL = 0;
  double CPA_MOL = 0, CPA = 0;
  // 2. assist jets
  double C_AIR = 0, ER_AIR = 0, C_STEAM = 0, ER_STEAM = 0, C_FUEL = 0, ER_FUEL = 0, C_LIFT = 0;
  bool has_C_FUEL = false, has_C_LIFT = false;
  bool steam_assist = false, air_assist = false;
  double AIRTOT_STEP = 0;  // all assist air with what the jets entrain, as step 2 formed it
  // 3. the pass
  double AIRTOT = 0, AIREXCESS = 0;
  // 4. mixing chain, and what the flared gas's composition decides (steps 6, 8, 9)
  Gas MIXFUEL{}, MIXHPFUEL{}, MIXLIFT{}, MIXSTEAM{}, MIXFLARED{}, MIXASSIST{};
  FlaredGas* fg = nullptr;
  double QFLARE = 0, MW_FLARED = 0, MW_MIXSTEAM = 0, MW_ASSIST = 0;
  // 5. stream flows
  double V_RAW = 0, W_RAW = 0, V_FUEL = 0, W_FUEL = 0, V_LIFT = 0, W_LIFT = 0, V_STEAM = 0, W_STEAM = 0;
  double V_AIR = 0, W_AIR = 0, V_XAIR = 0, W_XAIR = 0, V_HPFUEL = 0, W_HPFUEL = 0;
  double QTOT = 0, W_FLARED = 0;
  // 6. heating values and emission bases
  double NHV = 0, GHV = 0, LHV = 0, ODOUR_FULL = 0, CO2_GAS = 0, CO2_FORMED = 0;
  // 7. exit velocities and momentum
  double C_GAS = 0, V_TIP = 0, U_MAIN = 0, U_LIFT = 0, U_FUEL = 0, U_STEAM = 0, U_AIR = 0, U_HPFUEL = 0;
  double FMTOT = 0;
  // 8. flammability
  double combfrac = 0, rLFLcomb = 0, rLFLflared = 0, O2DEM = 0, O2LFL = 0, REST = 0;
  // 9. air requirement and exhaust
  double N_O2 = 0, N_DIL = 0, NAIR = 0, O2NET = 0, NSTOI = 0, EA = 0, NPROD = 0, WATER = 0;
  double PRODUCTS = 0, PRODUCTS_X = 0, QEXH = 0, MWEXH = 0, MR = 0, AIRM = 0, MWX = 0, MRX = 0;
  // 10., 11. mixing temperature and the jet
  double H_STREAMS = 0, T_MIX = 0, total_m = 0, ue = 0, C_MIX = 0, dia_eff = 0;
  // 12., 13. efficiency, cold fraction, entrained air
  double CCE = 0, FS = 0, FSTRIP = 0, FRESID = 0, COMBEFF = 0, ENTRAINED = 0;
  // 14. momentum flux and emissions
  double FM_STRIP = 0, e_co2 = 0, e_h2s = 0, e_so2 = 0, e_ou = 0;
  // 15., 16. heat capacity of the gas, cold plume
  double CPG_MOL = 0, CPG = 0, W_STRIP = 0, W_STRIPAIR = 0, W_STRIPTOT = 0, TSTRIP = 0, CP_STRIP = 0;
  double MW_STRIP = 0, FB_STRIPPED = 0, Q_STRIP = 0;
  // 17., 18. flame temperature and buoyancy
  double KE = 0, NHV_COMB = 0, E_FLAME = 0, T_FLAME = 0, CPEXH = 0, CPX = 0, KFB = 0;
  // 22. pseudo-stack ratios and flux check
  double RG = 0, RF = 0, RH = 0, FM_check = 0, FB_check = 0;
};

class FlareStep {
 public:
  FlareStep(run::Run& run, int unit, const Gas& mix, double q, double fgr, double uref, int ipg)
      : run_(run), in_(run.inp), c_(run.stdc), prop_(run.prop), r_(run.comb), cache_(run.gas), log_(run, unit),
        MIX_(mix), Q_(q), FGR_(fgr), UREF_(uref), IPG_(ipg) {}

  void run() {
    check_step_state();
    ambient_state();
    assist_jets();
    if (!(Q_ > 0)) {
      // No raw gas this step (the AERMOD path calls the step for every hour).
      bare_stack();
      return;
    }
    require_not_negative(run_, FGR_, "FGR", "fuel-gas ratio of the step");

    const int passes = w_.air_assist ? 2 : 1;
    for (int pass = 1; pass <= passes; ++pass) {
      if (passes == 2 && pass == 1) {
        w_.AIRTOT = 0;  // the flame alone first: how much air does it draw in?
        w_.AIREXCESS = 0;
      } else if (pass == 2) {
        w_.AIRTOT = w_.AIRTOT_STEP;
        w_.AIREXCESS = std::max(w_.AIRTOT - 86.4 * w_.ENTRAINED, 0.0);
      }
      mixing_chain();
      if (pass == 1 && !(w_.fg->combfrac > 0)) {
        // Nothing in the flared gas can burn (and so it holds no H2S either):
        // there is no flame and nothing to emit.
        bare_stack();
        return;
      }
      stream_flows();
      heating_values();
      exit_velocities();
      flammability();
      exhaust_compositions();
      mixing_temperature();
      jet_exit();
      conversion_efficiency();
      entrained_air();
    }
    momentum_and_emissions();
    flared_gas_heat_capacity();
    cold_plume();
    flame_temperature();
    flame_buoyancy();
    flame_geometry();
    reformed_emissions();
    flame_out();
    if (in_.MSTRIP == 0 || in_.MSTRIP == 2) {
      flame_pseudo_stack();
    } else if (in_.MSTRIP == 1 || in_.MSTRIP == 3 || in_.MSTRIP == 4 || in_.MSTRIP == 5) {
      cold_pseudo_stack();
    }
    check_results();
    summary_log();
    flux_check();
  }

 private:
  // ---- inputs the step cannot do without ----
  void check_step_state() {
    require_positive(run_, c_.TAMBH, "TAMBH", "ambient temperature, K");
    require_positive(run_, c_.TGAS, "TGAS", "flared-gas temperature, K");
    require_positive(run_, c_.PLOCAL, "PLOCAL", "site pressure, kPa");
    if (!std::isfinite(UREF_)) fatal(run_, "the wind speed of the hour is not a finite number");
    if (!std::isfinite(Q_)) fatal(run_, "the raw-gas flow of the step is not a finite number");
    if (in_.ODOURPPB == 0 || !std::isfinite(in_.ODOURPPB))
      fatal(run_, "ODOURPPB (odour threshold of H2S) is 0 or not a finite number");
  }

  // ---- 1. compositions and ambient state ----
  // Steam and dry air, formed once for the species table.
  void make_air(FlareAir& a) const {
    a.STEAMMIX.fill(0.0);
    a.STEAMMIX(H2O) = 1.0;
    for (int i = 1; i <= NSPECIES; ++i) a.GCAIR(i) = prop_(P_AIR_FRACTION, i);
    IRENORMALIZE(prop_, a.GCAIR);
    a.XINERT = 0;
    for (int i = 1; i <= NSPECIES; ++i)
      if (prop_(P_AIR_INERT, i) > 0) a.XINERT = a.XINERT + a.GCAIR(i);
    a.O2AIR = 1 - a.XINERT;
    a.steam = gas_props(prop_, c_, a.STEAMMIX);
    a.air = gas_props(prop_, c_, a.GCAIR);
    a.HF1_TREF = species_hf1_tref(prop_, c_);
  }

  void ambient_state() {
    w_.air = &cache_.air(prop_, c_, [this](FlareAir& a) { make_air(a); });
    const FlareAir& a = *w_.air;
    w_.XINERT = a.XINERT;
    w_.O2AIR = a.O2AIR;
    w_.wsST = WSSTKHT(UREF_, in_.ZREF, IPG_, in_.HS);
    w_.RAW = gas_props(cache_, prop_, c_, MIX_);
    w_.LIFT = gas_props(cache_, prop_, c_, in_.LIFT);
    w_.FUEL = gas_props(cache_, prop_, c_, in_.FUEL);
    w_.MW_RAW = w_.RAW.MW;
    w_.MW_STEAM = a.steam.MW;
    w_.MW_AIR = a.air.MW;
    w_.MW_LIFT = w_.LIFT.MW;
    w_.MW_FUEL = w_.FUEL.MW;
    r_.RHOA = c_.PLOCAL * w_.MW_AIR / (GAS_CONSTANT * c_.TAMBH);
    // The air at the hour's ambient state: its mean heat capacity here, and
    // the speed of sound and entrainment ratio of an air jet for step 2.
    run::AmbientAirMemo::Values v;
    if (!a.ambient.find(c_.TAMBH, c_.PLOCAL, c_.PREF, in_.RAIRAIR, v)) {
      v.CPA_MOL = cp_ave_mix(a.air, c_.TAMBH, c_.TREF);
      const double cpa = cp_mix(a.air, c_.TAMBH);
      const double k = cpa / (cpa - GAS_CONSTANT);
      const double Tat = c_.TAMBH * 2 / (k + 1);
      const double Za = FNZ(Tat, c_.PLOCAL, AIR_TC, AIR_PC);
      SONICVELOCITY(cpa, w_.MW_AIR, c_.TAMBH, Za, v.C_AIR);
      v.ER_AIR = ENTRAINMENTRATIO(c_, in_.RAIRAIR, 1.0, c_.TAMBH, c_.PLOCAL);
      a.ambient.put(c_.TAMBH, c_.PLOCAL, c_.PREF, in_.RAIRAIR, v);
    }
    w_.CPA_MOL = v.CPA_MOL;
    w_.CPA = w_.CPA_MOL / w_.MW_AIR;
    w_.C_AIR = v.C_AIR;
    w_.ER_AIR = v.ER_AIR;
  }

  // ---- 2. assist jets, then the assist air ----
  void assist_jets() {
    w_.steam_assist = in_.MFASSIST == 1 && in_.MFASSISTSTEAM == 1;
    if (w_.steam_assist) {
      require_positive(run_, in_.STM_TEMP, "STM_TEMP", "assist-steam temperature, K");
      const double cps = cp_mix(w_.air->steam, in_.STM_TEMP);
      const double ks = cps / (cps - GAS_CONSTANT);
      const double Tst = in_.STM_TEMP * 2 / (ks + 1);
      const double Pst = in_.STM_PRESS * crmath::pow(2 / (ks + 1), ks / (ks - 1));
      const double Zs = FNZ(Tst, Pst, WATER_TC, WATER_PC);
      if (!sound_speed(cps, w_.MW_STEAM, Tst, Zs, w_.C_STEAM))
        fatal(run_, "the assist steam has no speed of sound at its throat state (check STM_PRESS)");
      const double rhos = c_.PLOCAL * w_.MW_STEAM / (GAS_CONSTANT * Tst * Zs);
      w_.ER_STEAM = ENTRAINMENTRATIO(c_, in_.RAIRSTEAM, r_.RHOA / rhos, Tst, c_.PLOCAL);
    }

    // A fuel or lift gas without a composition has no mass: its jet neither
    // entrains air nor has a speed of sound (and none is needed, see step 7).
    if (w_.MW_FUEL > 0) {
      const double rhof = c_.PLOCAL * w_.MW_FUEL / (GAS_CONSTANT * c_.TGAS);
      w_.ER_FUEL = ENTRAINMENTRATIO(c_, in_.RAIRFUEL, r_.RHOA / rhof, c_.TGAS, c_.PLOCAL);
      w_.has_C_FUEL = sound_speed(cp_mix(w_.FUEL, c_.TREF), w_.MW_FUEL, c_.TGAS, 1, w_.C_FUEL);
    }
    if (w_.MW_LIFT > 0)
      w_.has_C_LIFT = sound_speed(cp_mix(w_.LIFT, c_.TREF), w_.MW_LIFT, c_.TGAS, 1, w_.C_LIFT);

    // The run-configuration writes of the step.
    if (in_.MLIFTGAS == 0) in_.QLIFTGAS = 0;
    double AIRTOT = 0;
    if (in_.MFASSIST == 0) {
      in_.STM_FLOW = 0;
      in_.HPFUEL_FLOW = 0;
    } else {
      if (in_.MFASSISTAIR == 1) {
        require_not_negative(run_, in_.AIR_FLOW, "AIR_FLOW", "assist-air flow");
        AIRTOT = in_.AIR_FLOW * (1 + w_.ER_AIR);
      }
      if (in_.MFASSISTSTEAM == 1) {
        in_.MFASSISTAIR = 1;
        require_not_negative(run_, in_.STM_FLOW, "STM_FLOW", "assist-steam flow");
        AIRTOT = AIRTOT + w_.ER_STEAM * in_.STM_FLOW;
      } else {
        in_.STM_FLOW = 0;
      }
      if (in_.MFASSISTHPFUEL == 1) {
        in_.MFASSISTAIR = 1;
        require_not_negative(run_, in_.HPFUEL_FLOW, "HPFUEL_FLOW", "high-pressure assist-fuel flow");
        AIRTOT = AIRTOT + w_.ER_FUEL * in_.HPFUEL_FLOW;
      } else {
        in_.HPFUEL_FLOW = 0;
      }
    }
    if (in_.MLIFTGAS == 1) require_not_negative(run_, in_.QLIFTGAS, "QLIFTGAS", "lift-gas flow");
    w_.AIRTOT_STEP = AIRTOT;
    w_.AIRTOT = AIRTOT;
    w_.air_assist = in_.MFASSIST == 1 && in_.MFASSISTAIR == 1;
    w_.dia_eff = in_.DS;

    log_.free({"wspd10m = ", UREF_, "  tamb=", c_.TAMBH, "  zref=", in_.ZREF});
    log_.free({"wsST = ", w_.wsST, "   hs=", in_.HS});
  }

  // ---- 4. mixing chain: each stream joins at its flow over the running flow ----
  void mixing_chain() {
    w_.MIXFUEL.fill(0.0);
    w_.MIXHPFUEL.fill(0.0);
    w_.MIXLIFT.fill(0.0);
    w_.MIXSTEAM.fill(0.0);
    w_.MIXFLARED.fill(0.0);
    w_.MIXASSIST.fill(0.0);
    double QRUN = 0;
    if (in_.MFUELGAS == 1) {
      INORMALIZE(prop_, MIX_, in_.FUEL, FGR_, w_.MIXFUEL);
      QRUN = CALC_TOTALRATE(Q_, FGR_);
    } else {
      w_.MIXFUEL = MIX_;
      QRUN = Q_;
    }
    if (in_.MFASSISTHPFUEL == 1) {
      INORMALIZE(prop_, w_.MIXFUEL, in_.FUEL, in_.HPFUEL_FLOW / QRUN, w_.MIXHPFUEL);
      QRUN = QRUN + in_.HPFUEL_FLOW;
    } else {
      w_.MIXHPFUEL = w_.MIXFUEL;
    }
    if (in_.MLIFTGAS == 1) {
      INORMALIZE(prop_, w_.MIXHPFUEL, in_.LIFT, in_.QLIFTGAS / QRUN, w_.MIXLIFT);
      QRUN = QRUN + in_.QLIFTGAS;
    } else {
      w_.MIXLIFT = w_.MIXHPFUEL;
    }
    if (w_.steam_assist) {
      INORMALIZE(prop_, w_.MIXLIFT, w_.air->STEAMMIX, in_.STM_FLOW / QRUN, w_.MIXSTEAM);
      QRUN = QRUN + in_.STM_FLOW;
    } else {
      w_.MIXSTEAM = w_.MIXLIFT;
    }
    if (w_.air_assist) {
      INORMALIZE(prop_, w_.MIXSTEAM, w_.air->GCAIR, w_.AIREXCESS / QRUN, w_.MIXFLARED);
      QRUN = QRUN + w_.AIREXCESS;
      INORMALIZE(prop_, w_.MIXSTEAM, w_.air->GCAIR, w_.AIRTOT / QRUN, w_.MIXASSIST);
    } else {
      w_.MIXFLARED = w_.MIXSTEAM;
      w_.MIXASSIST = w_.MIXSTEAM;
    }
    w_.QFLARE = QRUN;
    w_.fg = &cache_.flared(prop_, c_, w_.MIXFLARED, w_.MIXSTEAM, w_.MIXASSIST,
                           [this](FlaredGas& g) { make_flared(g); });
    w_.MW_FLARED = w_.fg->flared.MW;
    w_.MW_MIXSTEAM = w_.fg->MW_MIXSTEAM;
    w_.MW_ASSIST = w_.fg->MW_ASSIST;
  }

  // What the composition of the flared gas decides alone (steps 6, 8 and 9),
  // formed once for each new composition.
  void make_flared(FlaredGas& g) const {
    const Gas& F = w_.MIXFLARED;
    g.flared = gas_props(prop_, c_, F);
    g.MW_MIXSTEAM = CALC_MOLARMASS(prop_, w_.MIXSTEAM);
    g.MW_ASSIST = CALC_MOLARMASS(prop_, w_.MIXASSIST);
    // 6. heating values, the carbon of the hydrocarbons
    g.NHV = CALC_NHV(prop_, F);
    g.GHV = CALC_GHV(prop_, F);
    g.CARBON_HC = CALC_BYPROP(prop_, F, P_CARBON, P_HYDROCARBON);
    // 8. flammability
    g.combfrac = CALC_BYPROP(prop_, F, P_COMBUSTIBLE, P_IN_MIXTURE);
    g.rLFLcomb = CALC_LFL(prop_, F);
    g.rLFLflared = g.combfrac > 0 ? g.rLFLcomb / g.combfrac : 0;
    g.O2DEM = CALC_BYPROP(prop_, F, P_O2_NEED, P_IN_MIXTURE, P_COMBUSTIBLE);
    g.O2LFL = g.rLFLcomb * g.O2DEM / g.combfrac;
    g.REST = 1 - g.rLFLcomb - g.O2LFL;
    g.ISFLAMMABLE = (1 - g.combfrac > g.REST) ? 0 : 1;
    // 9. air requirement and the two exhaust compositions
    const double O2AIR = w_.air->O2AIR;
    g.N_O2 = (g.O2LFL - y(O2)) / (O2AIR - g.O2LFL);
    g.N_DIL = (1 - g.rLFLflared) / g.rLFLflared;
    g.NAIR = std::max(g.N_O2, g.N_DIL);
    g.O2NET = CALC_BYPROP(prop_, F, P_O2_NEED, P_IN_MIXTURE) - y(O2);
    g.NSTOI = g.O2NET / O2AIR;
    g.EA = (g.NAIR - g.NSTOI) / g.NSTOI;
    g.NPROD = CALC_BYPROP(prop_, F, P_PRODUCTS, P_IN_MIXTURE);
    g.WATER = CALC_BYPROP(prop_, F, P_WATER, P_IN_MIXTURE);
    g.PRODUCTS = exhaust(g, g.NAIR, g.EA, g.MIX_EXHAUST);
    g.PRODUCTS_X = exhaust(g, std::max(g.N_O2, g.NSTOI), 0, g.XX_MIX_EXHAUST);
    g.exhaust = gas_props(prop_, c_, g.MIX_EXHAUST);
    g.MWEXH = g.NHV > 0 ? g.exhaust.MW : g.flared.MW;
    g.MR = g.PRODUCTS * g.MWEXH / g.flared.MW;
    g.AIRM = g.N_DIL * prop_(P_MW, AIR) / g.MW_MIXSTEAM;
    g.MWX = CALC_MOLARMASS(prop_, g.XX_MIX_EXHAUST);
    g.MRX = g.PRODUCTS_X * g.MWX / g.MW_MIXSTEAM;
    // 15., 16. the gas's enthalpy at TREF species by species, its autoignition temperature
    g.HFBAR_TREF = hfbar(prop_, w_.air->HF1_TREF, F, c_.TREF);
    g.AUTOIG = CALC_AUTOIG(prop_, F);
  }

  // ---- 5. stream flows ----
  void stream_flows() {
    const double VM = c_.VM;
    w_.V_RAW = per_second(Q_);
    w_.W_RAW = w_.V_RAW / VM * w_.MW_RAW;
    w_.V_FUEL = per_second((FGR_ / (FGR_ + 1)) * CALC_TOTALRATE(Q_, FGR_));
    w_.W_FUEL = w_.V_FUEL / VM * w_.MW_FUEL;
    w_.V_LIFT = per_second(in_.QLIFTGAS);
    w_.W_LIFT = w_.V_LIFT / VM * w_.MW_LIFT;
    w_.V_STEAM = per_second(in_.STM_FLOW);
    w_.W_STEAM = w_.V_STEAM / VM * w_.MW_STEAM;
    w_.V_AIR = per_second(w_.AIRTOT);
    w_.W_AIR = w_.V_AIR / VM * w_.MW_AIR;
    w_.V_XAIR = per_second(w_.AIREXCESS);
    w_.W_XAIR = w_.V_XAIR / VM * w_.MW_AIR;
    w_.V_HPFUEL = per_second(in_.HPFUEL_FLOW);
    w_.W_HPFUEL = w_.V_HPFUEL / VM * w_.MW_FUEL;
    w_.QTOT = w_.QFLARE * 1000 / SECONDS_PER_DAY;
    w_.W_FLARED = w_.QTOT * w_.MW_FLARED / VM;
  }

  double y(int s) const { return w_.MIXFLARED(s); }

  // ---- 6. heating values and the emission bases ----
  void heating_values() {
    const double VM = c_.VM;
    w_.NHV = w_.fg->NHV;
    w_.GHV = w_.fg->GHV;
    w_.LHV = w_.NHV / w_.MW_FLARED * VM;
    r_.E_H2SRAW = w_.QTOT * y(H2S) * prop_(P_MW, H2S) / VM * 1000;
    w_.ODOUR_FULL = w_.QTOT * (y(H2S) / in_.ODOURPPB * 1e9);
    r_.SO2TPD = w_.QFLARE * y(H2S) / VM * prop_(P_MW, SO2);
    r_.E_SO2FULL = r_.SO2TPD * 1000 * 1000 / SECONDS_PER_DAY;
    w_.CO2_GAS = y(CO2) * prop_(P_MW, CO2) / VM * w_.QFLARE;
    w_.CO2_FORMED =
        (w_.fg->CARBON_HC + y(CO) * prop_(P_CARBON, CO)) * prop_(P_MW, CO2) / VM * w_.QFLARE;
    log_.free({"NHV (MJ/m3)=", w_.NHV});
    log_.free({"GHV (MJ/m3)=", w_.GHV});
  }

  // Velocity through a nozzle of diameter D of the volume flow V (m3/s at the
  // reference state) at the gas temperature and site pressure, capped at the
  // gas's speed of sound. A stream without a composition has no mass, so it
  // carries no momentum whatever its speed: it is given 0.
  double nozzle_velocity(double V, double D, double MW, bool has_c, double C, const char* stream) {
    if (V == 0 || !(MW > 0)) return 0;
    if (!has_c) fatal(run_, std::string("the ") + stream + " has no speed of sound: check that its composition adds up to 1");
    return std::min(V * 4 / PI / (D * D) * (c_.TGAS / c_.TREF) * (c_.PREF / c_.PLOCAL), C);
  }

  // ---- 7. exit velocities and momentum terms ----
  void exit_velocities() {
    const double cp_gas = cp_mix(w_.fg->flared, c_.TREF);
    if (!sound_speed(cp_gas, w_.MW_FLARED, c_.TGAS, 1, w_.C_GAS))
      fatal(run_, "the flared gas has no speed of sound: check that the gas compositions add up to 1");
    w_.V_TIP = w_.V_RAW;
    if (in_.MDLIFT == 0) w_.V_TIP = w_.V_TIP + w_.V_LIFT;
    if (in_.MDFUEL == 0) w_.V_TIP = w_.V_TIP + w_.V_FUEL;
    w_.U_MAIN = std::min(w_.V_TIP * 4 / PI / (in_.DF * in_.DF) * c_.TGAS / c_.TREF * c_.PREF / c_.PLOCAL, w_.C_GAS);
    w_.U_LIFT = w_.U_MAIN;
    if (in_.MDLIFT == 1)
      w_.U_LIFT = nozzle_velocity(w_.V_LIFT, in_.DLIFT, w_.MW_LIFT, w_.has_C_LIFT, w_.C_LIFT, "lift gas");
    w_.U_FUEL = w_.U_MAIN;
    if (in_.MDFUEL == 1)
      w_.U_FUEL = nozzle_velocity(w_.V_FUEL, in_.DFUEL, w_.MW_FUEL, w_.has_C_FUEL, w_.C_FUEL, "fuel gas");
    w_.U_STEAM = w_.V_STEAM > 0 ? w_.C_STEAM : 0;
    w_.U_AIR = w_.V_AIR > 0 ? w_.C_AIR : 0;
    w_.U_HPFUEL = 0;
    if (w_.V_HPFUEL > 0 && w_.MW_FUEL > 0) {
      if (!w_.has_C_FUEL)
        fatal(run_, "the high-pressure assist fuel has no speed of sound: check that its composition adds up to 1");
      w_.U_HPFUEL = w_.C_FUEL;
    }
    const double k = r_.RHOA * PI;
    w_.FMTOT = w_.U_MAIN * w_.W_RAW / k + w_.U_LIFT * w_.W_LIFT / k + w_.U_FUEL * w_.W_FUEL / k +
               w_.U_STEAM * w_.W_STEAM / k + w_.U_AIR * w_.W_AIR / k + w_.U_HPFUEL * w_.W_HPFUEL / k;
  }

  // ---- 8. flammability ----
  void flammability() {
    const FlaredGas& g = *w_.fg;
    w_.combfrac = g.combfrac;
    w_.rLFLcomb = g.rLFLcomb;
    w_.rLFLflared = g.rLFLflared;
    w_.O2DEM = g.O2DEM;
    w_.O2LFL = g.O2LFL;
    w_.REST = g.REST;
    r_.ISFLAMMABLE = g.ISFLAMMABLE;
    log_.free({"combfrac=", w_.combfrac});
    log_.free({"rLFLcomb=", w_.rLFLcomb});
    log_.free({"rLFLflared=", w_.rLFLflared});
    log_.free({"isFlammable(1=y,0=n)=", r_.ISFLAMMABLE});
  }

  // Exhaust of one mole of flared gas burnt with NA moles of air at the
  // excess-air ratio E: fills `ex` (n/P of eleven species) and returns P.
  double exhaust(const FlaredGas& g, double NA, double E, Gas& ex) const {
    const Gas& GCAIR = w_.air->GCAIR;
    const double g2 = GCAIR(H2);
    // The air beyond what the combustibles' oxygen binds: NA/(E+1) moles of it
    // are stoichiometric air (whose inert part stays) and the excess stays
    // whole. When E+1 or E has no finite value (no net oxygen demand, or no
    // air at all) the same amount follows from E + 1 = NA/NSTOI.
    const double XINERT = w_.air->XINERT;
    double air_part = NA / (E + 1) * (XINERT + E);
    if (!std::isfinite(air_part)) air_part = g.NSTOI * XINERT + NA - g.NSTOI;
    const double P = g.NPROD + air_part + NA * g2;
    const double D = P - g.WATER - NA * g2;
    ex.fill(0.0);
    ex(H2O) = (P - D + NA * g2) / P;
    ex(O2) = (NA * w_.air->O2AIR + y(O2) - g.O2NET) / P;
    for (int s : {AR, N2, HE, NE, KR, N2O, XE}) ex(s) = (y(s) + NA * GCAIR(s)) / P;
    ex(CO2) =
        (CALC_BYPROP(prop_, w_.MIXFLARED, P_CARBON, P_IN_MIXTURE) + NA * (GCAIR(CO2) + GCAIR(CH4) + GCAIR(CO))) / P;
    ex(SO2) = y(H2S) / P;
    return P;
  }

  // ---- 9. air requirement and the two exhaust compositions ----
  void exhaust_compositions() {
    const FlaredGas& g = *w_.fg;
    w_.N_O2 = g.N_O2;
    w_.N_DIL = g.N_DIL;
    w_.NAIR = g.NAIR;
    w_.O2NET = g.O2NET;
    w_.NSTOI = g.NSTOI;
    w_.EA = g.EA;
    w_.NPROD = g.NPROD;
    w_.WATER = g.WATER;
    w_.PRODUCTS = g.PRODUCTS;
    w_.PRODUCTS_X = g.PRODUCTS_X;
    w_.QEXH = w_.NHV > 0 ? w_.QTOT * w_.PRODUCTS : w_.QTOT;
    w_.MWEXH = g.MWEXH;
    w_.MR = g.MR;
    w_.AIRM = g.AIRM;
    w_.MWX = g.MWX;
    w_.MRX = g.MRX;
  }

  // Sensible enthalpy flow (kW) of a stream of mass flow W, composition X at T.
  // A stream without mass carries none.
  double enthalpy_flow(double W, const GasProps& X, double T) const {
    if (W == 0 || !(X.MW > 0)) return 0;
    return W / X.MW * (hf1_mix(X, T) - hf1_mix(X, c_.TREF));
  }

  // ---- 10. mixing temperature of the streams ----
  void mixing_temperature() {
    const double raw = enthalpy_flow(w_.W_RAW, w_.RAW, c_.TGAS);
    const double lift = in_.MLIFTGAS == 1 ? enthalpy_flow(w_.W_LIFT, w_.LIFT, c_.TGAS) : 0;
    const double fuel = in_.MFUELGAS == 1 ? enthalpy_flow(w_.W_FUEL, w_.FUEL, c_.TGAS) : 0;
    double steam = 0, xair = 0, hpfuel = 0;
    if (in_.MFASSIST == 1) {
      if (in_.MFASSISTSTEAM == 1) steam = enthalpy_flow(w_.W_STEAM, w_.air->steam, in_.STM_TEMP);
      if (in_.MFASSISTAIR == 1) xair = enthalpy_flow(w_.W_XAIR, w_.air->air, c_.TAMBH);
      if (in_.MFASSISTHPFUEL == 1) hpfuel = enthalpy_flow(w_.W_HPFUEL, w_.FUEL, c_.TGAS);
    }
    w_.H_STREAMS = raw + lift + fuel + steam + xair + hpfuel;
    const double H = w_.H_STREAMS / w_.W_FLARED * w_.MW_FLARED;
    if (!std::isfinite(H)) fatal(run_, "the enthalpy of the flared streams is not a finite number");
    w_.T_MIX = flame_temp(w_.fg->flared, w_.fg->mixing, H);
    if (w_.T_MIX == -1) {
      // The streams mix outside the 200..3000 K range of the temperature
      // search (a very cold gas, for instance): the nearer end is taken.
      const double h200 = w_.fg->flared.HF_LO;
      const double h3000 = w_.fg->flared.HF_HI;
      if (H <= h200) {
        w_.T_MIX = T_SOLVE_LO;
      } else if (H >= h3000) {
        w_.T_MIX = T_SOLVE_HI;
      } else {
        fatal(run_, "no mixing temperature found for the flared streams");
      }
    }
  }

  // ---- 11. jet density, exit velocity and effective diameter ----
  void jet_exit() {
    r_.DEN_MIX = c_.PLOCAL * w_.MW_ASSIST / (GAS_CONSTANT * w_.T_MIX);
    w_.total_m = w_.W_RAW + w_.W_FUEL + w_.W_LIFT + w_.W_STEAM + w_.W_AIR + w_.W_HPFUEL;
    double A = in_.DS * in_.DS;
    if (in_.MDLIFT == 1) A = A + in_.DLIFT * in_.DLIFT;
    if (in_.MDFUEL == 1) A = A + in_.DFUEL * in_.DFUEL;
    w_.ue = w_.total_m / r_.DEN_MIX * 4 / (PI * A);
    if (!sound_speed(cp_mix(w_.fg->flared, c_.TREF), w_.MW_ASSIST, w_.T_MIX, 1, w_.C_MIX))
      fatal(run_, "the jet leaving the flare tip has no speed of sound: check the gas compositions");
    w_.ue = std::min(w_.ue, w_.C_MIX);
    w_.dia_eff = std::sqrt(w_.total_m * 4 / (PI * w_.ue * r_.DEN_MIX));
    log_.free({"total_m=", w_.total_m});
    log_.free({"ue=", w_.ue});
    log_.free({"den_mix=", r_.DEN_MIX});
    log_.free({"dia_eff=", w_.dia_eff});
  }

  // ---- 12. conversion efficiency and cold fraction ----
  void conversion_efficiency() {
    w_.CCE = CARBEFF(c_, w_.LHV, w_.wsST, w_.dia_eff, w_.ue);
    const double RV = std::min(110.0, w_.ue / w_.wsST);
    w_.FS = std::min(0.9, std::max(0.1, 0.5 - 0.0869 * crmath::log(r_.DEN_MIX / r_.RHOA * (RV * RV))));
    w_.FSTRIP = (1 - w_.CCE) * w_.FS;
    w_.FRESID = (1 - w_.CCE) * (1 - w_.FS);
    // Unburnt H2S and odour as a whole (MSTRIP 3 and 5): the re-formed
    // emissions take all of the unconverted gas; the cold plume keeps FSTRIP.
    if (in_.MSTRIP == 3 || in_.MSTRIP == 5) w_.FS = 1;
    w_.COMBEFF = w_.CCE / (w_.CCE + w_.FSTRIP + w_.FRESID);
    log_.free({"conv eff=", w_.CCE});
    log_.free({"comb eff=", w_.COMBEFF});
    log_.free({"cold fraction,fs=", w_.FS});
  }

  // ---- 13. air entrained by the burning gas (m3/s at ambient conditions) ----
  void entrained_air() {
    w_.ENTRAINED = w_.QTOT * w_.N_DIL * (c_.PREF / c_.PLOCAL) * (c_.TAMBH / c_.TREF) * w_.COMBEFF;
  }

  // ---- 14. momentum flux and emissions ----
  void momentum_and_emissions() {
    w_.FM_STRIP = w_.FMTOT * w_.FSTRIP;
    r_.FM = w_.FMTOT - w_.FM_STRIP;
    w_.e_co2 = w_.CO2_GAS + w_.CO2_FORMED * w_.CCE +
               (1 - w_.CCE) * y(CH4) * w_.QFLARE * prop_(P_MW, CH4) / c_.VM * 25;
    w_.e_h2s = w_.FSTRIP * r_.E_H2SRAW;
    w_.e_so2 = r_.E_SO2FULL * (w_.CCE + w_.FRESID);
    w_.e_ou = w_.QTOT * w_.FSTRIP * (y(H2S) / in_.ODOURPPB * 1e9);
    log_.free({"e_co2=", w_.e_co2, " t/d"});
    log_.free({"e_so2=", w_.e_so2, r_.E_SO2FULL, " g/s"});
    log_.free({"e_h2s=", w_.e_h2s, " g/s as unoxydized raw H2S stripped"});
    log_.free({"e_ou=", w_.e_ou, " OU/s stripped"});
  }

  // ---- 15. mean heat capacity of the flared gas between TREF and T_MIX ----
  void flared_gas_heat_capacity() {
    if (w_.T_MIX != c_.TREF) {
      w_.CPG_MOL = (hfbar(prop_, w_.air->HF1_TREF, w_.MIXFLARED, w_.T_MIX) - w_.fg->HFBAR_TREF) /
                   (w_.T_MIX - c_.TREF);
    } else {
      w_.CPG_MOL = CALC_BYPROP(prop_, w_.MIXFLARED, P_CP_MOL, P_IN_MIXTURE);
    }
    w_.CPG = w_.CPG_MOL / w_.MW_FLARED;
  }

  // ---- 16. cold plume of gas stripped from the flame ----
  void cold_plume() {
    const double TAMBH = c_.TAMBH;
    w_.W_STRIP = w_.W_FLARED * w_.FSTRIP;
    w_.W_STRIPAIR = w_.W_STRIP * w_.AIRM;
    w_.W_STRIPTOT = w_.W_STRIP + w_.W_STRIPAIR;
    const GasProps& flared = w_.fg->flared;
    const double AIT = w_.W_FLARED > 0 ? w_.fg->AUTOIG : 10000;
    w_.TSTRIP = 0.5 * (AIT + c_.TGAS);
    const double dh = hf1_mix(flared, w_.TSTRIP) - hf1_mix(flared, TAMBH);
    double cg = (dh > 0 && w_.TSTRIP != TAMBH) ? dh / (w_.TSTRIP - TAMBH) : cp_mix(flared, c_.TREF);
    cg = cg / w_.MW_MIXSTEAM;
    const std::array<double, NSPECIES>& hf1_tref = w_.air->HF1_TREF;
    const double da = hf_species(prop_, hf1_tref, AIR, w_.TSTRIP) - hf_species(prop_, hf1_tref, AIR, TAMBH);
    double ca = (da > 0 && w_.TSTRIP != TAMBH) ? da / (w_.TSTRIP - TAMBH) : cp_mix(w_.air->air, c_.TREF);
    ca = ca / w_.MW_AIR;
    // Nothing stripped (a complete conversion): the plume has the gas's heat capacity.
    w_.CP_STRIP = w_.W_STRIPTOT != 0 ? (w_.W_STRIP * cg + w_.W_STRIPAIR * ca) / w_.W_STRIPTOT : cg;
    w_.MW_STRIP = (w_.MW_MIXSTEAM + w_.MW_AIR * w_.N_DIL) / (w_.N_DIL + 1);
    w_.FB_STRIPPED = GRAVITY_TIMES_R / (PI * c_.PLOCAL * w_.MW_AIR) *
                     ((w_.CP_STRIP / w_.CPA) * (w_.TSTRIP - TAMBH) - (1 - w_.MW_AIR / w_.MW_STRIP) * TAMBH) *
                     w_.W_STRIPTOT;
    w_.Q_STRIP = w_.CP_STRIP * (w_.TSTRIP - TAMBH) * w_.W_STRIPTOT;
  }

  // ---- 17. flame temperature from the energy balance ----
  void flame_temperature() {
    const double VM = c_.VM, TREF = c_.TREF, TAMBH = c_.TAMBH;
    const double s = w_.ue + w_.wsST;
    w_.KE = 0.5 * (s * s) * (w_.W_FLARED / w_.QTOT) * 1e-6;
    w_.NHV_COMB = w_.NHV - (1 - w_.COMBEFF) * w_.NHV;
    w_.E_FLAME = w_.NHV_COMB + w_.CPG_MOL * (w_.T_MIX - TREF) / VM / 1000 + w_.KE +
                 w_.N_DIL * w_.CPA_MOL * (TAMBH - TREF) / VM / 1000 - w_.Q_STRIP / (w_.QTOT * 1000) -
                 c_.FRAD * w_.COMBEFF * w_.NHV;
    if (w_.E_FLAME < 0) {
      w_.T_FLAME = TAMBH;
    } else {
      w_.T_FLAME = flame_temp(w_.fg->exhaust, w_.fg->flame, w_.E_FLAME * 1000 * VM / w_.PRODUCTS);
    }
    w_.T_FLAME = std::max(w_.T_FLAME, TAMBH);  // a failed solve (-1) gives TAMBH too
    r_.EXTEMP = w_.T_FLAME;
    if (w_.NHV > 0) {
      w_.CPEXH = cp_ave_mix(w_.fg->exhaust, TREF, w_.T_FLAME) / w_.MWEXH;
    } else {
      w_.CPEXH = cp_ave_mix(w_.fg->flared, TREF, w_.T_FLAME) / w_.MWEXH;
    }
    w_.CPX = w_.CPA * ((w_.CPEXH / w_.CPA - 1) * w_.MR / w_.MRX + 1);
  }

  // ---- 18. buoyancy flux of the burning flame ----
  void flame_buoyancy() {
    const double TREF = c_.TREF, TAMBH = c_.TAMBH, CPA = w_.CPA;
    w_.KFB = GRAVITY_TIMES_R / (w_.MW_AIR * PI * c_.PLOCAL) * w_.W_FLARED;
    const double f = (w_.NHV_COMB + w_.KE - w_.Q_STRIP / (w_.QTOT * 1000) - c_.FRAD * w_.COMBEFF * w_.NHV) / w_.NHV;
    const double s = w_.ue + w_.wsST;
    const double FB = w_.KFB * (w_.LHV * std::max(f, 0.0) / CPA * 1000 + 0.5 * (s * s) / 1000 / CPA +
                                w_.CPG / CPA * (w_.T_MIX - TREF) + w_.MRX * (w_.MW_AIR / w_.MWX - 1) * TAMBH -
                                w_.MRX * (w_.CPX / CPA - 1) * (TAMBH - TREF) - (TAMBH - TREF));
    r_.FB = std::max(FB, 0.0);
  }

  // ---- 19. flame geometry and exhaust direction ----
  void flame_geometry() {
    BRZFLARE(prop_, w_.fg->combfrac, w_.fg->rLFLcomb, w_.MW_FLARED, in_.DS, w_.ue, w_.wsST, r_.DEN_MIX, r_.RHOA,
             r_.XL, r_.ZL, r_.FA);
    r_.UV = w_.ue / w_.MR;
    r_.UU = w_.AIRM * w_.wsST / w_.MR;
    r_.PLANGLE = common::DEGREES(crmath::atan2(r_.UV, r_.UU));
    const double exhaust_rate = w_.QEXH * (w_.T_FLAME / c_.TREF) * (c_.PREF / c_.PLOCAL);
    log_.free({"XL=", r_.XL});
    log_.free({"ZL=", r_.ZL});
    log_.free({"FA=", r_.FA});
    log_.free({"uu,uv=", r_.UU, r_.UV});
    log_.free({"plume angle (deg)=", r_.PLANGLE});
    log_.free({"exhaust rate (m3/s)=", exhaust_rate});
  }

  // ---- 20. emissions re-formed with the current cold fraction ----
  void reformed_emissions() {
    w_.e_ou = w_.QTOT * (1 - w_.CCE) * (y(H2S) / in_.ODOURPPB * 1e9) * w_.FS;
    w_.e_h2s = (1 - w_.CCE) * w_.FS * r_.E_H2SRAW;
  }

  // ---- 21. flame-out: the gas leaves the tip unburnt ----
  void flame_out() {
    if (in_.MFLAMEOUT != 1 && in_.MFLAMEOUT != 2) return;
    const double TREF = c_.TREF, TAMBH = c_.TAMBH, CPA = w_.CPA;
    const double s = w_.ue + w_.wsST;
    r_.FB = std::max(w_.KFB * (0.5 * (s * s) / 1000 / CPA + w_.CPG / CPA * (w_.T_MIX - TREF) +
                               (w_.MW_AIR / w_.MW_FLARED - 1) * TAMBH - (w_.CPG / CPA - 1) * (TAMBH - TREF) -
                               (TAMBH - TREF)),
                     0.0);
    w_.TSTRIP = w_.T_MIX;
    r_.XL = 0;
    r_.ZL = 0;
    r_.FA = 90;
    if (in_.MFLAMEOUT == 1) {
      r_.FM = w_.FMTOT - w_.FM_STRIP;
      r_.E_SO2FULL = r_.E_H2SRAW;
      w_.e_h2s = r_.E_H2SRAW;
      w_.e_ou = w_.ODOUR_FULL;
      w_.FB_STRIPPED = r_.FB;
      w_.FM_STRIP = r_.FM;
      static const io::Layout L26("(A82)");
      static const io::Layout L27("(15G15.4)");
      log_.fixed(L26, {"FM,FB,fm_strip,FB_stripped"});
      log_.fixed(L27, {r_.FM, r_.FB, w_.FM_STRIP, w_.FB_STRIPPED});
    } else {
      r_.FM = w_.FMTOT + w_.FM_STRIP;
      r_.E_SO2FULL = w_.W_FLARED * 1000;
    }
  }

  // Release height lowered by stack-tip downwash when the jet is slower than
  // 1.5 times the wind (no lowering in a calm or for a tip without diameter).
  double downwash() const {
    const double d = in_.DS * (w_.ue / w_.wsST - 1.5);
    return std::isnan(d) ? 0.0 : std::min(d, 0.0);
  }

  // ---- 22. pseudo-stack of the flame plume (SO2) ----
  void flame_pseudo_stack() {
    const double TREF = c_.TREF, TAMBH = c_.TAMBH;
    if (in_.MSTRIP == 0) {
      r_.QEMIT = r_.E_SO2FULL;
    } else {
      r_.E_SO2CCE = r_.E_SO2FULL * w_.CCE;
      r_.QEMIT = r_.E_SO2CCE;
    }
    w_.RF = TAMBH / TREF;
    const double V = in_.MFLAMEOUT == 0 ? w_.QEXH : w_.QTOT;
    w_.RG = PI * (c_.PLOCAL / c_.PREF) * r_.FB / (GRAVITY * V);
    w_.RH = r_.FB / r_.FM;
    r_.HS_X = std::max(in_.HS + 2 * downwash(), 0.0);
    if (in_.MFLAMEOUT == 0 && r_.ISFLAMMABLE == 1) r_.HS_X = r_.HS_X + r_.ZL;
    r_.EXTEMP = (w_.RG + w_.RF) * TREF;
    // A plume without buoyancy, or (never with gas flowing) without momentum,
    // keeps the jet's own diameter and velocity.
    const bool jet_itself = r_.FB == 0 || !(r_.FM > 0);
    if (jet_itself || r_.EXTEMP == TAMBH) {
      r_.DE_X = w_.dia_eff;
    } else {
      r_.DE_X = 2 * w_.RH * std::sqrt(r_.FM) / (GRAVITY * w_.RG) * std::sqrt(w_.RF * (w_.RF + w_.RG));
    }
    if (jet_itself) {
      r_.UE_X = std::max(c_.UEMIN, std::min(w_.C_GAS, w_.ue));
    } else {
      r_.UE_X = std::max(c_.UEMIN, std::min(w_.C_GAS, GRAVITY * w_.RG / (w_.RH * w_.RF)));
    }
    if (!jet_itself && r_.EXTEMP > T_PSEUDO_MAX) {
      // A tiny flow in a strong wind can ask for a pseudo-stack far hotter than
      // any flame (beyond what a flare file's field holds): the same fluxes
      // leave a slower, wider stack at the top of the temperature range.
      r_.EXTEMP = T_PSEUDO_MAX;
      const StackExit s = restate_flame_stack(r_.EXTEMP, TAMBH, r_.FB, r_.FM, c_.UEMIN);
      r_.UE_X = s.u;
      r_.DE_X = s.d;
    }
    w_.FM_check = stack_momentum_flux(TAMBH, r_.EXTEMP, r_.UE_X, r_.DE_X);
    w_.FB_check = stack_buoyancy_flux(r_.EXTEMP - TAMBH, r_.EXTEMP, r_.UE_X, r_.DE_X);
  }

  // ---- 23. pseudo-stack of the cold plume (unburnt H2S, odour) ----
  void cold_pseudo_stack() {
    const double TAMBH = c_.TAMBH;
    r_.EXTEMP = w_.TSTRIP;
    double FBS = w_.FB_STRIPPED;
    const double FMS = std::max(w_.FM_STRIP, 0.0);
    double DT = std::max(w_.TSTRIP - TAMBH, 0.0);
    r_.UE_X = w_.ue;
    if (FBS != 0 && DT != 0) r_.UE_X = GRAVITY * FMS / FBS * DT / TAMBH;
    r_.UE_X = std::min(w_.C_MIX, r_.UE_X);
    if (r_.UE_X < c_.UEMIN) {
      r_.UE_X = c_.UEMIN;
      r_.DE_X = in_.DS;
      r_.EXTEMP = TAMBH;
      r_.FM = 0;
      r_.FB = 0;
      FBS = 0;
    }
    r_.HS_X = std::max(in_.HS + 2 * downwash() + 0.5 * r_.ZL, 0.0);
    r_.DE_X = in_.DS;
    if (FBS != 0 && DT != 0) {
      r_.DE_X = 2 * std::sqrt(w_.FB_STRIPPED * w_.TSTRIP / (DT * GRAVITY * r_.UE_X));
    } else if (r_.FM != 0) {
      r_.DE_X = stack_diameter(r_.FM, TAMBH, r_.EXTEMP, r_.UE_X);
    }
    r_.EXTEMP = FMS != 0 ? TAMBH * (FBS / FMS * r_.UE_X / GRAVITY + 1) : TAMBH;
    if (!(r_.EXTEMP > 0)) {
      // A cold plume so much denser than the air that its pseudo-stack would
      // need an absolute temperature of 0 or below: released as a still plume.
      r_.UE_X = c_.UEMIN;
      r_.DE_X = in_.DS;
      r_.EXTEMP = TAMBH;
    }
    if (r_.EXTEMP > T_PSEUDO_MAX && FBS > 0 && FMS > 0) {
      // A fast jet that carries the stripped plume's buoyancy (as after a
      // flame-out of mode 2, whose stripped fluxes stay those of the burning
      // flare) asks for a pseudo-stack far hotter than any flame, which no
      // model file can hold. The same buoyancy and momentum fluxes leave a
      // slower, wider stack at the top of the flare model's temperature range
      // (the plume rise of the dispersion models follows the fluxes alone).
      const double fm = stack_momentum_flux(TAMBH, r_.EXTEMP, r_.UE_X, r_.DE_X);
      r_.EXTEMP = T_PSEUDO_MAX;
      const StackExit s = restate_cold_stack(r_.EXTEMP, TAMBH, FBS, FMS, fm);
      r_.UE_X = s.u;
      r_.DE_X = s.d;
    }
    DT = std::max(r_.EXTEMP - TAMBH, 0.0);
    r_.QEMIT = (in_.MSTRIP == 1 || in_.MSTRIP == 3) ? w_.e_h2s : w_.e_ou;
    r_.FB = stack_buoyancy_flux(DT, r_.EXTEMP, r_.UE_X, r_.DE_X);
    r_.FM = stack_momentum_flux(TAMBH, r_.EXTEMP, r_.UE_X, r_.DE_X);
  }

  // A step that has no flame: no gas, or nothing in it that burns.
  void bare_stack() {
    r_.E_SO2FULL = 0;
    r_.E_SO2CCE = 0;
    r_.E_H2SRAW = 0;
    r_.SO2TPD = 0;
    r_.FM = 0;
    r_.FB = 0;
    r_.EXTEMP = c_.TAMBH;
    r_.QEMIT = 0;
    r_.HS_X = in_.HS;
    r_.UE_X = c_.UEMIN;
    r_.DE_X = in_.DF;
    r_.DEN_MIX = 0;
    r_.XL = 0;
    r_.ZL = 0;
    r_.FA = 90;
    r_.UU = 0;
    r_.UV = 0;
    r_.PLANGLE = 0;
    r_.ISFLAMMABLE = 0;
    w_.TSTRIP = c_.TAMBH;
    w_.CCE = 0;
    w_.e_so2 = 0;
    w_.e_h2s = 0;
    w_.e_ou = 0;
    check_results();
    summary_log();
  }

  // The rule of the step: no field of the result is left NaN or infinite.
  void check_results() {
    const struct {
      const char* name;
      double v;
    } fields[] = {{"E_SO2FULL", r_.E_SO2FULL}, {"E_SO2CCE", r_.E_SO2CCE}, {"E_H2SRAW", r_.E_H2SRAW},
                  {"SO2TPD", r_.SO2TPD},       {"FM", r_.FM},             {"FB", r_.FB},
                  {"EXTEMP", r_.EXTEMP},       {"QEMIT", r_.QEMIT},       {"HS_X", r_.HS_X},
                  {"UE_X", r_.UE_X},           {"DE_X", r_.DE_X},         {"DEN_MIX", r_.DEN_MIX},
                  {"RHOA", r_.RHOA},           {"XL", r_.XL},             {"ZL", r_.ZL},
                  {"FA", r_.FA},               {"UU", r_.UU},             {"UV", r_.UV},
                  {"PLANGLE", r_.PLANGLE}};
    for (const auto& f : fields)
      if (!std::isfinite(f.v))
        fatal(run_, std::string("EMISSIONS: ") + f.name + " of the flare step is not a finite number");
  }

  // ---- 24. debug-log summary of the step ----
  void summary_log() {
    static const io::Layout L28("(A82)");
    static const io::Layout L29("(A,TR1,15G15.4)");
    log_.fixed(L28, {"XOUTHDRX,wspd10m,wsST,ipgIN,tamb,FM,FB,hs_x,de_x,ue_x,extemp,tstrip,carb,e_so2,e_h2s,e_OU"});
    log_.fixed(L29, {"XOUTX", UREF_, w_.wsST, IPG_, c_.TAMBH, r_.FM, r_.FB, r_.HS_X, r_.DE_X, r_.UE_X, r_.EXTEMP,
                     w_.TSTRIP, w_.CCE, w_.e_so2, w_.e_h2s, w_.e_ou});
  }

  // ---- 25. check that the SO2 pseudo-stack carries the fluxes, on the
  // console and in the list file (where the run's findings are read) ----
  void flux_check() {
    if (in_.MSTRIP != 0) return;
    auto report = [&](const char* flux, const char* check, double checked, const char* name, double value) {
      for (int unit : {io::CONSOLE, io::LST}) {
        run_.units.free(unit, {flux});
        run_.units.free(unit, {check, checked});
        run_.units.free(unit, {name, value});
      }
    };
    if (r_.FM != 0 && std::fabs(w_.FM_check - r_.FM) > 1e-5 * r_.FM)
      report("*** ERROR *** bad calc in FM", "FM_check :", w_.FM_check, "      FM :", r_.FM);
    if (r_.FB != 0 && std::fabs(w_.FB_check - r_.FB) > 1e-5 * r_.FB)
      report("*** ERROR *** bad calc in FB", "FB_check :", w_.FB_check, "      FB :", r_.FB);
  }

  run::Run& run_;
  run::MOD_READINP& in_;
  const STDCONST& c_;
  const SpeciesTable& prop_;
  run::FLARE_RESULT& r_;
  GasCache& cache_;
  DebugLog log_;
  const Gas& MIX_;
  const double Q_, FGR_, UREF_;
  const int IPG_;
  FlareWork w_;
};

}  // namespace

void EMISSIONS(run::Run& run, int IUNIT, const MIX& MIX, double Q, double FGR, double /*QVOL*/, double UREF,
               int IPG) {
  FlareStep(run, IUNIT, MIX, Q, FGR, UREF, IPG).run();
}

}  // namespace quelmar::physics

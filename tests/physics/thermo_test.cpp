// Heat capacity, enthalpy and the temperature solve.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "physics/mixture.hpp"
#include "physics/thermo.hpp"
#include "physics_ready.hpp"

namespace quelmar::physics {
namespace {

using testing::pure;
using testing::ReadyTable;

constexpr double R = 8.31446261815324;

struct SpeciesPoint {
  const char* what;
  int species;
  double T;
  double expected;
  double tol;
};

TEST(ThermoTest, SpeciesHeatCapacityAndEnthalpyFigures) {
  const ReadyTable t;
  const SpeciesPoint cp[] = {
      {"methane cp at TREF", CH4, 288.15, 35.3347372, 1e-7},
      {"nitrogen cp at 1000 K (low set)", N2, 1000.0, 32.69625, 1e-5},
      {"nitrogen cp just above 1000 K (high set)", N2, 1000.0000001, 32.69625, 1e-5},
      {"helium cp, 2.5 R", HE, 500.0, 2.5 * R, 1e-12},
      {"krypton cp above 1000 K, 2.5 R", KR, 3000.0, 2.5 * R, 1e-12},
  };
  for (const auto& p : cp) EXPECT_NEAR(CALC_CP(t.prop, p.species, p.T), p.expected, p.tol) << p.what;
  const SpeciesPoint h1[] = {
      {"water at 298.15 K", H2O, 298.15, -241824.6, 0.05},
      {"methane at 298.15 K", CH4, 298.15, -74599.6, 0.05},
  };
  for (const auto& p : h1) EXPECT_NEAR(CALC_HF1(t.prop, p.species, p.T), p.expected, p.tol) << p.what;
  const SpeciesPoint h[] = {
      {"nitrogen 1000 K", N2, 1000.0, 21753.37, 0.005},
      {"nitrogen 2000 K", N2, 2000.0, 56427.00, 0.005},
      {"nitrogen 3000 K", N2, 3000.0, 93003.68, 0.005},
      {"nitrogen 200 K", N2, 200.0, -2566.05, 0.005},
      // 2.5 R (T - TREF) for a monatomic gas
      {"argon 800 K", AR, 800.0, 2.5 * R * (800.0 - 288.15), 1e-8},
  };
  for (const auto& p : h) EXPECT_NEAR(CALC_HF(t.prop, t.c, p.species, p.T), p.expected, p.tol) << p.what;
}

TEST(ThermoTest, SensibleEnthalpyIsExactlyZeroAtTheReferenceTemperature) {
  const ReadyTable t;
  for (int i = 1; i <= NSPECIES; ++i) EXPECT_EQ(CALC_HF(t.prop, t.c, i, 288.15), 0.0) << "species " << i;
}

TEST(ThermoTest, HeatCapacityIsTheSlopeOfTheEnthalpy) {
  const ReadyTable t;
  for (int i : {H2O, CH4, C7, SO2, AIR}) {
    for (double T : {300.0, 750.0, 1500.0, 4000.0}) {
      const double dh = (CALC_HF1(t.prop, i, T + 1e-3) - CALC_HF1(t.prop, i, T - 1e-3)) / 2e-3;
      EXPECT_NEAR(dh, CALC_CP(t.prop, i, T), 1e-4 * CALC_CP(t.prop, i, T)) << "species " << i << " T " << T;
    }
  }
}

TEST(ThermoTest, EntropyAndGibbsFunctionAgree) {
  const ReadyTable t;
  for (int i : {H2O, N2, CH4, KR}) {
    for (double T : {298.15, 1200.0}) {
      // G/T = H/T - S
      EXPECT_NEAR(CALC_G(t.prop, i, T), CALC_HF1(t.prop, i, T) / T - CALC_S(t.prop, i, T), 1e-9)
          << "species " << i << " T " << T;
    }
  }
  // Entropy of a monatomic gas grows by 2.5 R ln(T2/T1).
  EXPECT_NEAR(CALC_S(t.prop, AR, 800.0) - CALC_S(t.prop, AR, 400.0), 2.5 * R * std::log(2.0), 1e-10);
}

// The sensible enthalpy of a coefficient set: a pure gas's set gives the gas's
// published figures (those of the species test above), and 0 at TREF.
TEST(ThermoTest, SensibleEnthalpyOfACoefficientSet) {
  const ReadyTable t;
  COEFF n2{}, ar{};
  MK_COEFF(t.prop, pure(N2), n2);
  MK_COEFF(t.prop, pure(AR), ar);
  EXPECT_NEAR(CALC_HF_COEFF(t.c, n2, 1000.0), 21753.37, 0.005);
  EXPECT_NEAR(CALC_HF_COEFF(t.c, n2, 2000.0), 56427.00, 0.005);
  EXPECT_NEAR(CALC_HF_COEFF(t.c, n2, 200.0), -2566.05, 0.005);
  EXPECT_NEAR(CALC_HF_COEFF(t.c, ar, 800.0), 2.5 * R * (800.0 - 288.15), 1e-8);
  EXPECT_EQ(CALC_HF_COEFF(t.c, n2, 288.15), 0.0);
}

TEST(ThermoTest, MeanHeatCapacityOfASpecies) {
  const ReadyTable t;
  EXPECT_EQ(CALC_CP_AVE(t.prop, t.c, 500.0, 500.0, N2), CALC_CP(t.prop, N2, 500.0));
  // (21753.37 - 0) / (1000 - 288.15)
  EXPECT_NEAR(CALC_CP_AVE(t.prop, t.c, 288.15, 1000.0, N2), 21753.37 / (1000.0 - 288.15), 1e-5);
  EXPECT_NEAR(CALC_CP_AVE(t.prop, t.c, 400.0, 400.002, CH4), CALC_CP(t.prop, CH4, 400.001), 1e-5);
}

MIX flue_gas() {
  MIX m{};
  m(CO2) = 0.1;
  m(H2O) = 0.2;
  m(N2) = 0.65;
  m(O2) = 0.04;
  m(S) = 0.01;
  return m;
}

TEST(ThermoTest, MixtureRoutesAgree) {
  const ReadyTable t;
  const MIX m = flue_gas();
  for (double T : {250.0, 288.15, 900.0, 1000.0, 1800.0, 2900.0}) {
    // Species by species and through the mixture set; sulfur counts in both.
    const double hbar = CALC_HFBAR(t.prop, t.c, m, T);
    const double hmix = CALC_HF1MIX(t.prop, m, T) - CALC_HF1MIX(t.prop, m, 288.15);
    EXPECT_NEAR(hbar, hmix, 1e-7) << "T " << T;
    EXPECT_NEAR(CALC_CPBAR(t.prop, m, T), CALC_CPMIX(t.prop, T, m), 1e-10) << "T " << T;
  }
}

TEST(ThermoTest, FlaggedHeatCapacitySum) {
  const ReadyTable t;
  MIX m{};
  m(CH4) = 0.4;
  m(N2) = 0.6;
  // Flag 33 (hydrocarbons): only methane counts.
  EXPECT_DOUBLE_EQ(CALC_CPBAR(t.prop, m, 500.0, 33), 0.4 * CALC_CP(t.prop, CH4, 500.0));
  // Property 9 as a weight: 3 mol of products per mol of methane, 1 for nitrogen.
  EXPECT_DOUBLE_EQ(CALC_CPBAR(t.prop, m, 500.0, 9),
                   0.4 * CALC_CP(t.prop, CH4, 500.0) * 3.0 + 0.6 * CALC_CP(t.prop, N2, 500.0));
}

TEST(ThermoTest, MixtureMeanHeatCapacity) {
  const ReadyTable t;
  const MIX m = flue_gas();
  EXPECT_EQ(CALC_CP_AVE_MIX(t.prop, 700.0, 700.0, m), CALC_CPMIX(t.prop, 700.0, m));
  EXPECT_DOUBLE_EQ(CALC_CP_AVE_MIX(t.prop, 400.0, 1600.0, m), CALC_CP_AVE_MIX(t.prop, 1600.0, 400.0, m));
  EXPECT_NEAR(CALC_CP_AVE_MIX(t.prop, 600.0, 600.01, m), CALC_CPMIX(t.prop, 600.005, m), 1e-5);
}

// The values formed once per composition give exactly what the routines give
// (compared bit for bit): enthalpy, heat capacity and mean heat capacity at
// the reference temperature, around the 1000 K switch and elsewhere; the
// temperature solve against RTSAFE on CALC_HCP; the species-wise enthalpies.
TEST(ThermoTest, ValuesFormedOncePerCompositionAreTheRoutinesValues) {
  const ReadyTable t;
  const auto hf1_tref = species_hf1_tref(t.prop, t.c);
  for (const MIX& m : {flue_gas(), pure(N2), pure(CH4), MIX{}}) {
    const GasProps g = gas_props(t.prop, t.c, m);
    EXPECT_EQ(g.MW, CALC_MOLARMASS(t.prop, m));
    for (double T : {200.0, 250.0, 288.15, 999.9, 1000.0, 1000.0000001, 1800.0, 3000.0}) {
      EXPECT_EQ(hf1_mix(g, T), CALC_HF1MIX(t.prop, m, T)) << "T " << T;
      EXPECT_EQ(cp_mix(g, T), CALC_CPMIX(t.prop, T, m)) << "T " << T;
      EXPECT_EQ(cp_ave_mix(g, 288.15, T), CALC_CP_AVE_MIX(t.prop, 288.15, T, m)) << "T " << T;
      EXPECT_EQ(cp_ave_mix(g, T, 700.0), CALC_CP_AVE_MIX(t.prop, T, 700.0, m)) << "T " << T;
      EXPECT_EQ(hfbar(t.prop, hf1_tref, m, T), CALC_HFBAR(t.prop, t.c, m, T)) << "T " << T;
      for (int i : {H2O, N2, CH4, AIR}) EXPECT_EQ(hf_species(t.prop, hf1_tref, i, T), CALC_HF(t.prop, t.c, i, T));
    }
    FlameTempTarget target{t.c};
    MK_COEFF(t.prop, m, target.FTCOEF);
    for (double H : {-3000.0, 0.0, 1000.0, 30000.0, 56427.0, 93003.68, 1e6}) {
      target.HTARGET = H;
      const double solved =
          RTSAFE([&target](double x, double& f, double& df) { CALC_HCP(target, x, f, df); }, 200.0, 3000.0, 1e-5);
      EXPECT_EQ(flame_temp(g, H), solved) << "H " << H;
    }
  }
}

struct FlameCase {
  const char* what;
  double H;         // J/mol above TREF
  double expected;  // K, or -1
  double tol;
};

TEST(ThermoTest, FlameTemperatureOfNitrogen) {
  const ReadyTable t;
  const MIX n2 = pure(N2);
  const FlameCase cases[] = {
      {"zero enthalpy", 0.0, 288.15, 1e-5},
      {"enthalpy at 1000 K", CALC_HF(t.prop, t.c, N2, 1000.0), 1000.0, 1e-5},
      {"enthalpy at 2000 K", CALC_HF(t.prop, t.c, N2, 2000.0), 2000.0, 1e-5},
      {"enthalpy at 250 K", CALC_HF(t.prop, t.c, N2, 250.0), 250.0, 1e-5},
      // Rounded enthalpies: the exact solutions lie just below the round temperatures.
      {"21753.37 J/mol", 21753.37, 999.99990, 1e-5},
      {"56427.00 J/mol", 56427.00, 1999.99987, 1e-5},
      {"93003.68 J/mol (just below the 3000 K end)", 93003.68, 2999.99991, 1e-5},
      {"enthalpy at 200 K exactly (zero at the end)", CALC_HF(t.prop, t.c, N2, 200.0), -1.0, 0.0},
      {"below the 200 K end", -2566.05, -1.0, 0.0},
      {"enthalpy at 3000 K exactly (zero at the end)", CALC_HF(t.prop, t.c, N2, 3000.0), -1.0, 0.0},
      {"above the 3000 K end", 93003.69, -1.0, 0.0},
      {"far above", 1e6, -1.0, 0.0},
  };
  for (const auto& c : cases) EXPECT_NEAR(CALC_FLAMETEMP(t.prop, t.c, n2, c.H), c.expected, c.tol) << c.what;
}

TEST(ThermoTest, FlameTemperatureOfAMixtureInvertsItsEnthalpy) {
  const ReadyTable t;
  const MIX m = flue_gas();
  for (double T : {450.0, 1000.0, 1850.0, 2600.0}) {
    EXPECT_NEAR(CALC_FLAMETEMP(t.prop, t.c, m, CALC_HFBAR(t.prop, t.c, m, T)), T, 1e-5) << "T " << T;
  }
}

TEST(ThermoTest, FlameTemperatureSolvesAreIndependent) {
  // Each solve carries its own target: interleaving two mixtures changes nothing.
  const ReadyTable t;
  const MIX a = pure(N2);
  const MIX b = flue_gas();
  const double ta = CALC_FLAMETEMP(t.prop, t.c, a, 30000.0);
  const double tb = CALC_FLAMETEMP(t.prop, t.c, b, 30000.0);
  EXPECT_NE(ta, tb);
  EXPECT_EQ(CALC_FLAMETEMP(t.prop, t.c, a, 30000.0), ta);
  EXPECT_EQ(CALC_FLAMETEMP(t.prop, t.c, b, 30000.0), tb);
}

TEST(ThermoTest, ResidualOfTheTemperatureSolve) {
  const ReadyTable t;
  FlameTempTarget target{t.c};
  MK_COEFF(t.prop, pure(N2), target.FTCOEF);
  target.HTARGET = 1000.0;
  double f = 0, df = 0;
  CALC_HCP(target, 1000.0, f, df);
  EXPECT_NEAR(f, 21753.37 - 1000.0, 0.005);
  EXPECT_NEAR(df, 32.69625, 1e-5);
}

TEST(ThermoTest, SafeguardedNewtonSolver) {
  // x^3 - 2x - 5 = 0 has its real root at 2.0945514815423265.
  const FUNCD cubic = [](double x, double& f, double& df) {
    f = x * x * x - 2.0 * x - 5.0;
    df = 3.0 * x * x - 2.0;
  };
  EXPECT_NEAR(RTSAFE(cubic, 0.0, 4.0, 1e-12), 2.0945514815423265, 1e-12);
  EXPECT_NEAR(RTSAFE(cubic, 4.0, 0.0, 1e-12), 2.0945514815423265, 1e-12);  // bracket either way round

  const FUNCD line = [](double x, double& f, double& df) {
    f = x - 3.0;
    df = 1.0;
  };
  EXPECT_EQ(RTSAFE(line, 0.0, 3.0, 1e-9), -1.0);  // zero at an end
  EXPECT_EQ(RTSAFE(line, 3.0, 5.0, 1e-9), -1.0);
  EXPECT_EQ(RTSAFE(line, 4.0, 5.0, 1e-9), -1.0);  // no sign change

  // A derivative of 0 forces bisection every pass: a bracket of 1e30 needs about
  // log2(1e33) = 110 halvings to reach 1e-3, more than the 100 passes allowed;
  // a bracket of 1e20 needs about 76.
  const FUNCD flat = [](double x, double& f, double& df) {
    f = x - 1.0;
    df = 0.0;
  };
  EXPECT_EQ(RTSAFE(flat, 0.0, 1e30, 1e-3), -1.0);
  EXPECT_NEAR(RTSAFE(flat, 0.0, 1e20, 1e-3), 1.0, 1e-3);
}

TEST(ThermoTest, SolverStartsAtTheEndsThenTheMidpoint) {
  std::vector<double> calls;
  const FUNCD rec = [&calls](double x, double& f, double& df) {
    calls.push_back(x);
    f = x - 1234.5;
    df = 1.0;
  };
  RTSAFE(rec, 200.0, 3000.0, 1e-5);
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], 200.0);
  EXPECT_EQ(calls[1], 3000.0);
  EXPECT_EQ(calls[2], 1600.0);
}

// ---- older five-term forms ----
// A test row: low c1..c5 = 3.5, 1e-3, -2e-7, 3e-11, -1e-15; high c1..c5 = 3.0,
// 1.5e-3, -4e-7, 5e-11, -2e-15; PROP(5) = 30 J/(mol K); TREF = 288.15 K.
// Expected values from a python evaluation of
//   cp = R (c1 + c2 T + c3 T^2 + c4 T^3 + c5 T^4),
//   h  = R T (c1 + c2 T/2 + c3 T^2/3 + c4 T^3/4 + c5 T^4/5),
// the shifted low form cp + (30 - cp_low(TREF)), the high form shifted to meet it
// at 1000 K, and the enthalpy integrated from TREF.
struct FiveTerm : ReadyTable {
  FiveTerm() {
    const double low[5] = {3.5, 1e-3, -2e-7, 3e-11, -1e-15};
    const double high[5] = {3.0, 1.5e-3, -4e-7, 5e-11, -2e-15};
    for (int k = 0; k < 5; ++k) {
      prop(14 + k, H2O) = low[k];
      prop(23 + k, H2O) = high[k];
    }
    prop(5, H2O) = 30.0;
  }
};

TEST(ThermoTest, FiveTermForms) {
  const FiveTerm t;
  EXPECT_NEAR(CALC_CP_REF(t.prop, H2O, 500.0), 32.87278692260974, 1e-10);
  EXPECT_NEAR(CALC_CP_HI(t.prop, H2O, 1500.0), 37.486794021771146, 1e-10);
  EXPECT_NEAR(CALC_HF_REF(t.prop, H2O, 500.0), 15524.175659513612, 1e-7);
  EXPECT_NEAR(CALC_HF_HI(t.prop, H2O, 1500.0), 48205.123679006574, 1e-7);
  EXPECT_NEAR(CALC_CP_OBSOLETE(t.prop, t.c, H2O, 288.15), 30.0, 1e-12);
  EXPECT_NEAR(CALC_CP_OBSOLETE(t.prop, t.c, H2O, 500.0), 31.50851558530892, 1e-10);
  EXPECT_NEAR(CALC_CP_OBSOLETE(t.prop, t.c, H2O, 1500.0), 37.627440418356066, 1e-10);
  EXPECT_NEAR(CALC_HF_OBSOLETE(t.prop, t.c, H2O, 288.15), 0.0, 1e-12);
  EXPECT_NEAR(CALC_HF_OBSOLETE(t.prop, t.c, H2O, 500.0), 6517.4697813465755, 1e-7);
  EXPECT_NEAR(CALC_HF_OBSOLETE(t.prop, t.c, H2O, 1500.0), 41179.60907232965, 1e-7);
  // Both joined at 1000 K.
  EXPECT_NEAR(CALC_CP_OBSOLETE(t.prop, t.c, H2O, 1000.0), CALC_CP_OBSOLETE(t.prop, t.c, H2O, 1000.000001), 1e-5);
  EXPECT_NEAR(CALC_HF_OBSOLETE(t.prop, t.c, H2O, 1000.0), CALC_HF_OBSOLETE(t.prop, t.c, H2O, 1000.000001), 1e-4);
}

TEST(ThermoTest, ObsoleteMixtureEnthalpyMatchesTheSpeciesWiseHeatCapacityAtTref) {
  FiveTerm t;
  // A second species with five-term rows of its own: low 4.0, 2e-3, -5e-7, 6e-11,
  // -3e-15; high 5.0, 1e-3, -1e-7, 1e-11, -4e-16.
  const double low[5] = {4.0, 2e-3, -5e-7, 6e-11, -3e-15};
  const double high[5] = {5.0, 1e-3, -1e-7, 1e-11, -4e-16};
  for (int k = 0; k < 5; ++k) {
    t.prop(14 + k, CO2) = low[k];
    t.prop(23 + k, CO2) = high[k];
  }
  MIX m{};
  m(H2O) = 0.7;
  m(CO2) = 0.3;
  const double h = 1e-3;
  auto H = [&](double T) { return CALC_HF1MIX_OBSOLETE(t.prop, t.c, m, T); };
  EXPECT_NEAR((H(288.15 + h) - H(288.15 - h)) / (2 * h), CALC_CPBAR(t.prop, m, 288.15), 1e-6);
  // Joined at 1000 K in value and in slope.
  EXPECT_NEAR(H(1000.0), H(1000.0 + 1e-6), 1e-3);
  EXPECT_NEAR((H(1000.0) - H(1000.0 - h)) / h, (H(1000.0 + h) - H(1000.0)) / h, 1e-3);
  // Away from TREF its slope is the five-term cp shifted by the same amount.
  const double shift = CALC_CPBAR(t.prop, m, 288.15) -
                       (0.7 * CALC_CP_REF(t.prop, H2O, 288.15) + 0.3 * CALC_CP_REF(t.prop, CO2, 288.15));
  EXPECT_NEAR((H(700.0 + h) - H(700.0 - h)) / (2 * h),
              0.7 * CALC_CP_REF(t.prop, H2O, 700.0) + 0.3 * CALC_CP_REF(t.prop, CO2, 700.0) + shift, 1e-6);
}

}  // namespace
}  // namespace quelmar::physics

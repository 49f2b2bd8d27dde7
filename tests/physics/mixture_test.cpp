// Gas-mixture functions: mixing, rescaling, weighted sums, flammability.
#include <gtest/gtest.h>

#include "physics/mixture.hpp"
#include "physics_ready.hpp"

namespace quelmar::physics {
namespace {

using testing::pure;
using testing::ReadyTable;

MIX methane_nitrogen(double x_ch4) {
  MIX m{};
  m(CH4) = x_ch4;
  m(N2) = 1.0 - x_ch4;
  return m;
}

TEST(MixtureTest, WeightedSumsOfPureMethane) {
  const ReadyTable t;
  const MIX m = pure(CH4);
  EXPECT_DOUBLE_EQ(CALC_MOLARMASS(t.prop, m), 16.0425);
  EXPECT_DOUBLE_EQ(CALC_NHV(t.prop, m), 33.95);
  EXPECT_DOUBLE_EQ(CALC_GHV(t.prop, m), 37.706);
  EXPECT_DOUBLE_EQ(CALC_HYDROCARBONS(t.prop, m), 1.0);
  EXPECT_DOUBLE_EQ(CALC_BYPROP(t.prop, m, 8, 33), 1.0);  // carbon in hydrocarbons
  EXPECT_DOUBLE_EQ(CALC_BYPROP(t.prop, m, 9, 32), 3.0);  // CO2 + 2 H2O
}

TEST(MixtureTest, ByPropWithAndWithoutSecondProperty) {
  const ReadyTable t;
  const MIX m = methane_nitrogen(0.3);
  // Nitrogen needs no oxygen, so weighting by the combustible flag changes nothing.
  EXPECT_DOUBLE_EQ(CALC_BYPROP(t.prop, m, 7, 32), 0.6);
  EXPECT_DOUBLE_EQ(CALC_BYPROP(t.prop, m, 7, 32, 12), 0.6);
  // Combustible fraction; a flag that selects nothing gives 0.
  EXPECT_DOUBLE_EQ(CALC_BYPROP(t.prop, m, 12, 32), 0.3);
  EXPECT_EQ(CALC_BYPROP(t.prop, pure(N2), 1, 33), 0.0);
}

TEST(MixtureTest, MixtureSumsSkipSulfurButIncludeDryAir) {
  const ReadyTable t;
  MIX m{};
  m(S) = 0.5;
  m(AIR) = 0.5;
  // 0.5 * 28.96551561 (air); sulfur's 32.066 does not count.
  EXPECT_NEAR(CALC_MOLARMASS(t.prop, m), 0.5 * 28.96551561, 1e-8);
}

struct LflCase {
  const char* what;
  MIX mix;
  double lfl;
};

TEST(MixtureTest, LowerFlammabilityLimitByLeChatelier) {
  const ReadyTable t;
  MIX ch4_h2{};
  ch4_h2(CH4) = 0.5;
  ch4_h2(H2) = 0.5;
  MIX propane_co2{};
  propane_co2(C3H8) = 0.2;
  propane_co2(H2S) = 0.1;
  propane_co2(CO2) = 0.7;
  const LflCase cases[] = {
      {"pure methane", pure(CH4), 0.05},
      {"50 % methane in nitrogen (inerts do not dilute)", methane_nitrogen(0.5), 0.05},
      {"methane + hydrogen", ch4_h2, 0.01 / (0.5 / 5 + 0.5 / 4)},
      // 0.01 / ((0.2/2 + 0.1/4.3) / 0.3)
      {"propane + H2S in CO2", propane_co2, 0.01 / ((0.2 / 2.0 + 0.1 / 4.3) / 0.3)},
      {"pure nitrogen", pure(N2), 0.0},
  };
  for (const auto& c : cases) EXPECT_NEAR(CALC_LFL(t.prop, c.mix), c.lfl, 1e-12) << c.what;
}

TEST(MixtureTest, AutoignitionTemperature) {
  const ReadyTable t;
  EXPECT_NEAR(CALC_AUTOIG(t.prop, pure(CH4)), 810.15, 1e-12);
  EXPECT_NEAR(CALC_AUTOIG(t.prop, methane_nitrogen(0.25)), 810.15, 1e-12);
  MIX m{};
  m(CH4) = 0.6;
  m(C3H8) = 0.2;
  m(N2) = 0.2;
  // (0.6*537 + 0.2*466)/0.8 + 273.15
  EXPECT_NEAR(CALC_AUTOIG(t.prop, m), (0.6 * 537 + 0.2 * 466) / 0.8 + 273.15, 1e-12);
  EXPECT_DOUBLE_EQ(CALC_AUTOIG(t.prop, pure(N2)), 273.15);
}

TEST(MixtureTest, RescaleToAnH2SFraction) {
  const ReadyTable t;
  MIX raw{};
  raw(CH4) = 0.9;
  raw(H2S) = 0.1;
  raw(S) = 0.25;  // not an in-mixture species: left as the output had it
  MIX out{};
  out(S) = 7.0;
  INORMALIZEH2S(t.prop, raw, 0.2, out);
  EXPECT_NEAR(out(CH4), 0.8, 1e-15);
  EXPECT_EQ(out(H2S), 0.2);
  EXPECT_EQ(out(S), 7.0);

  // Pure H2S: every species 0, sulfur included, then the H2S fraction.
  MIX h2s = pure(H2S);
  out.fill(5.0);
  INORMALIZEH2S(t.prop, h2s, 0.3, out);
  for (int i = 1; i <= NSPECIES; ++i) EXPECT_EQ(out(i), i == H2S ? 0.3 : 0.0) << "species " << i;

  // In place, with the raw gas's own fraction: a copy.
  MIX same = raw;
  INORMALIZEH2S(t.prop, same, same(H2S), same);
  EXPECT_NEAR(same(CH4), 0.9, 1e-15);
  EXPECT_EQ(same(H2S), 0.1);
}

TEST(MixtureTest, MixingTwoStreams) {
  const ReadyTable t;
  const MIX a = methane_nitrogen(0.8);
  const MIX b = pure(AIR);
  MIX out{};
  INORMALIZE(t.prop, a, b, 0.0, out);
  EXPECT_EQ(out, a);
  INORMALIZE(t.prop, a, a, 1.0, out);
  EXPECT_EQ(out, a);
  // 1 volume of A with 3 volumes of B.
  INORMALIZE(t.prop, a, b, 3.0, out);
  EXPECT_DOUBLE_EQ(out(CH4), 0.2);
  EXPECT_DOUBLE_EQ(out(N2), 0.05);
  EXPECT_DOUBLE_EQ(out(AIR), 0.75);
  // The result may be written over one of the inputs.
  MIX inplace = a;
  INORMALIZE(t.prop, inplace, b, 3.0, inplace);
  EXPECT_EQ(inplace, out);
}

TEST(MixtureTest, MixingWithMinusOneVolumeLeavesTheOutputUnchanged) {
  const ReadyTable t;
  MIX out{};
  out.fill(0.125);
  const MIX before = out;
  INORMALIZE(t.prop, pure(CH4), pure(N2), -1.0, out);
  EXPECT_EQ(out, before);
}

TEST(MixtureTest, RenormaliseDividesInMixtureSpeciesBySum) {
  const ReadyTable t;
  MIX m{};
  m(CH4) = 2.0;
  m(N2) = 6.0;
  m(S) = 3.0;
  IRENORMALIZE(t.prop, m);
  EXPECT_EQ(m(CH4), 0.25);
  EXPECT_EQ(m(N2), 0.75);
  EXPECT_EQ(m(S), 3.0);
}

TEST(MixtureTest, RenormaliseWithZeroSumLeavesTheCompositionUnchanged) {
  const ReadyTable t;
  MIX empty{};
  IRENORMALIZE(t.prop, empty);
  EXPECT_EQ(empty, MIX{});
  MIX sulfur_only{};
  sulfur_only(S) = 1.0;
  IRENORMALIZE(t.prop, sulfur_only);
  EXPECT_EQ(sulfur_only(S), 1.0);
  for (int i = 1; i <= NSPECIES; ++i) {
    if (i != S) {
      EXPECT_EQ(sulfur_only(i), 0.0);
    }
  }
}

TEST(MixtureTest, CoefficientSetIsFractionWeightedAndIncludesSulfur) {
  const ReadyTable t;
  MIX m{};
  m(S) = 0.25;
  m(N2) = 0.75;
  COEFF c{};
  MK_COEFF(t.prop, m, c);
  for (int k = 1; k <= 18; ++k) {
    EXPECT_DOUBLE_EQ(c(k), 0.25 * t.prop(13 + k, S) + 0.75 * t.prop(13 + k, N2)) << "k=" << k;
  }
}

TEST(MixtureTest, RatesAndHeatingValuePerMass) {
  const ReadyTable t;
  EXPECT_DOUBLE_EQ(CALC_TOTALRATE(100.0, 0.25), 125.0);
  EXPECT_DOUBLE_EQ(CALC_FUELRATE(100.0, 0.25), 25.0);
  // Methane: 33.95 MJ/m3 / 16.0425 g/mol * 23.64483 m3/kmol = 50.0384 MJ/kg
  EXPECT_NEAR(CALC_NHVMASS(t.c, 16.0425, 33.95), 50.0384, 1e-4);
}

}  // namespace
}  // namespace quelmar::physics

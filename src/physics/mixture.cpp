#include "physics/mixture.hpp"

#include "common/constants.hpp"

namespace quelmar::physics {

using common::ZERO_CELSIUS;
namespace {

bool in_mixture(const SpeciesTable& prop, int i) { return prop(P_IN_MIXTURE, i) > 0; }

}  // namespace

double CALC_TOTALRATE(double Q, double FGR) { return Q * (FGR + 1.0); }

double CALC_FUELRATE(double Q, double FGR) { return Q * FGR; }

int IRENORMALIZE(const SpeciesTable& prop, MIX& mix) {
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    if (in_mixture(prop, i)) s = s + mix(i);
  }
  // Nothing to scale: an empty composition stays empty rather than turning to NaN.
  if (s == 0) return 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    if (in_mixture(prop, i)) mix(i) = mix(i) / s;
  }
  return 0;
}

int INORMALIZE(const SpeciesTable& prop, const MIX& A, const MIX& B, double R, MIX& OUT) {
  const double total = R + 1.0;
  // R = -1 would remove all of A: there is no mixture to form.
  if (total == 0) return 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    if (in_mixture(prop, i)) OUT(i) = (R * B(i) + A(i)) / total;
  }
  return 0;
}

int INORMALIZEH2S(const SpeciesTable& prop, const MIX& RAW, double RH2S, MIX& mix) {
  if (RAW(H2S) == 1.0) {
    for (int i = 1; i <= NSPECIES; ++i) mix(i) = 0;
  } else {
    const double x = (1.0 - RH2S) / (1.0 - RAW(H2S));
    for (int i = 1; i <= NSPECIES; ++i) {
      if (in_mixture(prop, i)) mix(i) = RAW(i) * x;
    }
  }
  mix(H2S) = RH2S;
  return 0;
}

double CALC_BYPROP(const SpeciesTable& prop, const MIX& mix, int IP, int IFLAG) {
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    if (prop(IFLAG, i) > 0) s = s + mix(i) * prop(IP, i);
  }
  return s;
}

double CALC_BYPROP(const SpeciesTable& prop, const MIX& mix, int IP, int IFLAG, int IP2) {
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    if (prop(IFLAG, i) > 0) s = s + mix(i) * prop(IP, i) * prop(IP2, i);
  }
  return s;
}

double CALC_MOLARMASS(const SpeciesTable& prop, const MIX& mix) { return CALC_BYPROP(prop, mix, P_MW, P_IN_MIXTURE); }

double CALC_NHV(const SpeciesTable& prop, const MIX& mix) { return CALC_BYPROP(prop, mix, P_NHV, P_IN_MIXTURE); }

double CALC_GHV(const SpeciesTable& prop, const MIX& mix) { return CALC_BYPROP(prop, mix, P_GHV, P_IN_MIXTURE); }

double CALC_NHVMASS(const STDCONST& c, double MW, double NHV) { return NHV / MW * c.VM; }

double CALC_HYDROCARBONS(const SpeciesTable& prop, const MIX& mix) {
  double s = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    if (prop(P_HYDROCARBON, i) > 0) s = s + mix(i);
  }
  return s;
}

double CALC_LFL(const SpeciesTable& prop, const MIX& mix) {
  double s = 0, t = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    if (prop(P_LFL, i) > 0) {
      s = s + mix(i) / prop(P_LFL, i) * prop(P_COMBUSTIBLE, i);
      t = t + mix(i) * prop(P_COMBUSTIBLE, i);
    }
  }
  if (s > 0) return 0.01 / (s / t);
  return s;
}

double CALC_AUTOIG(const SpeciesTable& prop, const MIX& mix) {
  double s = 0, t = 0;
  for (int i = 1; i <= NSPECIES; ++i) {
    if (prop(P_AUTOIGNITION, i) > 0) {
      s = s + mix(i) * prop(P_AUTOIGNITION, i) * prop(P_COMBUSTIBLE, i);
      t = t + mix(i) * prop(P_COMBUSTIBLE, i);
    }
  }
  if (t > 0) return s / t + ZERO_CELSIUS;
  return s + ZERO_CELSIUS;
}

void MK_COEFF(const SpeciesTable& prop, const MIX& mix, COEFF& coeff) {
  // Each coefficient is summed over the species in ascending order. A species
  // that the mixture does not hold adds an exact zero, which leaves every sum
  // as it is, so it is passed over (the flare step forms these sets often).
  coeff.fill(0.0);
  const double* a[18];
  for (int k = 1; k <= 18; ++k) a[k - 1] = prop.property(P_NASA_LOW + k - 1);
  for (int i = 0; i < NSPECIES; ++i) {
    const double x = mix.v[static_cast<std::size_t>(i)];
    if (x == 0) continue;
    for (int k = 0; k < 18; ++k) coeff.v[static_cast<std::size_t>(k)] = coeff.v[static_cast<std::size_t>(k)] + x * a[k][i];
  }
}

}  // namespace quelmar::physics

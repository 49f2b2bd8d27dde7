#include "physics/setup.hpp"

#include "common/constants.hpp"
#include "physics/mixture.hpp"
#include "physics/thermo.hpp"

namespace quelmar::physics {

using common::GAS_CONSTANT;
using common::T_REF;
using common::P_REF;

void SETUP1(SpeciesTable& prop, STDCONST& c) {
  c.ETATARGET = 0.98;
  c.CCEMIN = 0.5;
  c.FRAD = 0.25;
  c.TGAS = 278.15;
  c.TAMBH = 278.15;
  c.QSOLAR = 1.04;
  c.CARBA = 133.3;
  c.CARBB = 0.317;
  c.TREF = T_REF;
  c.PREF = P_REF;
  c.LAPSE = 0.0065;
  c.UEMIN = 1e-5;
  c.UUNIT = 1.0;
  c.U10 = 10.0;

  c.VM = GAS_CONSTANT * c.TREF / c.PREF;
  // The unit factors as decimals: the quotients formed here would round
  // differently in the last digit.
  c.CALPERGJD = 2764.420099855277;   // 10^9 J / 86400 s / 4.1868 J/cal
  c.WPERGJD = 11574.074074074073;    // 10^9 J / 86400 s

  for (int i = 1; i <= NSPECIES; ++i) {
    prop(P_CP_MOL, i) = CALC_CP(prop, i, c.TREF);
    prop(P_CP_MASS, i) = prop(P_CP_MOL, i) / prop(P_MW, i);
  }
  MK_AIRCOEFFICENTS(prop);
}

void MK_AIRCOEFFICENTS(SpeciesTable& prop) {
  MIX air{};
  for (int i = 1; i <= NSPECIES; ++i) air(i) = prop(P_AIR_FRACTION, i);
  IRENORMALIZE(prop, air);
  prop(P_MW, AIR) = CALC_MOLARMASS(prop, air);
  COEFF coeff{};
  MK_COEFF(prop, air, coeff);
  for (int k = 1; k <= 18; ++k) prop(P_NASA_LOW + k - 1, AIR) = coeff(k);
}

}  // namespace quelmar::physics

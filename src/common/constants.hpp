// Physical constants of the flare physics, the readers and the files built from them.
//
// Each constant is the double nearest to the decimal written (or an exact
// product or quotient of such constants). Where a formula takes a product or
// quotient of constants as one factor of its own (g*R, g/4, pi/4), that factor
// is named here too, formed from the constants above it and checked at compile
// time against the decimal the formulas were written with: a factor formed
// once is not the same double as the product formed term by term inside a
// formula, so such a formula keeps its factor.
#pragma once

namespace quelmar::common {

// Molar gas constant, J/(mol K): the CODATA 2018 exact value (Avogadro
// constant times Boltzmann constant).
inline constexpr double GAS_CONSTANT = 8.31446261815324;

// The gas constant per kilomole, J/(kmol K): divided by a molar mass in g/mol
// it gives the specific gas constant in J/(kg K).
inline constexpr double GAS_CONSTANT_KMOL = 1000 * GAS_CONSTANT;
static_assert(GAS_CONSTANT_KMOL == 8314.46261815324);

// Standard acceleration of gravity, m/s2 (the conventional value of the third
// CGPM, 1901).
inline constexpr double GRAVITY = 9.80665;

// g*R, the factor in front of the buoyancy fluxes of the flare step.
inline constexpr double GRAVITY_TIMES_R = GRAVITY * GAS_CONSTANT;
static_assert(GRAVITY_TIMES_R == 81.53702483431246);

// g/4, the factor in front of the buoyancy flux g*u*d^2*(T - Ta)/(4*T) of a
// pseudo-stack as the flare step forms it, (g/4)*(T - Ta)/T*u*d^2. Exact: a
// division by 4 changes the exponent only.
inline constexpr double GRAVITY_QUARTER = GRAVITY / 4;
static_assert(GRAVITY_QUARTER == 2.4516625);

// g/(1000*R), 1/(K m) per g/mol: the exponent g*M/(R*lapse rate) of the
// barometric formula with the molar mass M in g/mol.
inline constexpr double GRAVITY_PER_1000R = GRAVITY / (1000 * GAS_CONSTANT);
static_assert(GRAVITY_PER_1000R == 0.0011794688905797492);

// Pi: the IEEE double nearest to pi. (The plume rise keeps its own 3.141593
// in one formula, see plumerise.cpp.)
inline constexpr double PI = 3.141592653589793;

// pi/4, area of a circle per squared diameter. Exact, as g/4.
inline constexpr double PI_QUARTER = PI / 4;
static_assert(PI_QUARTER == 0.7853981633974483);

// 0 degrees Celsius in K (the definition of the Celsius scale).
inline constexpr double ZERO_CELSIUS = 273.15;

// Reference state of gas volumes, heating values and sensible enthalpies:
// 15 degrees Celsius and one standard atmosphere (101.325 kPa, by definition).
// SETUP1 stores them as STDCONST::TREF and STDCONST::PREF and forms from them
// the molar volume STDCONST::VM = R*TREF/PREF = 23.64483003622853 m3/kmol.
inline constexpr double T_REF = 288.15;   // K
inline constexpr double P_REF = 101.325;  // kPa

// Seconds per day, s. An integer: it meets a double only as a whole factor or
// divisor, where it converts exactly.
inline constexpr int SECONDS_PER_DAY = 86400;

}  // namespace quelmar::common

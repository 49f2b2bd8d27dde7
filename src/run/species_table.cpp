// The built-in species property table PROP.
//
// Descriptive properties (molar mass, heating values, air fractions,
// stoichiometry, flammability, autoignition, flags) are listed below species by
// species. The NASA 9-coefficient columns 14..31 come from the published NASA
// Glenn sets (nasa_coefficients.cpp, generated from the coefficient file), except
// for the rows this table keeps as its own:
//   - methane, helium: written out here (same values as the published sets);
//   - krypton: a constant-heat-capacity set in both ranges, with its own b1 and
//     b2 above 1000 K (its enthalpy steps by about 42 J/mol at 1000 K);
//   - argon, neon, xenon: the constant-heat-capacity set below 1000 K with their
//     own b2;
//   - dry air (29): a fitted pseudo-species row, used only until SETUP1 rebuilds
//     it from the air fractions of the other species.
// Columns 4 and 5 (heat capacity at TREF) are left 0 here: SETUP1 computes them.
#include "run/species_table.hpp"

#include <array>

#include "run/nasa_coefficients.hpp"

namespace quelmar::run {
namespace {

// "No" of a flag column.
constexpr double NO = -9999.0;

// The property numbers of the descriptive columns, in the order of DESCRIPTIVE.
constexpr std::array<int, 15> DESCRIPTIVE_COLUMNS = {
    P_MW, P_NHV, P_GHV, P_AIR_FRACTION, P_O2_NEED, P_CARBON, P_PRODUCTS, P_WATER, P_LFL, P_COMBUSTIBLE,
    P_AUTOIGNITION, P_IN_MIXTURE, P_HYDROCARBON, P_FURTHER_FLAG, P_AIR_INERT};

// Per species: molar mass g/mol (1), net and gross heating value MJ/m3 (2, 3),
// mole fraction in dry air (6), O2 needed mol/mol (7), carbon atoms (8), moles
// of products (9), moles of water in the products (10), lower flammability
// limit vol-% (11; 1000000 non-flammable, 0 no entry), combustible flag (12),
// autoignition temperature deg C (13), in-mixture flag (32), hydrocarbon flag
// (33), further flag (34), air constituent other than O2 (35).
constexpr double DESCRIPTIVE[NSPECIES][15] = {
    /*  1 H2O  */ {18.0153, 0, 0, 0, 0, 0, 1, 1, 1000000, 0, 0, 1, NO, 1, NO},
    /*  2 H2   */ {2.01588, 10.223, 12.102, 5e-7, 0.5, 0, 1, 1, 4, 1, 400, 1, NO, NO, 1},
    /*  3 He   */ {4.0026, 0, 0, 5.2e-6, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, NO, 1},
    /*  4 N2   */ {28.01348, 0, 0, 0.7808509, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1},
    /*  5 CO2  */ {44.0095, 0, 0, 0.0004, 0, 1, 1, 0, 1000000, 0, 0, 1, NO, 1, 1},
    /*  6 H2S  */ {34.0809, 21.905, 23.784, 0, 1.5, 0, 2, 1, 4.3, 1, 260, 1, NO, NO, NO},
    /*  7 CH4  */ {16.0425, 33.95, 37.706, 1.5e-6, 2, 1, 3, 2, 5, 1, 537, 1, 1, NO, 1},
    /*  8 C2H6 */ {30.069, 60.43, 66.067, 0, 3.5, 2, 5, 3, 2.9, 1, 515, 1, 1, NO, NO},
    /*  9 C3H8 */ {44.0956, 86.42, 93.934, 0, 5, 3, 7, 4, 2, 1, 466, 1, 1, NO, NO},
    /* 10 iC4  */ {58.1222, 112, 121.4, 0, 6.5, 4, 9, 5, 1.8, 1, 405, 1, 1, NO, NO},
    /* 11 nC4  */ {58.1222, 112.4, 121.79, 0, 6.5, 4, 9, 5, 1.5, 1, 405, 1, 1, NO, NO},
    /* 12 iC5  */ {72.1488, 138.1, 149.36, 0, 8, 5, 11, 6, 1.3, 1, 258, 1, 1, NO, NO},
    /* 13 nC5  */ {72.1488, 138.4, 149.65, 0, 8, 5, 11, 6, 1.4, 1, 258, 1, 1, NO, NO},
    /* 14 nC6  */ {86.1754, 164.39, 177.55, 0, 9.5, 6, 13, 7, 1.1, 1, 223, 1, 1, NO, NO},
    /* 15 nC7  */ {100.2019, 190.39, 205.42, 0, 11, 7, 15, 8, 1, 1, 223, 1, 1, NO, NO},
    /* 16 CO   */ {28.0101, 11.965, 11.965, 2e-7, 0.5, 1, 1, 0, 12.5, 1, 609, 1, NO, NO, 1},
    /* 17 NH3  */ {17.0305, 13.401, 16.22, 0, 0.75, 0, 2, 1.5, 15.5, 1, 630, 1, NO, NO, NO},
    /* 18 Ar   */ {39.948, 0, 0, 0.009332, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1},
    /* 19 O2   */ {31.9988, 0, 0, 0.20939, 0, 0, 0, 0, 1000000, 0, 0, 1, NO, 1, NO},
    /* 20 Ne   */ {20.1797, 0, 0, 1.82e-5, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1},
    /* 21 Kr   */ {83.8, 0, 0, 1.1e-6, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1},
    /* 22 N2O  */ {44.0128, 0, 0, 3e-7, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1},
    /* 23 Xe   */ {131.293, 0, 0, 1e-7, 0, 0, 1, 0, 1000000, 0, 0, 1, NO, 1, 1},
    /* 24 SO2  */ {64.0638, 0, 0, 0, 0, 0, 0, 0, 1000000, 0, 0, 1, NO, NO, NO},
    /* 25 S    */ {32.066, 0, 0, 0, 0, 0, 0, 0, 1000000, 0, 0, NO, NO, NO, NO},
    /* 26 COS  */ {60.0751, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, NO, NO, NO},
    /* 27 CS2  */ {76.1407, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, NO, NO, NO},
    /* 28 Cl2  */ {70.906, 23.967, 23.967, 0, 0, 0, 0, 0, 0, 0, 0, 1, NO, NO, NO},
    /* 29 air  */ {28.965191095, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, NO, 1, NO},
};

// One range of a NASA 9-coefficient set: a1..a7, b1, b2.
using Range9 = std::array<double, 9>;

// A monatomic gas with constant heat capacity 2.5 R (b1 puts H(298.15 K) at 0).
constexpr Range9 monatomic(double b2) { return {0, 0, 2.5, 0, 0, 0, 0, -745.375, b2}; }

constexpr Range9 METHANE_LOW = {-176685.0998,    2786.18102,      -12.0257785, 0.0391761929, -3.61905443e-5,
                                2.026853043e-8,  -4.97670549e-12, -23313.1436, 89.0432275};
constexpr Range9 METHANE_HIGH = {3730042.76,      -13835.01485,    20.49107091, -0.001961974759, 4.72731304e-7,
                                 -3.72881469e-11, 1.623737207e-15, 75320.6691,  -121.9124889};
constexpr Range9 HELIUM = monatomic(0.928723974);
constexpr Range9 KRYPTON_LOW = monatomic(5.49095651);
constexpr Range9 KRYPTON_HIGH = {0, 0, 2.5, 0, 0, 0, 0, -740.348894, 5.48439715};
constexpr Range9 ARGON_LOW = monatomic(4.37967491);
constexpr Range9 NEON_LOW = monatomic(3.35532272);
constexpr Range9 XENON_LOW = monatomic(6.164454205);
constexpr Range9 AIR_LOW = {10106.332909,     -196.91805911,    5.0094900186,  -0.005761147458, 1.0668611586e-5,
                            -7.9401668737e-9, 2.1851598841e-12, -180.19894259, -4.4905906159};
constexpr Range9 AIR_HIGH = {241631.90567,      -1258.2576423,     5.1451269667, -0.00021398036607, 7.0673632125e-8,
                             -1.0716971258e-11, 6.5791170497e-16, 6460.7641549, -8.7183368481};

// Range offsets into the property columns: low range 14..22, high range 23..31.
constexpr int LOW = P_NASA_LOW - 1, HIGH = P_NASA_HIGH - 1;

void put_range(io::Table2<double>& t, int species, int offset, const Range9& r) {
  for (int k = 1; k <= 9; ++k) t(offset + k, species) = r[static_cast<std::size_t>(k - 1)];
}

}  // namespace

SpeciesTable::SpeciesTable() {
  for (int i = 1; i <= NSPECIES; ++i) {
    for (std::size_t m = 0; m < DESCRIPTIVE_COLUMNS.size(); ++m) t_(DESCRIPTIVE_COLUMNS[m], i) = DESCRIPTIVE[i - 1][m];
  }
  for (int i = 1; i <= NASA9_NSPECIES; ++i) {
    for (int k = 1; k <= 18; ++k) t_(LOW + k, i) = NASA9_PUBLISHED[i - 1][k - 1];
  }
  put_range(t_, CH4, LOW, METHANE_LOW);
  put_range(t_, CH4, HIGH, METHANE_HIGH);
  put_range(t_, HE, LOW, HELIUM);
  put_range(t_, HE, HIGH, HELIUM);
  put_range(t_, KR, LOW, KRYPTON_LOW);
  put_range(t_, KR, HIGH, KRYPTON_HIGH);
  put_range(t_, AR, LOW, ARGON_LOW);
  put_range(t_, NE, LOW, NEON_LOW);
  put_range(t_, XE, LOW, XENON_LOW);
  put_range(t_, AIR, LOW, AIR_LOW);
  put_range(t_, AIR, HIGH, AIR_HIGH);
}

}  // namespace quelmar::run

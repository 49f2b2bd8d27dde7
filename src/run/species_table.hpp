// The built-in species property table PROP (35 properties x 29 species) and the
// run-wide constants STDCONST with the run state kept beside them.
#pragma once
#include "io/array1.hpp"
#include "run/gas.hpp"

namespace quelmar::run {

inline constexpr int NPROP = 35;

// The property numbers j of PROP(j, i): the rows of the table. Flags count as
// "yes" when greater than 0 (the table stores 1, and -9999 or 0 for "no").
enum Property : int {
  P_MW = 1,             // molar mass, g/mol
  P_NHV = 2,            // net heating value at the reference state, MJ/m3
  P_GHV = 3,            // gross heating value at the reference state, MJ/m3
  P_CP_MASS = 4,        // heat capacity at TREF per mass, kJ/(kg K) (SETUP1)
  P_CP_MOL = 5,         // molar heat capacity at TREF, J/(mol K) (SETUP1)
  P_AIR_FRACTION = 6,   // mole fraction in dry air
  P_O2_NEED = 7,        // O2 needed for complete combustion, mol per mol
  P_CARBON = 8,         // carbon atoms per molecule
  P_PRODUCTS = 9,       // moles of combustion products per mole (a non-reacting species counts itself)
  P_WATER = 10,         // moles of water in the products per mole (water counts itself)
  P_LFL = 11,           // lower flammability limit, volume % (1000000 non-flammable, 0 no entry)
  P_COMBUSTIBLE = 12,   // combustible flag (1 or 0), also used as a weight
  P_AUTOIGNITION = 13,  // autoignition temperature, degrees Celsius (0 for non-combustibles)
  P_NASA_LOW = 14,      // NASA 9-coefficient set a1..a7, b1, b2 for 200-1000 K: rows 14..22
  P_NASA_HIGH = 23,     // the same for 1000-6000 K: rows 23..31
  P_IN_MIXTURE = 32,    // flag: the species takes part in mixture sums and normalisations
  P_HYDROCARBON = 33,   // flag: a hydrocarbon (methane to heptane)
  P_FURTHER_FLAG = 34,  // a further flag column, which no routine reads
  P_AIR_INERT = 35,     // flag: a constituent of dry air other than oxygen
};

// PROP(j, i): property j (1..35, named by Property) of species i (1..29). A
// fresh table holds the built-in data; SETUP1 completes columns 4 and 5 and the
// dry-air row.
class SpeciesTable {
 public:
  SpeciesTable();  // the built-in data
  // Every access that may change the table counts as a change (revision()).
  double& operator()(int j, int i) {
    ++revision_;
    return t_(j, i);
  }
  double operator()(int j, int i) const { return t_(j, i); }
  // Property j of species 1..29, at [0..28].
  const double* property(int j) const { return t_.row(j); }
  // A number that differs after any access that may have changed the table:
  // values formed from the table are still those of the table while it is
  // unchanged.
  unsigned long long revision() const { return revision_; }

 private:
  io::Table2<double> t_{NPROP, NSPECIES};
  unsigned long long revision_ = 0;
};

// Run-wide constants (stored by SETUP1; zero until then) and the run state kept
// beside them: site pressure, gas and ambient temperature of the step, log switch.
struct STDCONST {
  double ETATARGET = 0, CCEMIN = 0, FRAD = 0;
  double TGAS = 0;   // flared-gas temperature of the step, K
  double TAMBH = 0;  // ambient temperature of the step, K
  double QSOLAR = 0, CARBA = 0, CARBB = 0;
  double TREF = 0, PREF = 0, VM = 0, LAPSE = 0;
  double CALPERGJD = 0, WPERGJD = 0, UEMIN = 0, UUNIT = 0, U10 = 0;
  double PLOCAL = 0;  // site atmospheric pressure, kPa (INITLOCAL)
  int LOGON = 0;      // 1 while the debug log is open
};

}  // namespace quelmar::run

// The built-in species property table PROP (35 properties x 29 species) and the
// run-wide constants STDCONST with the run state kept beside them.
#pragma once
#include "io/array1.hpp"
#include "run/gas.hpp"

namespace quelmar::run {

inline constexpr int NPROP = 35;

// PROP(j, i): property j (1..35) of species i (1..29). A fresh table holds the
// built-in data; SETUP1 completes columns 4 and 5 and the dry-air row.
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

// Reading the control file into the run configuration MOD_READINP.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "run/run.hpp"

namespace quelmar::input {

// Reads the control file `fin` on unit `iunit` into run.inp: 0 when read, 1 when
// the file cannot be opened (nothing read, nothing written). A missing required
// keyword (DLIFT with MDLIFT 1, DFUEL with MDFUEL 1, QMAX with MFGR 1, QFUELGAS
// with MFGR 3) writes its console message and stops the run; so does an NSPEC
// above 10 or an NSEQ above 10000, before any list or table is read. Values
// that are not numbers, texts longer than their field (LCFILES aside, whose
// first character alone counts) and keys that are no keyword go to run.findings,
// with the number of SEQ lines (for MINPUT 2) and whether the fuel-gas and
// lift-gas compositions were looked up.
int IRDCONTROL(run::Run& run, int iunit, std::string_view fin);

// True when `key` is one of the keywords that IRDCONTROL can look up, with any
// switches (compared as LEQ compares: exact, case-sensitive).
bool is_control_keyword(std::string_view key);

// Those keywords: the named ones in reading order, then the composition
// keywords ("RAW_", "FUEL_", "LIFT_" and each species suffix).
std::vector<std::string> control_keywords();

// The species of a composition that have a keyword (RAW_, FUEL_ and LIFT_
// with a suffix): the first 19; the others keep the fraction 0.
inline constexpr int COMPOSITION_KEYS = 19;

// The keyword suffix of composition species i (1..19): "H2O", "H2", ... "O2".
const char* species_suffix(int i);

}  // namespace quelmar::input

// The records of the run state that the flare formulas work on (gas
// compositions, the species table and the run-wide constants, the values formed
// once per composition), named in physics as the formulas name them.
#pragma once
#include "run/gas.hpp"
#include "run/gas_cache.hpp"
#include "run/species_table.hpp"

namespace quelmar::physics {

using run::COEFF;
using run::MIX;
using run::NPROP;
using run::NSPECIES;
using run::SpeciesTable;
using run::STDCONST;
using enum run::Species;
using enum run::Property;
using run::GasCache;
using run::GasProps;

}  // namespace quelmar::physics

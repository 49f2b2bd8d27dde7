// A species table and constants made ready as at the start of a run.
#pragma once
#include "physics/setup.hpp"
#include "physics/run_types.hpp"

namespace quelmar::physics::testing {

struct ReadyTable {
  SpeciesTable prop;
  STDCONST c;
  ReadyTable() { SETUP1(prop, c); }
};

// A composition of one species.
inline MIX pure(int species) {
  MIX m{};
  m(species) = 1.0;
  return m;
}

}  // namespace quelmar::physics::testing

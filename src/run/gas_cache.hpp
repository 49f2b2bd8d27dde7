// What the flare step forms from gas compositions alone, kept with the run and
// reused while the compositions stay the same: a steady flare burns the same
// gas in every step, so its coefficient sets, molar masses, heating values and
// stoichiometry are formed once; a composition that changes from step to step
// (a user sequence with its own H2S fractions, assist air drawn in by the wind)
// has them formed anew. Beside the dry air it keeps what the step forms of the
// air at each ambient state met (AmbientAirMemo), which the hours of a year
// and the rows of an AERMOD run meet again and again.
//
// Every value is held with all that it was formed from: each composition it
// depends on, compared bit for bit, and the species table and the reference
// temperature TREF, whose change (any access that may write to the table, any
// other TREF) drops everything held. A value taken from here is therefore the
// value that forming it anew would give, to the last bit.
#pragma once
#include <array>
#include <cstdint>
#include <cstring>

#include "run/gas.hpp"
#include "run/species_table.hpp"

namespace quelmar::run {

// What the heat capacities and enthalpies of one composition need at any
// temperature, formed once by the flare physics (gas_props): its coefficient
// sums and molar mass, and its values at TREF and at the ends of the
// temperature solve.
struct GasProps {
  COEFF coeff{};        // MK_COEFF(mix)
  double MW = 0;        // CALC_MOLARMASS(mix), g/mol
  double TREF = 0;      // the reference temperature of the values below, K
  double HF1_TREF = 0;  // CALC_HF1_COEFF(coeff, TREF), J/mol
  double CP_TREF = 0;   // CALC_CP_COEFF(coeff, TREF), J/(mol K)
  double HF_LO = 0;     // CALC_HF_COEFF(coeff, 200 K): the lower end of the temperature solve, J/mol
  double HF_HI = 0;     // CALC_HF_COEFF(coeff, 3000 K): the upper end, J/mol
};

// Dry air and steam as the flare step uses them, and the species' enthalpies
// at TREF; they depend on the species table alone.
// What the flare step forms of the dry air at an ambient state alone: its
// mean heat capacity from TREF (J/(mol K)), its speed of sound at the throat of
// an air jet (m/s) and its entrainment ratio. Held for the states met before,
// each in its own place by the bits of its ambient temperature, and taken only
// when the temperature, the site pressure, the reference pressure and the
// assist-air ratio are those it was formed with, bit for bit: a year of hourly
// temperatures holds a few hundred distinct ones, and every step table row of
// an AERMOD run meets each hour's again.
class AmbientAirMemo {
 public:
  struct Values {
    double CPA_MOL = 0, C_AIR = 0, ER_AIR = 0;
  };
  bool find(double tamb, double plocal, double pref, double rair, Values& v) const {
    const Entry& e = entries_[place(tamb)];
    if (!e.held || e.t != bits(tamb) || e.p != bits(plocal) || e.pref != bits(pref) || e.rair != bits(rair))
      return false;
    v = e.v;
    return true;
  }
  void put(double tamb, double plocal, double pref, double rair, const Values& v) {
    entries_[place(tamb)] = Entry{bits(tamb), bits(plocal), bits(pref), bits(rair), true, v};
  }

 private:
  static constexpr std::size_t kEntries = 1024;
  struct Entry {
    std::uint64_t t = 0, p = 0, pref = 0, rair = 0;
    bool held = false;
    Values v;
  };
  static std::uint64_t bits(double x) {
    std::uint64_t b = 0;
    std::memcpy(&b, &x, sizeof b);
    return b;
  }
  static std::size_t place(double t) {
    const std::uint64_t h = bits(t);
    return static_cast<std::size_t>(((h ^ (h >> 29)) * 0x9E3779B97F4A7C15ULL) >> 54) % kEntries;
  }
  std::array<Entry, kEntries> entries_{};
};

struct FlareAir {
  MIX STEAMMIX{};          // pure steam
  MIX GCAIR{};             // dry air: column 6 of the table, renormalised
  double XINERT = 0;       // the air components other than O2
  double O2AIR = 0;        // 1 - XINERT
  GasProps steam, air;     // of STEAMMIX and GCAIR
  std::array<double, NSPECIES> HF1_TREF{};  // CALC_HF1(i, TREF) of the species
  // The air at the ambient states met so far; formed anew with the rest.
  mutable AmbientAirMemo ambient;
};

// The solutions of the temperature solve (flame_temp) of one composition for
// the targets met so far: a step whose target enthalpy recurs bit for bit (the
// same gas mixed at an ambient temperature met before, the same flame in the
// same weather) takes the solution found then, which the solve would give
// again. A fixed number of entries, each target in its own place by its bits.
class SolveMemo {
 public:
  bool find(double H, double& T) const {
    const Entry& e = entries_[place(H)];
    if (e.epoch != epoch_ || e.h != bits(H)) return false;
    T = e.t;
    return true;
  }
  void put(double H, double T) { entries_[place(H)] = Entry{bits(H), T, epoch_}; }
  // Forgets every solution (for a new composition).
  void clear() { ++epoch_; }

 private:
  static constexpr int kEntries = 256;
  struct Entry {
    std::uint64_t h = 0;
    double t = 0;
    std::uint32_t epoch = 0;
  };
  static std::uint64_t bits(double x) {
    std::uint64_t b = 0;
    std::memcpy(&b, &x, sizeof b);
    return b;
  }
  static std::size_t place(double H) {
    const std::uint64_t h = bits(H);
    return static_cast<std::size_t>(((h ^ (h >> 31)) * 0x9E3779B97F4A7C15ULL) >> 56) % kEntries;
  }
  std::array<Entry, kEntries> entries_{};
  std::uint32_t epoch_ = 1;
};

// The flared gas of a step, with what its composition alone decides: heating
// values, flammability, the air it needs and its exhaust. Keyed by the flared
// mixture MIXFLARED, the mixture before the excess assist air MIXSTEAM and the
// jet's mixture with all assist air MIXASSIST.
struct FlaredGas {
  GasProps flared;                     // of MIXFLARED (MW is M(MIXFLARED))
  double MW_MIXSTEAM = 0, MW_ASSIST = 0;
  double NHV = 0, GHV = 0;             // MJ/m3
  double CARBON_HC = 0;                // carbon atoms in the hydrocarbons, per mole
  double combfrac = 0, rLFLcomb = 0, rLFLflared = 0, O2DEM = 0, O2LFL = 0, REST = 0;
  int ISFLAMMABLE = 0;
  double N_O2 = 0, N_DIL = 0, NAIR = 0, O2NET = 0, NSTOI = 0, EA = 0, NPROD = 0, WATER = 0;
  MIX MIX_EXHAUST{}, XX_MIX_EXHAUST{};  // exhaust with the air drawn in, with stoichiometric air
  double PRODUCTS = 0, PRODUCTS_X = 0, MWEXH = 0, MR = 0, AIRM = 0, MWX = 0, MRX = 0;
  GasProps exhaust;                    // of MIX_EXHAUST
  double AUTOIG = 0;                   // CALC_AUTOIG(MIXFLARED), K
  double HFBAR_TREF = 0;               // CALC_HFBAR(MIXFLARED, TREF)
  // Solutions of the mixing-temperature solve (on `flared`) and of the
  // flame-temperature solve (on `exhaust`); emptied for each new composition.
  SolveMemo mixing, flame;
};

class GasCache {
 public:
  // The values of this composition; `make` forms them (gas_props) at the
  // first request.
  template <class Make>
  GasProps props(const SpeciesTable& prop, const STDCONST& c, const MIX& mix, Make&& make) {
    valid_for(prop, c);
    for (int k = 0; k < props_used_; ++k)
      if (same(props_[k].key, mix)) return props_[k].value;
    PropsSlot& s = props_[next(props_used_, props_next_, kProps)];
    s.key = mix;
    s.value = make();
    return s.value;
  }

  // The air and steam of the flare step; `make` forms them when they are not
  // held. The reference stays valid while the table and TREF are unchanged.
  template <class Make>
  const FlareAir& air(const SpeciesTable& prop, const STDCONST& c, Make&& make) {
    valid_for(prop, c);
    if (!air_held_) {
      make(air_);
      air_held_ = true;
    }
    return air_;
  }

  // The flared gas of the three compositions; `make` forms it when it is not
  // held. The reference stays valid until the next call of flared(); only the
  // solutions of its temperature solves are to be added to.
  template <class Make>
  FlaredGas& flared(const SpeciesTable& prop, const STDCONST& c, const MIX& flared, const MIX& steam,
                    const MIX& assist, Make&& make) {
    valid_for(prop, c);
    for (int k = 0; k < flared_used_; ++k) {
      FlaredSlot& s = flared_[k];
      if (same(s.flared, flared) && same(s.steam, steam) && same(s.assist, assist)) return s.value;
    }
    FlaredSlot& s = flared_[next(flared_used_, flared_next_, kFlared)];
    s.flared = flared;
    s.steam = steam;
    s.assist = assist;
    s.value.mixing.clear();
    s.value.flame.clear();
    make(s.value);
    return s.value;
  }

 private:
  static constexpr int kProps = 16, kFlared = 8;
  struct PropsSlot {
    MIX key{};
    GasProps value;
  };
  struct FlaredSlot {
    MIX flared{}, steam{}, assist{};
    FlaredGas value;
  };

  // Bit for bit: -0.0 and 0.0 (or two NaNs of different bits) are different
  // compositions here.
  static bool same(const MIX& a, const MIX& b) { return std::memcmp(a.v.data(), b.v.data(), sizeof a.v) == 0; }
  static std::uint64_t bits(double x) {
    std::uint64_t b = 0;
    std::memcpy(&b, &x, sizeof b);
    return b;
  }
  // The slot for a new entry: a free one, else the oldest.
  static int next(int& used, int& oldest, int capacity) {
    if (used < capacity) return used++;
    const int k = oldest;
    oldest = (oldest + 1) % capacity;
    return k;
  }
  // Drops everything held when the table or TREF is not the one it was formed with.
  void valid_for(const SpeciesTable& prop, const STDCONST& c) {
    if (table_ == &prop && revision_ == prop.revision() && tref_ == bits(c.TREF)) return;
    table_ = &prop;
    revision_ = prop.revision();
    tref_ = bits(c.TREF);
    props_used_ = props_next_ = 0;
    flared_used_ = flared_next_ = 0;
    air_held_ = false;
  }

  const SpeciesTable* table_ = nullptr;
  unsigned long long revision_ = 0;
  std::uint64_t tref_ = 0;
  std::array<PropsSlot, kProps> props_{};
  int props_used_ = 0, props_next_ = 0;
  std::array<FlaredSlot, kFlared> flared_{};
  int flared_used_ = 0, flared_next_ = 0;
  FlareAir air_;
  bool air_held_ = false;
};

}  // namespace quelmar::run

// What a vessel blowdown in puffs forms at every step of the time loops, kept
// with the run and reused while its inputs stay the same: the blowdown of the
// vessel (IVESSEL) and the table of puffs cut from it (IBLOWDOWN, up to 10000
// rows). Within an hour the inputs do not change; where the vessel starts at
// the hour's ambient temperature they change with the hour, and the hours
// come back: a daily temperature wave meets the same temperatures again, and
// every flare file of the run passes the same hours. A few tables are kept,
// the one used longest ago giving way.
//
// Every value is held with all that it was formed from, compared bit for bit,
// so a value taken from here is the value that forming it anew would give, to
// the last bit. Only what was formed without a refusal is kept: forming it
// writes no message, and neither does taking it from here.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "io/array1.hpp"
#include "run/gas.hpp"
#include "run/species_table.hpp"

namespace quelmar::run {

// The results of a vessel blowdown.
struct VesselBlowdown {
  double QMAX = 0;     // initial rate, 10^3 m3/d
  double QTOTAL = 0;   // inventory, 10^3 m3
  double FREL = 0;     // released fraction
  double TTHROAT = 0;  // throat temperature, K
};

// What a vessel blowdown is formed from, besides the species table: the gas
// and the numbers, the vessel's own and those read from the run state.
struct VesselInputs {
  MIX mix{};
  double PINIT = 0, TINIT = 0, PFINAL = 0, VDIA = 0, VLEN = 0, ODIA = 0, CD = 0;
  double PLOCAL = 0, PREF = 0, TREF = 0;
};

// What a puff table is cut from. The rates and fractions are held as their
// bits. PUFFDUR is the duration as passed in where the cut reads it; where the
// cut sets it without reading it (equal durations with a given count) the
// maker puts 0 here, since every duration passed in gives the same table.
struct PuffInputs {
  std::uint64_t QMAX = 0, QTOTAL = 0, FREL = 0;
  int NPUFFS = 0, PUFFDUR = 0, MDIST = 0;
  bool operator==(const PuffInputs&) const = default;
};

// The bits of a double, for the keys above: -0.0 and 0.0 (or two NaNs of
// different bits) are different inputs here.
inline std::uint64_t double_bits(double x) {
  std::uint64_t b = 0;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

class PuffCache {
 public:
  // The vessel blowdown of these inputs; `make` forms it (true) or refuses
  // (false, nothing kept) when it is not held. The last one formed is held.
  template <class Make>
  bool vessel(const SpeciesTable& prop, const VesselInputs& in, VesselBlowdown& out, Make&& make) {
    if (vessel_held_ && table_ == &prop && revision_ == prop.revision() && same(vessel_in_, in)) {
      out = vessel_out_;
      return true;
    }
    vessel_held_ = false;
    if (!make(out)) return false;
    table_ = &prop;
    revision_ = prop.revision();
    vessel_in_ = in;
    vessel_out_ = out;
    vessel_held_ = true;
    return true;
  }

  // Rows 1..NPUFFS of PSEQ (the four columns of a step table) with NPUFFS and
  // PUFFDUR as the cut of `in` leaves them. A table held that fits PSEQ is put
  // into PSEQ; otherwise `cut` cuts it into PSEQ, NPUFFS and PUFFDUR (or
  // throws, and nothing is kept) and the table is kept. `lasting`: PSEQ lives
  // as long as this cache (the run's own step table), so a table left in it is
  // known to be still there while its revision stays the same, and is not put
  // in again. A table of other than four columns is always cut.
  template <class Cut>
  void table(const PuffInputs& in, io::Table2<double>& PSEQ, bool lasting, int& NPUFFS, int& PUFFDUR, Cut&& cut) {
    if (PSEQ.cols() != kColumns) {
      cut();
      return;
    }
    ++clock_;
    const int k = find(in);
    if (k >= 0 && tables_[k].NPUFFS <= PSEQ.rows()) {
      Table& t = tables_[k];
      t.used = clock_;
      if (!(lasting && in_pseq_ == k && pseq_ == &PSEQ && pseq_revision_ == PSEQ.revision())) {
        if (!t.rows.empty()) std::copy(t.rows.begin(), t.rows.end(), PSEQ.rows_to_write(1));
        holds(lasting ? k : -1, PSEQ);
      }
      NPUFFS = t.NPUFFS;
      PUFFDUR = t.PUFFDUR;
      return;
    }
    in_pseq_ = -1;
    cut();
    ++cuts_;
    const int s = k >= 0 ? k : slot();
    Table& t = tables_[s];
    t.in = in;
    t.NPUFFS = NPUFFS;
    t.PUFFDUR = PUFFDUR;
    t.used = clock_;
    const double* first = std::as_const(PSEQ).row(1);
    t.rows.assign(first, first + static_cast<std::size_t>(NPUFFS) * kColumns);
    t.held = true;
    holds(lasting ? s : -1, PSEQ);
  }

  // The tables held (at most kTables) and the tables cut so far.
  int tables() const {
    return static_cast<int>(std::count_if(tables_.begin(), tables_.end(), [](const Table& t) { return t.held; }));
  }
  unsigned long long cuts() const { return cuts_; }

  // Tables kept: a day's hours of a temperature wave meet at most about a
  // dozen temperatures; 16 tables of 10000 rows take 5 MB.
  static constexpr int kTables = 16;
  // Rate, duration, H2S fraction and fuel-gas ratio of a row.
  static constexpr int kColumns = 4;

 private:
  struct Table {
    PuffInputs in;
    int NPUFFS = 0, PUFFDUR = 0;
    std::vector<double> rows;  // rows 1..NPUFFS of PSEQ, row after row
    unsigned long long used = 0;
    bool held = false;
  };

  static bool same(const VesselInputs& a, const VesselInputs& b) {
    static_assert(sizeof(VesselInputs) == sizeof(MIX) + 10 * sizeof(double), "no padding between the inputs");
    return std::memcmp(&a, &b, sizeof a) == 0;
  }
  int find(const PuffInputs& in) const {
    if (in_pseq_ >= 0 && tables_[in_pseq_].in == in) return in_pseq_;
    for (int k = 0; k < kTables; ++k)
      if (tables_[k].held && tables_[k].in == in) return k;
    return -1;
  }
  // The place for a new table: a free one, else the one used longest ago.
  int slot() const {
    int s = 0;
    for (int k = 0; k < kTables; ++k) {
      if (!tables_[k].held) return k;
      if (tables_[k].used < tables_[s].used) s = k;
    }
    return s;
  }
  // PSEQ holds table k as it is now (-1: no table known to stay there).
  void holds(int k, const io::Table2<double>& PSEQ) {
    in_pseq_ = k;
    pseq_ = &PSEQ;
    pseq_revision_ = PSEQ.revision();
  }

  // The vessel blowdown formed last.
  const SpeciesTable* table_ = nullptr;
  unsigned long long revision_ = 0;
  VesselInputs vessel_in_;
  VesselBlowdown vessel_out_;
  bool vessel_held_ = false;

  std::array<Table, kTables> tables_{};
  unsigned long long clock_ = 0, cuts_ = 0;
  // The table that PSEQ holds (-1: none known), the PSEQ and its revision then.
  int in_pseq_ = -1;
  const io::Table2<double>* pseq_ = nullptr;
  unsigned long long pseq_revision_ = 0;
};

}  // namespace quelmar::run

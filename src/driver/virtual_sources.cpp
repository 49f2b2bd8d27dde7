// Heap sort of the hourly store by effective release height and the grouping
// of the sorted hours into virtual sources.
#include "driver/virtual_sources.hpp"

#include <algorithm>
#include <array>

#include "io/stop.hpp"
#include "io/units.hpp"

namespace quelmar::driver {

namespace {

// The arrays that travel with the sort key: `take` reads position i, `move`
// copies position `from` to `to`, `put` writes a taken value back.
struct CarryIndex {
  int* IB;
  using Value = int;
  Value take(long long i) const { return IB[i - 1]; }
  void move(long long to, long long from) const { IB[to - 1] = IB[from - 1]; }
  void put(long long i, Value b) const { IB[i - 1] = b; }
};

struct CarryFive {
  std::array<double*, 4> R;  // RB, RC, RD, RE
  int* IB;
  struct Value {
    std::array<double, 4> r;
    int b;
  };
  Value take(long long i) const {
    Value v{};
    for (std::size_t k = 0; k < R.size(); ++k) v.r[k] = R[k][i - 1];
    v.b = IB[i - 1];
    return v;
  }
  void move(long long to, long long from) const {
    for (double* a : R) a[to - 1] = a[from - 1];
    IB[to - 1] = IB[from - 1];
  }
  void put(long long i, const Value& v) const {
    for (std::size_t k = 0; k < R.size(); ++k) R[k][i - 1] = v.r[k];
    IB[i - 1] = v.b;
  }
};

// Heap sort on positions 1..N. Both comparisons are strict, so equal keys never
// pass each other within one sift; which hours share a group depends on it.
template <class Carry>
void heap_sort(int N, double* RA, const Carry& carry) {
  if (N < 2) return;
  auto ra = [RA](long long i) -> double& { return RA[i - 1]; };
  long long L = N / 2 + 1;
  long long R = N;
  for (;;) {
    double v;
    typename Carry::Value b;
    if (L > 1) {
      L = L - 1;
      v = ra(L);
      b = carry.take(L);
    } else {
      v = ra(R);
      b = carry.take(R);
      ra(R) = ra(1);
      carry.move(R, 1);
      R = R - 1;
      if (R == 1) {
        ra(1) = v;
        carry.put(1, b);
        return;
      }
    }
    long long I = L;
    long long J = 2 * L;
    while (J <= R) {
      if (J < R && ra(J) < ra(J + 1)) J = J + 1;
      if (v < ra(J)) {
        ra(I) = ra(J);
        carry.move(I, J);
        I = J;
        J = 2 * J;
      } else {
        J = R + 1;
      }
    }
    ra(I) = v;
    carry.put(I, b);
  }
}

}  // namespace

void HSORTRL(int N, double* RA, int* IB) { heap_sort(N, RA, CarryIndex{IB}); }

void HSORTRL(int N, io::Vec1<double>& RA, io::Vec1<int>& IB) {
  const int n = std::min({N, RA.size(), IB.size()});
  HSORTRL(n, RA.data(), IB.data());
}

void HSORT5RL(int N, double* RA, double* RB, double* RC, double* RD, double* RE, int* IB) {
  heap_sort(N, RA, CarryFive{{RB, RC, RD, RE}, IB});
}

void group_virtual_sources(run::Run& run) {
  run::MOD_VIRTUALSOURCES& vs = run.vs;
  const int nsources = run.inp.NSOURCES;
  if (nsources < 1 || nsources > run::MAXGROUPS)
    throw io::Stop{"***FATAL ERROR*** NSOURCES must be from 1 to 32"};
  // Hours beyond the store's capacity were never stored.
  const int nvs = std::clamp(vs.NVS, 0, vs.INDX.size());

  for (int g = 1; g <= nsources; ++g) {
    vs.VSTS(g) = 0.0;
    vs.VSUS(g) = 0.0;
    vs.VSDS(g) = 0.0;
    vs.VSX(g) = 0.0;
    vs.VSY(g) = 0.0;
    vs.VSHS(g) = 1.0E30;
    vs.IVSNS(g) = 0;
  }

  // Group 1 takes the sorted positions below q, the middle groups about q
  // positions each, and the last group the rest (the cap catches position NVS).
  const double q = static_cast<double>(nvs) / static_cast<double>(nsources);
  for (int c = 1; c <= nvs; ++c) {
    const int i = vs.INDX(c);
    if (i < 1 || i > nvs) throw io::Stop{"***FATAL ERROR*** hourly store: sort index out of range"};
    int g = static_cast<int>(static_cast<double>(c) / q) + 1;
    if (g > nsources) g = nsources;
    vs.IVSNS(g) = vs.IVSNS(g) + 1;
    vs.VSTS(g) += vs.VTSX(i);
    vs.VSUS(g) += vs.VUSX(i);
    vs.VSDS(g) += vs.VDEX(i);
    vs.VSHS(g) = std::min(vs.VSHS(g), vs.VHSX(i));
    vs.VSX(g) += vs.VX(i);
    vs.VSY(g) += vs.VY(i);
    vs.IVS(i) = g;
  }

  for (int g = 1; g <= nsources; ++g) {
    if (vs.IVSNS(g) <= 0) continue;
    const double n = static_cast<double>(vs.IVSNS(g));
    vs.VSTS(g) /= n;
    vs.VSUS(g) /= n;
    vs.VSDS(g) /= n;
    vs.VSX(g) /= n;
    vs.VSY(g) /= n;
    if (run.stdc.LOGON == 1)
      run.units.free(io::LOG, {"VS", g, vs.VSTS(g), vs.VSUS(g), vs.VSDS(g), vs.VSHS(g), vs.VSX(g), vs.VSY(g)});
  }
}

}  // namespace quelmar::driver

// Heap sort of the hourly store and grouping into virtual sources.
//
// Expected orders come from running the sift steps by hand (and a python3
// transcription of them); group counts from g = int(c / (NVS/NSOURCES)) + 1,
// capped at NSOURCES, for c = 1..NVS; means and "VS" records by hand.
#include "driver/virtual_sources.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/aermod.hpp"
#include "io/stop.hpp"
#include "test_util.hpp"

namespace quelmar::driver {
namespace {

// ---------------------------------------------------------------- the store

// A run holds no hour until the AERMOD loop sizes the store to its period; a
// larger size keeps the hours stored, and no size passes the 44000-hour limit.
TEST(HourlyStore, SizedOnDemandUpToItsLimit) {
  auto run = std::make_unique<run::Run>();
  run::MOD_VIRTUALSOURCES& vs = run->vs;
  EXPECT_EQ(vs.hours(), 0);
  EXPECT_EQ(vs.VRISE.size(), 0);
  EXPECT_EQ(vs.VDATE.size(), 0);
  vs.reserve_hours(24);
  EXPECT_EQ(vs.hours(), 24);
  vs.VDATE(24) = 202119623;
  vs.VUA(24) = 3.5;
  vs.reserve_hours(12);  // never smaller
  EXPECT_EQ(vs.hours(), 24);
  vs.reserve_hours(8784);
  EXPECT_EQ(vs.hours(), 8784);
  EXPECT_EQ(vs.VSEC.size(), 8784);
  EXPECT_EQ(vs.VUA.size(), 8784);
  EXPECT_EQ(vs.VDATE(24), 202119623);
  EXPECT_EQ(vs.VUA(24), 3.5);
  EXPECT_EQ(vs.VDATE(25), 0);
  EXPECT_THROW(vs.VDATE(8785), std::out_of_range);
  EXPECT_THROW(vs.reserve_hours(run::MAXHOURS + 1), std::length_error);
  vs.reserve_hours(run::MAXHOURS);
  EXPECT_EQ(vs.hours(), run::MAXHOURS);
}

// ---------------------------------------------------------------- HSORTRL

struct SortRow {
  const char* name;
  std::vector<double> keys;
  std::vector<double> sorted;
  std::vector<int> carried;  // IB after the sort, IB before being 1..N
};

const std::vector<SortRow>& sort_rows() {
  static const std::vector<SortRow> rows = {
      {"three", {3.0, 1.0, 2.0}, {1.0, 2.0, 3.0}, {2, 3, 1}},
      {"ascending", {1.0, 2.0, 3.0, 4.0, 5.0}, {1.0, 2.0, 3.0, 4.0, 5.0}, {1, 2, 3, 4, 5}},
      {"two_equal", {7.0, 7.0}, {7.0, 7.0}, {2, 1}},
      {"three_equal", {7.0, 7.0, 7.0}, {7.0, 7.0, 7.0}, {2, 3, 1}},
      {"five_equal", std::vector<double>(5, 7.0), std::vector<double>(5, 7.0), {2, 3, 4, 5, 1}},
      {"ten_equal", std::vector<double>(10, 7.0), std::vector<double>(10, 7.0), {2, 3, 4, 5, 6, 7, 8, 9, 10, 1}},
      {"pairs", {2.0, 1.0, 2.0, 1.0}, {1.0, 1.0, 2.0, 2.0}, {2, 4, 3, 1}},
      {"ties_mixed",
       {5.0, 3.0, 5.0, 1.0, 3.0, 3.0, 9.0, 1.0, 5.0, 3.0, 0.5, 9.0},
       {0.5, 1.0, 1.0, 3.0, 3.0, 3.0, 3.0, 5.0, 5.0, 5.0, 9.0, 9.0},
       {11, 4, 8, 6, 5, 10, 2, 1, 3, 9, 7, 12}},
  };
  return rows;
}

TEST(VirtualSourcesSort, HeapOrderOfKeysAndCarriedIndex) {
  for (const auto& r : sort_rows()) {
    SCOPED_TRACE(r.name);
    std::vector<double> ra = r.keys;
    std::vector<int> ib(ra.size());
    std::iota(ib.begin(), ib.end(), 1);
    HSORTRL(static_cast<int>(ra.size()), ra.data(), ib.data());
    EXPECT_EQ(r.sorted, ra);
    EXPECT_EQ(r.carried, ib);
  }
}

TEST(VirtualSourcesSort, StoreOverloadAndShortInputs) {
  run::MOD_VIRTUALSOURCES vs;
  vs.reserve_hours(4);
  const double keys[] = {3.0, 1.0, 2.0};
  for (int i = 1; i <= 3; ++i) {
    vs.VRISE(i) = keys[i - 1];
    vs.INDX(i) = i;
  }
  vs.VRISE(4) = -1.0;  // beyond N: untouched
  vs.INDX(4) = 99;
  HSORTRL(3, vs.VRISE, vs.INDX);
  EXPECT_EQ(1.0, vs.VRISE(1));
  EXPECT_EQ(2.0, vs.VRISE(2));
  EXPECT_EQ(3.0, vs.VRISE(3));
  EXPECT_EQ(2, vs.INDX(1));
  EXPECT_EQ(3, vs.INDX(2));
  EXPECT_EQ(1, vs.INDX(3));
  EXPECT_EQ(-1.0, vs.VRISE(4));
  EXPECT_EQ(99, vs.INDX(4));

  // one value is already in order; none (or a negative count) touches nothing
  double one = 4.0;
  int b = 9;
  HSORTRL(1, &one, &b);
  EXPECT_EQ(4.0, one);
  EXPECT_EQ(9, b);
  HSORTRL(0, nullptr, nullptr);
  HSORTRL(-3, nullptr, nullptr);

  // a count beyond the arrays' capacity is held to it
  io::Vec1<double> ra(4);
  io::Vec1<int> ib(4);
  for (int i = 1; i <= 4; ++i) {
    ra(i) = 5.0 - i;
    ib(i) = i;
  }
  HSORTRL(1000, ra, ib);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(static_cast<double>(i), ra(i));
    EXPECT_EQ(5 - i, ib(i));
  }
}

TEST(VirtualSourcesSort, FiveArraySortCarriesEveryArrayAlike) {
  for (const auto& r : sort_rows()) {
    SCOPED_TRACE(r.name);
    const int n = static_cast<int>(r.keys.size());
    std::vector<double> ra = r.keys, rb(n), rc(n), rd(n), re(n);
    std::vector<int> ib(n);
    for (int k = 0; k < n; ++k) {
      ib[k] = k + 1;
      rb[k] = 10.0 * (k + 1);
      rc[k] = -1.0 * (k + 1);
      rd[k] = 0.5 * (k + 1);
      re[k] = 100.0 + (k + 1);
    }
    HSORT5RL(n, ra.data(), rb.data(), rc.data(), rd.data(), re.data(), ib.data());
    EXPECT_EQ(r.sorted, ra);
    EXPECT_EQ(r.carried, ib);
    for (int k = 0; k < n; ++k) {
      const int h = r.carried[k];
      EXPECT_EQ(10.0 * h, rb[k]);
      EXPECT_EQ(-1.0 * h, rc[k]);
      EXPECT_EQ(0.5 * h, rd[k]);
      EXPECT_EQ(100.0 + h, re[k]);
    }
  }
}

TEST(VirtualSourcesSort, LargeStoreComesOutAscendingAsAPermutation) {
  // 44000 heights with many ties (a linear congruential sequence folded to 97 values).
  const int n = run::MAXHOURS;
  std::vector<double> ra(n);
  std::vector<int> ib(n);
  unsigned x = 12345u;
  for (int k = 0; k < n; ++k) {
    x = x * 1103515245u + 12345u;
    ra[k] = 10.0 + static_cast<double>((x >> 8) % 97u) * 0.5;
    ib[k] = k + 1;
  }
  const std::vector<double> before = ra;
  HSORTRL(n, ra.data(), ib.data());
  EXPECT_TRUE(std::is_sorted(ra.begin(), ra.end()));
  std::vector<int> seen(n + 1, 0);
  for (int k = 0; k < n; ++k) {
    ASSERT_GE(ib[k], 1);
    ASSERT_LE(ib[k], n);
    ++seen[ib[k]];
    EXPECT_EQ(before[ib[k] - 1], ra[k]);  // the key at position k belongs to hour IB(k)
  }
  EXPECT_EQ(0, std::count_if(seen.begin() + 1, seen.end(), [](int s) { return s != 1; }));
}

// ---------------------------------------------------------------- grouping

struct Hour {
  double height, ts, us, ds, x, y;
};

// Stores the hours with the AERMOD loop's own store_hour, as the flare step
// leaves each of them, and sorts them.
void fill_and_sort(run::Run& run, const std::vector<Hour>& hours) {
  auto& vs = run.vs;
  vs.reserve_hours(static_cast<int>(hours.size()));
  int n = 0;
  for (const Hour& h : hours) {
    run.comb.HS_X = h.height;
    run.comb.EXTEMP = h.ts;
    run.comb.UE_X = h.us;
    run.comb.DE_X = h.ds;
    store_hour(run, ++n, ReleasePoint{h.x, h.y, h.height});
  }
  vs.NVS = n;
  HSORTRL(vs.NVS, vs.VRISE, vs.INDX);
}

std::vector<Hour> equal_hours(int n) { return std::vector<Hour>(n, Hour{25.0, 1000.0, 20.0, 2.0, 1.0, 2.0}); }

struct CountRow {
  int nvs, nsources;
  std::vector<int> counts;
};

TEST(VirtualSourcesGrouping, HourCountsPerGroup) {
  std::vector<int> c8760(10, 876);
  c8760.front() = 875;
  c8760.back() = 877;
  const std::vector<CountRow> rows = {
      {10, 2, {4, 6}},
      {10, 3, {3, 3, 4}},
      {100, 3, {33, 33, 34}},
      {24, 8, {2, 3, 3, 3, 3, 3, 3, 4}},
      {8760, 10, c8760},
      {5, 5, {0, 1, 1, 1, 2}},
      {3, 7, {0, 0, 1, 0, 1, 0, 1}},
      {7, 1, {7}},
      {1, 3, {0, 0, 1}},  // a single hour goes to the last group
      {0, 4, {0, 0, 0, 0}},
      // q = 3.125: positions 28, 53, 78 and 100 close a group of four
      {100, 32, {3, 3, 3, 3, 3, 3, 3, 3, 4, 3, 3, 3, 3, 3, 3, 3, 4, 3, 3, 3, 3, 3, 3, 3, 4, 3, 3, 3, 3, 3, 3, 4}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.nvs) + " hours in " + std::to_string(r.nsources) + " groups");
    auto run = std::make_unique<run::Run>();
    run->inp.NSOURCES = r.nsources;
    // distinct heights so that sorted position c is hour c
    std::vector<Hour> hours;
    for (int i = 1; i <= r.nvs; ++i) hours.push_back({static_cast<double>(i), 1000.0, 20.0, 2.0, 0.0, 0.0});
    fill_and_sort(*run, hours);
    group_virtual_sources(*run);
    std::vector<int> got;
    for (int g = 1; g <= r.nsources; ++g) got.push_back(run->vs.IVSNS(g));
    EXPECT_EQ(r.counts, got);
    // each hour has one group, groups run over consecutive sorted positions
    int prev = 1;
    for (int c = 1; c <= r.nvs; ++c) {
      const int g = run->vs.IVS(run->vs.INDX(c));
      EXPECT_GE(g, prev);
      EXPECT_LE(g, r.nsources);
      prev = g;
    }
    // a group without hours keeps the empty-group values
    for (int g = 1; g <= r.nsources; ++g)
      if (run->vs.IVSNS(g) == 0) {
        EXPECT_EQ(1.0E30, run->vs.VSHS(g));
        EXPECT_EQ(0.0, run->vs.VSTS(g));
      }
  }
}

TEST(VirtualSourcesGrouping, MeansAndLowestHeight) {
  auto run = std::make_unique<run::Run>();
  run->inp.NSOURCES = 2;
  // q = 3: sorted positions 1, 2 -> group 1; 3 .. 6 -> group 2.
  // Sorted by height: hour 2 (8), 6 (9) | 1 (12), 4 (15), 3 (20), 5 (30).
  fill_and_sort(*run, {
                          {12.0, 900.0, 10.0, 1.0, 0.5, -1.0},
                          {8.0, 1100.0, 20.0, 2.0, 1.5, -2.0},
                          {20.0, 1300.0, 30.0, 3.0, 2.5, -3.0},
                          {15.0, 1000.0, 40.0, 4.0, 3.5, -4.0},
                          {30.0, 1200.0, 50.0, 5.0, 4.5, -5.0},
                          {9.0, 800.0, 60.0, 6.0, 5.5, -6.0},
                      });
  group_virtual_sources(*run);
  const auto& vs = run->vs;
  EXPECT_EQ(2, vs.IVSNS(1));
  EXPECT_EQ(4, vs.IVSNS(2));
  const int groups[] = {2, 1, 2, 2, 2, 1};
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(groups[i - 1], vs.IVS(i)) << "hour " << i;
  // group 1: hours 2 and 6
  EXPECT_EQ(950.0, vs.VSTS(1));
  EXPECT_EQ(40.0, vs.VSUS(1));
  EXPECT_EQ(4.0, vs.VSDS(1));
  EXPECT_EQ(8.0, vs.VSHS(1));
  EXPECT_EQ(3.5, vs.VSX(1));
  EXPECT_EQ(-4.0, vs.VSY(1));
  // group 2: hours 1, 4, 3, 5; its lowest height 12 lies well below the mean 19.25
  EXPECT_EQ(1100.0, vs.VSTS(2));
  EXPECT_EQ(32.5, vs.VSUS(2));
  EXPECT_EQ(3.25, vs.VSDS(2));
  EXPECT_EQ(12.0, vs.VSHS(2));
  EXPECT_EQ(2.75, vs.VSX(2));
  EXPECT_EQ(-3.25, vs.VSY(2));
  // the hourly fields other than the key and the index stay in hour order
  EXPECT_EQ(12.0, vs.VHSX(1));
  EXPECT_EQ(900.0, vs.VTSX(1));

  // one group: the means of the whole pass and its lowest height
  run->inp.NSOURCES = 1;
  group_virtual_sources(*run);
  EXPECT_EQ(6, vs.IVSNS(1));
  EXPECT_EQ(1050.0, vs.VSTS(1));  // 6300 / 6
  EXPECT_EQ(35.0, vs.VSUS(1));    // 210 / 6
  EXPECT_EQ(3.5, vs.VSDS(1));     // 21 / 6
  EXPECT_EQ(8.0, vs.VSHS(1));
  EXPECT_EQ(3.0, vs.VSX(1));   // 18 / 6
  EXPECT_EQ(-3.5, vs.VSY(1));  // -21 / 6
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(1, vs.IVS(i));
}

TEST(VirtualSourcesGrouping, EqualHeightsSplitByHeapOrder) {
  auto run = std::make_unique<run::Run>();
  run->inp.NSOURCES = 2;
  fill_and_sort(*run, equal_hours(10));
  group_virtual_sources(*run);
  const auto& vs = run->vs;
  // the sort leaves hours 2..10, 1: group 1 holds hours 2 to 5, group 2 hours 6 to 10 and 1
  const int groups[] = {2, 1, 1, 1, 1, 2, 2, 2, 2, 2};
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(groups[i - 1], vs.IVS(i)) << "hour " << i;
  EXPECT_EQ(4, vs.IVSNS(1));
  EXPECT_EQ(6, vs.IVSNS(2));
  for (int g = 1; g <= 2; ++g) {
    EXPECT_EQ(1000.0, vs.VSTS(g));
    EXPECT_EQ(20.0, vs.VSUS(g));
    EXPECT_EQ(2.0, vs.VSDS(g));
    EXPECT_EQ(25.0, vs.VSHS(g));
    EXPECT_EQ(1.0, vs.VSX(g));
    EXPECT_EQ(2.0, vs.VSY(g));
  }
}

TEST(VirtualSourcesGrouping, EveryPassStartsItsGroupsAfresh) {
  auto run = std::make_unique<run::Run>();
  run->inp.NSOURCES = 3;
  fill_and_sort(*run, equal_hours(10));
  group_virtual_sources(*run);
  // second pass: 4 hours, two groups of other values
  run->inp.NSOURCES = 2;
  fill_and_sort(*run, {{5.0, 700.0, 3.0, 1.0, 0.25, 0.5},
                       {6.0, 900.0, 5.0, 3.0, 0.75, 1.5},
                       {7.0, 500.0, 7.0, 5.0, 1.25, 2.5},
                       {8.0, 300.0, 9.0, 7.0, 1.75, 3.5}});
  group_virtual_sources(*run);
  const auto& vs = run->vs;
  // q = 2: position 1 -> group 1; 2, 3 -> group 2 ... 4 -> 3, capped at 2
  EXPECT_EQ(1, vs.IVSNS(1));
  EXPECT_EQ(3, vs.IVSNS(2));
  EXPECT_EQ(700.0, vs.VSTS(1));
  EXPECT_EQ(5.0, vs.VSHS(1));
  EXPECT_EQ(0.25, vs.VSX(1));
  EXPECT_EQ(1700.0 / 3.0, vs.VSTS(2));
  EXPECT_EQ(7.0, vs.VSUS(2));
  EXPECT_EQ(5.0, vs.VSDS(2));
  EXPECT_EQ(6.0, vs.VSHS(2));
  EXPECT_EQ(1.25, vs.VSX(2));
  EXPECT_EQ(2.5, vs.VSY(2));
}

TEST(VirtualSourcesGrouping, NumberOfSourcesOutsideOneTo32Stops) {
  for (int ns : {0, -1, 33, 1000}) {
    SCOPED_TRACE(ns);
    auto run = std::make_unique<run::Run>();
    run->inp.NSOURCES = ns;
    fill_and_sort(*run, equal_hours(4));
    run->vs.IVSNS(1) = 77;
    try {
      group_virtual_sources(*run);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ("***FATAL ERROR*** NSOURCES must be from 1 to 32", s.text);
    }
    EXPECT_EQ(77, run->vs.IVSNS(1));  // nothing was touched
  }
  // 32 groups is the upper bound that still works
  auto run = std::make_unique<run::Run>();
  run->inp.NSOURCES = 32;
  fill_and_sort(*run, equal_hours(64));
  group_virtual_sources(*run);
  int total = 0;
  for (int g = 1; g <= 32; ++g) total += run->vs.IVSNS(g);
  EXPECT_EQ(64, total);
}

TEST(VirtualSourcesGrouping, HourCountBeyondTheStoreIsHeldToIt) {
  auto run = std::make_unique<run::Run>();
  run->inp.NSOURCES = 32;
  run->vs.reserve_hours(run::MAXHOURS);
  for (int i = 1; i <= run::MAXHOURS; ++i) {
    run->vs.INDX(i) = i;
    run->vs.VHSX(i) = 10.0;
  }
  run->vs.NVS = run::MAXHOURS + 500;
  group_virtual_sources(*run);
  int total = 0;
  for (int g = 1; g <= 32; ++g) total += run->vs.IVSNS(g);
  EXPECT_EQ(run::MAXHOURS, total);
}

// ---------------------------------------------------------------- debug log

TEST(VirtualSourcesGrouping, VsRecordsOnlyForGroupsWithHoursWhileLogIsOn) {
  test::TestRun t;
  const std::string path = t.dir.file("vs.log");
  auto& run = t.run;
  run->inp.NSOURCES = 5;
  // hour i: TS 1000+10i, US 20+i, DS 0.5i, x 0.25i, y -0.125i; heights 30, 10, 50, 20, 40.
  // Sorted: hours 2, 4, 1, 5, 3; q = 1 -> groups 2, 3, 4, 5 and 5 (capped).
  std::vector<Hour> hours;
  const double heights[] = {30.0, 10.0, 50.0, 20.0, 40.0};
  for (int i = 1; i <= 5; ++i)
    hours.push_back({heights[i - 1], 1000.0 + 10 * i, 20.0 + i, 0.5 * i, 0.25 * i, -0.125 * i});
  fill_and_sort(*run, hours);

  // log open but switched off: nothing written
  ASSERT_TRUE(run->units.open_write(io::LOG, path));
  run->stdc.LOGON = 0;
  group_virtual_sources(*run);
  run->units.close(io::LOG);
  EXPECT_EQ("", test::read_file(path));

  ASSERT_TRUE(run->units.open_write(io::LOG, path));
  run->stdc.LOGON = 1;
  group_virtual_sources(*run);
  run->units.close(io::LOG);

  const auto& vs = run->vs;
  EXPECT_EQ(0, vs.IVSNS(1));
  EXPECT_EQ(1.0E30, vs.VSHS(1));
  EXPECT_EQ(0.0, vs.VSTS(1));
  EXPECT_EQ(0.0, vs.VSUS(1));
  EXPECT_EQ(0.0, vs.VSDS(1));
  EXPECT_EQ(0.0, vs.VSX(1));
  EXPECT_EQ(0.0, vs.VSY(1));

  // "VS", g (I12), then six doubles of 24 columns (15 significant digits right
  // in 19 columns and 5 blanks), wrapped at 80 characters: 2 doubles on the
  // first record, 3 on the second, 1 on the third.
  const std::string expected =
      // group 2: hour 2
      " VS           2   1020.00000000000        22.0000000000000     \r\n"
      "    1.00000000000000        10.0000000000000       0.500000000000000     \r\n"
      "  -0.250000000000000     \r\n"
      // group 3: hour 4
      " VS           3   1040.00000000000        24.0000000000000     \r\n"
      "    2.00000000000000        20.0000000000000        1.00000000000000     \r\n"
      "  -0.500000000000000     \r\n"
      // group 4: hour 1
      " VS           4   1010.00000000000        21.0000000000000     \r\n"
      "   0.500000000000000        30.0000000000000       0.250000000000000     \r\n"
      "  -0.125000000000000     \r\n"
      // group 5: hours 5 and 3, lowest height 40
      " VS           5   1040.00000000000        24.0000000000000     \r\n"
      "    2.00000000000000        40.0000000000000        1.00000000000000     \r\n"
      "  -0.500000000000000     \r\n";
  EXPECT_EQ(expected, test::read_file(path));
}

}  // namespace
}  // namespace quelmar::driver

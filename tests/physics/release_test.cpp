// Vessel blowdown and the cutting of a decaying release into puffs.
//
// Expected numbers: the worked puff tables of the release model, and python3
// evaluations of the same formulas (scripts in the comments). A release with the
// time constant tau = 3600 s is QMAX 240, QTOTAL 10 (QTOTAL/QMAX*86400 = 3600).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "io/format.hpp"
#include "io/stop.hpp"
#include "physics/realgas.hpp"
#include "physics/release.hpp"
#include "physics/setup.hpp"
#include "test_util.hpp"

namespace quelmar::physics {
namespace {

// A run with its constants ready, the site at sea level (PLOCAL 101.325 kPa),
// the console on a string and the list file open in a temporary folder.
struct Bench : test::ListedRun {
  Bench() {
    SETUP1(run->prop, run->stdc);
    INITLOCAL(run->prop, run->stdc, 0.0);
    // Rows a table must not touch carry a mark.
    run->inp.PSEQ.fill(7.0);
  }
};

// Share of the inventory a row carries: rate (10^3 m3/d) times duration (s).
double share(const io::Table2<double>& pseq, int row, double qtotal) {
  return pseq(row, 1) * pseq(row, 2) / 86400 / qtotal;
}

TEST(TimeConstantTest, InventoryOverRateInSeconds) {
  EXPECT_DOUBLE_EQ(TIMECONSTANT(240, 10), 3600);
  EXPECT_DOUBLE_EQ(TIMECONSTANT(100, 6.0112), 5193.6768);
  EXPECT_EQ(TIMECONSTANT(240, 0), 0);  // no inventory, no decay time
  EXPECT_EQ(TIMECONSTANT(240, -1), 0);
}

// Equal duration, tau 3600 s, FREL 0.9 (TEND = 8289.3 s).
// python3: tau=3600; F=0.9; RATE=QTOTAL*86400/PUFFDUR; D(i)=exp(-(i-1)P/tau)-exp(-iP/tau);
// the first puff with CUM(i) > F carries F-CUM(i-1).
struct EqualDurationCase {
  const char* what;
  int npuffs_in, puffdur_in;
  int npuffs, puffdur;
  std::vector<double> rates;
  double total;  // share of the inventory in all rows
};

TEST(PuffTableTest, EqualDurationWorkedTables) {
  const EqualDurationCase cases[] = {
      {"count from PUFFDUR", 0, 3600, 2, 3600, {151.7089341189, 55.8105979044}, 0.864664716763},
      {"count 10 stays",
       10,
       3600,
       10,
       829,
       {214.3710844629, 170.2777240731, 135.2537978158, 107.4338403522, 85.3360884442, 67.7835583936,
        53.8413568311, 42.7668858660, 33.9702903925, 26.9629608233},
       0.9},
      {"count 7 stays",
       7,
       3600,
       7,
       1184,
       {204.5264729415, 147.2024029061, 105.9449523072, 76.2510169520, 54.8796092650, 39.4981160051,
        28.4277018158},
       0.899963706338},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    int npuffs = c.npuffs_in, puffdur = c.puffdur_in;
    EXPECT_EQ(IBLOWDOWN(*b.run, 240, 10, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 1), 0);
    EXPECT_EQ(npuffs, c.npuffs);
    EXPECT_EQ(puffdur, c.puffdur);
    double total = 0;
    for (int i = 1; i <= npuffs; ++i) {
      EXPECT_NEAR(b.run->inp.PSEQ(i, 1), c.rates[i - 1], 5e-9) << "row " << i;
      EXPECT_EQ(b.run->inp.PSEQ(i, 2), c.puffdur);
      EXPECT_EQ(b.run->inp.PSEQ(i, 3), -1);
      EXPECT_EQ(b.run->inp.PSEQ(i, 4), -1);
      total += share(b.run->inp.PSEQ, i, 10);
    }
    EXPECT_NEAR(total, c.total, 1e-11);
    EXPECT_EQ(b.run->inp.PSEQ(npuffs + 1, 1), 7.0);  // rows above NPUFFS untouched
    EXPECT_TRUE(b.out.str().empty());
  }
  // The worked shares themselves: 0.63212 and 0.23254 of the inventory.
  Bench b;
  int npuffs = 0, puffdur = 3600;
  IBLOWDOWN(*b.run, 240, 10, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 1);
  EXPECT_NEAR(share(b.run->inp.PSEQ, 1, 10), 0.63212, 5e-6);
  EXPECT_NEAR(share(b.run->inp.PSEQ, 2, 10), 0.23254, 5e-6);
  // Count 10: the last puff carries F - CUM(9) = 0.02587.
  Bench b10;
  npuffs = 10;
  IBLOWDOWN(*b10.run, 240, 10, 0.9, puffdur, b10.run->inp.PSEQ, npuffs, 2, 1);
  EXPECT_NEAR(share(b10.run->inp.PSEQ, 10, 10), 0.02587, 5e-6);
}

TEST(PuffTableTest, PuffsAfterTheReleasedFractionCarryNothing) {
  // TEND = 6.3 s, 10 puffs of NINT(0.63) = 1 s: puff 7 reaches F, puffs 8-10
  // begin after it. python3: tau=6.3/ln(10); QTOTAL=tau*1000/86400.
  Bench b;
  const double qtotal = 0.031667305972112113;
  int npuffs = 10, puffdur = 0;
  IBLOWDOWN(*b.run, 1000, qtotal, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 1);
  EXPECT_EQ(puffdur, 1);
  const double rates[] = {837.6247385, 581.1916105, 403.263744, 279.8072861, 194.1461847,
                          134.7096481, 31.70650045, 0, 0, 0};
  double total = 0;
  for (int i = 1; i <= 10; ++i) {
    EXPECT_NEAR(b.run->inp.PSEQ(i, 1), rates[i - 1], 5e-7) << "row " << i;
    EXPECT_GE(b.run->inp.PSEQ(i, 1), 0.0) << "row " << i;
    total += share(b.run->inp.PSEQ, i, qtotal);
  }
  EXPECT_NEAR(total, 0.9, 1e-12);
}

TEST(PuffTableTest, TableShortOfTheReleasedFractionGetsTheRestInItsLastRow) {
  // TEND = 14 s cut into 10 puffs of NINT(1.4) = 1 s: the puffs end at 10 s and
  // CUM(11) = 0.83621 < 0.9, so the last row gets RATE*(F - CUM(11)).
  // python3: tau=14/ln(10); QTOTAL=tau*1000/86400; RATE=QTOTAL*86400.
  Bench b;
  const double qtotal = 0.070371791049138016;
  int npuffs = 10, puffdur = 0;
  IBLOWDOWN(*b.run, 1000, qtotal, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 1);
  EXPECT_EQ(puffdur, 1);
  const double rates[] = {922.0937941, 782.2517217, 663.6176928, 562.9753568, 477.5961458,
                          405.1652985, 343.7191036, 291.5916606, 247.3697144, 597.7015442};
  double total = 0;
  for (int i = 1; i <= 10; ++i) {
    EXPECT_NEAR(b.run->inp.PSEQ(i, 1), rates[i - 1], 5e-7) << "row " << i;
    total += share(b.run->inp.PSEQ, i, qtotal);
  }
  EXPECT_NEAR(total, 0.870719597807081, 1e-12);  // F less the share of the unwritten puff 11
}

TEST(PuffTableTest, ShortReleaseMakesOnePuff) {
  // FREL 0.1 with tau 3600: TEND = 379.3 s, NINT(379.3/3600) = 0; the release
  // still makes one puff, which carries the whole released share 0.1.
  Bench b;
  int npuffs = 0, puffdur = 3600;
  IBLOWDOWN(*b.run, 240, 10, 0.1, puffdur, b.run->inp.PSEQ, npuffs, 2, 1);
  EXPECT_EQ(npuffs, 1);
  EXPECT_EQ(puffdur, 3600);
  EXPECT_NEAR(b.run->inp.PSEQ(1, 1), 24.0, 1e-12);  // RATE 240 times 0.1
  EXPECT_EQ(b.run->inp.PSEQ(1, 2), 3600);
}

TEST(PuffTableTest, RebuildKeepsTheCountAndRecomputesTheDuration) {
  Bench b;
  int npuffs = 0, puffdur = 3600;
  IBLOWDOWN(*b.run, 240, 10, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 1);
  ASSERT_EQ(npuffs, 2);
  // The next step's vessel has tau 7200 s: TEND = 16578.6 s over 2 puffs.
  IBLOWDOWN(*b.run, 240, 20, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 1);
  EXPECT_EQ(npuffs, 2);
  EXPECT_EQ(puffdur, 8289);
  EXPECT_NEAR(b.run->inp.PSEQ(1, 1), 142.5425468, 5e-7);
  EXPECT_NEAR(b.run->inp.PSEQ(2, 1), 45.07782901, 5e-8);
}

TEST(PuffTableTest, ReleasedFractionIsCappedAt0999) {
  // Equal duration, FREL 1: TEND = -3600 ln(0.001) = 24867.9 s, 7 puffs of 3600 s
  // carrying 0.999 in all.
  Bench b;
  int npuffs = 0, puffdur = 3600;
  IBLOWDOWN(*b.run, 240, 10, 1.0, puffdur, b.run->inp.PSEQ, npuffs, 2, 1);
  EXPECT_EQ(npuffs, 7);
  double total = 0;
  for (int i = 1; i <= npuffs; ++i) total += share(b.run->inp.PSEQ, i, 10);
  EXPECT_NEAR(total, 0.999, 1e-12);
  EXPECT_NEAR(b.run->inp.PSEQ(7, 1), 240 * 0.001478752177, 5e-9);

  // Equal volume, FREL 1.5: three puffs of 0.333 each.
  // python3: T1=-3600*ln(1-i*0.999/3); rate=VOL/(T1-T0)*86.4
  Bench v;
  npuffs = 3;
  puffdur = 3600;
  IBLOWDOWN(*v.run, 240, 10, 1.5, puffdur, v.run->inp.PSEQ, npuffs, 2, 2);
  const double dur[] = {1457.8748390394, 2489.9365905801, 20920.1075747161};
  const double rate[] = {197.3502747256, 115.5499305036, 13.7528929511};
  for (int i = 1; i <= 3; ++i) {
    EXPECT_NEAR(v.run->inp.PSEQ(i, 2), dur[i - 1], 5e-9) << "row " << i;
    EXPECT_NEAR(v.run->inp.PSEQ(i, 1), rate[i - 1], 5e-9) << "row " << i;
    EXPECT_NEAR(share(v.run->inp.PSEQ, i, 10), 0.333, 1e-12);
  }
}

TEST(PuffTableTest, EqualVolumePuffs) {
  // tau 3600 s, F 0.9, 4 puffs of 2250 m3 each (0.225 of 10^4 m3).
  // python3: T1=-3600*ln(1-0.225*i); VOL=240/86400*(exp(-T0/3600)-exp(-T1/3600))*3600*1000
  Bench b;
  int npuffs = 4, puffdur = 123;
  IBLOWDOWN(*b.run, 240, 10, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 2);
  EXPECT_EQ(npuffs, 4);
  EXPECT_EQ(puffdur, 123);  // left as it was
  const double dur[] = {917.6120986636, 1234.6011040566, 1893.9351452284, 4243.1579868299};
  const double rate[] = {211.8542249858, 157.4597652321, 102.6434302620, 45.8149332651};
  for (int i = 1; i <= 4; ++i) {
    EXPECT_NEAR(b.run->inp.PSEQ(i, 2), dur[i - 1], 5e-9) << "row " << i;
    EXPECT_NEAR(b.run->inp.PSEQ(i, 1), rate[i - 1], 5e-9) << "row " << i;
    EXPECT_EQ(b.run->inp.PSEQ(i, 3), -1);
    EXPECT_EQ(b.run->inp.PSEQ(i, 4), -1);
    EXPECT_NEAR(b.run->inp.PSEQ(i, 1) * b.run->inp.PSEQ(i, 2) / 86400 * 1000, 2250, 1e-8);
  }
  EXPECT_NE(b.run->inp.PSEQ(1, 2), std::round(b.run->inp.PSEQ(1, 2)));  // not whole seconds
  EXPECT_EQ(b.run->inp.PSEQ(5, 1), 7.0);
}

TEST(PuffTableTest, TenThousandPuffsFitTheTable) {
  // 10000 puffs of NINT(0.83) = 1 s: puff 8290 reaches F, the rest carry nothing.
  Bench b;
  int npuffs = 10000, puffdur = 0;
  IBLOWDOWN(*b.run, 240, 10, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 1);
  EXPECT_EQ(npuffs, 10000);
  EXPECT_EQ(puffdur, 1);
  double total = 0;
  for (int i = 1; i <= 10000; ++i) total += share(b.run->inp.PSEQ, i, 10);
  EXPECT_NEAR(total, 0.9, 1e-9);
  // python3: 864000*(0.9 - (1-exp(-8289/3600)))
  EXPECT_NEAR(b.run->inp.PSEQ(8290, 1), 864000 * 8.50966145571e-06, 1e-5);
  EXPECT_GT(b.run->inp.PSEQ(8290, 1), 0.0);
  EXPECT_EQ(b.run->inp.PSEQ(8291, 1), 0.0);
  EXPECT_EQ(b.run->inp.PSEQ(10000, 1), 0.0);
}

TEST(PuffTableTest, MoreThanTenThousandPuffsStopTheRun) {
  const char* expected =
      "***ERROR*** npuffs exceeds maximum puffs\n"
      "npuffs    :       10001\n"
      "max puffs :       10000\n";
  for (int mdist : {1, 2}) {
    Bench b;
    int npuffs = 10001, puffdur = 0;
    try {
      IBLOWDOWN(*b.run, 240, 10, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, mdist);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "HALTED in routine BLOWDOWN()");
    }
    EXPECT_EQ(b.out.str(), expected);
    EXPECT_EQ(b.run->inp.PSEQ(1, 1), 7.0);
  }
  // A count computed from PUFFDUR: tau 7200 s gives TEND = 16578.6 s, 16579 puffs of 1 s.
  Bench b;
  int npuffs = 0, puffdur = 1;
  EXPECT_THROW(IBLOWDOWN(*b.run, 240, 20, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 1), io::Stop);
  EXPECT_EQ(b.out.str(),
            "***ERROR*** npuffs exceeds maximum puffs\nnpuffs    :       16579\nmax puffs :       10000\n");
  EXPECT_EQ(npuffs, 0);
  EXPECT_EQ(b.run->inp.PSEQ(1, 1), 7.0);
}

TEST(PuffTableTest, UnknownDistributionStopsTheRun) {
  Bench b;
  int npuffs = 2, puffdur = 3600;
  try {
    IBLOWDOWN(*b.run, 240, 10, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 2, 3);
    ADD_FAILURE() << "no stop";
  } catch (const io::Stop& s) {
    EXPECT_EQ(s.text, "HALTED in routine BLOWDOWN()");
  }
  EXPECT_EQ(b.out.str(), "MDIST=           3\n");
}

// Inputs that give no puff table: refused with the keyword and its value on the
// console and in the list file, nothing changed, and IBLOWDOWN stops with no text.
struct Refusal {
  const char* what;
  double qmax, qtotal, frel;
  int puffdur, npuffs, mdist;
  std::vector<std::string> records;  // as shown on the console
};

TEST(PuffTableTest, ReleasesThatCannotBeCutAreRefused) {
  const Refusal cases[] = {
      {"no rate", 0, 10, 0.9, 3600, 0, 1,
       {"***ERROR*** puff table: the initial release rate must be positive", "QMAX =" + io::free_real(0.0)}},
      {"negative rate", -5, 10, 0.9, 3600, 0, 2,
       {"***ERROR*** puff table: the initial release rate must be positive", "QMAX =" + io::free_real(-5.0)}},
      {"no inventory", 240, 0, 0.9, 3600, 4, 2,
       {"***ERROR*** puff table: the released inventory must be positive", "QTOTAL =" + io::free_real(0.0)}},
      {"no fraction", 240, 10, 0, 3600, 0, 1,
       {"***ERROR*** puff table: the released fraction must be positive", "FREL =" + io::free_real(0.0)}},
      {"fraction not a number", 240, 10, std::nan(""), 3600, 0, 1,
       {"***ERROR*** puff table: the released fraction must be positive", "FREL = (not a finite number)"}},
      // tau 600 s: TEND = 1381.6 s over 10000 puffs rounds to 0 s.
      {"duration rounds to 0", 240, 10.0 / 6, 0.9, 3600, 10000, 1,
       {"***ERROR*** puff table: the puff duration PUFFDUR rounds to 0 s", "NPUFFS =" + io::free_int(10000),
        "release time (s) =" + io::free_real(-(10.0 / 6 / 240 * 24 * 60 * 60) * std::log(1 - 0.9)),
        "give fewer puffs, or NPUFFS 0 with a positive PUFFDUR"}},
      // QTOTAL/QMAX*86400 overflows to infinity, or underflows to 0 s.
      {"time constant infinite", 1e-300, 1e300, 0.9, 3600, 0, 1,
       {"***ERROR*** puff table: the time constant QTOTAL/QMAX is out of range", "QMAX =  1.000000000000000E-300",
        "QTOTAL =  1.000000000000000E+300"}},
      {"time constant 0", 1e300, 1e-300, 0.9, 3600, 3, 2,
       {"***ERROR*** puff table: the time constant QTOTAL/QMAX is out of range", "QMAX =  1.000000000000000E+300",
        "QTOTAL =  1.000000000000000E-300"}},
      // tau = 1e6/1*86400 = 8.64e10 s, FREL 0.5: TEND = 8.64e10*ln 2 = 59887916400.379 s,
      // 2.99e10 s a puff, beyond the 2147483647 s of a 32-bit duration.
      {"duration beyond the integer range", 1, 1e6, 0.5, 3600, 2, 1,
       {"***ERROR*** puff table: the puff duration PUFFDUR exceeds the integer range", "NPUFFS =           2",
        "release time (s) =   59887916400.3793     "}},
      {"no duration to count with", 240, 10, 0.9, 0, 1, 1,
       {"***ERROR*** puff table: the puff duration must be positive", "PUFFDUR =" + io::free_int(0)}},
      {"equal volume without a count", 240, 10, 0.9, 3600, 0, 2,
       {"***ERROR*** puff table: equal-volume puffs need a count NPUFFS of 1 or more",
        "NPUFFS =" + io::free_int(0)}},
      {"fraction too small to cut", 240, 10, 1e-300, 3600, 3, 2,
       {"***ERROR*** puff table: FREL is too small for NPUFFS equal-volume puffs",
        "FREL =" + io::free_real(1e-300), "NPUFFS =" + io::free_int(3)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    int npuffs = c.npuffs, puffdur = c.puffdur;
    try {
      IBLOWDOWN(*b.run, c.qmax, c.qtotal, c.frel, puffdur, b.run->inp.PSEQ, npuffs, 2, c.mdist);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "");
    }
    std::string console;
    for (const auto& r : c.records) console += r + "\n";
    EXPECT_EQ(b.out.str(), console);
    const auto list = b.list_records();
    ASSERT_EQ(list.size(), c.records.size());
    for (std::size_t k = 0; k < list.size(); ++k) EXPECT_EQ(list[k], " " + c.records[k]);
    EXPECT_EQ(npuffs, c.npuffs);
    EXPECT_EQ(puffdur, c.puffdur);
    EXPECT_EQ(b.run->inp.PSEQ(1, 1), 7.0);

    // The non-stopping form answers false with the same records.
    Bench q;
    npuffs = c.npuffs;
    puffdur = c.puffdur;
    EXPECT_FALSE(puff_table(*q.run, c.qmax, c.qtotal, c.frel, puffdur, q.run->inp.PSEQ, npuffs, c.mdist));
    EXPECT_EQ(q.out.str(), console);
  }
}

// Pure methane vessel, 2 m x 10 m, orifice 50 mm, CD 0.8, site at sea level.
// python3 (methane 16.0425 g/mol, cp(288.15 K) 35.3347372 J/(mol K)):
//   V=pi/4*2**2*10; A=pi/4*50**2*1e-6; RS=8314.46261815324/16.0425; CP=35.3347372/16.0425*1000
//   RHOREF=1000*101.325/(288.15*RS); P0=101.325+PINIT; K=CP/(CP-RS); RHO0=P0*1000/(RS*T0)
//   PC=P0*(2/(K+1))**(K/(K-1)); QTOTAL=RHO0*V/(RHOREF*1000)
//   MDOT=CD*(2/(K+1))**(0.5*(K+1)/(K-1))*sqrt(K/(RS*T0))*P0*A*1000; QMAX=MDOT/RHOREF*86.4
//   FREL=1-(101.325+PFINAL)/P0; tau=RHO0*V/MDOT
struct VesselCase {
  const char* what;
  double pinit, tinit, pfinal;
  double qmax, qtotal, frel, tthroat, tau;
};

TEST(VesselTest, MethaneVesselBlowdown) {
  const VesselCase cases[] = {
      // choked: PC = 599.49 kPa above the site pressure
      {"choked", 1000, 300, 100, 373.57000914, 0.327979067882, 0.817197466688, 259.997781828, 75.8556382249},
      // not choked: PC = 82.37 kPa below the site pressure, still the choked rate
      {"not choked", 50, 300, 10, 51.3295182013, 0.0450652009599, 0.264331736329, 300.0, 75.8556382249},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    MIX gas{};
    gas(CH4) = 1.0;
    double qmax = 0, qtotal = 0, frel = 0, tthroat = 0;
    EXPECT_EQ(IVESSEL(*b.run, gas, c.pinit, c.tinit, c.pfinal, 2, 10, 50, 0.8, qmax, qtotal, frel, tthroat), 0);
    EXPECT_NEAR(qmax / c.qmax, 1, 1e-8);
    EXPECT_NEAR(qtotal / c.qtotal, 1, 1e-8);
    EXPECT_NEAR(frel, c.frel, 1e-11);
    EXPECT_NEAR(tthroat, c.tthroat, 1e-6);
    EXPECT_NEAR(TIMECONSTANT(qmax, qtotal), c.tau, 1e-6);
    EXPECT_TRUE(b.out.str().empty());
  }
}

TEST(VesselTest, VesselsWithoutAGasStateAreRefused) {
  MIX methane{};
  methane(CH4) = 1.0;
  MIX thin{};  // fractions adding up to 0.2: the gas constant per kg exceeds cp
  thin(CH4) = 0.2;
  const struct {
    const char* what;
    MIX gas;
    double pinit, tinit, tempinit;
    std::vector<std::string> records;
  } cases[] = {
      {"0 K", methane, 1000, 0, 0,
       {"***ERROR*** vessel blowdown: the initial temperature (K) must be above 0",
        "ambient temperature (TEMPINIT <= 0) =" + io::free_real(0.0)}},
      {"a negative given temperature", methane, 1000, -5, 5,
       {"***ERROR*** vessel blowdown: the initial temperature (K) must be above 0",
        "TEMPINIT =" + io::free_real(-5.0)}},
      {"0 K from the ambient temperature", methane, 1000, 0, -1,
       {"***ERROR*** vessel blowdown: the initial temperature (K) must be above 0",
        "ambient temperature (TEMPINIT <= 0) =" + io::free_real(0.0)}},
      {"vacuum", methane, -200, 300, 300,
       {"***ERROR*** vessel blowdown: the absolute initial pressure must be above 0",
        "PRESSINIT =" + io::free_real(-200.0), "site pressure (kPa) =" + io::free_real(101.325)}},
      {"no gas", MIX{}, 1000, 300, 300,
       {"***ERROR*** vessel blowdown: the gas has no molar mass", "molar mass (g/mol) =" + io::free_real(0.0),
        "the raw gas needs RAW_ fractions that add up to 1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    b.run->inp.TEMPINIT = c.tempinit;
    double qmax = -3, qtotal = -3, frel = -3, tthroat = -3;
    try {
      IVESSEL(*b.run, c.gas, c.pinit, c.tinit, 100, 2, 10, 50, 0.8, qmax, qtotal, frel, tthroat);
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& s) {
      EXPECT_EQ(s.text, "");
    }
    std::string console;
    for (const auto& r : c.records) console += r + "\n";
    EXPECT_EQ(b.out.str(), console);
    const auto list = b.list_records();
    ASSERT_EQ(list.size(), c.records.size());
    for (std::size_t k = 0; k < list.size(); ++k) EXPECT_EQ(list[k], " " + c.records[k]);
    EXPECT_EQ(qmax, -3);
    EXPECT_EQ(qtotal, -3);
    EXPECT_EQ(frel, -3);
    EXPECT_EQ(tthroat, -3);
  }
  // Too thin a gas: no heat-capacity ratio above 1.
  Bench b;
  double qmax = -3, qtotal = -3, frel = -3, tthroat = -3;
  EXPECT_FALSE(vessel_blowdown(*b.run, "TEMPINIT =", thin, 1000, 300, 100, 2, 10, 50, 0.8, qmax, qtotal, frel,
                               tthroat));
  EXPECT_EQ(b.out.str().substr(0, 74), "***ERROR*** vessel blowdown: the gas gives no heat-capacity ratio above 1\n");
  EXPECT_EQ(qmax, -3);
}


// ---------------------------------------------------------------- tables kept by the run
//
// The reference for what the run keeps is the table cut anew: every result of
// a run that has kept tables must be, to the bit, what a fresh run gives for
// the same call.

// What a step of a vessel blowdown in puffs hands on, as the time loops call
// IVESSEL and IBLOWDOWN: the blowdown, the count and duration, rows 1..NPUFFS.
struct PuffStep {
  double qmax = 0, qtotal = 0, frel = 0, tthroat = 0;
  int npuffs = 0, puffdur = 0;
  std::vector<double> rows;
};

// The vessel of the vessel_timeseries example (5000 kPa in a 2 m x 12 m
// vessel, 10 mm orifice, down to 50 kPa), holding methane at `tinit`.
PuffStep vessel_step(run::Run& r, double tinit, int npuffs, int puffdur, int mdist = 1) {
  MIX gas{};
  gas(CH4) = 1.0;
  PuffStep s;
  s.npuffs = npuffs;
  s.puffdur = puffdur;
  IVESSEL(r, gas, 5000, tinit, 50, 2.0, 12.0, 10, 0.8, s.qmax, s.qtotal, s.frel, s.tthroat);
  IBLOWDOWN(r, s.qmax, s.qtotal, s.frel, s.puffdur, r.inp.PSEQ, s.npuffs, 1, mdist);
  const io::Table2<double>& pseq = r.inp.PSEQ;
  s.rows.assign(pseq.row(1), pseq.row(1) + 4 * s.npuffs);
  return s;
}

// The same step in a run of its own.
PuffStep fresh_step(double tinit, int npuffs, int puffdur, int mdist = 1) {
  Bench b;
  return vessel_step(*b.run, tinit, npuffs, puffdur, mdist);
}

testing::AssertionResult same_bits(const PuffStep& a, const PuffStep& b) {
  using run::double_bits;
  if (double_bits(a.qmax) != double_bits(b.qmax) || double_bits(a.qtotal) != double_bits(b.qtotal) ||
      double_bits(a.frel) != double_bits(b.frel) || double_bits(a.tthroat) != double_bits(b.tthroat))
    return testing::AssertionFailure() << "the blowdowns differ";
  if (a.npuffs != b.npuffs || a.puffdur != b.puffdur)
    return testing::AssertionFailure() << "NPUFFS " << a.npuffs << " / " << b.npuffs << ", PUFFDUR " << a.puffdur
                                       << " / " << b.puffdur;
  if (a.rows.size() != b.rows.size() ||
      std::memcmp(a.rows.data(), b.rows.data(), a.rows.size() * sizeof(double)) != 0)
    return testing::AssertionFailure() << "the rows differ";
  return testing::AssertionSuccess();
}

// The hours of a temperature wave, each of them several steps: a table is cut
// for each temperature met for the first time, and for one that has given way
// to 16 others since; an hour that comes back while its table is kept takes
// it. Every step is the fresh run's, also for a temperature one bit away.
TEST(PuffCacheTest, HoursOfATemperatureWaveTakeTheirKeptTables) {
  Bench b;
  run::Run& r = *b.run;
  const double t0 = 280.0, t0_next = std::nextafter(t0, 1000.0);
  std::vector<double> wave;  // 17 temperatures up, 16 of them down again, then the first
  for (int k = 0; k <= 16; ++k) wave.push_back(t0 + 0.5 * k);
  for (int k = 16; k >= 1; --k) wave.push_back(t0 + 0.5 * k);
  wave.push_back(t0);
  wave.push_back(t0_next);
  wave.push_back(t0);

  // The first step counts puffs of 60 s, the later ones keep that count.
  int npuffs = 0, puffdur = 60;
  std::vector<unsigned long long> cuts;
  PuffStep at_t0, at_t0_next;
  for (const double t : wave) {
    for (int step = 0; step < 3; ++step) {
      const PuffStep fresh = fresh_step(t, npuffs, puffdur);
      const PuffStep kept = vessel_step(r, t, npuffs, puffdur);
      ASSERT_TRUE(same_bits(kept, fresh)) << "T " << t << ", step " << step;
      npuffs = kept.npuffs;
      puffdur = kept.puffdur;
      if (t == t0) at_t0 = kept;
      if (t == t0_next) at_t0_next = kept;
    }
    cuts.push_back(r.puffs.cuts());
  }
  EXPECT_GT(npuffs, 100);
  EXPECT_FALSE(same_bits(at_t0, at_t0_next));  // one bit of temperature is another table
  // 280 K twice (the count from PUFFDUR, then the count kept), 280.5 ... 288 K
  // once each; on the way down every table is still kept.
  EXPECT_EQ(cuts[0], 2u);
  EXPECT_EQ(cuts[16], 18u);
  EXPECT_EQ(cuts[32], 18u);
  EXPECT_EQ(cuts[33], 19u);  // 280 K gave way to 288 K
  EXPECT_EQ(cuts[34], 20u);  // 280 K and one bit
  EXPECT_EQ(cuts[35], 20u);
  EXPECT_EQ(r.puffs.tables(), run::PuffCache::kTables);
}

// A table kept is taken only for the same inputs to the bit: each input one
// bit away (or another count, duration or distribution where the table reads
// it) is cut anew, and a duration that the cut does not read is no other table.
TEST(PuffCacheTest, OneBitOfAnInputCutsTheTableAnew) {
  const double up = std::numeric_limits<double>::infinity();
  struct Input {
    double qmax, qtotal, frel;
    int npuffs, puffdur, mdist;
  };
  const Input base{240, 10, 0.9, 10, 3600, 1};
  const struct {
    const char* what;
    Input in;
    bool cut;
  } cases[] = {
      {"QMAX one bit up", {std::nextafter(240.0, up), 10, 0.9, 10, 3600, 1}, true},
      {"QTOTAL one bit up", {240, std::nextafter(10.0, up), 0.9, 10, 3600, 1}, true},
      {"FREL one bit down", {240, 10, std::nextafter(0.9, 0.0), 10, 3600, 1}, true},
      {"another count", {240, 10, 0.9, 11, 3600, 1}, true},
      {"equal volume", {240, 10, 0.9, 10, 3600, 2}, true},
      {"a duration the count replaces", {240, 10, 0.9, 10, 1234, 1}, false},
      {"count from the duration", {240, 10, 0.9, 0, 3600, 1}, true},
      {"count from another duration", {240, 10, 0.9, 0, 3601, 1}, true},
      {"equal volume, another duration left as it is", {240, 10, 0.9, 10, 77, 2}, true},
  };
  const auto call = [](run::Run& r, const Input& in) {
    PuffStep s;
    s.npuffs = in.npuffs;
    s.puffdur = in.puffdur;
    IBLOWDOWN(r, in.qmax, in.qtotal, in.frel, s.puffdur, r.inp.PSEQ, s.npuffs, 1, in.mdist);
    s.rows.assign(r.inp.PSEQ.row(1), r.inp.PSEQ.row(1) + 4 * s.npuffs);
    return s;
  };
  Bench b;
  call(*b.run, base);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const unsigned long long before = b.run->puffs.cuts();
    Bench f;
    EXPECT_TRUE(same_bits(call(*b.run, c.in), call(*f.run, c.in)));
    EXPECT_EQ(b.run->puffs.cuts(), before + (c.cut ? 1 : 0));
    // And back: the base table is kept.
    Bench g;
    EXPECT_TRUE(same_bits(call(*b.run, base), call(*g.run, base)));
    EXPECT_EQ(b.run->puffs.cuts(), before + (c.cut ? 1 : 0));
  }
}

// The blowdown of the vessel is formed anew for one bit of any of its inputs:
// the gas, the vessel's numbers, the site values read from the run, and the
// species table; the same inputs take the blowdown formed last.
TEST(PuffCacheTest, OneBitOfAVesselInputFormsTheBlowdownAnew) {
  run::SpeciesTable prop;
  run::PuffCache cache;
  int made = 0;
  const auto make = [&made](run::VesselBlowdown& o) {
    o.QMAX = ++made;
    return true;
  };
  run::VesselInputs base{};
  base.mix(CH4) = 1.0;
  base.PINIT = 5000;
  base.TINIT = 280;
  base.PFINAL = 50;
  base.VDIA = 2;
  base.VLEN = 12;
  base.ODIA = 10;
  base.CD = 0.8;
  base.PLOCAL = 101.325;
  base.PREF = 101.325;
  base.TREF = 288.15;
  run::VesselBlowdown out;
  ASSERT_TRUE(cache.vessel(prop, base, out, make));
  ASSERT_TRUE(cache.vessel(prop, base, out, make));
  EXPECT_EQ(made, 1);
  std::vector<run::VesselInputs> nudged;
  for (int i = 1; i <= run::NSPECIES; ++i) {
    nudged.push_back(base);
    nudged.back().mix(i) = i == CH4 ? std::nextafter(1.0, 0.0) : -0.0;  // -0.0: equal as a number, not as bits
  }
  using F = double run::VesselInputs::*;
  for (F f : {&run::VesselInputs::PINIT, &run::VesselInputs::TINIT, &run::VesselInputs::PFINAL,
              &run::VesselInputs::VDIA, &run::VesselInputs::VLEN, &run::VesselInputs::ODIA, &run::VesselInputs::CD,
              &run::VesselInputs::PLOCAL, &run::VesselInputs::PREF, &run::VesselInputs::TREF}) {
    nudged.push_back(base);
    nudged.back().*f = std::nextafter(base.*f, 1e9);
  }
  for (std::size_t k = 0; k < nudged.size(); ++k) {
    SCOPED_TRACE(k);
    const int before = made;
    ASSERT_TRUE(cache.vessel(prop, nudged[k], out, make));
    EXPECT_EQ(made, before + 1);
    ASSERT_TRUE(cache.vessel(prop, base, out, make));
    EXPECT_EQ(made, before + 2);
    EXPECT_EQ(out.QMAX, made);
  }
  // Any access that may write to the species table forms it anew.
  const int before = made;
  prop(run::P_MW, CH4) = prop(run::P_MW, CH4);
  ASSERT_TRUE(cache.vessel(prop, base, out, make));
  EXPECT_EQ(made, before + 1);
  // A refusal is not kept.
  const auto refuse = [&made](run::VesselBlowdown&) {
    ++made;
    return false;
  };
  EXPECT_FALSE(cache.vessel(prop, nudged[0], out, refuse));
  EXPECT_FALSE(cache.vessel(prop, nudged[0], out, refuse));
  EXPECT_EQ(made, before + 3);

  // Through IVESSEL: a run that formed the blowdown before a change of the
  // site pressure or of the species table gives what a fresh run gives.
  for (int what = 0; what < 2; ++what) {
    SCOPED_TRACE(what);
    Bench b, f;
    const PuffStep at_base = vessel_step(*b.run, 280, 40, 0);
    for (run::Run* r : {b.run.get(), f.run.get()}) {
      if (what == 0) r->stdc.PLOCAL = 90.0;
      else r->prop(run::P_MW, CH4) = 16.05;
    }
    const PuffStep changed = vessel_step(*b.run, 280, 40, 0);
    EXPECT_FALSE(same_bits(changed, at_base));
    EXPECT_TRUE(same_bits(changed, vessel_step(*f.run, 280, 40, 0)));
  }
}

// A table that something else wrote over, or a step table assigned anew, gets
// the kept table back; another table than the run's own gets it too.
TEST(PuffCacheTest, AStepTableWrittenOverGetsTheKeptTableBack) {
  Bench b;
  run::Run& r = *b.run;
  const PuffStep fresh = fresh_step(280, 40, 0);
  const PuffStep first = vessel_step(r, 280, 40, 0);
  ASSERT_TRUE(same_bits(first, fresh));
  r.inp.PSEQ(3, 1) = -5;
  EXPECT_TRUE(same_bits(vessel_step(r, 280, 40, 0), fresh));
  run::MOD_READINP blank;
  r.inp = blank;  // every row 0
  EXPECT_TRUE(same_bits(vessel_step(r, 280, 40, 0), fresh));
  io::Table2<double> own(run::MAXPUFFS, 4);
  own.fill(7.0);
  int npuffs = 40, puffdur = 0;
  IBLOWDOWN(r, fresh.qmax, fresh.qtotal, fresh.frel, puffdur, own, npuffs, 1, 1);
  EXPECT_EQ(std::memcmp(own.row(1), fresh.rows.data(), fresh.rows.size() * sizeof(double)), 0);
  EXPECT_EQ(own(41, 1), 7.0);
  EXPECT_EQ(r.puffs.cuts(), 1u);
}

// A refusal is not kept: it is met again, with its messages, each time.
TEST(PuffCacheTest, RefusalsAreMetEachTime) {
  Bench b;
  vessel_step(*b.run, 280, 40, 0);
  for (int k = 0; k < 2; ++k) {
    int npuffs = 0, puffdur = 3600;
    EXPECT_THROW(IBLOWDOWN(*b.run, 0, 10, 0.9, puffdur, b.run->inp.PSEQ, npuffs, 1, 1), io::Stop);
  }
  const std::string refusal = "***ERROR*** puff table: the initial release rate must be positive\nQMAX =" +
                              io::free_real(0.0) + "\n";
  EXPECT_EQ(b.out.str(), refusal + refusal);
}

// A second run in the same process starts with nothing kept.
TEST(PuffCacheTest, ANewRunKeepsNothing) {
  Bench b;
  vessel_step(*b.run, 280, 40, 0);
  vessel_step(*b.run, 281, 40, 0);
  EXPECT_EQ(b.run->puffs.tables(), 2);
  b.fresh_run();
  SETUP1(b.run->prop, b.run->stdc);
  INITLOCAL(b.run->prop, b.run->stdc, 0.0);
  EXPECT_EQ(b.run->puffs.tables(), 0);
  EXPECT_EQ(b.run->puffs.cuts(), 0u);
  EXPECT_TRUE(same_bits(vessel_step(*b.run, 280, 40, 0), fresh_step(280, 40, 0)));
  EXPECT_EQ(b.run->puffs.cuts(), 1u);
}

}  // namespace
}  // namespace quelmar::physics

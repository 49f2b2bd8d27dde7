// Control files of the benchmark runs: a steady sour-gas flare 40 m high at
// Houston (UTM zone 15), SO2 listed, written for a run whose list file, model
// files and meteorological file lie in `dir` ("" for the folder the run starts
// in, else a folder name ending in "/").
#pragma once
#include <sstream>
#include <string>

namespace quelmar::bench {

// The keywords every benchmark run shares.
inline std::string flare_keys(const std::string& dir) {
  return "QUELMAR 1\n! LCFILES = T !\n! LSTDAT = " + dir + "run.lst !\n! OUTPATH = " + dir +
         " !\n! MDIST = 1 !\n! MFGR = 2 !\n"
         "! MTGAS = 1 !\n! NSOURCES = 32 !\n! HS = 40 !\n! DF = 0.5 !\n! DS = 0.5 !\n! ZCOORD = 10 !\n"
         "! XCOORD = 300 !\n! YCOORD = 3300 !\n! RAW_C1 = 0.9 !\n! RAW_N2 = 0.05 !\n! RAW_H2S = 0.05 !\n"
         "! ODOURPPB = 1 !\n! PMAP = UTM !\n! UTMHEM = N !\n! IUTMZN = 15 !\n! ABTZ = UTC-0600 !\n! DATUM = NAR-C !\n"
         "! NSPEC = 1 !\n! CHEMLST = SO2 !\n! MW = 64.0638 !\n! EMIT = 0 !\n";
}

// A year of hourly AERMET meteorology (1996, Houston, `dir`houston.sfc) on the
// CALPUFF (1) or AERMOD (2) path: one steady flare, or `rows` rows of a user
// sequence. The AERMOD control files name a profile file and a receptor file,
// which the measurements need not hold (the list file says so).
inline std::string houston_year(int mdspmod, int rows, const std::string& dir, const std::string& outname) {
  std::ostringstream c;
  c << flare_keys(dir) << "! OUTNAME = " << outname << " !\n! METDAT = " << dir << "houston.sfc !\n! MMET = 2 !\n"
    << "! METDAT2 = " << dir << "houston.pfl !\n! RECINC = " << dir << "receptors.inc !\n"
    << "! MDSPMOD = " << mdspmod << " !\n! YYS = 1996 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n"
    << "! YYE = 1996 !\n! MME = 12 !\n! DDE = 31 !\n! HHE = 23 !\n! TIMEINC = 3600 !\n";
  if (rows <= 1) {
    c << "! MINPUT = 1 !\n! MBLOWDOWN = 0 !\n! QMAX = 100 !\n! PUFFDUR = 3600 !\n";
  } else {
    c << "! MINPUT = 2 !\n! NSEQ = " << rows << " !\n";
    for (int i = 1; i <= rows; ++i) c << "! SEQ = " << 20 * i << ", 3600, -1, -1 !\n";
  }
  return c.str();
}

}  // namespace quelmar::bench

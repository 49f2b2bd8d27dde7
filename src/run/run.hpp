// The module records that hold the state of one run, and the run object that
// owns them all. Every record starts zero-filled (texts all NULs), apart from
// the built-in species table and the version record. A second run in the same
// process starts from a fresh Run.
//
// The run state sits just above the record layer (io) and below every routine
// that works on it: the control-file readers, the flare physics, the
// meteorological readers and the time loops all include this header, and it
// includes none of theirs.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/array1.hpp"
#include "io/text.hpp"
#include "io/units.hpp"
#include "run/gas.hpp"
#include "run/gas_cache.hpp"
#include "run/met_store.hpp"
#include "run/puff_cache.hpp"
#include "run/species_table.hpp"

namespace quelmar::run {

inline constexpr int MAXPUFFS = 10000;  // rows of the step table PSEQ
inline constexpr int MAXSPEC = 10;      // species listed in the CALPUFF flare file
inline constexpr int MAXHOURS = 44000;  // hours of one AERMOD pass
inline constexpr int MAXGROUPS = 32;    // AERMOD virtual sources

using Text255 = io::Text<255>;

// The run configuration: one field per control keyword, named as the keyword.
struct MOD_READINP {
  int MDSPMOD = 0, MINPUT = 0, MBLOWDOWN = 0, MDIST = 0, MSTRIP = 0, MMET = 0, MFUELGAS = 0, MFGR = 0,
      MLIFTGAS = 0, MFASSIST = 0, MFASSISTSTEAM = 0, MFASSISTAIR = 0, MFASSISTHPFUEL = 0, MTGAS = 0,
      MSCREENING = 0, MDEBUG = 0, MNONSEQ = 0, MSCREEN = 0, MFLAMEOUT = 0, MDLIFT = 0, MDFUEL = 0;
  int YYS = 0, MMS = 0, DDS = 0, HHS = 0, SSS = 0;
  int JDS = 0, IDATES = 0;
  int YYE = 0, MME = 0, DDE = 0, HHE = 0, SSE = 0;
  int JDE = 0, IDATEE = 0;
  int TIMEINC = 0;
  int NSPEC = 0;
  io::Array1<double, MAXSPEC> MMLST{}, QLST{};
  double XCOORD = 0, YCOORD = 0, ZCOORD = 0, HS = 0, DF = 0, DS = 0, DLIFT = 0, DFUEL = 0;
  double PSHS = 0, PSDS = 0, PSUS = 0, PSTS = 0;
  double RH2S = 0, TGINIT = 0, QMAX = 0, QTOTAL = 0, DURATION = 0, PRATIO = 0, TDEP = 0, FREL = 0;
  double PRESSINIT = 0, TEMPINIT = 0, PRESSFINAL = 0, VESSELDIA = 0, VESSELLEN = 0, ORIFICEDIA = 0,
         DISCHARGECOEF = 0;
  double ODOURPPB = 0, WINDSP = 0, WINDDR = 0, TAMB = 0, QPS = 0, ZREF = 0;
  int PGCLASS = 0, PUFFDUR = 0, NPUFFS = 0;
  double FGR = 0;
  MIX RAW{}, FUEL{}, LIFT{};
  io::Table2<double> PSEQ{MAXPUFFS, 4};  // step table: rate, duration, H2S fraction, fuel-gas ratio
  double QLIFTGAS = 0, STM_PRESS = 0, STM_TEMP = 0, STM_FLOW = 0;
  double RAIRAIR = 0, RAIRSTEAM = 0, RAIRFUEL = 0, AIR_FLOW = 0, HPFUEL_FLOW = 0;
  int STM_IMASSVOL = 0, NSEP = 0, NSOURCES = 0, NSEQ = 0, IUTMZN = 0;
  io::Text<128> STITLE;
  io::Text<32> SNAME;
  io::Text<1> UTMHEM;
  io::Text<6> PMAP, DATUM;
  io::Text<8> ABTZ;
  io::Array1<io::Text<8>, MAXSPEC> CHEMLST{};
  Text255 METDAT, METDAT2, RECINC, OUTNAME, OUTPATH, LSTDAT, LOGDAT;
  bool LCFILES = false;
  int IUNITSM = 0;  // coordinate unit of the flare-file header; no keyword sets it
};

// The version record, built-in and never changed.
struct MOD_PROGVER {
  io::Text<12> MODELNAME, VERSION, LEVEL;
  MOD_PROGVER() {
    MODELNAME.set_blank_padded("QUELMAR");
    VERSION.set_blank_padded("2.01");
    LEVEL.set_blank_padded("220131");
  }
};

// State of the meteorological readers.
struct MOD_MET {
  double ANEM_HT = 0, WDIR_HT = 0;
  int IWSPEED_COL = 0, IWDIR_COL = 0, ITEMP_COL = 0, ISTAB_COL = 0, IMONIN_COL = 0;
  int IWSPEED_UNITS = 0, ITEMP_UNITS = 0;
  int FILE_BEGIN_DATEHR = 0, FILE_BEGIN_SEC = 0, FILE_END_DATEHR = 0, FILE_END_SEC = 0;
  int REC_BEGIN_DATEHR = 0, REC_BEGIN_SEC = 0, REC_END_DATEHR = 0, REC_END_SEC = 0;
  int line_no = 0;  // lines the time-series header call has read in this pass (for its messages)
};

// Step results of the flare step (module MOD_COMBUSTION).
struct FLARE_RESULT {
  double E_SO2FULL = 0, E_SO2CCE = 0, E_H2SRAW = 0, SO2TPD = 0, FM = 0, FB = 0, EXTEMP = 0, QEMIT = 0,
         HS_X = 0, UE_X = 0, DE_X = 0, DEN_MIX = 0, RHOA = 0, XL = 0, ZL = 0, FA = 0, UU = 0, UV = 0,
         PLANGLE = 0;
  int ISFLAMMABLE = 0;
};

// Pseudo-stack fluxes and plume-rise state of CALCDELH.
struct MOD_ISCCALCS {
  double FBISC = 0, FMISC = 0, SQRTS = 0, XMAX = 0, XF = 0;
  bool UNSTAB = false, NEUTRL = false, STABLE = false;
};

// The meteorology that the previous step of a pass used (after replacing what
// was missing), which replaces a missing hour or a missing wind direction, and
// the count of replaced hours. A pass starts from a calm, neutral hour at
// 288.15 K, wind from 0 degrees measured at 10 m.
struct MissingMet {
  double WS = 0, WD = 0, TAMBH = 288.15, ANEM_HT = 10;
  int IPG = 4;
  int count = 0;        // hours of the pass whose meteorology was replaced
  int last_datehr = 0;  // the last hour counted
};

// Step state of the time loops.
struct MOD_FILE1 {
  MIX MIXSPARE{}, MIXN{};
  io::Array1<double, MAXSPEC> Q{};
  io::Array1<double, 5> ZPTS{}, XPTS{};  // plume centre line (PLUMEPTS)
  double TFINAL = 0, WS = 0, WD = 0, WS0 = 0, TAMB0 = 0, QMAX0 = 0;
  int ISECDUR = 0, IDATECUR = 0, IDATESEQ = 0, IPG = 0, IPG0 = 0;
  // Values of the loop and of the current step.
  int ILOOP = 0, ISEC = 0;
  double QMAX1 = 0, FGRI = 0, FGR1 = 0, QVOL = 0, TINIT = 0;
  MissingMet missing;
};

// Hourly store and virtual sources of the AERMOD path. The hourly arrays hold
// no hour until the AERMOD loop sizes them to its period (reserve_hours), so a
// run on the CALPUFF path carries none of them; the groups are fixed.
struct MOD_VIRTUALSOURCES {
  io::Vec1<int> INDX;
  io::Vec1<double> VRISE, VDEX, VHSX, VX, VY, VE, VUSX, VTSX;
  io::Vec1<int> IVS;
  io::Vec1<double> VFM, VFB, VTA, VUA;
  io::Vec1<int> VDATE, VSEC;
  io::Array1<double, MAXGROUPS> VSTS{}, VSUS{}, VSHS{}, VSDS{}, VSX{}, VSY{};
  io::Array1<int, MAXGROUPS> IVSNS{};
  int NVS = 0;

  // The hours the hourly arrays hold.
  int hours() const { return INDX.size(); }
  // Sizes the hourly arrays for n hours (at most MAXHOURS), keeping the hours
  // already stored; never shrinks them.
  void reserve_hours(int n) {
    if (n > MAXHOURS) throw std::length_error("more than 44000 hours in the hourly store");
    if (n <= hours()) return;
    for (io::Vec1<int>* a : {&INDX, &IVS, &VDATE, &VSEC}) a->resize(n);
    for (io::Vec1<double>* a : {&VRISE, &VDEX, &VHSX, &VX, &VY, &VE, &VUSX, &VTSX, &VFM, &VFB, &VTA, &VUA})
      a->resize(n);
  }
};

// A value of the control file that the run cannot take as it stands: a
// numeric value that is not empty and does not convert (for a list or a table
// row: one of its non-empty items does not), or a text (a file name, a title,
// a species name) longer than the field that holds it, which would be cut.
struct BadValue {
  enum Kind { Real, Whole, List, Row, TooLong };
  std::string key;
  Kind kind = Real;
  int row = 0;        // the row of a table keyword (SEQ), the item of a list of texts (CHEMLST), from 1; else 0
  int limit = 0;      // TooLong: the length of the field
  std::string value;  // the value (the whole list, the whole row, the list item) as read, trailing blanks cut
};
// In the order of the lookups; a keyword (a table row, a list item) looked up
// again is not added a second time.
using BadValues = std::vector<BadValue>;

// What the control-file reader found wrong in the file itself, for the list
// file: values that are not numbers and texts too long for their field, in
// the order of the lookups, and the keys of keyword lines that name no
// keyword, in the order of the lines; and the keywords it looked up. Beside
// them what the input checks need to know of the file beyond the values it
// set: how many keyword lines carry SEQ (read or not), and whether the
// fuel-gas and lift-gas compositions were looked up (FUEL_ and LIFT_ keywords).
struct ControlFindings {
  BadValues bad_values;
  std::vector<std::string> unknown_keys;
  // The keywords that the reader looked up for this file's switches, in the
  // order of the lookups (a keyword looked up twice stands twice).
  std::vector<std::string> looked_up;
  int seq_lines = 0;
  bool fuel_read = false, lift_read = false;
};

// The whole state of one run. Routines take what they need by reference.
struct Run {
  MOD_READINP inp;
  ControlFindings findings;
  MOD_PROGVER ver;
  STDCONST stdc;
  SpeciesTable prop;
  MOD_MET met;
  MetStore metstore;  // the meteorological file, read once for all passes
  MOD_FILE1 file1;
  FLARE_RESULT comb;
  MOD_ISCCALCS isc;
  MOD_VIRTUALSOURCES vs;
  run::GasCache gas;  // what the flare step formed from compositions alone
  run::PuffCache puffs;  // the vessel blowdowns and puff tables formed last
  io::Units units;

  Run() = default;
  Run(std::ostream& out, std::ostream& err) : units(out, err) {}
};

}  // namespace quelmar::run

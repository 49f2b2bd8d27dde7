#include "input/readinp.hpp"

#include <array>
#include <string>
#include <string_view>

#include "input/token.hpp"
#include "common/utils.hpp"
#include "io/stop.hpp"

namespace quelmar::input {

using run::MAXPUFFS;
using run::MAXSPEC;
using run::MOD_READINP;
using run::BadValues;
using run::Run;

namespace {

constexpr std::array<const char*, COMPOSITION_KEYS> kSuffix = {"H2O", "H2",  "HE",  "N2",  "CO2", "H2S", "C1",
                                                                "C2",  "C3",  "IC4", "NC4", "IC5", "NC5", "NC6",
                                                                "C7",  "CO",  "NH3", "AR",  "O2"};

// Every keyword that the reader below can look up, whatever the switches, in
// reading order; the composition keywords ("RAW_", "FUEL_" or "LIFT_" and a
// species suffix) are matched through kSuffix.
constexpr std::array<std::string_view, 102> kKeywords = {
    "STITLE1",       "SNAME",        "OUTNAME",       "OUTPATH",      "METDAT",     "LSTDAT",    "LOGDAT",
    "LCFILES",       "MDSPMOD",      "MINPUT",        "MBLOWDOWN",    "MDIST",      "MSTRIP",    "MMET",
    "MFGR",          "MTGAS",        "MDEBUG",        "NSEP",         "NSOURCES",   "MFLAMEOUT", "MDLIFT",
    "MDFUEL",        "METDAT2",      "RECINC",        "MSCREENING",   "MNONSEQ",    "MSCREEN",   "UTMHEM",
    "IUTMZN",        "PMAP",         "DATUM",         "ABTZ",         "NSPEC",      "CHEMLST",   "MW",
    "EMIT",          "ODOURPPB",     "YYS",           "MMS",          "DDS",        "HHS",       "SSS",
    "YYE",           "MME",          "DDE",           "HHE",          "SSE",        "TIMEINC",   "XCOORD",
    "YCOORD",        "ZCOORD",       "HS",            "DF",           "DS",         "RH2S",      "TGINIT",
    "DLIFT",         "DFUEL",        "QMAX",          "TEMPINIT",     "DURATION",   "PUFFDUR",   "PRESSINIT",
    "PRESSFINAL",    "VESSELDIA",    "VESSELLEN",     "ORIFICEDIA",   "DISCHARGECOEF", "NPUFFS", "QTOTAL",
    "FREL",          "PRATIO",       "TDEP",          "NSEQ",         "SEQ",        "PSHS",      "PSDS",
    "PSTS",          "PSUS",         "MFUELGAS",      "FGR",          "MLIFTGAS",   "QLIFTGAS",  "QFUELGAS",
    "MFASSIST",      "MFASSISTSTEAM", "MFASSISTAIR",  "MFASSISTHPFUEL", "STM_IMASSVOL", "STM_PRESS", "STM_TEMP",
    "STM_FLOW",      "RAIRSTEAM",    "AIR_FLOW",      "RAIRAIR",      "HPFUEL_FLOW", "RAIRFUEL", "WINDSP",
    "WINDDR",        "TAMB",         "PGCLASS",       "ZREF"};
constexpr std::array<std::string_view, 3> kCompositionPrefix = {"RAW_", "FUEL_", "LIFT_"};

// A run beyond the capacity of a table is refused before anything is read into it.
[[noreturn]] void refuse_capacity(io::Units& u, const char* key, int value, int limit) {
  for (int unit : {io::CONSOLE, io::ERR})
    u.free(unit, {std::string("***FATAL ERROR*** ") + key + " is above its limit of " + std::to_string(limit) + ": " +
                      key + "=",
                  value});
  throw io::Stop{};
}

[[noreturn]] void missing_required(io::Units& u, const char* message) {
  for (int unit : {io::CONSOLE, io::ERR}) u.free(unit, {message});
  throw io::Stop{};
}

}  // namespace

int IRDCONTROL(Run& run, int iunit, std::string_view fin) {
  io::Units& u = run.units;
  MOD_READINP& in = run.inp;
  if (!u.open_read(iunit, fin)) return 1;

  // The first record: a word and an integer, read and not used. Whatever they
  // are (a keyword line, two words, nothing), the lookups below read the first
  // line like any other.
  {
    io::Text<16> word;
    int number = 0;
    u.read_free(iunit, {io::Target::of(word.span()), io::Target::of(number)});
  }

  // Values that are not numbers and texts too long for their field are
  // remembered for the input checks, in the order of the lookups.
  BadValues* bad = &run.findings.bad_values;
  bad->clear();
  run.findings.seq_lines = 0;
  // Every lookup names its keyword through `ask`, which keeps the keywords
  // that this file's switches make the reader look up.
  std::vector<std::string>& looked_up = run.findings.looked_up;
  looked_up.clear();
  auto ask = [&](const std::string& key) -> const std::string& { return looked_up.emplace_back(key); };
  auto A = [&](const char* key, std::span<char> v) { return IRDPARAM_A(u, iunit, ask(key), v, bad); };
  auto I = [&](const char* key, int& v) { return IRDPARAM_I(u, iunit, ask(key), v, bad); };
  auto R = [&](const std::string& key, double& v) { return IRDPARAM_R(u, iunit, ask(key), v, bad); };

  A("STITLE1", in.STITLE.span());                                       // 1
  A("SNAME", in.SNAME.span());                                           // 2
  A("OUTNAME", in.OUTNAME.span());
  A("OUTPATH", in.OUTPATH.span());
  A("METDAT", in.METDAT.span());
  A("LSTDAT", in.LSTDAT.span());
  A("LOGDAT", in.LOGDAT.span());
  {                                                                      // 3
    // A truth value: only its first character counts, so a long value loses nothing.
    io::Text<128> work;
    in.LCFILES = false;
    if (IRDPARAM_A(u, iunit, ask("LCFILES"), work.span())) in.LCFILES = work(1) == 't' || work(1) == 'T';
  }
  I("MDSPMOD", in.MDSPMOD);                                              // 4
  I("MINPUT", in.MINPUT);
  I("MBLOWDOWN", in.MBLOWDOWN);
  I("MDIST", in.MDIST);
  I("MSTRIP", in.MSTRIP);
  I("MMET", in.MMET);
  I("MFGR", in.MFGR);
  I("MTGAS", in.MTGAS);
  I("MDEBUG", in.MDEBUG);
  I("NSEP", in.NSEP);
  I("NSOURCES", in.NSOURCES);
  I("MFLAMEOUT", in.MFLAMEOUT);
  I("MDLIFT", in.MDLIFT);
  I("MDFUEL", in.MDFUEL);
  if (in.MMET == 2) {                                                    // 5, 6
    A("METDAT2", in.METDAT2.span());
    A("RECINC", in.RECINC.span());
    I("MSCREENING", in.MSCREENING);
    I("MNONSEQ", in.MNONSEQ);
    I("MSCREEN", in.MSCREEN);
  }
  A("UTMHEM", in.UTMHEM.span());                                         // 7
  I("IUTMZN", in.IUTMZN);                                                // 8
  A("PMAP", in.PMAP.span());                                             // 9
  A("DATUM", in.DATUM.span());
  A("ABTZ", in.ABTZ.span());
  I("NSPEC", in.NSPEC);                                                  // 10
  if (in.NSPEC > MAXSPEC) refuse_capacity(u, "NSPEC", in.NSPEC, MAXSPEC);
  IRDPARAM_AV<8>(u, iunit, ask("CHEMLST"), in.NSPEC, std::span<io::Text<8>>(in.CHEMLST.v), bad);  // 11
  IRDPARAM_RV(u, iunit, ask("MW"), in.NSPEC, std::span<double>(in.MMLST.v), bad);              // 12
  IRDPARAM_RV(u, iunit, ask("EMIT"), in.NSPEC, std::span<double>(in.QLST.v), bad);             // 13
  R("ODOURPPB", in.ODOURPPB);                                            // 14
  I("YYS", in.YYS);                                                      // 15
  I("MMS", in.MMS);
  I("DDS", in.DDS);
  I("HHS", in.HHS);
  I("SSS", in.SSS);
  I("YYE", in.YYE);
  I("MME", in.MME);
  I("DDE", in.DDE);
  I("HHE", in.HHE);
  I("SSE", in.SSE);
  I("TIMEINC", in.TIMEINC);
  R("XCOORD", in.XCOORD);                                                // 16
  R("YCOORD", in.YCOORD);
  R("ZCOORD", in.ZCOORD);
  R("HS", in.HS);
  R("DF", in.DF);
  R("DS", in.DS);
  R("RH2S", in.RH2S);
  R("TGINIT", in.TGINIT);
  if (in.MDLIFT == 1 && !R("DLIFT", in.DLIFT))                           // 17
    missing_required(u, "***FATAL ERROR*** Missing DLIFT with MDLIFT=1");
  if (in.MDFUEL == 1 && !R("DFUEL", in.DFUEL))                           // 18
    missing_required(u, "***FATAL ERROR*** Missing DFUEL with MDFUEL=1");

  if (in.MINPUT == 1) {
    switch (in.MBLOWDOWN) {
      case 0:                                                            // 19
        R("QMAX", in.QMAX);
        R("TEMPINIT", in.TEMPINIT);
        R("DURATION", in.DURATION);
        I("PUFFDUR", in.PUFFDUR);
        in.NPUFFS = 1;
        break;
      case 1:                                                            // 20
        R("QMAX", in.QMAX);
        R("PRESSINIT", in.PRESSINIT);
        R("TEMPINIT", in.TEMPINIT);
        R("PRESSFINAL", in.PRESSFINAL);
        R("VESSELDIA", in.VESSELDIA);
        R("VESSELLEN", in.VESSELLEN);
        R("ORIFICEDIA", in.ORIFICEDIA);
        R("DISCHARGECOEF", in.DISCHARGECOEF);
        I("PUFFDUR", in.PUFFDUR);
        I("NPUFFS", in.NPUFFS);
        break;
      case 2:                                                            // 21
        R("QMAX", in.QMAX);
        R("QTOTAL", in.QTOTAL);
        R("FREL", in.FREL);
        R("TEMPINIT", in.TEMPINIT);
        R("DURATION", in.DURATION);
        I("PUFFDUR", in.PUFFDUR);
        I("NPUFFS", in.NPUFFS);
        break;
      case 3:
      case 4:                                                            // 22
        R("QMAX", in.QMAX);
        R("FREL", in.FREL);
        R("TEMPINIT", in.TEMPINIT);
        R("DURATION", in.DURATION);
        I("PUFFDUR", in.PUFFDUR);
        I("NPUFFS", in.NPUFFS);
        R("PRATIO", in.PRATIO);
        R("TDEP", in.TDEP);
        break;
      default:
        break;
    }
  }
  if (in.MINPUT == 2) {                                                  // 23, 24
    I("NSEQ", in.NSEQ);
    if (in.NSEQ > MAXPUFFS) refuse_capacity(u, "NSEQ", in.NSEQ, MAXPUFFS);
    IRDPARAM_RV2(u, iunit, ask("SEQ"), in.NSEQ, 4, in.PSEQ, MAXPUFFS, 4, bad);
    in.NPUFFS = in.NSEQ;
    // The rows take the first NSEQ lines, or none when there are fewer: the
    // checks compare the two counts.
    run.findings.seq_lines = count_keyword_lines(u, iunit, "SEQ");
  }
  if (in.MINPUT == 3) {                                                  // 25
    in.NPUFFS = 1;
    in.PUFFDUR = 3600;
    R("PSHS", in.PSHS);
    R("PSDS", in.PSDS);
    R("PSTS", in.PSTS);
    R("PSUS", in.PSUS);
    in.QPS = in.QLST(1);
  }
  I("MFUELGAS", in.MFUELGAS);                                            // 26
  if (in.MFUELGAS != 0) R("FGR", in.FGR); else in.FGR = 0;               // 27
  I("MLIFTGAS", in.MLIFTGAS);                                            // 28
  if (in.MLIFTGAS != 0) R("QLIFTGAS", in.QLIFTGAS); else in.QLIFTGAS = 0;  // 29
  if (in.MFGR == 1 && !R("QMAX", in.QMAX))                               // 30
    missing_required(u, "***FATAL ERROR*** Missing QMAX with MFGR=1");
  if (in.MFGR == 3) {                                                    // 31
    double qfuelgas = 0;
    if (!R("QFUELGAS", qfuelgas)) missing_required(u, "***FATAL ERROR*** Missing QFUELGAS with MFGR=3");
  }
  I("MFASSIST", in.MFASSIST);                                            // 32
  I("MFASSISTSTEAM", in.MFASSISTSTEAM);
  I("MFASSISTAIR", in.MFASSISTAIR);
  I("MFASSISTHPFUEL", in.MFASSISTHPFUEL);
  in.STM_PRESS = -1.0;
  in.STM_TEMP = -1.0;
  in.STM_FLOW = 0;
  in.STM_IMASSVOL = 0;
  in.AIR_FLOW = 0;
  in.HPFUEL_FLOW = 0;
  if (in.MFASSIST == 1 && in.MFASSISTSTEAM == 1) {                       // 33
    I("STM_IMASSVOL", in.STM_IMASSVOL);
    R("STM_PRESS", in.STM_PRESS);
    R("STM_TEMP", in.STM_TEMP);
    R("STM_FLOW", in.STM_FLOW);
    R("RAIRSTEAM", in.RAIRSTEAM);
  }
  if (in.MFASSIST == 1 && in.MFASSISTAIR == 1) {                         // 34
    R("AIR_FLOW", in.AIR_FLOW);
    R("RAIRAIR", in.RAIRAIR);
  }
  if (in.MFASSIST == 1 && in.MFASSISTHPFUEL == 1) {                      // 35
    R("HPFUEL_FLOW", in.HPFUEL_FLOW);
    R("RAIRFUEL", in.RAIRFUEL);
  }
  // A composition: the prefix and each species suffix, species by species.
  auto composition = [&](const char* prefix, run::MIX& mix) {
    for (int i = 1; i <= COMPOSITION_KEYS; ++i) R(std::string(prefix) + species_suffix(i), mix(i));
  };
  composition("RAW_", in.RAW);                                           // 36
  // The checks look at the fractions of the gases that were looked up.
  run.findings.fuel_read = in.MFUELGAS != 0;
  run.findings.lift_read = in.MLIFTGAS != 0;
  if (in.MFUELGAS != 0) {                                                // 37
    composition("FUEL_", in.FUEL);
  } else {
    common::INITIALIZE(in.FUEL, 0.0);
  }
  if (in.MLIFTGAS != 0) {                                                // 38
    composition("LIFT_", in.LIFT);
  } else {
    common::INITIALIZE(in.LIFT, 0.0);
  }
  if (in.MMET == 3) {                                                    // 39
    R("WINDSP", in.WINDSP);
    R("WINDDR", in.WINDDR);
    R("TAMB", in.TAMB);
    I("PGCLASS", in.PGCLASS);
    R("ZREF", in.ZREF);
  } else {
    in.WINDSP = 0;
    in.WINDDR = 0;
    in.TAMB = 0;
    in.PGCLASS = 0;
    in.ZREF = 10.0;
  }

  // Keys that no lookup reads: most likely a slip of the pen, which would
  // otherwise leave a value at zero without a word.
  run.findings.unknown_keys.clear();
  for (std::string& key : keyword_line_keys(u, iunit))
    if (!is_control_keyword(key)) run.findings.unknown_keys.push_back(std::move(key));
  u.close(iunit);
  return 0;
}

std::vector<std::string> control_keywords() {
  std::vector<std::string> keys(kKeywords.begin(), kKeywords.end());
  for (std::string_view prefix : kCompositionPrefix)
    for (const char* suffix : kSuffix) keys.push_back(std::string(prefix) + suffix);
  return keys;
}

bool is_control_keyword(std::string_view key) {
  for (std::string_view k : kKeywords)
    if (io::LEQ(key, k)) return true;
  for (std::string_view prefix : kCompositionPrefix) {
    if (key.substr(0, prefix.size()) != prefix) continue;
    for (const char* suffix : kSuffix)
      if (io::LEQ(key.substr(prefix.size()), suffix)) return true;
  }
  return false;
}

const char* species_suffix(int i) { return kSuffix.at(static_cast<std::size_t>(i - 1)); }

}  // namespace quelmar::input

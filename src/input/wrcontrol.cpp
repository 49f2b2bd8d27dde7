#include "input/wrcontrol.hpp"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "input/readinp.hpp"

namespace quelmar::input {

using run::MAXPUFFS;
using run::MAXSPEC;
using run::MOD_READINP;
using run::Run;

namespace {

constexpr char CON = '!';   // a line that belongs to the configured release and options
constexpr char COFF = '*';  // a line that does not: no "!", so a reader takes it for a comment

// Column of each source type in the table of source-term lines.
enum SourceColumn { Steady, Vessel, DecayTotal, DecayPressure, OtherRelease, Sequence, PointSource, NoSource };

SourceColumn source_column(const MOD_READINP& in) {
  if (in.MINPUT == 2) return Sequence;
  if (in.MINPUT == 3) return PointSource;
  if (in.MINPUT != 1) return NoSource;
  switch (in.MBLOWDOWN) {
    case 0: return Steady;
    case 1: return Vessel;
    case 2: return DecayTotal;
    case 3:
    case 4: return DecayPressure;
    default: return OtherRelease;
  }
}

// A label padded with blanks so that its "=" stands in column `eq`.
std::string padded_label(const std::string& head, std::size_t eq) {
  std::string s = head;
  if (s.size() + 1 < eq) s.append(eq - 1 - s.size(), ' ');
  s += '=';
  return s;
}

}  // namespace

int IWRCONTROL(Run& run, int lst) {
  static const io::Layout L_TEXT("(A,A,A)");
  static const io::Layout L_INT("(A,I12,A)");
  static const io::Layout L_REAL("(A,F25.16,A)");
  static const io::Layout L_MARK_INT("(A,A,I12,A)");
  static const io::Layout L_MARK_REAL("(A,A,F25.16,A)");
  static const io::Layout L_FRAC("(A,F6.4,A)");
  static const io::Layout L_MARK_FRAC("(A,A,F6.4,A)");
  static const io::Layout L_NAMES("(A,10(A,A))");
  static const io::Layout L_REALS("(A,10(F25.16,A))");
  static const io::Layout L_ROW("(I12,A,4F25.16,A)");
  static const io::Layout L_LINE("(A)");

  io::Units& u = run.units;
  const MOD_READINP& in = run.inp;

  auto text = [&](const char* label, std::string_view value) { u.fixed(lst, L_TEXT, {label, value, "!"}); };
  auto integer = [&](const char* label, int value) { u.fixed(lst, L_INT, {label, value, "!"}); };
  auto real = [&](const char* label, double value) { u.fixed(lst, L_REAL, {label, value, "!"}); };
  // Switch-marked lines: the mark before the label and after the value.
  auto mark_of = [](bool active) { return std::string(1, active ? CON : COFF); };
  auto marked_int = [&](bool active, const char* label, int value) {
    const std::string m = mark_of(active);
    u.fixed(lst, L_MARK_INT, {m, label, value, m});
  };
  auto marked_real = [&](bool active, const char* label, double value) {
    const std::string m = mark_of(active);
    u.fixed(lst, L_MARK_REAL, {m, label, value, m});
  };

  // Section 1: texts.
  text("! STITLE1 =", in.STITLE.trimmed());
  text("! SNAME   =", in.SNAME.trimmed());
  text("! OUTNAME=", in.OUTNAME.trimmed());
  text("! OUTPATH=", in.OUTPATH.trimmed());
  text("! METDAT=", in.METDAT.trimmed());
  text("! METDAT2=", in.METDAT2.trimmed());
  text("! RECINC=", in.RECINC.trimmed());
  text("! LSTDAT=", in.LSTDAT.trimmed());
  text("! LOGDAT=", in.LOGDAT.trimmed());

  // Section 2: case of the file names.
  u.fixed(lst, L_LINE, {in.LCFILES ? "! LCFILES= T !" : "! LCFILES= F !"});

  // Section 3: switches.
  integer("! MDSPMOD   =", in.MDSPMOD);
  integer("! MINPUT    =", in.MINPUT);
  integer("! MBLOWDOWN =", in.MBLOWDOWN);
  integer("! MDIST     =", in.MDIST);
  integer("! MSTRIP    =", in.MSTRIP);
  integer("! MMET      =", in.MMET);
  integer("! MFUELGAS  =", in.MFUELGAS);
  integer("! MFGR      =", in.MFGR);
  integer("! MLIFTGAS  =", in.MLIFTGAS);
  integer("! MFASSIST  =", in.MFASSIST);
  integer("! MFASSISTSTEAM  =", in.MFASSISTSTEAM);
  integer("! MFASSISTAIR    =", in.MFASSISTAIR);
  integer("! MFASSISTHPFUEL =", in.MFASSISTHPFUEL);
  integer("! MTGAS          =", in.MTGAS);
  integer("! MSCREENING     =", in.MSCREENING);
  integer("! MDEBUG    =", in.MDEBUG);
  integer("! NSEP      =", in.NSEP);
  integer("! NSOURCES  =", in.NSOURCES);
  integer("! MNONSEQ   =", in.MNONSEQ);
  integer("! MSCREEN   =", in.MSCREEN);
  integer("! MFLAMEOUT =", in.MFLAMEOUT);

  // Section 4: map.
  integer("! IUTMZN  =", in.IUTMZN);
  text("! UTMHEM  =", in.UTMHEM.trimmed());
  text("! PMAP    =", in.PMAP.trimmed());
  text("! DATUM   =", in.DATUM.trimmed());
  text("! ABTZ    =", in.ABTZ.trimmed());

  // Section 5: species of the CALPUFF flare file. The lists hold MAXSPEC
  // entries; a count of none or fewer writes each list line as an empty value
  // (its label and the closing mark).
  integer("! NSPEC   =", in.NSPEC);
  const int nspec = std::min(in.NSPEC, MAXSPEC);
  if (nspec < 1) {
    text("! CHEMLST =", "");
    text("! MW =", "");
    text("! EMIT =", "");
  } else {
    std::vector<io::Item> names{"! CHEMLST ="}, masses{"! MW ="}, rates{"! EMIT ="};
    std::vector<std::string> short_names(static_cast<std::size_t>(nspec));
    for (int i = 1; i <= nspec; ++i) {
      const char* sep = i == nspec ? "!" : ",";
      // The first three characters as stored (an item read with a leading
      // blank keeps that blank); the NUL filling of a shorter name is written
      // as blanks, so that the list file holds only text.
      std::string& name = short_names[static_cast<std::size_t>(i - 1)];
      name = in.CHEMLST(i).view().substr(0, 3);
      for (char& ch : name)
        if (ch == '\0') ch = ' ';
      names.emplace_back(name);
      names.emplace_back(sep);
      masses.emplace_back(in.MMLST(i));
      masses.emplace_back(sep);
      rates.emplace_back(in.QLST(i));
      rates.emplace_back(sep);
    }
    u.fixed(lst, L_NAMES, names);
    u.fixed(lst, L_REALS, masses);
    u.fixed(lst, L_REALS, rates);
  }

  // Section 6: period.
  integer("! YYS     =", in.YYS);
  integer("! MMS     =", in.MMS);
  integer("! DDS     =", in.DDS);
  integer("! HHS     =", in.HHS);
  integer("! SSS     =", in.SSS);
  integer("! YYE     =", in.YYE);
  integer("! MME     =", in.MME);
  integer("! DDE     =", in.DDE);
  integer("! HHE     =", in.HHE);
  integer("! SSE     =", in.SSE);
  integer("! TIMEINC =", in.TIMEINC);

  // Section 7: stack and gas temperature.
  real("! XCOORD  =", in.XCOORD);
  real("! YCOORD  =", in.YCOORD);
  real("! ZCOORD  =", in.ZCOORD);
  real("! HS      =", in.HS);
  real("! DF      =", in.DF);
  real("! DS      =", in.DS);
  real("! RH2S    =", in.RH2S);
  real("! TGINIT  =", in.TGINIT);

  // Section 8: source term. Each row carries its mark for every source type:
  // '!' active, '*' inactive, '-' no line; columns in the order of SourceColumn.
  const SourceColumn col = source_column(in);
  if (col != NoSource) {
    const bool decay_p = col == DecayPressure;
    struct Row {
      const char* label;
      const char* marks;  // Steady Vessel DecayTotal DecayPressure Other Sequence Point
      bool is_int;
      double real;
      int integer;
    };
    const Row rows[] = {
        {" QMAX        =", "!*!!-**", false, in.QMAX, 0},
        {" QTOTAL      =", "**!!-**", false, in.QTOTAL, 0},
        {" FREL        =", "**!!-**", false, in.FREL, 0},
        {" PRESSINIT     =", "*!**-**", false, in.PRESSINIT, 0},
        {" TEMPINIT      =", "*!**-**", false, in.TEMPINIT, 0},
        {" PRESSFINAL    =", "*!**-**", false, in.PRESSFINAL, 0},
        {" VESSELDIA     =", "*!**-**", false, in.VESSELDIA, 0},
        {" VESSELLEN     =", "*!**-**", false, in.VESSELLEN, 0},
        {" ORIFICEDIA    =", "*!**-**", false, in.ORIFICEDIA, 0},
        {" DISCHARGECOEF =", "*!**-**", false, in.DISCHARGECOEF, 0},
        {decay_p ? " NPUFFS       =" : " NPUFFS      =", "!!!!-**", true, 0, in.NPUFFS},
        {decay_p ? " PUFFDUR      =" : " PUFFDUR     =", "!!!!-**", true, 0, in.PUFFDUR},
        {" DURATION    =", "!!!--**", false, in.DURATION, 0},
        {" PRATIO       =", "***!-**", false, in.PRATIO, 0},
        {" TDEP         =", "***!-**", false, in.TDEP, 0},
        {" PSHS      =", "******!", false, in.PSHS, 0},
        {" PSDS      =", "******!", false, in.PSDS, 0},
        {" PSTS      =", "******!", false, in.PSTS, 0},
        {" PSUS      =", "******!", false, in.PSUS, 0},
        {" NSEQ     =", "*****!*", true, 0, in.NSEQ},
    };
    for (const Row& r : rows) {
      const char mark = r.marks[col];
      if (mark == '-') continue;
      const std::string m(1, mark);
      const std::string label = m + r.label;
      if (r.is_int)
        u.fixed(lst, L_INT, {label, r.integer, m});
      else
        u.fixed(lst, L_REAL, {label, r.real, m});
    }
    if (col == Sequence) {
      const int nseq = std::min(in.NSEQ, MAXPUFFS);
      for (int i = 1; i <= nseq; ++i)
        u.fixed(lst, L_ROW, {i, "!=", in.PSEQ(i, 1), in.PSEQ(i, 2), in.PSEQ(i, 3), in.PSEQ(i, 4), "!"});
    }
  }

  // Section 9: fuel gas and lift gas.
  {
    const std::string m = mark_of(in.MFUELGAS == 1);
    u.fixed(lst, L_REAL, {m + " FGR         =", in.FGR, m});
  }
  {
    const std::string m = mark_of(in.MLIFTGAS == 1);
    u.fixed(lst, L_REAL, {m + " QLIFTGAS    =", in.QLIFTGAS, m});
  }

  // Section 10: assist streams, each line marked by its own switch.
  const bool steam = in.MFASSISTSTEAM == 1, air = in.MFASSISTAIR == 1, hpfuel = in.MFASSISTHPFUEL == 1;
  marked_int(steam, " STM_IMASSVOL=", in.STM_IMASSVOL);
  marked_real(steam, " STM_PRESS   =", in.STM_PRESS);
  marked_real(steam, " STM_TEMP    =", in.STM_TEMP);
  marked_real(steam, " STM_FLOW    =", in.STM_FLOW);
  marked_real(air, " AIR_FLOW    =", in.AIR_FLOW);
  marked_real(hpfuel, " HPFUEL_FLOW    =", in.HPFUEL_FLOW);
  marked_real(air, " RAIRAIR    =", in.RAIRAIR);
  marked_real(steam, " RAIRSTEAM  =", in.RAIRSTEAM);
  marked_real(hpfuel, " RAIRFUEL   =", in.RAIRFUEL);

  // Section 11: compositions of the raw, fuel and lift gases; with its mark in
  // front, the "=" of every line stands in column 15.
  for (int i = 1; i <= 19; ++i)
    u.fixed(lst, L_FRAC, {padded_label(std::string("! RAW_") + species_suffix(i), 15), in.RAW(i), "!"});
  {
    const std::string m = mark_of(in.MFUELGAS == 1);
    for (int i = 1; i <= 19; ++i)
      u.fixed(lst, L_MARK_FRAC, {m, padded_label(std::string(" FUEL_") + species_suffix(i), 14), in.FUEL(i), m});
  }
  {
    const std::string m = mark_of(in.MLIFTGAS == 1);
    for (int i = 1; i <= 19; ++i)
      u.fixed(lst, L_MARK_FRAC, {m, padded_label(std::string(" LIFT_") + species_suffix(i), 14), in.LIFT(i), m});
  }

  // Section 12: fixed meteorology.
  const bool fixed_met = in.MMET == 3;
  marked_real(fixed_met, " WINDSP  =", in.WINDSP);
  marked_real(fixed_met, " WINDDR  =", in.WINDDR);
  marked_real(fixed_met, " TAMB    =", in.TAMB);
  marked_int(fixed_met, " PGCLASS =", in.PGCLASS);
  marked_real(fixed_met, " ZREF    =", in.ZREF);

  // Section 13: closing records.
  u.free(lst, {" ---------------------------------"});
  u.free(lst, {"end of input file"});
  u.free(lst, {});
  u.free(lst, {});
  return 0;
}

void write_unknown_keywords(Run& run, int lst) {
  for (const std::string& key : run.findings.unknown_keys)
    run.units.free(lst, {"WARNING: unknown keyword in the control file: " + key});
}

}  // namespace quelmar::input

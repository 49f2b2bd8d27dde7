#include "input/chkinput.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "common/constants.hpp"
#include "input/datum_codes.hpp"
#include "input/readinp.hpp"

namespace quelmar::input {

using run::MOD_READINP;
using run::BadValue;
using run::Run;

namespace {

// A zone text that a CALPUFF flare file can carry: UTC, a sign and a whole
// number of hours, "UTC+hh00" or "UTC-hh00".
bool whole_hour_zone(std::string_view z) {
  if (z.size() != 8 || z.substr(0, 3) != "UTC" || (z[3] != '+' && z[3] != '-')) return false;
  for (std::size_t i = 4; i < 8; ++i)
    if (z[i] < '0' || z[i] > '9') return false;
  return z.substr(6, 2) == "00";
}

// The compositions that a flare run reads: the raw gas always, the fuel gas
// and the lift gas when their keywords were looked up.
struct Composition {
  const char* name;  // RAW, FUEL, LIFT: the keyword prefix without its underscore
  const run::MIX* mix;
};

std::vector<Composition> read_compositions(const Run& run) {
  std::vector<Composition> c{{"RAW", &run.inp.RAW}};
  if (run.findings.fuel_read) c.push_back({"FUEL", &run.inp.FUEL});
  if (run.findings.lift_read) c.push_back({"LIFT", &run.inp.LIFT});
  return c;
}

bool is_fraction(double x) { return x >= 0 && x <= 1; }

// A file that AERMOD, started in this folder, opens under the name that its
// control file holds.
bool present_here(std::string_view name) {
  std::error_code ec;
  const std::filesystem::path p{std::string(name)};
  return std::filesystem::exists(p, ec) && !std::filesystem::is_directory(p, ec);
}

// The flare's own inputs, before any file: what the control file gives that
// no flare has (fractions outside 0 to 1, a step table that does not match
// NSEQ, a UTM position outside its zone), the files an AERMOD run names, and
// the values that are most likely a slip. One record for each finding; the
// errors are counted, the warnings are not.
int check_flare_inputs(Run& run, int lst) {
  io::Units& u = run.units;
  const MOD_READINP& in = run.inp;
  int nerr = 0;
  auto error = [&](std::initializer_list<io::Item> items) {
    u.free(lst, items);
    ++nerr;
  };
  const bool flare = in.MINPUT == 1 || in.MINPUT == 2;
  const bool model = in.MDSPMOD == 1 || in.MDSPMOD == 2;

  // Mole fractions: a percentage or a typing error would scale every rate.
  if (flare) {
    for (const Composition& c : read_compositions(run))
      for (int i = 1; i <= COMPOSITION_KEYS; ++i) {
        const double x = (*c.mix)(i);
        if (is_fraction(x)) continue;
        const std::string key = std::string(c.name) + "_" + species_suffix(i);
        error({"FATAL ERROR: " + key + " must be a mole fraction from 0 to 1, " + key + "=", x});
      }
    if (!(in.RH2S <= 1)) error({"FATAL ERROR: RH2S must be a mole fraction of 1 or less, RH2S=", in.RH2S});
  }
  if (in.MINPUT == 2) {
    const int rows = std::min(in.NSEQ, run::MAXPUFFS);
    for (int r = 1; r <= rows; ++r) {
      const double h2s = in.PSEQ(r, 3);
      if (h2s <= 1) continue;
      error({"FATAL ERROR: SEQ row " + std::to_string(r) +
                 ": the H2S fraction must be from 0 to 1, or negative for the run's RH2S, H2S=",
             h2s});
    }
  }

  // Sums: a composition that is not whole (a species left out, a slip of a
  // digit) is still burnt as given.
  if (flare) {
    for (const Composition& c : read_compositions(run)) {
      double sum = 0;
      bool fractions = true;
      for (int i = 1; i <= COMPOSITION_KEYS; ++i) {
        fractions = fractions && is_fraction((*c.mix)(i));
        sum += (*c.mix)(i);
      }
      if (fractions && std::fabs(sum - 1) > 0.01)
        u.free(lst, {std::string("WARNING: the ") + c.name + " mole fractions do not sum to 1, sum=", sum});
    }
  }

  // The step table takes the first NSEQ SEQ lines, and none at all when there
  // are fewer.
  if (in.MINPUT == 2) {
    if (run.findings.seq_lines < in.NSEQ)
      error({"FATAL ERROR: the control file has fewer SEQ lines than NSEQ, NSEQ=", in.NSEQ});
    else if (run.findings.seq_lines > in.NSEQ)
      u.free(lst, {"WARNING: only the first NSEQ SEQ lines are used, NSEQ=", in.NSEQ});
  }

  // A UTM position: a zone that CALPUFF knows, an easting and a northing in
  // kilometres within a zone (a southern northing counts from 10000 km at the
  // equator; metres would be a thousand times too far).
  if (io::LEQ(in.PMAP.view(), "UTM") == 1) {
    if (in.MDSPMOD == 1 && (in.IUTMZN < 1 || in.IUTMZN > 60))
      error({"FATAL ERROR: IUTMZN must be a UTM zone from 1 to 60 (the hemisphere is UTMHEM), IUTMZN=", in.IUTMZN});
    if (model && !(in.XCOORD >= 0 && in.XCOORD <= 1000))
      error({"FATAL ERROR: XCOORD must be a UTM easting from 0 to 1000 km, XCOORD=", in.XCOORD});
    if (model && !(in.YCOORD >= 0 && in.YCOORD < 10000))
      error({"FATAL ERROR: YCOORD must be a UTM northing from 0 to below 10000 km (in the southern hemisphere "
             "counted from 10000 km at the equator, with UTMHEM = S), YCOORD=",
             in.YCOORD});
  }

  // The receptor and profile files that the AERMOD control files name; AERMOD
  // stops without either. Other meteorology leaves these records to the user.
  if (in.MDSPMOD == 2 && in.MMET == 2) {
    if (in.RECINC.len_real() == 0)
      error({"FATAL ERROR: RECINC must name the receptor file of the AERMOD control files"});
    if (in.METDAT2.len_real() == 0)
      error({"FATAL ERROR: METDAT2 must name the AERMET profile file of the AERMOD control files"});
    for (const auto& [key, name] : {std::pair{"RECINC", &in.RECINC}, std::pair{"METDAT2", &in.METDAT2}}) {
      const std::string_view n = name->trimmed();
      if (!n.empty() && !present_here(n))
        u.free(lst, {std::string("WARNING: ") + key + " names " + std::string(n) +
                     ", which is not in this folder: AERMOD run here will not find it"});
    }
  }

  // Values that are most likely a slip.
  if (model && in.OUTNAME.len_real() == 0)
    u.free(lst, {"WARNING: OUTNAME is blank: the model files are named by their numbers alone"});
  if (flare && in.HS == 0) u.free(lst, {"WARNING: HS is 0: the flare tip is at ground level"});
  const double raw_h2s = in.RAW(run::H2S);
  if (flare && in.RH2S > 0 && raw_h2s > 0 && raw_h2s != in.RH2S)
    u.free(lst, {"WARNING: RH2S replaces the H2S fraction of the raw gas, RAW_H2S=", raw_h2s});
  return nerr;
}

}  // namespace

int ICHKINPUT(Run& run, int lst) {
  io::Units& u = run.units;
  MOD_READINP& in = run.inp;
  int nerr = 0;

  // A switch outside its accepted values: one record, one error.
  auto range = [&](const char* name, int value, int lo, int hi) {
    if (value >= lo && value <= hi) return;
    u.free(lst, {std::string("FATAL ERROR: Unknown setting for ") + name + "=", value});
    ++nerr;
  };

  range("MINPUT", in.MINPUT, 1, 3);
  range("MBLOWDOWN", in.MBLOWDOWN, 0, 4);
  range("MDIST", in.MDIST, 1, 2);
  range("MSTRIP", in.MSTRIP, 0, 5);
  range("MMET", in.MMET, 1, 3);
  range("MFUELGAS", in.MFUELGAS, 0, 1);
  range("MLIFTGAS", in.MLIFTGAS, 0, 1);
  range("MFGR", in.MFGR, 1, 2);
  range("MFASSIST", in.MFASSIST, 0, 1);
  if (in.MFASSIST == 1) {
    range("MFASSISTSTEAM", in.MFASSISTSTEAM, 0, 1);
    range("MFASSISTAIR", in.MFASSISTAIR, 0, 1);
    range("MFASSISTHPFUEL", in.MFASSISTHPFUEL, 0, 1);
  }
  range("MFLAMEOUT", in.MFLAMEOUT, 0, 2);

  // The CALPUFF sequence restarts every NSEP hours: one hour, or whole days up to five.
  if (in.NSEP != 1 && (in.NSEP / 24) * 24 != in.NSEP) {
    u.free(lst, {"FATAL ERROR: NSEP is not a multiple of 24"});
    ++nerr;
  }
  if (in.NSEP / 24 > 5) {
    u.free(lst, {"FATAL ERROR: NSEP is greater than 5*24"});
    ++nerr;
  }

  range("MTGAS", in.MTGAS, 0, 2);

  if (in.MTGAS == 0 && in.TGINIT < 0) {
    u.free(lst, {"FATAL ERROR: Gas temperature set to use TGINIT"});
    u.free(lst, {"             but TGINIT is not defined, TGINIT=", in.TGINIT});
    u.free(lst, {"             MTGAS=", in.MTGAS});
    ++nerr;
  }

  if (in.ODOURPPB == 0) {
    in.ODOURPPB = 1.0;
    u.free(lst, {"WARNING : Odour Threshold reset to "});
    u.free(lst, {"             ODOURPPB=", in.ODOURPPB});
  }

  if (in.DF == 0) {
    u.free(lst, {"ERROR : Missing parameter DF"});
    u.free(lst, {"             DF=", in.DF});
    in.DF = in.DS;
    ++nerr;
  }
  if (in.DS > in.DF) {
    u.free(lst, {"ERROR : DS must be smaller or equal to DF"});
    u.free(lst, {"             DF=", in.DF});
    u.free(lst, {"             DS=", in.DS});
    ++nerr;
  }

  // Entrainment ratios of the assist streams: 0.35 where an assist is on and
  // no ratio was given.
  auto ratio = [&](int assist, double& r, const char* name) {
    if (assist > 0 && r == 0) {
      u.free(lst, {std::string("WARNING: Missing parameter ") + name});
      u.free(lst, {std::string("WARNING: reset to default ") + name});
      r = 0.35;
      u.free(lst, {std::string("    ") + name + "=", r});
    }
  };
  ratio(in.MFASSISTAIR, in.RAIRAIR, "RAIRAIR");
  ratio(in.MFASSISTSTEAM, in.RAIRSTEAM, "RAIRSTEAM");
  ratio(in.MFASSISTHPFUEL, in.RAIRFUEL, "RAIRFUEL");

  if (in.MINPUT == 1 && in.MBLOWDOWN == 1) {
    if (in.PRESSINIT < 1 || in.PRESSINIT > 25000) u.free(lst, {"WARNING: initial pressure may be out of bounds"});
    if (in.PRESSINIT <= in.PRESSFINAL) {
      u.free(lst, {"FATAL ERROR: bad final presssure:", in.PRESSFINAL});
      ++nerr;
    }
    const double tlow = common::ZERO_CELSIUS - 50.0, thigh = common::ZERO_CELSIUS + 50.0;
    if (in.TGINIT > 0) {
      if (in.TGINIT < tlow || in.TGINIT > thigh) u.free(lst, {"WARNING: tginit may be out of bounds"});
    } else {
      u.free(lst, {"WARNING: Using tginit = tamb"});
    }
    if (in.TEMPINIT > 0) {
      if (in.TEMPINIT < tlow || in.TEMPINIT > thigh) u.free(lst, {"WARNING: tempinit may be out of bounds"});
    } else {
      u.free(lst, {"WARNING: Using tempinit = tamb"});
    }
    if (in.VESSELDIA < 0.01 || in.VESSELDIA > 10)
      u.free(lst, {"WARNING: Vessel Diameter may be out of bounds", in.VESSELDIA});
    if (in.VESSELLEN < 1 || in.VESSELLEN > 1000000)
      u.free(lst, {"WARNING: Vessel length may be out of bounds", in.VESSELLEN});
    const double orifice_m = in.ORIFICEDIA * 0.001;
    if (orifice_m < 0.0001 || orifice_m > 10)
      u.free(lst, {"WARNING: orifice diameter may be out of bounds", in.ORIFICEDIA});
    if (in.DISCHARGECOEF < 0.001 || in.DISCHARGECOEF > 1)
      u.free(lst, {"WARNING: ", "Discharge coefficient may be out of bounds", in.DISCHARGECOEF});
  }

  // The header of a CALPUFF flare file gives the position in UTM coordinates
  // of one hemisphere and a base time zone of whole hours; anything else would
  // make a file that CALPUFF misplaces or refuses.
  if (in.MDSPMOD == 1) {
    if (io::LEQ(in.PMAP.view(), "UTM") != 1) {
      u.free(lst, {std::string("FATAL ERROR: CALPUFF flare files need PMAP=UTM, PMAP=") + in.PMAP.str()});
      ++nerr;
    }
    if (io::LEQ(in.UTMHEM.view(), "N") != 1 && io::LEQ(in.UTMHEM.view(), "S") != 1) {
      u.free(lst, {std::string("FATAL ERROR: UTMHEM must be N or S, UTMHEM=") + in.UTMHEM.str()});
      ++nerr;
    }
    if (!whole_hour_zone(in.ABTZ.trimmed())) {
      u.free(lst, {std::string("FATAL ERROR: ABTZ must be UTC+hh00 or UTC-hh00, ABTZ=") + in.ABTZ.str()});
      ++nerr;
    }
    // CALPUFF knows a datum only by its own code, compared character for character.
    if (!is_datum_code(in.DATUM.trimmed())) {
      u.free(lst, {std::string("FATAL ERROR: DATUM must be a CALPUFF datum code (WGS-84; NAR-C for NAD83; NAS-C for "
                               "NAD27; the others in datum_codes.txt), DATUM=") +
                   in.DATUM.str()});
      ++nerr;
    }
  }

  // Values of the control file that are not numbers, and texts too long for
  // their field, in the order of the lookups: the run would go on with the
  // keyword's start value (a stack of height 0, say) as if it had been given,
  // or with a name cut short (WGS-84X taken for the datum WGS-84).
  for (const BadValue& b : run.findings.bad_values) {
    switch (b.kind) {
      case BadValue::Real:
        u.free(lst, {"FATAL ERROR: " + b.key + " is not a number: " + b.value});
        break;
      case BadValue::Whole:
        u.free(lst, {"FATAL ERROR: " + b.key + " is not a whole number: " + b.value});
        break;
      case BadValue::List:
        u.free(lst, {"FATAL ERROR: " + b.key + " is not a list of numbers: " + b.value});
        break;
      case BadValue::Row:
        u.free(lst, {"FATAL ERROR: " + b.key + " row", b.row, "is not a list of numbers:", b.value});
        break;
      case BadValue::TooLong:
        u.free(lst, {"FATAL ERROR: " + b.key + " is longer than " + std::to_string(b.limit) +
                     " characters: " + b.value});
        break;
    }
    ++nerr;
  }

  // The period: years of four digits (the date-hours hold no other), the end
  // not before the start.
  auto four_digits = [&](const char* name, int year) {
    if (year >= 1000 && year <= 9999) return true;
    u.free(lst, {std::string("FATAL ERROR: ") + name + " must be a year of four digits, " + name + "=", year});
    ++nerr;
    return false;
  };
  const bool start_ok = four_digits("YYS", in.YYS);
  const bool end_ok = four_digits("YYE", in.YYE);
  if (start_ok && end_ok &&
      std::tie(in.YYE, in.MME, in.DDE, in.HHE, in.SSE) < std::tie(in.YYS, in.MMS, in.DDS, in.HHS, in.SSS)) {
    u.free(lst, {"FATAL ERROR: the period ends before it starts"});
    ++nerr;
  }
  // Hours and seconds beyond a day and an hour make date-hours that name no
  // hour and time fields too wide for the flare file.
  auto within = [&](const char* name, int value, int hi, const char* what) {
    if (value >= 0 && value <= hi) return;
    u.free(lst, {std::string("FATAL ERROR: ") + name + " must be " + what + ", " + name + "=", value});
    ++nerr;
  };
  within("HHS", in.HHS, 23, "an hour from 0 to 23");
  within("SSS", in.SSS, 3599, "a second from 0 to 3599");
  within("HHE", in.HHE, 23, "an hour from 0 to 23");
  within("SSE", in.SSE, 3599, "a second from 0 to 3599");

  // Every species that a CALPUFF flare file lists needs a name; a blank one
  // would reach the file as a NUL character between apostrophes.
  if (in.MDSPMOD == 1) {
    const int n = std::min(in.NSPEC, run::MAXSPEC);
    bool blank = false;
    for (int i = 1; i <= n; ++i) blank = blank || in.CHEMLST(i).len_real() == 0;
    if (blank) {
      u.free(lst, {"FATAL ERROR: CHEMLST names fewer species than NSPEC, NSPEC=", in.NSPEC});
      ++nerr;
    }
  }

  // A fixed wind direction is a compass direction; a negative one keeps the
  // direction the run starts from. Anything else would make every hour a
  // missing one.
  if (in.MMET == 3 && (!std::isfinite(in.WINDDR) || in.WINDDR > 360)) {
    u.free(lst, {"FATAL ERROR: WINDDR must be from 0 to 360, or negative to keep the start direction, WINDDR=",
                 in.WINDDR});
    ++nerr;
  }

  // A mistyped year (1010 for 2010) would start a run of centuries, whose
  // files fill the disk.
  if (start_ok && end_ok && in.YYE - in.YYS > 100) {
    u.free(lst, {"FATAL ERROR: the period is longer than 100 years"});
    ++nerr;
  }

  nerr += check_flare_inputs(run, lst);
  return nerr;
}

}  // namespace quelmar::input

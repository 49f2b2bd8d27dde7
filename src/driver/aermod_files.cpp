#include "driver/aermod_files.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "common/dates.hpp"
#include "io/format.hpp"
#include "io/stop.hpp"
#include "io/text.hpp"
#include "physics/pseudo_stack.hpp"

namespace quelmar::driver {

namespace {

constexpr int AERMOD_NAME_MAX = 200;  // longest file name AERMOD reads from its control file

using run::MOD_VIRTUALSOURCES;
using run::Run;

int group_count(const Run& run) { return std::clamp(run.inp.NSOURCES, 0, run::MAXGROUPS); }

std::string_view trimmed(std::string_view s) { return s.substr(0, static_cast<std::size_t>(io::LEN_REAL(s))); }

// Opens a model file (under a temporary name until the loop publishes it,
// whole, when `visible` says so) or stops the run with a message that names it
// and says why.
void open_or_stop(Run& run, int unit, int lst, std::string_view fname, const char* what, io::Units::Visible visible) {
  if (run.units.open_write(unit, fname, visible)) {
    run.units.whole_fields(unit);
    return;
  }
  refuse_model_file(run, lst, fname, what);
}

// A file name as AERMOD reads it from a control-file record: between double
// quotes when it holds a blank, since AERMOD splits its records at blanks.
// Names longer than AERMOD reads are reported once per control file.
class NameWriter {
 public:
  NameWriter(Run& run, int lst) : run_(run), lst_(lst) {}
  std::string operator()(std::string_view name) {
    const std::string_view t = trimmed(name);
    if (static_cast<int>(t.size()) > AERMOD_NAME_MAX && std::find(warned_.begin(), warned_.end(), t) == warned_.end()) {
      warned_.emplace_back(t);
      run_.units.free(lst_, {"WARNING: name longer than 200 characters in an AERMOD control file:", t});
    }
    if (t.find_first_of(" \t") != std::string_view::npos) return "\"" + std::string(t) + "\"";
    return std::string(t);
  }

 private:
  Run& run_;
  int lst_;
  std::vector<std::string> warned_;
};

// The parameters declared for group l. A group that received no hour takes
// those of its nearest group with hours (the lower one when two are equally
// near): it emits nothing in any hour, and its own zero means and 1.0E30 height
// would not fit the record. With no hour at all in the pass, the bare stack.
struct GroupParams {
  double x = 0, y = 0, hs = 0, ts = 0, us = 0, ds = 0;
};

GroupParams group_params(const Run& run, int l, int n) {
  const MOD_VIRTUALSOURCES& vs = run.vs;
  int donor = 0;
  for (int dist = 0; dist < n && donor == 0; ++dist) {
    if (l - dist >= 1 && vs.IVSNS(l - dist) > 0) donor = l - dist;
    else if (l + dist <= n && vs.IVSNS(l + dist) > 0) donor = l + dist;
  }
  GroupParams p;
  if (donor == 0) {
    p.x = run.inp.XCOORD;
    p.y = run.inp.YCOORD;
    p.hs = run.inp.HS;
    p.ds = run.inp.DF;
    return p;  // exit temperature 0: AERMOD takes the ambient temperature
  }
  p.x = vs.VSX(donor);
  p.y = vs.VSY(donor);
  p.hs = vs.VSHS(donor);
  p.ts = vs.VSTS(donor);
  p.us = vs.VSUS(donor);
  p.ds = vs.VSDS(donor);
  return p;
}

// The name of a file of AERMOD's results that belongs to one control file: the
// name of its hourly emission file as written, with `extension` in place of its
// own (or added, when it has none), the extension in upper case unless the run
// keeps its file names in lower case. Each pair of AERMOD files so keeps its
// results apart from those of the other pairs.
std::string result_file_name(const Run& run, std::string_view femarb, std::string_view extension) {
  const std::string_view name = trimmed(femarb);
  const std::size_t folder = name.find_last_of("/\\");
  const std::size_t dot = name.rfind('.');
  const bool has_extension = dot != std::string_view::npos && (folder == std::string_view::npos || dot > folder);
  std::string result(has_extension ? name.substr(0, dot) : name);
  for (char c : extension) result += run.inp.LCFILES ? c : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

// The station numbers of ME SURFDATA and ME UAIRDATA. AERMOD compares them
// with those that the header of its surface file gives (SF_ID, UA_ID) and
// warns where they differ, so they are the header's own where the run read an
// AERMET surface file whose header gives them; otherwise the placeholders
// 11111 and 22222.
struct Stations {
  int surface = 11111, upper_air = 22222;
};

Stations stations(const Run& run) {
  Stations st;
  const run::MetStore& m = run.metstore;
  if (run.inp.MMET != 2 || m.kind != run::MetStore::Aermet) return st;
  if (m.sf_id >= 0) st.surface = m.sf_id;
  if (m.ua_id >= 0) st.upper_air = m.ua_id;
  return st;
}

// Year, month, day and hour (1 to 24, numbered by the hour's end) of a date-hour.
struct HourDate {
  int year = 0, month = 0, day = 0, hour = 0;
};

HourDate hour_date(Run& run, int lst, int idate) {
  HourDate h;
  int ijul = 0, ihr = 0;
  common::DEDAT(idate, h.year, ijul, ihr);
  common::GRDAY(run.units, lst, h.year, ijul, h.month, h.day);
  h.hour = ihr + 1;
  return h;
}

// The year of the hourly emission file: two digits in the 1900s and 2000s,
// unchanged before 1900 (three digits from 2100 on, which I3 still holds).
int hourly_year(int iyr) {
  if (iyr >= 2000) return iyr - 2000;
  if (iyr >= 1900) return iyr - 1900;
  return iyr;
}

}  // namespace

void refuse_model_file(Run& run, int lst, std::string_view fname, const char* what) {
  const std::string name = io::host_path(fname);
  const std::initializer_list<io::Item> msg = {"Error opening ", what, ": ", name, ": ", run.units.open_error()};
  for (int unit : {io::CONSOLE, lst, io::ERR}) run.units.free(unit, msg);
  throw io::Stop{};
}

std::string aermod_source_id(int l) {
  static const io::Layout L_ONE("('SOURCE',I1)");
  static const io::Layout L_TWO("('SOURCE',I2)");
  io::Text<12> id;
  id.set_blank_padded(l >= 10 ? L_TWO.text({l}) : L_ONE.text({l}));
  return std::string(id.view());
}

void MKFILAM_INP(Run& run, int unit, int lst, std::string_view fname, std::string_view femarb, int idate_first,
                 int idate_last, io::Units::Visible visible) {
  static const io::Layout L_TITLE("('CO TITLEONE flemarb by ',A,' Version ',A,' Level ',A)");
  static const io::Layout L_LOCATION("('SO LOCATION ',A,' POINT',2(F13.1,TR1),F13.1)");
  static const io::Layout L_SRCPARAM("('SO SRCPARAM ',A,5(F10.3,TR1))");
  static const io::Layout L_HOUREMIS("('SO HOUREMIS ',A,' ',A,'-',A)");
  static const io::Layout L_INCLUDED("('RE INCLUDED ',A)");
  static const io::Layout L_SURFFILE("('ME SURFFILE ',A)");
  static const io::Layout L_PROFFILE("('ME PROFFILE ',A)");
  static const io::Layout L_SURFDATA("('ME SURFDATA  ',I8.8,' ',I4,' ONSITE')");
  static const io::Layout L_UAIRDATA("('ME UAIRDATA  ',I8.8,' ',I4,' ONSITE')");
  static const io::Layout L_STARTEND("('ME STARTEND ',I4,3I3,TR1,I4,3I3)");
  static const io::Layout L_PROFBASE("('ME PROFBASE ',F10.1,' METERS')");
  static const io::Layout L_ERRORFIL("('CO ERRORFIL ',A)");
  static const io::Layout L_PLOTFILE("('OU PLOTFILE 1 ALL FIRST ',A)");
  static const io::Layout L_POSTFILE("('OU POSTFILE 1 ALL UNFORM ',A)");

  io::Units& u = run.units;
  const run::MOD_READINP& in = run.inp;
  open_or_stop(run, unit, lst, fname, "AERMOD control file", visible);
  NameWriter name(run, lst);
  const int mstrip = in.MSTRIP;
  const char* pollutant = nullptr;
  if (mstrip == 0 || mstrip == 2) pollutant = "SO2";
  else if (mstrip == 1 || mstrip == 3) pollutant = "H2S";
  else if (mstrip == 4 || mstrip == 5) pollutant = "OU";

  u.record(unit, "CO STARTING");
  u.fixed(unit, L_TITLE, {run.ver.MODELNAME.view(), run.ver.VERSION.view(), run.ver.LEVEL.view()});
  if (pollutant) u.record(unit, std::string("CO TITLETWO ") + pollutant + " EMISSIONS");
  u.record(unit, in.MSCREEN == 1 ? "CO MODELOPT NOCHKD CONC NOSTD ELEV SCREEN" : "CO MODELOPT NOCHKD CONC NOSTD ELEV");
  u.record(unit, "CO AVERTIME 1");
  if (pollutant) u.record(unit, std::string("CO POLLUTID ") + pollutant);
  u.record(unit, "CO RUNORNOT RUN");
  u.fixed(unit, L_ERRORFIL, {name(result_file_name(run, femarb, ".err"))});
  u.record(unit, "CO FINISHED");

  u.record(unit, "SO STARTING");
  u.record(unit, "SO ELEVUNIT METERS");
  if (mstrip >= 0 && mstrip <= 3)
    u.record(unit, "SO EMISUNIT    .100000E+07   (GRAMS/SEC)          (MICROGRAMS/CUBIC-METER)");
  else if (mstrip == 4 || mstrip == 5)
    u.record(unit, "SO EMISUNIT    .100000E+04   (GRAMS/SEC)          (MILLIGRAMS/CUBIC-METER)");
  u.record(unit, "** SRCPARAM SOURCE1  QS    HS    TS    US    DS");
  const int n = group_count(run);
  for (int l = 1; l <= n; ++l) {
    const std::string id = aermod_source_id(l);
    const GroupParams p = group_params(run, l, n);
    u.fixed(unit, L_LOCATION, {id, p.x * 1000, p.y * 1000, in.ZCOORD},
            {"", "the easting of the source in m (XCOORD)", "the northing of the source in m (YCOORD)",
             "the elevation of the source in m (ZCOORD)"});
    u.fixed(unit, L_SRCPARAM, {id, 0.0, p.hs, p.ts, p.us, p.ds},
            {"", "the base emission rate", "the release height in m (HS)", "the exit temperature in K",
             "the exit velocity in m/s", "the stack diameter in m"});
  }
  const std::string first_id(trimmed(aermod_source_id(1)));
  const std::string last_id(trimmed(aermod_source_id(std::max(n, 1))));
  u.fixed(unit, L_HOUREMIS, {name(femarb), first_id, last_id});
  u.record(unit, "SO SRCGROUP  ALL");
  u.record(unit, "SO FINISHED");

  u.record(unit, "RE STARTING");
  u.fixed(unit, L_INCLUDED, {name(in.RECINC.view())});
  u.record(unit, "RE FINISHED");

  u.record(unit, "ME STARTING");
  u.fixed(unit, L_SURFFILE, {name(in.METDAT.view())});
  u.fixed(unit, L_PROFFILE, {name(in.METDAT2.view())});
  const Stations st = stations(run);
  u.fixed(unit, L_SURFDATA, {st.surface, in.YYS});
  u.fixed(unit, L_UAIRDATA, {st.upper_air, in.YYS});
  if (idate_first > 0 && idate_last > 0) {
    const HourDate a = hour_date(run, lst, idate_first);
    const HourDate b = hour_date(run, lst, idate_last);
    u.fixed(unit, L_STARTEND, {a.year, a.month, a.day, a.hour, b.year, b.month, b.day, b.hour});
  }
  u.record(unit, "** set at plant site elevation");
  u.fixed(unit, L_PROFBASE, {in.ZCOORD}, {"the elevation of the profile base in m (ZCOORD)"});
  u.record(unit, "ME FINISHED");

  u.record(unit, "OU STARTING");
  u.record(unit, "OU RECTABLE ALLAVE FIRST");
  u.record(unit, "OU MAXTABLE ALLAVE 10");
  u.fixed(unit, L_PLOTFILE, {name(result_file_name(run, femarb, ".plt"))});
  u.fixed(unit, L_POSTFILE, {name(result_file_name(run, femarb, ".bin"))});
  u.record(unit, "OU FINISHED");
  u.close(unit);
}

void hourly_record(std::string& rec, int yy, int month, int day, int hour, std::string_view source, double qs,
                   double ts, double us) {
  // The layout (A,4(TR1,I3),TR1,A12,3(E12.6,TR1)) field by field: every field
  // has its fixed width, and the last TR1 writes nothing.
  rec.append("SO HOUREMIS");
  for (const int v : {yy, month, day, hour}) {
    rec.push_back(' ');
    io::put_I(rec, v, 3);
  }
  rec.push_back(' ');
  io::put_A(rec, source, 12);
  io::put_E(rec, qs, 12, 6);
  rec.push_back(' ');
  io::put_E(rec, ts, 12, 6);
  rec.push_back(' ');
  io::put_E(rec, us, 12, 6);
}

void MKFILAM_EMARB(Run& run, int unit, int lst, std::string_view fname, std::span<const int> lead_hours,
                   io::Units::Visible visible) {
  io::Units& u = run.units;
  const MOD_VIRTUALSOURCES& vs = run.vs;
  open_or_stop(run, unit, lst, fname, "AERMOD hourly emission file", visible);
  const int n = group_count(run);
  const int nvs = std::clamp(vs.NVS, 0, vs.hours());
  std::array<std::string, run::MAXGROUPS + 1> ids;
  for (int j = 1; j <= n; ++j) ids[static_cast<std::size_t>(j)] = aermod_source_id(j);

  // The records of one hour differ from source to source only in the
  // identifier (columns 29 to 40) and, for the hour's own source, in the
  // values: the hour's two records are formatted once, and each source's
  // record is one of them with its own identifier. The records gather in a
  // block that goes to the file whenever it holds about a megabyte; the
  // buffers are reused from hour to hour.
  constexpr std::size_t kIdColumn = 28, kIdWidth = 12, kBlock = 1 << 20;
  std::string others, own, block;
  long long in_block = 0;  // records in the block
  block.reserve(kBlock + 128 * (run::MAXGROUPS + 1));
  auto write_hour = [&](bool has_own, int own_source) {
    // The hour's records, each with its end of record: the other sources'
    // record n times (copied in doublings), the own source's record over its
    // place, then every record's identifier in place. The two records have
    // the same length, the layout's fields having fixed widths.
    if (n < 1) return;
    const std::size_t len = others.size();
    if (has_own && own.size() != len) throw std::logic_error("hourly emission records of different lengths");
    const std::size_t at = block.size(), total = len * static_cast<std::size_t>(n);
    block.reserve(at + total);
    block.append(others);
    for (std::size_t done = len; done < total; done = block.size() - at)
      block.append(block.data() + at, std::min(done, total - done));
    char* const first = block.data() + at;
    if (has_own) std::memcpy(first + len * static_cast<std::size_t>(own_source - 1), own.data(), len);
    for (int j = 1; j <= n; ++j)
      std::memcpy(first + len * static_cast<std::size_t>(j - 1) + kIdColumn, ids[static_cast<std::size_t>(j)].data(),
                  kIdWidth);
    in_block += n;
    if (block.size() >= kBlock) {
      u.records(unit, block, in_block);
      block.clear();
      in_block = 0;
    }
  };
  auto hour_record = [&](std::string& rec, const HourDate& h, int yy, double qs, double ts, double us) {
    rec.clear();
    hourly_record(rec, yy, h.month, h.day, h.hour, ids[1], qs, ts, us);
    // The layout's fields have fixed widths: the identifier always lies in columns 29 to 40.
    if (rec.size() < kIdColumn + kIdWidth) throw std::logic_error("hourly emission record without its identifier");
    rec.append("\r\n", 2);
  };

  // Hours of the surface file before the first stored hour: nothing emitted,
  // the stack values of the first stored hour.
  const double ts0 = nvs >= 1 ? vs.VTSX(1) : 0.0;
  const double us0 = nvs >= 1 ? vs.VUSX(1) : 0.0;
  for (int idate : lead_hours) {
    const HourDate h = hour_date(run, lst, idate);
    hour_record(others, h, hourly_year(h.year), 0.0, ts0, us0);
    write_hour(false, 0);
  }

  for (int i = 1; i <= nvs; ++i) {
    const HourDate h = hour_date(run, lst, vs.VDATE(i));
    const int yy = hourly_year(h.year);
    // Every other source: no emission, the hour's own exit temperature and velocity.
    hour_record(others, h, yy, 0.0, vs.VTSX(i), vs.VUSX(i));
    // The hour's own source: a stack of the group's diameter with the hour's
    // buoyancy and momentum fluxes, so that AERMOD's plume rise follows the
    // hour although the source's diameter is fixed.
    const int j = vs.IVS(i);
    if (j < 1 || j > n) {
      write_hour(false, 0);
      continue;
    }
    // A stack that the fluxes do not give (no diameter, no momentum flux)
    // keeps the hour's own exit velocity and temperature.
    double ts = vs.VTSX(i), us = vs.VUSX(i);
    physics::stack_of_diameter(vs.VFB(i), vs.VFM(i), vs.VTA(i), vs.VSDS(j), us, ts);
    hour_record(own, h, yy, vs.VE(i), ts, us);
    write_hour(true, j);
  }
  u.records(unit, block, in_block);
  u.close(unit);
}

}  // namespace quelmar::driver

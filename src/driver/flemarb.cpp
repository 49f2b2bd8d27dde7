#include "driver/flemarb.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/dates.hpp"
#include "io/format.hpp"
#include "io/stop.hpp"

namespace quelmar::driver {

namespace {

// Source values constant in time; the first, 1, says that the records carry
// exit temperature and velocities (stack input type 1).
constexpr double PARAMS[8] = {1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};

constexpr const char* COMMENTS[7] = {
    "Time-invariant (8 variables) var1=stack input type  var2-var8=not used",
    "     var1=1:  T(K), U, V, W (m/s)",
    "     var1=2:  Fb, Fmx, Fmy, Fmz  (i.e., buoyancy and momentum fluxes)",
    "Time-variant (if var1=1)",
    "  X(km),Y(km),Z(mAGL),Elev(mMSL),D(m),T(K),U,V,W,Sigy(m),Sigz(m),Q(g/s)...",
    "Time-variant (if var1=2)",
    "  X(km),Y(km),Z(mAGL),Elev(mMSL),D(m),Fb,Fmx,Fmy,Fmz,Sigy(m),Sigz(m),Q(g/s)...",
};

int clamp_nspec(int nspec) { return std::clamp(nspec, 0, run::MAXSPEC); }

// What the values of the records are, item by item, for the stop that a value
// too large for its field makes: the quantity and the keyword that sets it.
constexpr std::string_view kRate = "an emission rate in g/s";
constexpr std::string_view kMass = "a molar mass in g/mol (MW)";
constexpr std::array<std::string_view, 22> kSourceType1 = {
    "",
    "the easting of the release point in km (XCOORD)",
    "the northing of the release point in km (YCOORD)",
    "the release height in m (HS)",
    "the ground elevation in m (ZCOORD)",
    "the diameter of the pseudo-stack in m",
    "the exit temperature in K",
    "the eastward exit velocity in m/s",
    "the northward exit velocity in m/s",
    "the upward exit velocity in m/s",
    "the initial horizontal spread in m",
    "the initial vertical spread in m",
    kRate, kRate, kRate, kRate, kRate, kRate, kRate, kRate, kRate, kRate};
constexpr std::array<std::string_view, 22> kSourceType2 = {
    "",
    kSourceType1[1],
    kSourceType1[2],
    kSourceType1[3],
    kSourceType1[4],
    kSourceType1[5],
    "the buoyancy flux in m4/s3",
    "the eastward momentum flux in m4/s2",
    "the northward momentum flux in m4/s2",
    "the upward momentum flux in m4/s2",
    kSourceType1[10],
    kSourceType1[11],
    kRate, kRate, kRate, kRate, kRate, kRate, kRate, kRate, kRate, kRate};

// Record 15: the period's start and end, 36 columns whatever the values.
const io::Layout& period_layout() {
  static const io::Layout L_PERIOD("(3I4,TR1,I4,TR2,3I4,TR1,I4)");
  return L_PERIOD;
}

// A species name as CALPUFF must match it: without the blanks that a list item
// keeps in front ("SO2, H2S" stores " H2S") and without its trailing filler,
// but never shorter than one character.
std::string_view species_name(const io::Text<8>& name) {
  std::string_view s = name.view();
  const int last = name.len_real();
  std::size_t first = 0;
  while (first < static_cast<std::size_t>(last) && (s[first] == ' ' || s[first] == '\t' || s[first] == '\0'))
    ++first;
  if (static_cast<int>(first) >= last) return s.substr(0, 1);  // all filler: the first character as stored
  return s.substr(first, static_cast<std::size_t>(last) - first);
}

}  // namespace

int IWRFLEMARBHDR(run::Run& run, int iunit, int lst, std::string_view fin,
                  const std::optional<FlemarbPeriodEnd>& end, FlemarbPeriodMark* mark, io::Units::Visible visible) {
  static const io::Layout L_I4("(I4)");
  static const io::Layout L_A("(A)");
  static const io::Layout L_ZONE("(I4,A1)");
  static const io::Layout L_A4("(A4)");
  static const io::Layout L_A8("(A8)");
  static const io::Layout L_COUNTS("(2I4)");
  static const io::Layout L_SPECIES("(\"'\",A,\"'   \",$)");
  static const io::Layout L_MASSES("(10F12.3)");
  static const io::Layout L_SOURCE("(\"'\",A,\"'\",8F7.1)");

  io::Units& u = run.units;
  const run::MOD_READINP& in = run.inp;
  if (!u.open_write(iunit, fin, visible)) return 1;
  u.whole_fields(iunit);

  u.record(iunit, "FLEMARB.DAT     1.0             Initial configuration");
  u.fixed(iunit, L_I4, {7});
  for (const char* c : COMMENTS) u.free(iunit, {c});
  u.fixed(iunit, L_A, {in.PMAP.trimmed()});
  u.fixed(iunit, L_ZONE, {in.IUTMZN, in.UTMHEM.view()}, {"the UTM zone (IUTMZN)", ""});
  u.fixed(iunit, L_A, {in.DATUM.trimmed()});
  u.fixed(iunit, L_A4, {"  KM"});
  u.fixed(iunit, L_A8, {in.ABTZ.view()});

  int jds = 0;
  common::JULDAY(u, lst, in.YYS, in.MMS, in.DDS, jds);
  FlemarbPeriodEnd e;
  if (end) {
    e = *end;
  } else {
    e.year = in.YYE;
    common::JULDAY(u, lst, in.YYE, in.MME, in.DDE, e.jday);
    e.hour = in.HHE;
    e.sec = in.SSE;
  }
  if (mark) *mark = FlemarbPeriodMark{u.tell(iunit), in.YYS, jds, in.HHS, in.SSS};
  u.fixed(iunit, period_layout(), {in.YYS, jds, in.HHS, in.SSS, e.year, e.jday, e.hour, e.sec});

  const int nspec = clamp_nspec(in.NSPEC);
  u.fixed(iunit, L_COUNTS, {1, nspec});
  for (int i = 1; i <= nspec; ++i) u.fixed(iunit, L_SPECIES, {species_name(in.CHEMLST(i))});
  u.free(iunit, {});  // ends the species line with one blank

  std::vector<io::Item> masses;
  for (int i = 1; i <= nspec; ++i) masses.emplace_back(in.MMLST(i));
  static constexpr std::array<std::string_view, run::MAXSPEC> kMasses = {kMass, kMass, kMass, kMass, kMass,
                                                                          kMass, kMass, kMass, kMass, kMass};
  u.fixed(iunit, L_MASSES, masses, kMasses);

  std::vector<io::Item> source{in.SNAME.trimmed()};
  for (double p : PARAMS) source.emplace_back(p);
  u.fixed(iunit, L_SOURCE, source);
  return 0;
}

bool IWRFLEMARBEND(run::Run& run, int iunit, const FlemarbPeriodMark& mark, const FlemarbPeriodEnd& end) {
  return run.units.overwrite(iunit, mark.at, 15, period_layout(),
                             {mark.year, mark.jday, mark.hour, mark.sec, end.year, end.jday, end.hour, end.sec});
}

int IWRFLEMARBI(run::Run& run, int iunit, int ivar, const io::Text<32>& sname, int ibyr, int ibjul, int ibhr,
                int ibsec, int ieyr, int iejul, int iehr, int iesec, double X, double Y, double Z, double Elev,
                double D, double T, double U, double V, double W, double Fb, double Fmx, double Fmy, double Fmz,
                double Sigy, double Sigz, const io::Array1<double, run::MAXSPEC>& Q, int nspec) {
  static const io::Layout L_TIME("(2(TR3,I4,TR1,I3,TR1,I2,TR1,I4))");
  static const io::Layout L_TYPE1(
      "(\"'\",A,\"'\",2(TR1,F10.5),TR1,F10.4,TR1,F10.3,TR1,F11.5,TR1,F10.5,3(TR1,F9.5),2(TR1,F15.3),"
      "10(TR1,G15.8))");
  static const io::Layout L_TYPE2(
      "(\"'\",A,\"'\",2(TR1,F10.5),TR1,F10.3,TR1,F10.3,4(TR1,F15.3),2(TR1,F15.3),10(TR1,G15.8))");

  io::Units& u = run.units;
  u.fixed(iunit, L_TIME, {ibyr, ibjul, ibhr, ibsec, ieyr, iejul, iehr, iesec});

  // The name, eleven values and the first n of the ten rates.
  static_assert(run::MAXSPEC == 10, "the source line lists ten rates");
  const std::size_t count = 12 + static_cast<std::size_t>(clamp_nspec(nspec));
  if (ivar == 1) {
    const io::Item items[] = {sname.trimmed(), X, Y, Z, Elev, D, T, U, V, W, Sigy, Sigz,
                              Q(1), Q(2), Q(3), Q(4), Q(5), Q(6), Q(7), Q(8), Q(9), Q(10)};
    u.fixed(iunit, L_TYPE1, std::span<const io::Item>(items, count), kSourceType1);
  } else if (ivar == 2) {
    const io::Item items[] = {sname.trimmed(), X, Y, Z, Elev, D, Fb, Fmx, Fmy, Fmz, Sigy, Sigz,
                              Q(1), Q(2), Q(3), Q(4), Q(5), Q(6), Q(7), Q(8), Q(9), Q(10)};
    u.fixed(iunit, L_TYPE2, std::span<const io::Item>(items, count), kSourceType2);
  } else {
    for (int unit : {io::CONSOLE, io::LST, io::ERR})
      u.free(unit, {" *** BAD PARAMETER *** in iwrFLEMARBi, ivar must be 1 or 2"});
    throw io::Stop{};
  }
  return 1;
}

int IWRFLEMARBI(run::Run& run, int iunit, int ivar, const io::Text<32>& sname, const FlemarbRecord& r, int nspec) {
  return IWRFLEMARBI(run, iunit, ivar, sname, r.IBYR, r.IBJUL, r.IBHR, r.IBSEC, r.IEYR, r.IEJUL, r.IEHR, r.IESEC,
                     r.X, r.Y, r.Z, r.Elev, r.D, r.T, r.U, r.V, r.W, r.Fb, r.Fmx, r.Fmy, r.Fmz, r.Sigy, r.Sigz, r.Q,
                     nspec);
}

}  // namespace quelmar::driver

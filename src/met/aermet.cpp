#include "met/aermet.hpp"

#include <array>
#include <cmath>
#include <string>

#include "common/dates.hpp"
#include "io/read.hpp"
#include "io/stop.hpp"
#include "io/units.hpp"
#include "met/reader.hpp"

namespace quelmar::met {

void LTOPG(int& ipg, double xmol, double z0) {
  double z = z0;
  if (z > 0.5) z = 0.5;
  if (z < 0.01) z = 0.01;
  const double lz = std::log(z);
  if (xmol >= 0.0) {
    if (xmol >= -327.0 / (lz - 0.627)) {
      ipg = 4;
    } else if (xmol >= -70.0 / (lz - 0.295)) {
      ipg = 5;
    } else {
      ipg = 6;
    }
  } else {
    const double m = -xmol;
    if (m <= -70.0 / (lz - 4.35)) {
      ipg = 1;
    } else if (m <= -85.2 / (lz - 0.502)) {
      ipg = 2;
    } else if (m <= -245.0 / (lz - 0.05)) {
      ipg = 3;
    } else {
      ipg = 4;
    }
  }
}

void RDMET_AERMET(run::Run& run, int metunit, int /*logunit*/, double& ws, double& wd, double& temp, int& ipg,
                  int& ieof) {
  ws = 9999.0;
  wd = 9999.0;

  // Values 1-5 are integers (year, month, day, day of the year, hour), 6-20 doubles.
  std::array<int, 5> n{};
  std::array<double, 15> v{};
  std::array<io::Target, 20> targets;
  for (std::size_t i = 0; i < n.size(); ++i) targets[i] = io::Target::of(n[i]);
  for (std::size_t i = 0; i < v.size(); ++i) targets[5 + i] = io::Target::of(v[i]);
  if (run.units.read_free(metunit, targets) != io::ReadStatus::Ok) {
    ieof = 1;
    return;
  }
  auto value = [&](int pos) { return v[static_cast<std::size_t>(pos - 6)]; };

  // Two-digit years: below 50 in the 2000s, 50 to 99 in the 1900s.
  int iyr = n[0];
  if (iyr < 50) {
    iyr += 2000;
  } else if (iyr < 100) {
    iyr += 1900;
  }
  const int ijul = n[3];
  const int ihr = n[4] - 1;  // hours 1-24 name the hour by its end

  run::MOD_MET& m = run.met;
  m.REC_BEGIN_SEC = 0;
  m.REC_END_SEC = 3599;
  common::TIMESTAMP(iyr, ijul, ihr, m.REC_END_DATEHR);
  common::TIMESTAMP(iyr, ijul, ihr, m.REC_BEGIN_DATEHR);

  temp = value(19);
  LTOPG(ipg, value(12), value(13));
  m.ANEM_HT = value(18);
  ws = value(16);
  wd = value(17);
  ieof = 0;
}

void METHDR_AERMET(run::Run& run, int metunit, int logunit, std::string_view fmet, double& ws, double& wd,
                   double& temp, int& ipg, int mnonseq) {
  run::MOD_MET& m = run.met;
  m.ANEM_HT = -1.0;
  m.WDIR_HT = -1.0;

  if (!run.units.open_read(metunit, fmet)) stop_cannot_open(run, logunit, fmet);

  // The header line is not used; a longer header than usual does no harm.
  std::string header;
  if (run.units.read_line(metunit, header) == io::ReadStatus::Error) {
    const std::string file = trimmed_name(fmet);
    report(run, logunit, {{"cannot read meteorological file ", file}});
    throw io::Stop{};
  }

  double t = 0.0;
  int ieof = 0;
  RDMET_AERMET(run, metunit, logunit, ws, wd, t, ipg, ieof);
  temp = t;
  // Without a single hour the file window would rest on nothing.
  if (ieof != 0) stop_no_data(run, logunit, fmet);

  m.FILE_BEGIN_DATEHR = m.REC_BEGIN_DATEHR;
  m.FILE_BEGIN_SEC = m.REC_BEGIN_SEC;
  int iyr = 0, ijul = 0, ihr = 0;
  common::DEDAT(m.FILE_BEGIN_DATEHR, iyr, ijul, ihr);
  iyr += mnonseq == 1 ? 7000 : 5;
  common::INCR(run.units, logunit, iyr, ijul, ihr, -1);
  common::MKDAT(iyr, ijul, ihr, m.FILE_END_DATEHR);
  m.FILE_END_SEC = m.REC_END_SEC;

  run.units.free(logunit, {"AERMET anemometer height set to(m):", m.ANEM_HT});
}

void METGET_AERMET(run::Run& run, int metunit, int logunit, int& reqdatehr, int reqsec, double& ws, double& wd,
                   double& temp, int& ipg, int mnonseq) {
  run::MOD_MET& m = run.met;
  if (mnonseq == 1) {
    bool ended = false;
    if (reqdatehr != m.REC_BEGIN_DATEHR) {
      int ieof = 0;
      RDMET_AERMET(run, metunit, logunit, ws, wd, temp, ipg, ieof);
      ended = ieof != 0;
    }
    reqdatehr = m.REC_BEGIN_DATEHR;
    if (ended) {
      // Collapsed window: the mark that the file has ended.
      m.FILE_BEGIN_DATEHR = reqdatehr;
      m.FILE_END_DATEHR = reqdatehr;
      m.FILE_BEGIN_SEC = 3600;
      m.FILE_END_SEC = 3600;
    }
    return;
  }
  position_sequential(run, logunit, AERMET_KIND, reqdatehr, reqsec, [&]() {
    int ieof = 0;
    RDMET_AERMET(run, metunit, logunit, ws, wd, temp, ipg, ieof);
    return ieof;
  });
}

}  // namespace quelmar::met

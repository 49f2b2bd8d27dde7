#include "driver/aermod.hpp"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/aermod_files.hpp"
#include "driver/file_names.hpp"
#include "driver/step_chain.hpp"
#include "driver/virtual_sources.hpp"
#include "common/dates.hpp"
#include "io/temporaries.hpp"

namespace quelmar::driver {

// Every model file of a run waits under its temporary name until the run's end.
static_assert(2 * run::MAXPUFFS <= io::MAX_TEMPORARIES, "two AERMOD files for every step-table row");

namespace {

using run::Run;

// A refusal of the run: on the console, in the list file and on standard error.
void refuse(Run& run, int lst, std::initializer_list<io::Item> items) {
  for (int unit : {io::CONSOLE, lst, io::ERR}) run.units.free(unit, items);
}

// The hours of the period in the sequential modes, start and end included.
std::int64_t period_hours(const Run& run) {
  std::int64_t h = 0;
  int y1 = 0, j1 = 0, h1 = 0, y2 = 0, j2 = 0, h2 = 0;
  common::DEDAT(run.inp.IDATES, y1, j1, h1);
  common::DEDAT(run.inp.IDATEE, y2, j2, h2);
  common::DELTT(y1, j1, h1, y2, j2, h2, h);
  return h + 1;
}

}  // namespace

void store_hour(Run& run, int n, const ReleasePoint& p) {
  run::MOD_VIRTUALSOURCES& vs = run.vs;
  const run::FLARE_RESULT& r = run.comb;
  vs.INDX(n) = n;
  vs.VRISE(n) = r.HS_X;
  vs.VDEX(n) = r.DE_X;
  vs.VHSX(n) = r.HS_X;
  vs.VUSX(n) = r.UE_X;
  vs.VTSX(n) = r.EXTEMP;
  vs.VE(n) = r.QEMIT;
  vs.VX(n) = p.X;
  vs.VY(n) = p.Y;
  vs.VFB(n) = run.isc.FBISC;
  vs.VFM(n) = run.isc.FMISC;
  vs.VTA(n) = run.stdc.TAMBH;
  vs.VUA(n) = run.file1.WS0;  // the hour's wind speed, kept for reference
  vs.VDATE(n) = run.file1.IDATECUR;
  vs.VSEC(n) = run.file1.ISEC;
}

bool MKFILAM(Run& run, int iout, int lst, int met, int log) {
  run::MOD_READINP& in = run.inp;
  run::MOD_FILE1& f = run.file1;
  io::Units& u = run.units;

  const int passes = in.NPUFFS;
  in.PUFFDUR = 3600;
  f.ISECDUR = 3600;
  if (passes <= 0) return true;

  // Limits of the virtual sources and of the hourly store, refused before any
  // file is written.
  if (in.NSOURCES < 1 || in.NSOURCES > run::MAXGROUPS) {
    refuse(run, lst, {"***FATAL ERROR*** NSOURCES must be from 1 to 32, NSOURCES=", in.NSOURCES});
    return false;
  }
  const bool nonseq = in.MMET == 2 && in.MNONSEQ == 1;
  if (!nonseq && period_hours(run) > run::MAXHOURS) {
    refuse(run, lst, {"***FATAL ERROR*** more than 44000 hours in the period of an AERMOD pass, hours=",
                    static_cast<long long>(period_hours(run))});
    return false;
  }
  if (in.MMET != 2)
    u.free(lst, {"WARNING: MMET is not 2: complete ME SURFFILE, ME PROFFILE and RE INCLUDED in the AERMOD control files"});

  // The hourly store, sized once for every pass: to the hours of the period,
  // or, when the surface file's records set the hours, to the store's limit.
  run.vs.reserve_hours(nonseq ? run::MAXHOURS : static_cast<int>(std::max<std::int64_t>(period_hours(run), 1)));
  read_meteorology(run);

  for (int iloop = 1; iloop <= passes; ++iloop) {
    f.ILOOP = iloop;
    Clock clock;
    pass_start(run, clock);
    const int file_first = run.met.FILE_BEGIN_DATEHR;  // the surface file's first record
    int n = 0;
    int last_read = run.met.REC_BEGIN_DATEHR;  // the latest record the reader handed out
    std::vector<int> lead;
    while (f.IDATECUR <= in.IDATEE) {
      chain_start(run, Loop::Aermod, clock, n);
      if (in.MMET == 2 && run.met.REC_BEGIN_DATEHR > last_read &&
          run.met.FILE_BEGIN_DATEHR != run.met.FILE_END_DATEHR)
        last_read = run.met.REC_BEGIN_DATEHR;
      if (nonseq && n == 0 && f.IDATECUR != file_first) lead.push_back(file_first);
      const ReleasePoint p = chain_active(run, Loop::Aermod, iloop, 3600);
      if (n >= run::MAXHOURS) {
        refuse(run, lst, {"***FATAL ERROR*** more than 44000 hours in an AERMOD pass"});
        u.close(met);
        return false;
      }
      if (n >= run.vs.hours()) run.vs.reserve_hours(std::min(run::MAXHOURS, 2 * n));
      store_hour(run, ++n, p);
      common::INCRS(u, lst, clock.yr, clock.jul, clock.hr, clock.sec, f.ISECDUR);
      f.ISECDUR = 3600;
      common::MKDAT(clock.yr, clock.jul, clock.hr, f.IDATECUR);
      f.ISEC = clock.sec;
    }
    u.close(met);
    warn_missing_meteorology(run, lst);
    run.vs.NVS = n;
    if (n == 0) {
      u.free(lst, {"WARNING: no hour in the period: no AERMOD files for row", iloop});
      continue;
    }
    HSORTRL(run.vs.NVS, run.vs.VRISE, run.vs.INDX);
    group_virtual_sources(run);

    // The hours that the surface file holds before the first stored hour,
    // which AERMOD reads from the hourly emission file before the period.
    if (in.MMET == 2 && !nonseq) {
      int yr = 0, jul = 0, hr = 0, d = file_first;
      while (d < run.vs.VDATE(1) && d > 0) {
        lead.push_back(d);
        common::DEDAT(d, yr, jul, hr);
        common::INCR(u, lst, yr, jul, hr, 1);
        common::MKDAT(yr, jul, hr, d);
      }
    }
    // The last hour of the period that AERMOD can read: not beyond the
    // surface file's last record.
    int idate_last = run.vs.VDATE(n);
    if (in.MMET == 2 && !nonseq && last_read < idate_last) idate_last = last_read;

    const run::Text255 aminpfile = aermod_file_name(run, lst, iloop, ".INX");
    const run::Text255 amemfile = aermod_file_name(run, lst, iloop, ".DAT");
    MKFILAM_INP(run, iout, lst, aminpfile.view(), amemfile.view(), run.vs.VDATE(1), idate_last,
                io::Units::Visible::WhenWhole);
    if (run.stdc.LOGON == 1) {
      u.free(log, {"---------------------------------------------"});
      u.free(log, {"loop=", iloop});
      u.free(log, {amemfile.view()});
    }
    MKFILAM_EMARB(run, iout, lst, amemfile.view(), lead, io::Units::Visible::WhenWhole);
    // The files take their names at the run's normal end, in the order they
    // are made whole here: the hourly emission file before the control file
    // that names it.
    if (!u.finish(amemfile.view(), "AERMOD hourly emission file") ||
        !u.finish(aminpfile.view(), "AERMOD control file"))
      throw std::logic_error("AERMOD file without its temporary");
  }
  return true;
}

}  // namespace quelmar::driver

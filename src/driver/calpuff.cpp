#include "driver/calpuff.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "driver/file_names.hpp"
#include "driver/flemarb.hpp"
#include "driver/step_chain.hpp"
#include "common/dates.hpp"
#include "io/stop.hpp"

namespace quelmar::driver {

namespace {

using run::Run;

int nint(double x) { return static_cast<int>(std::lround(x)); }

// A step of zero or negative length would leave the clock where it is: the
// table is refused.
[[noreturn]] void refuse_duration(Run& run, int row, double seconds) {
  for (int unit : {io::CONSOLE, io::LST, io::ERR})
    run.units.free(unit, {"***FATAL ERROR*** step of zero or negative duration in row", row,
                          "of the step table; duration (s)=", seconds});
  throw io::Stop{};
}

struct FileState {
  bool separation = false;
  int ip = 0;
  int ihrgap = 0;
  Clock clock;
  int unit = 0;       // the flare file's unit
  bool open = false;  // the flare file takes the records
  int steps = 0;      // records of the file so far
};

// Duration of the gap that ends the sequence, in seconds (0 or more).
int gap_length(Run& run, FileState& s) {
  run::MOD_READINP& in = run.inp;
  run::MOD_FILE1& f = run.file1;
  long long isecdur = 0;
  if (s.separation) {
    int yr = 0, jul = 0, hr = 0, sec = 0, next = 0;
    common::DEDAT(f.IDATESEQ, yr, jul, hr);
    common::INCRS(run.units, io::LST, yr, jul, hr, sec, in.NSEP * 3600);
    common::MKDAT(yr, jul, hr, next);
    std::int64_t d = 0;
    common::DELTSEC(f.IDATECUR, f.ISEC, next, 0, d);
    isecdur = d;
  } else {
    isecdur = static_cast<long long>(s.ihrgap - s.clock.hr) * 3600 + in.TIMEINC - s.clock.sec;
    if (isecdur >= static_cast<long long>(in.NSEP) * 3600) isecdur = 0;
  }
  if (isecdur < 0) isecdur = 0;
  // Gaps longer than a 32-bit count of seconds do not arise within a period of
  // dates; they are held to the largest step the clock can take.
  if (isecdur > 2000000000LL) isecdur = 2000000000LL;
  Clock c = s.clock;
  common::INCRS(run.units, io::LST, c.yr, c.jul, c.hr, c.sec, static_cast<int>(isecdur));
  s.ihrgap = c.hr;
  return static_cast<int>(isecdur);
}

// One step of the file: a puff of the sequence, or a gap before its next run.
void one_step(Run& run, FileState& s) {
  const run::MOD_READINP& in = run.inp;  // read only: PSEQ keeps its revision
  run::MOD_FILE1& f = run.file1;
  run::FLARE_RESULT& r = run.comb;

  chain_start(run, Loop::Calpuff, s.clock, s.steps);

  bool active = true;
  if (s.ip <= in.NPUFFS) {
    f.ISECDUR = nint(in.PSEQ(s.ip, 2));
    if (f.ISECDUR <= 0) refuse_duration(run, s.ip, in.PSEQ(s.ip, 2));
  }
  if (s.ip > in.NPUFFS) {
    s.ip = 0;
    active = false;
    f.ISECDUR = gap_length(run, s);
  }
  if (f.ISECDUR == 0 && s.ip == 0) {
    // The sequence is due (or overdue): it starts again at once.
    if (in.NPUFFS >= 1) {
      s.ip = 1;
      active = true;
      f.ISECDUR = nint(in.PSEQ(1, 2));
      if (f.ISECDUR <= 0) refuse_duration(run, 1, in.PSEQ(1, 2));
      common::MKDAT(s.clock.yr, s.clock.jul, s.clock.hr, f.IDATESEQ);
    } else {
      // No row to start: the gap runs a whole interval.
      f.ISECDUR = std::max(in.NSEP, 1) * 3600;
    }
  }
  f.QMAX1 = s.ip != 0 ? in.PSEQ(s.ip, 1) : 0.0;
  if (f.QMAX1 <= 0) active = false;

  FlemarbRecord rec;
  rec.Elev = in.ZCOORD;
  if (active) {
    const ReleasePoint p = chain_active(run, Loop::Calpuff, s.ip, f.ISECDUR);
    rec.X = p.X;
    rec.Y = p.Y;
    rec.Z = r.HS_X;
    rec.D = r.DE_X;
    rec.T = r.EXTEMP;
    rec.W = r.UE_X;
    rec.Fb = r.FB;
    rec.Fmz = r.FM;
  } else {
    // The bare flare stack at its own position, with nothing flowing.
    r.HS_X = in.HS;
    r.DE_X = in.DF;
    r.FB = 0;
    f.Q(1) = 0;
    rec.X = in.XCOORD;
    rec.Y = in.YCOORD;
    rec.Z = in.HS;
    rec.D = in.DF;
    rec.T = run.stdc.TAMBH;
  }
  for (int i = 2; i <= in.NSPEC; ++i) f.Q(i) = in.QLST(i);
  rec.Q = f.Q;

  rec.IBYR = s.clock.yr;
  rec.IBJUL = s.clock.jul;
  rec.IBHR = s.clock.hr;
  rec.IBSEC = s.clock.sec;
  common::INCRS(run.units, io::LST, s.clock.yr, s.clock.jul, s.clock.hr, s.clock.sec, f.ISECDUR);
  rec.IEYR = s.clock.yr;
  rec.IEJUL = s.clock.jul;
  rec.IEHR = s.clock.hr;
  rec.IESEC = s.clock.sec;
  if (s.open) IWRFLEMARBI(run, s.unit, 1, in.SNAME, rec, in.NSPEC);
  ++s.steps;

  s.ip += 1;
  common::MKDAT(s.clock.yr, s.clock.jul, s.clock.hr, f.IDATECUR);
  f.ISEC = s.clock.sec;
  if (s.ip == 1) f.IDATESEQ = f.IDATECUR;
}

}  // namespace

bool MKFILCP(Run& run, int iout, int lst, int met, int log) {
  run::MOD_READINP& in = run.inp;
  run::MOD_FILE1& f = run.file1;
  io::Units& u = run.units;

  const bool separation = in.NPUFFS > 1 || in.NPUFFS == 0 || (in.NPUFFS == 1 && in.NSEP > 1);
  // A sequence repeated in NSEP files with no file to write would end as a
  // normal run that wrote nothing.
  if (separation && in.NSEP <= 0)
    throw io::Stop{"***FATAL ERROR*** NSEP must be 24, 48, 72, 96 or 120 for a step table of several rows or none, "
                   "NSEP=" + std::to_string(in.NSEP)};
  if (!separation) in.NSEP = 1;
  const int nfiles = separation ? in.NSEP : 1;
  if (nfiles >= 1) read_meteorology(run);

  for (int iloop = 1; iloop <= nfiles; ++iloop) {
    f.ILOOP = iloop;
    run::Text255 flefile = flare_file_name(run, iloop);
    if (run.stdc.LOGON == 1) {
      u.free(log, {"---------------------------------------------"});
      u.free(log, {"loop=", iloop});
      u.free(log, {flefile.view()});
    }
    int ierr = 0;
    io::MK_CASE(lst, in.LCFILES, flefile.span(), ierr);

    FileState s;
    s.separation = separation;
    s.unit = iout;
    pass_start(run, s.clock);
    if (iloop == 1) {
      s.ip = 1;
      s.ihrgap = in.HHS;
    } else {
      s.ip = in.NPUFFS + 1;
    }
    // The first run of the sequence in file ILOOP begins ILOOP-1 hours after
    // the run start: the gap before it ends there.
    Clock c = s.clock;
    if (s.ip > 1) {
      common::INCRS(u, lst, c.yr, c.jul, c.hr, c.sec, (iloop - 1) * 3600);
      for (int k = 0; k < in.NSEP / 24; ++k) common::INCRS(u, lst, c.yr, c.jul, c.hr, c.sec, -86400);
    }
    common::MKDAT(c.yr, c.jul, c.hr, f.IDATESEQ);

    // Each record goes to the file as its step ends, under a temporary name
    // in the file's own folder: the files take their names together at the
    // run's normal end, so a run that stops on the way leaves nothing that
    // could pass for a result, nor a mixture with an earlier run's files. The
    // header's period ends where the last record ends, which is filled in when
    // the file is whole. A file that cannot be opened still has its pass run
    // to the end, so that the list file and the log read as for any pass, and
    // is reported where the file would have been complete.
    FlemarbPeriodMark mark;
    s.open = IWRFLEMARBHDR(run, iout, lst, flefile.view(), FlemarbPeriodEnd{}, &mark,
                           io::Units::Visible::WhenWhole) == 0;
    std::string why = s.open ? std::string() : u.open_error();
    while (f.IDATECUR <= in.IDATEE) one_step(run, s);
    u.close(met);

    const FlemarbPeriodEnd end{s.clock.yr, s.clock.jul, s.clock.hr, s.clock.sec};
    if (s.open) {
      if (!IWRFLEMARBEND(run, iout, mark, end)) throw std::logic_error("flare file header record 15 not found");
      if (!u.finish(flefile.view(), "flare file")) throw std::logic_error("flare file without its temporary");
    }
    if (!why.empty()) {
      const std::string name = io::host_path(flefile.view());
      for (int unit : {io::CONSOLE, lst, io::ERR}) u.free(unit, {"Error opening flare file: ", name, ": ", why});
      return false;
    }
    warn_missing_meteorology(run, lst);
  }
  return true;
}

}  // namespace quelmar::driver

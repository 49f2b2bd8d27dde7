#include "driver/quelmar.hpp"

#include <ctime>
#include <exception>
#include <optional>
#include <string>

#include "driver/aermod.hpp"
#include "driver/calpuff.hpp"
#include "driver/file_names.hpp"
#include "driver/prepare.hpp"
#include "input/chkinput.hpp"
#include "input/readinp.hpp"
#include "common/utils.hpp"
#include "input/wrcontrol.hpp"
#include "io/stop.hpp"
#include "io/temporaries.hpp"
#include "io/units.hpp"

namespace quelmar::driver {

namespace {

using run::Run;

double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

std::string time_of_day() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
  return buf;
}

// What `quelmar --help` shows.
constexpr const char* kUsage[] = {
    "Usage: quelmar [control-file]",
    "",
    "QUELMAR prepares the source inputs of AERMOD and CALPUFF for a gas flare or a",
    "plain stack. It reads the control file (quelmar.inp in the current folder when",
    "none is named) and the meteorological file that the control file names, and",
    "writes the list file (LSTDAT), the debug log (LOGDAT, with MDEBUG = 1), and",
    "CALPUFF flare files (MDSPMOD = 1) or AERMOD control files with their hourly",
    "emission files (MDSPMOD = 2).",
    "",
    "Every file name in the control file is taken relative to the current folder,",
    "not to the folder of the control file.",
    "",
    "Exit status: 0 after the normal end (\"Program Terminated\"); 1 after input",
    "errors or any other failure (\"Program Terminated with ***ERRORS***\" or a",
    "\"***FATAL ERROR***\" message). The model files take their names together at",
    "the normal end: a run that stops, also by SIGINT, SIGTERM or SIGHUP (which",
    "end it with that signal's status), leaves none of its own.",
    "",
    "  -h, --help   show this text",
    "  --version    show the program's version and level",
};

// The error end: the termination text where it can be read, every unit closed.
int error_end(Run& run) {
  io::Units& u = run.units;
  const char* text = "Program Terminated with ***ERRORS***";
  u.free(io::CONSOLE, {text});
  if (u.is_open(io::LST)) u.free(io::LST, {text});
  if (run.stdc.LOGON == 1) u.free(io::LOG, {text});
  u.discard_temporaries();
  u.discard(io::OUT);
  for (int unit : {io::LST, io::LOG, io::MET}) u.close(unit);
  u.flush();
  return 1;
}

}  // namespace

int QUELMAR(Run& run, int argc, const char* const* argv) {
  io::Units& u = run.units;
  run::MOD_READINP& in = run.inp;
  const double start = cpu_seconds();

  // The control file: the first command-line argument, or quelmar.inp.
  io::Text<255> ctlfile, cmdarg;
  ctlfile.set_blank_padded("quelmar.inp");
  common::GETCOM(cmdarg.span(), argc, argv);
  const std::string_view arg = cmdarg.trimmed();
  if (arg == "--help" || arg == "-h") {
    for (const char* line : kUsage) u.free(io::CONSOLE, {line});
    u.flush();
    return 0;
  }
  if (arg == "--version") {
    u.free(io::CONSOLE, {run.ver.MODELNAME.trimmed(), " version ", run.ver.VERSION.trimmed(), ", level ",
                         run.ver.LEVEL.trimmed()});
    u.flush();
    return 0;
  }
  if (cmdarg.len_real() >= 1) {
    common::GETCOM(ctlfile.span(), argc, argv);
    u.free(io::CONSOLE, {"Control file:[", ctlfile.trimmed(), "]"});
    u.free(io::CONSOLE, {});
  }

  common::INITIALIZE(in.RAW, 0.0);
  common::INITIALIZE(run.file1.MIXN, 0.0);
  common::INITIALIZE(in.FUEL, 0.0);
  common::INITIALIZE(run.file1.MIXSPARE, 0.0);
  common::INITIALIZE(in.LIFT, 0.0);

  if (input::IRDCONTROL(run, io::CTL, ctlfile.view()) == 1) {
    // On the console the reason goes on in a record of its own when the line
    // is full; standard error has it in one line.
    for (int unit : {io::CONSOLE, io::ERR})
      u.free(unit, {"***FATAL ERROR*** cannot open control file ", ctlfile.trimmed(), ": ", u.open_error()});
    return error_end(run);
  }

  int ierr = 0;
  io::MK_CASE(io::LST, in.LCFILES, in.LSTDAT.span(), ierr);
  if (io::host_path(in.LSTDAT.view()).empty()) {
    // Without a list file the run could report nothing of what it finds.
    for (int unit : {io::CONSOLE, io::ERR}) u.free(unit, {"***FATAL ERROR*** the control file names no list file (LSTDAT)"});
    return error_end(run);
  }
  if (!u.open_write(io::LST, in.LSTDAT.view())) {
    for (int unit : {io::CONSOLE, io::ERR})
      u.free(unit, {"Error opening LSTDAT: ", io::host_path(in.LSTDAT.view()), ": ", u.open_error()});
    return error_end(run);
  }
  // A run that is stopped or killed leaves every record of the list file
  // written before the end.
  u.write_through(io::LST);
  for (run::Text255* name : {&in.LOGDAT, &in.METDAT, &in.METDAT2, &in.RECINC, &in.OUTNAME, &in.OUTPATH})
    io::MK_CASE(io::LST, in.LCFILES, name->span(), ierr);

  run.stdc.LOGON = 0;
  if (in.MDEBUG == 1 && in.LOGDAT.len_real() >= 1) {
    if (!u.open_write(io::LOG, in.LOGDAT.view())) {
      for (int unit : {io::CONSOLE, io::LST, io::ERR})
        u.free(unit, {"Error opening LOGDAT: ", io::host_path(in.LOGDAT.view()), ": ", u.open_error()});
      return error_end(run);
    }
    run.stdc.LOGON = 1;
  }

  const std::initializer_list<io::Item> banner = {"Model:", run.ver.MODELNAME.view(), " Version:",
                                                  run.ver.VERSION.view(), " Level:", run.ver.LEVEL.view()};
  u.free(io::LST, banner);
  if (run.stdc.LOGON == 1) u.free(io::LOG, banner);

  input::IWRCONTROL(run, io::LST);
  input::write_unknown_keywords(run, io::LST);

  const int nerr = input::ICHKINPUT(run, io::LST);
  if (nerr >= 1) {
    // Standard error has the count; the list file has the errors themselves.
    for (int unit : {io::LST, io::ERR}) u.free(unit, {"Number of errors in input file:", nerr});
    const std::string ctime = time_of_day();
    u.free(io::LST, {ctime});
    return error_end(run);
  }

  if (!prepare_run(run)) return error_end(run);

  if (in.MDSPMOD == 1 && !MKFILCP(run, io::OUT, io::LST, io::MET, io::LOG)) return error_end(run);
  if (in.MDSPMOD == 2 && !MKFILAM(run, io::OUT, io::LST, io::MET, io::LOG)) return error_end(run);

  // The normal end. The model files take their names together, and only
  // here: a run that stops before leaves none of its own and an earlier run's
  // files as they were. A stop signal waits from now until the run has ended.
  const io::StopSignalsHeld held;
  if (const std::optional<io::Units::Unpublished> failed = u.publish_all()) {
    for (int unit : {io::CONSOLE, io::LST, io::ERR})
      u.free(unit, {"Error opening ", failed->what, ": ", failed->name, ": ", failed->reason});
    return error_end(run);
  }
  warn_foreign_files(run, io::LST);

  const double used = cpu_seconds() - start;
  u.free(io::LST, {"CPU Time ", used, " seconds"});
  u.free(io::LST, {"Program Terminated"});
  if (run.stdc.LOGON == 1) u.free(io::LOG, {"Program Terminated"});
  // The console says the run ended well only once the list file and the log
  // are written to their ends.
  u.close(io::LOG);
  u.close(io::LST);
  u.free(io::CONSOLE, {"Program Terminated"});
  u.flush();
  return 0;
}

namespace {

// The end of an immediate stop: its text (when it has one) in the list file
// while that can still be written and on standard error, the run's model files
// removed (none has taken its name yet), every unit closed.
int stop_end(Run& run, const std::string& text) {
  io::Units& u = run.units;
  // What fails here (a list file that cannot be written, a console that has
  // failed already) must not hide the text.
  try {
    if (!text.empty() && u.is_open(io::LST)) u.free(io::LST, {text});
  } catch (const std::exception&) {
  }
  try {
    u.discard_temporaries();
    u.discard(io::OUT);
  } catch (const std::exception&) {
  }
  u.close_all();
  if (!text.empty()) u.err() << text << '\n';
  u.err().flush();
  return 1;
}

}  // namespace

int run_program(Run& run, int argc, const char* const* argv) {
  try {
    return QUELMAR(run, argc, argv);
  } catch (const io::Stop& stop) {
    return stop_end(run, stop.text);
  } catch (const std::exception& e) {
    // Anything else that ends the run early (memory, a value beyond a table or
    // a layout): the same end, with what went wrong.
    return stop_end(run, std::string("***FATAL ERROR*** ") + e.what());
  }
}

}  // namespace quelmar::driver

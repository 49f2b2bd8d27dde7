// The main program run as a subprocess: console text, exit status, list file
// and debug log, and the case of the file names it creates.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <streambuf>

#include "driver/quelmar.hpp"
#include "test_util.hpp"

namespace quelmar::test {
namespace {

const char* kBanner = " Model:QUELMAR      Version:2.01         Level:220131      ";

// Keywords that pass the input checks and write no model file.
const std::string kValid =
    "! MDSPMOD = 0 !\n! MINPUT = 1 !\n! MBLOWDOWN = 0 !\n! MDIST = 1 !\n! MMET = 3 !\n! MFGR = 2 !\n"
    "! QMAX = 100 !\n! DF = 0.5 !\n! DS = 0.5 !\n! HS = 20 !\n! RAW_C1 = 1 !\n! TAMB = 288 !\n! WINDSP = 3 !\n"
    "! PGCLASS = 4 !\n! ZREF = 10 !\n! ODOURPPB = 1 !\n! YYS = 2021 !\n! MMS = 1 !\n! DDS = 1 !\n"
    "! YYE = 2021 !\n! MME = 1 !\n! DDE = 1 !\n";

TEST(MainProgram, DefaultControlFileAndNormalEnd) {
  TempDir dir;
  write_file(dir.file("quelmar.inp"), "QUELMAR 1\n! LSTDAT = run1.lst !\n" + kValid);
  const ProcessResult r = run_quelmar(dir.path(), "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Program Terminated\n");  // no "Control file:[" line without an argument
  EXPECT_TRUE(r.err.empty());
  const auto recs = file_records(dir.file("RUN1.LST"));  // upper case: LCFILES is false
  ASSERT_GE(recs.size(), 3u);
  EXPECT_EQ(recs.front(), kBanner);
  EXPECT_EQ(recs[recs.size() - 2].substr(0, 10), " CPU Time ");
  EXPECT_EQ(recs.back(), " Program Terminated");
  EXPECT_FALSE(fs::exists(dir.file("run1.lst")));
}

TEST(MainProgram, NamedControlFileKeepsItsCase) {
  TempDir dir;
  write_file(dir.file("Run1.inp"),
             "QUELMAR 1\n! LSTDAT = RUN1.LST !\n! LCFILES = T !\n! MDEBUG = 1 !\n! LOGDAT = Run1.Log !\n" + kValid);
  const ProcessResult r = run_quelmar(dir.path(), "Run1.inp");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Control file:[Run1.inp]\n\nProgram Terminated\n");
  ASSERT_TRUE(fs::exists(dir.file("run1.lst")));
  const auto log = file_records(dir.file("run1.log"));
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log.front(), kBanner);
  EXPECT_EQ(log.back(), " Program Terminated");
}

// The first mistakes of a new user: each ends with status 1 and names its
// cause on the console and on standard error, and none writes a file.
TEST(MainProgram, MistakesBeforeTheListFileNameTheirCause) {
  const char* end = "Program Terminated with ***ERRORS***\n";
  const std::string no_list = "***FATAL ERROR*** the control file names no list file (LSTDAT)";
  struct Case {
    const char* what;
    std::string args;      // the command line after the program's name
    std::string control;   // quelmar.inp, or none when empty
    std::string out, err;  // the console and standard error
  };
  const Case cases[] = {
      {"a control file that does not exist", "nothere.inp", "",
       "Control file:[nothere.inp]\n\n***FATAL ERROR*** cannot open control file nothere.inp: \n"
       "No such file or directory\n" + std::string(end),
       "***FATAL ERROR*** cannot open control file nothere.inp: No such file or directory\n"},
      {"no argument and no quelmar.inp", "", "",
       "***FATAL ERROR*** cannot open control file quelmar.inp: \nNo such file or directory\n" + std::string(end),
       "***FATAL ERROR*** cannot open control file quelmar.inp: No such file or directory\n"},
      {"a folder", "sub", "",
       "Control file:[sub]\n\n***FATAL ERROR*** cannot open control file sub: Is a directory\n" + std::string(end),
       "***FATAL ERROR*** cannot open control file sub: Is a directory\n"},
      {"no LSTDAT", "", "QUELMAR 1\n" + kValid, no_list + "\n" + end, no_list + "\n"},
      {"a blank LSTDAT", "", "QUELMAR 1\n! LSTDAT =  !\n" + kValid, no_list + "\n" + end, no_list + "\n"},
      // Carriage returns alone end no line: the file is one line, whose one
      // keyword is the first between exclamation marks.
      {"CR-only line ends", "", "QUELMAR 1\r! MDSPMOD = 0 !\r! LSTDAT = a.lst !\r", no_list + "\n" + end,
       no_list + "\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    fs::create_directory(dir.path() / "sub");
    if (!c.control.empty()) write_file(dir.file("quelmar.inp"), c.control);
    const auto before = folder_names(dir);
    const ProcessResult r = run_quelmar(dir.path(), c.args);
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_EQ(r.out, c.out) << c.what;
    EXPECT_EQ(r.err, c.err) << c.what;
    EXPECT_EQ(r.out.find('\0'), std::string::npos) << c.what;
    EXPECT_EQ(folder_names(dir), before) << c.what;
  }
}

// Help and version: on standard output, status 0, no file written.
TEST(MainProgram, HelpAndVersion) {
  TempDir dir;
  for (const char* arg : {"--help", "-h"}) {
    const ProcessResult r = run_quelmar(dir.path(), arg);
    EXPECT_EQ(r.status, 0) << arg;
    EXPECT_EQ(r.out.rfind("Usage: quelmar [control-file]\n", 0), 0u) << r.out;
    for (const char* part : {"quelmar.inp", "relative to the current folder", "Exit status: 0", "--version"})
      EXPECT_NE(r.out.find(part), std::string::npos) << part;
    for (const std::string& line : text_lines(r.out)) EXPECT_LE(line.size(), 78u) << line;
    EXPECT_TRUE(r.err.empty());
  }
  const ProcessResult v = run_quelmar(dir.path(), "--version");
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "QUELMAR version 2.01, level 220131\n");
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(MainProgram, ListFileThatCannotBeOpened) {
  TempDir dir;
  write_file(dir.file("quelmar.inp"), "QUELMAR 1\n! LSTDAT = nofolder/run1.lst !\n");
  ProcessResult r = run_quelmar(dir.path(), "");
  EXPECT_EQ(r.status, 1);
  // The name as it was opened and the system's reason, then the termination.
  EXPECT_EQ(r.out, "Error opening LSTDAT: NOFOLDER/RUN1.LST: No such file or directory\n"
                   "Program Terminated with ***ERRORS***\n");
  EXPECT_EQ(r.err, "Error opening LSTDAT: NOFOLDER/RUN1.LST: No such file or directory\n");
}

TEST(MainProgram, DebugLogThatCannotBeOpened) {
  TempDir dir;
  write_file(dir.file("quelmar.inp"), "QUELMAR 1\n! LSTDAT = a.lst !\n! MDEBUG = 1 !\n! LOGDAT = no/a.log !\n");
  const ProcessResult r = run_quelmar(dir.path(), "");
  EXPECT_EQ(r.status, 1);
  const std::string message = "Error opening LOGDAT: NO/A.LOG: No such file or directory";
  EXPECT_EQ(r.out, message + "\nProgram Terminated with ***ERRORS***\n");
  EXPECT_EQ(r.err, message + "\n");
  EXPECT_EQ(file_records(dir.file("A.LST")),
            (std::vector<std::string>{" " + message, " Program Terminated with ***ERRORS***"}));
}

TEST(MainProgram, NoDebugLogWithoutItsSwitchOrName) {
  TempDir dir;
  for (const char* text : {"QUELMAR 1\n! LSTDAT = a.lst !\n! MDEBUG = 1 !\n",
                           "QUELMAR 1\n! LSTDAT = a.lst !\n! MDEBUG = 2 !\n! LOGDAT = a.log !\n"}) {
    write_file(dir.file("quelmar.inp"), text + kValid);
    const ProcessResult r = run_quelmar(dir.path(), "");
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(fs::exists(dir.file("A.LOG")));
  }
}

TEST(MainProgram, InputErrorsTakeTheErrorEnd) {
  TempDir dir;
  // MINPUT 7 and MMET 0: two counted errors.
  std::string text = "QUELMAR 1\n! LSTDAT = a.lst !\n! MINPUT = 7 !\n" + kValid;
  text.replace(text.find("! MMET = 3 !"), 12, "! MMET = 0 !");
  write_file(dir.file("quelmar.inp"), text);
  const ProcessResult r = run_quelmar(dir.path(), "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Program Terminated with ***ERRORS***\n");
  const auto recs = file_records(dir.file("A.LST"));
  ASSERT_GE(recs.size(), 3u);
  EXPECT_EQ(recs[recs.size() - 3], " Number of errors in input file:           2");
  const std::string& t = recs[recs.size() - 2];  // the time of day, hh:mm:ss
  ASSERT_EQ(t.size(), 9u);
  EXPECT_EQ(t[3], ':');
  EXPECT_EQ(t[6], ':');
  EXPECT_EQ(recs.back(), " Program Terminated with ***ERRORS***");
}

TEST(MainProgram, MissingRequiredKeywordStopsAtOnce) {
  TempDir dir;
  write_file(dir.file("quelmar.inp"), "QUELMAR 1\n! LSTDAT = a.lst !\n! MFGR = 1 !\n");
  const ProcessResult r = run_quelmar(dir.path(), "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "***FATAL ERROR*** Missing QMAX with MFGR=1\n");
  EXPECT_EQ(r.err, "***FATAL ERROR*** Missing QMAX with MFGR=1\n");
  EXPECT_FALSE(fs::exists(dir.file("A.LST")));
}

// A CALPUFF run that passes the input checks but for what each test changes.
const std::string kCalpuff = "! OUTNAME = out !\n! SNAME = F1 !\n! PMAP = UTM !\n! UTMHEM = N !\n! ABTZ = UTC-0700 !\n"
                             "! DATUM = WGS-84 !\n! TIMEINC = 3600 !\n! MDSPMOD = 1 !\n! IUTMZN = 12 !\n";

// Without a start year the CALPUFF path used to walk 2000 years of hours. Now
// the input checks refuse it at once, after the warning for an unknown key
// and the error for a value that is not a number; no flare file is written.
TEST(MainProgram, ControlFileWithoutYearEndsAtOnce) {
  TempDir dir;
  std::string text = "QUELMAR 1\n! LSTDAT = a.lst !\n! HSS = 45 !\n! QMAX = 1OO !\n" + kCalpuff + kValid;
  text.erase(text.find("! YYS = 2021 !\n"), 15);
  write_file(dir.file("quelmar.inp"), text);
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult r = run_quelmar(dir.path(), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Program Terminated with ***ERRORS***\n");
  EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"A.LST", "quelmar.inp"}));
  const auto recs = file_records(dir.file("A.LST"));
  const auto end = std::find(recs.begin(), recs.end(), " end of input file");
  ASSERT_LE(end + 8, recs.end());
  EXPECT_EQ(std::vector<std::string>(end + 3, end + 6),
            (std::vector<std::string>{" WARNING: unknown keyword in the control file: HSS",
                                      " FATAL ERROR: QMAX is not a number: 1OO",
                                      " FATAL ERROR: YYS must be a year of four digits, YYS=           0"}));
  EXPECT_EQ(end[6], " Number of errors in input file:           2");
  EXPECT_EQ(recs.back(), " Program Terminated with ***ERRORS***");
}

// A flare file with a value that does not fit its field is not written: the
// run stops, naming the file, the place and what the value is, and says so in
// the list file. (An easting of 10^20 km no longer gets this far: the input
// checks refuse it.) Cases: a molar mass of 10^9 g/mol in the header's
// 10F12.3 record (line 18, the first field); a flare 10^6 m high, whose
// release height fills the F10.4 field of the source line (line 21: 'F1',
// then X and Y each in a blank and 10 columns, so columns 28 to 37).
TEST(MainProgram, NoFlareFileWithAFieldOfAsterisks) {
  struct Case {
    std::string lines, message;
  };
  const std::string head = "***FATAL ERROR*** a value does not fit its field in OUT_01.DAT, line ";
  const Case cases[] = {
      {"! NSPEC = 1 !\n! CHEMLST = SO2 !\n! MW = 1e9 !\n", head + "18, columns 1 to 12: a molar mass in g/mol (MW)"},
      {"! HS = 1e6 !\n", head + "21, columns 28 to 37: the release height in m (HS)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    TempDir dir;
    write_file(dir.file("quelmar.inp"), "QUELMAR 1\n! LSTDAT = a.lst !\n" + c.lines + kCalpuff + kValid);
    const ProcessResult r = run_quelmar(dir.path(), "");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.message + "\n");
    EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"A.LST", "quelmar.inp"}));
    const auto recs = file_records(dir.file("A.LST"));
    const auto at = std::find(recs.begin(), recs.end(), " " + c.message.substr(0, 79));
    ASSERT_NE(at, recs.end());
    EXPECT_EQ(joined(std::vector<std::string>(at, recs.end())), c.message);
  }
}

// Any other exception ends the run the same way: its text on standard error,
// the units closed, status 1. Here the console itself fails.
TEST(MainProgram, ExceptionsOtherThanStopsEndWithTheirText) {
  struct Failing : std::streambuf {
    int_type overflow(int_type) override { throw std::runtime_error("console gone"); }
  } failing;
  std::ostream out(&failing);
  out.exceptions(std::ios::badbit);
  std::ostringstream err;
  {
    run::Run run(out, err);
    const char* argv[] = {"quelmar", "none.inp"};
    EXPECT_EQ(driver::run_program(run, 2, argv), 1);
    out.exceptions(std::ios::goodbit);  // the run's own end may touch the console again
  }
  EXPECT_EQ(err.str(), "***FATAL ERROR*** console gone\n");
}

// A stop in the middle of the run: its reason and its stop text in the list
// file as well as on the console and standard error; no flare file.
TEST(MainProgram, StopWritesItsReasonIntoTheListFile) {
  TempDir dir;
  write_file(dir.file("quelmar.inp"), "QUELMAR 1\n! LSTDAT = a.lst !\n! MFASSIST = 1 !\n! MFASSISTSTEAM = 1 !\n"
                                      "! STM_FLOW = -1 !\n" + kCalpuff + kValid);
  const ProcessResult r = run_quelmar(dir.path(), "");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("***FATAL ERROR*** STM_FLOW (assist-steam flow) is negative:\n"), std::string::npos);
  EXPECT_EQ(r.err, "***FATAL ERROR*** STM_FLOW (assist-steam flow) is negative:  -1.00000000000000     \n"
                   "HALTED in routine EMISSIONS()\n");
  EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"A.LST", "quelmar.inp"}));
  const auto recs = file_records(dir.file("A.LST"));
  ASSERT_GE(recs.size(), 3u);
  // The record is wider than 80 columns: the value goes on in a record of its own.
  EXPECT_EQ(std::vector<std::string>(recs.end() - 3, recs.end()),
            (std::vector<std::string>{" ***FATAL ERROR*** STM_FLOW (assist-steam flow) is negative:",
                                      "   -1.00000000000000     ", " HALTED in routine EMISSIONS()"}));
}

}  // namespace
}  // namespace quelmar::test

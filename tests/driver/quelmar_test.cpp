// The main program run as a subprocess: console text, exit status, list file
// and debug log, and the case of the file names it creates.
#include <gtest/gtest.h>

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

TEST(MainProgram, MissingControlFileTakesTheErrorEnd) {
  TempDir dir;
  const ProcessResult r = run_quelmar(dir.path(), "none.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Control file:[none.inp]\n\nProgram Terminated with ***ERRORS***\n");
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(MainProgram, ListFileThatCannotBeOpened) {
  TempDir dir;
  write_file(dir.file("quelmar.inp"), "QUELMAR 1\n! LSTDAT = nofolder/run1.lst !\n");
  ProcessResult r = run_quelmar(dir.path(), "");
  EXPECT_EQ(r.status, 1);
  // The whole 255-character field as stored (NULs behind the name), then the termination.
  const std::string name = "NOFOLDER/RUN1.LST";
  const std::string field = name + std::string(255 - name.size(), '\0');
  const std::string expected = "Error opening LSTDAT:\n" + field.substr(0, 78) + "\n" + field.substr(78, 78) + "\n" +
                               field.substr(156, 78) + "\n" + field.substr(234) + "\n" +
                               "Program Terminated with ***ERRORS***\n";
  EXPECT_EQ(r.out, expected);

  // A blank LSTDAT has no name to open: the same message and the error end.
  write_file(dir.file("quelmar.inp"), "QUELMAR 1\n! MDSPMOD = 0 !\n");
  r = run_quelmar(dir.path(), "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, 22), "Error opening LSTDAT:\n");
  EXPECT_NE(r.out.find("Program Terminated with ***ERRORS***"), std::string::npos);
}

TEST(MainProgram, DebugLogThatCannotBeOpened) {
  TempDir dir;
  write_file(dir.file("quelmar.inp"), "QUELMAR 1\n! LSTDAT = a.lst !\n! MDEBUG = 1 !\n! LOGDAT = no/a.log !\n");
  const ProcessResult r = run_quelmar(dir.path(), "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, 21), "Error opening LOGDAT:");
  EXPECT_EQ(file_records(dir.file("A.LST")), std::vector<std::string>{" Program Terminated with ***ERRORS***"});
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
  EXPECT_TRUE(r.err.empty());
  EXPECT_FALSE(fs::exists(dir.file("A.LST")));
}

}  // namespace
}  // namespace quelmar::test

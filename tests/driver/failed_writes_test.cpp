// Runs that the world around them fails, as a user's batch system runs them:
// a full disk, a file-size limit, a job stopped by its scheduler or by Ctrl-C.
// The run must end with status 1 (or the signal's own status) and a message
// that names the file and the system's reason, and no model file may stand
// under its own name unless it is whole.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "test_util.hpp"

namespace quelmar::test {
namespace {

// A period from 1 January 2021, 00:00, to day `end_day` at 23:00.
std::string period(int end_day) {
  return "! YYS = 2021 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n! YYE = 2021 !\n! MME = 1 !\n! DDE = " +
         std::to_string(end_day) + " !\n! HHE = 23 !\n";
}

// A user sequence of `rows` rows of `seconds` each, at rates that differ from
// row to row.
std::string sequence(int rows, int seconds) {
  std::string s = "! MINPUT = 2 !\n! NSEQ = " + std::to_string(rows) + " !\n";
  for (int i = 1; i <= rows; ++i) s += "! SEQ = " + std::to_string(50 + i % 7) + ", " + std::to_string(seconds) + ", -1, -1 !\n";
  return s;
}

// The steady sour-gas flare written one record a minute for a day: a flare
// file of about half a megabyte.
std::string calpuff_minutes() {
  return "QUELMAR 1\n! PUFFDUR = 60 !\n! TIMEINC = 60 !\n" + kSteadySourFlare + kCalpuffFlareFile + period(1);
}

// The same flare for AERMOD in 32 virtual sources over five days: an hourly
// emission file of about 400 kB.
std::string aermod_days() { return "QUELMAR 1\n" + kSteadySourFlare + "! MDSPMOD = 2 !\n! NSOURCES = 32 !\n" + period(5); }

const std::string kFull = "/dev/full";  // every write there fails with "No space left on device"

bool has_dev_full() { return fs::exists(kFull); }

// The list file or the debug log on a full disk: the run stops with status 1
// and the reason on standard error; a failing debug log also has it written at
// the end of the list file. The console does not claim a normal end.
TEST(FailedWrites, ListFileAndDebugLogOnAFullDisk) {
  if (!has_dev_full()) GTEST_SKIP() << "no /dev/full on this machine";
  const std::string message = "***FATAL ERROR*** cannot write /dev/full: No space left on device";
  {
    TempDir dir;
    write_file(dir.file("run.inp"), "QUELMAR 1\n! LSTDAT = /dev/full !\n" + calpuff_minutes());
    const ProcessResult r = run_quelmar(dir.path(), "run.inp");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, message + "\n");
    EXPECT_EQ(r.out.find("Program Terminated"), std::string::npos) << r.out;
  }
  {
    TempDir dir;
    write_file(dir.file("run.inp"), "QUELMAR 1\n! MDEBUG = 1 !\n! LOGDAT = /dev/full !\n" + calpuff_minutes());
    const ProcessResult r = run_quelmar(dir.path(), "run.inp");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, message + "\n");
    EXPECT_EQ(r.out.find("Program Terminated"), std::string::npos) << r.out;
    const auto lst = file_records(dir.file("run.lst"));
    ASSERT_FALSE(lst.empty());
    EXPECT_EQ(lst.back(), " " + message);
    // The log fills up long before the flare file is whole: no flare file.
    EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"run.inp", "run.lst"}));
  }
}

// A run started with standard input, output or error closed, as schedulers and
// services start jobs, on the control file of its default name: every file is
// the one a normal run writes (the console's records go nowhere, not into the
// first file that the run opens), and the run ends normally.
TEST(FailedWrites, ClosedStandardDescriptorsAreNotTakenByFiles) {
  const std::string control = "QUELMAR 1\n! NSEP = 24 !\n" + sequence(3, 1200) + kSteadySourFlare + kCalpuffFlareFile + period(1);
  TempDir normal;
  write_file(normal.file("quelmar.inp"), control);
  ASSERT_EQ(run_quelmar(normal.path(), "").status, 0);
  // The list file without its CPU time, which differs from run to run.
  auto listed = [](const std::string& path) {
    std::vector<std::string> recs = file_records(path);
    recs.erase(std::remove_if(recs.begin(), recs.end(), [](const std::string& r) { return r.rfind(" CPU Time", 0) == 0; }),
               recs.end());
    return recs;
  };
  for (const std::vector<int>& closed : {std::vector<int>{0, 1}, {1}, {0, 1, 2}, {2}}) {
    std::string which;
    for (int fd : closed) which += std::to_string(fd) + " ";
    SCOPED_TRACE("closed: " + which);
    TempDir dir;
    write_file(dir.file("quelmar.inp"), control);
    Surroundings around;
    around.closed = closed;
    const ChildEnd r = run_quelmar_as(dir.path(), "", around);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(folder_names(dir), folder_names(normal));
    for (const std::string& f : folder_names(normal)) {
      if (f == "run.lst") EXPECT_EQ(listed(dir.file(f)), listed(normal.file(f)));
      else EXPECT_TRUE(read_file(dir.file(f)) == read_file(normal.file(f))) << f << " differs from a normal run's";
    }
  }
}

// A model file that reaches the file-size limit (SIGXFSZ is ignored, so the
// write fails as on a full disk): status 1, the message on standard error and
// at the end of the list file, and neither the file nor its temporary left.
TEST(FailedWrites, ModelFileBeyondTheFileSizeLimit) {
  struct Case {
    std::string control;
    std::string name;
  };
  for (const Case& c : {Case{calpuff_minutes(), "out_01.dat"}, Case{aermod_days(), "out_mod_01.dat"}}) {
    TempDir dir;
    write_file(dir.file("run.inp"), c.control);
    Surroundings limited;
    limited.file_size_limit = 64 * 1024;
    const ChildEnd r = run_quelmar_as(dir.path(), "run.inp", limited);
    const std::string message = "***FATAL ERROR*** cannot write " + c.name + ": File too large";
    EXPECT_EQ(r.signal, 0) << c.name;
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, message + "\n");
    const auto lst = file_records(dir.file("run.lst"));
    ASSERT_FALSE(lst.empty());
    EXPECT_EQ(lst.back(), " " + message);
    EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"run.inp", "run.lst"})) << c.name;
  }
}

// A run stopped by a signal in the middle: the files finished before it stay
// and are those of a complete run, the ones being written are gone with their
// temporaries, and the process ends with the signal's own status after a line
// on standard error. The third pass's temporary file is made a pipe that the
// test does not drain, so that the signal always finds the run writing it.
TEST(FailedWrites, AStoppedRunLeavesOnlyWholeFiles) {
  struct Case {
    std::string control;
    int signal;
    const char* signal_name;
    std::vector<std::string> finished;  // the files of the first two passes
    std::string third;                  // the temporary of the third pass's largest file
  };
  const std::vector<Case> cases = {
      // 24 flare files of a 600-row sequence of one minute each, over two days.
      {"QUELMAR 1\n! NSEP = 24 !\n" + sequence(600, 60) + kSteadySourFlare + kCalpuffFlareFile + period(2), SIGTERM, "SIGTERM",
       {"out_01.dat", "out_02.dat"}, "out_03.dat.part"},
      // Ten rows for AERMOD over two months in 32 virtual sources.
      {"QUELMAR 1\n" + sequence(10, 3600) + kSteadySourFlare + "! MDSPMOD = 2 !\n! NSOURCES = 32 !\n" +
           "! YYS = 2021 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n! YYE = 2021 !\n! MME = 2 !\n! DDE = 28 !\n"
           "! HHE = 23 !\n",
       SIGINT, "SIGINT", {"out_mod_01.dat", "out_mod_01.inx", "out_mod_02.dat", "out_mod_02.inx"},
       "out_mod_03.dat.part"},
  };
  for (const Case& c : cases) {
    TempDir whole, stopped;
    write_file(whole.file("run.inp"), c.control);
    ASSERT_EQ(run_quelmar(whole.path(), "run.inp").status, 0) << c.signal_name;

    write_file(stopped.file("run.inp"), c.control);
    const std::string pipe = stopped.file(c.third);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    Surroundings around;
    around.signal = c.signal;
    around.send_when = [reader] {
      pollfd p{reader, POLLIN, 0};
      return poll(&p, 1, 0) == 1 && (p.revents & POLLIN) != 0;
    };
    const ChildEnd r = run_quelmar_as(stopped.path(), "run.inp", around);
    ::close(reader);
    ASSERT_EQ(r.signal, c.signal) << "the run ended before the signal was sent (status " << r.status << ")";
    EXPECT_EQ(r.err, std::string("***FATAL ERROR*** run stopped by ") + c.signal_name +
                         ": its unfinished model files were removed\n");
    std::vector<std::string> expected = c.finished;
    expected.insert(expected.end(), {"run.inp", "run.lst"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder_names(stopped), expected) << c.signal_name;
    for (const std::string& f : c.finished)
      EXPECT_TRUE(read_file(stopped.file(f)) == read_file(whole.file(f))) << f << " differs from a complete run's";
  }
}

}  // namespace
}  // namespace quelmar::test

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
#include <functional>
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
      if (f == "run.lst") {
        EXPECT_EQ(listed(dir.file(f)), listed(normal.file(f)));
      } else {
        EXPECT_TRUE(read_file(dir.file(f)) == read_file(normal.file(f))) << f << " differs from a normal run's";
      }
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

// The records of a list file of a complete run that a stopped one shares with
// it, from the first: how far the stopped run wrote its list file.
std::size_t common_records(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
  return n;
}

// A rerun with changed inputs into the folder of a complete run, stopped in the
// middle by its scheduler or by Ctrl-C (a signal it handles) or killed
// (SIGKILL): the folder holds the complete run's files as they were and none
// of the stopped run's own under a final name (a killed run leaves its
// temporary ".part" files); the list file holds every record that the stopped
// run wrote, the records of a complete run of its inputs up to the stop, and
// then, after a signal it handles, the reason. The third pass's temporary file
// is made a pipe that the test does not drain, so that the stop always finds
// the run writing it.
TEST(FailedWrites, AStoppedRerunLeavesTheEarlierRunsFilesAsTheyWere) {
  struct Case {
    std::string control;     // the earlier run's; the rerun puts its stack 5 m higher
    int signal;
    const char* signal_name;
    std::string third;       // the temporary of the third pass's largest file
  };
  const std::vector<Case> cases = {
      // 24 flare files of a 600-row sequence of one minute each, over two days.
      {"QUELMAR 1\n! NSEP = 24 !\n" + sequence(600, 60) + kSteadySourFlare + kCalpuffFlareFile + period(2), SIGTERM,
       "SIGTERM", "out_03.dat.part"},
      // Ten rows for AERMOD over two months in 32 virtual sources.
      {"QUELMAR 1\n" + sequence(10, 3600) + kSteadySourFlare + "! MDSPMOD = 2 !\n! NSOURCES = 32 !\n" +
           "! YYS = 2021 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n! YYE = 2021 !\n! MME = 2 !\n! DDE = 28 !\n"
           "! HHE = 23 !\n",
       SIGINT, "SIGINT", "out_mod_03.dat.part"},
      {"QUELMAR 1\n! NSEP = 24 !\n" + sequence(600, 60) + kSteadySourFlare + kCalpuffFlareFile + period(2), SIGKILL,
       "SIGKILL", "out_03.dat.part"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signal_name);
    const std::string rerun = "QUELMAR 1\n! HS = 25 !\n" + c.control.substr(c.control.find('\n') + 1);
    TempDir earlier, complete;
    write_file(earlier.file("run.inp"), c.control);
    ASSERT_EQ(run_quelmar(earlier.path(), "run.inp").status, 0);
    write_file(complete.file("run.inp"), rerun);
    ASSERT_EQ(run_quelmar(complete.path(), "run.inp").status, 0);
    const std::vector<std::string> earlier_files = folder_names(earlier);
    const std::vector<std::string> complete_list = file_records(complete.file("run.lst"));

    // The rerun in a copy of the earlier run's folder.
    TempDir stopped;
    for (const std::string& f : earlier_files) fs::copy_file(earlier.file(f), stopped.file(f));
    fs::remove(stopped.file("run.lst"));
    write_file(stopped.file("run.inp"), rerun);
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

    // The earlier run's files as they were; nothing else under a final name.
    for (const std::string& f : folder_names(stopped)) {
      if (f.size() > 5 && f.substr(f.size() - 5) == ".part") {
        EXPECT_EQ(c.signal, SIGKILL) << f << " left by a run that could remove it";
        continue;
      }
      if (f == "run.inp" || f == "run.lst") continue;
      EXPECT_TRUE(std::find(earlier_files.begin(), earlier_files.end(), f) != earlier_files.end()) << f;
      EXPECT_TRUE(read_file(stopped.file(f)) == read_file(earlier.file(f))) << f << " is not the earlier run's";
    }
    for (const std::string& f : earlier_files) {
      if (f != "run.lst") {
        EXPECT_TRUE(fs::exists(stopped.file(f))) << f;
      }
    }

    // The list file up to the stop, at least to the end of the input's echo.
    std::vector<std::string> lst = file_records(stopped.file("run.lst"));
    if (c.signal != SIGKILL) {
      const std::string why = std::string("***FATAL ERROR*** run stopped by ") + c.signal_name +
                              ": its model files were removed";
      EXPECT_EQ(r.err, why + "\n");
      ASSERT_FALSE(lst.empty());
      EXPECT_EQ(lst.back(), " " + why);
      lst.pop_back();
    }
    EXPECT_EQ(common_records(lst, complete_list), lst.size());
    EXPECT_NE(std::find(lst.begin(), lst.end(), " end of input file"), lst.end());
  }
}

// The run as a user whom file permissions bind: a name it cannot write, whether
// a read-only model file of an earlier run or a file in a read-only folder,
// ends it with status 1 and "Error opening KIND: NAME: Permission denied" on
// standard error, the console and, when it is open, in the list file; the
// read-only file keeps its bytes and the run leaves no model file.
TEST(FailedWrites, NamesWithoutWritePermission) {
  const BoundUser user = user_bound_by_permissions();
  if (!user.available) GTEST_SKIP() << user.reason;
  const std::string calpuff = calpuff_minutes();
  const std::string aermod = aermod_days();
  struct Case {
    const char* what;
    std::string control;
    std::string read_only;  // an earlier run's file, made read-only
    std::string message;
  };
  const Case cases[] = {
      {"a read-only flare file", calpuff, "out_01.dat", "Error opening flare file: out_01.dat: Permission denied"},
      {"a read-only AERMOD control file", aermod, "out_mod_01.inx",
       "Error opening AERMOD control file: out_mod_01.inx: Permission denied"},
      {"flare files in a read-only folder", "QUELMAR 1\n! OUTPATH = ro !\n" + calpuff.substr(10), "",
       "Error opening flare file: ro/out_01.dat: Permission denied"},
      {"AERMOD files in a read-only folder", "QUELMAR 1\n! OUTPATH = ro\\ !\n" + aermod.substr(10), "",
       "Error opening AERMOD control file: ro/out_mod_01.inx: Permission denied"},
      {"a list file in a read-only folder", "QUELMAR 1\n! LSTDAT = ro/run.lst !\n" + calpuff.substr(10), "",
       "Error opening LSTDAT: ro/run.lst: Permission denied"},
      {"a debug log in a read-only folder", "QUELMAR 1\n! MDEBUG = 1 !\n! LOGDAT = ro/run.log !\n" + aermod.substr(10),
       "", "Error opening LOGDAT: ro/run.log: Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);  // the run's user writes here
    fs::create_directory(dir.path() / "ro");
    fs::permissions(dir.path() / "ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    write_file(dir.file("run.inp"), c.control);
    if (!c.read_only.empty()) {
      write_file(dir.file(c.read_only), "an older file\r\n");
      fs::permissions(dir.file(c.read_only), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    const std::vector<std::string> before = folder_names(dir);
    Surroundings around;
    around.uid = user.uid;
    around.gid = user.gid;
    around.program = user.program;
    const ChildEnd r = run_quelmar_as(dir.path(), "run.inp", around);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.message + "\n");
    EXPECT_NE(r.out.find(c.message.substr(0, 40)), std::string::npos) << r.out;
    std::vector<std::string> after = folder_names(dir);
    after.erase(std::remove(after.begin(), after.end(), "run.lst"), after.end());
    EXPECT_EQ(after, before);
    if (fs::exists(dir.file("run.lst"))) {
      const auto lst = file_records(dir.file("run.lst"));
      EXPECT_NE(std::find(lst.begin(), lst.end(), " " + c.message), lst.end());
      EXPECT_NE(lst.back(), " Program Terminated");
    }
    if (!c.read_only.empty()) {
      EXPECT_EQ(read_file(dir.file(c.read_only)), "an older file\r\n");
    }
  }
}

// Runs the program in `dir` on run.inp, whose debug log is the pipe log.fifo
// (of one page): the test reads it until it has read `loops` "loop=" records
// (the record that a pass writes before its model file, CALPUFF, or before its
// hourly emission file, AERMOD), then reads no more until `act` has returned
// true (it is called while the run writes), then to the end. The run writes
// far more to its log after such a record than the pipe and the unit hold, so
// it cannot end before the test has acted on its folder.
ChildEnd run_acting(const TempDir& dir, int loops, const std::function<bool()>& act) {
  const std::string pipe = dir.file("log.fifo");
  EXPECT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  EXPECT_GE(reader, 0);
  fcntl(reader, F_SETPIPE_SZ, 4096);
  enum { Reading, Acting, Draining } state = Reading;
  int seen = 0, polls = 0;
  std::string tail;  // the end of what was read, where a record may begin
  Surroundings around;
  around.send_when = [&] {
    char buf[4096];
    if (state == Reading) {
      ssize_t n = 0;
      while (seen < loops && (n = ::read(reader, buf, sizeof buf)) > 0) {
        tail.append(buf, static_cast<std::size_t>(n));
        for (std::size_t at = tail.find("loop="); at != std::string::npos; at = tail.find("loop=", at + 1)) ++seen;
        tail.erase(0, tail.size() > 4 ? tail.size() - 4 : 0);
      }
      if (seen >= loops) state = Acting;
    }
    if (state == Acting && act()) state = Draining;
    // Without the act in five seconds the log is read all the same: the test
    // fails instead of waiting for ever.
    if (++polls > 5000) state = Draining;
    if (state == Draining)
      while (::read(reader, buf, sizeof buf) > 0) {
      }
    return false;
  };
  const ChildEnd r = run_quelmar_as(dir.path(), "run.inp", around);
  ::close(reader);
  EXPECT_EQ(state, Draining);
  EXPECT_LT(polls, 5000) << "the test did not act within five seconds";
  return r;
}

// What a user, another program or the file system does to a run's files while
// the run writes them: the final name of a model file becomes a folder, or a
// temporary file disappears. At the run's end the files cannot all take their
// names: the run ends with status 1 and "Error opening KIND: NAME: REASON" on
// standard error, the console and in the list file, and no model file stands
// under its final name (a control file least of all without its hourly
// emission file, which takes its name first).
TEST(FailedWrites, NamesThatCannotBeTakenAtTheEnd) {
  const std::string log = "! MDEBUG = 1 !\n! LOGDAT = log.fifo !\n";
  const std::string aermod_rows =
      "QUELMAR 1\n" + log + sequence(3, 3600) + kSteadySourFlare + "! MDSPMOD = 2 !\n! NSOURCES = 32 !\n" + period(2);
  struct Case {
    const char* what;
    std::string control;
    int loops;                                         // the act comes after this many "loop=" records,
    std::string when;                                  // once this temporary file exists
    std::function<void(const TempDir&)> act;
    std::string message;
    std::vector<std::string> left;                     // the folder afterwards
  };
  const Case cases[] = {
      {"a flare file's name becomes a folder", "QUELMAR 1\n" + log + calpuff_minutes().substr(10), 1, "out_01.dat.part",
       [](const TempDir& d) { fs::create_directory(d.file("out_01.dat")); },
       "Error opening flare file: out_01.dat: Is a directory", {"log.fifo", "out_01.dat", "run.inp", "run.lst"}},
      {"an hourly emission file's name becomes a folder", aermod_rows, 1, "out_mod_01.dat.part",
       [](const TempDir& d) { fs::create_directory(d.file("out_mod_01.dat")); },
       "Error opening AERMOD hourly emission file: out_mod_01.dat: Is a directory",
       {"log.fifo", "out_mod_01.dat", "run.inp", "run.lst"}},
      {"an hourly emission file's temporary disappears", aermod_rows, 2, "out_mod_02.inx.part",
       [](const TempDir& d) { fs::remove(d.file("out_mod_01.dat.part")); },
       "Error opening AERMOD hourly emission file: out_mod_01.dat: No such file or directory",
       {"log.fifo", "run.inp", "run.lst"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    write_file(dir.file("run.inp"), c.control);
    const ChildEnd r = run_acting(dir, c.loops, [&] {
      if (!fs::exists(dir.file(c.when))) return false;
      c.act(dir);
      return true;
    });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.message + "\n");
    // On the console and in the list file a long message goes on in a record of its own.
    std::string console = r.out;
    console.erase(std::remove(console.begin(), console.end(), '\n'), console.end());
    EXPECT_NE(console.find(c.message), std::string::npos) << r.out;
    const auto lst = file_records(dir.file("run.lst"));
    const auto first = std::find_if(lst.begin(), lst.end(), [](const std::string& x) { return x.rfind(" Error", 0) == 0; });
    ASSERT_LT(first, lst.end() - 1);
    EXPECT_EQ(joined(std::vector<std::string>(first, lst.end() - 1)), c.message);
    EXPECT_EQ(lst.back(), " Program Terminated with ***ERRORS***");
    EXPECT_EQ(folder_names(dir), c.left);
  }
}

}  // namespace
}  // namespace quelmar::test

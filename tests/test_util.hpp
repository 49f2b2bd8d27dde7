// The harness every test shares: temporary folders, files written and read
// back as CR LF records, a run whose console goes to strings and whose files
// lie in a temporary folder, control-file text, and the program run as a
// subprocess.
#pragma once
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "run/run.hpp"
#include "io/units.hpp"

namespace quelmar::test {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- folders and files

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "quelmar-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

// The names of the files in the folder, sorted.
inline std::vector<std::string> folder_names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
inline std::vector<std::string> folder_names(const TempDir& dir) { return folder_names(dir.path()); }

inline void write_file(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

// Writes the lines, each ended by CR LF as the model files and meteorological
// files are, and returns the path.
inline std::string write_records(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  for (const std::string& l : lines) f << l << "\r\n";
  return path;
}

inline std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// The lines of a text whose lines end with LF (the console, the data files);
// a last line without its LF counts too.
inline std::vector<std::string> text_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream s(text);
  for (std::string l; std::getline(s, l);) lines.push_back(l);
  return lines;
}

// ---------------------------------------------------------------- records

// The records of a file written with CR LF line ends. Fails (returns a single
// marker record) when a line end is a bare LF.
inline std::vector<std::string> crlf_records(const std::string& text) {
  std::vector<std::string> recs;
  std::size_t b = 0;
  while (b < text.size()) {
    const std::size_t e = text.find('\n', b);
    if (e == std::string::npos) {
      recs.push_back(text.substr(b) + "<no line end>");
      break;
    }
    if (e == b || text[e - 1] != '\r') {
      recs.push_back("<bare LF>");
      b = e + 1;
      continue;
    }
    recs.push_back(text.substr(b, e - 1 - b));
    b = e + 1;
  }
  return recs;
}

inline std::vector<std::string> file_records(const std::string& path) { return crlf_records(read_file(path)); }

// The records (or lines) that begin with `head`, in their order.
inline std::vector<std::string> starting_with(const std::vector<std::string>& recs, const std::string& head) {
  std::vector<std::string> out;
  for (const std::string& r : recs)
    if (r.rfind(head, 0) == 0) out.push_back(r);
  return out;
}

// The records without their leading carriage-control blank, as the console shows them.
inline std::vector<std::string> shown(const std::vector<std::string>& recs) {
  std::vector<std::string> v;
  for (const std::string& r : recs) v.push_back(r.substr(1));
  return v;
}

// The records run together, each without its first `skip` characters (1: the
// carriage-control blank of a list-file record; 0: console lines), for a
// message that runs on over several records.
inline std::string joined(const std::vector<std::string>& recs, std::size_t skip = 1) {
  std::string s;
  for (const std::string& r : recs) s += r.substr(skip);
  return s;
}

// ---------------------------------------------------------------- a run

// A run whose console and standard error go to strings, with a temporary
// folder for the files it writes; its list file (unit 20) is `lst` in that
// folder once open_list() has opened it.
struct TestRun {
  TempDir dir;
  std::ostringstream out, err;
  std::unique_ptr<run::Run> run = std::make_unique<run::Run>(out, err);
  std::string lst = dir.file("run.lst");

  void open_list() { EXPECT_TRUE(run->units.open_write(io::LST, lst)); }
  // The records of the list file so far (the file is closed for this).
  std::vector<std::string> list_records() {
    run->units.close(io::LST);
    return file_records(lst);
  }
  // The console lines (the carriage-control blank is not shown there).
  std::vector<std::string> console_lines() const { return text_lines(out.str()); }
  // A run that starts clean, on the same console and folder.
  void fresh_run() { run = std::make_unique<run::Run>(out, err); }
};

// A TestRun with its list file open from the start.
struct ListedRun : TestRun {
  ListedRun() { open_list(); }
};

// What a meteorological reader hands back for an hour: wind speed, direction,
// temperature and stability class, each starting at a value no reader gives.
struct MetReading {
  double ws = -1, wd = -1, temp = -1;
  int ipg = -7;
};

// ---------------------------------------------------------------- control files

// The keyword lines of a steady sour-gas flare (0.95 methane, 0.05 H2S) under
// fixed meteorology that pass the input checks: list file run.lst and model
// files out_... in the run's folder, names in lower case. The model, its own
// settings and the period are the caller's.
inline const std::string kSteadySourFlare =
    "! LSTDAT = run.lst !\n! OUTNAME = out !\n! OUTPATH = !\n! LCFILES = T !\n"
    "! MINPUT = 1 !\n! MBLOWDOWN = 0 !\n! MDIST = 1 !\n! MMET = 3 !\n! MFGR = 2 !\n! MTGAS = 1 !\n"
    "! QMAX = 100 !\n! PUFFDUR = 3600 !\n! TIMEINC = 3600 !\n! DF = 0.5 !\n! DS = 0.5 !\n! HS = 20 !\n"
    "! XCOORD = 500 !\n! YCOORD = 4000 !\n! ZCOORD = 100 !\n"
    "! RAW_C1 = 0.95 !\n! RAW_H2S = 0.05 !\n! TAMB = 288 !\n! WINDSP = 3 !\n! WINDDR = 270 !\n"
    "! PGCLASS = 4 !\n! ZREF = 10 !\n! ODOURPPB = 1 !\n";

// The keyword lines of a CALPUFF flare file for that flare: source F1 in UTM
// zone 12 N, time zone UTC-0700, two species, SO2 (the flare's computed rate)
// and H2S at a constant 0.25 g/s.
inline const std::string kCalpuffFlareFile =
    "! MDSPMOD = 1 !\n! SNAME = F1 !\n! PMAP = UTM !\n! UTMHEM = N !\n! IUTMZN = 12 !\n! ABTZ = UTC-0700 !\n"
    "! DATUM = WGS-84 !\n! NSPEC = 2 !\n! CHEMLST = SO2,H2S !\n! MW = 64.0638,34.0809 !\n! EMIT = 0, 0.25 !\n";

// ---------------------------------------------------------------- the program

struct ProcessResult {
  int status = -1;
  std::string out, err;
};

// Runs the quelmar program in `cwd` with the given argument string; `env`,
// when given, holds NAME=VALUE settings of its environment (as `env` takes them).
inline ProcessResult run_quelmar(const fs::path& cwd, const std::string& args, const std::string& env = "") {
  const std::string out = (cwd / ".stdout").string(), err = (cwd / ".stderr").string();
  const std::string cmd = "cd '" + cwd.string() + "' && " + (env.empty() ? "" : "env " + env + " ") + "'" +
                          std::string(QUELMAR_BINARY) + "' " + args + " > '" + out + "' 2> '" + err + "' < /dev/null";
  const int raw = std::system(cmd.c_str());
  ProcessResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = read_file(out);
  r.err = read_file(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

// How the program ends when run by run_quelmar_as: its exit status, or the
// signal that ended it.
struct ChildEnd {
  int status = -1;  // exit status, -1 when a signal ended the process
  int signal = 0;   // the signal that ended it, 0 when it exited
  std::string out, err;
};

// What a user's batch system does around a run: a file-size limit (bytes, -1
// none), standard descriptors that it starts the program without (of 0, 1 and
// 2), and a signal sent once `send_when` says so (polled every millisecond
// while the program runs; with no signal it is polled all the same, so that a
// test can act on the folder while the run writes).
struct Surroundings {
  long long file_size_limit = -1;
  std::vector<int> closed;
  int signal = 0;
  std::function<bool()> send_when;
  // The user the program runs as (by its ids), -1: the test's own.
  long long uid = -1, gid = -1;
  // The program to start; empty: the program of the build.
  std::string program;
};

// Switches the process to the user `uid` of group `gid`, without other groups.
inline bool switch_user(long long uid, long long gid) {
  return setgroups(0, nullptr) == 0 && setgid(static_cast<gid_t>(gid)) == 0 && setuid(static_cast<uid_t>(uid)) == 0;
}

// The user whom file permissions bind, to run the program as: the test's own
// user, or, when the tests run as root (whom no permission stops), "nobody"
// where a child process can become that user. The build may lie in a folder
// that only root can enter (a fresh clone in a private temporary folder), so
// that user starts a copy of the program in a folder open to all. `reason`
// says why there is none.
struct BoundUser {
  bool available = false;
  long long uid = -1, gid = -1;  // -1: the test's own user
  std::string program;           // the program that user starts; empty: the build's own
  std::shared_ptr<TempDir> bin;  // the folder of that copy, removed with the last holder
  std::string reason;
};
inline BoundUser user_bound_by_permissions() {
  BoundUser u;
  if (geteuid() != 0) {
    u.available = true;
    return u;
  }
  const passwd* pw = getpwnam("nobody");
  if (!pw || pw->pw_uid == 0) {
    u.reason = "the tests run as root and there is no user \"nobody\" to run the program as";
    return u;
  }
  u.uid = pw->pw_uid;
  u.gid = pw->pw_gid;
  u.bin = std::make_shared<TempDir>();
  const fs::perms open_to_all = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec;
  std::error_code ec;
  fs::permissions(u.bin->path(), open_to_all, ec);
  u.program = u.bin->file("quelmar");
  if (!ec) fs::copy_file(QUELMAR_BINARY, u.program, ec);
  if (!ec) fs::permissions(u.program, open_to_all, ec);
  if (ec) {
    u.reason = "the tests run as root and cannot copy the program where the user \"nobody\" can start it: " +
               ec.message();
    return u;
  }
  const pid_t pid = fork();
  if (pid == 0) _exit(switch_user(u.uid, u.gid) && access(u.program.c_str(), X_OK) == 0 ? 0 : 1);
  int raw = 0;
  waitpid(pid, &raw, 0);
  u.available = WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
  if (!u.available)
    u.reason = "the tests run as root and cannot switch a child process to the user \"nobody\" who starts " +
               u.program;
  return u;
}

// Runs the quelmar program in `cwd` on the control file `control` (none when
// empty) as a child process in the given surroundings.
inline ChildEnd run_quelmar_as(const fs::path& cwd, const std::string& control, const Surroundings& around) {
  const std::string out = (cwd / ".stdout").string(), err = (cwd / ".stderr").string();
  const pid_t pid = fork();
  if (pid == 0) {
    // The signals a test sends end the program whatever its parent ignores.
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
    if (chdir(cwd.c_str()) != 0) _exit(127);
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0) _exit(127);
    dup2(o, 1);
    dup2(e, 2);
    if (o > 2) ::close(o);
    if (e > 2) ::close(e);
    for (int fd : around.closed) ::close(fd);
    if (around.uid >= 0 && !switch_user(around.uid, around.gid)) _exit(126);
    if (around.file_size_limit >= 0) {
      const rlimit lim{static_cast<rlim_t>(around.file_size_limit), static_cast<rlim_t>(around.file_size_limit)};
      setrlimit(RLIMIT_FSIZE, &lim);
    }
    const char* program = around.program.empty() ? QUELMAR_BINARY : around.program.c_str();
    if (control.empty()) execl(program, program, static_cast<char*>(nullptr));
    else execl(program, program, control.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int raw = 0;
  if (around.send_when) {
    while (waitpid(pid, &raw, WNOHANG) == 0) {
      if (around.send_when() && around.signal != 0) {
        kill(pid, around.signal);
        waitpid(pid, &raw, 0);
        break;
      }
      usleep(1000);
    }
  } else {
    waitpid(pid, &raw, 0);
  }
  ChildEnd r;
  if (WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) r.signal = WTERMSIG(raw);
  r.out = read_file(out);
  r.err = read_file(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

// A file of the source tree (data, examples, test fixtures).
inline std::string source_path(const std::string& rel) { return std::string(QUELMAR_SOURCE_DIR) + "/" + rel; }

// Copies the files of a folder of the source tree that holds a run's inputs
// (an example, a fixture) into the folder `to`, without what a run of the
// program in that folder left there: the list file, debug log and model files
// of a newcomer's run of the example (the README's first command), and any
// temporary of a stopped one.
inline void copy_run_inputs(const std::string& rel, const fs::path& to) {
  fs::create_directories(to);
  for (const auto& f : fs::directory_iterator(source_path(rel))) {
    if (!f.is_regular_file()) continue;
    std::string ext = f.path().extension().string();
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (ext == ".lst" || ext == ".log" || ext == ".dat" || ext == ".inx" || ext == ".part") continue;
    fs::copy_file(f.path(), to / f.path().filename());
  }
}

}  // namespace quelmar::test

// Whole-process timings of the year runs of a parameter study, each run a
// fresh process of the program as a user starts it:
//  - the CALPUFF year of a steady flare with the Houston surface file (8784
//    hourly steps, one flare file), best of 5;
//  - the AERMOD year with 10 step-table rows and 32 virtual sources (87,840
//    flare steps, ten pairs of AERMOD files), best of 3, with its ratio to a
//    plain copy of the same bytes (the files that run wrote, read and written
//    again in 1 MB blocks) measured in between;
//  - the peak memory (getrusage of the child) of CALPUFF runs with fixed
//    meteorology in 60-second steps over one and over five years.
// It reads only data/met/HOUSTON_ADJU.SFC of the repository and writes into a
// temporary folder that it removes at the end. A measuring tool: it asserts
// nothing about the times.
//
// usage: quelmar_year_runs [path-to-quelmar]   (default: the program of this build)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "controls.hpp"

namespace fs = std::filesystem;

namespace {

struct Child {
  double seconds = 0;  // wall-clock time of the whole process
  long max_rss_kb = 0;  // peak resident memory of the process
  int status = -1;
};

// Runs the program on `control` in `folder`, console output discarded.
Child run(const std::string& program, const fs::path& folder, const std::string& control) {
  Child c;
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(1);
  }
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl(program.c_str(), program.c_str(), control.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  c.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  c.max_rss_kb = ru.ru_maxrss;
  c.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return c;
}

// A plain copy of the files into `to`: read and written in blocks of 1 MB
// through the page cache, as the run writes its own files.
double plain_copy(const std::vector<fs::path>& files, const fs::path& to) {
  std::vector<char> block(1 << 20);
  const auto t0 = std::chrono::steady_clock::now();
  for (const fs::path& f : files) {
    const int in = open(f.c_str(), O_RDONLY);
    const int out = open((to / f.filename()).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0) {
      std::perror("copy");
      std::exit(1);
    }
    for (;;) {
      const ssize_t n = read(in, block.data(), block.size());
      if (n <= 0) break;
      if (write(out, block.data(), static_cast<size_t>(n)) != n) {
        std::perror("copy");
        std::exit(1);
      }
    }
    close(in);
    close(out);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A steady flare in fixed meteorology, one record every 60 seconds, over
// `years` years from 2021.
std::string minute_steps(int years) {
  std::ostringstream c;
  c << quelmar::bench::flare_keys("") << "! OUTNAME = minutes !\n! MDSPMOD = 1 !\n! MMET = 3 !\n! WINDSP = 4 !\n"
    << "! WINDDR = 270 !\n! TAMB = 288.15 !\n! PGCLASS = 4 !\n! ZREF = 10 !\n"
    << "! MINPUT = 1 !\n! MBLOWDOWN = 0 !\n! QMAX = 100 !\n! PUFFDUR = 60 !\n! TIMEINC = 60 !\n"
    << "! YYS = 2021 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n"
    << "! YYE = " << 2021 + years - 1 << " !\n! MME = 12 !\n! DDE = 31 !\n! HHE = 23 !\n";
  return c.str();
}

void write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

std::uintmax_t bytes_of(const std::vector<fs::path>& files) {
  std::uintmax_t n = 0;
  for (const fs::path& f : files) n += fs::file_size(f);
  return n;
}

void check(const Child& c, const char* what) {
  if (c.status != 0) {
    std::fprintf(stderr, "%s: the run did not end normally (status %d)\n", what, c.status);
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = fs::absolute(argc > 1 ? argv[1] : QUELMAR_BINARY).string();
  const fs::path source = fs::path(QUELMAR_SOURCE_DIR) / "data/met/HOUSTON_ADJU.SFC";

  std::string tmpl = (fs::temp_directory_path() / "quelmar-year-runs-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path dir = tmpl;
  fs::copy_file(source, dir / "houston.sfc");
  write(dir / "calpuff_year.inp", quelmar::bench::houston_year(1, 1, "", "cp"));
  write(dir / "aermod_ten.inp", quelmar::bench::houston_year(2, 10, "", "am"));
  write(dir / "minutes_1y.inp", minute_steps(1));
  write(dir / "minutes_5y.inp", minute_steps(5));
  fs::create_directory(dir / "copy");

  std::printf("program: %s\n", program.c_str());

  double best = 1e30;
  for (int i = 0; i < 5; ++i) {
    const Child c = run(program, dir, "calpuff_year.inp");
    check(c, "CALPUFF year");
    best = std::min(best, c.seconds);
  }
  std::printf("CALPUFF year, steady flare, Houston (8784 steps, %.1f MB), best of 5: %.3f s\n",
              static_cast<double>(fs::file_size(dir / "cp_01.dat")) / 1e6, best);

  double best_am = 1e30, best_copy = 1e30;
  std::vector<fs::path> written;
  for (int i = 0; i < 3; ++i) {
    const Child c = run(program, dir, "aermod_ten.inp");
    check(c, "AERMOD year");
    best_am = std::min(best_am, c.seconds);
    if (written.empty())
      for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind("am_mod_", 0) == 0 || e.path().filename() == "run.lst")
          written.push_back(e.path());
    best_copy = std::min(best_copy, plain_copy(written, dir / "copy"));
  }
  std::printf("AERMOD year, 10 rows x 32 sources (87840 steps, %.1f MB), best of 3: %.3f s\n",
              static_cast<double>(bytes_of(written)) / 1e6, best_am);
  std::printf("  plain copy of the same bytes, best of 3: %.3f s; ratio %.1f\n", best_copy, best_am / best_copy);
  fs::remove_all(dir / "copy");
  for (const fs::path& f : written) fs::remove(f);

  for (const auto& [control, years] : {std::pair{"minutes_1y.inp", "one year"}, std::pair{"minutes_5y.inp", "five years"}}) {
    const Child c = run(program, dir, control);
    check(c, control);
    std::printf("CALPUFF, %s in 60-second steps, fixed meteorology (%.0f MB file): peak memory %.1f MB (%.2f s)\n",
                years, static_cast<double>(fs::file_size(dir / "minutes_01.dat")) / 1e6,
                static_cast<double>(c.max_rss_kb) / 1024.0, c.seconds);
    fs::remove(dir / "minutes_01.dat");
  }

  fs::remove_all(dir);
  return 0;
}

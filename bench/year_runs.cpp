// Whole-process measurements of the year runs of a parameter study, each run a
// fresh process of the program as a user starts it; CPU time is the user and
// system time of the process (getrusage of the child), shown beside the wall
// time:
//  - the AERMOD year with the Houston surface file, 10 step-table rows and 32
//    virtual sources (87,840 flare steps, ten pairs of AERMOD files of 225 MB
//    in all): its CPU time against the CPU time of `cat` copying the same
//    bytes (the files that run wrote) to one file, in alternating pairs (a run
//    of the program, then one of cat, each writing new files), the median of
//    the pairs' ratios; and the program's peak memory;
//  - the CALPUFF year of a steady flare with the Houston surface file (8784
//    hourly steps, one flare file), best of 5;
//  - the peak memory of CALPUFF runs with fixed meteorology in 60-second steps
//    over one and over five years.
// It reads only data/met/HOUSTON_ADJU.SFC of the repository and writes into a
// temporary folder that it removes at the end. A measuring tool: it asserts
// nothing about the times.
//
// usage: quelmar_year_runs [path-to-quelmar [pairs]]
//        (default: the program of this build, 5 pairs)
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
#include "processes.hpp"

namespace fs = std::filesystem;

namespace {

using quelmar::bench::Child;
using quelmar::bench::run;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
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

// The files of the AERMOD run in `dir` (its model files and its list file), sorted.
std::vector<fs::path> aermod_files(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind("am_mod_", 0) == 0 || e.path().filename() == "run.lst")
      files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = fs::absolute(argc > 1 ? argv[1] : QUELMAR_BINARY).string();
  const int pairs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
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
  const fs::path copy = dir / "copy.bin";

  std::printf("program: %s\n", program.c_str());

  // The AERMOD year against cat, in alternating pairs; each run writes new files.
  std::vector<double> am_cpu, am_wall, cat_cpu, cat_wall, ratio;
  long am_rss = 0;
  std::uintmax_t bytes = 0;
  for (int i = 0; i < pairs; ++i) {
    for (const fs::path& f : aermod_files(dir)) fs::remove(f);
    const Child a = run({program, "aermod_ten.inp"}, dir);
    check(a, "AERMOD year");
    const std::vector<fs::path> written = aermod_files(dir);
    bytes = bytes_of(written);
    fs::remove(copy);
    std::vector<std::string> cat = {"cat"};
    for (const fs::path& f : written) cat.push_back(f.filename().string());
    const Child c = run(cat, dir, copy);
    check(c, "cat");
    am_cpu.push_back(a.cpu);
    am_wall.push_back(a.wall);
    cat_cpu.push_back(c.cpu);
    cat_wall.push_back(c.wall);
    ratio.push_back(a.cpu / c.cpu);
    am_rss = std::max(am_rss, a.max_rss_kb);
  }
  std::printf("AERMOD year, Houston, 10 rows x 32 sources (87840 steps, %.1f MB), %d alternating pairs:\n",
              static_cast<double>(bytes) / 1e6, pairs);
  std::printf("  program: CPU (user+sys) median %.3f s, wall median %.3f s, peak memory %.1f MB\n", median(am_cpu),
              median(am_wall), static_cast<double>(am_rss) / 1024.0);
  std::printf("  cat of the same bytes to one file: CPU median %.3f s, wall median %.3f s\n", median(cat_cpu),
              median(cat_wall));
  std::printf("  CPU time ratio program / cat, median of the pairs: %.2f (pairs:", median(ratio));
  for (double r : ratio) std::printf(" %.2f", r);
  std::printf(")\n");
  fs::remove(copy);
  for (const fs::path& f : aermod_files(dir)) fs::remove(f);

  double best_wall = 1e30, best_cpu = 1e30;
  for (int i = 0; i < 5; ++i) {
    const Child c = run({program, "calpuff_year.inp"}, dir);
    check(c, "CALPUFF year");
    best_wall = std::min(best_wall, c.wall);
    best_cpu = std::min(best_cpu, c.cpu);
  }
  std::printf("CALPUFF year, steady flare, Houston (8784 steps, %.1f MB), best of 5: CPU %.3f s, wall %.3f s\n",
              static_cast<double>(fs::file_size(dir / "cp_01.dat")) / 1e6, best_cpu, best_wall);

  for (const auto& [control, years] : {std::pair{"minutes_1y.inp", "one year"}, std::pair{"minutes_5y.inp", "five years"}}) {
    const Child c = run({program, control}, dir);
    check(c, control);
    std::printf("CALPUFF, %s in 60-second steps, fixed meteorology (%.0f MB file): peak memory %.1f MB "
                "(CPU %.2f s, wall %.2f s)\n",
                years, static_cast<double>(fs::file_size(dir / "minutes_01.dat")) / 1e6,
                static_cast<double>(c.max_rss_kb) / 1024.0, c.cpu, c.wall);
    fs::remove(dir / "minutes_01.dat");
  }

  fs::remove_all(dir);
  return 0;
}

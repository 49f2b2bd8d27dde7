// Whole-process timings of a vessel blowdown cut into puffs: the example
// examples/vessel_timeseries (two days of hourly time-series meteorology, a
// sequence every 24 hours in 24 CALPUFF flare files, the vessel temperature
// following the hour's ambient temperature) run with NPUFFS 300, 1000, 3000
// and 10000. Every puff is a step of every file, so the steps grow as NPUFFS;
// the time should grow no faster.
//
// For each count it prints the CPU time of the process (user + system, from
// the child's rusage) beside its wall-clock time, best of up to 3 runs (one
// run when a run takes more than 20 s of CPU time); then the ratio of the CPU
// times at 3000 and at 300 and the growth exponent: the slope of log(time)
// over log(NPUFFS), between 300 and 3000 and fitted through all four counts.
// It reads the example's control file and its meteorological file from the
// repository and writes into a temporary folder that it removes at the end.
// A measuring tool: it asserts nothing about the times.
//
// usage: quelmar_vessel_series [path-to-quelmar]   (default: the program of this build)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "processes.hpp"

namespace fs = std::filesystem;

namespace {

using quelmar::bench::Child;
using quelmar::bench::run;

std::string read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", p.c_str());
    std::exit(1);
  }
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The example's control file with its NPUFFS line set to `npuffs`.
std::string with_npuffs(const std::string& control, int npuffs) {
  const std::string key = "! NPUFFS";
  const std::size_t at = control.find(key);
  const std::size_t end = at == std::string::npos ? at : control.find('\n', at);
  if (end == std::string::npos) {
    std::fprintf(stderr, "the example's control file has no NPUFFS line\n");
    std::exit(1);
  }
  return control.substr(0, at) + "! NPUFFS = " + std::to_string(npuffs) + " !" + control.substr(end);
}

// Removes what a run wrote into `folder`, keeping the control files.
void clean(const fs::path& folder) {
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().extension() != ".inp") fs::remove(e.path());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = fs::absolute(argc > 1 ? argv[1] : QUELMAR_BINARY).string();
  const fs::path examples = fs::path(QUELMAR_SOURCE_DIR) / "examples";
  const std::string control = read(examples / "vessel_timeseries/vessel.inp");

  std::string tmpl = (fs::temp_directory_path() / "quelmar-vessel-series-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  // The example's layout: the control file in its own folder, the
  // meteorological file at ../met/vessel.tsf.
  const fs::path dir = tmpl, work = dir / "vessel";
  fs::create_directory(dir / "met");
  fs::create_directory(work);
  fs::copy_file(examples / "met/vessel.tsf", dir / "met/vessel.tsf");

  std::printf("program: %s\n", program.c_str());
  std::printf("vessel blowdown in puffs, 2 days, NSEP 24 (24 flare files)\n");
  std::printf("%8s %10s %10s %6s\n", "NPUFFS", "CPU (s)", "wall (s)", "runs");

  constexpr std::array<int, 4> counts = {300, 1000, 3000, 10000};
  std::array<double, 4> cpu{};
  for (std::size_t k = 0; k < counts.size(); ++k) {
    const std::string name = "vessel_np" + std::to_string(counts[k]) + ".inp";
    std::ofstream(work / name, std::ios::binary) << with_npuffs(control, counts[k]);
    double best_cpu = 1e30, best_wall = 1e30, spent = 0;
    int runs = 0;
    while (runs < 3 && spent < 20) {
      const Child c = run({program, name}, work);
      if (c.status != 0) {
        std::fprintf(stderr, "NPUFFS %d: the run did not end normally (status %d)\n", counts[k], c.status);
        fs::remove_all(dir);
        return 1;
      }
      best_cpu = std::min(best_cpu, c.cpu);
      best_wall = std::min(best_wall, c.wall);
      spent += c.cpu;
      ++runs;
      clean(work);
    }
    cpu[k] = best_cpu;
    std::printf("%8d %10.3f %10.3f %6d\n", counts[k], best_cpu, best_wall, runs);
    std::fflush(stdout);
  }

  // Least-squares slope of log(cpu) over log(NPUFFS).
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  const double n = static_cast<double>(counts.size());
  for (std::size_t k = 0; k < counts.size(); ++k) {
    const double x = std::log(static_cast<double>(counts[k])), y = std::log(cpu[k]);
    sx += x;
    sy += y;
    sxx += x * x;
    sxy += x * y;
  }
  const double fitted = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  const double ratio = cpu[2] / cpu[0];
  std::printf("CPU time at NPUFFS 3000 / at NPUFFS 300: %.1f\n", ratio);
  std::printf("growth exponent (log-log slope of CPU time): %.2f from 300 to 3000, %.2f fitted over all four\n",
              std::log10(ratio), fitted);

  fs::remove_all(dir);
  return 0;
}

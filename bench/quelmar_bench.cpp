// Benchmarks of the hot paths: a year of hourly steps on both paths, the flare
// step alone, and the formatting of the AERMOD hourly records.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "controls.hpp"
#include "driver/quelmar.hpp"
#include "run/run.hpp"
#include "io/format.hpp"
#include "physics/emissions.hpp"
#include "physics/realgas.hpp"
#include "physics/setup.hpp"

namespace fs = std::filesystem;
using namespace quelmar;

namespace {

const std::string kHouston = std::string(QUELMAR_SOURCE_DIR) + "/data/met/HOUSTON_ADJU.SFC";

struct Folder {
  fs::path path;
  Folder() {
    // File names are turned to lower case by the run: the folder's name is.
    path = fs::temp_directory_path() / ("quelmar-bench-" + std::to_string(getpid()));
    fs::create_directories(path);
  }
  ~Folder() { fs::remove_all(path); }
};

void run_year(benchmark::State& state, int mdspmod, int rows) {
  Folder f;
  const std::string ctl = (f.path / "run.inp").string();
  fs::copy_file(kHouston, f.path / "houston.sfc");
  std::ofstream(ctl) << bench::houston_year(mdspmod, rows, f.path.string() + "/", "out");
  const char* argv[] = {"quelmar", ctl.c_str()};
  for (auto _ : state) {
    std::ostringstream out, err;
    auto run = std::make_unique<run::Run>(out, err);
    const int status = driver::run_program(*run, 2, argv);
    if (status != 0) state.SkipWithError("the run did not end normally");
    benchmark::DoNotOptimize(status);
  }
}

void BM_CalpuffYearSteadyFlare(benchmark::State& state) { run_year(state, 1, 1); }
void BM_AermodYearSteadyFlare(benchmark::State& state) { run_year(state, 2, 1); }
// 10 rows x 8784 hours x 32 sources: about 2.8 million hourly records.
void BM_AermodYearTenRows(benchmark::State& state) { run_year(state, 2, 10); }

// One flare step of a steady flare: the same gas in every step. BM_FlareStep
// repeats one hour (fixed meteorology: the run's temperature solves recur);
// BM_FlareStepChangingWeather gives every step another ambient temperature and
// wind (none recurs), as a year of measured meteorology mostly does.
void flare_step(benchmark::State& state, bool changing) {
  std::ostringstream out, err;
  auto run = std::make_unique<run::Run>(out, err);
  physics::SETUP1(run->prop, run->stdc);
  physics::INITLOCAL(run->prop, run->stdc, 10);
  run::MOD_READINP& in = run->inp;
  in.HS = 40, in.DF = 0.5, in.DS = 0.5, in.ZREF = 10, in.ODOURPPB = 1;
  run->stdc.TGAS = 288.15, run->stdc.TAMBH = 288.15;
  physics::MIX gas{};
  gas(physics::CH4) = 0.9, gas(physics::N2) = 0.05, gas(physics::H2S) = 0.05;
  long k = 0;
  double wind = 4;
  for (auto _ : state) {
    if (changing) {
      ++k;
      run->stdc.TAMBH = run->stdc.TGAS = 260.0 + 1e-6 * static_cast<double>(k % 50000000);
      wind = 1.0 + 1e-7 * static_cast<double>(k % 70000000);
    }
    physics::EMISSIONS(*run, io::LOG, gas, 100, 0, 0, wind, 4);
    benchmark::DoNotOptimize(run->comb.QEMIT);
  }
}
void BM_FlareStep(benchmark::State& state) { flare_step(state, false); }
void BM_FlareStepChangingWeather(benchmark::State& state) { flare_step(state, true); }

// One hourly record formatted into a reused buffer, as the writer does.
void BM_HourlyRecordLayout(benchmark::State& state) {
  static const io::Layout layout("(A,4(TR1,I3),TR1,A12,3(E12.6,TR1))");
  std::string buf;
  const std::function<void(std::string_view)> emit = [](std::string_view) {};
  double x = 1.0;
  for (auto _ : state) {
    const io::Item items[] = {"SO HOUREMIS", 96, 7, 15, 13, "SOURCE12    ", x, 1273.15 + x, 20.5};
    benchmark::DoNotOptimize(layout.write(items, buf, emit));
    benchmark::DoNotOptimize(buf);
    x += 1e-3;
  }
}

void BM_OneDoubleE12(benchmark::State& state) {
  std::string buf;
  double x = 1.0;
  for (auto _ : state) {
    buf.clear();
    io::put_E(buf, 1273.15 + x, 12, 6);
    benchmark::DoNotOptimize(buf);
    x += 1e-3;
  }
}

}  // namespace

BENCHMARK(BM_CalpuffYearSteadyFlare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AermodYearSteadyFlare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AermodYearTenRows)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FlareStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlareStepChangingWeather)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HourlyRecordLayout)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_OneDoubleE12)->Unit(benchmark::kNanosecond);

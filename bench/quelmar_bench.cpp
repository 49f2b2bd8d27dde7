// Benchmarks of the hot paths: a year of hourly steps on both paths, the flare
// step alone, the vessel blowdown in puffs that every step of such a run
// forms, the formatting of the AERMOD hourly records, and the correctly
// rounded elementary functions on the physics' arguments, beside the C
// library's own.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <vector>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "common/crmath.hpp"
#include "controls.hpp"
#include "driver/quelmar.hpp"
#include "run/run.hpp"
#include "io/format.hpp"
#include "physics/emissions.hpp"
#include "physics/realgas.hpp"
#include "physics/release.hpp"
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

// The vessel blowdown and its table of 3000 puffs, as every step of a vessel
// run forms them (IVESSEL, then IBLOWDOWN with the count kept). `hours`: 1,
// every step in the same hour (the table stays in the step table); 12, the
// steps go round 12 hours of different temperatures (the kept table of the
// hour is put back); 0, every step at a temperature never met before (the
// table is cut anew each time, as before tables were kept).
void vessel_rebuild(benchmark::State& state, int hours) {
  std::ostringstream out, err;
  auto run = std::make_unique<run::Run>(out, err);
  physics::SETUP1(run->prop, run->stdc);
  physics::INITLOCAL(run->prop, run->stdc, 10);
  run::MOD_READINP& in = run->inp;
  physics::MIX gas{};
  gas(physics::CH4) = 0.9, gas(physics::N2) = 0.05, gas(physics::H2S) = 0.05;
  double tfinal = 0;
  long k = 0;
  in.NPUFFS = 3000;
  for (auto _ : state) {
    ++k;
    const double tinit = hours > 0 ? 270.0 + static_cast<double>(k % hours) : 270.0 + 1e-6 * static_cast<double>(k);
    physics::IVESSEL(*run, gas, 5000, tinit, 50, 2.0, 12.0, 10, 0.8, in.QMAX, in.QTOTAL, in.FREL, tfinal);
    physics::IBLOWDOWN(*run, in.QMAX, in.QTOTAL, in.FREL, in.PUFFDUR, in.PSEQ, in.NPUFFS, 1, 1);
    benchmark::DoNotOptimize(std::as_const(in.PSEQ)(in.NPUFFS, 1));
  }
}
void BM_VesselRebuildSameHour(benchmark::State& state) { vessel_rebuild(state, 1); }
void BM_VesselRebuildTwelveHours(benchmark::State& state) { vessel_rebuild(state, 12); }
void BM_VesselRebuildNewTemperature(benchmark::State& state) { vessel_rebuild(state, 0); }

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

// 4096 temperatures of the flame-temperature solve, 200-6000 K, and angles of
// the wind directions, 0-2 pi, from a fixed sequence.
std::vector<double> arguments(double lo, double hi) {
  std::vector<double> v(4096);
  unsigned long long g = 2028;
  for (double& x : v) {
    g = g * 6364136223846793005ULL + 1442695040888963407ULL;
    x = lo + (hi - lo) * static_cast<double>(g >> 11) * 0x1p-53;
  }
  return v;
}

template <class F>
void each(benchmark::State& state, const std::vector<double> xs, F f) {
  double s = 0;
  for (auto _ : state)
    for (double x : xs) s += f(x);
  benchmark::DoNotOptimize(s);
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(xs.size()));
}

void BM_PowThirdCr(benchmark::State& st) { each(st, arguments(1, 1e6), [](double x) { return crmath::pow(x, 0.333333); }); }
void BM_PowThirdLibc(benchmark::State& st) { each(st, arguments(1, 1e6), [](double x) { return std::pow(x, 0.333333); }); }
void BM_PowCubeCr(benchmark::State& st) { each(st, arguments(200, 6000), [](double x) { return crmath::pow(x, 3.0); }); }
void BM_PowCubeLibc(benchmark::State& st) { each(st, arguments(200, 6000), [](double x) { return std::pow(x, 3.0); }); }
void BM_LogCr(benchmark::State& st) { each(st, arguments(200, 6000), [](double x) { return crmath::log(x); }); }
void BM_LogLibc(benchmark::State& st) { each(st, arguments(200, 6000), [](double x) { return std::log(x); }); }
void BM_ExpCr(benchmark::State& st) { each(st, arguments(-6.3, 0), [](double x) { return crmath::exp(x); }); }
void BM_ExpLibc(benchmark::State& st) { each(st, arguments(-6.3, 0), [](double x) { return std::exp(x); }); }
void BM_SinCosCr(benchmark::State& st) {
  each(st, arguments(0, 6.283), [](double x) {
    double s, c;
    crmath::sincos(x, s, c);
    return s + c;
  });
}
void BM_SinCosLibc(benchmark::State& st) { each(st, arguments(0, 6.283), [](double x) { return std::sin(x) + std::cos(x); }); }
void BM_Atan2Cr(benchmark::State& st) { each(st, arguments(0, 6.283), [](double x) { return crmath::atan2(x, 2.5); }); }
void BM_Atan2Libc(benchmark::State& st) { each(st, arguments(0, 6.283), [](double x) { return std::atan2(x, 2.5); }); }
void BM_CbrtCr(benchmark::State& st) { each(st, arguments(1, 1e6), [](double x) { return crmath::cbrt(x); }); }
void BM_CbrtLibc(benchmark::State& st) { each(st, arguments(1, 1e6), [](double x) { return std::cbrt(x); }); }

}  // namespace

BENCHMARK(BM_CalpuffYearSteadyFlare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AermodYearSteadyFlare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AermodYearTenRows)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FlareStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlareStepChangingWeather)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VesselRebuildSameHour)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VesselRebuildTwelveHours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VesselRebuildNewTemperature)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HourlyRecordLayout)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_OneDoubleE12)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_PowThirdCr);
BENCHMARK(BM_PowThirdLibc);
BENCHMARK(BM_PowCubeCr);
BENCHMARK(BM_PowCubeLibc);
BENCHMARK(BM_LogCr);
BENCHMARK(BM_LogLibc);
BENCHMARK(BM_ExpCr);
BENCHMARK(BM_ExpLibc);
BENCHMARK(BM_SinCosCr);
BENCHMARK(BM_SinCosLibc);
BENCHMARK(BM_Atan2Cr);
BENCHMARK(BM_Atan2Libc);
BENCHMARK(BM_CbrtCr);
BENCHMARK(BM_CbrtLibc);

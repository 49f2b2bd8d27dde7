// The same model files, list file and debug log on every machine: each run is
// made twice, as the machine is and with glibc told to take the code paths of a
// CPU without FMA, AVX2 and AVX-512 (where its own pow, exp, log, atan2 and
// sincos round differently), and every file written must be the same bytes.
// The list files differ only in their CPU time.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "test_util.hpp"

namespace quelmar::test {
namespace {

const char* const kOtherCpu = "GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA,-AVX512F";

struct Case {
  const char* name;
  const char* folder;   // copied from the repository into the run's folder
  const char* control;  // run in the copy of `folder`
};

// The files the run wrote, by name, with the list file's CPU time taken out.
std::map<std::string, std::string> written(const fs::path& dir, const std::string& control) {
  static const std::regex cpu_time(" CPU Time [^\r\n]*");
  std::map<std::string, std::string> files;
  for (const auto& f : fs::directory_iterator(dir)) {
    const std::string name = f.path().filename().string();
    if (name == control) continue;
    std::string text = read_file(f.path().string());
    if (f.path().extension() == ".lst") text = std::regex_replace(text, cpu_time, " CPU Time");
    files[name] = text;
  }
  return files;
}

std::map<std::string, std::string> run_case(const Case& c, const std::string& env, const TempDir& tmp,
                                            const std::string& sub) {
  const fs::path root = tmp.path() / sub;
  fs::create_directories(root);
  fs::copy(source_path("examples/met"), root / "met", fs::copy_options::recursive);
  const fs::path dir = root / "run";
  copy_run_inputs(c.folder, dir);
  const ProcessResult r = run_quelmar(dir, c.control, env);
  EXPECT_EQ(r.status, 0) << c.name << " " << env << ": " << r.out << r.err;
  return written(dir, c.control);
}

class SameFiles : public ::testing::TestWithParam<Case> {};

TEST_P(SameFiles, OnACpuWithoutFmaAndAvx2) {
  const Case& c = GetParam();
  TempDir tmp;
  const auto here = run_case(c, "-u GLIBC_TUNABLES", tmp, "here");
  const auto other = run_case(c, kOtherCpu, tmp, "other");
  ASSERT_FALSE(here.empty());
  ASSERT_EQ(here.size(), other.size()) << c.name;
  for (const auto& [name, text] : here) {
    const auto it = other.find(name);
    ASSERT_NE(it, other.end()) << c.name << ": " << name;
    EXPECT_TRUE(text == it->second) << c.name << ": " << name << " differs";
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, SameFiles,
                         ::testing::Values(Case{"steady_fixed", "examples/steady_fixed", "steady.inp"},
                                           Case{"sequence_aermet", "examples/sequence_aermet", "sequence.inp"},
                                           Case{"vessel_timeseries", "examples/vessel_timeseries", "vessel.inp"},
                                           Case{"aermod_steady", "examples/aermod_steady", "steady_am.inp"},
                                           Case{"aermod_vessel", "examples/aermod_vessel", "vessel_am.inp"},
                                           // A vessel blowdown whose debug log shows the last digits.
                                           Case{"vessel_debug", "tests/data/driver", "vessel_debug.inp"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quelmar::test

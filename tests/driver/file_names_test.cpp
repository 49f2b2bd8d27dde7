// The names of the model files, and the files of an earlier run that bear
// them: a complete run that writes fewer files than the run before it in the
// same folder names each file of its own name pattern that it did not write in
// its list file, and leaves it as it is.
#include "driver/file_names.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.hpp"

namespace quelmar::test {
namespace {

TEST(FileNames, NumbersHaveTwoDigitsOrAsManyAsTheyNeed) {
  EXPECT_EQ(driver::name_number(1), "01");
  EXPECT_EQ(driver::name_number(99), "99");
  EXPECT_EQ(driver::name_number(100), "100");
  EXPECT_EQ(driver::name_number(10000), "10000");
}

// A user sequence of `rows` hourly rows.
std::string rows(int n) {
  std::string s = "! MINPUT = 2 !\n! NSEQ = " + std::to_string(n) + " !\n";
  for (int i = 1; i <= n; ++i) s += "! SEQ = " + std::to_string(50 + i) + ", 3600, -1, -1 !\n";
  return s;
}

const std::string kDay =
    "! YYS = 2021 !\n! MMS = 1 !\n! DDS = 1 !\n! HHS = 0 !\n! YYE = 2021 !\n! MME = 1 !\n! DDE = 1 !\n! HHE = 23 !\n";

// CALPUFF files: NSEP 48 files, then 24. AERMOD files: four rows, then two.
std::string calpuff(int nsep) {
  return "QUELMAR 1\n! NSEP = " + std::to_string(nsep) + " !\n" + rows(2) + kSteadySourFlare + kCalpuffFlareFile + kDay;
}
std::string aermod(int n, const std::string& outpath) {
  return "QUELMAR 1\n! OUTPATH = " + outpath + " !\n" + rows(n) + kSteadySourFlare +
         "! MDSPMOD = 2 !\n! NSOURCES = 2 !\n" + kDay;
}

// The warnings of the list file that name files not of the run.
std::vector<std::string> foreign(const std::string& lst) {
  std::vector<std::string> out;
  for (const std::string& r : file_records(lst))
    if (r.find(" is not a file of this run") != std::string::npos) out.push_back(r);
  return out;
}

TEST(FileNames, FilesOfAnEarlierRunAreNamedNotRemoved) {
  {
    TempDir dir;
    write_file(dir.file("run.inp"), calpuff(48));
    ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
    EXPECT_TRUE(foreign(dir.file("run.lst")).empty());
    const std::string file_30 = read_file(dir.file("out_30.dat"));
    // Files that no run of this control file writes under these names, and a
    // folder: none is named.
    for (const char* other : {"out_1.dat", "out_00.dat", "out_001.dat", "OUT_30.DAT", "out_05.dat.part", "out_x.dat",
                              "out_30.dat.old"})
      write_file(dir.file(other), "other\r\n");
    write_file(dir.file("out_120.dat"), "a run's of NSEP 120\r\n");
    fs::create_directory(dir.file("out_60.dat"));

    write_file(dir.file("run.inp"), calpuff(24));
    ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
    std::vector<std::string> want;
    for (int k = 25; k <= 48; ++k) want.push_back(" WARNING: out_" + std::to_string(k) + ".dat is not a file of this run");
    want.push_back(" WARNING: out_120.dat is not a file of this run");
    EXPECT_EQ(foreign(dir.file("run.lst")), want);
    // They stand in the list file after the passes, before the CPU time.
    const auto recs = file_records(dir.file("run.lst"));
    ASSERT_GE(recs.size(), want.size() + 2);
    EXPECT_EQ(std::vector<std::string>(recs.end() - 2 - static_cast<std::ptrdiff_t>(want.size()), recs.end() - 2), want);
    EXPECT_EQ(read_file(dir.file("out_30.dat")), file_30);
    EXPECT_TRUE(fs::exists(dir.file("out_120.dat")));
  }
  {
    // AERMOD files in a folder of their own: by number, the control file first.
    TempDir dir;
    fs::create_directory(dir.path() / "runs");
    write_file(dir.file("run.inp"), aermod(4, "runs\\"));
    ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
    write_file(dir.file("run.inp"), aermod(2, "runs\\"));
    ASSERT_EQ(run_quelmar(dir.path(), "run.inp").status, 0);
    EXPECT_EQ(foreign(dir.file("run.lst")),
              (std::vector<std::string>{" WARNING: runs/out_mod_03.inx is not a file of this run",
                                        " WARNING: runs/out_mod_03.dat is not a file of this run",
                                        " WARNING: runs/out_mod_04.inx is not a file of this run",
                                        " WARNING: runs/out_mod_04.dat is not a file of this run"}));
    EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"run.inp", "run.lst", "runs"}));
    EXPECT_TRUE(fs::exists(dir.path() / "runs" / "out_mod_04.dat"));
  }
}

}  // namespace
}  // namespace quelmar::test

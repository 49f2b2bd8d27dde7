// A run whose console goes to a string and whose list file (unit 20) goes to a
// temporary file, with helpers to write meteorological files and to read back
// the records that a reader wrote.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "run/run.hpp"
#include "io/units.hpp"

namespace quelmar::met::testing {

// A file name unique to the running test.
inline std::string temp_path(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string tag = std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : tag)
    if (c == '/') c = '_';
  return ::testing::TempDir() + "qm_" + tag + "_" + name;
}

// Writes the lines with CR LF ends and returns the file name.
inline std::string write_file(const std::string& name, const std::vector<std::string>& lines) {
  const std::string path = temp_path(name);
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  for (const std::string& l : lines) f << l << "\r\n";
  return path;
}

inline std::string data_path(const std::string& name) {
  return std::string(QUELMAR_SOURCE_DIR) + "/tests/data/met/" + name;
}
// The year of real AERMET data kept in the repository's data folder.
inline std::string year_data_path(const std::string& name) {
  return std::string(QUELMAR_SOURCE_DIR) + "/data/met/" + name;
}

struct Harness {
  std::ostringstream out, err;
  std::unique_ptr<run::Run> run;
  std::string lst;

  Harness() : run(std::make_unique<run::Run>(out, err)), lst(temp_path("list.lst")) {
    run->units.open_write(io::LST, lst);
  }

  // The records of the list file so far (the file is closed for this).
  std::vector<std::string> list_records() {
    run->units.close(io::LST);
    std::ifstream f(lst, std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<std::string> recs;
    std::size_t b = 0;
    while (b < all.size()) {
      const std::size_t e = all.find("\r\n", b);
      if (e == std::string::npos) {
        recs.push_back(all.substr(b) + "<no CR LF>");
        break;
      }
      recs.push_back(all.substr(b, e - b));
      b = e + 2;
    }
    return recs;
  }

  // The console lines (the carriage-control blank is not shown there).
  std::vector<std::string> console_lines() const {
    std::vector<std::string> lines;
    std::istringstream s(out.str());
    for (std::string l; std::getline(s, l);) lines.push_back(l);
    return lines;
  }
};

// The records without their leading carriage-control blank, as the console shows them.
inline std::vector<std::string> shown(const std::vector<std::string>& recs) {
  std::vector<std::string> v;
  for (const std::string& r : recs) v.push_back(r.substr(1));
  return v;
}

}  // namespace quelmar::met::testing

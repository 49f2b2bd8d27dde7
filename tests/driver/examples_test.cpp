// The shipped examples run end to end: every model file they write is checked
// record by record against its layout, and compared with the expected file
// (whose flare-step numbers for the steady example were confirmed by the
// independent calculation in tests/data/examples/steady_reference.py).
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "test_util.hpp"

namespace quelmar::test {
namespace {

// The layouts of the model files as patterns over whole records.
const std::regex kTimeLine(R"((   \d{4} [ \d]{3} [ \d]{2} [ \d]{4}){2})");
const std::regex kSourceLine(
    R"('[A-Z0-9]*'( [ \-\d.]{10}){2} [ \-\d.]{10} [ \-\d.]{10} [ \-\d.]{11} [ \-\d.]{10}( [ \-\d.]{9}){3}( [ \-\d.]{15}){2}( [ \-\d.E+]{15})+)");
const std::regex kPeriod(R"(([ \d]{4}){3} [ \d]{4}  ([ \d]{4}){3} [ \d]{4})");
const std::regex kHourly(
    R"(SO HOUREMIS [ \d]{3} [ \d]{3} [ \d]{3} [ \d]{3} SOURCE\d{1,2} {4,5}(-?0\.\d{6}E[+-]\d\d ){2}-?0\.\d{6}E[+-]\d\d)");
const std::regex kLocation(R"(SO LOCATION SOURCE\d{1,2} {4,5} POINT[ \d.\-]{13} [ \d.\-]{13} [ \d.\-]{13})");
const std::regex kSrcparam(R"(SO SRCPARAM SOURCE\d{1,2} {4,5}( {0,9}-?\d+\.\d{3} ){4} {0,9}-?\d+\.\d{3})");

// The datum codes that CALPUFF accepts, one a line in the data file.
const std::set<std::string>& calpuff_datum_codes() {
  static const std::set<std::string> codes = [] {
    const std::vector<std::string> lines = text_lines(read_file(source_path("data/calpuff/datum_codes.txt")));
    return std::set<std::string>(lines.begin(), lines.end());
  }();
  return codes;
}

void check_layouts(const std::string& name, const std::vector<std::string>& recs) {
  for (const std::string& r : recs) {
    ASSERT_EQ(r.find("<bare LF>"), std::string::npos) << name;
    ASSERT_EQ(r.find("<no line end>"), std::string::npos) << name;
    if (r.rfind("**", 0) != 0) {
      EXPECT_EQ(r.find('*'), std::string::npos) << name << ": " << r;
    }
  }
  if (name.size() > 4 && name.substr(name.size() - 4) == ".inx") {
    for (const std::string& r : recs) {
      if (r.rfind("SO LOCATION", 0) == 0) {
        EXPECT_TRUE(std::regex_match(r, kLocation)) << name << ": " << r;
      }
      if (r.rfind("SO SRCPARAM", 0) == 0) {
        EXPECT_TRUE(std::regex_match(r, kSrcparam)) << name << ": " << r;
      }
    }
    return;
  }
  if (!recs.empty() && recs[0].rfind("FLEMARB.DAT", 0) == 0) {
    ASSERT_GE(recs.size(), 19u) << name;
    EXPECT_EQ(recs[0], "FLEMARB.DAT     1.0             Initial configuration");
    EXPECT_EQ(recs[1], "   7");
    // CALPUFF reads the datum record only when it holds one of its datum codes.
    EXPECT_TRUE(calpuff_datum_codes().count(recs[11])) << name << ": " << recs[11];
    EXPECT_TRUE(std::regex_match(recs[14], kPeriod)) << name << ": " << recs[14];
    ASSERT_EQ((recs.size() - 19) % 2, 0u) << name;
    for (std::size_t i = 19; i < recs.size(); i += 2) {
      EXPECT_TRUE(std::regex_match(recs[i], kTimeLine)) << name << " " << i << ": " << recs[i];
      EXPECT_TRUE(std::regex_match(recs[i + 1], kSourceLine)) << name << " " << i + 1 << ": " << recs[i + 1];
    }
    return;
  }
  for (const std::string& r : recs) {
    EXPECT_TRUE(std::regex_match(r, kHourly)) << name << ": " << r;
  }
}

// The word after `label` in an AERMET surface file's header, as a number of
// 1 to 8 digits; -1 when there is none.
long header_station(const std::string& header, const std::string& label) {
  const std::regex id(label + R"(\s*(\d{1,8})(\s|$))");
  std::smatch m;
  if (!std::regex_search(header, m, id)) return -1;
  return std::stol(m[1].str());
}

// What AERMOD checks of a control file against the files it names, and warns
// about: the station numbers of ME SURFDATA and ME UAIRDATA against the
// SF_ID and UA_ID of the surface file's header (W530), and, where the control
// file asks for elevated terrain (ELEV), an elevation and a hill height on
// every receptor of the receptor include file (W228).
void check_aermod_references(const fs::path& run_dir, const std::string& name, const std::vector<std::string>& recs) {
  const std::regex surfdata(R"(ME SURFDATA  (\d{8}) \d{4} ONSITE)");
  const std::regex uairdata(R"(ME UAIRDATA  (\d{8}) \d{4} ONSITE)");
  const std::regex disccart(R"(RE DISCCART( +-?\d+\.\d+){4})");
  std::string surffile, included;
  long surface = -1, upper_air = -1;
  bool elev = false;
  for (const std::string& r : recs) {
    std::smatch m;
    if (r.rfind("ME SURFFILE ", 0) == 0) surffile = r.substr(12);
    if (r.rfind("RE INCLUDED ", 0) == 0) included = r.substr(12);
    if (r.rfind("CO MODELOPT ", 0) == 0) elev = r.find(" ELEV") != std::string::npos;
    if (r.rfind("ME SURFDATA", 0) == 0) {
      ASSERT_TRUE(std::regex_match(r, m, surfdata)) << name << ": " << r;
      surface = std::stol(m[1].str());
    }
    if (r.rfind("ME UAIRDATA", 0) == 0) {
      ASSERT_TRUE(std::regex_match(r, m, uairdata)) << name << ": " << r;
      upper_air = std::stol(m[1].str());
    }
  }
  ASSERT_FALSE(surffile.empty()) << name;
  const std::vector<std::string> sfc = crlf_records(read_file((run_dir / surffile).string()));
  ASSERT_FALSE(sfc.empty()) << name << ": " << surffile;
  const long sf_id = header_station(sfc[0], "SF_ID:"), ua_id = header_station(sfc[0], "UA_ID:");
  ASSERT_GE(sf_id, 0) << surffile;
  ASSERT_GE(ua_id, 0) << surffile;
  EXPECT_EQ(surface, sf_id) << name;
  EXPECT_EQ(upper_air, ua_id) << name;

  ASSERT_TRUE(elev) << name;
  ASSERT_FALSE(included.empty()) << name;
  const std::vector<std::string> receptors = text_lines(read_file((run_dir / included).string()));
  ASSERT_FALSE(receptors.empty()) << included;
  for (const std::string& r : receptors) EXPECT_TRUE(std::regex_match(r, disccart)) << included << ": " << r;
}

struct Example {
  const char* dir;
  const char* control;
};

class Examples : public ::testing::TestWithParam<Example> {};

TEST_P(Examples, WriteTheExpectedModelFiles) {
  const Example& e = GetParam();
  TempDir tmp;
  fs::copy(source_path("examples/met"), tmp.path() / "met", fs::copy_options::recursive);
  const fs::path run_dir = tmp.path() / e.dir;
  copy_run_inputs(std::string("examples/") + e.dir, run_dir);
  const ProcessResult r = run_quelmar(run_dir, e.control);
  ASSERT_EQ(r.status, 0) << r.out;

  const fs::path expected_dir = source_path(std::string("tests/data/examples/") + e.dir);
  std::set<std::string> expected, written;
  for (const auto& f : fs::directory_iterator(expected_dir)) expected.insert(f.path().filename().string());
  for (const auto& f : fs::directory_iterator(run_dir)) {
    const std::string name = f.path().filename().string();
    const std::string ext = f.path().extension().string();
    if (ext != ".dat" && ext != ".inx") continue;
    written.insert(name);
    const auto recs = file_records(f.path().string());
    check_layouts(name, recs);
    if (ext == ".inx") check_aermod_references(run_dir, name, recs);
    if (expected.count(name)) {
      EXPECT_EQ(recs, file_records((expected_dir / name).string())) << name;
    }
  }
  EXPECT_EQ(written, expected);

  // The list file ends normally and reports no missing meteorology.
  std::string lst;
  for (const auto& f : fs::directory_iterator(run_dir))
    if (f.path().extension() == ".lst") lst = read_file(f.path().string());
  ASSERT_FALSE(lst.empty());
  EXPECT_EQ(lst.substr(lst.size() - 21), " Program Terminated\r\n");
  EXPECT_EQ(lst.find("meteorology missing"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Shipped, Examples,
                         ::testing::Values(Example{"steady_fixed", "steady.inp"},
                                           Example{"sequence_aermet", "sequence.inp"},
                                           Example{"vessel_timeseries", "vessel.inp"},
                                           Example{"aermod_steady", "steady_am.inp"},
                                           Example{"aermod_vessel", "vessel_am.inp"}),
                         [](const auto& info) { return std::string(info.param.dir); });

// The control files of the guide (docs/guide.md) run as the guide says: the
// first block marked `control` is the frame, and the frame followed by each
// block marked `control-lines` is a minimal control file of one release type,
// run in an empty folder; every further `control` block is a whole control
// file, run in the folder of the AERMOD example.
struct GuideBlock {
  std::string kind, text;
};

std::vector<GuideBlock> guide_blocks(const std::string& guide) {
  std::vector<GuideBlock> blocks;
  bool in_block = false;
  for (const std::string& line : text_lines(guide)) {
    if (!in_block && (line == "```control" || line == "```control-lines")) {
      blocks.push_back({line.substr(3), ""});
      in_block = true;
    } else if (in_block && line == "```") {
      in_block = false;
    } else if (in_block) {
      blocks.back().text += line + "\n";
    }
  }
  return blocks;
}

// The model files a run wrote in `dir` and its list file's end.
void expect_normal_end(const fs::path& dir, const ProcessResult& r, const char* model_ext) {
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string lst = read_file((dir / "flare.lst").string());
  ASSERT_GE(lst.size(), 21u);
  EXPECT_EQ(lst.substr(lst.size() - 21), " Program Terminated\r\n");
  EXPECT_EQ(lst.find("WARNING: meteorology missing"), std::string::npos);
  EXPECT_EQ(lst.find("WARNING: unknown keyword"), std::string::npos);
  int files = 0;
  for (const auto& f : fs::directory_iterator(dir)) {
    if (f.path().extension() != model_ext) continue;
    ++files;
    check_layouts(f.path().filename().string(), file_records(f.path().string()));
  }
  EXPECT_GE(files, 1);
}

TEST(Guide, ItsControlFilesRun) {
  const std::vector<GuideBlock> blocks = guide_blocks(read_file(source_path("docs/guide.md")));
  ASSERT_FALSE(blocks.empty());
  ASSERT_EQ(blocks[0].kind, "control");
  const std::string frame = blocks[0].text;
  int minimal = 0, whole = 0;
  for (std::size_t i = 1; i < blocks.size(); ++i) {
    SCOPED_TRACE(blocks[i].text);
    TempDir tmp;
    if (blocks[i].kind == "control-lines") {
      ++minimal;
      write_file(tmp.file("flare.inp"), frame + blocks[i].text);
      expect_normal_end(tmp.path(), run_quelmar(tmp.path(), "flare.inp"), ".dat");
    } else {
      ++whole;
      fs::copy(source_path("examples/met"), tmp.path() / "met", fs::copy_options::recursive);
      fs::create_directory(tmp.path() / "aermod_steady");
      fs::copy(source_path("examples/aermod_steady/receptors.inc"), tmp.path() / "aermod_steady");
      const fs::path dir = tmp.path() / "aermod_steady";
      write_file((dir / "flare.inp").string(), blocks[i].text);
      const ProcessResult r = run_quelmar(dir, "flare.inp");
      expect_normal_end(dir, r, ".inx");
      for (const auto& f : fs::directory_iterator(dir))
        if (f.path().extension() == ".inx") check_aermod_references(dir, f.path().filename().string(),
                                                                     file_records(f.path().string()));
    }
  }
  EXPECT_EQ(minimal, 6);  // steady, vessel, two decays, user sequence, point source
  EXPECT_EQ(whole, 1);
}

}  // namespace
}  // namespace quelmar::test

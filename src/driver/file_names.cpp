#include "driver/file_names.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>
#include <unordered_set>
#include <vector>

#include "io/format.hpp"
#include "io/text.hpp"
#include "io/units.hpp"

namespace quelmar::driver {

std::string name_number(int n) {
  int w = 1;
  for (int x = n; x >= 10; x /= 10) ++w;
  if (w < 2) w = 2;
  const io::Layout layout("(I" + std::to_string(w) + "." + std::to_string(w) + ")");
  return layout.text({n});
}

run::Text255 join_outpath(const run::Run& run, std::string_view part) {
  run::Text255 padded, name;
  padded.set_blank_padded(part);
  io::CONCAT(name.span(), run.inp.OUTPATH.view(), padded.view());
  return name;
}

run::Text255 flare_file_name(const run::Run& run, int k) {
  static const io::Layout layout("('\\',A,'_',A,'.DAT')");
  return join_outpath(run, layout.text({run.inp.OUTNAME.trimmed(), name_number(k)}));
}

run::Text255 aermod_file_name(const run::Run& run, int lst, int k, const char* suffix) {
  static const io::Layout layout("(A,'_','MOD','_',A,A)");
  run::Text255 name = join_outpath(run, layout.text({run.inp.OUTNAME.trimmed(), name_number(k), suffix}));
  int ierr = 0;
  io::MK_CASE(lst, run.inp.LCFILES, name.span(), ierr);
  return name;
}

namespace {

// The names of one kind of model file, as the run opens them: the folder (as
// written, with its separator, or empty for the current folder), the part of
// the file's name before its number and the part after it.
struct NamePattern {
  std::string folder, head, tail;
  bool valid = false;
};

// The pattern of a kind from the host name of its file 1, which ends with the
// number "01" and the suffix (a name cut at its field's length has no
// pattern).
NamePattern pattern_of(const std::string& first, std::string_view suffix) {
  NamePattern p;
  const std::string end = "01" + std::string(suffix);
  if (first.size() < end.size() || first.compare(first.size() - end.size(), end.size(), end) != 0) return p;
  const std::size_t slash = first.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  if (base > first.size() - end.size()) return p;
  p.folder = first.substr(0, base);
  p.head = first.substr(base, first.size() - end.size() - base);
  p.tail = std::string(suffix);
  p.valid = true;
  return p;
}

// The file number that a file name of the pattern holds, or 0: digits as
// name_number writes them (two with a leading zero, more from 100 on).
int number_in(const NamePattern& p, const std::string& name) {
  if (name.size() <= p.head.size() + p.tail.size()) return 0;
  if (name.compare(0, p.head.size(), p.head) != 0) return 0;
  if (name.compare(name.size() - p.tail.size(), p.tail.size(), p.tail) != 0) return 0;
  const std::string digits = name.substr(p.head.size(), name.size() - p.head.size() - p.tail.size());
  if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  const int k = std::stoi(digits);
  return k >= 1 && name_number(k) == digits ? k : 0;
}

}  // namespace

void warn_foreign_files(run::Run& run, int lst) {
  const run::MOD_READINP& in = run.inp;
  // The kinds of model file of the run, in the order a number's files are listed.
  std::vector<NamePattern> kinds;
  if (in.MDSPMOD == 1) {
    run::Text255 name = flare_file_name(run, 1);
    int ierr = 0;
    io::MK_CASE(lst, in.LCFILES, name.span(), ierr);
    kinds.push_back(pattern_of(io::host_path(name.view()), in.LCFILES ? ".dat" : ".DAT"));
  } else if (in.MDSPMOD == 2) {
    kinds.push_back(pattern_of(io::host_path(aermod_file_name(run, lst, 1, ".INX").view()), in.LCFILES ? ".inx" : ".INX"));
    kinds.push_back(pattern_of(io::host_path(aermod_file_name(run, lst, 1, ".DAT").view()), in.LCFILES ? ".dat" : ".DAT"));
  }
  const std::vector<std::string>& written = run.units.published();
  const std::unordered_set<std::string> own(written.begin(), written.end());

  std::vector<std::tuple<int, std::size_t, std::string>> foreign;  // number, kind, name
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    const NamePattern& p = kinds[k];
    if (!p.valid) continue;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(p.folder.empty() ? "." : p.folder, ec), end; !ec && it != end;
         it.increment(ec)) {
      if (it->is_directory(ec)) continue;
      const std::string file = it->path().filename().string();
      const int number = number_in(p, file);
      if (number == 0) continue;
      const std::string name = p.folder + file;
      if (own.count(name) == 0) foreign.emplace_back(number, k, name);
    }
  }
  std::sort(foreign.begin(), foreign.end());
  for (const auto& [number, kind, name] : foreign)
    run.units.free(lst, {"WARNING: " + name + " is not a file of this run"});
}

}  // namespace quelmar::driver

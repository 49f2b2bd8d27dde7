// Small helpers shared by the tests: temporary folders, files, CR LF records and
// running the program as a subprocess.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quelmar::test {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "quelmar-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

inline void write_file(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

inline std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// The records of a file written with CR LF line ends. Fails (returns a single
// marker record) when a line end is a bare LF.
inline std::vector<std::string> crlf_records(const std::string& text) {
  std::vector<std::string> recs;
  std::size_t b = 0;
  while (b < text.size()) {
    const std::size_t e = text.find('\n', b);
    if (e == std::string::npos) {
      recs.push_back(text.substr(b) + "<no line end>");
      break;
    }
    if (e == b || text[e - 1] != '\r') {
      recs.push_back("<bare LF>");
      b = e + 1;
      continue;
    }
    recs.push_back(text.substr(b, e - 1 - b));
    b = e + 1;
  }
  return recs;
}

inline std::vector<std::string> file_records(const std::string& path) { return crlf_records(read_file(path)); }

struct ProcessResult {
  int status = -1;
  std::string out, err;
};

// Runs the quelmar program in `cwd` with the given argument string.
inline ProcessResult run_quelmar(const fs::path& cwd, const std::string& args) {
  const std::string out = (cwd / ".stdout").string(), err = (cwd / ".stderr").string();
  const std::string cmd = "cd '" + cwd.string() + "' && '" + std::string(QUELMAR_BINARY) + "' " + args + " > '" +
                          out + "' 2> '" + err + "' < /dev/null";
  const int raw = std::system(cmd.c_str());
  ProcessResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = read_file(out);
  r.err = read_file(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

inline std::string source_path(const std::string& rel) { return std::string(QUELMAR_SOURCE_DIR) + "/" + rel; }

}  // namespace quelmar::test

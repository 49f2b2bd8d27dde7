// The unit table: fixed unit numbers bound to the console and to files.
// Every record written to a file ends with CR LF. The console honours the
// carriage-control character of each record (blank: new line, '+': rewrite
// the current line) and does not show it. Console records are shown at once,
// except the rewritten progress line, which is shown at most ten times a
// second (a year of hourly steps would otherwise cost a write per hour).
#pragma once
#include <chrono>
#include <fstream>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/format.hpp"
#include "io/read.hpp"

namespace quelmar::io {

inline constexpr int CONSOLE = 6;
inline constexpr int LST = 20;
inline constexpr int OUT = 21;
inline constexpr int MET = 22;
inline constexpr int LOG = 23;
inline constexpr int CTL = 24;

// The name under which a file is opened on this platform: trimmed of trailing
// blanks, TABs and NULs (and cut at a NUL), leading backslashes dropped, every
// other backslash a directory separator.
std::string host_path(std::string_view name);

class Units {
 public:
  Units();                                  // console on standard output
  Units(std::ostream& out, std::ostream& err);  // console on the given streams
  ~Units();
  Units(const Units&) = delete;
  Units& operator=(const Units&) = delete;

  bool open_read(int unit, std::string_view name);
  bool open_write(int unit, std::string_view name);  // created, or written anew
  bool is_open(int unit) const;
  void close(int unit);
  void close_all();
  void rewind(int unit);

  // Reads one record (the line without its CR LF). End: no more records.
  ReadStatus read_line(int unit, std::string& line);
  // Free-format read of values starting with the next record of the unit.
  ReadStatus read_free(int unit, std::span<const Target> targets);
  ReadStatus read_free(int unit, std::initializer_list<Target> targets) {
    return read_free(unit, std::span<const Target>(targets.begin(), targets.size()));
  }

  // Writes a free-format record (wrapped at the unit's width).
  void free(int unit, std::span<const Item> items);
  void free(int unit, std::initializer_list<Item> items) { free(unit, std::span<const Item>(items.begin(), items.size())); }
  // Writes the records of a fixed layout.
  void fixed(int unit, const Layout& layout, std::span<const Item> items);
  void fixed(int unit, const Layout& layout, std::initializer_list<Item> items) {
    fixed(unit, layout, std::span<const Item>(items.begin(), items.size()));
  }
  // Writes one record as given (a text that a writer built with the layouts).
  void record(int unit, std::string_view text);
  // Writes a block of whole records, each already ended by CR LF, as it is: the
  // path of writers that build many records in a buffer of their own.
  void records(int unit, std::string_view block);
  // The position (bytes from the start) at which the next record of a unit
  // open for writing begins; -1 for any other unit.
  long long tell(int unit);
  // Writes `text` over the bytes of a file from position `at` on, leaving the
  // rest of the file as it is and the unit positioned at the file's end, so a
  // fixed-width record can be filled in once the file's end is known. False
  // when the unit is not open for writing or the file cannot be written there.
  bool overwrite(int unit, long long at, std::string_view text);
  // The stop text stream (standard error); what the console holds goes out
  // first, so that the two read in the order they were written.
  std::ostream& err() {
    out_->flush();
    return *err_;
  }
  void flush();

 private:
  struct File;
  File* file(int unit);
  void put(int unit, std::string_view rec, bool hold);
  void console_put(std::string_view rec, bool hold);

  std::ostream* out_;
  std::ostream* err_;
  bool console_line_open_ = false;
  bool console_hold_ = false;
  std::chrono::steady_clock::time_point console_flushed_{};  // when the console was last flushed
  std::map<int, std::unique_ptr<File>> files_;
  std::vector<std::string> scratch_;
  std::string line_;    // the record being formatted, reused
  std::string record_;  // the record being read, reused
};

}  // namespace quelmar::io

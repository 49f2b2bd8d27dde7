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
  // From now on a record of a fixed layout whose number does not fit its field
  // (asterisks) or is not finite stops the run instead of reaching the file:
  // for the model files, which their model must be able to read.
  void whole_fields(int unit);
  // Closes a unit open for writing and removes its file (a file that was not
  // written to its end); a unit open for reading is only closed.
  void discard(int unit);
  // Messages about the file of a unit name it `name`: the name the file will
  // take when it is written under a temporary one.
  void shown_as(int unit, std::string_view name);
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
  // Writes a block of `count` whole records, each already ended by CR LF, as
  // it is: the path of writers that build many records in a buffer of their own.
  void records(int unit, std::string_view block, long long count);
  // The position (bytes from the start) at which the next record of a unit
  // open for writing begins; -1 for any other unit.
  long long tell(int unit);
  // Writes the one record of a fixed layout over the bytes of a file from
  // position `at` on (the record's end of record stays as it is), leaving the
  // rest of the file as it is and the unit positioned at the file's end, so a
  // fixed-width record can be filled in once the file's end is known. `line`
  // is the record's number in the file, for the message of a field that is not
  // whole. False when the unit is not open for writing or the file cannot be
  // written there.
  bool overwrite(int unit, long long at, long long line, const Layout& layout, std::span<const Item> items);
  bool overwrite(int unit, long long at, long long line, const Layout& layout, std::initializer_list<Item> items) {
    return overwrite(unit, at, line, layout, std::span<const Item>(items.begin(), items.size()));
  }
  // The stop text stream (standard error).
  std::ostream& err() { return *err_; }
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

// The unit table: fixed unit numbers bound to the console and to files.
// Every record written to a file ends with CR LF. The console honours the
// carriage-control character of each record (blank: new line, '+': rewrite
// the current line) and does not show it.
#pragma once
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
  std::map<int, std::unique_ptr<File>> files_;
  std::vector<std::string> scratch_;
  std::string line_;  // the record being formatted, reused
};

}  // namespace quelmar::io

// The unit table: fixed unit numbers bound to the console, standard error and
// files. Every record written to a file ends with CR LF. The console honours
// the carriage-control character of each record (blank: new line, '+':
// rewrite the current line) and does not show it. Console records are shown at
// once, except the rewritten progress line, which is shown at most ten times a
// second (a year of hourly steps would otherwise cost a write per hour).
// Standard error shows each record that holds more than blanks as one line,
// without its carriage-control character and unwrapped whatever its length, so
// that a message there can be read and searched as a whole.
#pragma once
#include <chrono>
#include <fstream>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "io/format.hpp"
#include "io/read.hpp"

namespace quelmar::io {

inline constexpr int ERR = 7;  // standard error: where a stop says why
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

  // How a file opened for writing becomes visible under its name.
  enum class Visible {
    AtOnce,     // written under its name from the first byte (the list file, the debug log)
    WhenWhole,  // written under its name with ".part" added in the same folder, and
                // given its name by publish_all() once whole (the model files)
  };

  // Opening fails with false; open_error() then gives the system's reason.
  bool open_read(int unit, std::string_view name);
  // Created, or written anew. A file that becomes visible when whole cannot be
  // opened either when its own name could not be written anew (a folder, a
  // file without write permission), or when the run already writes a file of
  // that name.
  bool open_write(int unit, std::string_view name, Visible visible = Visible::AtOnce);
  const std::string& open_error() const { return open_error_; }
  bool is_open(int unit) const;
  // From now on every record of the unit reaches its file as it is written, so
  // that a run that is killed leaves every record written before the kill in
  // the file; a signal that stops the run writes its line there too (the list
  // file).
  void write_through(int unit);
  // Writes what the unit still holds and closes it. A write, flush or close
  // that fails stops the run (io::Stop) with "***FATAL ERROR*** cannot write
  // NAME: REASON". A file written under a temporary name keeps that name until
  // publish_all() gives it its own.
  void close(int unit);
  // The temporary file written for `name` is whole (its unit is closed first
  // when it is still open, checked as close is): it takes its name at
  // publish_all(), after the files made whole before it. `what` names the kind
  // of file in the message of a name it cannot take. False when the run writes
  // no temporary file for `name`.
  bool finish(std::string_view name, std::string_view what);
  // A file that could not take its name: its kind, its name, the reason.
  struct Unpublished {
    std::string what, name, reason;
  };
  // Gives every whole temporary file its own name, in place of any file of that
  // name, in the order they were made whole. No name is taken until every name
  // is known to be writable (none is a folder or a file without write
  // permission); the first that is not, or a rename that fails, is returned,
  // and the files not yet renamed stay temporary (the run's end removes them).
  std::optional<Unpublished> publish_all();
  // The names that publish_all() gave the files, in that order.
  const std::vector<std::string>& published() const { return published_; }
  // Closes every unit that writes a temporary file and removes every temporary
  // file of the run that has not taken its name (never throws).
  void discard_temporaries();
  // From now on a record of a fixed layout whose number does not fit its field
  // (asterisks) or is not finite stops the run instead of reaching the file:
  // for the model files, which their model must be able to read. The stop
  // text names the file, the line and the columns, and what the value is when
  // the writer said so.
  void whole_fields(int unit);
  // Closes a unit open for writing without writing what it still holds and
  // removes its file (a file that was not written to its end); a unit open for
  // reading is only closed. Never throws.
  void discard(int unit);
  // Closes every unit, writing what each still holds where it can; the
  // temporary files that have not taken their names are removed. Never throws:
  // the end of a run that has already failed.
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
  // Writes the records of a fixed layout. `what`, when given, says what each
  // item is ("the site elevation in m (ZCOORD)"), item by item: on a unit that
  // takes whole fields only, the stop for a number that does not fit names it.
  void fixed(int unit, const Layout& layout, std::span<const Item> items, std::span<const std::string_view> what = {});
  void fixed(int unit, const Layout& layout, std::initializer_list<Item> items,
             std::initializer_list<std::string_view> what = {}) {
    fixed(unit, layout, std::span<const Item>(items.begin(), items.size()),
          std::span<const std::string_view>(what.begin(), what.size()));
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
  // Writes what every unit open for writing holds (checked as close is).
  void flush();

 private:
  struct File;
  struct Temporary;
  File* file(int unit);
  void put(int unit, std::string_view rec, bool hold);
  void console_put(std::string_view rec, bool hold);
  void err_put(std::string_view rec);
  // Writes the bytes to the file, or stops the run naming the file and the reason.
  void write_out(File& f, const char* data, std::size_t size);
  void drain(File& f);
  [[noreturn]] void write_failed(File& f, int err);
  void close_file(File& f, bool keep_contents);
  void remove_temporary(std::vector<Temporary>& list, std::size_t index);
  bool is_temporary(const File& f) const;

  std::ostream* out_;
  std::ostream* err_;
  bool console_line_open_ = false;
  bool console_hold_ = false;
  std::chrono::steady_clock::time_point console_flushed_{};  // when the console was last flushed
  std::map<int, std::unique_ptr<File>> files_;
  std::vector<Temporary> temporaries_;  // written under a temporary name, not yet whole
  std::vector<Temporary> whole_;        // whole, waiting for publish_all(), in that order
  std::unordered_set<std::string> finals_;  // the own names of both
  std::vector<std::string> published_;
  std::string open_error_;
  std::vector<std::string> scratch_;
  std::string line_;    // the record being formatted, reused
  std::string record_;  // the record being read, reused
};

}  // namespace quelmar::io

#include "io/units.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "io/stop.hpp"
#include "io/temporaries.hpp"
#include "io/text.hpp"

namespace quelmar::io {

std::string host_path(std::string_view name) {
  const std::size_t nul = name.find('\0');
  if (nul != std::string_view::npos) name = name.substr(0, nul);
  name = name.substr(0, static_cast<std::size_t>(LEN_REAL(name)));
  std::size_t b = 0;
  while (b < name.size() && name[b] == '\\') ++b;
  std::string path(name.substr(b));
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

struct Units::File {
  std::string path;   // the name on this platform, as opened
  std::string shown;  // the name that messages give: the file's own name
  std::ifstream in;
  int fd = -1;            // the file open for writing
  std::string pending;    // bytes written to the unit and not yet to the file
  long long written = 0;  // bytes already handed to the file
  bool reading = false;
  bool held = false;  // the last record written was not ended ($)
  bool whole_fields = false;
  bool failed = false;  // a write failed: the unit takes nothing more
  bool through = false;  // every record goes to the file as it is written
  long long lines = 0;  // records ended so far
};

// A file written under a temporary name beside the name it takes when whole.
struct Units::Temporary {
  std::string path;   // the temporary name, as opened
  std::string final;  // its own name
  int slot = -1;      // its slot among the names that a signal handler removes
  std::string what;   // the kind of file, once whole
};

namespace {

// Bytes a unit holds before it writes them to its file.
constexpr std::size_t kPending = std::size_t{1} << 16;

std::string reason(int err) { return std::strerror(err); }

// The reason why the name of a file cannot be written anew, or 0: a folder of
// that name, or a file without write permission.
int name_not_writable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (::access(path.c_str(), W_OK) != 0) return errno;
  return 0;
}

}  // namespace

Units::Units() : out_(&std::cout), err_(&std::cerr) {}
Units::Units(std::ostream& out, std::ostream& err) : out_(&out), err_(&err) {}
Units::~Units() { close_all(); }

Units::File* Units::file(int unit) {
  auto it = files_.find(unit);
  return it == files_.end() ? nullptr : it->second.get();
}

bool Units::open_read(int unit, std::string_view name) {
  close(unit);
  const std::string path = host_path(name);
  if (path.empty()) {
    open_error_ = reason(ENOENT);
    return false;
  }
  // A folder opens for reading on this platform, but holds no records.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    open_error_ = reason(EISDIR);
    return false;
  }
  auto f = std::make_unique<File>();
  f->reading = true;
  f->path = f->shown = path;
  errno = 0;
  f->in.open(path, std::ios::binary);
  if (!f->in.is_open()) {
    open_error_ = reason(errno != 0 ? errno : ENOENT);
    return false;
  }
  files_[unit] = std::move(f);
  return true;
}

bool Units::open_write(int unit, std::string_view name, Visible visible) {
  close(unit);
  const std::string path = host_path(name);
  if (path.empty()) {
    open_error_ = reason(ENOENT);
    return false;
  }
  auto f = std::make_unique<File>();
  f->shown = path;
  f->path = visible == Visible::WhenWhole ? path + ".part" : path;
  if (visible == Visible::WhenWhole) {
    if (const int err = name_not_writable(path)) {
      open_error_ = reason(err);
      return false;
    }
    // Two files of one name (names cut at their field's length) would share
    // one temporary: the second is refused rather than written over the first.
    if (finals_.count(path) != 0) {
      open_error_ = "the run writes another file of this name";
      return false;
    }
    // The name is known to the signal handler before the file exists.
    Temporary t{f->path, path, register_temporary(f->path), {}};
    if (t.slot < 0) {
      open_error_ = f->path.size() >= static_cast<std::size_t>(MAX_TEMPORARY_NAME)
                        ? reason(ENAMETOOLONG)
                        : "more than " + std::to_string(MAX_TEMPORARIES) + " model files in one run";
      return false;
    }
    finals_.insert(path);
    temporaries_.push_back(std::move(t));
  }
  f->fd = ::open(f->path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (f->fd < 0) {
    open_error_ = reason(errno);
    if (visible == Visible::WhenWhole) {
      release_temporary(temporaries_.back().slot);
      finals_.erase(path);
      temporaries_.pop_back();
    }
    return false;
  }
  f->pending.reserve(kPending);
  files_[unit] = std::move(f);
  return true;
}

void Units::write_through(int unit) {
  File* f = file(unit);
  if (!f || f->reading || f->failed) return;
  f->through = true;
  drain(*f);
  set_stop_record_file(f->fd);
}

bool Units::is_open(int unit) const {
  if (unit == CONSOLE || unit == ERR) return true;
  return files_.count(unit) != 0;
}

void Units::write_failed(File& f, int err) {
  f.failed = true;
  f.pending.clear();
  throw Stop{"***FATAL ERROR*** cannot write " + f.shown + ": " + reason(err)};
}

void Units::write_out(File& f, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(f.fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      write_failed(f, errno);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    f.written += n;
  }
}

void Units::drain(File& f) {
  if (f.failed || f.pending.empty()) return;
  write_out(f, f.pending.data(), f.pending.size());
  f.pending.clear();
}

// Closes the file of a unit open for writing: with its held record ended and
// what it holds written (checked), or, for a file that is given up, as it is.
void Units::close_file(File& f, bool keep_contents) {
  if (f.fd < 0) return;
  const int fd = f.fd;
  if (keep_contents && !f.failed) {
    if (f.held) {
      f.pending += "\r\n";
      f.held = false;
    }
    try {
      drain(f);
    } catch (...) {
      if (f.through) set_stop_record_file(-1);
      ::close(fd);
      f.fd = -1;
      throw;
    }
  }
  f.fd = -1;
  if (f.through) set_stop_record_file(-1);  // before the descriptor can be taken by another file
  if (::close(fd) != 0 && keep_contents && !f.failed && errno != EINTR) write_failed(f, errno);
}

void Units::close(int unit) {
  auto it = files_.find(unit);
  if (it == files_.end()) return;
  // The unit is gone from the table whatever the close finds.
  std::unique_ptr<File> f = std::move(it->second);
  files_.erase(it);
  if (!f->reading) close_file(*f, true);
}

void Units::whole_fields(int unit) {
  if (File* f = file(unit)) f->whole_fields = true;
}

namespace {

// A record whose number does not fit its field, or is not finite, stops the run
// with the file, line and columns of the first such field, and what its value
// is when the writer said so.
void refuse_bad_fields(const std::string& file, long long line, const Layout::BadFields& bad,
                       std::span<const std::string_view> what = {}) {
  if (bad.count == 0) return;
  std::string text = "***FATAL ERROR*** a value does not fit its field in " + file + ", line " +
                     std::to_string(line) + ", columns " + std::to_string(bad.first) + " to " +
                     std::to_string(bad.last);
  const std::size_t item = static_cast<std::size_t>(bad.item);
  if (bad.item >= 0 && item < what.size() && !what[item].empty()) text += ": " + std::string(what[item]);
  throw Stop{text};
}

}  // namespace

void Units::remove_temporary(std::vector<Temporary>& list, std::size_t index) {
  Temporary& t = list[index];
  ::unlink(t.path.c_str());
  release_temporary(t.slot);
  finals_.erase(t.final);
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

bool Units::is_temporary(const File& f) const {
  return !f.reading && std::any_of(temporaries_.begin(), temporaries_.end(),
                                   [&](const Temporary& t) { return t.path == f.path; });
}

bool Units::finish(std::string_view name, std::string_view what) {
  const std::string path = host_path(name);
  std::size_t k = 0;
  while (k < temporaries_.size() && temporaries_[k].final != path) ++k;
  if (k == temporaries_.size()) return false;
  for (auto& [unit, f] : files_)
    if (!f->reading && f->path == temporaries_[k].path) {
      close(unit);
      break;
    }
  temporaries_[k].what = std::string(what);
  whole_.push_back(std::move(temporaries_[k]));
  temporaries_.erase(temporaries_.begin() + static_cast<std::ptrdiff_t>(k));
  return true;
}

std::optional<Units::Unpublished> Units::publish_all() {
  for (const Temporary& t : whole_)
    if (const int err = name_not_writable(t.final)) return Unpublished{t.what, t.final, reason(err)};
  std::size_t done = 0;
  std::optional<Unpublished> failed;
  for (; done < whole_.size(); ++done) {
    Temporary& t = whole_[done];
    if (::rename(t.path.c_str(), t.final.c_str()) != 0) {
      failed = Unpublished{t.what, t.final, reason(errno)};
      break;
    }
    release_temporary(t.slot);
    finals_.erase(t.final);
    published_.push_back(t.final);
  }
  whole_.erase(whole_.begin(), whole_.begin() + static_cast<std::ptrdiff_t>(done));
  return failed;
}

void Units::discard_temporaries() {
  for (auto it = files_.begin(); it != files_.end();) {
    File& f = *it->second;
    if (is_temporary(f)) {
      close_file(f, false);
      it = files_.erase(it);
    } else {
      ++it;
    }
  }
  while (!temporaries_.empty()) remove_temporary(temporaries_, temporaries_.size() - 1);
  while (!whole_.empty()) remove_temporary(whole_, whole_.size() - 1);
}

void Units::discard(int unit) {
  auto it = files_.find(unit);
  if (it == files_.end()) return;
  std::unique_ptr<File> f = std::move(it->second);
  files_.erase(it);
  if (f->reading) return;
  close_file(*f, false);
  const auto t = std::find_if(temporaries_.begin(), temporaries_.end(),
                              [&](const Temporary& x) { return x.path == f->path; });
  if (t != temporaries_.end()) {
    remove_temporary(temporaries_, static_cast<std::size_t>(t - temporaries_.begin()));
  } else {
    ::unlink(f->path.c_str());
  }
}

void Units::close_all() {
  discard_temporaries();
  while (!files_.empty()) {
    try {
      close(files_.begin()->first);
    } catch (const std::exception&) {
      // A file that cannot be written to its end here has been reported, or
      // belongs to a run that already stops for another reason.
    }
  }
  try {
    if (console_line_open_ || console_hold_) {
      console_line_open_ = console_hold_ = false;
      *out_ << '\n';
    }
    out_->flush();
  } catch (const std::exception&) {
    // A console that has failed takes nothing more.
  }
}

void Units::rewind(int unit) {
  File* f = file(unit);
  if (!f || !f->reading) return;
  f->in.clear();
  f->in.seekg(0);
}

namespace {

// The next line of a file open for reading, without its CR.
ReadStatus next_line(std::ifstream& in, std::string& line) {
  if (!std::getline(in, line)) return in.bad() ? ReadStatus::Error : ReadStatus::End;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return ReadStatus::Ok;
}

}  // namespace

ReadStatus Units::read_line(int unit, std::string& line) {
  File* f = file(unit);
  if (!f || !f->reading) return ReadStatus::Error;
  return next_line(f->in, line);
}

ReadStatus Units::read_free(int unit, std::span<const Target> targets) {
  File* f = file(unit);
  if (!f || !f->reading) return ReadStatus::Error;
  // One pointer for the function object to hold, so that it needs no storage of its own.
  struct Source {
    File* f;
    bool failed;
  } src{f, false};
  const std::function<bool(std::string&)> next = [&src](std::string& rec) {
    const ReadStatus s = next_line(src.f->in, rec);
    if (s == ReadStatus::Error) src.failed = true;
    return s == ReadStatus::Ok;
  };
  const ReadStatus s = io::read_free(next, targets, nullptr, record_);
  return src.failed ? ReadStatus::Error : s;
}

void Units::console_put(std::string_view rec, bool hold) {
  std::ostream& o = *out_;
  const bool plus = !console_hold_ && !rec.empty() && rec[0] == '+';
  const std::string_view body = rec.empty() ? rec : rec.substr(1);
  if (console_hold_) {
    o << rec;  // goes on in the line that a `$` record left open
  } else if (plus) {
    o << '\r' << body;  // rewrites the current line
  } else {
    if (console_line_open_) o << '\n';
    o << body;
  }
  if (hold) {
    console_line_open_ = true;
    console_hold_ = true;
  } else if (plus) {
    console_line_open_ = true;
    console_hold_ = false;
  } else {
    o << '\n';
    console_line_open_ = false;
    console_hold_ = false;
  }
  const auto now = std::chrono::steady_clock::now();
  if (!plus || now - console_flushed_ >= std::chrono::milliseconds(100)) {
    o.flush();
    console_flushed_ = now;
  }
}

void Units::err_put(std::string_view rec) {
  const std::string_view body = rec.empty() ? rec : rec.substr(1);
  if (body.find_first_not_of(' ') == std::string_view::npos) return;  // a spacer of the list file
  std::ostream& o = *err_;
  o << body << '\n';
  o.flush();
}

void Units::put(int unit, std::string_view rec, bool hold) {
  if (unit == CONSOLE) {
    console_put(rec, hold);
    return;
  }
  if (unit == ERR) {
    err_put(rec);
    return;
  }
  File* f = file(unit);
  if (!f || f->reading || f->failed) return;  // a unit that is not open for writing takes nothing
  f->pending.append(rec);
  if (!hold) {
    f->pending.append("\r\n");
    ++f->lines;
  }
  f->held = hold;
  if (f->through || f->pending.size() >= kPending) drain(*f);
}

void Units::free(int unit, std::span<const Item> items) {
  if (unit != CONSOLE && unit != ERR && !file(unit)) return;
  scratch_.clear();
  // Standard error takes each record whole: as wide as its items make it.
  constexpr int kUnwrapped = 1 << 30;
  free_records(items, unit == CONSOLE ? 79 : unit == ERR ? kUnwrapped : 80, scratch_);
  for (const std::string& r : scratch_) put(unit, r, false);
}

void Units::fixed(int unit, const Layout& layout, std::span<const Item> items, std::span<const std::string_view> what) {
  File* f = file(unit);
  if (unit != CONSOLE && unit != ERR && !f) return;
  if (f && f->whole_fields) {
    // The records are held back until every field is known to be whole (the
    // last one in `line_`, any before it in `scratch_`).
    scratch_.clear();
    Layout::BadFields bad;
    const std::function<void(std::string_view)> keep = [&](std::string_view r) { scratch_.emplace_back(r); };
    const bool hold = layout.write(items, line_, keep, &bad);
    refuse_bad_fields(f->shown, f->lines + 1 + bad.record, bad, what);
    for (const std::string& r : scratch_) put(unit, r, false);
    put(unit, line_, hold);
    return;
  }
  const std::function<void(std::string_view)> emit = [&](std::string_view r) { put(unit, r, false); };
  const bool hold = layout.write(items, line_, emit);
  put(unit, line_, hold);
}

void Units::record(int unit, std::string_view text) { put(unit, text, false); }

void Units::records(int unit, std::string_view block, long long count) {
  File* f = file(unit);
  if (!f || f->reading || f->failed || block.empty()) return;
  drain(*f);
  write_out(*f, block.data(), block.size());
  f->held = false;
  f->lines += count;
}

long long Units::tell(int unit) {
  File* f = file(unit);
  if (!f || f->reading) return -1;
  return f->written + static_cast<long long>(f->pending.size());
}

bool Units::overwrite(int unit, long long at, long long line, const Layout& layout, std::span<const Item> items) {
  File* f = file(unit);
  if (!f || f->reading || f->failed || at < 0) return false;
  std::string rec;
  Layout::BadFields bad;
  layout.append(items, rec, &bad);
  if (f->whole_fields) refuse_bad_fields(f->shown, line, bad);
  if (at + static_cast<long long>(rec.size()) > f->written + static_cast<long long>(f->pending.size())) return false;
  // Bytes still held are changed where they lie; the rest in the file.
  std::size_t done = 0;
  while (done < rec.size() && at + static_cast<long long>(done) < f->written) {
    const ssize_t n = ::pwrite(f->fd, rec.data() + done,
                               std::min<std::size_t>(rec.size() - done,
                                                     static_cast<std::size_t>(f->written - at) - done),
                               static_cast<off_t>(at + static_cast<long long>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      write_failed(*f, errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (done < rec.size())
    f->pending.replace(static_cast<std::size_t>(at + static_cast<long long>(done) - f->written), rec.size() - done,
                       rec, done, rec.size() - done);
  return true;
}

void Units::flush() {
  for (auto& [u, f] : files_)
    if (!f->reading) drain(*f);
  out_->flush();
}

}  // namespace quelmar::io

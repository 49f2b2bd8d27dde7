#include "io/units.hpp"

#include <filesystem>
#include <iostream>

#include "io/stop.hpp"
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
  std::string path;   // the name on this platform
  std::string shown;  // the name that messages give, when not `path`
  std::ifstream in;
  std::ofstream out;
  bool reading = false;
  bool held = false;  // the last record written was not ended ($)
  bool whole_fields = false;
  long long lines = 0;  // records ended so far
  std::vector<char> buffer;
};

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
  if (path.empty()) return false;
  auto f = std::make_unique<File>();
  f->reading = true;
  f->in.open(path, std::ios::binary);
  if (!f->in.is_open()) return false;
  files_[unit] = std::move(f);
  return true;
}

bool Units::open_write(int unit, std::string_view name) {
  close(unit);
  const std::string path = host_path(name);
  if (path.empty()) return false;
  auto f = std::make_unique<File>();
  f->path = path;
  f->buffer.resize(1 << 16);
  f->out.rdbuf()->pubsetbuf(f->buffer.data(), static_cast<std::streamsize>(f->buffer.size()));
  f->out.open(path, std::ios::binary | std::ios::trunc);
  if (!f->out.is_open()) return false;
  files_[unit] = std::move(f);
  return true;
}

bool Units::is_open(int unit) const {
  if (unit == CONSOLE) return true;
  return files_.count(unit) != 0;
}

void Units::close(int unit) {
  auto it = files_.find(unit);
  if (it == files_.end()) return;
  File& f = *it->second;
  if (!f.reading) {
    if (f.held) f.out << "\r\n";
    f.out.flush();
    f.out.close();
  }
  files_.erase(it);
}

void Units::whole_fields(int unit) {
  if (File* f = file(unit)) f->whole_fields = true;
}

void Units::shown_as(int unit, std::string_view name) {
  if (File* f = file(unit)) f->shown = host_path(name);
}

namespace {

// A record whose number does not fit its field, or is not finite, stops the run
// with the file, line and columns of the first such field.
void refuse_bad_fields(const std::string& file, long long line, const Layout::BadFields& bad) {
  if (bad.count == 0) return;
  throw Stop{"***FATAL ERROR*** a value does not fit its field in " + file + ", line " + std::to_string(line) +
             ", columns " + std::to_string(bad.first) + " to " + std::to_string(bad.last)};
}

}  // namespace

void Units::discard(int unit) {
  File* f = file(unit);
  if (!f) return;
  const bool written = !f->reading;
  const std::string path = f->path;
  close(unit);
  if (written) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
}

void Units::close_all() {
  while (!files_.empty()) close(files_.begin()->first);
  if (console_line_open_ || console_hold_) {
    *out_ << '\n';
    console_line_open_ = console_hold_ = false;
  }
  out_->flush();
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

void Units::put(int unit, std::string_view rec, bool hold) {
  if (unit == CONSOLE) {
    console_put(rec, hold);
    return;
  }
  File* f = file(unit);
  if (!f || f->reading) return;  // a unit that is not open for writing takes nothing
  f->out << rec;
  if (!hold) {
    f->out << "\r\n";
    ++f->lines;
  }
  f->held = hold;
}

void Units::free(int unit, std::span<const Item> items) {
  if (unit != CONSOLE && !file(unit)) return;
  scratch_.clear();
  free_records(items, unit == CONSOLE ? 79 : 80, scratch_);
  for (const std::string& r : scratch_) put(unit, r, false);
}

void Units::fixed(int unit, const Layout& layout, std::span<const Item> items) {
  File* f = file(unit);
  if (unit != CONSOLE && !f) return;
  if (f && f->whole_fields) {
    // The records are held back until every field is known to be whole (the
    // last one in `line_`, any before it in `scratch_`).
    scratch_.clear();
    Layout::BadFields bad;
    const std::function<void(std::string_view)> keep = [&](std::string_view r) { scratch_.emplace_back(r); };
    const bool hold = layout.write(items, line_, keep, &bad);
    refuse_bad_fields(f->shown.empty() ? f->path : f->shown, f->lines + 1 + bad.record, bad);
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
  if (!f || f->reading || block.empty()) return;
  f->out.write(block.data(), static_cast<std::streamsize>(block.size()));
  f->held = false;
  f->lines += count;
}

long long Units::tell(int unit) {
  File* f = file(unit);
  if (!f || f->reading) return -1;
  return static_cast<long long>(f->out.tellp());
}

bool Units::overwrite(int unit, long long at, long long line, const Layout& layout, std::span<const Item> items) {
  File* f = file(unit);
  if (!f || f->reading || at < 0) return false;
  std::string rec;
  Layout::BadFields bad;
  layout.append(items, rec, &bad);
  if (f->whole_fields) refuse_bad_fields(f->shown.empty() ? f->path : f->shown, line, bad);
  const std::streampos end = f->out.tellp();
  f->out.seekp(at);
  f->out.write(rec.data(), static_cast<std::streamsize>(rec.size()));
  f->out.seekp(end);
  return static_cast<bool>(f->out);
}

void Units::flush() {
  for (auto& [u, f] : files_)
    if (!f->reading) f->out.flush();
  out_->flush();
}

}  // namespace quelmar::io

#include "input/token.hpp"

#include <algorithm>

namespace quelmar::input {

using run::BadValue;
using run::BadValues;

namespace {

using Line = io::Text<LINELEN>;

// Blanks and TABs at both ends removed (NULs too at the end), moved to the
// start, NULs behind.
void trim_into(std::span<char> out, std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) ++b;
  io::ZSTRCPY(out, s.substr(b));
}

// Reads the next control line, cut at 255 characters and padded with blanks.
bool next_line(io::Units& u, int ctl, std::string& line) {
  if (u.read_line(ctl, line) != io::ReadStatus::Ok) return false;
  if (line.size() > static_cast<std::size_t>(LINELEN)) line.resize(LINELEN);
  line.resize(LINELEN, ' ');
  return true;
}

// Searches the next line (from the current position) whose key is `key`, and
// leaves its value in `value`.
bool find_next(io::Units& u, int ctl, std::string_view key, Line& value) {
  std::string line;
  Line k;
  while (next_line(u, ctl, line)) {
    if (!ITOKENIZE(line, k.span(), value.span())) continue;
    if (io::LEQ(k.view(), key)) return true;
  }
  return false;
}

bool find_first(io::Units& u, int ctl, std::string_view key, Line& value) {
  u.rewind(ctl);
  return find_next(u, ctl, key, value);
}

std::vector<std::string> split_items(const Line& value) {
  std::vector<std::string> items;
  int ipos = 1;
  ITOKENALIST(value.view(), ipos, ',', items);
  if (items.size() > static_cast<std::size_t>(MAXITEMS)) items.resize(MAXITEMS);
  return items;
}

bool empty_item(const std::string& s) { return io::LEN_REAL(s) == 0; }

// Adds a value that the run cannot take to `bad`, once per keyword (and row
// or list item).
void remember(BadValues* bad, std::string_view key, BadValue::Kind kind, int row, std::string_view value,
              int limit = 0) {
  if (!bad) return;
  const std::string k(key.substr(0, static_cast<std::size_t>(io::LEN_REAL(key))));
  for (const BadValue& b : *bad)
    if (b.key == k && b.row == row) return;
  bad->push_back({k, kind, row, limit, std::string(value)});
}

}  // namespace

int ITOKENPTR(std::string_view str, int ipos, char tok) {
  if (ipos < 1 || ipos > static_cast<int>(str.size())) return 0;
  const std::size_t at = str.find(tok, static_cast<std::size_t>(ipos - 1));
  if (at == std::string_view::npos) return 0;
  return static_cast<int>(at) - (ipos - 1) + 1;
}

int ITOKEN(std::string_view str, int ipos, char tok, std::span<char> out) {
  const int n = ITOKENPTR(str, ipos, tok);
  const std::size_t b = static_cast<std::size_t>(std::max(ipos, 1) - 1);
  std::string piece;
  if (b < str.size()) piece = std::string(n > 0 ? str.substr(b, static_cast<std::size_t>(n - 1)) : str.substr(b));
  io::ZSTRTRIM(piece);
  io::ZSTRCPY(out, piece);
  return n > 0 ? ipos + n : 0;
}

int ITOKENIZE(std::string_view line, std::span<char> key, std::span<char> value) {
  const std::size_t first = line.find('!');
  if (first == std::string_view::npos) return 0;
  std::string_view field = line.substr(first + 1);
  const std::size_t second = field.find('!');
  if (second != std::string_view::npos) field = field.substr(0, second);
  const std::size_t eq = field.find('=');
  if (eq == std::string_view::npos) {
    trim_into(key, field);
    trim_into(value, field);
    return 1;
  }
  trim_into(key, field.substr(0, eq));
  std::string_view rest = field.substr(eq + 1);
  const std::size_t eq2 = rest.find('=');
  if (eq2 != std::string_view::npos) rest = rest.substr(0, eq2);
  trim_into(value, rest);
  return 1;
}

int ITOKENALIST(std::string_view str, int& ipos, char tok, std::vector<std::string>& alist) {
  alist.clear();
  std::size_t p = static_cast<std::size_t>(std::max(ipos, 1) - 1);
  if (p > str.size()) p = str.size();
  while (true) {
    const std::size_t at = str.find(tok, p);
    std::string_view item = at == std::string_view::npos ? str.substr(p) : str.substr(p, at - p);
    alist.emplace_back(item.substr(0, static_cast<std::size_t>(io::LEN_REAL(item))));
    if (at == std::string_view::npos) break;
    p = at + 1;
    ipos = static_cast<int>(p) + 1;
  }
  return static_cast<int>(alist.size());
}

namespace {
template <class T>
int convert_one(std::string_view str, T& v) {
  T tmp = v;
  const io::Target t = io::Target::of(tmp);
  const io::ReadStatus s = io::read_free(str.substr(0, static_cast<std::size_t>(io::LEN_REAL(str))), {&t, 1});
  if (s != io::ReadStatus::Ok) return 0;
  v = tmp;
  return 1;
}
}  // namespace

int ITOKEN2I(std::string_view str, int& iv) { return convert_one(str, iv); }
int ITOKEN2R(std::string_view str, double& rv) { return convert_one(str, rv); }

void note_too_long(BadValues* bad, std::string_view key, int item, std::string_view value, std::size_t limit) {
  const std::string_view v = value.substr(0, static_cast<std::size_t>(io::LEN_REAL(value)));
  if (v.size() > limit) remember(bad, key, BadValue::TooLong, item, v, static_cast<int>(limit));
}

int IRDPARAM_A(io::Units& u, int ctl, std::string_view key, std::span<char> aval, BadValues* bad) {
  Line value;
  if (!find_first(u, ctl, key, value)) return 0;
  io::ZSTRCPY(aval, value.view());
  note_too_long(bad, key, 0, value.view(), aval.size());
  return 1;
}

int IRDPARAM_I(io::Units& u, int ctl, std::string_view key, int& iv, BadValues* bad) {
  Line work;
  if (!IRDPARAM_A(u, ctl, key, work.span())) return 0;
  if (work.len_real() > 0 && !ITOKEN2I(work.view(), iv)) remember(bad, key, BadValue::Whole, 0, work.trimmed());
  return 1;
}

int IRDPARAM_R(io::Units& u, int ctl, std::string_view key, double& rv, BadValues* bad) {
  Line work;
  if (!IRDPARAM_A(u, ctl, key, work.span())) return 0;
  if (work.len_real() > 0 && !ITOKEN2R(work.view(), rv)) remember(bad, key, BadValue::Real, 0, work.trimmed());
  return 1;
}

int read_list_items(io::Units& u, int ctl, std::string_view key, std::vector<std::string>& items) {
  Line value;
  if (!find_first(u, ctl, key, value)) return 0;
  items = split_items(value);
  return 1;
}

namespace {
// The list readers: every non-empty item from 1 to nmax converted; one item
// that does not convert makes the whole value one that is not a list of numbers.
template <class T>
int read_list(io::Units& u, int ctl, std::string_view key, int nmax, std::span<T> v, BadValues* bad) {
  Line value;
  if (!find_first(u, ctl, key, value) || nmax < 1) return 0;
  const std::vector<std::string> items = split_items(value);
  const std::size_t n = std::min({items.size(), static_cast<std::size_t>(nmax), v.size()});
  bool all = true;
  for (std::size_t i = 0; i < n; ++i)
    if (!empty_item(items[i]) && !convert_one(items[i], v[i])) all = false;
  if (!all) remember(bad, key, BadValue::List, 0, value.trimmed());
  return 1;
}

// The rows of a key that stands on several lines: the items of the r-th line
// with the key (at most n2) in row r, and, when `values` is given, the line's
// whole value beside it.
int read_rows(io::Units& u, int ctl, std::string_view key, int n1, int n2, std::vector<std::vector<std::string>>& av,
              std::vector<std::string>* values) {
  av.clear();
  if (values) values->clear();
  if (n1 < 1) return 0;
  u.rewind(ctl);
  Line value;
  while (static_cast<int>(av.size()) < n1) {
    if (!find_next(u, ctl, key, value)) return 0;
    std::vector<std::string> items = split_items(value);
    if (static_cast<int>(items.size()) > n2) items.resize(static_cast<std::size_t>(std::max(n2, 0)));
    av.push_back(std::move(items));
    if (values) values->emplace_back(value.trimmed());
  }
  return 1;
}
}  // namespace

int IRDPARAM_RV(io::Units& u, int ctl, std::string_view key, int nmax, std::span<double> rv, BadValues* bad) {
  return read_list(u, ctl, key, nmax, rv, bad);
}

int IRDPARAM_IV(io::Units& u, int ctl, std::string_view key, int nmax, std::span<int> iv, BadValues* bad) {
  return read_list(u, ctl, key, nmax, iv, bad);
}

int IRDPARAM_AV2(io::Units& u, int ctl, std::string_view key, int n1, int n2,
                 std::vector<std::vector<std::string>>& av) {
  return read_rows(u, ctl, key, n1, n2, av, nullptr);
}

namespace {
template <class T>
int read_table(io::Units& u, int ctl, std::string_view key, int n1, int n2, io::Table2<T>& tab, int ld1, int ld2,
               BadValues* bad) {
  if (n1 < 1 || n2 < 1) return 0;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> values;
  if (!read_rows(u, ctl, key, n1, n2, rows, &values)) return 0;
  const int rmax = std::min({n1, ld1, tab.rows()});
  const int cmax = std::min({n2, ld2, tab.cols()});
  for (int r = 1; r <= rmax; ++r) {
    const auto& row = rows[static_cast<std::size_t>(r - 1)];
    bool all = true;
    for (int c = 1; c <= cmax && c <= static_cast<int>(row.size()); ++c) {
      const std::string& item = row[static_cast<std::size_t>(c - 1)];
      if (!empty_item(item) && !convert_one(item, tab(r, c))) all = false;
    }
    if (!all) remember(bad, key, BadValue::Row, r, values[static_cast<std::size_t>(r - 1)]);
  }
  return 1;
}

// The values of a key standing on several lines in a row.
int gather_run(io::Units& u, int ctl, std::string_view key, int nmax, std::vector<std::string>& vals) {
  vals.clear();
  if (nmax < 1) return 0;
  u.rewind(ctl);
  std::string line;
  Line k, value;
  bool started = false;
  while (next_line(u, ctl, line)) {
    if (!ITOKENIZE(line, k.span(), value.span())) continue;  // comment lines do not end the run
    if (!io::LEQ(k.view(), key)) {
      if (started) break;
      continue;
    }
    started = true;
    const std::string v(value.trimmed());
    if (static_cast<int>(vals.size()) < nmax) vals.push_back(v);
    else vals.back() = v;
  }
  return static_cast<int>(vals.size());
}
}  // namespace

int IRDPARAM_RV2(io::Units& u, int ctl, std::string_view key, int n1, int n2, io::Table2<double>& rv, int ld1,
                 int ld2, BadValues* bad) {
  return read_table(u, ctl, key, n1, n2, rv, ld1, ld2, bad);
}

int IRDPARAM_IV2(io::Units& u, int ctl, std::string_view key, int n1, int n2, io::Table2<int>& iv, int ld1,
                 int ld2, BadValues* bad) {
  return read_table(u, ctl, key, n1, n2, iv, ld1, ld2, bad);
}

int IRDPARAM_AVX(io::Units& u, int ctl, std::string_view key, int nmax, std::vector<std::string>& av) {
  return gather_run(u, ctl, key, nmax, av);
}

int IRDPARAM_IVX(io::Units& u, int ctl, std::string_view key, int nmax, std::span<int> iv) {
  std::vector<std::string> vals;
  const int n = gather_run(u, ctl, key, std::min<int>(nmax, static_cast<int>(iv.size())), vals);
  for (int i = 0; i < n; ++i)
    if (!empty_item(vals[static_cast<std::size_t>(i)])) ITOKEN2I(vals[static_cast<std::size_t>(i)], iv[static_cast<std::size_t>(i)]);
  return n;
}

int IRDPARAM_RVX(io::Units& u, int ctl, std::string_view key, int nmax, std::span<double> rv) {
  std::vector<std::string> vals;
  const int n = gather_run(u, ctl, key, std::min<int>(nmax, static_cast<int>(rv.size())), vals);
  for (int i = 0; i < n; ++i)
    if (!empty_item(vals[static_cast<std::size_t>(i)])) ITOKEN2R(vals[static_cast<std::size_t>(i)], rv[static_cast<std::size_t>(i)]);
  return n;
}

int count_keyword_lines(io::Units& u, int ctl, std::string_view key) {
  u.rewind(ctl);
  Line value;
  int n = 0;
  while (find_next(u, ctl, key, value)) ++n;
  return n;
}

std::vector<std::string> keyword_line_keys(io::Units& u, int ctl) {
  std::vector<std::string> keys;
  u.rewind(ctl);
  std::string line;
  Line k, value;
  if (!next_line(u, ctl, line)) return keys;  // the first record
  while (next_line(u, ctl, line)) {
    if (ITOKENIZE(line, k.span(), value.span()) && k.len_real() > 0) keys.emplace_back(k.trimmed());
  }
  return keys;
}

}  // namespace quelmar::input

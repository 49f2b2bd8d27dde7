#include "io/format.hpp"

#include <charconv>
#include <functional>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quelmar::io {

namespace {

// Numbers are formed in small stack buffers and appended to the record, so
// that long files are written without an allocation per field.
struct Buf {
  char c[400];
  int n = 0;
  void put(char ch) { c[n++] = ch; }
  void put(const char* s, int len) {
    for (int i = 0; i < len; ++i) c[n++] = s[i];
  }
  std::string_view view() const { return {c, static_cast<std::size_t>(n)}; }
};

void append_right(std::string& out, std::string_view s, int w) {
  if (static_cast<int>(s.size()) < w) out.append(static_cast<std::size_t>(w) - s.size(), ' ');
  out.append(s);
}

void append_stars(std::string& out, int w) { out.append(static_cast<std::size_t>(w > 0 ? w : 0), '*'); }

// Not-a-number and infinities, as a Fortran run-time writes them.
void append_special(std::string& out, double v, int w) {
  std::string_view s = std::isnan(v) ? "NaN" : (v < 0 ? "-Infinity" : "Infinity");
  if (static_cast<int>(s.size()) > w && std::isinf(v)) s = v < 0 ? "-Inf" : "Inf";
  if (static_cast<int>(s.size()) > w) return append_stars(out, w);
  append_right(out, s, w);
}

// Correctly rounded fixed notation with `decimals` decimals (std::to_chars).
void chars_fixed(Buf& b, double v, int decimals) {
  auto r = std::to_chars(b.c + b.n, b.c + sizeof b.c, v, std::chars_format::fixed, decimals);
  b.n = static_cast<int>(r.ptr - b.c);
}

constexpr unsigned long long kPow10[20] = {1ULL,
                                           10ULL,
                                           100ULL,
                                           1000ULL,
                                           10000ULL,
                                           100000ULL,
                                           1000000ULL,
                                           10000000ULL,
                                           100000000ULL,
                                           1000000000ULL,
                                           10000000000ULL,
                                           100000000000ULL,
                                           1000000000000ULL,
                                           10000000000000ULL,
                                           100000000000000ULL,
                                           1000000000000000ULL,
                                           10000000000000000ULL,
                                           100000000000000000ULL,
                                           1000000000000000000ULL,
                                           10000000000000000000ULL};

// The digits of |v| correctly rounded to `digits` (at most 9) significant
// digits, exact ties to an even last digit, in integer arithmetic: the double
// is m * 2^q exactly, and N = m * 2^q * 10^p with the p that puts N in
// [10^(digits-1), 10^digits) is formed as a quotient with its remainder, which
// decides the rounding. Every product and divisor fits 128 bits for magnitudes
// from 1e-10 up to below 1e10, the range of the values of the model files;
// outside it, false (the caller rounds by std::to_chars).
bool sci_exact(double v, int digits, Buf& mant, int& exp10) {
  const double a = std::fabs(v);
  if (digits < 1 || digits > 9 || !(a >= 1e-10 && a < 1e10)) return false;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &a, sizeof bits);
  const std::uint64_t m = (bits & ((1ULL << 52) - 1)) | (1ULL << 52);  // a normal double in this range
  const int q = static_cast<int>(bits >> 52) - 1075;                  // a = m * 2^q, q < -18
  __extension__ typedef unsigned __int128 u128;
  // 2^(q+52) <= a < 2^(q+53): the decimal exponent of a, or one less.
  int k = static_cast<int>(std::floor((q + 52) * 0.30102999566398120));
  for (int tries = 0; tries < 4; ++tries) {
    const int p = digits - 1 - k;
    if (p > 19 || p < -19) return false;
    u128 n = 0;
    int cmp = 0;  // the remainder against half a unit of N: -1 below, 0 a tie, 1 above
    if (p >= 0) {
      const u128 x = static_cast<u128>(m) * kPow10[p];
      const int r = -q;  // 19 to 86
      n = x >> r;
      const u128 rem = x & ((static_cast<u128>(1) << r) - 1);
      const u128 half = static_cast<u128>(1) << (r - 1);
      cmp = rem < half ? -1 : (rem == half ? 0 : 1);
    } else {
      const u128 d = static_cast<u128>(kPow10[-p]) << (-q);
      n = m / d;
      const u128 rem2 = (m % d) * 2;
      cmp = rem2 < d ? -1 : (rem2 == d ? 0 : 1);
    }
    if (n < kPow10[digits - 1]) {
      --k;
      continue;
    }
    if (n >= kPow10[digits]) {
      ++k;
      continue;
    }
    if (cmp > 0 || (cmp == 0 && (n & 1) != 0)) ++n;
    if (n == kPow10[digits]) {  // 9.99..95 and up rounds to the next power of ten
      n = kPow10[digits - 1];
      ++k;
    }
    mant.n = digits;
    std::uint64_t u = static_cast<std::uint64_t>(n);
    for (int i = digits - 1; i >= 0; --i) {
      mant.c[i] = static_cast<char>('0' + u % 10);
      u /= 10;
    }
    exp10 = k;
    return true;
  }
  return false;
}

// Scientific form with `digits` significant digits: the digits (no point, no
// sign) into `mant`, and the decimal exponent of the first digit.
void chars_sci(double v, int digits, Buf& mant, int& exp10) {
  if (sci_exact(v, digits, mant, exp10)) return;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, digits - 1);
  const char* p = buf;
  mant.n = 0;
  while (p < r.ptr && *p != 'e') {
    if (*p != '.') mant.put(*p);
    ++p;
  }
  ++p;  // 'e'
  const bool neg = *p == '-';
  ++p;
  int e = 0;
  while (p < r.ptr) e = e * 10 + (*p++ - '0');
  exp10 = neg ? -e : e;
}

// Right-justifies a number in w columns, dropping the optional zero before the
// point ("0." / "-0.") when the field is too narrow; asterisks when it still
// does not fit.
void append_fitted(std::string& out, Buf& b, int w) {
  if (b.n > w) {
    const int z = (b.c[0] == '-') ? 1 : 0;
    if (b.n > z + 1 && b.c[z] == '0' && b.c[z + 1] == '.') {
      for (int i = z; i + 1 < b.n; ++i) b.c[i] = b.c[i + 1];
      --b.n;
    }
  }
  if (b.n > w) return append_stars(out, w);
  append_right(out, b.view(), w);
}

void put_uint(Buf& b, unsigned long long v, int min_digits) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  const int len = static_cast<int>(r.ptr - buf);
  for (int i = len; i < min_digits; ++i) b.put('0');
  b.put(buf, len);
}

}  // namespace

void put_I(std::string& out, long long v, int w, int m) {
  // The digits from the right into a small buffer, then the field in one go:
  // blanks, the sign, the zeros up to m digits, the digits.
  char d[24];
  int n = 0;
  unsigned long long u = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  do {
    d[sizeof d - 1 - static_cast<std::size_t>(n++)] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  const int zeros = m > n ? m - n : 0;
  const int len = (v < 0 ? 1 : 0) + zeros + n;
  if (len > w) return append_stars(out, w);
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(w), ' ');
  char* f = out.data() + at + (w - len);
  if (v < 0) *f++ = '-';
  for (int i = 0; i < zeros; ++i) *f++ = '0';
  std::memcpy(f, d + sizeof d - static_cast<std::size_t>(n), static_cast<std::size_t>(n));
}

void put_F(std::string& out, double v, int w, int d) {
  if (!std::isfinite(v)) return append_special(out, v, w);
  Buf b;
  chars_fixed(b, v, d);
  if (d == 0) b.put('.');
  append_fitted(out, b, w);
}

void put_E(std::string& out, double v, int w, int d) {
  if (!std::isfinite(v)) return append_special(out, v, w);
  Buf mant;
  int e = 0;
  if (v == 0) {
    for (int i = 0; i < d; ++i) mant.put('0');
  } else {
    chars_sci(v, d, mant, e);
    e += 1;  // the 0.ddd form
  }
  Buf b;
  if (std::signbit(v)) b.put('-');
  b.put("0.", 2);
  b.put(mant.c, mant.n);
  const int ae = e < 0 ? -e : e;
  if (ae <= 99) {
    b.put('E');
    b.put(e < 0 ? '-' : '+');
    put_uint(b, static_cast<unsigned long long>(ae), 2);
  } else if (ae <= 999) {
    b.put(e < 0 ? '-' : '+');
    put_uint(b, static_cast<unsigned long long>(ae), 3);
  } else {
    return append_stars(out, w);
  }
  append_fitted(out, b, w);
}

void put_G(std::string& out, double v, int w, int d) {
  if (!std::isfinite(v)) return append_special(out, v, w);
  if (v == 0) {
    put_F(out, v, w - 4, d - 1);
    out.append(4, ' ');
    return;
  }
  Buf mant;
  int x = 0;
  chars_sci(v, d, mant, x);
  if (x >= -1 && x <= d - 1) {
    const int k = x + 1;  // digits before the point
    put_F(out, v, w - 4, d - k);
    out.append(4, ' ');
    return;
  }
  put_E(out, v, w, d);
}

void put_A(std::string& out, std::string_view s, int w) {
  const std::size_t uw = static_cast<std::size_t>(w);
  if (s.size() >= uw) out.append(s.substr(0, uw));
  else append_right(out, s, w);
}

std::string fmt_I(long long v, int w, int m) {
  std::string s;
  put_I(s, v, w, m);
  return s;
}

std::string free_int(long long v) { return fmt_I(v, 12, 0); }

std::string free_real(double v) {
  std::string out;
  if (!std::isfinite(v)) {
    append_special(out, v, 24);
    return out;
  }
  // Fixed notation when the value rounded to 15 significant digits lies in
  // [0.1, 1e15); otherwise one digit, a point and 15 more digits, E, sign and a
  // three-digit exponent.
  Buf mant;
  int x = 0;
  if (v != 0) {
    chars_sci(v, 15, mant, x);
    if (x >= -1 && x <= 14) {
      Buf b;
      chars_fixed(b, v, 14 - x);
      append_right(out, b.view(), 19);
      out.append(5, ' ');
      return out;
    }
    chars_sci(v, 16, mant, x);
  } else {
    for (int i = 0; i < 16; ++i) mant.put('0');
  }
  Buf b;
  if (std::signbit(v)) b.put('-');
  b.put(mant.c[0]);
  b.put('.');
  b.put(mant.c + 1, mant.n - 1);
  b.put('E');
  b.put(x < 0 ? '-' : '+');
  put_uint(b, static_cast<unsigned long long>(x < 0 ? -x : x), 3);
  append_right(out, b.view(), 24);
  return out;
}

void free_records(std::span<const Item> items, int width, std::vector<std::string>& out) {
  const std::size_t wid = static_cast<std::size_t>(width);
  const std::size_t piece = wid - 1;  // room after the leading blank
  std::string cur = " ";
  bool after_number = false;
  for (const Item& it : items) {
    std::string text;
    std::string sep;
    if (it.kind == Item::Int) {
      text = free_int(it.i);
    } else if (it.kind == Item::Real) {
      text = free_real(it.d);
    } else {
      text.assign(it.s);
      if (after_number) sep = " ";
    }
    if (cur.size() + sep.size() + text.size() <= wid) {
      cur += sep;
      cur += text;
    } else if (it.kind == Item::Str && text.size() > piece) {
      // A long text goes on in pieces, each after a record's leading blank.
      if (cur.size() > 1) {
        out.push_back(cur);
        cur = " ";
      }
      std::size_t at = 0;
      while (text.size() - at > piece) {
        out.push_back(" " + text.substr(at, piece));
        at += piece;
      }
      cur = " " + text.substr(at);
    } else {
      out.push_back(cur);
      cur = " " + text;
    }
    after_number = it.kind != Item::Str;
  }
  out.push_back(cur);
}

std::vector<std::string> free_records(std::span<const Item> items, int width) {
  std::vector<std::string> out;
  free_records(items, width, out);
  return out;
}

// ---------------------------------------------------------------- layouts

namespace {

using Node = Layout::Node;

struct Parser {
  std::string_view s;
  std::size_t p = 0;

  [[noreturn]] void fail(const char* what) const {
    throw std::invalid_argument(std::string("layout ") + std::string(s) + ": " + what);
  }
  void skip_blanks() {
    while (p < s.size() && s[p] == ' ') ++p;
  }
  bool digit() const { return p < s.size() && s[p] >= '0' && s[p] <= '9'; }
  int number() {
    int n = 0;
    if (!digit()) fail("number expected");
    while (digit()) n = n * 10 + (s[p++] - '0');
    return n;
  }
  char up(char c) const { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

  // Parses a list up to the closing parenthesis (consumed).
  std::vector<Node> list() {
    std::vector<Node> nodes;
    while (true) {
      skip_blanks();
      if (p >= s.size()) fail("missing )");
      const char c = s[p];
      if (c == ')') {
        ++p;
        return nodes;
      }
      if (c == ',') {
        ++p;
        continue;
      }
      if (c == '/') {
        ++p;
        nodes.push_back(Node(Node::Slash));
        continue;
      }
      if (c == '$') {
        ++p;
        nodes.push_back(Node(Node::Dollar));
        continue;
      }
      if (c == '\'' || c == '"') {
        nodes.push_back(literal(c));
        continue;
      }
      int rep = 1;
      bool has_rep = false;
      if (digit()) {
        rep = number();
        has_rep = true;
      }
      skip_blanks();
      if (p >= s.size()) fail("descriptor expected");
      if (s[p] == '(') {
        ++p;
        Node g{Node::Group};
        g.repeat = rep;
        g.kids = list();
        nodes.push_back(std::move(g));
        continue;
      }
      const char d = up(s[p]);
      if (d == 'X') {
        ++p;
        Node n{Node::X};
        n.w = has_rep ? rep : 1;
        nodes.push_back(n);
        continue;
      }
      if (d == 'T' && p + 1 < s.size() && up(s[p + 1]) == 'R') {
        p += 2;
        Node n{Node::X};
        n.w = number();
        nodes.push_back(n);
        continue;
      }
      Node n{Node::Lit};
      switch (d) {
        case 'I': n.kind = Node::I; break;
        case 'F': n.kind = Node::F; break;
        case 'E': n.kind = Node::E; break;
        case 'G': n.kind = Node::G; break;
        case 'A': n.kind = Node::A; break;
        default: fail("unknown descriptor");
      }
      ++p;
      n.repeat = rep;
      if (digit()) {
        n.has_w = true;
        n.w = number();
        if (p < s.size() && s[p] == '.') {
          ++p;
          const int x = number();
          if (n.kind == Node::I) n.m = x; else n.d = x;
        }
      }
      if (!n.has_w) {
        if (n.kind == Node::I) { n.w = 12; n.has_w = true; }
        if (n.kind == Node::F || n.kind == Node::E || n.kind == Node::G) { n.w = 25; n.d = 16; n.has_w = true; }
      }
      nodes.push_back(n);
    }
  }

  Node literal(char q) {
    ++p;
    Node n{Node::Lit};
    while (true) {
      if (p >= s.size()) fail("unterminated text");
      if (s[p] == q) {
        if (p + 1 < s.size() && s[p + 1] == q) {
          n.lit.push_back(q);
          p += 2;
          continue;
        }
        ++p;
        return n;
      }
      n.lit.push_back(s[p++]);
    }
  }
};

struct Writer {
  Writer(std::span<const Item> i, std::string& c, const std::function<void(std::string_view)>& e, std::size_t b = 0)
      : items(i), cur(c), emit(e), base(b) {}
  std::span<const Item> items;
  std::string& cur;  // the record being built, from column `base` of the text on
  const std::function<void(std::string_view)>& emit;  // takes each ended record
  std::size_t base = 0;  // where the record begins in `cur`
  std::size_t k = 0;     // next item
  std::size_t pos = 0;   // column where the next character goes
  bool hold = false;
  int records = 0;            // records ended so far
  Layout::BadFields bad;      // numeric fields of asterisks or of a value that is not finite

  void pad() {
    if (base + pos > cur.size()) cur.append(base + pos - cur.size(), ' ');
  }
  void end_record() {
    ++records;
    emit(cur);
    cur.clear();
    pos = 0;
  }
  void field(const Node& n, const Item& it) {
    pad();
    const std::size_t at = cur.size();
    const bool number = n.kind != Node::A && it.kind != Item::Str;
    switch (n.kind) {
      case Node::I:
        if (it.kind != Item::Int) throw std::invalid_argument("layout: I needs an integer");
        put_I(cur, it.i, n.w, n.m);
        break;
      case Node::F:
        if (it.kind == Item::Str) throw std::invalid_argument("layout: F needs a number");
        put_F(cur, it.kind == Item::Int ? static_cast<double>(it.i) : it.d, n.w, n.d);
        break;
      case Node::E:
        if (it.kind == Item::Str) throw std::invalid_argument("layout: E needs a number");
        put_E(cur, it.kind == Item::Int ? static_cast<double>(it.i) : it.d, n.w, n.d);
        break;
      case Node::G:
        if (it.kind == Item::Int) put_I(cur, it.i, n.w, 0);
        else if (it.kind == Item::Str) put_A(cur, it.s, n.w);
        else put_G(cur, it.d, n.w, n.d);
        break;
      case Node::A:
        if (it.kind != Item::Str) throw std::invalid_argument("layout: A needs a text");
        if (n.has_w) put_A(cur, it.s, n.w);
        else cur.append(it.s);
        break;
      default:
        break;
    }
    if (number && ((it.kind == Item::Real && !std::isfinite(it.d)) ||
                   (cur.size() > at && cur.find_first_not_of('*', at) == std::string::npos))) {
      if (bad.count++ == 0) {
        bad.record = records;
        bad.item = static_cast<int>(k) - 1;
        bad.first = static_cast<int>(at - base) + 1;
        bad.last = static_cast<int>(cur.size() - base);
      }
    }
    pos = cur.size() - base;
  }
  // Runs a list of nodes; returns false when the output is complete.
  bool run(const std::vector<Node>& nodes, std::size_t from) {
    for (std::size_t idx = from; idx < nodes.size(); ++idx) {
      const Node& n = nodes[idx];
      switch (n.kind) {
        case Node::Lit:
          pad();
          cur.append(n.lit);
          pos = cur.size() - base;
          break;
        case Node::X: pos += static_cast<std::size_t>(n.w); break;
        case Node::Slash: end_record(); break;
        case Node::Dollar: hold = true; break;
        case Node::Group:
          for (int r = 0; r < n.repeat; ++r)
            if (!run(n.kids, 0)) return false;
          break;
        default:
          for (int r = 0; r < n.repeat; ++r) {
            if (k >= items.size()) return false;
            field(n, items[k++]);
          }
      }
    }
    return true;
  }
};

}  // namespace

Layout::Layout(std::string_view spec) {
  Parser ps{spec};
  ps.skip_blanks();
  if (ps.p >= spec.size() || spec[ps.p] != '(') {
    // A bare list of descriptors, as the layouts are often quoted.
    std::string wrapped = "(" + std::string(spec) + ")";
    Parser pw{wrapped};
    pw.p = 1;
    nodes_ = pw.list();
  } else {
    ++ps.p;
    nodes_ = ps.list();
  }
  revert_ = 0;
  for (std::size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i].kind == Node::Group) revert_ = static_cast<int>(i);
}

void Layout::append(std::span<const Item> items, std::string& out, BadFields* bad) const {
  static const std::function<void(std::string_view)> refuse = [](std::string_view) {
    throw std::invalid_argument("layout: more than one record where one was asked for");
  };
  Writer w{items, out, refuse, out.size()};
  if (w.run(nodes_, 0) && w.k < items.size())
    throw std::invalid_argument("layout: more than one record where one was asked for");
  if (w.hold) throw std::invalid_argument("layout: a record held open where a whole one was asked for");
  if (bad) *bad = w.bad;
}

bool Layout::write(std::span<const Item> items, std::string& buf, const std::function<void(std::string_view)>& emit,
                   BadFields* bad) const {
  buf.clear();
  Writer w{items, buf, emit};
  std::size_t from = 0;
  while (true) {
    const std::size_t before = w.k;
    if (!w.run(nodes_, from)) break;
    if (w.k >= items.size()) break;
    if (w.k == before) throw std::invalid_argument("layout has no data descriptor for the remaining items");
    // Items remain: the record ends and the layout starts again at its last top-level group.
    w.end_record();
    from = static_cast<std::size_t>(revert_);
  }
  if (bad) *bad = w.bad;
  return w.hold;
}

void Layout::apply(std::span<const Item> items, std::vector<std::string>& out, bool& hold) const {
  std::string buf;
  const std::function<void(std::string_view)> emit = [&](std::string_view r) { out.emplace_back(r); };
  hold = write(items, buf, emit);
  out.push_back(buf);
}

std::string Layout::text(std::span<const Item> items) const {
  std::vector<std::string> recs;
  bool hold = false;
  apply(items, recs, hold);
  std::string s;
  for (std::size_t i = 0; i < recs.size(); ++i) {
    if (i) s.push_back('\n');
    s += recs[i];
  }
  return s;
}

}  // namespace quelmar::io

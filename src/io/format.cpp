#include "io/format.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace quelmar::io {

namespace {

// Correctly rounded decimal digits of a double, from std::to_chars.
std::string chars_fixed(double v, int decimals) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  return std::string(buf, r.ptr);
}

// Scientific form with `digits` significant digits: returns the digits (no point,
// no sign) and the decimal exponent of the first digit.
void chars_sci(double v, int digits, std::string& mant, int& exp10) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, digits - 1);
  std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
  const std::size_t e = s.find('e');
  mant.clear();
  for (char ch : s.substr(0, e))
    if (ch != '.') mant.push_back(ch);
  exp10 = std::atoi(std::string(s.substr(e + 1)).c_str());
}

std::string right(std::string_view s, std::size_t w) {
  if (s.size() >= w) return std::string(s);
  std::string out(w - s.size(), ' ');
  out.append(s);
  return out;
}

std::string stars(int w) { return std::string(static_cast<std::size_t>(w > 0 ? w : 0), '*'); }

// Not-a-number and infinities, as a Fortran run-time writes them.
std::string special(double v, int w) {
  std::string s = std::isnan(v) ? "NaN" : (v < 0 ? "-Infinity" : "Infinity");
  if (static_cast<int>(s.size()) > w && std::isinf(v)) s = v < 0 ? "-Inf" : "Inf";
  if (static_cast<int>(s.size()) > w) return stars(w);
  return right(s, static_cast<std::size_t>(w));
}

// Drops the optional zero before the point ("0." / "-0.") when the field is too narrow.
std::string fit_optional_zero(std::string s, int w) {
  if (static_cast<int>(s.size()) <= w) return right(s, static_cast<std::size_t>(w));
  const std::size_t z = (s[0] == '-') ? 1 : 0;
  if (s.size() > z + 1 && s[z] == '0' && s[z + 1] == '.') s.erase(z, 1);
  if (static_cast<int>(s.size()) <= w) return right(s, static_cast<std::size_t>(w));
  return stars(w);
}

}  // namespace

std::string fmt_I(long long v, int w, int m) {
  char buf[32];
  const unsigned long long mag = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  auto r = std::to_chars(buf, buf + sizeof buf, mag);
  std::string digits(buf, r.ptr);
  if (static_cast<int>(digits.size()) < m) digits.insert(0, static_cast<std::size_t>(m) - digits.size(), '0');
  if (v < 0) digits.insert(0, 1, '-');
  if (static_cast<int>(digits.size()) > w) return stars(w);
  return right(digits, static_cast<std::size_t>(w));
}

std::string fmt_F(double v, int w, int d) {
  if (!std::isfinite(v)) return special(v, w);
  std::string s = chars_fixed(v, d);
  if (d == 0) s.push_back('.');
  return fit_optional_zero(std::move(s), w);
}

std::string fmt_E(double v, int w, int d) {
  if (!std::isfinite(v)) return special(v, w);
  std::string mant;
  int e = 0;
  if (v == 0) {
    mant.assign(static_cast<std::size_t>(d), '0');
  } else {
    chars_sci(v, d, mant, e);
    e += 1;  // 0.ddd form
  }
  std::string s = std::signbit(v) ? "-0." : "0.";
  s += mant;
  const int ae = std::abs(e);
  if (ae <= 99) {
    s += e < 0 ? "E-" : "E+";
    s += fmt_I(ae, 2, 2);
  } else if (ae <= 999) {
    s += e < 0 ? "-" : "+";
    s += fmt_I(ae, 3, 3);
  } else {
    return stars(w);
  }
  return fit_optional_zero(std::move(s), w);
}

std::string fmt_G(double v, int w, int d) {
  if (!std::isfinite(v)) return special(v, w);
  if (v == 0) return fmt_F(v, w - 4, d - 1) + "    ";
  std::string mant;
  int x = 0;
  chars_sci(v, d, mant, x);
  if (x >= -1 && x <= d - 1) {
    const int k = x + 1;  // digits before the point
    return fmt_F(v, w - 4, d - k) + "    ";
  }
  return fmt_E(v, w, d);
}

std::string fmt_A(std::string_view s, int w) {
  const std::size_t uw = static_cast<std::size_t>(w);
  if (s.size() >= uw) return std::string(s.substr(0, uw));
  return right(s, uw);
}

std::string free_int(long long v) { return fmt_I(v, 12, 0); }

std::string free_real(double v) {
  if (!std::isfinite(v)) return special(v, 24);
  // Fixed notation when the value rounded to 15 significant digits lies in
  // [0.1, 1e15); otherwise one digit, a point and 15 more digits, E, sign and a
  // three-digit exponent.
  std::string mant;
  int x = 0;
  if (v != 0) {
    chars_sci(v, 15, mant, x);
    if (x >= -1 && x <= 14) return right(chars_fixed(v, 14 - x), 19) + "     ";
    chars_sci(v, 16, mant, x);
  } else {
    mant.assign(16, '0');
  }
  std::string s = std::signbit(v) ? "-" : "";
  s += mant[0];
  s += '.';
  s.append(mant, 1, std::string::npos);
  s += x < 0 ? "E-" : "E+";
  s += fmt_I(std::abs(x), 3, 3);
  return right(s, 24);
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
  std::span<const Item> items;
  std::vector<std::string>& out;
  std::size_t k = 0;  // next item
  std::string cur;
  std::size_t pos = 0;  // column where the next character goes
  bool hold = false;
  bool done = false;

  void put(std::string_view t) {
    if (pos > cur.size()) cur.append(pos - cur.size(), ' ');
    cur.append(t);
    pos = cur.size();
  }
  void end_record() {
    out.push_back(cur);
    cur.clear();
    pos = 0;
  }
  std::string field(const Node& n, const Item& it) {
    switch (n.kind) {
      case Node::I:
        if (it.kind != Item::Int) throw std::invalid_argument("layout: I needs an integer");
        return fmt_I(it.i, n.w, n.m);
      case Node::F:
        if (it.kind == Item::Str) throw std::invalid_argument("layout: F needs a number");
        return fmt_F(it.kind == Item::Int ? static_cast<double>(it.i) : it.d, n.w, n.d);
      case Node::E:
        if (it.kind == Item::Str) throw std::invalid_argument("layout: E needs a number");
        return fmt_E(it.kind == Item::Int ? static_cast<double>(it.i) : it.d, n.w, n.d);
      case Node::G:
        if (it.kind == Item::Int) return fmt_I(it.i, n.w, 0);
        if (it.kind == Item::Str) return fmt_A(it.s, n.w);
        return fmt_G(it.d, n.w, n.d);
      case Node::A:
        if (it.kind != Item::Str) throw std::invalid_argument("layout: A needs a text");
        return n.has_w ? fmt_A(it.s, n.w) : std::string(it.s);
      default:
        return {};
    }
  }
  // Runs a list of nodes; returns false when the output is complete.
  bool run(const std::vector<Node>& nodes, std::size_t from) {
    for (std::size_t idx = from; idx < nodes.size(); ++idx) {
      const Node& n = nodes[idx];
      switch (n.kind) {
        case Node::Lit: put(n.lit); break;
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
            put(field(n, items[k++]));
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

void Layout::apply(std::span<const Item> items, std::vector<std::string>& out, bool& hold) const {
  Writer w{items, out, 0, {}, 0, false, false};
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
  hold = w.hold;
  out.push_back(w.cur);
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

#include "io/read.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace quelmar::io {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_sep(char c) { return is_blank(c) || c == ',' || c == '/'; }

// Integer: optional sign and digits, nothing else.
bool parse_int(std::string_view t, int& out) {
  if (t.empty()) return false;
  std::size_t p = 0;
  bool neg = false;
  if (t[0] == '+' || t[0] == '-') {
    neg = t[0] == '-';
    p = 1;
  }
  if (p >= t.size()) return false;
  long long v = 0;
  for (; p < t.size(); ++p) {
    if (t[p] < '0' || t[p] > '9') return false;
    v = v * 10 + (t[p] - '0');
    if (v > 2147483648LL) return false;
  }
  if (neg) v = -v;
  if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
  out = static_cast<int>(v);
  return true;
}

// Real: optional sign, digits with an optional point, an optional exponent with
// E or D (the letter may be left out before a signed exponent, as in 1.5+3).
// Not-a-number and infinities are not accepted.
bool parse_real(std::string_view t, double& out) {
  // One scan: the sign, the mantissa and the exponent. A text in the form that
  // from_chars reads (no plus sign in front, an exponent, if any, after E) is
  // converted as it stands; any other form is first rewritten to it.
  std::size_t p = 0;
  const bool negative = p < t.size() && t[p] == '-';
  const bool plus = p < t.size() && t[p] == '+';
  if (negative || plus) ++p;
  const std::size_t mantissa = p;
  int digits = 0;
  bool point = false;
  for (; p < t.size(); ++p) {
    const char c = t[p];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  const std::size_t mantissa_end = p;
  bool letter_e = true;  // no exponent, or one after E
  bool exponent_negative = false;
  std::size_t exponent_digits = p;
  if (p < t.size()) {
    const char c = t[p];
    if (c == 'e' || c == 'E') {
      ++p;
    } else if (c == 'd' || c == 'D' || c == 'q' || c == 'Q') {
      letter_e = false;
      ++p;
    } else if (c == '+' || c == '-') {
      letter_e = false;
    } else {
      return false;
    }
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) {
      exponent_negative = t[p] == '-';
      ++p;
    }
    exponent_digits = p;
    for (; p < t.size(); ++p)
      if (t[p] < '0' || t[p] > '9') return false;
    if (p == exponent_digits) return false;
  }

  // A mantissa of at most 15 digits scaled by at most 22 powers of ten either
  // way is converted by one multiplication or division of two exact doubles,
  // which rounds correctly, as from_chars does: the meteorological files hold
  // such numbers by the hundred thousand.
  if (digits <= 15 && t.size() - exponent_digits <= 4) {
    static constexpr double kTens[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t m = 0;
    int decimals = 0;
    bool after_point = false;
    for (std::size_t i = mantissa; i < mantissa_end; ++i) {
      if (t[i] == '.') {
        after_point = true;
        continue;
      }
      m = m * 10 + static_cast<std::uint64_t>(t[i] - '0');
      if (after_point) ++decimals;
    }
    int e = 0;
    for (std::size_t i = exponent_digits; i < t.size(); ++i) e = e * 10 + (t[i] - '0');
    const int k = (exponent_negative ? -e : e) - decimals;
    if (k >= -22 && k <= 22) {
      double v = static_cast<double>(m);
      if (k > 0) v = v * kTens[k];
      if (k < 0) v = v / kTens[-k];
      out = negative ? -v : v;
      return true;
    }
  }

  std::string rewritten;
  std::string_view text = t;
  if (plus || !letter_e) {
    if (negative) rewritten.push_back('-');
    rewritten.append(t.substr(mantissa, mantissa_end - mantissa));
    if (exponent_digits < t.size()) {
      rewritten.push_back('e');
      if (exponent_negative) rewritten.push_back('-');
      rewritten.append(t.substr(exponent_digits));
    }
    text = rewritten;
  }
  double v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

// Walks the characters of the records, an end of record counting as a blank.
struct Scanner {
  const std::function<bool(std::string&)>& next;
  std::string& rec;
  std::size_t p = 0;
  bool have = false;
  bool eof = false;
  int used = 0;

  bool load() {
    if (eof) return false;
    if (!next(rec)) {
      eof = true;
      have = false;
      return false;
    }
    ++used;
    p = 0;
    have = true;
    return true;
  }
  // Skips blanks and ends of records; false at the end of the data.
  bool skip_blanks() {
    while (true) {
      if (!have && !load()) return false;
      while (p < rec.size() && is_blank(rec[p])) ++p;
      if (p < rec.size()) return true;
      have = false;
    }
  }
  // After a value: blanks within the record, then one comma if there is one.
  // The next record is never looked at here, so that a read takes no record
  // beyond the one that holds its last value.
  void after_value() {
    while (p < rec.size() && is_blank(rec[p])) ++p;
    if (p < rec.size() && rec[p] == ',') ++p;
  }
};

enum class Tok { Value, Null, Slash, End };

}  // namespace

ReadStatus read_free(const std::function<bool(std::string&)>& next_record, std::span<const Target> targets,
                     int* records_used) {
  std::string record;
  return read_free(next_record, targets, records_used, record);
}

ReadStatus read_free(const std::function<bool(std::string&)>& next_record, std::span<const Target> targets,
                     int* records_used, std::string& record) {
  Scanner sc{next_record, record, 0, false, false, 0};
  ReadStatus status = ReadStatus::Ok;
  std::size_t k = 0;
  int repeat_left = 0;
  bool repeat_null = false;
  std::string repeat_value;
  bool repeat_quoted = false;

  std::string quoted_text;
  while (k < targets.size()) {
    // The value: a view of the current record (valid until the next record is
    // taken, which happens only after the value is stored), of the repeated
    // value or of a quoted text.
    std::string_view value;
    bool quoted = false;
    Tok tok;
    if (repeat_left > 0) {
      --repeat_left;
      tok = repeat_null ? Tok::Null : Tok::Value;
      value = repeat_value;
      quoted = repeat_quoted;
    } else {
      if (!sc.skip_blanks()) {
        status = ReadStatus::End;
        break;
      }
      const char c = sc.rec[sc.p];
      if (c == ',') {
        ++sc.p;
        tok = Tok::Null;
      } else if (c == '/') {
        tok = Tok::Slash;
      } else if (c == '\'' || c == '"') {
        // A quoted text, a doubled quote standing for the quote itself.
        const char q = c;
        ++sc.p;
        quoted_text.clear();
        bool closed = false;
        while (!closed) {
          if (sc.p >= sc.rec.size()) {
            // A quoted text may go on in the next record.
            if (!sc.load()) break;
            continue;
          }
          if (sc.rec[sc.p] == q) {
            if (sc.p + 1 < sc.rec.size() && sc.rec[sc.p + 1] == q) {
              quoted_text.push_back(q);
              sc.p += 2;
            } else {
              ++sc.p;
              closed = true;
            }
          } else {
            quoted_text.push_back(sc.rec[sc.p++]);
          }
        }
        if (!closed) {
          status = ReadStatus::Error;
          break;
        }
        value = quoted_text;
        quoted = true;
        tok = Tok::Value;
        sc.after_value();
      } else {
        const std::size_t b = sc.p;
        std::size_t star = std::string_view::npos;  // the first '*' of the value
        for (; sc.p < sc.rec.size() && !is_sep(sc.rec[sc.p]); ++sc.p)
          if (sc.rec[sc.p] == '*' && star == std::string_view::npos) star = sc.p - b;
        value = std::string_view(sc.rec).substr(b, sc.p - b);
        tok = Tok::Value;
        // r*v or r*: a repeat count.
        if (star != std::string_view::npos && star > 0 &&
            std::all_of(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(star),
                        [](char ch) { return ch >= '0' && ch <= '9'; })) {
          int r = 0;
          if (!parse_int(value.substr(0, star), r) || r < 1) {
            status = ReadStatus::Error;
            break;
          }
          repeat_value = std::string(value.substr(star + 1));
          repeat_quoted = false;
          repeat_null = repeat_value.empty();
          repeat_left = r - 1;
          value = repeat_value;
          tok = repeat_null ? Tok::Null : Tok::Value;
        }
        sc.after_value();
      }
    }
    if (tok == Tok::Slash) break;
    if (tok == Tok::Null) {
      ++k;
      continue;
    }
    const Target& t = targets[k];
    if (t.kind == Target::Int) {
      int v = 0;
      if (quoted || !parse_int(value, v)) {
        status = ReadStatus::Error;
        break;
      }
      *t.i = v;
    } else if (t.kind == Target::Real) {
      double v = 0;
      if (quoted || !parse_real(value, v)) {
        status = ReadStatus::Error;
        break;
      }
      *t.d = v;
    } else {
      const std::size_t n = std::min(value.size(), t.s.size());
      std::copy_n(value.begin(), n, t.s.begin());
      std::fill(t.s.begin() + static_cast<std::ptrdiff_t>(n), t.s.end(), '\0');
    }
    ++k;
  }
  if (records_used) *records_used = sc.used;
  return status;
}

ReadStatus read_free(std::string_view text, std::span<const Target> targets) {
  bool given = false;
  std::function<bool(std::string&)> one = [&](std::string& rec) {
    if (given) return false;
    given = true;
    rec.assign(text);
    return true;
  };
  return read_free(one, targets);
}

namespace {
std::string_view field(std::string_view line, int col, int width, std::string& pad) {
  pad.assign(static_cast<std::size_t>(width), ' ');
  const std::size_t b = static_cast<std::size_t>(col - 1);
  for (std::size_t i = 0; i < static_cast<std::size_t>(width); ++i)
    if (b + i < line.size()) pad[i] = line[b + i];
  return pad;
}
}  // namespace

bool read_int_field(std::string_view line, int col, int width, int& out) {
  std::string buf;
  std::string_view f = field(line, col, width, buf);
  // Right-justified; blank columns count as 0 (leading blanks so add nothing).
  std::size_t p = 0;
  while (p < f.size() && f[p] == ' ') ++p;
  if (p == f.size()) {
    out = 0;
    return true;
  }
  std::string t;
  if (f[p] == '+' || f[p] == '-') t.push_back(f[p++]);
  for (; p < f.size(); ++p) t.push_back(f[p] == ' ' ? '0' : f[p]);
  int v = 0;
  if (!parse_int(t, v)) return false;
  out = v;
  return true;
}

bool read_real_field(std::string_view line, int col, int width, int decimals, double& out) {
  std::string buf;
  std::string_view f = field(line, col, width, buf);
  std::string t;
  for (char c : f)
    if (c != ' ') t.push_back(c);
  if (t.empty()) {
    out = 0;
    return true;
  }
  double v = 0;
  if (!parse_real(t, v)) return false;
  if (t.find('.') == std::string::npos) {
    // No point written: the last `decimals` digits of the mantissa are decimals.
    std::size_t e = t.find_first_of("eEdDqQ");
    if (e == std::string::npos) {
      e = t.find_first_of("+-", 1);
    }
    std::string mant = t.substr(0, e);
    std::string rest = e == std::string::npos ? "" : t.substr(e);
    std::string sign;
    if (!mant.empty() && (mant[0] == '+' || mant[0] == '-')) {
      sign = mant.substr(0, 1);
      mant.erase(0, 1);
    }
    if (static_cast<int>(mant.size()) < decimals + 1)
      mant.insert(0, static_cast<std::size_t>(decimals + 1) - mant.size(), '0');
    mant.insert(mant.size() - static_cast<std::size_t>(decimals), ".");
    if (!parse_real(sign + mant + rest, v)) return false;
  }
  out = v;
  return true;
}

std::string text_field(std::string_view line, int col, int width) {
  std::string buf;
  return std::string(field(line, col, width, buf));
}

}  // namespace quelmar::io

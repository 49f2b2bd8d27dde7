#include "io/text.hpp"

#include <algorithm>

namespace quelmar::io {

namespace {
bool filler(char ch) { return ch == ' ' || ch == '\t' || ch == '\0'; }
}  // namespace

int LEN_REAL(std::string_view s) {
  int n = static_cast<int>(s.size());
  while (n > 0 && filler(s[static_cast<std::size_t>(n - 1)])) --n;
  return n;
}

void ZSTRCPY(std::span<char> dst, std::string_view src) {
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(LEN_REAL(src)), dst.size());
  std::copy_n(src.begin(), n, dst.begin());
  std::fill(dst.begin() + static_cast<std::ptrdiff_t>(n), dst.end(), '\0');
}

void ZSTRTRIM(std::span<char> s) {
  const std::size_t n = static_cast<std::size_t>(LEN_REAL({s.data(), s.size()}));
  std::size_t i = 0;
  while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
  // Shift s(i:n) to the start and fill the rest with NULs.
  std::copy(s.begin() + static_cast<std::ptrdiff_t>(i), s.begin() + static_cast<std::ptrdiff_t>(n), s.begin());
  std::fill(s.begin() + static_cast<std::ptrdiff_t>(n - i), s.end(), '\0');
}

int LEQ(std::string_view a, std::string_view b) {
  const int la = LEN_REAL(a);
  if (la != LEN_REAL(b)) return 0;
  return a.substr(0, static_cast<std::size_t>(la)) == b.substr(0, static_cast<std::size_t>(la)) ? 1 : 0;
}

void CONCAT(std::span<char> sout, std::string_view s1, std::string_view s2) {
  const std::size_t p = static_cast<std::size_t>(LEN_REAL(s1));
  const std::size_t q = static_cast<std::size_t>(LEN_REAL(s2));
  const std::size_t L = sout.size();
  std::fill(sout.begin(), sout.end(), ' ');
  std::copy_n(s1.begin(), std::min(p, L), sout.begin());
  if (p < L) std::copy_n(s2.begin(), std::min(q, L - p), sout.begin() + static_cast<std::ptrdiff_t>(p));
}

void MK_CASE(int /*io*/, bool icase, std::span<char> cvar, int& ierr) {
  const int k = icase ? 1 : 0;
  constexpr int lo[2] = {97, 65}, hi[2] = {122, 90}, shift[2] = {-32, 32};
  for (char& ch : cvar) {
    const int code = static_cast<unsigned char>(ch);
    if (code >= lo[k] && code <= hi[k]) ch = static_cast<char>(code + shift[k]);
  }
  ierr = 0;
}

}  // namespace quelmar::io

// Fixed-length texts as the control file stores them: N characters, filled up
// with NUL characters behind the value, and the text routines that keep that
// exact (LEN_REAL, ZSTRCPY, ZSTRTRIM, LEQ, CONCAT, MK_CASE).
#pragma once
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace quelmar::io {

// Position of the last character that is not a blank, a TAB or a NUL; 0 when none.
int LEN_REAL(std::string_view s);
// Copies min(LEN_REAL(src), size of dst) characters and fills the rest of dst with NULs.
void ZSTRCPY(std::span<char> dst, std::string_view src);
// Removes leading blanks and TABs, shifts the rest left and fills behind with NULs.
// Not used by the run; kept with the text routines (ITOKEN uses it).
void ZSTRTRIM(std::span<char> s);
// 1 when both texts are equal once trailing blanks, TABs and NULs are dropped.
int LEQ(std::string_view a, std::string_view b);
// SOUT := S1 (trimmed) followed by S2 (trimmed), cut at the length of SOUT, blank padded.
void CONCAT(std::span<char> sout, std::string_view s1, std::string_view s2);
// Upper case when icase is false, lower case when true; ierr := 0.
void MK_CASE(int io, bool icase, std::span<char> cvar, int& ierr);

template <std::size_t N>
struct Text {
  std::array<char, N> c{};  // NUL-filled at construction

  static constexpr std::size_t size() { return N; }
  char* data() { return c.data(); }
  const char* data() const { return c.data(); }
  std::span<char> span() { return {c.data(), N}; }
  // The whole field as stored, NULs included.
  std::string_view view() const { return {c.data(), N}; }
  int len_real() const { return LEN_REAL(view()); }
  // The value without its trailing blanks, TABs and NULs.
  std::string_view trimmed() const { return {c.data(), static_cast<std::size_t>(len_real())}; }
  std::string str() const { return std::string(trimmed()); }
  // Assignment as the control-file reader does it: trimmed value, NULs behind.
  Text& operator=(std::string_view s) {
    ZSTRCPY(span(), s);
    return *this;
  }
  // Assignment padded with blanks (cut when longer), as an internal write does it.
  void set_blank_padded(std::string_view s) {
    for (std::size_t i = 0; i < N; ++i) c[i] = i < s.size() ? s[i] : ' ';
  }
  // Character i, counted from 1.
  char operator()(std::size_t i) const { return c[i - 1]; }
};

}  // namespace quelmar::io

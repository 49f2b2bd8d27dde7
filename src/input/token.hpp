// The control-file tokenizer and the typed keyword readers.
//
// A control line holds its setting between two exclamation marks: ! KEY = VALUE !.
// A line without "!" is a comment. Every lookup rewinds the control file and
// takes the first line whose key is the keyword (exact, case-sensitive).
// The readers can also remember the values that are not numbers and the texts
// too long for their field, so that the input checks can refuse them instead of
// running with a zero or a name cut short.
#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/array1.hpp"
#include "io/text.hpp"
#include "io/units.hpp"
#include "run/run.hpp"

namespace quelmar::input {

inline constexpr int LINELEN = 255;   // control lines are read cut at 255 characters
inline constexpr int MAXITEMS = 32;   // places in the work list of a list reader

// Position (counted from ipos, 1 when str(ipos) is the delimiter) of the first
// `tok` in str from ipos on; 0 when there is none.
// Not used by the run; kept with the tokenizer (ITOKEN uses it).
int ITOKENPTR(std::string_view str, int ipos, char tok);
// The text from ipos up to the next `tok`, leading blanks and TABs removed, into
// out (NUL-filled); returns the position after the delimiter, or 0.
// Not used by the run; kept with the tokenizer.
int ITOKEN(std::string_view str, int ipos, char tok, std::span<char> out);
// Splits a control line into KEY and VALUE (trimmed, NUL-filled): 1 for a line
// holding "!", else 0 and both unchanged.
int ITOKENIZE(std::string_view line, std::span<char> key, std::span<char> value);
// Splits str from ipos at `tok`: each item keeps its leading blanks and loses its
// trailing blanks, TABs and NULs. Returns the number of items (delimiters + 1);
// ipos ends after the last delimiter.
int ITOKENALIST(std::string_view str, int& ipos, char tok, std::vector<std::string>& alist);
// Free-format conversion of the first value of the text: 1 when converted (or
// when the text starts with a comma or a slash, leaving the target), else 0.
int ITOKEN2I(std::string_view str, int& iv);
int ITOKEN2R(std::string_view str, double& rv);

// Keyword readers on the control file open on unit `ctl`. Results: 1 found, 0 missing.
// When `bad` is given, the numeric readers add to it a value that does not
// convert, and the text readers a value (a list item) longer than its field.
int IRDPARAM_A(io::Units& u, int ctl, std::string_view key, std::span<char> aval, run::BadValues* bad = nullptr);
int IRDPARAM_I(io::Units& u, int ctl, std::string_view key, int& iv, run::BadValues* bad = nullptr);
int IRDPARAM_R(io::Units& u, int ctl, std::string_view key, double& rv, run::BadValues* bad = nullptr);
// The items of the first line with the key (at most MAXITEMS kept); found or not.
int read_list_items(io::Units& u, int ctl, std::string_view key, std::vector<std::string>& items);
// Adds a text of `key` longer than its field of `limit` characters to `bad`
// (when given), once per keyword and list item (`item` from 1, 0 for a single value).
void note_too_long(run::BadValues* bad, std::string_view key, int item, std::string_view value, std::size_t limit);
// AV(1 .. min(n, nmax)) := the n items; the other entries unchanged. An item
// copied that is longer than an entry (its leading blanks count, since the
// entry keeps them) goes to `bad`.
template <std::size_t N>
int IRDPARAM_AV(io::Units& u, int ctl, std::string_view key, int nmax, std::span<io::Text<N>> av,
                run::BadValues* bad = nullptr) {
  std::vector<std::string> items;
  if (!read_list_items(u, ctl, key, items)) return 0;
  const int n = std::min<int>(static_cast<int>(items.size()), std::min<int>(nmax, static_cast<int>(av.size())));
  for (int i = 0; i < n; ++i) {
    const std::string& item = items[static_cast<std::size_t>(i)];
    av[static_cast<std::size_t>(i)] = item;
    note_too_long(bad, key, i + 1, item, N);
  }
  return 1;
}
// RV(i) := item i converted, for every non-empty item i from 1 to nmax.
int IRDPARAM_RV(io::Units& u, int ctl, std::string_view key, int nmax, std::span<double> rv,
                run::BadValues* bad = nullptr);
// Not used by the run; kept with the keyword readers.
int IRDPARAM_IV(io::Units& u, int ctl, std::string_view key, int nmax, std::span<int> iv,
                run::BadValues* bad = nullptr);
// Rows r = 1 .. n1 from the first n1 lines with the key, items 1 .. n2 of each.
// 1 when n1 lines were found, else 0 (the rows read so far are kept).
// Not used by the run; kept with the keyword readers.
int IRDPARAM_AV2(io::Units& u, int ctl, std::string_view key, int n1, int n2,
                 std::vector<std::vector<std::string>>& av);
// RV(r, c) := item c of row r, converted, for every non-empty item; nothing at
// all when fewer than n1 lines carry the key. The target is declared ld1 x ld2.
int IRDPARAM_RV2(io::Units& u, int ctl, std::string_view key, int n1, int n2, io::Table2<double>& rv, int ld1,
                 int ld2, run::BadValues* bad = nullptr);
// Not used by the run; kept with the keyword readers.
int IRDPARAM_IV2(io::Units& u, int ctl, std::string_view key, int n1, int n2, io::Table2<int>& iv, int ld1,
                 int ld2, run::BadValues* bad = nullptr);
// Readers of a key that stands on several lines in a row: each further line with
// the key gives the next entry; the first keyword line with another key ends the
// run; from the nmax-th value on every further value replaces entry nmax.
// Not used by the run; kept with the keyword readers.
int IRDPARAM_AVX(io::Units& u, int ctl, std::string_view key, int nmax, std::vector<std::string>& av);
// Not used by the run; kept with the keyword readers.
int IRDPARAM_IVX(io::Units& u, int ctl, std::string_view key, int nmax, std::span<int> iv);
// Not used by the run; kept with the keyword readers.
int IRDPARAM_RVX(io::Units& u, int ctl, std::string_view key, int nmax, std::span<double> rv);

// The number of lines whose key is `key`, from the first line on (as the
// lookups read them).
int count_keyword_lines(io::Units& u, int ctl, std::string_view key);

// The KEY of every keyword line with a non-empty KEY, in the order of the lines,
// from the second line on (the first record of a control file is no keyword
// line); lines are cut at 255 characters as for the lookups.
std::vector<std::string> keyword_line_keys(io::Units& u, int ctl);

}  // namespace quelmar::input

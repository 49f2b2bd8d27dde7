// Turning text into values: free-format (list-directed) reading of values that
// may span records, and fixed-column fields. Nothing here throws on bad data:
// every reader returns a status.
#pragma once
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace quelmar::io {

enum class ReadStatus { Ok, End, Error };

// A target of a free-format read.
struct Target {
  enum Kind { Int, Real, Str } kind = Int;
  int* i = nullptr;
  double* d = nullptr;
  std::span<char> s;  // a text target is NUL-filled behind the value
  static Target of(int& v) { Target t; t.kind = Int; t.i = &v; return t; }
  static Target of(double& v) { Target t; t.kind = Real; t.d = &v; return t; }
  static Target of(std::span<char> v) { Target t; t.kind = Str; t.s = v; return t; }
};

// Free-format read of the targets from records supplied by `next_record`
// (which returns false at the end of the data). Values are separated by blanks,
// TABs, commas or the end of a record; a slash ends the read; an empty item
// between commas leaves its target unchanged; r*v repeats v; what is left of
// the last record used is skipped. `records_used` counts the records taken.
ReadStatus read_free(const std::function<bool(std::string&)>& next_record, std::span<const Target> targets,
                     int* records_used = nullptr);
// The same, taking the records into `record` (a buffer the caller keeps, so
// that reading a file record by record allocates nothing per record).
ReadStatus read_free(const std::function<bool(std::string&)>& next_record, std::span<const Target> targets,
                     int* records_used, std::string& record);
// The same on a single text (the text is the only record).
ReadStatus read_free(std::string_view text, std::span<const Target> targets);

// Fixed columns, counted from 1; a line shorter than the field reads as blanks.
// Integer: right-justified, blank columns count as 0; an all-blank field is 0.
bool read_int_field(std::string_view line, int col, int width, int& out);
// Real of w columns with d implied decimals when the field holds no point;
// blanks are ignored; an exponent may follow. An all-blank field is 0.
bool read_real_field(std::string_view line, int col, int width, int decimals, double& out);
// Text of w columns (blank padded when the line is short).
std::string text_field(std::string_view line, int col, int width);

}  // namespace quelmar::io

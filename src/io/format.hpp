// Turning values into the text of records:
//  - free-format records (a leading blank; integers in 12 columns; doubles with
//    15 significant digits; texts as they are; wrapped at the unit's width);
//  - fixed layouts in the column notation (I, F, E, G, A, X, TR, /, $, quoted
//    texts, repeat counts, reversion), parsed once and applied to item lists.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::io {

// One value of a record: an integer, a double or a text.
struct Item {
  enum Kind { Int, Real, Str };
  Kind kind;
  long long i = 0;
  double d = 0;
  std::string_view s;
  Item(int v) : kind(Int), i(v) {}
  Item(long v) : kind(Int), i(v) {}
  Item(long long v) : kind(Int), i(v) {}
  Item(double v) : kind(Real), d(v) {}
  Item(std::string_view v) : kind(Str), s(v) {}
  Item(const char* v) : kind(Str), s(v) {}
  Item(const std::string& v) : kind(Str), s(v) {}
};

// The text of a double in a free-format record (24 columns).
std::string free_real(double v);
// The text of an integer in a free-format record (12 columns).
std::string free_int(long long v);
// Free-format records of the items, each beginning with one blank and at most
// `width` characters long (80 on a file, 79 on the console).
void free_records(std::span<const Item> items, int width, std::vector<std::string>& out);
std::vector<std::string> free_records(std::span<const Item> items, int width = 80);

// Single edit descriptors appended to a record (the layouts use these).
void put_I(std::string& out, long long v, int w, int m = 0);
void put_F(std::string& out, double v, int w, int d);
void put_E(std::string& out, double v, int w, int d);
void put_G(std::string& out, double v, int w, int d);
void put_A(std::string& out, std::string_view s, int w);

// An integer in an Iw or Iw.m field on its own.
std::string fmt_I(long long v, int w, int m = 0);

// A fixed layout such as "(A,4(TR1,I3),TR1,A12,3(E12.6,TR1))".
class Layout {
 public:
  explicit Layout(std::string_view spec);
  // Appends the records that the items make to `out` (which is not cleared).
  // `hold` is set when the layout ends with `$`: the last record is not ended.
  void apply(std::span<const Item> items, std::vector<std::string>& out, bool& hold) const;
  // The same without collecting the records: every record but the last goes to
  // `emit` as soon as it ends; the last one is left in `buf` (which is cleared
  // first). Returns the hold flag of the last record. When `bad` is given, it
  // receives the numeric fields that hold asterisks or a value that is not finite.
  struct BadFields {
    int count = 0;
    int record = 0;             // the first one's record, from 0 in the order written,
    int first = 0, last = 0;    // and its columns, from 1
    int item = -1;              // and the item it holds, from 0 in the order given
  };
  bool write(std::span<const Item> items, std::string& buf, const std::function<void(std::string_view)>& emit,
             BadFields* bad = nullptr) const;
  // Appends the one record that the items make to `out`, without its end of
  // record: the fast path for writers that build many records in a buffer of
  // their own. A layout that would make more than one record (a slash, items
  // left over) or hold its record open is refused (std::invalid_argument).
  // `bad`, when given, receives the numeric fields as `write` gives them, the
  // columns counted from the record's start.
  void append(std::span<const Item> items, std::string& out, BadFields* bad = nullptr) const;
  void append(std::initializer_list<Item> items, std::string& out, BadFields* bad = nullptr) const {
    append(std::span<const Item>(items.begin(), items.size()), out, bad);
  }
  // The records as one text, records joined by '\n' (for internal writes and tests).
  std::string text(std::span<const Item> items) const;
  std::string text(std::initializer_list<Item> items) const { return text(std::span<const Item>(items.begin(), items.size())); }

  struct Node;  // parsed descriptor or group

 private:
  std::vector<Node> nodes_;
  int revert_ = 0;  // index of the last top-level group, where reversion restarts
};

struct Layout::Node {
  enum Kind { Lit, I, F, E, G, A, X, Slash, Dollar, Group } kind;
  explicit Node(Kind k) : kind(k) {}
  int repeat = 1;
  int w = 0, d = 0, m = 0;
  bool has_w = false;
  std::string lit;
  std::vector<Node> kids;
};

}  // namespace quelmar::io

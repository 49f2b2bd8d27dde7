// Fixed-size arrays addressed from 1, so that formulas read as the flare model
// writes them (PROP(j,i), PSEQ(r,c), XPTS(k)).
#pragma once
#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace quelmar::io {

template <class T, std::size_t N>
struct Array1 {
  std::array<T, N> v{};
  static constexpr int size() { return static_cast<int>(N); }
  T& operator()(int i) { return v.at(static_cast<std::size_t>(i - 1)); }
  const T& operator()(int i) const { return v.at(static_cast<std::size_t>(i - 1)); }
  void fill(const T& x) { v.fill(x); }
  bool operator==(const Array1&) const = default;
};

// A heap-held table of R rows and C columns of T, addressed (row, column) from 1.
// Its capacity is fixed at construction and never grows.
//
// Every access that may change the table counts as a change (revision()), so
// that what was formed from it, or left in it, can be known to be still there:
// read through a const table where only reading is meant.
template <class T>
class Table2 {
 public:
  Table2(int rows, int cols) : rows_(rows), cols_(cols), v_(static_cast<std::size_t>(rows) * cols) {}
  Table2(const Table2&) = default;
  // An assigned table is a changed table, whatever the other one's count.
  Table2& operator=(const Table2& o) {
    rows_ = o.rows_;
    cols_ = o.cols_;
    v_ = o.v_;
    ++revision_;
    return *this;
  }
  int rows() const { return rows_; }
  int cols() const { return cols_; }
  T& operator()(int r, int c) {
    ++revision_;
    return v_[index(r, c)];
  }
  const T& operator()(int r, int c) const { return v_[index(r, c)]; }
  void fill(const T& x) {
    ++revision_;
    std::fill(v_.begin(), v_.end(), x);
  }
  // Row r as contiguous memory (columns 1..cols at [0..cols-1]); the rows that
  // follow it come after it in order.
  const T* row(int r) const { return &v_[index(r, 1)]; }
  // The same memory for writing rows r, r+1, ...; counts as a change.
  T* rows_to_write(int r) {
    ++revision_;
    return &v_[index(r, 1)];
  }
  // A number that differs after any access that may have changed the table.
  unsigned long long revision() const { return revision_; }

 private:
  std::size_t index(int r, int c) const {
    if (r < 1 || r > rows_ || c < 1 || c > cols_) throw std::out_of_range("Table2 index");
    return static_cast<std::size_t>(r - 1) * cols_ + (c - 1);
  }
  int rows_, cols_;
  std::vector<T> v_;
  unsigned long long revision_ = 0;
};

// A heap-held array of fixed capacity N addressed from 1. A default one holds
// nothing until its owner sizes it.
template <class T>
class Vec1 {
 public:
  Vec1() = default;
  explicit Vec1(int n) : v_(static_cast<std::size_t>(n)) {}
  int size() const { return static_cast<int>(v_.size()); }
  // Sizes the array to n entries: those kept keep their values, new ones are 0.
  void resize(int n) { v_.resize(static_cast<std::size_t>(n)); }
  T& operator()(int i) { return v_.at(static_cast<std::size_t>(i - 1)); }
  const T& operator()(int i) const { return v_.at(static_cast<std::size_t>(i - 1)); }
  T* data() { return v_.data(); }
  const T* data() const { return v_.data(); }

 private:
  std::vector<T> v_;
};

}  // namespace quelmar::io

// An immediate stop of the run: raised anywhere, caught once at the process entry,
// which writes the stop text (if any) to standard error, closes every unit and
// exits with status 1.
#pragma once
#include <exception>
#include <string>

namespace quelmar::io {

struct Stop : std::exception {
  std::string text;  // the stop text; empty means "no stop text"
  explicit Stop(std::string t = {}) : text(std::move(t)) {}
  const char* what() const noexcept override { return text.c_str(); }
};

}  // namespace quelmar::io

#include "driver/file_names.hpp"

#include "io/format.hpp"

namespace quelmar::driver {

std::string name_number(int n) {
  int w = 1;
  for (int x = n; x >= 10; x /= 10) ++w;
  if (w < 2) w = 2;
  const io::Layout layout("(I" + std::to_string(w) + "." + std::to_string(w) + ")");
  return layout.text({n});
}

run::Text255 join_outpath(const run::Run& run, std::string_view part) {
  run::Text255 padded, name;
  padded.set_blank_padded(part);
  io::CONCAT(name.span(), run.inp.OUTPATH.view(), padded.view());
  return name;
}

}  // namespace quelmar::driver

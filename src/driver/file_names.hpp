// The names of the model files: a folder joined to a name part, and the file
// or row number as the names hold it.
#pragma once
#include <string>
#include <string_view>

#include "run/run.hpp"

namespace quelmar::driver {

// A file or row number in a name: two digits with a leading zero, or as many
// as it has from 100 on.
std::string name_number(int n);

// OUTPATH without its trailing filler directly followed by `part` (no
// separator is put between them), cut at 255 characters and blank padded.
run::Text255 join_outpath(const run::Run& run, std::string_view part);

}  // namespace quelmar::driver

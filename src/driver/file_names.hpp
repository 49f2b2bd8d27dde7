// The names of the model files: a folder joined to a name part, the file or
// row number as the names hold it, the names of the CALPUFF and the AERMOD
// files, and the files of a folder that bear those names without being the
// run's own.
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

// The flare file `k` of a CALPUFF run: OUTPATH, a backslash, OUTNAME, "_", the
// file number and ".DAT", in the case of the control file (the loop turns it
// to the run's case after logging it).
run::Text255 flare_file_name(const run::Run& run, int k);

// The AERMOD file of row `k`: OUTPATH directly followed by OUTNAME, "_MOD_",
// the row number and `suffix` (".INX" the control file, ".DAT" the hourly
// emission file), turned to the case of the run.
run::Text255 aermod_file_name(const run::Run& run, int lst, int k, const char* suffix);

// After a complete run: "WARNING: NAME is not a file of this run" in `lst` for
// every file of the folder of the run's model files that bears one of their
// names (any file number) and that the run did not write (an earlier run's,
// most often); by number, the control file before the hourly emission file.
// Such files are left as they are.
void warn_foreign_files(run::Run& run, int lst);

}  // namespace quelmar::driver

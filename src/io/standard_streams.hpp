// The three standard descriptors of the process. A program started with one of
// them closed (`quelmar <&- >&-`, as some schedulers and services start jobs)
// would give its number to the first file it opens, and the console's records
// or its messages would then be written into that file. So they are opened on
// /dev/null before anything else, and every file is the one a normal run writes.
#pragma once

namespace quelmar::io {

// Opens each of descriptors 0 (for reading), 1 and 2 (for writing) that is not
// open on /dev/null. False when /dev/null cannot be opened.
bool open_missing_standard_streams();

}  // namespace quelmar::io

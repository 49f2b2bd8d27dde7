// The temporary files of the process and the signals that end it.
//
// A model file is written under a temporary name and takes its own name only
// when it is whole. A run that is interrupted (Ctrl-C, a scheduler's SIGTERM, a
// closed terminal) must not leave those temporaries behind, yet a signal
// handler may do next to nothing: it cannot reach the run state, allocate or
// write through a stream. So the names of the temporaries that exist at any
// moment are kept here, prepared in advance as plain NUL-ended texts in slots
// of fixed size, and the handler only unlinks them and ends the process with
// the signal's own status.
//
// This is the one piece of process-wide mutable state of the program, and it
// exists only because a signal handler cannot be handed anything else: a slot
// is taken when a temporary file is created and given back when the file takes
// its name or is removed, so a run that ends leaves every slot free for the next.
#pragma once
#include <string_view>

namespace quelmar::io {

// At most this many temporary files exist at once (a run needs two: the AERMOD
// control file and its hourly emission file).
inline constexpr int MAX_TEMPORARIES = 16;
// The longest name a slot holds.
inline constexpr int MAX_TEMPORARY_NAME = 4096;

// Takes a slot for the temporary file `path` (before the file is created) and
// returns its number, or -1 when every slot is taken or the name is too long.
int register_temporary(std::string_view path);
// Gives the slot back (after the file was renamed or removed). -1 is ignored.
void release_temporary(int slot);
// The number of slots taken (for tests).
int temporaries_in_use();

// Installs the handlers of the process: on SIGINT, SIGTERM, SIGHUP and SIGPIPE
// the temporary files are unlinked, a line on standard error says which signal
// stopped the run, and the signal is raised again with its default action, so
// that the process ends with the signal's usual status. SIGXFSZ is ignored: a
// file-size limit then makes the write fail, which the run reports as it
// reports a full disk, instead of killing the process without a word.
void install_signal_handlers();

}  // namespace quelmar::io

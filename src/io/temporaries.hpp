// The temporary files of the process and the signals that end it.
//
// A run's model files are written under temporary names and take their own
// names together at the run's normal end. A run that is interrupted (Ctrl-C, a
// scheduler's SIGTERM, a closed terminal) must not leave those temporaries
// behind, yet a signal handler may do next to nothing: it cannot reach the run
// state, allocate or write through a stream. So the names of the temporaries
// that exist at any moment are kept here, prepared in advance as plain
// NUL-ended texts in slots of fixed size, and the handler only unlinks them,
// writes its line to standard error and to the list file, and ends the process
// with the signal's own status.
//
// This is the one piece of process-wide mutable state of the program, and it
// exists only because a signal handler cannot be handed anything else: a slot
// is taken when a temporary file is created and given back when the file takes
// its name or is removed, so a run that ends leaves every slot free for the next.
#pragma once
#include <signal.h>

#include <string_view>

namespace quelmar::io {

// At most this many temporary files exist at once: every model file of a run
// waits under its temporary name until the run's end, and an AERMOD run of
// 10000 step-table rows writes two files a row (a CALPUFF run at most 120).
inline constexpr int MAX_TEMPORARIES = 20000;
// The longest name a slot holds, with its NUL: a file name of 255 characters
// (the longest a control file gives) with ".part" added.
inline constexpr int MAX_TEMPORARY_NAME = 264;

// Takes a slot for the temporary file `path` (before the file is created) and
// returns its number, or -1 when every slot is taken or the name is too long.
int register_temporary(std::string_view path);
// Gives the slot back (after the file was renamed or removed). -1 is ignored.
void release_temporary(int slot);
// The number of slots taken (for tests).
int temporaries_in_use();

// The descriptor of the list file, into which the handler writes its line too
// (-1: none, the default).
void set_stop_record_file(int fd);

// Installs the handlers of the process: on SIGINT, SIGTERM, SIGHUP and SIGPIPE
// the temporary files are unlinked, a line on standard error (and, but for
// SIGPIPE, in the list file) says which signal stopped the run, and the signal
// is raised again with its default action, so that the process ends with the
// signal's usual status. SIGXFSZ is ignored: a file-size limit then makes the
// write fail, which the run reports as it reports a full disk, instead of
// killing the process without a word.
void install_signal_handlers();

// While one lives, SIGINT, SIGTERM and SIGHUP wait: for the moment in which a
// run's model files take their final names and the run ends. A stop then
// would leave some files of the run under their names and others of an
// earlier run beside them; the run ends instead, and a signal that came in the
// meantime is dropped when it ends (the run it asked to stop is complete).
class StopSignalsHeld {
 public:
  StopSignalsHeld();
  ~StopSignalsHeld();
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  sigset_t old_{};
};

}  // namespace quelmar::io

#include "io/temporaries.hpp"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace quelmar::io {

namespace {

// A slot holds a name while `state` is 1. The name is written while the slot
// is still free and only then is the slot marked, so that a handler running in
// between never reads half a name.
struct Slot {
  std::atomic<int> state{0};
  char name[MAX_TEMPORARY_NAME] = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler reads the slot states");

Slot g_slots[MAX_TEMPORARIES];

void remove_all_temporaries() {
  for (Slot& s : g_slots)
    if (s.state.load() == 1) ::unlink(s.name);
}

// What the handler says on standard error, prepared for each signal.
const char* stop_line(int sig) {
  switch (sig) {
    case SIGINT:
      return "***FATAL ERROR*** run stopped by SIGINT: its unfinished model files were removed\n";
    case SIGTERM:
      return "***FATAL ERROR*** run stopped by SIGTERM: its unfinished model files were removed\n";
    case SIGHUP:
      return "***FATAL ERROR*** run stopped by SIGHUP: its unfinished model files were removed\n";
    default:
      return "***FATAL ERROR*** run stopped by a signal: its unfinished model files were removed\n";
  }
}

extern "C" void on_stop_signal(int sig) {
  remove_all_temporaries();
  // A closed standard output (SIGPIPE) says nothing more; the others say why.
  if (sig != SIGPIPE) {
    const char* line = stop_line(sig);
    const ssize_t ignored = ::write(STDERR_FILENO, line, std::strlen(line));
    (void)ignored;
  }
  // The handler was installed to reset itself: the signal raised again (held
  // until the handler returns) ends the process with its default action.
  ::raise(sig);
}

}  // namespace

int register_temporary(std::string_view path) {
  if (path.size() >= static_cast<std::size_t>(MAX_TEMPORARY_NAME)) return -1;
  for (int i = 0; i < MAX_TEMPORARIES; ++i) {
    Slot& s = g_slots[i];
    if (s.state.load() != 0) continue;
    std::memcpy(s.name, path.data(), path.size());
    s.name[path.size()] = '\0';
    s.state.store(1);
    return i;
  }
  return -1;
}

void release_temporary(int slot) {
  if (slot < 0 || slot >= MAX_TEMPORARIES) return;
  g_slots[slot].state.store(0);
}

int temporaries_in_use() {
  int n = 0;
  for (const Slot& s : g_slots) n += s.state.load() == 1 ? 1 : 0;
  return n;
}

void install_signal_handlers() {
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESETHAND;
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    // Block the others while one is handled: the temporaries are removed once.
    sigaddset(&sa.sa_mask, sig);
  }
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    // A signal that the process was started to ignore (nohup, a background
    // job) stays ignored.
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(sig, &sa, nullptr);
  }
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace quelmar::io

#include "io/temporaries.hpp"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace quelmar::io {

namespace {

// A slot holds a name while its state is 1. The name is written while the
// slot is still free and only then is the slot marked, so that a handler
// running in between never reads half a name. The states lie apart from the
// names, so that the handler's walk over them touches little memory.
std::atomic<int> g_state[MAX_TEMPORARIES];
char g_names[MAX_TEMPORARIES][MAX_TEMPORARY_NAME];
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler reads the slot states");

// Where the search for a free slot begins: slots are mostly given back all at
// once, at the end of a run, so the search seldom has to look far. Only the
// run reads and writes it, never the handler.
int g_next = 0;

std::atomic<int> g_list_fd{-1};

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void remove_all_temporaries() {
  for (int i = 0; i < MAX_TEMPORARIES; ++i)
    if (g_state[i].load() == 1) ::unlink(g_names[i]);
}

// What the handler says, prepared for each signal: the stop text, and the
// list file's record of it (a free-format record of one text: a leading
// blank, CR LF).
const char* stop_text(int sig) {
  switch (sig) {
    case SIGINT:
      return "***FATAL ERROR*** run stopped by SIGINT: its model files were removed";
    case SIGTERM:
      return "***FATAL ERROR*** run stopped by SIGTERM: its model files were removed";
    case SIGHUP:
      return "***FATAL ERROR*** run stopped by SIGHUP: its model files were removed";
    default:
      return "***FATAL ERROR*** run stopped by a signal: its model files were removed";
  }
}

void write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n <= 0) return;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

extern "C" void on_stop_signal(int sig) {
  remove_all_temporaries();
  // A closed standard output (SIGPIPE) says nothing more; the others say why.
  if (sig != SIGPIPE) {
    const char* text = stop_text(sig);
    const std::size_t size = std::strlen(text);
    write_all(STDERR_FILENO, text, size);
    write_all(STDERR_FILENO, "\n", 1);
    const int lst = g_list_fd.load();
    if (lst >= 0) {
      write_all(lst, " ", 1);
      write_all(lst, text, size);
      write_all(lst, "\r\n", 2);
    }
  }
  // The handler was installed to reset itself: the signal raised again (held
  // until the handler returns) ends the process with its default action.
  ::raise(sig);
}

}  // namespace

int register_temporary(std::string_view path) {
  if (path.size() >= static_cast<std::size_t>(MAX_TEMPORARY_NAME)) return -1;
  for (int k = 0; k < MAX_TEMPORARIES; ++k) {
    const int i = (g_next + k) % MAX_TEMPORARIES;
    if (g_state[i].load() != 0) continue;
    std::memcpy(g_names[i], path.data(), path.size());
    g_names[i][path.size()] = '\0';
    g_state[i].store(1);
    g_next = (i + 1) % MAX_TEMPORARIES;
    return i;
  }
  return -1;
}

void release_temporary(int slot) {
  if (slot < 0 || slot >= MAX_TEMPORARIES) return;
  g_state[slot].store(0);
  if (slot < g_next) g_next = slot;
}

int temporaries_in_use() {
  int n = 0;
  for (const std::atomic<int>& s : g_state) n += s.load() == 1 ? 1 : 0;
  return n;
}

void set_stop_record_file(int fd) { g_list_fd.store(fd); }

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

StopSignalsHeld::StopSignalsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (int sig : kStopSignals) sigaddset(&held, sig);
  ::sigprocmask(SIG_BLOCK, &held, &old_);
}

StopSignalsHeld::~StopSignalsHeld() {
  // A stop signal that came while held (and was not held before) is taken from
  // the process before the mask goes back, so that it does not end a run that
  // is complete.
  sigset_t pending;
  sigemptyset(&pending);
  ::sigpending(&pending);
  for (int sig : kStopSignals) {
    if (sigismember(&pending, sig) != 1 || sigismember(&old_, sig) == 1) continue;
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    const timespec now{0, 0};
    ::sigtimedwait(&one, nullptr, &now);
  }
  ::sigprocmask(SIG_SETMASK, &old_, nullptr);
}

}  // namespace quelmar::io

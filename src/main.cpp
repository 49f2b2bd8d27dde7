#include <unistd.h>

#include <cstring>
#include <memory>

#include "driver/quelmar.hpp"
#include "io/standard_streams.hpp"
#include "io/temporaries.hpp"

int main(int argc, char** argv) {
  // Before any file is opened: a closed standard descriptor would be taken by it.
  if (!quelmar::io::open_missing_standard_streams()) {
    const char* text = "***FATAL ERROR*** cannot open /dev/null for a closed standard input, output or error\n";
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
    return 1;
  }
  // An interrupted run removes its model files; a file-size limit
  // makes a write fail (and be reported) instead of killing the process.
  quelmar::io::install_signal_handlers();
  auto run = std::make_unique<quelmar::run::Run>();
  return quelmar::driver::run_program(*run, argc, argv);
}

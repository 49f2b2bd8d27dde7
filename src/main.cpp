#include <memory>

#include "driver/quelmar.hpp"
#include "io/temporaries.hpp"

int main(int argc, char** argv) {
  // An interrupted run removes its unfinished model files; a file-size limit
  // makes a write fail (and be reported) instead of killing the process.
  quelmar::io::install_signal_handlers();
  auto run = std::make_unique<quelmar::run::Run>();
  return quelmar::driver::run_program(*run, argc, argv);
}

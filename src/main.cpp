#include <memory>

#include "driver/quelmar.hpp"

int main(int argc, char** argv) {
  auto run = std::make_unique<quelmar::run::Run>();
  return quelmar::driver::run_program(*run, argc, argv);
}

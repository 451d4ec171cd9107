// One in-process run of a driver. The drivers are procedural code with no destructors on
// their paths, so unwinding them with an exception skips nothing; what a run that ended
// early still holds (open files, buffers) is the reset's to release.
#include "run_driver.h"

#include <cstdlib>

#include "process.h"

namespace {

struct ProgramEnd {
  int status;  // what the run passed to end_process
};

[[noreturn]] void throw_program_end(int status) { throw ProgramEnd{status}; }

}  // namespace

int run_driver_on(int (*driver)(int, char **), void (*reset)(), int argc, char **argv) {
  int status = 0;
  end_process_hook = throw_program_end;
  try {
    driver(argc, argv);
    abort();  // a driver ends every run through end_process
  } catch (const ProgramEnd &end) {
    status = end.status;
  }
  end_process_hook = nullptr;
  reset();
  return status;
}

int run_driver(int (*driver)(int, char **), void (*reset)(), const char *name, const char *option,
               const char *input_path, const char *output_path) {
  char quiet[] = "-q";
  char *argv[6] = {const_cast<char *>(name), quiet};
  int argc = 2;
  if (option != nullptr) argv[argc++] = const_cast<char *>(option);
  argv[argc++] = const_cast<char *>(input_path);
  argv[argc++] = const_cast<char *>(output_path);
  return run_driver_on(driver, reset, argc, argv);
}

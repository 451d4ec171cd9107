// inwright as a function of the fuzz targets.
#include "driver.h"
#include "program_run.h"
#include "run_driver.h"

extern "C" int run_inwright(const char *input_path, const char *output_path) {
  return run_driver(inwright_main, inwright_reset, "inwright", nullptr, input_path, output_path);
}

extern "C" int run_inwright_readable(const char *input_path, const char *output_path) {
  return run_driver(inwright_main, inwright_reset, "inwright", "--readable", input_path, output_path);
}

extern "C" int run_inwright_command(int argc, char **argv) {
  return run_driver_on(inwright_main, inwright_reset, argc, argv);
}

// postwright as a function of the fuzz targets.
#include "driver.h"
#include "program_run.h"
#include "run_driver.h"

extern "C" int run_postwright(const char *input_path, const char *output_path) {
  return run_driver(postwright_main, postwright_reset, "postwright", nullptr, input_path, output_path);
}

extern "C" int run_postwright_command(int argc, char **argv) {
  return run_driver_on(postwright_main, postwright_reset, argc, argv);
}

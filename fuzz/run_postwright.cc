// postwright as a function of the fuzz targets.
#include "driver.h"
#include "program_run.h"
#include "run_driver.h"

extern "C" int run_postwright(const char *input_path, const char *output_path) {
  return run_driver(postwright_main, postwright_reset, "postwright", nullptr, input_path, output_path);
}

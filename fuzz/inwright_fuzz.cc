// Fuzz target: the whole inwright program, run in process on the fuzzer's bytes as its
// input file. Any exit status but that of an internal fault is an answer; the sanitizers and
// the leak check find the other faults.
#include <cstddef>
#include <cstdint>
#include <string>

#include "harness.h"
#include "program_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string input = scratch_path("postfix");
  static const std::string output = scratch_path("infix");
  write_scratch_file(input, data, size);
  checked_status("inwright", run_inwright(input.c_str(), output.c_str()));
  return 0;
}

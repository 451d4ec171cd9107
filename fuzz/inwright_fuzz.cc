// Fuzz target: the whole inwright program, run in process on the fuzzer's bytes as its
// input file, in the default form and in the readable form. Any exit status but that of an internal fault is an answer;
// the sanitizers and the leak check find the other faults.
#include <cstddef>
#include <cstdint>

#include "harness.h"
#include "program_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  run_on_bytes("inwright", run_inwright, "postfix", "infix", data, size);
  run_on_bytes("inwright --readable", run_inwright_readable, "postfix", "infix", data, size);
  return 0;
}

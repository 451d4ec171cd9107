// What the whole-program fuzz targets share: a scratch directory on a memory file system that
// holds the programs' input and output files, and the report of a broken property. Set up by
// LLVMFuzzerInitialize (harness.cc), which also sends standard output, where the programs'
// console messages go, to /dev/null. Entry points: scratch_path, write_scratch_file,
// read_scratch_file, property_failed, checked_status, run_on_bytes.
#ifndef FUZZ_HARNESS_H
#define FUZZ_HARNESS_H

#include <cstddef>
#include <cstdint>
#include <string>

// The path of the file `name` in the scratch directory.
std::string scratch_path(const char *name);

// Creates or empties the file at `path` and writes `size` bytes to it; aborts on failure.
void write_scratch_file(const std::string &path, const uint8_t *data, size_t size);

// The whole content of the file at `path`; aborts when it cannot be read.
std::string read_scratch_file(const std::string &path);

// Reports that `property` does not hold, with the texts that show it, on the standard error
// the process started with (libFuzzer may silence the one the programs write to), and aborts:
// the fuzzer takes that as a crash and keeps the input.
[[noreturn]] void property_failed(const char *property, const std::string &details);

// The exit status of a run of `program`, which must not be EXIT_INTERNAL_FAULT: on a file that
// can be read, that status means the scanner's internal error or memory running out, and the
// fuzzer's inputs are far too small for the latter.
int checked_status(const char *program, int status);

// Writes `data` to the scratch file `input_name` and converts it with `run` (run_postwright or
// run_inwright, named `program`) into the scratch file `output_name`; returns the checked status.
int run_on_bytes(const char *program, int (*run)(const char *, const char *), const char *input_name,
                 const char *output_name, const uint8_t *data, size_t size);

#endif

// The whole programs as functions of the fuzz targets: each runs the program's own driver
// in this process on two files, as "PROGRAM -q INPUT OUTPUT" would (run_inwright_readable:
// "inwright -q --readable INPUT OUTPUT"), and returns the exit status it ended with. Nothing
// of a run is left behind for the next one.
#ifndef FUZZ_PROGRAM_RUN_H
#define FUZZ_PROGRAM_RUN_H

// C linkage, so that the symbols are plain names: the round-trip target links a copy of
// inwright whose globals are all renamed but for its two entry points (copy_program.sh).
extern "C" int run_postwright(const char *input_path, const char *output_path);
extern "C" int run_inwright(const char *input_path, const char *output_path);
extern "C" int run_inwright_readable(const char *input_path, const char *output_path);

#endif

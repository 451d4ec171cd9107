// The whole programs as functions of the fuzz targets: each runs the program's own driver
// in this process on two files, as "PROGRAM -q INPUT OUTPUT" would (run_inwright_readable:
// "inwright -q --readable INPUT OUTPUT"), or on any command line (run_*_command), and returns
// the exit status it ended with. Nothing of a run is left behind for the next one.
#ifndef FUZZ_PROGRAM_RUN_H
#define FUZZ_PROGRAM_RUN_H

// C linkage, so that the symbols are plain names: the round-trip target links a copy of
// inwright whose globals are all renamed but for its entry points (copy_program.sh).
extern "C" int run_postwright(const char *input_path, const char *output_path);
extern "C" int run_inwright(const char *input_path, const char *output_path);
extern "C" int run_inwright_readable(const char *input_path, const char *output_path);

// The command line `argv`: argc words, the program's name first, then a null.
extern "C" int run_postwright_command(int argc, char **argv);
extern "C" int run_inwright_command(int argc, char **argv);

#endif

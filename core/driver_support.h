// What both command-line drivers share: the time banners, the standard options and usage
// line, the guard against writing over the input, and the check that the output reached its
// file before a run counts as a success.
#ifndef CORE_DRIVER_SUPPORT_H
#define CORE_DRIVER_SUPPORT_H

#include <cstdio>

// Prints "LABEL obliczen: H : M : S : C \n" with the local time; LABEL is "Start" or "Stop ".
void print_time_banner(const char *label);

// `usage` is the program's usage line and one-line description. "--help" alone prints it on
// standard output and "--version" alone the version, both ending the process with status 0;
// fewer than two file names print it on standard error and end it with status 1.
void handle_standard_options(int argc, char **argv, const char *program, const char *usage);

// Opens the input file for reading in text mode, or returns null. A directory counts as a
// file that cannot be opened: the C library opens it, but the first read would fail and end
// the run with the scanner's fatal read error after the output was already created.
FILE *open_input(const char *path);

// Whether `output_path` names the regular file open as `input`. Opening the output empties
// it, which would destroy the input before a byte of it is read; a device such as /dev/null
// loses nothing and may serve as both.
bool is_same_file(FILE *input, const char *output_path);

// Writes `message` to standard error and ends the process with status 1: the drivers' file
// failures.
[[noreturn]] void fail(const char *message);

#endif

// What both command-line drivers share: the standard descriptors, the command line (options,
// "-" for the standard streams, usage errors), the time banners, opening the two files, the
// guard against writing over the input, and the check of standard output at the end.
// Entry points in the order a driver calls them: open_standard_descriptors,
// parse_command_line, print_time_banner, open_input, is_same_file, open_output,
// check_standard_output; fail for the file failures.
#ifndef CORE_DRIVER_SUPPORT_H
#define CORE_DRIVER_SUPPORT_H

#include <cstddef>
#include <cstdio>

// As a file name, "-" is standard input (first name) or standard output (second name).
constexpr char STANDARD_STREAM_NAME[] = "-";

constexpr char NO_SHORT_NAME = '\0';  // CommandOption::short_name of an option with no short form

// An option. Both programs take --quiet, --check, --error-format, --help and --version; a
// program lists the options that only it takes in its ProgramTexts, and the other program
// refuses them as unknown.
struct CommandOption {
  const char *long_name;   // "quiet": --quiet, or any prefix of it that starts no other option
  char short_name;         // 'q': -q, also run together with others ("-qr"); or NO_SHORT_NAME
  const char *help;        // what --help says of the option, on the line after its names
  bool *flag;              // set when the option is given; null for the others, which act at once
  const char *value_name;  // "FORMAT": it takes a value, as --name=VALUE or --name VALUE; null: none
};

// One program's fixed texts and own options for the shared command-line handling.
struct ProgramTexts {
  const char *name;                     // the program's name in messages and in --version: "postwright"
  const char *usage;                    // the usage line and the one-line description
  const char *standard_output_failure;  // what fail prints when standard output lost something
  const CommandOption *options;         // the options only this program takes, in --help's order
  size_t option_count;                  // entries of `options`, 0 when there are none
};

// What the command line asks for, set by parse_command_line.
struct CommandLine {
  const char *input_path;   // the first file name; "-" is standard input
  const char *output_path;  // the second file name; "-" is standard output
  bool quiet;               // -q, --quiet: no start and stop banners
  bool check;               // --check: every file named is checked, none is converted
  int argc;                 // the arguments, to walk the files a check names (next_file_operand)
  char **argv;
};
extern CommandLine command_line;  // all null and false until parse_command_line

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. Run first: otherwise
// the output file would be opened as a missing standard descriptor, and everything meant for
// that stream (banners, messages) would land in the converted text.
void open_standard_descriptors(const char *program);

// Reads the options and the two file names into command_line and the program's own flags.
// Options may come anywhere among the arguments; "--" ends them. --help and --version print
// to standard output and end the process with status 0; an unknown option, a missing file
// name or a third one prints one line with the reason and a hint on standard error and ends
// it with status 1, before any file is opened: a mistyped glob must not make a source file
// the output. With --check any number of files, at least one, may follow. With "-" as the
// output, message_stream becomes standard error, so that standard output carries nothing but
// the converted text; with --error-format=json the banners are then left out.
void parse_command_line(int argc, char **argv, const ProgramTexts *program);

// Where the scanner's echo of a byte that no rule takes goes: where the messages go, or
// nowhere when those are on standard error in the json format, which holds JSON only.
FILE *echo_stream();

// The index in command_line.argv of the first file operand after `index`, or argc when none
// is left: a check's files, from next_file_operand(0) on.
int next_file_operand(int index);

// Prints "LABEL obliczen: H : M : S : C \n" with the local time on message_stream, unless
// the banners are turned off; LABEL is "Start" or "Stop ".
void print_time_banner(const char *label);

// Opens the input file for reading in text mode, or returns null. A directory counts as a
// file that cannot be opened: the C library opens it, but the first read would fail and end
// the run with the scanner's fatal read error after the output was already created. "-" is
// a stream of its own on standard input's file, so closing it leaves stdin alone. When the C
// library has no memory for the stream, the run ends as out of memory (die), not as a file
// that cannot be opened; the same holds for open_output.
FILE *open_input(const char *path);

// Creates or empties the output file for writing in text mode, or returns null. "-" is a
// stream of its own on standard output's file, so that closing it reports every failed
// write as the output file's failure and leaves stdout alone.
FILE *open_output(const char *path);

// Whether the output named `output_path` ("-": standard output) is the regular file open as
// `input`. Opening the output empties it, which would destroy the input before a byte of it
// is read, and a file that is read while it grows never ends; a device such as /dev/null
// loses nothing and may serve as both.
bool is_same_file(FILE *input, const char *output_path);

// Flushes standard output and fails with the program's message when it lost something (its
// error indicator is set). Called once at the end of a run, after the stop banner, and after
// --help and --version. With "-" as the output the converted text goes through a stream of
// its own, so its failures are the output file's.
void check_standard_output(const ProgramTexts *program);

// Writes `message` to standard error and ends the process with status 1: the drivers' file
// failures.
[[noreturn]] void fail(const char *message);

// A file failure in the format --error-format asks for: `classic`, the program's own wording,
// in the classic format; else "PROGRAM: FILE: WHAT: REASON" with errno's reason (gnu), or a
// JSON object. Ends the process with status 1 unless `keep_going` (a check goes on with the
// next file).
void fail_on_file(const char *program, const char *file, const char *what, const char *classic,
                  bool keep_going = false);

// Fails (fail_on_file) when the output named `output_path` is the input file (is_same_file).
void refuse_same_file(const char *program, FILE *input, const char *output_path);

// The name of `path` in messages: as given, or "<stdin>" for "-".
const char *input_label(const char *path);

// --check: every file that the command line names is read by `run`, after `reset` has
// returned the program's state to its start, and every error in it is reported (in the gnu
// format unless json was asked for); what the run writes goes to /dev/null. Ends the process
// with status 0 when every file is clean, else 1.
[[noreturn]] void check_each_file(const ProgramTexts *program, void (*reset)(), void (*run)());

// The part of a driver's reset that both programs share, for tests and fuzz targets that run
// a driver several times in one process: closes the input a run that ended early left open,
// and returns the engine, the output buffer, the fragment queue, the token text,
// command_line and message_stream to their state at program start.
void core_reset();

#endif

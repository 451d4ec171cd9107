// Runs a converter binary on files in a scratch directory and captures everything it
// produces, so end-to-end cases can assert whole outputs, messages and exit statuses.
#ifndef TESTS_SUPPORT_PROGRAM_RUNNER_H
#define TESTS_SUPPORT_PROGRAM_RUNNER_H

#include <cstdio>
#include <string>
#include <vector>

struct RunResult {
  int status = -1;  // exit status; 128 + signal number when killed by a signal
  std::string out;  // standard output, banners replaced (see normalize_banners)
  std::string err;  // standard error, banners replaced as in `out`
  bool output_exists = false;
  std::string output;  // the output file's bytes, when it exists
};

// A fresh empty directory, removed by remove_scratch_dir.
std::string make_scratch_dir();
void remove_scratch_dir(const std::string &dir);

void write_file(const std::string &path, const std::string &bytes);
std::string read_file(const std::string &path);
bool file_exists(const std::string &path);

// An anonymous temporary stream holding `bytes`, positioned at its start: scanner input for
// tests that drive the engine in process.
FILE *stream_holding(const std::string &bytes);

// Runs `exe args...` with standard input from /dev/null; stdout and stderr are captured,
// the banners in both replaced.
RunResult run_command(const std::string &exe, const std::vector<std::string> &args);

// Writes `input` to DIR/in, runs `exe OPTIONS... DIR/in DIR/out`, and reads DIR/out back.
RunResult run_conversion(const std::string &exe, const std::string &input,
                         const std::vector<std::string> &options = {});

// Runs the shell command line `script` with /bin/sh in a fresh scratch directory that holds
// `files` (name, bytes), with the directories of `programs` first on PATH, so that a case
// reads as a user types it: "postwright in - | inwright - out", "postwright in out >&-".
// Standard input is /dev/null unless the script says otherwise; the file named "out" is read
// back.
RunResult run_script(const std::string &script, const std::vector<std::pair<std::string, std::string>> &files,
                     const std::vector<std::string> &programs);

// Replaces each banner line ("Start obliczen: H : M : S : C \n", "Stop  obliczen: ...") by
// "<start>\n" or "<stop>\n"; the times vary, the shape does not. A line that looks like a
// banner but is malformed is left as it is, so the comparison fails on it.
std::string normalize_banners(const std::string &text);

#endif

// The inwright driver: reads the command line, prints the start and stop banners, opens the
// postfix input and the infix output, and runs the scanner once over the whole input; the
// rule actions do the conversion. A run counts as done only once the output closed cleanly.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "fragment_queue.h"
#include "scanner.h"

constexpr int SUCCESS_STATUS = 0;
constexpr int FAILURE_STATUS = 1;  // usage error, file error, or a fault in the input
constexpr int MILLISECONDS_PER_HUNDREDTH = 10;
constexpr long NANOSECONDS_PER_MILLISECOND = 1000000;

static const char USAGE[] =
    "Usage: inwright POSTFIX_INPUT INFIX_OUTPUT\n"
    "Convert Boolean assignment statements from postfix to infix notation.\n";

// Prints a banner line with the local time: hour, minute, second, hundredths of a second.
static void print_time_banner(const char *label) {
  timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local = {};
  localtime_r(&now.tv_sec, &local);
  int hundredths = static_cast<int>(now.tv_nsec / NANOSECONDS_PER_MILLISECOND) / MILLISECONDS_PER_HUNDREDTH;
  printf("%s obliczen: %i : %i : %i : %i \n", label, local.tm_hour, local.tm_min, local.tm_sec, hundredths);
}

[[noreturn]] static void fail(const char *message) {
  fputs(message, stderr);
  exit(FAILURE_STATUS);
}

// --help and --version answer on standard output; anything short of two file names is a
// usage error. Returns only when there are two file names.
static void handle_options(int argc, char **argv) {
  if (argc == 2 && strcmp(argv[1], "--help") == 0) {
    fputs(USAGE, stdout);
    exit(SUCCESS_STATUS);
  }
  if (argc == 2 && strcmp(argv[1], "--version") == 0) {
    printf("inwright (postwright) %s\n", PROGRAM_VERSION);
    exit(SUCCESS_STATUS);
  }
  if (argc < 3) fail(USAGE);
}

// Opening the output for writing empties it, so an output that is the input itself would
// destroy the input before a byte of it was read. Only a regular file can be emptied that
// way: a device such as /dev/null may serve as both.
static bool is_same_file(FILE *input, const char *output_name) {
  struct stat in_info = {}, out_info = {};
  if (fstat(fileno(input), &in_info) != 0 || !S_ISREG(in_info.st_mode)) return false;
  if (stat(output_name, &out_info) != 0) return false;
  return in_info.st_dev == out_info.st_dev && in_info.st_ino == out_info.st_ino;
}

int main(int argc, char **argv) {
  handle_options(argc, argv);
  print_time_banner("Start");
  yy_input_stream = fopen(argv[1], "r");
  if (yy_input_stream == nullptr) fail("Error opening input file.\nExiting\n");
  if (is_same_file(yy_input_stream, argv[2])) fail("Input and output are the same file.\nExiting\n");
  output_stream = fopen(argv[2], "w");
  if (output_stream == nullptr) fail("Error creating output file.\nExiting\n");

  yy_next_token();

  fclose(yy_input_stream);
  bool write_failed = ferror(output_stream) != 0;
  if (fclose(output_stream) != 0) write_failed = true;
  if (write_failed) fail("Error writing output file.\nExiting\n");
  print_time_banner("Stop ");
  return SUCCESS_STATUS;
}

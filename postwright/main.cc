// postwright's driver: reads the command line, prints the start and stop banners, sets up
// the state that the scanner, the fragment queue and the parse engine share, runs one parse
// over the whole input and decides the exit status once the output file has closed cleanly.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "fragment_queue.h"
#include "infix_scanner.h"
#include "parse_engine.h"
#include "scanner.h"

#ifndef PROGRAM_VERSION
#error "PROGRAM_VERSION must be defined by the build"
#endif

static const char PROGRAM_NAME[] = "postwright";
constexpr int STREAM_BUFFER_SIZE = 0x7fff;  // full buffering of both files, in bytes
constexpr long NANOSECONDS_PER_HUNDREDTH = 10000000;
constexpr int FILE_ARGUMENTS = 2;  // infix input, postfix output

static void print_time_banner(const char *label) {
  timespec now{};
  timespec_get(&now, TIME_UTC);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  printf("%s obliczen: %i : %i : %i : %i \n", label, local.tm_hour, local.tm_min, local.tm_sec,
         static_cast<int>(now.tv_nsec / NANOSECONDS_PER_HUNDREDTH));
}

static void print_usage(FILE *to) {
  fprintf(to, "Usage: %s INFIX_INPUT POSTFIX_OUTPUT\n", PROGRAM_NAME);
  fprintf(to, "Converts Boolean assignment statements from infix to postfix notation.\n");
}

[[noreturn]] static void fail(const char *message) {
  fputs(message, stderr);
  exit(EXIT_FAILURE);
}

// --help and --version stand alone; anything short of two file names is a usage error.
static void handle_command_line(int argc, char **argv) {
  if (argc == 2 && strcmp(argv[1], "--help") == 0) {
    print_usage(stdout);
    exit(EXIT_SUCCESS);
  }
  if (argc == 2 && strcmp(argv[1], "--version") == 0) {
    printf("%s (%s) %s\n", PROGRAM_NAME, PROGRAM_NAME, PROGRAM_VERSION);
    exit(EXIT_SUCCESS);
  }
  if (argc < 1 + FILE_ARGUMENTS) {
    print_usage(stderr);
    exit(EXIT_FAILURE);
  }
}

static void allocate_token_text_buffer() {
  token_text_buffer = static_cast<char *>(calloc(TOKEN_TEXT_INITIAL_SIZE, 1));
  if (token_text_buffer == nullptr) fail("Cannot allocate memory.\nExiting\n");
  token_text_size = TOKEN_TEXT_INITIAL_SIZE;
}

// Opening the output for writing empties it, so it must not be the input file read under
// another name (a link, or the same path twice). Devices such as /dev/null lose nothing.
static bool is_open_input(const char *output_path) {
  struct stat input_status {
  }, output_status{};
  if (fstat(fileno(yy_input_stream), &input_status) != 0 || !S_ISREG(input_status.st_mode)) return false;
  if (stat(output_path, &output_status) != 0) return false;
  return input_status.st_dev == output_status.st_dev && input_status.st_ino == output_status.st_ino;
}

static void open_files(const char *input_path, const char *output_path) {
  yy_input_stream = fopen(input_path, "r");
  if (yy_input_stream == nullptr) fail("Cannot open input file.\nExiting\n");
  setvbuf(yy_input_stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
  if (is_open_input(output_path)) fail("Input and output are the same file.\nExiting\n");
  output_stream = fopen(output_path, "w");
  if (output_stream == nullptr) fail("Cannot create output file.\nExiting\n");
  setvbuf(output_stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
}

// Success is decided only after the buffered output reached the file: a full disk or an I/O
// error shows up in the stream's error indicator or in the final flush of fclose.
static bool close_files() {
  fclose(yy_input_stream);
  bool written = ferror(output_stream) == 0;
  if (fclose(output_stream) != 0) written = false;
  return written;
}

int main(int argc, char **argv) {
  handle_command_line(argc, argv);
  print_time_banner("Start");
  allocate_token_text_buffer();
  clear_fragment_queue();
  open_files(argv[1], argv[2]);
  int result = parse_input();
  if (!close_files()) fail("Cannot write output file.\nExiting\n");
  print_time_banner("Stop ");
  return result == parse_accepted ? EXIT_SUCCESS : EXIT_FAILURE;
}

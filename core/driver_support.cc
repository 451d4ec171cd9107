// Shared driver pieces: standard descriptors, the command line, banners, opening the files,
// the same-file guard, the check of standard output.
#include "driver_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "fragment_queue.h"
#include "output.h"
#include "process.h"
#include "scanner.h"
#include "token_text.h"

#ifndef PROGRAM_VERSION
#error "PROGRAM_VERSION must be defined by the build"
#endif
#ifndef PROGRAM_COPYRIGHT
#error "PROGRAM_COPYRIGHT must be defined by the build"
#endif

constexpr long NANOSECONDS_PER_HUNDREDTH = 10000000;
constexpr int FILE_ARGUMENTS = 2;        // input, output
constexpr int STANDARD_DESCRIPTORS = 3;  // 0, 1 and 2: standard input, output and error

CommandLine command_line = {nullptr, nullptr, false};

void core_reset() {
  if (yy_input_stream != nullptr) fclose(yy_input_stream);  // still open when the run ended early
  yy_reset();
  output_reset();
  fragment_queue_reset();
  token_text_reset();
  command_line = {nullptr, nullptr, false};
  message_stream = stdout;
}

void open_standard_descriptors(const char *program) {
  for (int fd = 0; fd < STANDARD_DESCRIPTORS; fd++) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is `fd`, since the ones below it are open by now.
    int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened == fd) continue;
    fprintf(stderr, "%s: cannot open /dev/null\n", program);
    end_process(EXIT_INPUT_FAULT);
  }
}

static bool is_standard_stream(const char *path) { return strcmp(path, STANDARD_STREAM_NAME) == 0; }

// --- The command line ---

static const char *const LONG_OPTIONS[] = {"help", "quiet", "version"};       // ORDER LONG_OPTIONS
enum LongOption { OPTION_HELP, OPTION_QUIET, OPTION_VERSION, OPTION_COUNT };  // ORDER LONG_OPTIONS
constexpr int NO_OPTION = -1;                                                 // no long option starts so
constexpr int AMBIGUOUS_OPTION = -2;                                          // several long options start so
constexpr char QUIET_OPTION = 'q';                                            // the one short option

// Ends a usage error whose reason the caller printed: the hint, then status 1.
[[noreturn]] static void usage_error(const ProgramTexts *program) {
  fprintf(stderr, "Try '%s --help' for more information.\n", program->name);
  end_process(EXIT_INPUT_FAULT);
}

// The rest of --help, the same for both programs but for the manual's name.
static const char HELP_TEXT[] =
    "\n"
    "  -q, --quiet    print no start and stop lines\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "A file name of - is standard input or standard output; with - as the output, the start\n"
    "and stop lines and the messages go to standard error. A file named - is ./-, and -- ends\n"
    "the options. File names after the second are ignored.\n"
    "\n"
    "Exit status: 0 if the whole input was converted, 1 for an error in the input or the\n"
    "command line or a file that cannot be opened or written, 2 if memory ran out.\n"
    "\n"
    "Full documentation: man %s\n";

[[noreturn]] static void print_help(const ProgramTexts *program) {
  fputs(program->usage, stdout);
  printf(HELP_TEXT, program->name);
  check_standard_output(program);
  end_process(EXIT_SUCCESS);
}

[[noreturn]] static void print_version(const ProgramTexts *program) {
  printf("%s (postwright) %s\n", program->name, PROGRAM_VERSION);
  printf("Copyright (C) %s\n", PROGRAM_COPYRIGHT);
  puts("License MIT: <https://opensource.org/licenses/MIT>.");
  puts("This is free software: you are free to change and redistribute it.");
  puts("There is NO WARRANTY, to the extent permitted by law.");
  check_standard_output(program);
  end_process(EXIT_SUCCESS);
}

// The long option that `name` (up to `length` bytes) names in full or starts uniquely.
static int find_long_option(const char *name, size_t length) {
  if (length == 0) return NO_OPTION;
  int found = NO_OPTION;
  for (int option = 0; option < OPTION_COUNT; option++) {
    if (strncmp(LONG_OPTIONS[option], name, length) != 0) continue;
    if (strlen(LONG_OPTIONS[option]) == length) return option;
    found = found == NO_OPTION ? option : AMBIGUOUS_OPTION;
  }
  return found;
}

// "--name" or "--name=value"; none of the options takes a value.
static void take_long_option(const char *argument, const ProgramTexts *program) {
  const char *name = argument + 2;
  const char *equals = strchr(name, '=');
  size_t length = equals != nullptr ? static_cast<size_t>(equals - name) : strlen(name);
  int option = find_long_option(name, length);
  if (option == NO_OPTION || option == AMBIGUOUS_OPTION) {
    const char *reason = option == NO_OPTION ? "unrecognized" : "ambiguous";
    fprintf(stderr, "%s: %s option '%s'\n", program->name, reason, argument);
    usage_error(program);
  }
  if (equals != nullptr) {
    fprintf(stderr, "%s: option '--%s' doesn't allow an argument\n", program->name, LONG_OPTIONS[option]);
    usage_error(program);
  }
  if (option == OPTION_HELP) print_help(program);
  if (option == OPTION_VERSION) print_version(program);
  if (option == OPTION_QUIET) command_line.quiet = true;
}

// "-q", also repeated ("-qq").
static void take_short_options(const char *argument, const ProgramTexts *program) {
  for (const char *p = argument + 1; *p != '\0'; p++) {
    if (*p == QUIET_OPTION) {
      command_line.quiet = true;
      continue;
    }
    fprintf(stderr, "%s: invalid option -- '%c'\n", program->name, *p);
    usage_error(program);
  }
}

void parse_command_line(int argc, char **argv, const ProgramTexts *program) {
  const char *files[FILE_ARGUMENTS] = {};
  int file_count = 0;
  bool options_ended = false;
  for (int i = 1; i < argc; i++) {
    const char *argument = argv[i];
    bool is_option = !options_ended && argument[0] == '-' && argument[1] != '\0';
    if (!is_option) {
      if (file_count < FILE_ARGUMENTS) files[file_count] = argument;
      file_count++;  // names after the second are ignored
    } else if (strcmp(argument, "--") == 0) {
      options_ended = true;
    } else if (argument[1] == '-') {
      take_long_option(argument, program);
    } else {
      take_short_options(argument, program);
    }
  }
  if (file_count < FILE_ARGUMENTS) {
    if (file_count == 0) fprintf(stderr, "%s: missing file operand\n", program->name);
    if (file_count == 1) fprintf(stderr, "%s: missing output file operand after '%s'\n", program->name, files[0]);
    usage_error(program);
  }
  command_line.input_path = files[0];
  command_line.output_path = files[1];
  if (is_standard_stream(command_line.output_path)) message_stream = stderr;
}

// --- Banners and files ---

void print_time_banner(const char *label) {
  if (command_line.quiet) return;
  timespec now{};
  timespec_get(&now, TIME_UTC);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  fprintf(message_stream, "%s obliczen: %i : %i : %i : %i \n", label, local.tm_hour, local.tm_min, local.tm_sec,
          static_cast<int>(now.tv_nsec / NANOSECONDS_PER_HUNDREDTH));
}

void fail(const char *message) {
  fputs(message, stderr);
  end_process(EXIT_INPUT_FAULT);
}

// A stream of its own on a duplicate of standard descriptor `fd`.
static FILE *open_duplicate(int fd, const char *mode) {
  int copy = dup(fd);
  if (copy == -1) return nullptr;
  FILE *stream = fdopen(copy, mode);
  if (stream == nullptr) close(copy);
  return stream;
}

FILE *open_input(const char *path) {
  FILE *input = is_standard_stream(path) ? open_duplicate(STDIN_FILENO, "r") : fopen(path, "r");
  struct stat status {};
  if (input != nullptr && fstat(fileno(input), &status) == 0 && S_ISDIR(status.st_mode)) {
    fclose(input);
    return nullptr;
  }
  return input;
}

FILE *open_output(const char *path) {
  return is_standard_stream(path) ? open_duplicate(STDOUT_FILENO, "w") : fopen(path, "w");
}

bool is_same_file(FILE *input, const char *output_path) {
  struct stat in {};
  struct stat out {};
  if (fstat(fileno(input), &in) != 0 || !S_ISREG(in.st_mode)) return false;
  int found = is_standard_stream(output_path) ? fstat(STDOUT_FILENO, &out) : stat(output_path, &out);
  if (found != 0) return false;
  return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

void check_standard_output(const ProgramTexts *program) {
  if (fflush(stdout) != 0 || ferror(stdout) != 0) fail(program->standard_output_failure);
}

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
#include <initializer_list>

#include "error_report.h"
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

CommandLine command_line = {nullptr, nullptr, false, false, 0, nullptr};

// Which of the standard descriptors were closed when the program started: "-" names nothing
// then, and the /dev/null put in its place must not take or give the data.
static bool standard_descriptor_closed[STANDARD_DESCRIPTORS] = {};

void core_reset() {
  if (yy_input_stream != nullptr) fclose(yy_input_stream);  // still open when the run ended early
  yy_reset();
  output_reset();
  fragment_queue_reset();
  token_text_reset();
  command_line = {nullptr, nullptr, false, false, 0, nullptr};
  message_stream = stdout;
  error_reporting = {ErrorFormat::classic, false, STANDARD_INPUT_LABEL, 0, false};
  for (bool &closed : standard_descriptor_closed) closed = false;
}

void open_standard_descriptors(const char *program) {
  for (int fd = 0; fd < STANDARD_DESCRIPTORS; fd++) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    standard_descriptor_closed[fd] = true;
    // The lowest free descriptor is `fd`, since the ones below it are open by now.
    int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened == fd) continue;
    fprintf(stderr, "%s: cannot open /dev/null\n", program);
    end_process(EXIT_INPUT_FAULT);
  }
}

static bool is_standard_stream(const char *path) { return strcmp(path, STANDARD_STREAM_NAME) == 0; }

// --- The command line ---

// The options both programs take. --help lists the flags first, the shared ones before the
// program's own, then --help and --version.
enum SharedOption {  // ORDER SHARED_OPTIONS
  OPTION_QUIET,
  OPTION_CHECK,
  OPTION_ERROR_FORMAT,
  OPTION_HELP,
  OPTION_VERSION,
  SHARED_OPTION_COUNT
};
static const CommandOption SHARED_OPTIONS[SHARED_OPTION_COUNT] = {
    // ORDER SHARED_OPTIONS
    {"quiet", 'q', "print no start and stop lines", &command_line.quiet, nullptr},
    {"check", NO_SHORT_NAME, "report every error of every file named; write nothing", &command_line.check, nullptr},
    {"error-format", NO_SHORT_NAME, "classic (the default), gnu (FILE:LINE:COLUMN: ...) or json", nullptr, "FORMAT"},
    {"help", NO_SHORT_NAME, "display this help and exit", nullptr, nullptr},
    {"version", NO_SHORT_NAME, "output version information and exit", nullptr, nullptr},
};
static const CommandOption AMBIGUOUS_OPTION = {};  // what a prefix of several long names finds

// Ends a usage error whose reason the caller printed: the hint, then status 1.
[[noreturn]] static void usage_error(const ProgramTexts *program) {
  fprintf(stderr, "Try '%s --help' for more information.\n", program->name);
  end_process(EXIT_INPUT_FAULT);
}

// Option number `index` of the shared options followed by the program's own.
static size_t option_count(const ProgramTexts *program) { return SHARED_OPTION_COUNT + program->option_count; }
static const CommandOption *option_at(const ProgramTexts *program, size_t index) {
  return index < SHARED_OPTION_COUNT ? &SHARED_OPTIONS[index] : &program->options[index - SHARED_OPTION_COUNT];
}

// The rest of --help after the options, the same for both programs but for the manual's name.
static const char HELP_TEXT[] =
    "\n"
    "A file name of - is standard input or standard output; with - as the output, the start\n"
    "and stop lines and the messages go to standard error. A file named - is ./-, and -- ends\n"
    "the options. A third file name is refused; --check takes any number of files.\n"
    "\n"
    "In the gnu and json formats every message goes to standard error, with its file, line and\n"
    "column (counted in bytes from 1, a tab being one column).\n"
    "\n"
    "Exit status:\n"
    "  0  the whole input was converted, or every file checked is clean\n"
    "  1  an error in the input or the command line, or a file that cannot be opened or written\n"
    "  2  memory ran out, or an internal error\n"
    "\n"
    "Full documentation: man %s\n";

// "quiet", or "error-format=FORMAT"; returns its length.
static int option_name(const CommandOption *option, char *name, size_t size) {
  if (option->value_name == nullptr) return snprintf(name, size, "%s", option->long_name);
  return snprintf(name, size, "%s=%s", option->long_name, option->value_name);
}

// One line a option, "  -q, --quiet    print ...", the descriptions in one column two blanks
// after the longest name.
static void print_option_lines(const ProgramTexts *program) {
  int width = 0;
  char name[64];
  for (size_t i = 0; i < option_count(program); i++) {
    int length = option_name(option_at(program, i), name, sizeof name);
    if (length > width) width = length;
  }
  for (bool flags : {true, false}) {
    for (size_t i = 0; i < option_count(program); i++) {
      const CommandOption *option = option_at(program, i);
      if ((option->flag != nullptr || option->value_name != nullptr) != flags) continue;
      if (option->short_name != NO_SHORT_NAME) {
        printf("  -%c, ", option->short_name);
      } else {
        fputs("      ", stdout);
      }
      option_name(option, name, sizeof name);
      printf("--%-*s  %s\n", width, name, option->help);
    }
  }
}

[[noreturn]] static void print_help(const ProgramTexts *program) {
  fputs(program->usage, stdout);
  putchar('\n');
  print_option_lines(program);
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

// The option that `name` (up to `length` bytes) names in full or starts uniquely; null when
// none does, &AMBIGUOUS_OPTION when several do.
static const CommandOption *find_long_option(const ProgramTexts *program, const char *name, size_t length) {
  if (length == 0) return nullptr;
  const CommandOption *found = nullptr;
  for (size_t i = 0; i < option_count(program); i++) {
    const CommandOption *option = option_at(program, i);
    if (strncmp(option->long_name, name, length) != 0) continue;
    if (strlen(option->long_name) == length) return option;
    found = found == nullptr ? option : &AMBIGUOUS_OPTION;
  }
  return found;
}

// --error-format's value.
static void take_error_format(const char *value, const ProgramTexts *program) {
  if (error_format_named(value, &error_reporting.format)) return;
  fprintf(stderr, "%s: invalid argument '%s' for '--error-format'\n", program->name, value);
  fputs("Valid arguments are: 'classic', 'gnu', 'json'\n", stderr);
  usage_error(program);
}

static void take_option(const CommandOption *option, const ProgramTexts *program) {
  if (option->flag != nullptr) {
    *option->flag = true;
  } else if (option == &SHARED_OPTIONS[OPTION_HELP]) {
    print_help(program);
  } else {
    print_version(program);
  }
}

// "--name" or "--name=value"; only --error-format takes a value, and only after "=".
static void take_long_option(const char *argument, const ProgramTexts *program) {
  const char *name = argument + 2;
  const char *equals = strchr(name, '=');
  size_t length = equals != nullptr ? static_cast<size_t>(equals - name) : strlen(name);
  const CommandOption *option = find_long_option(program, name, length);
  if (option == nullptr || option == &AMBIGUOUS_OPTION) {
    const char *reason = option == nullptr ? "unrecognized" : "ambiguous";
    fprintf(stderr, "%s: %s option '%s'\n", program->name, reason, argument);
    usage_error(program);
  }
  if (option->value_name != nullptr) {
    if (equals == nullptr) {
      fprintf(stderr, "%s: option '--%s' requires an argument\n", program->name, option->long_name);
      usage_error(program);
    }
    take_error_format(equals + 1, program);
    return;
  }
  if (equals != nullptr) {
    fprintf(stderr, "%s: option '--%s' doesn't allow an argument\n", program->name, option->long_name);
    usage_error(program);
  }
  take_option(option, program);
}

// "-q", also several run together or repeated ("-qq").
static void take_short_options(const char *argument, const ProgramTexts *program) {
  for (const char *p = argument + 1; *p != '\0'; p++) {
    const CommandOption *option = nullptr;
    for (size_t i = 0; i < option_count(program) && option == nullptr; i++) {
      if (option_at(program, i)->short_name == *p) option = option_at(program, i);
    }
    if (option == nullptr) {
      fprintf(stderr, "%s: invalid option -- '%c'\n", program->name, *p);
      usage_error(program);
    }
    take_option(option, program);
  }
}

// What an argument is: an option, "--" (which ends them) or a file operand. The walk of the
// files after the command line was read sees the same.
enum class Argument { option, end_of_options, file };
static Argument kind_of(const char *argument, bool options_ended) {
  if (options_ended || argument[0] != '-' || argument[1] == '\0') return Argument::file;
  return strcmp(argument, "--") == 0 ? Argument::end_of_options : Argument::option;
}

int next_file_operand(int index) {
  bool options_ended = false;
  for (int i = 1; i < command_line.argc; i++) {
    Argument kind = kind_of(command_line.argv[i], options_ended);
    if (kind == Argument::file && i > index) return i;
    if (kind == Argument::end_of_options) options_ended = true;
  }
  return command_line.argc;
}

void parse_command_line(int argc, char **argv, const ProgramTexts *program) {
  const char *files[FILE_ARGUMENTS + 1] = {};
  int file_count = 0;
  bool options_ended = false;
  command_line.argc = argc;
  command_line.argv = argv;
  for (int i = 1; i < argc; i++) {
    const char *argument = argv[i];
    Argument kind = kind_of(argument, options_ended);
    if (kind == Argument::file) {
      if (file_count <= FILE_ARGUMENTS) files[file_count] = argument;
      file_count++;
    } else if (kind == Argument::end_of_options) {
      options_ended = true;
    } else if (argument[1] == '-') {
      take_long_option(argument, program);
    } else {
      take_short_options(argument, program);
    }
  }
  if (command_line.check) {
    if (file_count == 0) {
      fprintf(stderr, "%s: missing file operand\n", program->name);
      usage_error(program);
    }
    return;
  }
  if (file_count != FILE_ARGUMENTS) {
    if (file_count == 0) fprintf(stderr, "%s: missing file operand\n", program->name);
    if (file_count == 1) fprintf(stderr, "%s: missing output file operand after '%s'\n", program->name, files[0]);
    if (file_count > FILE_ARGUMENTS) fprintf(stderr, "%s: extra operand '%s'\n", program->name, files[FILE_ARGUMENTS]);
    usage_error(program);
  }
  command_line.input_path = files[0];
  command_line.output_path = files[1];
  if (is_standard_stream(command_line.output_path)) message_stream = stderr;
  // JSON keeps standard error to its objects: the banners that "-" as the output would put
  // there are left out, as with -q.
  if (message_stream == stderr && error_reporting.format == ErrorFormat::json) command_line.quiet = true;
}

// Where the echo goes when it must go nowhere: opened once, kept for the process as the
// standard streams are. A file-scope pointer, since a local static that fopen initialises
// would need the C++ runtime's guard, which alone made each program load libstdc++.
static FILE *echo_nowhere = nullptr;

FILE *echo_stream() {
  if (message_stream != stderr || error_reporting.format != ErrorFormat::json) return message_stream;
  if (echo_nowhere == nullptr) echo_nowhere = fopen("/dev/null", "w");
  return echo_nowhere != nullptr ? echo_nowhere : message_stream;
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

void refuse_same_file(const char *program, FILE *input, const char *output_path) {
  if (!is_same_file(input, output_path)) return;
  errno = 0;  // no reason of the system's
  fail_on_file(program, output_path, "is the input file", "Input and output are the same file.\nExiting\n");
}

const char *input_label(const char *path) { return is_standard_stream(path) ? STANDARD_INPUT_LABEL : path; }

void fail_on_file(const char *program, const char *file, const char *what, const char *classic, bool keep_going) {
  int error_number = errno;
  if (error_reporting.format == ErrorFormat::classic) {
    fputs(classic, stderr);
  } else {
    report_file_problem(program, file, what, error_number);
  }
  if (!keep_going) end_process(EXIT_INPUT_FAULT);
}

// Checks one file; false when it has an error or cannot be read.
static bool check_file(const ProgramTexts *program, const char *path, void (*reset)(), void (*run)()) {
  yy_reset();
  reset();
  yy_output_stream = output_stream;  // what the scanner would echo is not shown either
  error_reporting.file = input_label(path);
  error_reporting.errors = 0;
  error_reporting.passing_over = false;
  yy_input_stream = open_input(path);
  if (yy_input_stream == nullptr) {
    fail_on_file(program->name, path, "cannot open", "", true);
    return false;
  }
  run();
  fclose(yy_input_stream);
  yy_input_stream = nullptr;
  report_skipped_errors();
  return error_reporting.errors == 0;
}

static FILE *opened_or_out_of_memory(FILE *stream, const char *who);

void check_each_file(const ProgramTexts *program, void (*reset)(), void (*run)()) {
  error_reporting.check = true;
  if (error_reporting.format == ErrorFormat::classic) error_reporting.format = ErrorFormat::gnu;
  output_stream = opened_or_out_of_memory(fopen("/dev/null", "w"), "check_each_file");
  if (output_stream == nullptr) fail_on_file(program->name, "/dev/null", "cannot open", "");
  bool clean = true;
  for (int i = next_file_operand(0); i < command_line.argc; i = next_file_operand(i)) {
    clean = check_file(program, command_line.argv[i], reset, run) && clean;
  }
  output_close();
  end_process(clean ? EXIT_SUCCESS : EXIT_INPUT_FAULT);
}

// A stream of its own on a duplicate of standard descriptor `fd`; none when the descriptor
// was closed at the start.
static FILE *open_duplicate(int fd, const char *mode) {
  if (standard_descriptor_closed[fd]) {
    errno = EBADF;
    return nullptr;
  }
  int copy = dup(fd);
  if (copy == -1) return nullptr;
  FILE *stream = fdopen(copy, mode);
  if (stream == nullptr) {
    int reason = errno;
    close(copy);
    errno = reason;
  }
  return stream;
}

// A stream that could not be opened for want of memory (the C library allocates the stream's
// record) ends the run as every other allocation failure does, not as a missing file.
static FILE *opened_or_out_of_memory(FILE *stream, const char *who) {
  if (stream == nullptr && errno == ENOMEM) die(who);
  return stream;
}

FILE *open_input(const char *path) {
  FILE *input = opened_or_out_of_memory(is_standard_stream(path) ? open_duplicate(STDIN_FILENO, "r") : fopen(path, "r"),
                                        "open_input");
  struct stat status {};
  if (input != nullptr && fstat(fileno(input), &status) == 0 && S_ISDIR(status.st_mode)) {
    fclose(input);
    errno = EISDIR;
    return nullptr;
  }
  return input;
}

FILE *open_output(const char *path) {
  return opened_or_out_of_memory(is_standard_stream(path) ? open_duplicate(STDOUT_FILENO, "w") : fopen(path, "w"),
                                 "open_output");
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

// Shared driver pieces: banners, options, the same-file guard, the checked close.
#include "driver_support.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "process.h"

#ifndef PROGRAM_VERSION
#error "PROGRAM_VERSION must be defined by the build"
#endif

constexpr long NANOSECONDS_PER_HUNDREDTH = 10000000;
constexpr int FILE_ARGUMENTS = 2;  // input, output

void print_time_banner(const char *label) {
  timespec now{};
  timespec_get(&now, TIME_UTC);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  printf("%s obliczen: %i : %i : %i : %i \n", label, local.tm_hour, local.tm_min, local.tm_sec,
         static_cast<int>(now.tv_nsec / NANOSECONDS_PER_HUNDREDTH));
}

void handle_standard_options(int argc, char **argv, const char *program, const char *usage) {
  if (argc == 2 && strcmp(argv[1], "--help") == 0) {
    fputs(usage, stdout);
    end_process(EXIT_SUCCESS);
  }
  if (argc == 2 && strcmp(argv[1], "--version") == 0) {
    printf("%s (postwright) %s\n", program, PROGRAM_VERSION);
    end_process(EXIT_SUCCESS);
  }
  if (argc < 1 + FILE_ARGUMENTS) {
    fputs(usage, stderr);
    end_process(EXIT_INPUT_FAULT);
  }
}

void fail(const char *message) {
  fputs(message, stderr);
  end_process(EXIT_INPUT_FAULT);
}

FILE *open_input(const char *path) {
  FILE *input = fopen(path, "r");
  struct stat status {};
  if (input != nullptr && fstat(fileno(input), &status) == 0 && S_ISDIR(status.st_mode)) {
    fclose(input);
    return nullptr;
  }
  return input;
}

bool is_same_file(FILE *input, const char *output_path) {
  struct stat in {};
  struct stat out {};
  if (fstat(fileno(input), &in) != 0 || !S_ISREG(in.st_mode)) return false;
  if (stat(output_path, &out) != 0) return false;
  return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

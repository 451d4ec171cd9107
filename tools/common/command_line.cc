// The generators' command line and exit.
#include "command_line.h"

#include <cstdio>
#include <cstring>

#include "diagnostics.h"
#include "exit_status.h"

std::optional<GeneratorFiles> read_command_line(int argc, char **argv, const char *tool, const char *input,
                                                int *status) {
  if (argc == 4) return GeneratorFiles{argv[1], argv[2], argv[3]};
  bool help = argc == 2 && strcmp(argv[1], "--help") == 0;
  fprintf(help ? stdout : stderr, "Usage: %s %s OUT.cc OUT.h\n", tool, input);
  *status = help ? 0 : EXIT_INPUT_FAULT;
  return std::nullopt;
}

int generator_exit(const char *tool, int status) {
  if (status == 0 && (fflush(stdout) != 0 || ferror(stdout) != 0)) {
    report_at(tool, 0, "cannot write standard output");
    status = EXIT_INPUT_FAULT;
  }
  print_diagnostics(stderr, "");
  return status;
}

// The command line that both generators take, GENERATOR INPUT OUT.cc OUT.h, or GENERATOR
// --help, and the way a generator's run ends. Entry points: read_command_line(),
// generator_exit().
#ifndef TOOLS_COMMON_COMMAND_LINE_H
#define TOOLS_COMMON_COMMAND_LINE_H

#include <optional>

struct GeneratorFiles {
  const char *input;   // the rule file or the grammar read
  const char *source;  // OUT.cc, the tables
  const char *header;  // OUT.h, the names of the tables' entries
};

// The files that `argv` names. Nothing when it asks for --help, which prints the usage line
// "Usage: TOOL INPUT OUT.cc OUT.h" on standard output, or when it names no three files, which
// prints the usage on standard error; *status is then what main returns: 0 after --help,
// EXIT_INPUT_FAULT otherwise.
std::optional<GeneratorFiles> read_command_line(int argc, char **argv, const char *tool, const char *input,
                                                int *status);

// What main returns: `status`, after every fault recorded is printed on standard error; a
// run that succeeded fails all the same when standard output lost its statistics.
int generator_exit(const char *tool, int status);

#endif

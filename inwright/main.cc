// The inwright driver: reads the command line, prints the start and stop banners, opens the
// postfix input and the infix output, and runs the scanner once over the whole input; the
// rule actions do the conversion. A run counts as done only once the output closed cleanly.
#include <cstdio>
#include <cstdlib>

#include "driver_support.h"
#include "output.h"
#include "process.h"
#include "scanner.h"

static const char USAGE[] =
    "Usage: inwright POSTFIX_INPUT INFIX_OUTPUT\n"
    "Convert Boolean assignment statements from postfix to infix notation.\n";

int main(int argc, char **argv) {
  handle_standard_options(argc, argv, "inwright", USAGE);
  print_time_banner("Start");
  yy_input_stream = open_input(argv[1]);
  if (yy_input_stream == nullptr) fail("Error opening input file.\nExiting\n");
  if (is_same_file(yy_input_stream, argv[2])) fail("Input and output are the same file.\nExiting\n");
  output_stream = fopen(argv[2], "w");
  if (output_stream == nullptr) fail("Error creating output file.\nExiting\n");

  yy_next_token();

  fclose(yy_input_stream);
  if (!output_close()) fail("Error writing output file.\nExiting\n");
  print_time_banner("Stop ");
  end_process(EXIT_SUCCESS);
}

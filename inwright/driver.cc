// The inwright driver: reads the command line, prints the start and stop banners, opens the
// postfix input and the infix output, and runs the scanner once over the whole input; the
// rule actions do the conversion. A run counts as done only once the output closed cleanly
// and standard output has taken everything. Entry points: inwright_main, and inwright_reset
// for a harness that runs it again in the same process.
#include "driver.h"

#include <cstdio>
#include <cstdlib>

#include "driver_support.h"
#include "output.h"
#include "postfix_scanner.h"
#include "process.h"
#include "readable.h"
#include "scanner.h"

static const CommandOption INWRIGHT_OPTIONS[] = {
    {"readable", 'r', "each statement on one line, with only the parentheses it needs", &readable_form},
};
static const ProgramTexts INWRIGHT = {
    "inwright",
    "Usage: inwright [OPTION]... POSTFIX_INPUT INFIX_OUTPUT\n"
    "Convert Boolean assignment statements from postfix to infix notation.\n",
    "Error writing standard output.\nExiting\n",
    INWRIGHT_OPTIONS,
    sizeof INWRIGHT_OPTIONS / sizeof INWRIGHT_OPTIONS[0],
};

int inwright_main(int argc, char **argv) {
  open_standard_descriptors(INWRIGHT.name);
  parse_command_line(argc, argv, &INWRIGHT);
  print_time_banner("Start");
  yy_input_stream = open_input(command_line.input_path);
  if (yy_input_stream == nullptr) fail("Error opening input file.\nExiting\n");
  if (is_same_file(yy_input_stream, command_line.output_path)) fail("Input and output are the same file.\nExiting\n");
  output_stream = open_output(command_line.output_path);
  if (output_stream == nullptr) fail("Error creating output file.\nExiting\n");
  yy_output_stream = message_stream;  // the scanner's echo goes where the messages go

  yy_next_token();

  fclose(yy_input_stream);
  yy_input_stream = nullptr;  // a harness that runs the driver again closes only what is left open
  if (!output_close()) fail("Error writing output file.\nExiting\n");
  print_time_banner("Stop ");
  check_standard_output(&INWRIGHT);
  end_process(EXIT_SUCCESS);
}

void inwright_reset() {
  core_reset();
  postfix_scanner_reset();
  readable_reset();
}

// The inwright driver: reads the command line, prints the start and stop banners, opens the
// postfix input and the infix output, and runs the scanner once over the whole input; the
// rule actions do the conversion. A run counts as done only once the output closed cleanly
// and standard output has taken everything. Entry points: inwright_main, and inwright_reset
// for a harness that runs it again in the same process.
#include "driver.h"

#include <cstdio>
#include <cstdlib>

#include "driver_support.h"
#include "error_report.h"
#include "expr_tree.h"
#include "fragment_queue.h"
#include "output.h"
#include "postfix_scanner.h"
#include "process.h"
#include "readable.h"
#include "scanner.h"

static const CommandOption INWRIGHT_OPTIONS[] = {
    {"readable", 'r', "each statement on one line, with only the parentheses it needs", &readable_form, nullptr},
};
static const ProgramTexts INWRIGHT = {
    "inwright",
    "Usage: inwright [OPTION]... POSTFIX_INPUT INFIX_OUTPUT\n"
    "  or:  inwright --check [OPTION]... POSTFIX_INPUT...\n"
    "Convert Boolean assignment statements from postfix to infix notation.\n",
    "Error writing standard output.\nExiting\n",
    INWRIGHT_OPTIONS,
    sizeof INWRIGHT_OPTIONS / sizeof INWRIGHT_OPTIONS[0],
};

// A check's state before each file, and its run over it: nothing is written, so the plain
// form's actions serve.
static void reset_for_check() {
  fragment_queue_reset();
  postfix_scanner_reset();
  readable_form = false;
}

static void check_scan() { yy_next_token(); }

int inwright_main(int argc, char **argv) {
  open_standard_descriptors(INWRIGHT.name);
  parse_command_line(argc, argv, &INWRIGHT);
  if (command_line.check) check_each_file(&INWRIGHT, reset_for_check, check_scan);
  print_time_banner("Start");
  const char *input_path = command_line.input_path;
  const char *output_path = command_line.output_path;
  yy_input_stream = open_input(input_path);
  if (yy_input_stream == nullptr)
    fail_on_file(INWRIGHT.name, input_path, "cannot open", "Error opening input file.\nExiting\n");
  refuse_same_file(INWRIGHT.name, yy_input_stream, output_path);
  output_stream = open_output(output_path);
  if (output_stream == nullptr)
    fail_on_file(INWRIGHT.name, output_path, "cannot create", "Error creating output file.\nExiting\n");
  error_reporting.file = input_label(input_path);
  yy_output_stream = echo_stream();

  yy_next_token();

  fclose(yy_input_stream);
  yy_input_stream = nullptr;  // a harness that runs the driver again closes only what is left open
  if (!output_close())
    fail_on_file(INWRIGHT.name, output_path, "cannot write", "Error writing output file.\nExiting\n");
  print_time_banner("Stop ");
  check_standard_output(&INWRIGHT);
  end_process(EXIT_SUCCESS);
}

void inwright_reset() {
  core_reset();
  postfix_scanner_reset();
  readable_reset();
}

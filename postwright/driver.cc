// postwright's driver: reads the command line, prints the start and stop banners, sets up
// the state that the scanner, the fragment queue and the parse engine share, runs one parse
// over the whole input and decides the exit status once the output file has closed cleanly
// and standard output has taken everything. Entry points: postwright_main, and
// postwright_reset for a harness that runs it again in the same process.
#include "driver.h"

#include <cstdio>
#include <cstdlib>

#include "driver_support.h"
#include "error_report.h"
#include "fragment_queue.h"
#include "grammar_actions.h"
#include "infix_scanner.h"
#include "output.h"
#include "parse_engine.h"
#include "process.h"
#include "scanner.h"
#include "token_text.h"

static const ProgramTexts POSTWRIGHT = {
    "postwright",
    "Usage: postwright [OPTION]... INFIX_INPUT POSTFIX_OUTPUT\n"
    "  or:  postwright --check [OPTION]... INFIX_INPUT...\n"
    "Convert Boolean assignment statements from infix to postfix notation.\n",
    "Cannot write standard output.\nExiting\n",
    nullptr,  // no options of its own
    0,
};
// The size asked for with the full buffering of both files. The C library, given no buffer
// of its own, buffers a file's block size all the same, and the output buffer's large
// blocks (output.h) pass straight through to the file.
constexpr int STREAM_BUFFER_SIZE = 0x7fff;

static void open_files(const char *input_path, const char *output_path) {
  yy_input_stream = open_input(input_path);
  if (yy_input_stream == nullptr)
    fail_on_file(POSTWRIGHT.name, input_path, "cannot open", "Cannot open input file.\nExiting\n");
  setvbuf(yy_input_stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
  refuse_same_file(POSTWRIGHT.name, yy_input_stream, output_path);
  output_stream = open_output(output_path);
  if (output_stream == nullptr)
    fail_on_file(POSTWRIGHT.name, output_path, "cannot create", "Cannot create output file.\nExiting\n");
  setvbuf(output_stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
}

// A check's state before each file, and its run over it.
static void reset_for_check() {
  fragment_queue_reset();
  infix_scanner_reset();
  grammar_actions_reset();
  parse_engine_reset();
}

static void check_parse() {
  setvbuf(yy_input_stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
  parse_input();
}

int postwright_main(int argc, char **argv) {
  open_standard_descriptors(POSTWRIGHT.name);
  parse_command_line(argc, argv, &POSTWRIGHT);
  if (error_reporting.format != ErrorFormat::classic || command_line.check)
    located_syntax_error = report_located_syntax_error;
  if (command_line.check) {
    token_text_allocate(TOKEN_TEXT_INITIAL_SIZE);
    check_each_file(&POSTWRIGHT, reset_for_check, check_parse);
  }
  print_time_banner("Start");
  token_text_allocate(TOKEN_TEXT_INITIAL_SIZE);
  clear_fragment_queue();
  open_files(command_line.input_path, command_line.output_path);
  error_reporting.file = input_label(command_line.input_path);
  yy_output_stream = echo_stream();
  int result = parse_input();
  fclose(yy_input_stream);
  yy_input_stream = nullptr;  // a harness that runs the driver again closes only what is left open
  if (!output_close())
    fail_on_file(POSTWRIGHT.name, command_line.output_path, "cannot write", "Cannot write output file.\nExiting\n");
  print_time_banner("Stop ");
  check_standard_output(&POSTWRIGHT);
  end_process(result == parse_accepted ? EXIT_SUCCESS : EXIT_INPUT_FAULT);
}

void postwright_reset() {
  core_reset();
  located_syntax_error = nullptr;
  infix_scanner_reset();
  grammar_actions_reset();
  parse_engine_reset();
}

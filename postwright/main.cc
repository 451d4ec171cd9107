// postwright's driver: reads the command line, prints the start and stop banners, sets up
// the state that the scanner, the fragment queue and the parse engine share, runs one parse
// over the whole input and decides the exit status once the output file has closed cleanly.
#include <cstdio>
#include <cstdlib>

#include "driver_support.h"
#include "fragment_queue.h"
#include "infix_scanner.h"
#include "output.h"
#include "parse_engine.h"
#include "process.h"
#include "scanner.h"
#include "token_text.h"

static const char USAGE[] =
    "Usage: postwright INFIX_INPUT POSTFIX_OUTPUT\n"
    "Converts Boolean assignment statements from infix to postfix notation.\n";
constexpr int STREAM_BUFFER_SIZE = 0x7fff;  // full buffering of both files, in bytes

static void open_files(const char *input_path, const char *output_path) {
  yy_input_stream = open_input(input_path);
  if (yy_input_stream == nullptr) fail("Cannot open input file.\nExiting\n");
  setvbuf(yy_input_stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
  if (is_same_file(yy_input_stream, output_path)) fail("Input and output are the same file.\nExiting\n");
  output_stream = fopen(output_path, "w");
  if (output_stream == nullptr) fail("Cannot create output file.\nExiting\n");
  setvbuf(output_stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
}

int main(int argc, char **argv) {
  handle_standard_options(argc, argv, "postwright", USAGE);
  print_time_banner("Start");
  token_text_allocate(TOKEN_TEXT_INITIAL_SIZE);
  clear_fragment_queue();
  open_files(argv[1], argv[2]);
  int result = parse_input();
  fclose(yy_input_stream);
  if (!output_close()) fail("Cannot write output file.\nExiting\n");
  print_time_banner("Stop ");
  end_process(result == parse_accepted ? EXIT_SUCCESS : EXIT_INPUT_FAULT);
}

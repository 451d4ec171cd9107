// The grammar actions' state and their cold paths: numbers written one after the other, and
// the report of a syntax error.
#include "grammar_actions.h"

#include <cinttypes>
#include <cstdio>

#include "shared_actions.h"

bool last_output_was_number = false;

void grammar_actions_reset() { last_output_was_number = false; }

void print_number() {
  if (fragment_queue_empty()) return;  // nothing queued: nothing is written
  if (last_output_was_number) output_char(' ');
  print_next_fragment();
  last_output_was_number = true;
}

int (*located_syntax_error)(const char *message) = nullptr;

// Both failures the engine reports, a syntax error and an exhausted stack, give the same
// classic message: the line in which the parse stopped.
int report_syntax_error(const char *message) {
  if (located_syntax_error != nullptr) return located_syntax_error(message);
  fprintf(stderr, "Parse error in line : %" PRId64, current_line);
  return 1;
}

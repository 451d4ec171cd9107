// The actions of the infix grammar: what each rule writes to output_stream when the parse
// engine reduces by it, and the report of a syntax error. Operand and comment texts come
// from the fragment queue; operator signs, "=", ";\n" and the braces are written here.
//
// A number fragment carries no trailing blank (a name fragment does), so two numbers
// written one right after the other would run together: "1" and "2" would read back as 12,
// and "-" and "-" as the start of a comment. One blank goes between them; every other
// output is left exactly as the rules write it.
#include "grammar_actions.h"

#include <cinttypes>
#include <cstdio>

#include "fragment_queue.h"
#include "infix_parse_tables.h"
#include "infix_scanner.h"
#include "output.h"
#include "parse_engine.h"

bool last_output_was_number = false;

void reset_grammar_actions() { last_output_was_number = false; }

template <size_t N>
static void write_text(const char (&text)[N]) {
  output_text(text, N - 1);
  last_output_was_number = false;
}

static void print_fragment() {
  if (print_next_fragment() == 0) last_output_was_number = false;
}

static void print_number() {
  if (fragment_head == nullptr) return;  // nothing queued: nothing is written
  if (last_output_was_number) output_char(' ');
  print_next_fragment();
  last_output_was_number = true;
}

void grammar_action(int rule) {
  switch (static_cast<GrammarAction>(rule_action[rule])) {
    case action_none:
      break;
    case action_print_fragment:
      print_fragment();
      break;
    case action_print_number:
      print_number();
      break;
    case action_write_assign:
      write_text("=");
      break;
    case action_write_statement_end:
      write_text(";\n");
      break;
    case action_write_open_brace:
      write_text("{\n");
      break;
    case action_write_close_brace:
      write_text("}\n");
      break;
    case action_write_or:
      write_text("|");
      break;
    case action_write_and:
      write_text("&");
      break;
    case action_write_not:
      write_text("!");
      break;
  }
}

// Both failures the engine reports, a syntax error and an exhausted stack, give the same
// message: the line in which the parse stopped.
int report_syntax_error([[maybe_unused]] const char *message) {
  fprintf(stderr, "Parse error in line : %" PRId64, current_line);
  return 1;
}

// The actions of the infix grammar: what each rule writes to output_stream when the parse
// engine reduces by it. Operand and comment texts come from the fragment queue; operator
// signs, "=", ";\n" and the braces are written here. They are inline, since the parse loop
// runs one or two of them for every token: a call would make the loop keep its state on the
// stack around it.
//
// A number fragment carries no trailing blank (a name fragment does), so two numbers
// written one right after the other would run together: "1" and "2" would read back as 12,
// and "-" and "-" as the start of a comment. One blank goes between them; every other
// output is left exactly as the rules write it.
#ifndef POSTWRIGHT_GRAMMAR_ACTIONS_H
#define POSTWRIGHT_GRAMMAR_ACTIONS_H

#include <array>
#include <cstdint>

#include "fragment_queue.h"
#include "infix_parse_tables.h"
#include "output.h"

extern bool last_output_was_number;  // the last item written was an INT_EXPR fragment

// Forgets the last item written; for tests that run several inputs in one process.
void grammar_actions_reset();

// Reports a syntax error: the line in which the parse stopped. The message is "parse error"
// or "parser stack overflow"; both give the same report.
int report_syntax_error(const char *message);

namespace grammar_output {

enum class Writes : uint8_t { nothing, text, fragment, number };

// What an action writes: a fixed text, the next fragment, the next fragment as a number, or
// nothing. A table rather than a switch: most actions write a sign, and a test on what kind
// of output comes next is cheaper to foresee than a jump to one of ten cases.
struct ActionOutput {
  Writes writes;          // which of the four
  uint8_t length;         // bytes of text
  char text[SHORT_TEXT];  // for Writes::text, padded so that it is copied in one move
};

constexpr size_t ACTION_COUNT = action_print_number + 1;  // the last enumerator

constexpr ActionOutput text_output(const char *text) {
  ActionOutput output{Writes::text, 0, {}};
  while (text[output.length] != '\0') {
    output.text[output.length] = text[output.length];
    output.length++;
  }
  return output;
}

// What each GrammarAction writes; action_none writes nothing.
constexpr std::array<ActionOutput, ACTION_COUNT> action_outputs() {
  std::array<ActionOutput, ACTION_COUNT> outputs{};
  outputs[action_print_fragment].writes = Writes::fragment;
  outputs[action_print_number].writes = Writes::number;
  outputs[action_write_assign] = text_output("=");
  outputs[action_write_statement_end] = text_output(";\n");
  outputs[action_write_open_brace] = text_output("{\n");
  outputs[action_write_close_brace] = text_output("}\n");
  outputs[action_write_or] = text_output("|");
  outputs[action_write_and] = text_output("&");
  outputs[action_write_not] = text_output("!");
  return outputs;
}
inline constexpr std::array<ActionOutput, ACTION_COUNT> ACTION_OUTPUTS = action_outputs();

void print_number();  // the next fragment, kept apart from a number written just before

}  // namespace grammar_output

// Prints the next fragment, a name or a comment line: action_print_fragment.
inline void print_fragment() {
  if (print_next_fragment() == 0) last_output_was_number = false;
}

// Runs the grammar action `action` (a GrammarAction other than action_none), during the
// reduction by a rule that has it (rule_action).
inline void run_grammar_action(int action) {
  using namespace grammar_output;
  const ActionOutput &output = ACTION_OUTPUTS[action];
  if (output.writes == Writes::text) {
    output_padded_text(output.text, output.length);
    last_output_was_number = false;
  } else if (output.writes == Writes::fragment) {
    print_fragment();
  } else if (output.writes == Writes::number) {
    print_number();
  }
}

#endif

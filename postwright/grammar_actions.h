// The grammar actions at work: at each reduction by a rule that names one, the parse engine
// runs it, and it writes to output_stream what the grammar file says: a fixed text (an
// operator's sign, "=", ";\n", a brace), the next fragment of the queue, or the next fragment
// as a number. They are inline, since the parse loop runs one or two of them for every token:
// a call would make the loop keep its state on the stack around it.
//
// A number fragment carries no trailing blank (a name fragment does), so two numbers
// written one right after the other would run together: "1" and "2" would read back as 12,
// and "-" and "-" as the start of a comment. One blank goes between them; every other
// output is left exactly as the rules write it.
#ifndef POSTWRIGHT_GRAMMAR_ACTIONS_H
#define POSTWRIGHT_GRAMMAR_ACTIONS_H

#include <cstdint>

#include "fragment_queue.h"
#include "infix_parse_tables.h"
#include "output.h"

extern bool last_output_was_number;  // the last item written was an INT_EXPR fragment

// Forgets the last item written; for tests that run several inputs in one process.
void grammar_actions_reset();

// Reports a syntax error: the line in which the parse stopped, whether the message is "parse
// error" or "parser stack overflow"; or, when the driver has set located_syntax_error (the
// gnu and json formats, syntax_message.cc), what that reports.
int report_syntax_error(const char *message);
extern int (*located_syntax_error)(const char *message);
int report_located_syntax_error(const char *message);

// Where a check resumes after a syntax error (syntax_error.cc): behind the token that ends the
// statement in error, or at one that starts the next.
enum class StatementBoundary { none, ends, starts };
StatementBoundary statement_boundary(int code);

// What each action writes comes from the grammar file, as the table ACTION_OUTPUTS of the
// generated header: a table rather than a switch, since most actions write a sign, and a test
// on what kind of output comes next is cheaper to foresee than a jump to one of ten cases.
static_assert(static_cast<size_t>(ACTION_TEXT_SIZE) >= SHORT_TEXT, "an action's text is copied in one move");

void print_number();  // the next fragment, kept apart from a number written just before

// Prints the next fragment, a name or a comment line: action_print_fragment.
inline void print_fragment() {
  if (print_next_fragment() == 0) last_output_was_number = false;
}

// Runs the grammar action `action` (a GrammarAction other than action_none), during the
// reduction by a rule that has it (rule_action).
inline void run_grammar_action(int action) {
  const ActionOutput &output = ACTION_OUTPUTS[action];
  if (output.writes == ActionWrites::text) {
    output_padded_text(output.text, output.length);
    last_output_was_number = false;
  } else if (output.writes == ActionWrites::fragment) {
    print_fragment();
  } else if (output.writes == ActionWrites::number) {
    print_number();
  }
}

#endif

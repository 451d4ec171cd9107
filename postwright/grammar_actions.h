// The grammar actions' own state (grammar_action and report_syntax_error are declared in
// parse_engine.h): whether the last item written was a number fragment, so that two number
// operands in a row are kept apart by one blank.
#ifndef POSTWRIGHT_GRAMMAR_ACTIONS_H
#define POSTWRIGHT_GRAMMAR_ACTIONS_H

extern bool last_output_was_number;  // the last item written was an INT_EXPR fragment

// Forgets the last item written; for tests that run several inputs in one process.
void reset_grammar_actions();

#endif

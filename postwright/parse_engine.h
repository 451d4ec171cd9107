// The table-driven LALR(1) parse engine: parse_input pulls tokens from the scanner and runs
// each rule's grammar action at its reduction.
#ifndef POSTWRIGHT_PARSE_ENGINE_H
#define POSTWRIGHT_PARSE_ENGINE_H

#include <cstdint>

constexpr int NO_LOOKAHEAD = -2;  // lookahead value when no token is held
constexpr int PARSE_STACK_INITIAL = 200;
constexpr int PARSE_STACK_MAX = 10000;

enum ParseResult { parse_accepted = 0, parse_syntax_error = 1, parse_stack_exhausted = 2 };

extern int lookahead;  // code of the current lookahead token; NO_LOOKAHEAD; 0 = end of input

// Parses the whole input. In a check (error_reporting.check) a syntax error does not end the
// parse: after its report the parser skips to the end of the statement in error, its ";" or
// a brace or a comment line, and starts afresh there; the result is parse_syntax_error if
// any statement was in error.
int parse_input();

// At a syntax error, while it is reported: sets expected[s] for each terminal s that the
// parser would have taken in place of the lookahead. Worked out from the packed tables by
// running the automaton, on a copy of the stack, as far as each terminal's shift.
void expected_terminals(bool expected[]);

// Null when the tables expanded at the first parse (a dense action and goto table, every
// shift's chain and the folded reductions) do what the packed tables do; else what is wrong.
// The sanitizer build checks it once, at the first parse; the tests call it.
const char *expanded_tables_fault();

// What rule `rule`'s step pops, as the expansion set it: for the tests that show the proof at
// work on a wrong fold, which they put back after.
int16_t *rule_step_length(int rule);

// Releases the stack storage of a parse that never returned (the process was ended from inside
// it) and forgets the lookahead: for tests and fuzzers that run several inputs in one process.
// The tables expanded at the first parse stay; they never change.
void parse_engine_reset();

#endif

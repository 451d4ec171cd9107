// The table-driven LALR(1) parse engine: parse_input pulls tokens from the scanner and runs
// each rule's grammar action at its reduction.
#ifndef POSTWRIGHT_PARSE_ENGINE_H
#define POSTWRIGHT_PARSE_ENGINE_H

constexpr int NO_LOOKAHEAD = -2;  // lookahead value when no token is held
constexpr int PARSE_STACK_INITIAL = 200;
constexpr int PARSE_STACK_MAX = 10000;

enum ParseResult { parse_accepted = 0, parse_syntax_error = 1, parse_stack_exhausted = 2 };

extern int lookahead;  // code of the current lookahead token; NO_LOOKAHEAD; 0 = end of input

int parse_input();

// Null when the tables expanded at the first parse (a dense action and goto table, every
// shift's chain and the folded reductions) do what the packed tables do; else what is wrong.
// The sanitizer build checks it once, at the first parse; the tests call it.
const char *expanded_tables_fault();

// Releases the stack storage of a parse that never returned (the process was ended from inside
// it) and forgets the lookahead: for tests and fuzzers that run several inputs in one process.
// The tables expanded at the first parse stay; they never change.
void parse_engine_reset();

#endif

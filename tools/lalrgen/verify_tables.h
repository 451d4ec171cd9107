// Proof that a set of packed parse tables drives the parse engine exactly as the unpacked
// action and goto functions of the construction say. Run by the generator before it writes
// anything, and by the unit tests over the tables the build generated.
#ifndef LALRGEN_VERIFY_TABLES_H
#define LALRGEN_VERIFY_TABLES_H

#include <string>

#include "parse_tables.h"

extern std::string verify_failure;  // the first disagreement found; empty when none

// Returns 0 when `view` agrees with `grammar`, `automaton` and `actions`, else -1.
int verify_parse_tables(const ParseTablesView &view);

#endif

// Proof that a set of packed parse tables drives the parse engine exactly as the unpacked
// action and goto functions of the construction say. Entry point: verify_parse_tables(), run
// by the generator before it writes anything, and by the unit tests over the tables the
// build generated.
#ifndef LALRGEN_VERIFY_TABLES_H
#define LALRGEN_VERIFY_TABLES_H

#include "conflict_resolution.h"
#include "grammar_file.h"
#include "lr0_automaton.h"
#include "parse_tables.h"

// 0 when `view` agrees with the grammar, the automaton and the action function; -1 with the
// first disagreement reported otherwise.
int verify_parse_tables(const ParseTablesView &view, const Grammar &grammar, const Automaton &automaton,
                        const ActionTable &actions);

#endif

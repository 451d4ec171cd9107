// The LALR(1) action function: for every state, the action on each terminal, with the
// shift/reduce conflicts settled by the precedence levels. Entry point: resolve_conflicts(),
// from the grammar, its LR(0) automaton and the lookaheads; action_of() reads the function.
#ifndef LALRGEN_CONFLICT_RESOLUTION_H
#define LALRGEN_CONFLICT_RESOLUTION_H

#include <vector>

#include "grammar_file.h"
#include "lalr_lookaheads.h"
#include "lr0_automaton.h"

// Encoding of one action, as in the packed tables: a positive number shifts into that state,
// a negative number reduces by the rule of that magnitude, ACTION_ERROR is an explicit
// syntax error (a nonassoc operator met at its own level).
constexpr int ACTION_ERROR = -32768;

struct ActionEntry {
  int symbol;  // terminal
  int action;  // as encoded above
};

struct ActionTable {
  std::vector<std::vector<ActionEntry>> rows;  // state -> its actions, ascending by symbol
  int resolved;                                // shift/reduce conflicts settled by precedence
  int unresolved;                              // conflicts left open, each one reported
};

ActionTable resolve_conflicts(const Grammar &grammar, const Automaton &automaton, const Lookaheads &lookaheads);

// The action of `state` on `terminal`, or 0 when the state has none there.
int action_of(const ActionTable &actions, int state, int terminal);

#endif

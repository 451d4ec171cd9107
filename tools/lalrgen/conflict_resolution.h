// The LALR(1) action function: for every state, the action on each terminal, with the
// shift/reduce conflicts settled by the precedence levels. resolve_conflicts fills the one
// process-wide instance from `grammar`, `automaton` and `lookaheads`.
#ifndef LALRGEN_CONFLICT_RESOLUTION_H
#define LALRGEN_CONFLICT_RESOLUTION_H

#include <string>
#include <vector>

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
  std::vector<std::string> unresolved;         // one message per conflict left open
};

extern ActionTable actions;  // the action function of the automaton

void resolve_conflicts();

// The action of `state` on `terminal`, or 0 when the state has none there.
int action_of(int state, int terminal);

#endif

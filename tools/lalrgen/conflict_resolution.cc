// Conflict resolution by precedence and associativity (Aho, Johnson, Ullman, "Deterministic
// Parsing of Ambiguous Grammars", CACM 18(8), 1975; Aho, Lam, Sethi, Ullman, "Compilers",
// 2nd ed., 4.8.1-4.8.2). A shift/reduce conflict between a terminal and a rule, both with a
// precedence level, goes to the higher level; at equal levels the terminal's associativity
// decides: left reduces, right shifts, nonassoc makes the pair a syntax error. A prefix
// operator can never meet itself in a well-formed grammar, so such a conflict is reported.
// Every conflict that nothing settles, and every reduce/reduce conflict, is reported; the
// generator writes no tables then.
#include "conflict_resolution.h"

#include "diagnostics.h"

namespace {

struct Resolver {
  const Grammar &grammar;        // symbols with their precedence, rules with theirs
  const Automaton &automaton;    // the shifts and the completed rules of every state
  const Lookaheads &lookaheads;  // when each completed rule applies
  ActionTable actions;           // the rows settled so far
};

int report_shift_reduce(Resolver *r, int state, int terminal, int rule) {
  r->actions.unresolved++;
  return report_at(r->grammar.file_name.c_str(), 0,
                   "state %d: shifting %s or reducing by rule %d (line %d): no precedence decides", state,
                   r->grammar.symbols[terminal].name.c_str(), rule, r->grammar.rules[rule].line);
}

int report_reduce_reduce(Resolver *r, int state, int terminal, int first_rule, int second_rule) {
  r->actions.unresolved++;
  const Grammar &g = r->grammar;
  return report_at(g.file_name.c_str(), 0, "state %d: on %s reducing by rule %d (line %d) or by rule %d (line %d)",
                   state, g.symbols[terminal].name.c_str(), first_rule, g.rules[first_rule].line, second_rule,
                   g.rules[second_rule].line);
}

// Settles shifting `terminal` against reducing by `rule` in `state`; returns the action.
int settle_shift_reduce(Resolver *r, int state, int terminal, int shift_target, int rule) {
  const Symbol &token = r->grammar.symbols[terminal];
  int rule_level = r->grammar.rules[rule].precedence;
  bool decided = token.precedence != 0 && rule_level != 0 &&
                 (token.precedence != rule_level || token.associativity != assoc_prefix);
  if (!decided) {
    report_shift_reduce(r, state, terminal, rule);
    return shift_target;
  }
  r->actions.resolved++;
  if (token.precedence > rule_level) return shift_target;
  if (token.precedence < rule_level) return -rule;
  if (token.associativity == assoc_left) return -rule;
  if (token.associativity == assoc_right) return shift_target;
  return ACTION_ERROR;
}

// The rule `state` reduces by on terminal `t`, 0 for none; a second one is reported.
int reduction_on(Resolver *r, int state, int t) {
  const std::vector<int> &reductions = r->automaton.states[state].reductions;
  int reduce_rule = 0;
  for (int nth = 0; nth < static_cast<int>(reductions.size()); nth++) {
    if (!lookahead_contains(r->lookaheads, state, nth, t)) continue;
    if (reduce_rule == 0) {
      reduce_rule = reductions[nth];
    } else {
      report_reduce_reduce(r, state, t, reduce_rule, reductions[nth]);
    }
  }
  return reduce_rule;
}

std::vector<ActionEntry> state_actions(Resolver *r, int state) {
  std::vector<ActionEntry> row;
  for (int t = 0; t < r->grammar.token_count; t++) {
    int shift_target = successor_of(r->automaton, state, t);
    int reduce_rule = reduction_on(r, state, t);
    int action = 0;
    if (shift_target >= 0 && reduce_rule != 0) {
      action = settle_shift_reduce(r, state, t, shift_target, reduce_rule);
    } else if (shift_target >= 0) {
      action = shift_target;
    } else if (reduce_rule != 0) {
      action = -reduce_rule;
    }
    if (action != 0) row.push_back(ActionEntry{t, action});
  }
  return row;
}

}  // namespace

ActionTable resolve_conflicts(const Grammar &grammar, const Automaton &automaton, const Lookaheads &lookaheads) {
  Resolver r{grammar, automaton, lookaheads, ActionTable{}};
  for (int s = 0; s < static_cast<int>(automaton.states.size()); s++) r.actions.rows.push_back(state_actions(&r, s));
  return r.actions;
}

int action_of(const ActionTable &actions, int state, int terminal) {
  for (const ActionEntry &entry : actions.rows[state]) {
    if (entry.symbol == terminal) return entry.action;
  }
  return 0;
}

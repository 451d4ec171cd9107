// Conflict resolution by precedence and associativity (Aho, Johnson, Ullman, "Deterministic
// Parsing of Ambiguous Grammars", CACM 18(8), 1975; Aho, Lam, Sethi, Ullman, "Compilers",
// 2nd ed., 4.8.1-4.8.2). A shift/reduce conflict between a terminal and a rule, both with a
// precedence level, goes to the higher level; at equal levels the terminal's associativity
// decides: left reduces, right shifts, nonassoc makes the pair a syntax error. A prefix
// operator can never meet itself in a well-formed grammar, so such a conflict is reported.
// Every conflict that nothing settles, and every reduce/reduce conflict, is reported; the
// generator writes no tables then.
#include "conflict_resolution.h"

#include <cstdio>

#include "grammar_file.h"
#include "lalr_lookaheads.h"
#include "lr0_automaton.h"

ActionTable actions;

static void report_shift_reduce(int state, int terminal, int rule) {
  char message[512];
  snprintf(message, sizeof message, "state %d: shifting %s or reducing by rule %d (line %d): no precedence decides",
           state, grammar.symbols[terminal].name.c_str(), rule, grammar.rules[rule].line);
  actions.unresolved.push_back(message);
}

static void report_reduce_reduce(int state, int terminal, int first_rule, int second_rule) {
  char message[512];
  snprintf(message, sizeof message, "state %d: on %s reducing by rule %d (line %d) or by rule %d (line %d)", state,
           grammar.symbols[terminal].name.c_str(), first_rule, grammar.rules[first_rule].line, second_rule,
           grammar.rules[second_rule].line);
  actions.unresolved.push_back(message);
}

// Settles shifting `terminal` against reducing by `rule` in `state`; returns the action.
static int settle_shift_reduce(int state, int terminal, int shift_target, int rule) {
  const Symbol &token = grammar.symbols[terminal];
  int rule_level = grammar.rules[rule].precedence;
  bool decided = token.precedence != 0 && rule_level != 0 &&
                 (token.precedence != rule_level || token.associativity != assoc_prefix);
  if (!decided) {
    report_shift_reduce(state, terminal, rule);
    return shift_target;
  }
  actions.resolved++;
  if (token.precedence > rule_level) return shift_target;
  if (token.precedence < rule_level) return -rule;
  if (token.associativity == assoc_left) return -rule;
  if (token.associativity == assoc_right) return shift_target;
  return ACTION_ERROR;
}

static std::vector<ActionEntry> state_actions(int state) {
  const LrState &lr = automaton.states[state];
  std::vector<ActionEntry> row;
  for (int t = 0; t < grammar.token_count; t++) {
    int shift_target = successor_of(state, t);
    int reduce_rule = 0;
    for (size_t nth = 0; nth < lr.reductions.size(); nth++) {
      if (!lookahead_contains(state, static_cast<int>(nth), t)) continue;
      if (reduce_rule == 0) {
        reduce_rule = lr.reductions[nth];
      } else {
        report_reduce_reduce(state, t, reduce_rule, lr.reductions[nth]);
      }
    }
    int action = 0;
    if (shift_target >= 0 && reduce_rule != 0) {
      action = settle_shift_reduce(state, t, shift_target, reduce_rule);
    } else if (shift_target >= 0) {
      action = shift_target;
    } else if (reduce_rule != 0) {
      action = -reduce_rule;
    }
    if (action != 0) row.push_back(ActionEntry{t, action});
  }
  return row;
}

void resolve_conflicts() {
  actions = ActionTable{};
  for (int s = 0; s < static_cast<int>(automaton.states.size()); s++) actions.rows.push_back(state_actions(s));
}

int action_of(int state, int terminal) {
  for (const ActionEntry &entry : actions.rows[state]) {
    if (entry.symbol == terminal) return entry.action;
  }
  return 0;
}

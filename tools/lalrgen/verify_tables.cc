// Verification of packed parse tables. Every lookup goes the way the parse engine goes
// (base, displacement, check, default), for every state and terminal and for every goto of
// the automaton, and the answer is compared with the unpacked function:
//
//   - an action the unpacked function lists must come back unchanged;
//   - where it lists none, the tables may give a syntax error or the state's default
//     reduction (that widening is what default reductions are), and nothing else;
//   - a default reduction must be a reduction the state really makes, and a state that
//     reads no token must have that reduction as its only action.
//
// So the engine, trusting the tables without a bounds test beyond the one on the packed
// index, makes the same moves as a parser that reads the unpacked functions, apart from
// reducing by the default before an erroneous token is noticed.
#include "verify_tables.h"

#include "diagnostics.h"
#include "parse_row_packing.h"

namespace {

// What the tables are checked against: the construction they were packed from.
struct Construction {
  const Grammar &grammar;      // symbols, rules and token codes
  const Automaton &automaton;  // states and their gotos
  const ActionTable &actions;  // the unpacked action function
};

// The heading of every disagreement; lalrgen's main names the program before it.
constexpr char DISAGREEMENT[] = "verification of the packed tables failed: ";

// The engine's token step in `state` for `symbol`, as an action encoded like ActionTable's
// (ACTION_ERROR for a syntax error). `from_default` tells whether the default answered.
int engine_action(const ParseTablesView &v, int state, int symbol, bool *from_default) {
  int n = v.state_base[state];
  *from_default = true;
  if (n != NO_ROW_BASE) {
    n += symbol;
    if (n >= 0 && n <= v.last_index && v.packed_check[n] == symbol) {
      *from_default = false;
      int a = v.packed_action[n];
      return a == 0 || a == ACTION_ERROR ? ACTION_ERROR : a;
    }
  }
  int rule = v.state_default[state];
  return rule == 0 ? ACTION_ERROR : -rule;
}

int engine_goto(const ParseTablesView &v, int state, int nonterminal) {
  int index = nonterminal - v.first_nonterminal;
  int n = v.goto_base[index] + state;
  if (n >= 0 && n <= v.last_index && v.packed_check[n] == state) return v.packed_action[n];
  return v.goto_default[index];
}

int verify_shape(const ParseTablesView &v, const Construction &c) {
  if (v.state_count != static_cast<int>(c.automaton.states.size()))
    return report_at(LALRGEN, 0, "%sstate count %d", DISAGREEMENT, v.state_count);
  if (v.final_state != c.automaton.final_state)
    return report_at(LALRGEN, 0, "%sfinal state %d", DISAGREEMENT, v.final_state);
  if (v.first_nonterminal != c.grammar.token_count)
    return report_at(LALRGEN, 0, "%sfirst nonterminal %d", DISAGREEMENT, v.first_nonterminal);
  if (v.end_symbol != c.grammar.end_symbol) return report_at(LALRGEN, 0, "%send symbol %d", DISAGREEMENT, v.end_symbol);
  if (v.nonterminal_count != nonterminal_count(c.grammar))
    return report_at(LALRGEN, 0, "%snonterminal count %d", DISAGREEMENT, v.nonterminal_count);
  if (v.rule_count != rule_count(c.grammar))
    return report_at(LALRGEN, 0, "%srule count %d", DISAGREEMENT, v.rule_count);
  if (v.max_code != c.grammar.max_code)
    return report_at(LALRGEN, 0, "%shighest token code %d", DISAGREEMENT, v.max_code);
  return 0;
}

int verify_translation_and_rules(const ParseTablesView &v, const Construction &c) {
  std::vector<int> expected(c.grammar.max_code + 1, c.grammar.undefined_symbol);
  for (int t = 0; t < c.grammar.token_count; t++) {
    if (c.grammar.symbols[t].code >= 0) expected[c.grammar.symbols[t].code] = t;
  }
  for (int code = 0; code <= c.grammar.max_code; code++) {
    if (v.token_to_symbol[code] != expected[code])
      return report_at(LALRGEN, 0, "%scode %d translates to %d", DISAGREEMENT, code, v.token_to_symbol[code]);
  }
  for (int r = 1; r <= rule_count(c.grammar); r++) {
    const GrammarRule &rule = c.grammar.rules[r];
    if (v.rule_lhs[r] != rule.lhs || v.rule_length[r] != static_cast<int>(rule.rhs.size()) ||
        v.rule_action[r] != rule.action) {
      return report_at(LALRGEN, 0, "%srule %d: left side, length or action differs", DISAGREEMENT, r);
    }
  }
  return 0;
}

// A default must be one of the state's own reductions; a state without a row must have no
// other action at all.
int verify_default(const ParseTablesView &v, const Construction &c, int state) {
  int rule = v.state_default[state];
  bool reduces_by_default = false;
  for (const ActionEntry &entry : c.actions.rows[state]) {
    if (entry.action == -rule) {
      reduces_by_default = true;
    } else if (v.state_base[state] == NO_ROW_BASE) {
      return report_at(LALRGEN, 0, "%sstate %d reads nothing but has an action on %s", DISAGREEMENT, state,
                       symbol_name(c.grammar, entry.symbol));
    }
  }
  if (rule != 0 && !reduces_by_default)
    return report_at(LALRGEN, 0, "%sstate %d defaults to rule %d, which it never reduces", DISAGREEMENT, state, rule);
  if (rule == 0 && v.state_base[state] == NO_ROW_BASE && !c.actions.rows[state].empty()) {
    return report_at(LALRGEN, 0, "%sstate %d has neither a row nor a default", DISAGREEMENT, state);
  }
  return 0;
}

int verify_state(const ParseTablesView &v, const Construction &c, int state) {
  if (verify_default(v, c, state) != 0) return -1;
  std::vector<int> wanted(c.grammar.token_count, 0);  // the unpacked row, dense
  for (const ActionEntry &entry : c.actions.rows[state]) wanted[entry.symbol] = entry.action;
  for (int t = 0; t < c.grammar.token_count; t++) {
    bool from_default = false;
    int got = engine_action(v, state, t, &from_default);
    int want = wanted[t];
    bool widened = want == 0 && from_default;  // the default's deliberate cover
    if (got != want && !(want == 0 && got == ACTION_ERROR) && !widened) {
      return report_at(LALRGEN, 0, "%sstate %d on %s: tables give %d, the automaton %d", DISAGREEMENT, state,
                       symbol_name(c.grammar, t), got, want);
    }
  }
  for (const Transition &t : c.automaton.states[state].transitions) {
    if (is_terminal(c.grammar, t.symbol)) continue;
    int got = engine_goto(v, state, t.symbol);
    if (got != t.target) {
      return report_at(LALRGEN, 0, "%sgoto from state %d on %s: tables give %d, the automaton %d", DISAGREEMENT, state,
                       symbol_name(c.grammar, t.symbol), got, t.target);
    }
  }
  return 0;
}

}  // namespace

int verify_parse_tables(const ParseTablesView &view, const Grammar &grammar, const Automaton &automaton,
                        const ActionTable &actions) {
  const Construction c{grammar, automaton, actions};
  if (verify_shape(view, c) != 0 || verify_translation_and_rules(view, c) != 0) return -1;
  for (int s = 0; s < view.state_count; s++) {
    if (verify_state(view, c, s) != 0) return -1;
  }
  return 0;
}

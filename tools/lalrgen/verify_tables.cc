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
// index, makes the same moves as the textbook parser, apart from reducing by the default
// before an erroneous token is noticed.
#include "verify_tables.h"

#include <cstdarg>
#include <cstdio>

#include "conflict_resolution.h"
#include "grammar_file.h"
#include "lr0_automaton.h"
#include "row_packing.h"

std::string verify_failure;

static int disagree(const char *format, ...) {
  char message[512];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format, args);
  va_end(args);
  verify_failure = message;
  return -1;
}

// The engine's token step in `state` for `symbol`, as an action encoded like ActionTable's
// (ACTION_ERROR for a syntax error). `from_default` tells whether the default answered.
static int engine_action(const ParseTablesView &v, int state, int symbol, bool *from_default) {
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

static int engine_goto(const ParseTablesView &v, int state, int nonterminal) {
  int index = nonterminal - v.first_nonterminal;
  int n = v.goto_base[index] + state;
  if (n >= 0 && n <= v.last_index && v.packed_check[n] == state) return v.packed_action[n];
  return v.goto_default[index];
}

static int verify_shape(const ParseTablesView &v) {
  if (v.state_count != static_cast<int>(automaton.states.size())) return disagree("state count %d", v.state_count);
  if (v.final_state != automaton.final_state) return disagree("final state %d", v.final_state);
  if (v.first_nonterminal != grammar.token_count) return disagree("first nonterminal %d", v.first_nonterminal);
  if (v.end_symbol != grammar.end_symbol) return disagree("end symbol %d", v.end_symbol);
  if (v.nonterminal_count != nonterminal_count()) return disagree("nonterminal count %d", v.nonterminal_count);
  if (v.rule_count != rule_count()) return disagree("rule count %d", v.rule_count);
  if (v.max_code != grammar.max_code) return disagree("highest token code %d", v.max_code);
  return 0;
}

static int verify_translation_and_rules(const ParseTablesView &v) {
  std::vector<int> expected(grammar.max_code + 1, grammar.undefined_symbol);
  for (int t = 0; t < grammar.token_count; t++) {
    if (grammar.symbols[t].code >= 0) expected[grammar.symbols[t].code] = t;
  }
  for (int code = 0; code <= grammar.max_code; code++) {
    if (v.token_to_symbol[code] != expected[code])
      return disagree("code %d translates to %d", code, v.token_to_symbol[code]);
  }
  for (int r = 1; r <= rule_count(); r++) {
    const Rule &rule = grammar.rules[r];
    if (v.rule_lhs[r] != rule.lhs || v.rule_length[r] != static_cast<int>(rule.rhs.size()) ||
        v.rule_action[r] != rule.action) {
      return disagree("rule %d: left side, length or action differs", r);
    }
  }
  return 0;
}

// A default must be one of the state's own reductions; a state without a row must have no
// other action at all.
static int verify_default(const ParseTablesView &v, int state) {
  int rule = v.state_default[state];
  bool reduces_by_default = false;
  for (const ActionEntry &entry : actions.rows[state]) {
    if (entry.action == -rule) {
      reduces_by_default = true;
    } else if (v.state_base[state] == NO_ROW_BASE) {
      return disagree("state %d reads nothing but has an action on %s", state, symbol_name(entry.symbol));
    }
  }
  if (rule != 0 && !reduces_by_default)
    return disagree("state %d defaults to rule %d, which it never reduces", state, rule);
  if (rule == 0 && v.state_base[state] == NO_ROW_BASE && !actions.rows[state].empty()) {
    return disagree("state %d has neither a row nor a default", state);
  }
  return 0;
}

static int verify_state(const ParseTablesView &v, int state) {
  if (verify_default(v, state) != 0) return -1;
  std::vector<int> wanted(grammar.token_count, 0);  // the unpacked row, dense
  for (const ActionEntry &entry : actions.rows[state]) wanted[entry.symbol] = entry.action;
  for (int t = 0; t < grammar.token_count; t++) {
    bool from_default = false;
    int got = engine_action(v, state, t, &from_default);
    int want = wanted[t];
    bool widened = want == 0 && from_default;  // the default's deliberate cover
    if (got != want && !(want == 0 && got == ACTION_ERROR) && !widened) {
      return disagree("state %d on %s: tables give %d, the automaton %d", state, symbol_name(t), got, want);
    }
  }
  for (const Transition &t : automaton.states[state].transitions) {
    if (is_terminal(t.symbol)) continue;
    int got = engine_goto(v, state, t.symbol);
    if (got != t.target) {
      return disagree("goto from state %d on %s: tables give %d, the automaton %d", state, symbol_name(t.symbol), got,
                      t.target);
    }
  }
  return 0;
}

int verify_parse_tables(const ParseTablesView &view) {
  verify_failure.clear();
  if (verify_shape(view) != 0 || verify_translation_and_rules(view) != 0) return -1;
  for (int s = 0; s < view.state_count; s++) {
    if (verify_state(view, s) != 0) return -1;
  }
  return 0;
}

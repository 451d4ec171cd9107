// Default reductions and default gotos (Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed.,
// 4.7.6, "Compaction of LR Parsing Tables"). In a state that reduces at all, the reduction
// listed for the most terminals becomes the default and also covers every terminal that had
// no action: an erroneous token is then caught in a later state, before it is shifted, so
// the parser still stops on the same token. A state whose only action is that reduction
// needs no lookahead at all, and the parse engine takes it without reading a token, which
// is what lets a grammar action run the moment its rule is complete. The goto on a
// nonterminal likewise defaults to its most frequent target. Ties go to the lowest rule or
// state number, so the tables do not depend on the order of any container.
#include "default_reductions.h"

#include <map>

namespace {

// The most frequent value among `values`, smallest on a tie; 0 when there is none.
int most_frequent(const std::vector<int> &values) {
  std::map<int, int> counts;
  for (int value : values) counts[value]++;
  int best = 0;
  int best_count = 0;
  for (const auto &[value, count] : counts) {
    if (count > best_count) {
      best = value;
      best_count = count;
    }
  }
  return best;
}

void choose_state_default(DefaultedTables *d, const std::vector<ActionEntry> &row) {
  std::vector<int> rules;
  for (const ActionEntry &entry : row) {
    if (entry.action < 0 && entry.action != ACTION_ERROR) rules.push_back(-entry.action);
  }
  int rule = most_frequent(rules);
  SparseRow explicit_row;
  for (const ActionEntry &entry : row) {
    if (rule != 0 && entry.action == -rule) continue;
    explicit_row.keys.push_back(entry.symbol);
    explicit_row.values.push_back(entry.action);
  }
  bool silent = rule != 0 && explicit_row.keys.empty();
  d->state_default.push_back(rule);
  d->reads_nothing.push_back(silent ? 1 : 0);
  d->state_rows.push_back(explicit_row);
  if (rule != 0) d->default_reductions++;
  if (silent) d->states_reading_nothing++;
}

void choose_goto_defaults(DefaultedTables *d, const Grammar &grammar, const Automaton &automaton) {
  std::vector<SparseRow> all(nonterminal_count(grammar));
  for (int s = 0; s < static_cast<int>(automaton.states.size()); s++) {
    for (const Transition &t : automaton.states[s].transitions) {
      if (is_terminal(grammar, t.symbol)) continue;
      all[t.symbol - grammar.token_count].keys.push_back(s);
      all[t.symbol - grammar.token_count].values.push_back(t.target);
    }
  }
  for (const SparseRow &row : all) {
    int target = most_frequent(row.values);
    SparseRow explicit_row;
    for (size_t i = 0; i < row.keys.size(); i++) {
      if (row.values[i] == target) continue;
      explicit_row.keys.push_back(row.keys[i]);
      explicit_row.values.push_back(row.values[i]);
    }
    d->goto_default.push_back(target);
    d->goto_rows.push_back(explicit_row);
  }
}

}  // namespace

DefaultedTables choose_defaults(const Grammar &grammar, const Automaton &automaton, const ActionTable &actions) {
  DefaultedTables d{};
  for (const std::vector<ActionEntry> &row : actions.rows) choose_state_default(&d, row);
  choose_goto_defaults(&d, grammar, automaton);
  return d;
}

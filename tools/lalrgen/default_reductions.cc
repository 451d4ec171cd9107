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

#include "conflict_resolution.h"
#include "grammar_file.h"
#include "lr0_automaton.h"

DefaultedTables defaults;

// The most frequent value among `values`, smallest on a tie; 0 when there is none.
static int most_frequent(const std::vector<int> &values) {
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

static void choose_state_default(int state) {
  const std::vector<ActionEntry> &row = actions.rows[state];
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
  defaults.state_default.push_back(rule);
  defaults.reads_nothing.push_back(silent ? 1 : 0);
  defaults.state_rows.push_back(explicit_row);
  if (rule != 0) defaults.default_reductions++;
  if (silent) defaults.states_reading_nothing++;
}

static void choose_goto_defaults() {
  int count = nonterminal_count();
  std::vector<SparseRow> all(count);
  for (int s = 0; s < static_cast<int>(automaton.states.size()); s++) {
    for (const Transition &t : automaton.states[s].transitions) {
      if (is_terminal(t.symbol)) continue;
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
    defaults.goto_default.push_back(target);
    defaults.goto_rows.push_back(explicit_row);
  }
}

void choose_defaults() {
  defaults = DefaultedTables{};
  for (int s = 0; s < static_cast<int>(automaton.states.size()); s++) choose_state_default(s);
  choose_goto_defaults();
}

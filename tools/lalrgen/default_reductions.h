// Defaults of the parse tables: the reduction a state makes on every terminal it has no
// entry for, and the target each nonterminal's goto takes when no entry is listed; what is
// left over are the explicit rows that row_packing.cc packs. choose_defaults fills the one
// process-wide instance from `actions` and `automaton`.
#ifndef LALRGEN_DEFAULT_REDUCTIONS_H
#define LALRGEN_DEFAULT_REDUCTIONS_H

#include <vector>

struct SparseRow {
  std::vector<int> keys;    // ascending: terminals (token rows) or states (goto rows)
  std::vector<int> values;  // action (token rows, encoded as in ActionTable) or target state
  bool operator<(const SparseRow &other) const {
    return keys != other.keys ? keys < other.keys : values < other.values;
  }
};

struct DefaultedTables {
  std::vector<int> state_default;     // state -> rule reduced when no entry matches; 0 = error
  std::vector<char> reads_nothing;    // state -> 1 when its one action is that reduction
  std::vector<SparseRow> state_rows;  // state -> explicit token actions beside the default
  std::vector<int> goto_default;      // nonterminal index -> most frequent goto target
  std::vector<SparseRow> goto_rows;   // nonterminal index -> (state, target) pairs beside it
  int default_reductions;             // states with a default reduction
  int states_reading_nothing;         // of those, the ones that never read a token
};

extern DefaultedTables defaults;  // the tables before packing

void choose_defaults();

#endif

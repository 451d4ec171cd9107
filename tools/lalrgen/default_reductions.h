// Defaults of the parse tables: the reduction a state makes on every terminal it has no
// entry for, and the target each nonterminal's goto takes when no entry is listed; what is
// left over are the explicit rows that parse_row_packing.cc packs. Entry point: choose_defaults(),
// from the action function and the LR(0) automaton.
#ifndef LALRGEN_DEFAULT_REDUCTIONS_H
#define LALRGEN_DEFAULT_REDUCTIONS_H

#include <vector>

#include "conflict_resolution.h"
#include "grammar_file.h"
#include "lr0_automaton.h"
#include "row_displacement.h"

// The rows hold keys ascending: terminals (token rows, values encoded as in ActionTable) or
// states (goto rows, values the target states).
struct DefaultedTables {
  std::vector<int> state_default;     // state -> rule reduced when no entry matches; 0 = error
  std::vector<char> reads_nothing;    // state -> 1 when its one action is that reduction
  std::vector<SparseRow> state_rows;  // state -> explicit token actions beside the default
  std::vector<int> goto_default;      // nonterminal index -> most frequent goto target
  std::vector<SparseRow> goto_rows;   // nonterminal index -> (state, target) pairs beside it
  int default_reductions;             // states with a default reduction
  int states_reading_nothing;         // of those, the ones that never read a token
};

DefaultedTables choose_defaults(const Grammar &grammar, const Automaton &automaton, const ActionTable &actions);

#endif

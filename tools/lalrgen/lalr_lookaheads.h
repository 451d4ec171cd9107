// LALR(1) lookahead sets: for every reduction of every LR(0) state, the terminals on which
// it applies. Entry point: compute_lalr_lookaheads(), from a grammar and its LR(0)
// automaton; lookahead_contains() reads the sets.
#ifndef LALRGEN_LALR_LOOKAHEADS_H
#define LALRGEN_LALR_LOOKAHEADS_H

#include <cstdint>
#include <vector>

#include "grammar_file.h"
#include "lr0_automaton.h"

struct Lookaheads {
  int words;                         // 64-bit words in one terminal set
  std::vector<int> first_reduction;  // state -> index of its first reduction; one extra entry
  std::vector<uint64_t> sets;        // reduction index * words: its lookahead terminals
  std::vector<char> nullable;        // nonterminal index -> 1 when it derives the empty string
  int nonterminal_transitions;       // gotos of the LR(0) automaton, for the statistics
};

Lookaheads compute_lalr_lookaheads(const Grammar &grammar, const Automaton &automaton);

// The Digraph algorithm: each set (`words` 64-bit words, node x at x * words) becomes the
// union of its own and those of every node reachable from it along `edges`.
void digraph(const std::vector<std::vector<int>> &edges, std::vector<uint64_t> &sets, int words);

// Whether `terminal` is in the lookahead set of the `nth` reduction of `state`.
bool lookahead_contains(const Lookaheads &lookaheads, int state, int nth, int terminal);

#endif

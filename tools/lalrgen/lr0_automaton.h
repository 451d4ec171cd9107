// The LR(0) automaton of the augmented grammar: item sets, their transitions and the rules
// each set completes. Entry point: build_lr0_automaton(), from a grammar; successor_of()
// reads a built automaton.
#ifndef LALRGEN_LR0_AUTOMATON_H
#define LALRGEN_LR0_AUTOMATON_H

#include <vector>

#include "grammar_file.h"

struct Transition {
  int symbol;  // terminal (a shift) or nonterminal (a goto)
  int target;  // state entered
};

struct LrState {
  std::vector<int> kernel;              // items (numbered as in Automaton), ascending
  int accessing_symbol;                 // symbol on which the state is entered; -1 for state 0
  std::vector<Transition> transitions;  // ascending by symbol
  std::vector<int> reductions;          // rules completed here, ascending; never rule 0
};

struct Automaton {
  std::vector<LrState> states;       // state 0 is the start state; the final state is last
  std::vector<int> item_rule;        // item -> its rule
  std::vector<int> item_dot;         // item -> position of the dot in the rule's right side
  std::vector<int> rule_first_item;  // rule -> its item with the dot at the start
  std::vector<int> successor;        // state * symbol_slots + symbol -> target; -1 = none
  int symbol_slots;                  // symbols including the accept symbol
  int accept_state;                  // the state in which rule 0 is complete
  int final_state;                   // entered only by the accept step; has no items
};

// The canonical LR(0) collection, states numbered in the order they are first reached
// (breadth first, transitions in symbol order), plus the final state.
Automaton build_lr0_automaton(const Grammar &grammar);

// The state `state` enters on `symbol`; -1 when it has no such transition.
inline int successor_of(const Automaton &a, int state, int symbol) {
  return a.successor[state * a.symbol_slots + symbol];
}

#endif

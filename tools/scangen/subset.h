// The deterministic automaton (DFA) over byte classes, uncompressed: one full row per state
// with the distinguished states in place. Entry point: build_dfa(), from `nfa` and
// `byte_classes`; dfa_target() reads a transition.
#ifndef SCANGEN_SUBSET_H
#define SCANGEN_SUBSET_H

#include <cstdint>
#include <vector>

constexpr int NO_DFA_STATE = 0;         // state 0 stands for no state
constexpr int STATE_LIMIT = INT16_MAX;  // states are 16-bit table entries

struct Dfa {
  int condition_count;                           // S; condition n starts in 2n + 1, its line-start twin is 2n + 2
  int class_count;                               // C; rows have C + 1 columns, column 0 the end-of-buffer symbol
  int rule_count;                                // R, the default rule included
  int end_of_buffer_state;                       // E = 2S + 1
  int jam_state;                                 // J, one above the last automaton state
  std::vector<int> next;                         // state 0..J, class 0..C -> target, row-major
  std::vector<int> accept;                       // state 0..J -> lowest rule it accepts, R + 1 for E, 0 if none
  std::vector<std::vector<int>> accepted_rules;  // state -> every rule it accepts, ascending
};

extern Dfa dfa;  // the automaton of `nfa`

// Builds `dfa`; 0, or -1 with `diagnostic` set when it needs more states than 16 bits hold.
int build_dfa();

int dfa_target(int state, int cls);

// Whether some byte extends a match from `state` (a transition on a class 1..C other than J).
bool dfa_is_live(int state);

#endif

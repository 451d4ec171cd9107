// The deterministic automaton (DFA) over byte classes, uncompressed: one full row per state
// with the distinguished states in place. Entry point: build_dfa(), from the NFA and its
// byte classes; dfa_target() and dfa_is_live() read a built automaton.
#ifndef SCANGEN_SUBSET_H
#define SCANGEN_SUBSET_H

#include <cstdint>
#include <optional>
#include <vector>

#include "byte_classes.h"
#include "regex_nfa.h"
#include "rule_file.h"
#include "scanner.h"

constexpr int NO_DFA_STATE = 0;         // state 0 stands for no state
constexpr int STATE_LIMIT = INT16_MAX;  // states are 16-bit table entries

struct Dfa {
  int condition_count;                           // S; condition n starts in state n + 1
  int class_count;                               // C; rows have C + 1 columns, column 0 the end-of-buffer symbol
  int rule_count;                                // R, the default rule included
  int end_of_buffer_state;                       // E = S + 1
  int jam_state;                                 // J, one above the last automaton state
  std::vector<int> next;                         // state 0..J, class 0..C -> target, row-major
  std::vector<int> accept;                       // state 0..J -> lowest rule it accepts, R + 1 for E, 0 if none
  std::vector<std::vector<int>> accepted_rules;  // state -> every rule it accepts, ascending
};

// Builds the automaton of `nfa` for the conditions of `rules`; nothing, with the fault
// reported, when it needs more states than 16 bits hold.
std::optional<Dfa> build_dfa(const RuleSet &rules, const Nfa &nfa, const ByteClasses &classes);

int dfa_target(const Dfa &dfa, int state, int cls);

// Whether some byte extends a match from `state` (a transition on a class 1..C other than J).
bool dfa_is_live(const Dfa &dfa, int state);

#endif

// The patterns of all rules as one nondeterministic automaton (NFA) over bytes: the byte sets
// the patterns consume, the states, and each rule's entry state. Entry point: compile_rules(),
// which compiles a rule set and the appended default rule.
#ifndef SCANGEN_REGEX_NFA_H
#define SCANGEN_REGEX_NFA_H

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "rule_file.h"

constexpr int BYTE_COUNT = 256;  // bytes 0..255, NUL an ordinary byte
constexpr int NO_STATE = -1;     // an absent NFA transition

constexpr int BYTE_SET_WORD_BITS = 64;                                  // bits in one word of a ByteSet
using ByteSet = std::array<uint64_t, BYTE_COUNT / BYTE_SET_WORD_BITS>;  // bit b set: byte b is a member

bool byte_set_has(const ByteSet &set, int byte);

enum NfaKind {
  nfa_bytes,   // consumes one byte of `byte_set`, then goes to `out`
  nfa_split,   // goes to `out` and to `out1` (if any) without consuming a byte
  nfa_accept,  // the end of rule `rule`'s pattern
};

struct NfaState {
  int kind;      // NfaKind
  int out;       // successor: after the byte (nfa_bytes), first branch (nfa_split)
  int out1;      // second branch of nfa_split; NO_STATE for a plain epsilon move
  int byte_set;  // nfa_bytes: index into Nfa::byte_sets
  int rule;      // nfa_accept: rule number 1..R; 0 otherwise
};

struct Nfa {
  std::vector<NfaState> states;                   // all rules' states
  std::vector<ByteSet> byte_sets;                 // distinct byte sets the patterns consume
  std::vector<int> rule_start;                    // rule 1..R -> its entry state; [0] unused
  std::vector<std::vector<int>> condition_rules;  // condition -> its rules, ascending
  int rule_count;                                 // R: the listed rules and the default rule
};

// Compiles every rule of `rules`, then the default rule R (any one byte, every condition);
// nothing, with the fault reported at the rule's line, when a pattern is malformed.
std::optional<Nfa> compile_rules(const RuleSet &rules);

#endif

// The patterns of all rules as one nondeterministic automaton (NFA) over bytes: the byte
// sets the patterns consume, the states, and each rule's entry state. Entry point:
// compile_rules(), which compiles `rule_set` and the appended default rule into `nfa`.
#ifndef SCANGEN_REGEX_NFA_H
#define SCANGEN_REGEX_NFA_H

#include <array>
#include <cstdint>
#include <vector>

constexpr int BYTE_COUNT = 256;  // bytes 0..255, NUL an ordinary byte
constexpr int NO_STATE = -1;     // an absent NFA transition

constexpr int BYTE_SET_WORD_BITS = 64;                                  // bits in one word of a ByteSet
using ByteSet = std::array<uint64_t, BYTE_COUNT / BYTE_SET_WORD_BITS>;  // bit b set: byte b is a member

bool byte_set_has(const ByteSet &set, int byte);

enum NfaKind {
  NFA_BYTES,   // consumes one byte of `byte_set`, then goes to `out`
  NFA_SPLIT,   // goes to `out` and to `out1` (if any) without consuming a byte
  NFA_ACCEPT,  // the end of rule `rule`'s pattern
};

struct NfaState {
  int kind;      // NfaKind
  int out;       // successor: after the byte (NFA_BYTES), first branch (NFA_SPLIT)
  int out1;      // second branch of NFA_SPLIT; NO_STATE for a plain epsilon move
  int byte_set;  // NFA_BYTES: index into nfa.byte_sets
  int rule;      // NFA_ACCEPT: rule number 1..R; 0 otherwise
};

struct Nfa {
  std::vector<NfaState> states;                   // all rules' states
  std::vector<ByteSet> byte_sets;                 // distinct byte sets the patterns consume
  std::vector<int> rule_start;                    // rule 1..R -> its entry state; [0] unused
  std::vector<std::vector<int>> condition_rules;  // condition -> its rules, ascending
  int rule_count;                                 // R: the listed rules and the default rule
};

extern Nfa nfa;  // the automaton of `rule_set`

// Compiles every rule of `rule_set`, then the default rule R (any one byte, every
// condition); 0, or -1 with `diagnostic` naming the rule's line.
int compile_rules();

#endif

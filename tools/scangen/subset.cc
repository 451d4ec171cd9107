// The deterministic automaton by subset construction, with the distinguished states the
// engine expects. Entry point: build_dfa().
//
// Subset construction (Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed., 3.7.1, Algorithm
// 3.20): a DFA state is the set of NFA states reachable by the same input, closed under
// epsilon moves. A set is keyed by its kernel, the NFA states that consume a byte or
// accept, since the split states in between decide nothing that the kernel does not; sets
// equal in their kernel are one state. Each condition's start state is built first, then
// the states it reaches in breadth-first order, condition by condition, which numbers the
// states deterministically. The empty set is the jam state J.
#include "subset.h"

#include <algorithm>
#include <deque>
#include <map>

#include "byte_classes.h"
#include "diagnostics.h"
#include "regex_nfa.h"
#include "rule_file.h"

Dfa dfa;

static const int JAM_PENDING = NO_DFA_STATE;  // target recorded before J's number is known

static std::map<std::vector<int>, int> state_of_kernel;  // NFA kernel -> first DFA state
static std::vector<std::vector<int>> kernel_of;          // DFA state -> its NFA kernel
static std::deque<int> unexplored;                       // states whose row is not built
static std::vector<unsigned> closure_mark;               // NFA state -> generation that last reached it
static unsigned closure_generation;                      // bumped per closure, so marks need no clearing

static size_t row_width() { return static_cast<size_t>(dfa.class_count) + 1; }

static int &cell(int state, int cls) {
  return dfa.next[static_cast<size_t>(state) * row_width() + static_cast<size_t>(cls)];
}

int dfa_target(int state, int cls) {
  return dfa.next[static_cast<size_t>(state) * row_width() + static_cast<size_t>(cls)];
}

bool dfa_is_live(int state) {
  for (int k = 1; k <= dfa.class_count; k++)
    if (dfa_target(state, k) != dfa.jam_state) return true;
  return false;
}

// The kernel of the epsilon closure of `seeds` (used as the work stack), sorted.
static std::vector<int> closure(std::vector<int> *seeds) {
  std::vector<int> kernel;
  closure_generation++;
  while (!seeds->empty()) {
    int s = seeds->back();
    seeds->pop_back();
    unsigned &mark = closure_mark[static_cast<size_t>(s)];
    if (mark == closure_generation) continue;
    mark = closure_generation;
    const NfaState &state = nfa.states[static_cast<size_t>(s)];
    if (state.kind == NFA_SPLIT) {
      seeds->push_back(state.out);
      if (state.out1 != NO_STATE) seeds->push_back(state.out1);
    } else {
      kernel.push_back(s);
    }
  }
  std::sort(kernel.begin(), kernel.end());
  return kernel;
}

// The NFA states that the kernel moves to on a byte of class `cls`.
static std::vector<int> move_on(const std::vector<int> &kernel, int cls) {
  std::vector<int> targets;
  int byte = byte_classes.first_byte[static_cast<size_t>(cls)];
  for (int s : kernel) {
    const NfaState &state = nfa.states[static_cast<size_t>(s)];
    if (state.kind == NFA_BYTES && byte_set_has(nfa.byte_sets[static_cast<size_t>(state.byte_set)], byte))
      targets.push_back(state.out);
  }
  return targets;
}

// The state whose kernel is `kernel`, creating and queueing it when new; -1 past the limit.
static int state_for(const std::vector<int> &kernel) {
  auto found = state_of_kernel.find(kernel);
  if (found != state_of_kernel.end()) return found->second;
  int state = static_cast<int>(kernel_of.size());
  if (state >= STATE_LIMIT)
    return report("%s: the automaton needs more than %d states", rule_set.file_name.c_str(), STATE_LIMIT - 1);
  kernel_of.push_back(kernel);
  dfa.next.resize(dfa.next.size() + row_width(), JAM_PENDING);
  state_of_kernel.emplace(kernel, state);
  unexplored.push_back(state);
  return state;
}

// Builds the rows of every state reachable from the queued ones.
static int explore() {
  while (!unexplored.empty()) {
    int state = unexplored.front();
    unexplored.pop_front();
    for (int k = 1; k <= dfa.class_count; k++) {
      std::vector<int> seeds = move_on(kernel_of[static_cast<size_t>(state)], k);
      if (seeds.empty()) continue;
      int target = state_for(closure(&seeds));
      if (target < 0) return -1;
      cell(state, k) = target;
    }
  }
  return 0;
}

static void set_accept(int state) {
  std::vector<int> &rules = dfa.accepted_rules[static_cast<size_t>(state)];
  for (int s : kernel_of[static_cast<size_t>(state)])
    if (nfa.states[static_cast<size_t>(s)].kind == NFA_ACCEPT) rules.push_back(nfa.states[static_cast<size_t>(s)].rule);
  std::sort(rules.begin(), rules.end());
  dfa.accept[static_cast<size_t>(state)] = rules.empty() ? 0 : rules.front();
}

// Adds J, resolves pending targets to it, and fills the end-of-buffer column, the rows of E
// and J, the line-start twins, and the accepting rules.
static void finish_rows() {
  dfa.jam_state = static_cast<int>(kernel_of.size());
  kernel_of.emplace_back();
  dfa.next.resize(dfa.next.size() + row_width(), JAM_PENDING);
  for (int &target : dfa.next)
    if (target == JAM_PENDING) target = dfa.jam_state;
  for (int n = 0; n < dfa.condition_count; n++) {
    for (size_t k = 0; k < row_width(); k++)
      cell(2 * n + 2, static_cast<int>(k)) = cell(2 * n + 1, static_cast<int>(k));
    kernel_of[static_cast<size_t>(2 * n + 2)] = kernel_of[static_cast<size_t>(2 * n + 1)];
  }
  for (int s = 1; s < dfa.jam_state; s++)
    if (s != dfa.end_of_buffer_state && dfa_is_live(s)) cell(s, END_OF_BUFFER_CLASS) = dfa.end_of_buffer_state;
  size_t states = static_cast<size_t>(dfa.jam_state) + 1;
  dfa.accept.assign(states, 0);
  dfa.accepted_rules.assign(states, std::vector<int>());
  for (int s = 1; s < dfa.jam_state; s++)
    if (s != dfa.end_of_buffer_state) set_accept(s);
  dfa.accept[static_cast<size_t>(dfa.end_of_buffer_state)] = dfa.rule_count + 1;
}

static void reset_dfa() {
  dfa = Dfa();
  dfa.condition_count = static_cast<int>(rule_set.conditions.size());
  dfa.class_count = byte_classes.class_count;
  dfa.rule_count = nfa.rule_count;
  dfa.end_of_buffer_state = 2 * dfa.condition_count + 1;
  state_of_kernel.clear();
  unexplored.clear();
  closure_mark.assign(nfa.states.size(), 0);
  closure_generation = 0;
  // States 0 (no state), the start states and their twins, and E, before any other.
  kernel_of.assign(static_cast<size_t>(dfa.end_of_buffer_state) + 1, std::vector<int>());
  dfa.next.assign(kernel_of.size() * row_width(), JAM_PENDING);
}

int build_dfa() {
  reset_dfa();
  for (int n = 0; n < dfa.condition_count; n++) {
    std::vector<int> seeds;
    for (int rule : nfa.condition_rules[static_cast<size_t>(n)])
      seeds.push_back(nfa.rule_start[static_cast<size_t>(rule)]);
    kernel_of[static_cast<size_t>(2 * n + 1)] = closure(&seeds);
    state_of_kernel.emplace(kernel_of[static_cast<size_t>(2 * n + 1)], 2 * n + 1);
  }
  for (int n = 0; n < dfa.condition_count; n++) {
    unexplored.push_back(2 * n + 1);
    if (explore() < 0) return -1;
  }
  finish_rows();
  return 0;
}

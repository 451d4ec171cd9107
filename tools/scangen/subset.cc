// Subset construction (Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed., 3.7.1, Algorithm
// 3.20): a DFA state is the set of NFA states reachable by the same input, closed under
// epsilon moves. A set is keyed by its kernel, the NFA states that consume a byte or
// accept, since the split states in between decide nothing that the kernel does not; sets
// equal in their kernel are one state. Each condition's start state is built first, then
// the states it reaches in breadth-first order, condition by condition, which numbers the
// states deterministically. The empty set is the jam state J; the end-of-buffer state E,
// which the engine expects right after the start states, is put in place last.
#include "subset.h"

#include <algorithm>
#include <deque>
#include <map>

#include "diagnostics.h"

namespace {

constexpr int JAM_PENDING = NO_DFA_STATE;  // target recorded before J's number is known

struct SubsetBuilder {
  const Nfa &nfa;                                   // the automaton being made deterministic
  const ByteClasses &classes;                       // its input classes
  Dfa dfa;                                          // the rows built so far
  std::map<std::vector<int>, int> state_of_kernel;  // NFA kernel -> first DFA state
  std::vector<std::vector<int>> kernel_of;          // DFA state -> its NFA kernel
  std::deque<int> unexplored;                       // states whose row is not built
  std::vector<unsigned> closure_mark;               // NFA state -> generation that last reached it
  unsigned closure_generation;                      // bumped per closure, so marks need no clearing
};

int row_width(const Dfa &dfa) { return dfa.class_count + 1; }

int &cell(Dfa *dfa, int state, int cls) { return dfa->next[state * row_width(*dfa) + cls]; }

// The kernel of the epsilon closure of `seeds` (used as the work stack), sorted.
std::vector<int> closure(SubsetBuilder *b, std::vector<int> *seeds) {
  std::vector<int> kernel;
  b->closure_generation++;
  while (!seeds->empty()) {
    int s = seeds->back();
    seeds->pop_back();
    unsigned &mark = b->closure_mark[s];
    if (mark == b->closure_generation) continue;
    mark = b->closure_generation;
    const NfaState &state = b->nfa.states[s];
    if (state.kind == nfa_split) {
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
std::vector<int> move_on(const SubsetBuilder &b, const std::vector<int> &kernel, int cls) {
  std::vector<int> targets;
  int byte = b.classes.first_byte[cls];
  for (int s : kernel) {
    const NfaState &state = b.nfa.states[s];
    if (state.kind == nfa_bytes && byte_set_has(b.nfa.byte_sets[state.byte_set], byte)) targets.push_back(state.out);
  }
  return targets;
}

// The state whose kernel is `kernel`, creating and queueing it when new; -1 past the limit.
int state_for(SubsetBuilder *b, const char *file, const std::vector<int> &kernel) {
  auto found = b->state_of_kernel.find(kernel);
  if (found != b->state_of_kernel.end()) return found->second;
  int state = static_cast<int>(b->kernel_of.size());
  if (state >= STATE_LIMIT)
    return report_at(SCANGEN, 0, "%s: the automaton needs more than %d states", file, STATE_LIMIT - 1);
  b->kernel_of.push_back(kernel);
  b->dfa.next.resize(b->dfa.next.size() + row_width(b->dfa), JAM_PENDING);
  b->state_of_kernel.emplace(kernel, state);
  b->unexplored.push_back(state);
  return state;
}

// Builds the rows of every state reachable from the queued ones.
int explore(SubsetBuilder *b, const char *file) {
  while (!b->unexplored.empty()) {
    int state = b->unexplored.front();
    b->unexplored.pop_front();
    for (int k = 1; k <= b->dfa.class_count; k++) {
      std::vector<int> seeds = move_on(*b, b->kernel_of[state], k);
      if (seeds.empty()) continue;
      int target = state_for(b, file, closure(b, &seeds));
      if (target < 0) return -1;
      cell(&b->dfa, state, k) = target;
    }
  }
  return 0;
}

void set_accept(SubsetBuilder *b, int state) {
  std::vector<int> &rules = b->dfa.accepted_rules[state];
  for (int s : b->kernel_of[state])
    if (b->nfa.states[s].kind == nfa_accept) rules.push_back(b->nfa.states[s].rule);
  std::sort(rules.begin(), rules.end());
  b->dfa.accept[state] = rules.empty() ? 0 : rules.front();
}

// Adds J, resolves pending targets to it, and fills the end-of-buffer column, the rows of E
// and J, and the accepting rules.
void finish_rows(SubsetBuilder *b) {
  Dfa &dfa = b->dfa;
  dfa.jam_state = static_cast<int>(b->kernel_of.size());
  b->kernel_of.emplace_back();
  dfa.next.resize(dfa.next.size() + row_width(dfa), JAM_PENDING);
  for (int &target : dfa.next)
    if (target == JAM_PENDING) target = dfa.jam_state;
  for (int s = 1; s < dfa.jam_state; s++)
    if (s != dfa.end_of_buffer_state && dfa_is_live(dfa, s))
      cell(&dfa, s, END_OF_BUFFER_CLASS) = dfa.end_of_buffer_state;
  dfa.accept.assign(dfa.jam_state + 1, 0);
  dfa.accepted_rules.assign(dfa.jam_state + 1, std::vector<int>());
  for (int s = 1; s < dfa.jam_state; s++)
    if (s != dfa.end_of_buffer_state) set_accept(b, s);
  dfa.accept[dfa.end_of_buffer_state] = dfa.rule_count + 1;
}

// States 0 (no state), the start states and E, before any other.
void reserve_distinguished_states(SubsetBuilder *b, const RuleSet &rules) {
  Dfa &dfa = b->dfa;
  dfa.condition_count = static_cast<int>(rules.conditions.size());
  dfa.class_count = b->classes.class_count;
  dfa.rule_count = b->nfa.rule_count;
  dfa.end_of_buffer_state = dfa.condition_count + 1;
  b->closure_mark.assign(b->nfa.states.size(), 0);
  b->closure_generation = 0;
  b->kernel_of.assign(dfa.end_of_buffer_state + 1, std::vector<int>());
  dfa.next.assign(b->kernel_of.size() * row_width(dfa), JAM_PENDING);
}

}  // namespace

int dfa_target(const Dfa &dfa, int state, int cls) { return dfa.next[state * row_width(dfa) + cls]; }

bool dfa_is_live(const Dfa &dfa, int state) {
  for (int k = 1; k <= dfa.class_count; k++)
    if (dfa_target(dfa, state, k) != dfa.jam_state) return true;
  return false;
}

std::optional<Dfa> build_dfa(const RuleSet &rules, const Nfa &nfa, const ByteClasses &classes) {
  SubsetBuilder b{nfa, classes, Dfa{}, {}, {}, {}, {}, 0};
  reserve_distinguished_states(&b, rules);
  for (int n = 0; n < b.dfa.condition_count; n++) {
    std::vector<int> seeds;
    for (int rule : nfa.condition_rules[n]) seeds.push_back(nfa.rule_start[rule]);
    int start = table_start_state(n);
    b.kernel_of[start] = closure(&b, &seeds);
    b.state_of_kernel.emplace(b.kernel_of[start], start);
  }
  const char *file = rules.file_name.c_str();
  for (int n = 0; n < b.dfa.condition_count; n++) {
    b.unexplored.push_back(table_start_state(n));
    if (explore(&b, file) < 0) return std::nullopt;
  }
  finish_rows(&b);
  return b.dfa;
}

// LR(0) item sets by the canonical collection construction (Aho, Lam, Sethi, Ullman,
// "Compilers", 2nd ed., 4.6.2: CLOSURE and GOTO over the augmented grammar). A state is
// known by its kernel; the closure is recomputed when the state is expanded and only its
// completed items (the reductions) and its transitions are kept. States are expanded in the
// order they are created, which numbers them breadth first from the start state 0.
//
// Acceptance is encoded as one more shift: the state that completes rule 0 ($accept ->
// start end) "shifts" the end symbol into a final state that has no items and is numbered
// last. The parse engine stops when an action names that state, so after the end symbol has
// been shifted once it is looked at a second time, and that second look accepts.
#include "lr0_automaton.h"

#include <algorithm>
#include <map>

#include "grammar_file.h"

Automaton automaton;

namespace {

struct Builder {
  std::vector<std::vector<int>> rules_of;     // nonterminal index -> rules with it on the left
  std::vector<int> closure_stamp;             // nonterminal index -> last closure that added it
  int stamp;                                  // number of the closure being computed
  std::map<std::vector<int>, int> by_kernel;  // kernel -> state number
};

Builder builder;  // work space of one construction

}  // namespace

static int rule_length(int rule) { return static_cast<int>(grammar.rules[rule].rhs.size()); }

// The symbol after the dot of `item`, or -1 when the item is complete.
static int symbol_after_dot(int item) {
  const Rule &rule = grammar.rules[automaton.item_rule[item]];
  int dot = automaton.item_dot[item];
  return dot < static_cast<int>(rule.rhs.size()) ? rule.rhs[dot] : -1;
}

static void number_items() {
  for (int r = 0; r < static_cast<int>(grammar.rules.size()); r++) {
    automaton.rule_first_item.push_back(static_cast<int>(automaton.item_rule.size()));
    for (int dot = 0; dot <= rule_length(r); dot++) {
      automaton.item_rule.push_back(r);
      automaton.item_dot.push_back(dot);
    }
  }
}

static std::vector<int> closure(const std::vector<int> &kernel) {
  std::vector<int> items = kernel;
  builder.stamp++;
  for (size_t i = 0; i < items.size(); i++) {
    int next = symbol_after_dot(items[i]);
    if (next < 0 || is_terminal(next)) continue;
    int index = next - grammar.token_count;
    if (builder.closure_stamp[index] == builder.stamp) continue;
    builder.closure_stamp[index] = builder.stamp;
    for (int rule : builder.rules_of[index]) items.push_back(automaton.rule_first_item[rule]);
  }
  return items;
}

static int state_for_kernel(const std::vector<int> &kernel, int accessing_symbol) {
  auto found = builder.by_kernel.find(kernel);
  if (found != builder.by_kernel.end()) return found->second;
  int number = static_cast<int>(automaton.states.size());
  automaton.states.push_back(LrState{kernel, accessing_symbol, {}, {}});
  builder.by_kernel.emplace(kernel, number);
  return number;
}

static void expand_state(int state) {
  std::vector<int> items = closure(automaton.states[state].kernel);
  std::map<int, std::vector<int>> advanced;  // symbol -> kernel of its successor
  std::vector<int> reductions;
  for (int item : items) {
    int next = symbol_after_dot(item);
    if (next >= 0) {
      advanced[next].push_back(item + 1);
    } else if (automaton.item_rule[item] != 0) {
      reductions.push_back(automaton.item_rule[item]);
    } else {
      automaton.accept_state = state;
    }
  }
  std::vector<Transition> transitions;
  for (auto &[symbol, kernel] : advanced) {
    std::sort(kernel.begin(), kernel.end());
    transitions.push_back(Transition{symbol, state_for_kernel(kernel, symbol)});
  }
  std::sort(reductions.begin(), reductions.end());
  automaton.states[state].transitions = transitions;
  automaton.states[state].reductions = reductions;
}

static void fill_successors() {
  size_t count = automaton.states.size();
  automaton.successor.assign(count * automaton.symbol_slots, -1);
  for (size_t s = 0; s < count; s++) {
    for (const Transition &t : automaton.states[s].transitions) {
      automaton.successor[s * automaton.symbol_slots + t.symbol] = t.target;
    }
  }
}

void build_lr0_automaton() {
  automaton = Automaton{};
  automaton.symbol_slots = grammar.accept_symbol + 1;
  automaton.accept_state = -1;
  builder = Builder{};
  builder.rules_of.assign(nonterminal_count(), {});
  builder.closure_stamp.assign(nonterminal_count(), 0);
  for (int r = 1; r < static_cast<int>(grammar.rules.size()); r++) {
    builder.rules_of[grammar.rules[r].lhs - grammar.token_count].push_back(r);
  }
  number_items();
  state_for_kernel({automaton.rule_first_item[0]}, -1);
  for (size_t s = 0; s < automaton.states.size(); s++) expand_state(static_cast<int>(s));

  automaton.final_state = static_cast<int>(automaton.states.size());
  automaton.states.push_back(LrState{{}, grammar.end_symbol, {}, {}});
  automaton.states[automaton.accept_state].transitions.push_back(Transition{grammar.end_symbol, automaton.final_state});
  fill_successors();
}

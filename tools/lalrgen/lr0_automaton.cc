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

namespace {

struct Lr0Builder {
  const Grammar &grammar;                     // the augmented grammar
  Automaton automaton;                        // the states built so far
  std::vector<std::vector<int>> rules_of;     // nonterminal index -> rules with it on the left
  std::vector<int> closure_stamp;             // nonterminal index -> last closure that added it
  int stamp;                                  // number of the closure being computed
  std::map<std::vector<int>, int> by_kernel;  // kernel -> state number
};

int rule_length(const Grammar &g, int rule) { return static_cast<int>(g.rules[rule].rhs.size()); }

// The symbol after the dot of `item`, or -1 when the item is complete.
int symbol_after_dot(const Lr0Builder &b, int item) {
  const GrammarRule &rule = b.grammar.rules[b.automaton.item_rule[item]];
  int dot = b.automaton.item_dot[item];
  return dot < static_cast<int>(rule.rhs.size()) ? rule.rhs[dot] : -1;
}

void number_items(Lr0Builder *b) {
  Automaton &a = b->automaton;
  for (int r = 0; r < static_cast<int>(b->grammar.rules.size()); r++) {
    a.rule_first_item.push_back(static_cast<int>(a.item_rule.size()));
    for (int dot = 0; dot <= rule_length(b->grammar, r); dot++) {
      a.item_rule.push_back(r);
      a.item_dot.push_back(dot);
    }
  }
}

std::vector<int> closure(Lr0Builder *b, const std::vector<int> &kernel) {
  std::vector<int> items = kernel;
  b->stamp++;
  for (size_t i = 0; i < items.size(); i++) {
    int next = symbol_after_dot(*b, items[i]);
    if (next < 0 || is_terminal(b->grammar, next)) continue;
    int index = next - b->grammar.token_count;
    if (b->closure_stamp[index] == b->stamp) continue;
    b->closure_stamp[index] = b->stamp;
    for (int rule : b->rules_of[index]) items.push_back(b->automaton.rule_first_item[rule]);
  }
  return items;
}

int state_for_kernel(Lr0Builder *b, const std::vector<int> &kernel, int accessing_symbol) {
  auto found = b->by_kernel.find(kernel);
  if (found != b->by_kernel.end()) return found->second;
  int number = static_cast<int>(b->automaton.states.size());
  b->automaton.states.push_back(LrState{kernel, accessing_symbol, {}, {}});
  b->by_kernel.emplace(kernel, number);
  return number;
}

void expand_state(Lr0Builder *b, int state) {
  std::vector<int> items = closure(b, b->automaton.states[state].kernel);
  std::map<int, std::vector<int>> advanced;  // symbol -> kernel of its successor
  std::vector<int> reductions;
  for (int item : items) {
    int next = symbol_after_dot(*b, item);
    if (next >= 0) {
      advanced[next].push_back(item + 1);
    } else if (b->automaton.item_rule[item] != 0) {
      reductions.push_back(b->automaton.item_rule[item]);
    } else {
      b->automaton.accept_state = state;
    }
  }
  std::vector<Transition> transitions;
  for (auto &[symbol, kernel] : advanced) {
    std::sort(kernel.begin(), kernel.end());
    transitions.push_back(Transition{symbol, state_for_kernel(b, kernel, symbol)});
  }
  std::sort(reductions.begin(), reductions.end());
  b->automaton.states[state].transitions = transitions;
  b->automaton.states[state].reductions = reductions;
}

void fill_successors(Automaton *a) {
  int count = static_cast<int>(a->states.size());
  a->successor.assign(count * a->symbol_slots, -1);
  for (int s = 0; s < count; s++) {
    for (const Transition &t : a->states[s].transitions) a->successor[s * a->symbol_slots + t.symbol] = t.target;
  }
}

}  // namespace

Automaton build_lr0_automaton(const Grammar &grammar) {
  Lr0Builder b{grammar, Automaton{}, {}, {}, 0, {}};
  Automaton &a = b.automaton;
  a.symbol_slots = grammar.accept_symbol + 1;
  a.accept_state = -1;
  b.rules_of.assign(nonterminal_count(grammar), {});
  b.closure_stamp.assign(nonterminal_count(grammar), 0);
  for (int r = 1; r <= rule_count(grammar); r++) b.rules_of[grammar.rules[r].lhs - grammar.token_count].push_back(r);
  number_items(&b);
  state_for_kernel(&b, {a.rule_first_item[0]}, -1);
  for (int s = 0; s < static_cast<int>(a.states.size()); s++) expand_state(&b, s);

  a.final_state = static_cast<int>(a.states.size());
  a.states.push_back(LrState{{}, grammar.end_symbol, {}, {}});
  a.states[a.accept_state].transitions.push_back(Transition{grammar.end_symbol, a.final_state});
  fill_successors(&a);
  return a;
}

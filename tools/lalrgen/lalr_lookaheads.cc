// LALR(1) lookaheads by the relations of DeRemer and Pennello ("Efficient Computation of
// LALR(1) Look-Ahead Sets", ACM TOPLAS 4(4), 1982; also Aho, Lam, Sethi, Ullman, "Compilers",
// 2nd ed., 4.7). Over the nonterminal transitions (p, A) of the LR(0) automaton:
//
//   DR(p, A)     terminals shifted in the state that (p, A) enters;
//   reads        (p, A) reads (r, C) when (p, A) enters r and r has a goto on a nullable C;
//   Read         = DR closed under reads;
//   includes     (p, A) includes (p', B) when B -> beta A gamma, gamma is nullable and
//                p' reaches p on beta;
//   Follow       = Read closed under includes;
//   LA(q, A->w)  = union of Follow(p, A) over the (p, A) from which w leads to q (lookback).
//
// Both closures are taken by the Digraph algorithm, a Tarjan strongly-connected-component
// walk in which every member of a cycle receives the same set. The walk keeps its own stack,
// so a long chain of relations does not deepen the call stack.
#include "lalr_lookaheads.h"

#include <algorithm>
#include <climits>

namespace {

struct GotoEdge {
  int from;    // state p
  int symbol;  // nonterminal A
  int to;      // state entered
};

struct Relations {
  const Grammar &grammar;                  // the augmented grammar
  const Automaton &automaton;              // its LR(0) automaton
  Lookaheads lookaheads;                   // the sets being computed
  std::vector<GotoEdge> gotos;             // the nonterminal transitions, numbered
  std::vector<int> goto_index;             // state * nonterminals + A index -> goto; -1
  std::vector<std::vector<int>> reads;     // goto -> gotos whose Read it takes in
  std::vector<std::vector<int>> includes;  // goto -> gotos whose Follow it takes in
  std::vector<std::vector<int>> lookback;  // reduction index -> gotos its LA is made of
  std::vector<std::vector<int>> rules_of;  // nonterminal index -> rules with it on the left
  std::vector<uint64_t> follow;            // goto * words: DR, then Read, then Follow
};

struct Frame {
  int node;     // goto being walked
  size_t edge;  // next of its edges to follow
  int depth;    // stack depth when it was entered (its Tarjan number)
};

constexpr int DONE = INT_MAX;  // Digraph mark of a node whose set is final
constexpr int WORD_BITS = 64;  // terminals in one word of a set

uint64_t *set_of(std::vector<uint64_t> &sets, int index, int words) { return sets.data() + index * words; }

void add_set(uint64_t *into, const uint64_t *from, int words) {
  for (int w = 0; w < words; w++) into[w] |= from[w];
}

void add_terminal(uint64_t *into, int terminal) { into[terminal / WORD_BITS] |= uint64_t{1} << (terminal % WORD_BITS); }

bool is_nullable(const Relations &r, int symbol) {
  return !is_terminal(r.grammar, symbol) && r.lookaheads.nullable[symbol - r.grammar.token_count] != 0;
}

// A nonterminal is nullable when one of its rules has only nullable symbols on the right.
// Each rule counts the right-side nonterminals not yet known to be nullable; a nonterminal
// that becomes nullable decrements the count of every rule it occurs in, once per
// occurrence, so the whole computation is linear in the size of the grammar.
void compute_nullable(Relations *r) {
  const Grammar &g = r->grammar;
  std::vector<char> &nullable = r->lookaheads.nullable;
  int count = nonterminal_count(g);
  nullable.assign(count, 0);
  std::vector<int> pending(g.rules.size(), 0);
  std::vector<std::vector<int>> occurrences(count);
  std::vector<int> queue;
  for (int rule = 1; rule <= rule_count(g); rule++) {
    bool has_terminal = false;
    for (int symbol : g.rules[rule].rhs) {
      if (is_terminal(g, symbol)) {
        has_terminal = true;
      } else {
        pending[rule]++;
        occurrences[symbol - g.token_count].push_back(rule);
      }
    }
    if (has_terminal) pending[rule] = -1;  // never nullable
    int lhs = g.rules[rule].lhs - g.token_count;
    if (pending[rule] == 0 && nullable[lhs] == 0) {
      nullable[lhs] = 1;
      queue.push_back(lhs);
    }
  }
  for (size_t i = 0; i < queue.size(); i++) {
    for (int rule : occurrences[queue[i]]) {
      if (pending[rule] <= 0 || --pending[rule] != 0) continue;
      int lhs = g.rules[rule].lhs - g.token_count;
      if (nullable[lhs] == 0) {
        nullable[lhs] = 1;
        queue.push_back(lhs);
      }
    }
  }
}

int goto_slot(const Relations &r, int state, int symbol) {
  return state * nonterminal_count(r.grammar) + symbol - r.grammar.token_count;
}

int goto_number(const Relations &r, int state, int symbol) { return r.goto_index[goto_slot(r, state, symbol)]; }

void number_gotos(Relations *r) {
  int states = static_cast<int>(r->automaton.states.size());
  r->goto_index.assign(states * nonterminal_count(r->grammar), -1);
  for (int s = 0; s < states; s++) {
    for (const Transition &t : r->automaton.states[s].transitions) {
      if (is_terminal(r->grammar, t.symbol)) continue;
      r->goto_index[goto_slot(*r, s, t.symbol)] = static_cast<int>(r->gotos.size());
      r->gotos.push_back(GotoEdge{s, t.symbol, t.target});
    }
  }
  r->lookaheads.nonterminal_transitions = static_cast<int>(r->gotos.size());
}

// DR into `follow` and the reads edges, both read off the state each goto enters.
void direct_reads(Relations *r) {
  int count = static_cast<int>(r->gotos.size());
  int words = r->lookaheads.words;
  r->follow.assign(count * words, 0);
  r->reads.assign(count, {});
  for (int g = 0; g < count; g++) {
    int entered = r->gotos[g].to;
    for (const Transition &t : r->automaton.states[entered].transitions) {
      if (is_terminal(r->grammar, t.symbol)) {
        add_terminal(set_of(r->follow, g, words), t.symbol);
      } else if (is_nullable(*r, t.symbol)) {
        r->reads[g].push_back(goto_number(*r, entered, t.symbol));
      }
    }
  }
}

int reduction_number(const Relations &r, int state, int rule) {
  const std::vector<int> &rules = r.automaton.states[state].reductions;
  auto found = std::lower_bound(rules.begin(), rules.end(), rule);
  return r.lookaheads.first_reduction[state] + static_cast<int>(found - rules.begin());
}

// Walks every rule of B from every goto (p', B): the walk's end gives the lookback, and the
// nonterminals of the rule's nullable tail give the includes edges.
void includes_and_lookback(Relations *r) {
  const Grammar &grammar = r->grammar;
  int count = static_cast<int>(r->gotos.size());
  r->includes.assign(count, {});
  r->lookback.assign(r->lookaheads.first_reduction.back(), {});
  r->rules_of.assign(nonterminal_count(grammar), {});
  for (int rule = 1; rule <= rule_count(grammar); rule++)
    r->rules_of[grammar.rules[rule].lhs - grammar.token_count].push_back(rule);
  std::vector<int> path;
  for (int g = 0; g < count; g++) {
    const GotoEdge &edge = r->gotos[g];
    for (int number : r->rules_of[edge.symbol - grammar.token_count]) {
      const GrammarRule &rule = grammar.rules[number];
      path.assign(1, edge.from);
      for (int symbol : rule.rhs) path.push_back(successor_of(r->automaton, path.back(), symbol));
      r->lookback[reduction_number(*r, path.back(), number)].push_back(g);
      for (int i = static_cast<int>(rule.rhs.size()) - 1; i >= 0; i--) {
        int symbol = rule.rhs[i];
        if (is_terminal(grammar, symbol)) break;
        r->includes[goto_number(*r, path[i], symbol)].push_back(g);
        if (!is_nullable(*r, symbol)) break;
      }
    }
  }
}

void number_reductions(Lookaheads *la, const Automaton &automaton) {
  int next = 0;
  for (const LrState &state : automaton.states) {
    la->first_reduction.push_back(next);
    next += static_cast<int>(state.reductions.size());
  }
  la->first_reduction.push_back(next);
}

}  // namespace

// Tarjan's walk: a node's mark is the stack depth at which it was entered, lowered to the
// smallest depth it reaches; a node that keeps its own depth is the root of a component,
// and every member of the component takes the root's finished set.
void digraph(const std::vector<std::vector<int>> &edges, std::vector<uint64_t> &sets, int words) {
  int count = static_cast<int>(edges.size());
  std::vector<int> mark(count, 0);
  std::vector<int> component;  // Tarjan's stack of nodes whose set is not final yet
  std::vector<Frame> frames;   // the walk's own call stack
  for (int root = 0; root < count; root++) {
    if (mark[root] != 0) continue;
    component.push_back(root);
    mark[root] = static_cast<int>(component.size());
    frames.push_back(Frame{root, 0, mark[root]});
    while (!frames.empty()) {
      Frame &top = frames.back();
      int x = top.node;
      if (top.edge < edges[x].size()) {
        int y = edges[x][top.edge++];
        if (mark[y] == 0) {
          component.push_back(y);
          mark[y] = static_cast<int>(component.size());
          frames.push_back(Frame{y, 0, mark[y]});
          continue;
        }
        mark[x] = std::min(mark[x], mark[y]);
        add_set(set_of(sets, x, words), set_of(sets, y, words), words);
        continue;
      }
      if (mark[x] == top.depth) {
        while (true) {
          int member = component.back();
          component.pop_back();
          mark[member] = DONE;
          if (member == x) break;
          std::copy_n(set_of(sets, x, words), words, set_of(sets, member, words));
        }
      }
      frames.pop_back();
      if (!frames.empty()) {
        int parent = frames.back().node;
        mark[parent] = std::min(mark[parent], mark[x]);
        add_set(set_of(sets, parent, words), set_of(sets, x, words), words);
      }
    }
  }
}

Lookaheads compute_lalr_lookaheads(const Grammar &grammar, const Automaton &automaton) {
  Relations r{grammar, automaton, Lookaheads{}, {}, {}, {}, {}, {}, {}, {}};
  Lookaheads &la = r.lookaheads;
  la.words = (grammar.token_count + WORD_BITS - 1) / WORD_BITS;
  compute_nullable(&r);
  number_reductions(&la, automaton);
  number_gotos(&r);
  direct_reads(&r);
  includes_and_lookback(&r);
  digraph(r.reads, r.follow, la.words);
  digraph(r.includes, r.follow, la.words);
  int reductions = la.first_reduction.back();
  la.sets.assign(reductions * la.words, 0);
  for (int red = 0; red < reductions; red++) {
    for (int g : r.lookback[red]) add_set(set_of(la.sets, red, la.words), set_of(r.follow, g, la.words), la.words);
  }
  return la;
}

bool lookahead_contains(const Lookaheads &lookaheads, int state, int nth, int terminal) {
  int index = (lookaheads.first_reduction[state] + nth) * lookaheads.words;
  return (lookaheads.sets[index + terminal / WORD_BITS] >> (terminal % WORD_BITS) & 1) != 0;
}

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

#include "grammar_file.h"
#include "lr0_automaton.h"

Lookaheads lookaheads;

namespace {

struct GotoEdge {
  int from;    // state p
  int symbol;  // nonterminal A
  int to;      // state entered
};

struct Relations {
  std::vector<GotoEdge> gotos;             // the nonterminal transitions, numbered
  std::vector<int> goto_index;             // state * nonterminals + A index -> goto; -1
  std::vector<std::vector<int>> reads;     // goto -> gotos whose Read it takes in
  std::vector<std::vector<int>> includes;  // goto -> gotos whose Follow it takes in
  std::vector<std::vector<int>> lookback;  // reduction index -> gotos its LA is made of
  std::vector<std::vector<int>> rules_of;  // nonterminal index -> rules with it on the left
  std::vector<uint64_t> follow;            // goto * words: DR, then Read, then Follow
};

Relations relations;  // work space of one computation

struct Frame {
  int node;     // goto being walked
  size_t edge;  // next of its edges to follow
  int depth;    // stack depth when it was entered (its Tarjan number)
};

constexpr int DONE = INT_MAX;  // Digraph mark of a node whose set is final

}  // namespace

static uint64_t *set_of(std::vector<uint64_t> &sets, int index) {
  return sets.data() + static_cast<size_t>(index) * lookaheads.words;
}

static void add_set(uint64_t *into, const uint64_t *from) {
  for (int w = 0; w < lookaheads.words; w++) into[w] |= from[w];
}

static void add_terminal(uint64_t *into, int terminal) { into[terminal / 64] |= uint64_t{1} << (terminal % 64); }

static bool is_nullable(int symbol) {
  return !is_terminal(symbol) && lookaheads.nullable[symbol - grammar.token_count] != 0;
}

// A nonterminal is nullable when one of its rules has only nullable symbols on the right.
// Each rule counts the right-side nonterminals not yet known to be nullable; a nonterminal
// that becomes nullable decrements the count of every rule it occurs in, once per
// occurrence, so the whole computation is linear in the size of the grammar.
static void compute_nullable() {
  int count = nonterminal_count();
  lookaheads.nullable.assign(count, 0);
  std::vector<int> pending(grammar.rules.size(), 0);
  std::vector<std::vector<int>> occurrences(count);
  std::vector<int> queue;
  for (int r = 1; r < static_cast<int>(grammar.rules.size()); r++) {
    const Rule &rule = grammar.rules[r];
    bool has_terminal = false;
    for (int symbol : rule.rhs) {
      if (is_terminal(symbol)) {
        has_terminal = true;
      } else {
        pending[r]++;
        occurrences[symbol - grammar.token_count].push_back(r);
      }
    }
    if (has_terminal) pending[r] = -1;  // never nullable
    int lhs = rule.lhs - grammar.token_count;
    if (pending[r] == 0 && lookaheads.nullable[lhs] == 0) {
      lookaheads.nullable[lhs] = 1;
      queue.push_back(lhs);
    }
  }
  for (size_t i = 0; i < queue.size(); i++) {
    for (int r : occurrences[queue[i]]) {
      if (pending[r] <= 0 || --pending[r] != 0) continue;
      int lhs = grammar.rules[r].lhs - grammar.token_count;
      if (lookaheads.nullable[lhs] == 0) {
        lookaheads.nullable[lhs] = 1;
        queue.push_back(lhs);
      }
    }
  }
}

static int goto_number(int state, int symbol) {
  return relations.goto_index[static_cast<size_t>(state) * nonterminal_count() + symbol - grammar.token_count];
}

static void number_gotos() {
  int states = static_cast<int>(automaton.states.size());
  relations.goto_index.assign(static_cast<size_t>(states) * nonterminal_count(), -1);
  for (int s = 0; s < states; s++) {
    for (const Transition &t : automaton.states[s].transitions) {
      if (is_terminal(t.symbol)) continue;
      relations.goto_index[static_cast<size_t>(s) * nonterminal_count() + t.symbol - grammar.token_count] =
          static_cast<int>(relations.gotos.size());
      relations.gotos.push_back(GotoEdge{s, t.symbol, t.target});
    }
  }
  lookaheads.nonterminal_transitions = static_cast<int>(relations.gotos.size());
}

// DR into `follow` and the reads edges, both read off the state each goto enters.
static void direct_reads() {
  int count = static_cast<int>(relations.gotos.size());
  relations.follow.assign(static_cast<size_t>(count) * lookaheads.words, 0);
  relations.reads.assign(count, {});
  for (int g = 0; g < count; g++) {
    int entered = relations.gotos[g].to;
    for (const Transition &t : automaton.states[entered].transitions) {
      if (is_terminal(t.symbol)) {
        add_terminal(set_of(relations.follow, g), t.symbol);
      } else if (is_nullable(t.symbol)) {
        relations.reads[g].push_back(goto_number(entered, t.symbol));
      }
    }
  }
}

static int reduction_number(int state, int rule) {
  const std::vector<int> &rules = automaton.states[state].reductions;
  auto found = std::lower_bound(rules.begin(), rules.end(), rule);
  return lookaheads.first_reduction[state] + static_cast<int>(found - rules.begin());
}

// Walks every rule of B from every goto (p', B): the walk's end gives the lookback, and the
// nonterminals of the rule's nullable tail give the includes edges.
static void includes_and_lookback() {
  int count = static_cast<int>(relations.gotos.size());
  relations.includes.assign(count, {});
  relations.lookback.assign(lookaheads.first_reduction.back(), {});
  relations.rules_of.assign(nonterminal_count(), {});
  for (int r = 1; r < static_cast<int>(grammar.rules.size()); r++) {
    relations.rules_of[grammar.rules[r].lhs - grammar.token_count].push_back(r);
  }
  std::vector<int> path;
  for (int g = 0; g < count; g++) {
    const GotoEdge &edge = relations.gotos[g];
    for (int r : relations.rules_of[edge.symbol - grammar.token_count]) {
      const Rule &rule = grammar.rules[r];
      path.assign(1, edge.from);
      for (int symbol : rule.rhs) path.push_back(successor_of(path.back(), symbol));
      relations.lookback[reduction_number(path.back(), r)].push_back(g);
      for (int i = static_cast<int>(rule.rhs.size()) - 1; i >= 0; i--) {
        int symbol = rule.rhs[i];
        if (is_terminal(symbol)) break;
        relations.includes[goto_number(path[i], symbol)].push_back(g);
        if (!is_nullable(symbol)) break;
      }
    }
  }
}

// sets[into] |= sets[from], each set `words` long.
static void add_words(std::vector<uint64_t> &sets, int into, int from, int words) {
  for (int w = 0; w < words; w++)
    sets[static_cast<size_t>(into) * words + w] |= sets[static_cast<size_t>(from) * words + w];
}

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
        add_words(sets, x, y, words);
        continue;
      }
      if (mark[x] == top.depth) {
        while (true) {
          int member = component.back();
          component.pop_back();
          mark[member] = DONE;
          if (member == x) break;
          std::copy_n(&sets[static_cast<size_t>(x) * words], words, &sets[static_cast<size_t>(member) * words]);
        }
      }
      frames.pop_back();
      if (!frames.empty()) {
        int parent = frames.back().node;
        mark[parent] = std::min(mark[parent], mark[x]);
        add_words(sets, parent, x, words);
      }
    }
  }
}

static void number_reductions() {
  lookaheads.first_reduction.clear();
  int next = 0;
  for (const LrState &state : automaton.states) {
    lookaheads.first_reduction.push_back(next);
    next += static_cast<int>(state.reductions.size());
  }
  lookaheads.first_reduction.push_back(next);
}

void compute_lalr_lookaheads() {
  lookaheads = Lookaheads{};
  relations = Relations{};
  lookaheads.words = (grammar.token_count + 63) / 64;
  compute_nullable();
  number_reductions();
  number_gotos();
  direct_reads();
  includes_and_lookback();
  digraph(relations.reads, relations.follow, lookaheads.words);
  digraph(relations.includes, relations.follow, lookaheads.words);
  int reductions = lookaheads.first_reduction.back();
  lookaheads.sets.assign(static_cast<size_t>(reductions) * lookaheads.words, 0);
  for (int red = 0; red < reductions; red++) {
    for (int g : relations.lookback[red]) add_set(set_of(lookaheads.sets, red), set_of(relations.follow, g));
  }
}

bool lookahead_contains(int state, int nth, int terminal) {
  size_t index = static_cast<size_t>(lookaheads.first_reduction[state] + nth) * lookaheads.words;
  return (lookaheads.sets[index + terminal / 64] >> (terminal % 64) & 1) != 0;
}

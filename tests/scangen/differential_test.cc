// The generated automaton against a naive reference matcher over many random (seeded)
// texts: for every start condition, the longest match and the first-listed rule among those
// matching it must agree. Covers both real rule sets and small ones that use every feature
// of the pattern syntax.
#include <gtest/gtest.h>

#include <bitset>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "scangen_test_support.h"

namespace {

constexpr size_t MAX_TEXT = 12;            // texts are short; position sets fit in 64 bits
constexpr int TEXTS_PER_CONDITION = 3000;  // random texts tried in each start condition
constexpr unsigned SEED = 20240611;

// Reference patterns: a recursive-descent reader into a tree, evaluated over sets of text
// positions. It shares nothing with the generator but the rule file record.
struct Node {
  enum Kind { BYTES, CONCAT, ALTERNATE, STAR, PLUS, OPTIONAL } kind;
  std::bitset<256> bytes;      // BYTES: the bytes it matches
  std::vector<Node> children;  // operands
};

struct Reader {
  const std::string &p;
  size_t pos = 0;

  bool more() const { return pos < p.size(); }
  unsigned char peek() const { return static_cast<unsigned char>(p[pos]); }

  int escaped_byte() {
    unsigned char c = static_cast<unsigned char>(p[pos++]);
    if (c != '\\') return c;
    c = static_cast<unsigned char>(p[pos++]);
    return c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  Node bracket() {
    Node n{Node::BYTES, {}, {}};
    bool negate = peek() == '^';
    if (negate) pos++;
    while (peek() != ']') {
      int low = escaped_byte(), high = low;
      if (peek() == '-' && p[pos + 1] != ']') {
        pos++;
        high = escaped_byte();
      }
      for (int b = low; b <= high; b++) n.bytes.set(static_cast<size_t>(b));
    }
    pos++;
    if (negate) n.bytes.flip();
    return n;
  }
  Node atom() {
    unsigned char c = peek();
    if (c == '(') {
      pos++;
      Node inner = alternation();
      pos++;  // ")"
      return inner;
    }
    if (c == '[') {
      pos++;
      return bracket();
    }
    Node n{Node::BYTES, {}, {}};
    if (c == '.') {
      pos++;
      n.bytes.set().reset('\n');
    } else {
      n.bytes.set(static_cast<size_t>(escaped_byte()));
    }
    return n;
  }
  Node repetition() {
    Node n = atom();
    while (more() && (peek() == '*' || peek() == '+' || peek() == '?')) {
      char op = p[pos++];
      n = Node{op == '*' ? Node::STAR : op == '+' ? Node::PLUS : Node::OPTIONAL, {}, {n}};
    }
    return n;
  }
  Node sequence() {
    Node n{Node::CONCAT, {}, {}};
    while (more() && peek() != '|' && peek() != ')') n.children.push_back(repetition());
    return n;
  }
  Node alternation() {
    Node n{Node::ALTERNATE, {}, {sequence()}};
    while (more() && peek() == '|') {
      pos++;
      n.children.push_back(sequence());
    }
    return n;
  }
};

// The end positions of `n`'s matches that start at any position of `starts` (bit i: i).
uint64_t ends(const Node &n, const std::string &text, uint64_t starts) {
  switch (n.kind) {
    case Node::BYTES: {
      uint64_t result = 0;
      for (size_t i = 0; i < text.size(); i++)
        if ((starts >> i & 1) && n.bytes.test(static_cast<unsigned char>(text[i]))) result |= uint64_t{1} << (i + 1);
      return result;
    }
    case Node::CONCAT:
      for (const Node &c : n.children) starts = ends(c, text, starts);
      return starts;
    case Node::ALTERNATE: {
      uint64_t result = 0;
      for (const Node &c : n.children) result |= ends(c, text, starts);
      return result;
    }
    case Node::OPTIONAL:
      return starts | ends(n.children[0], text, starts);
    default: {  // STAR, PLUS: iterate to the fixpoint
      uint64_t reached = n.kind == Node::STAR ? starts : 0, frontier = starts;
      while (frontier != 0) {
        uint64_t step = ends(n.children[0], text, frontier);
        frontier = step & ~reached;
        reached |= step;
      }
      return reached;
    }
  }
}

struct Answer {
  int length;  // bytes of the longest match, 0 if none
  int rule;    // first-listed rule matching that many bytes, 0 if none
  bool operator==(const Answer &o) const { return length == o.length && rule == o.rule; }
};

std::ostream &operator<<(std::ostream &os, const Answer &a) {
  return os << "{length " << a.length << ", rule " << a.rule << "}";
}

// Longest match and priority by the reference trees; the default rule takes any one byte.
Answer reference_answer(const std::vector<Node> &trees, int condition, const std::string &text) {
  Answer best{0, 0};
  for (size_t r = 0; r < built.rules.rules.size(); r++) {
    const std::vector<int> &conditions = built.rules.rules[r].conditions;
    if (std::find(conditions.begin(), conditions.end(), condition) == conditions.end()) continue;
    uint64_t found = ends(trees[r], text, 1) & ~uint64_t{1};
    int longest = found == 0 ? 0 : 63 - __builtin_clzll(found);
    if (longest > best.length) best = {longest, static_cast<int>(r) + 1};
  }
  if (best.length == 0 && !text.empty()) best = {1, static_cast<int>(built.rules.rules.size()) + 1};
  return best;
}

// Longest match and priority by the packed tables, as the engine runs them with its backing
// up; a NUL in the text takes the class the patterns give it.
Answer automaton_answer(int condition, const std::string &text) {
  const ScannerTables tables = built.view();
  Answer last{0, 0};
  int state = table_start_state(condition);
  for (size_t i = 0;; i++) {
    if (built.packed.accept[state] != 0) last = {static_cast<int>(i), built.packed.accept[state]};
    if (i == text.size()) break;
    state = yy_transition(tables, state, built.classes.class_of[static_cast<unsigned char>(text[i])]);
    if (state == built.packed.jam_state) break;
  }
  return last;
}

// Random texts: runs of samples of random rules' patterns, cut at random (so that the
// automaton meets unfinished matches), mixed with bytes that no pattern may name.
struct TextMaker {
  const std::vector<Node> &trees;
  std::mt19937 random{SEED};
  std::string extra_bytes = std::string("\0\n\t x\x80\xff\r", 9);

  size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); }
  void sample(const Node &n, std::string *text) {
    switch (n.kind) {
      case Node::BYTES: {
        size_t pick = below(n.bytes.count());
        for (size_t b = 0;; b++)
          if (n.bytes.test(b) && pick-- == 0) return text->push_back(static_cast<char>(b));
      }
      case Node::CONCAT:
        for (const Node &c : n.children) sample(c, text);
        return;
      case Node::ALTERNATE:
        return sample(n.children[below(n.children.size())], text);
      default:  // at most three rounds of a repetition, at least one for PLUS
        for (size_t rounds = below(n.kind == Node::OPTIONAL ? 2 : 4) + (n.kind == Node::PLUS); rounds > 0; rounds--)
          sample(n.children[0], text);
    }
  }
  std::string make() {
    std::string text;
    size_t target = below(MAX_TEXT + 1);
    while (text.size() < target) {
      size_t kind = below(5);
      if (kind == 0)
        text += extra_bytes[below(extra_bytes.size())];
      else if (kind == 1)
        text += static_cast<char>(below(256));
      else
        sample(trees[below(trees.size())], &text);
    }
    return text.substr(0, target);
  }
};

// Compares both answers for every condition over many texts; stops at the first difference.
void compare_on_random_texts(const char *name) {
  std::vector<Node> trees;
  for (const ScanRule &rule : built.rules.rules) trees.push_back(Reader{rule.pattern}.alternation());
  TextMaker maker{trees};
  for (int condition = 0; condition < static_cast<int>(built.rules.conditions.size()); condition++)
    for (int i = 0; i < TEXTS_PER_CONDITION; i++) {
      std::string text = maker.make();
      Answer expected = reference_answer(trees, condition, text);
      ASSERT_EQ(automaton_answer(condition, text), expected)
          << name << ", condition " << condition << ", text " << ::testing::PrintToString(text);
    }
}

TEST(Differential, RealRuleSets) {
  for (const char *path : {INFIX_RULES_PATH, POSTFIX_RULES_PATH}) {
    ASSERT_EQ(build_from_file(path), 0) << last_diagnostic();
    compare_on_random_texts(path);
  }
}

TEST(Differential, EveryPatternFeature) {
  const char *const rule_sets[] = {
      R"(condition A
condition B
rule lit A abc
rule alt A ab|cd|e
rule group A (ab)+c?
rule star A x*y
rule opt A zq?
rule set A [a-c0-9]+
rule negset A [^a-z\n]
rule dot A d.f
rule esc A \(\*\+\?\|\.\[\\\n\t\]
rule both A,B q+r
rule nested B ((a|b)*c)+|d(e|f)?g
rule setesc B [\]\-\\^]+
rule dash B [-a]x|[a-]y
rule nulset B [^b]b
rule ranges B [ -/:-@]+[\t ]
rule tie B c
)",
      R"(condition S
rule kw S if|in|int
rule id S [a-z][a-z0-9]*
rule num S [0-9]+(\.[0-9]+)?
rule op S <|<=|<<|<<=|=|==
rule ws S [ \t\n]+
rule str S "([^"\\\n]|\\.)*"
rule comment S /\*([^*]|\*+[^*/])*\*+/
rule nest S (((x)))|((y|z)+w)?v
)",
  };
  for (const char *text : rule_sets) {
    ASSERT_EQ(build_from_text(text), 0) << last_diagnostic();
    compare_on_random_texts(text);
  }
}

}  // namespace

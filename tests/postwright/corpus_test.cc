// postwright over a generated corpus: seeded random programs are built as expression trees,
// written as infix text with random layout and redundant parentheses, and the conversions are
// checked against what the trees say: the postfix text, the Boolean value of every statement,
// and (when inwright is built) the fully parenthesised infix form and its fixed point, and
// the readable form, which reads back with none of its parentheses to spare.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "program_runner.h"

namespace {

constexpr int CORPUS_FILES = 12;
constexpr int STATEMENTS_PER_FILE = 40;
constexpr int MAX_DEPTH = 6;
constexpr int ASSIGNMENTS_PER_STATEMENT = 8;

enum Kind { LEAF, NOT, AND, OR };

struct Node {
  Kind kind;
  std::string text;     // operand text, for a LEAF
  bool number = false;  // the operand is a number (its fragment carries no blank)
  int left = -1;        // operand of NOT, left operand of AND and OR
  int right = -1;       // right operand of AND and OR
};

struct Statement {
  std::string line;    // a comment or a brace line, or empty for an assignment
  std::string target;  // assignment target
  int root = -1;       // expression tree, an index into Program::nodes
};

struct Program {
  std::vector<Node> nodes;
  std::vector<Statement> statements;
};

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  Program program() {
    Program p;
    nodes_ = &p.nodes;
    for (int i = 0; i < STATEMENTS_PER_FILE; i++) {
      Statement s;
      int pick = below(12);
      if (pick == 0)
        s.line = "--" + chars(" abc-|&!;(){}\\", 12) + "\n";
      else if (pick == 1)
        s.line = below(2) ? "{\n" : "}\n";
      else {
        s.target = name();
        s.root = expression(MAX_DEPTH);
      }
      p.statements.push_back(s);
    }
    return p;
  }

  // Infix text: minimal parentheses for the tree's shape plus random redundant ones, random
  // blanks, tabs and newlines between tokens, and sometimes two statements on one line.
  std::string infix(const Program &p) {
    std::string text;
    for (const Statement &s : p.statements) {
      if (!s.line.empty()) {
        text += s.line;
        continue;
      }
      text += s.target + gap() + "=" + gap() + write(p, s.root) + gap() + ";" + (below(4) ? "\n" : " ");
    }
    return text;
  }

 private:
  std::mt19937 random_;
  std::vector<Node> *nodes_ = nullptr;

  int below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  std::string chars(const std::string &from, int most) {
    std::string s;
    for (int n = below(most + 1); n > 0; n--) s += from[static_cast<size_t>(below(static_cast<int>(from.size())))];
    return s;
  }
  std::string gap() {
    static const char *const gaps[] = {"", "", " ", " ", "\t", "\n", "  "};
    return gaps[below(7)];
  }
  std::string arguments() { return "(" + chars("-,019AZaz_t", 4) + ")"; }
  std::string identifier() { return std::string(1, "abtxyzAZ_"[below(9)]) + chars("abt01_9Z", 3); }
  // Never empty: two backslashes in a row stay inside a quoted name.
  std::string quoted() {
    std::string s = "\\";
    for (int n = 1 + below(4); n > 0; n--) s += below(4) ? std::string(1, " ab&|!;(){}+*-#"[below(15)]) : "\\\\";
    return s + "\\";
  }
  std::string name() {
    switch (below(4)) {
      case 0:
        return identifier() + arguments();
      case 1:
        return quoted() + (below(2) ? arguments() : "");
      default:
        return identifier();
    }
  }
  int add(Node n) {
    nodes_->push_back(n);
    return static_cast<int>(nodes_->size()) - 1;
  }
  int leaf() {
    static const char *const numbers[] = {"0", "1", "12", "-3", "-", "t-1", "007"};
    if (below(3) == 0) return add({LEAF, numbers[below(7)], true});
    return add({LEAF, name(), false});
  }
  int expression(int depth) {
    int pick = depth == 0 ? 0 : below(5);
    if (pick <= 1) return leaf();
    if (pick == 2) return add({NOT, "", false, expression(depth - 1)});
    int left = expression(depth - 1);
    int right = expression(depth - 1);
    return add({pick == 3 ? AND : OR, "", false, left, right});
  }
  // How tightly a node's written form binds: OR loosest, then AND, NOT, operands.
  static int level(Kind k) { return k == OR ? 1 : k == AND ? 2 : k == NOT ? 3 : 4; }
  std::string operand(const Program &p, int node, bool needs_parentheses) {
    std::string text = write(p, node);
    if (needs_parentheses || below(8) == 0) return "(" + gap() + text + gap() + ")";
    return text;
  }
  std::string write(const Program &p, int node) {
    const Node &n = p.nodes[static_cast<size_t>(node)];
    if (n.kind == LEAF) return n.text;
    if (n.kind == NOT)
      return "!" + gap() + operand(p, n.left, level(p.nodes[static_cast<size_t>(n.left)].kind) < level(NOT));
    // Both operators group to the left: a right operand of the same level needs parentheses.
    int lhs = level(p.nodes[static_cast<size_t>(n.left)].kind), rhs = level(p.nodes[static_cast<size_t>(n.right)].kind);
    return operand(p, n.left, lhs < level(n.kind)) + gap() + (n.kind == AND ? "&" : "|") + gap() +
           operand(p, n.right, rhs <= level(n.kind));
  }
};

// The postfix text of a tree: operands in order (names with one blank, numbers without, one
// blank between two numbers in a row), each sign after its operands.
void postfix(const Program &p, int node, std::string &out, bool &after_number) {
  const Node &n = p.nodes[static_cast<size_t>(node)];
  if (n.kind == LEAF) {
    out += (n.number && after_number ? " " : "") + n.text + (n.number ? "" : " ");
    after_number = n.number;
    return;
  }
  postfix(p, n.left, out, after_number);
  if (n.kind != NOT) postfix(p, n.right, out, after_number);
  out += n.kind == NOT ? "!" : n.kind == AND ? "&" : "|";
  after_number = false;
}

std::string expected_postfix(const Program &p) {
  std::string out;
  for (const Statement &s : p.statements) {
    if (!s.line.empty()) {
      out += s.line;
      continue;
    }
    bool after_number = false;
    out += s.target + " =";
    postfix(p, s.root, out, after_number);
    out += ";\n";
  }
  return out;
}

using Values = std::map<std::string, bool>;  // operand text -> its value in one assignment

bool evaluate(const Program &p, int node, const Values &values) {
  const Node &n = p.nodes[static_cast<size_t>(node)];
  switch (n.kind) {
    case LEAF:
      return values.at(n.text);
    case NOT:
      return !evaluate(p, n.left, values);
    case AND:
      return evaluate(p, n.left, values) && evaluate(p, n.right, values);
    default:
      return evaluate(p, n.left, values) || evaluate(p, n.right, values);
  }
}

void collect_operands(const Program &p, int node, std::vector<std::string> &texts) {
  const Node &n = p.nodes[static_cast<size_t>(node)];
  if (n.kind == LEAF) texts.push_back(n.text);
  if (n.left >= 0) collect_operands(p, n.left, texts);
  if (n.right >= 0) collect_operands(p, n.right, texts);
}

bool is_letter(char c) { return isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool is_argument_char(char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ',' || c == '-'; }

// Length of a well-formed argument list at `at`, 0 when there is none.
size_t argument_list(const std::string &s, size_t at) {
  if (at >= s.size() || s[at] != '(') return 0;
  size_t end = at + 1;
  while (end < s.size() && is_argument_char(s[end])) end++;
  return end < s.size() && s[end] == ')' ? end + 1 - at : 0;
}

// Length of the operand that starts at `at` in postfix text.
size_t operand_length(const std::string &s, size_t at) {
  size_t end = at + 1;
  if (s[at] == '\\') {
    while (s[end] != '\\' || s[end + 1] == '\\') end += s[end] == '\\' ? 2 : 1;
    end++;
    return end + argument_list(s, end) - at;
  }
  if (is_letter(s[at]) && s.compare(at, 3, "t-1") != 0) {
    while (end < s.size() && (is_letter(s[end]) || isdigit(static_cast<unsigned char>(s[end])))) end++;
    return end + argument_list(s, end) - at;
  }
  if (s[at] == 't') return 3;
  while (end < s.size() && isdigit(static_cast<unsigned char>(s[end]))) end++;
  return end - at;
}

// Evaluates the expression of one postfix statement line ("TARGET =POSTFIX;") with a stack.
bool evaluate_postfix(const std::string &line, const Values &values) {
  std::vector<bool> stack;
  size_t at = line.find(" =") + 2;
  while (at + 1 < line.size()) {
    char c = line[at];
    if (c == ' ') {
      at++;
    } else if (c == '!') {
      stack.back() = !stack.back();
      at++;
    } else if (c == '&' || c == '|') {
      bool right = stack.back();
      stack.pop_back();
      stack.back() = c == '&' ? stack.back() && right : stack.back() || right;
      at++;
    } else {
      size_t length = operand_length(line, at);
      stack.push_back(values.at(line.substr(at, length)));
      at += length;
    }
  }
  EXPECT_EQ(stack.size(), 1u) << line;
  return stack.empty() ? false : stack.back();
}

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Runs `exe` on `input` and expects a clean run; returns the output file.
std::string convert(const std::string &exe, const std::string &input, const std::vector<std::string> &options = {}) {
  RunResult r = run_conversion(exe, input, options);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  return r.output;
}

struct CorpusFile {
  Program program;
  std::string infix;    // the generated input
  std::string postfix;  // what postwright wrote
};

const std::vector<CorpusFile> &corpus() {
  static std::vector<CorpusFile> files = [] {
    std::vector<CorpusFile> all;
    for (unsigned seed = 1; seed <= CORPUS_FILES; seed++) {
      Generator g(seed);
      CorpusFile f;
      f.program = g.program();
      f.infix = g.infix(f.program);
      f.postfix = convert(POSTWRIGHT_EXE, f.infix);
      all.push_back(f);
    }
    return all;
  }();
  return files;
}

TEST(Corpus, PostfixIsTheTreeInPostorder) {
  for (const CorpusFile &f : corpus()) EXPECT_EQ(f.postfix, expected_postfix(f.program)) << f.infix;
}

TEST(Corpus, PostfixComputesWhatTheInfixComputes) {
  std::mt19937 random(7);
  for (const CorpusFile &f : corpus()) {
    std::vector<std::string> lines = lines_of(f.postfix);
    ASSERT_EQ(lines.size(), f.program.statements.size());
    for (size_t i = 0; i < lines.size(); i++) {
      const Statement &s = f.program.statements[i];
      if (!s.line.empty()) continue;
      std::vector<std::string> operands;
      collect_operands(f.program, s.root, operands);
      for (int trial = 0; trial < ASSIGNMENTS_PER_STATEMENT; trial++) {
        Values values;
        for (const std::string &o : operands) values[o] = random() % 2 == 1;
        EXPECT_EQ(evaluate_postfix(lines[i], values), evaluate(f.program, s.root, values)) << lines[i];
      }
    }
  }
}

// The infix form that reading the postfix back gives: negations cancel in pairs, every group
// below the root is parenthesised, and the root's group only when it is negated.
std::string parenthesised(const Program &p, int node, bool root) {
  bool negated = false;
  while (p.nodes[static_cast<size_t>(node)].kind == NOT) {
    negated = !negated;
    node = p.nodes[static_cast<size_t>(node)].left;
  }
  const Node &n = p.nodes[static_cast<size_t>(node)];
  std::string sign = negated ? "!" : "";
  if (n.kind == LEAF) return sign + n.text;
  std::string group = parenthesised(p, n.left, false) + (n.kind == AND ? "&" : "|") + parenthesised(p, n.right, false);
  return root && !negated ? group : sign + "(" + group + ")";
}

std::string expected_infix(const Program &p) {
  std::string out;
  for (const Statement &s : p.statements)
    out += s.line.empty() ? s.target + " =" + parenthesised(p, s.root, true) + ";\n" : s.line;
  return out;
}

TEST(Corpus, ReadBackGivesTheParenthesisedFormAFixedPoint) {
  for (const CorpusFile &f : corpus()) {
    std::string infix = convert(INWRIGHT_EXE, f.postfix);
    EXPECT_EQ(infix, expected_infix(f.program)) << f.infix;
    EXPECT_EQ(convert(INWRIGHT_EXE, convert(POSTWRIGHT_EXE, infix)), infix);
  }
}

}  // namespace

// --- The readable form ---

// A pair of parentheses of an expression in readable infix text, and the statement it is in.
struct Pair {
  size_t statement;  // statements before it, counted by their ";"
  size_t open, close;
};

// The pairs of the expressions, in the order they close; argument lists, quoted names and
// comments hold none.
std::vector<Pair> expression_pairs(const std::string &text) {
  std::vector<Pair> pairs;
  std::vector<size_t> opens;
  size_t statement = 0;
  for (size_t at = 0; at < text.size();) {
    char c = text[at];
    if (text.compare(at, 2, "--") == 0) {
      at = text.find('\n', at);
      continue;
    }
    if (c == '\\' || is_letter(c)) {
      at += operand_length(text, at);
      continue;
    }
    if (c == '(') opens.push_back(at);
    if (c == ')') {
      pairs.push_back({statement, opens.back(), at});
      opens.pop_back();
    }
    if (c == ';') statement++;
    at++;
  }
  return pairs;
}

// The assignment lines of postwright's output, without its comment and brace lines.
std::vector<std::string> assignments_of(const std::string &postfix) {
  std::vector<std::string> assignments;
  for (const std::string &line : lines_of(postfix)) {
    if (line.rfind("--", 0) != 0 && line != "{" && line != "}") assignments.push_back(line);
  }
  return assignments;
}

// What postwright writes for `infix`, which it must accept.
std::string read_back(const std::string &infix) {
  RunResult r = run_conversion(POSTWRIGHT_EXE, infix, {"-q"});
  EXPECT_EQ(r.status, 0) << r.err << infix;
  return r.output;
}

// Checks the readable form of `postfix`: postwright reads it back to the postfix that it
// reads from the default form, where that reads back at all, and each pair of parentheses
// is needed: without it, its statement's postfix changes. The k-th pair of every statement
// is taken away at once, since the statements convert apart. Returns the pairs checked.
size_t check_readable_form(const std::string &postfix) {
  std::string readable = convert(INWRIGHT_EXE, postfix, {"--readable"});
  std::string expected = read_back(readable);
  RunResult from_default = run_conversion(POSTWRIGHT_EXE, convert(INWRIGHT_EXE, postfix), {"-q"});
  if (from_default.status == 0) {
    EXPECT_EQ(expected, from_default.output) << readable;
  }
  std::vector<std::string> statements = assignments_of(expected);
  std::vector<Pair> pairs = expression_pairs(readable);
  std::vector<size_t> rank(pairs.size()), seen(statements.size());
  for (size_t i = 0; i < pairs.size(); i++) rank[i] = seen.at(pairs[i].statement)++;
  for (size_t k = 0;; k++) {
    std::vector<size_t> cut;
    std::vector<bool> changed(statements.size());
    for (size_t i = 0; i < pairs.size(); i++) {
      if (rank[i] != k) continue;
      cut.insert(cut.end(), {pairs[i].open, pairs[i].close});
      changed[pairs[i].statement] = true;
    }
    if (cut.empty()) break;
    std::string variant = readable;
    std::sort(cut.rbegin(), cut.rend());
    for (size_t at : cut) variant.erase(at, 1);
    std::vector<std::string> got = assignments_of(read_back(variant));
    EXPECT_EQ(got.size(), statements.size()) << variant;
    if (got.size() != statements.size()) break;
    for (size_t i = 0; i < statements.size(); i++) {
      if (changed[i]) {
        EXPECT_NE(got[i], statements[i]) << "pair " << k << " is not needed in " << statements[i];
      } else {
        EXPECT_EQ(got[i], statements[i]);
      }
    }
  }
  return pairs.size();
}

TEST(Corpus, ReadableFormReadsBackWithEveryParenthesisNeeded) {
  size_t pairs = 0;
  for (const CorpusFile &f : corpus()) pairs += check_readable_form(f.postfix);
  // The bundled examples: postfix that postwright writes, and postfix written by hand with a
  // comment inside a statement, which the default form does not read back.
  pairs += check_readable_form(convert(POSTWRIGHT_EXE, read_file(EXAMPLES_DIR "/features.infix")));
  pairs += check_readable_form(read_file(EXAMPLES_DIR "/features.postfix"));
  EXPECT_GT(pairs, 0u);
}

// Tests of the LALR(1) table generator: the automaton and defaults of the infix grammar, the
// tables the build generated from it, lookaheads and precedence on small grammars that tell
// a right construction from a near miss, the verification, the grammar file's errors and
// the written files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "conflict_resolution.h"
#include "default_reductions.h"
#include "diagnostics.h"
#include "emit_tables.h"
#include "files.h"
#include "grammar_file.h"
#include "infix_parse_tables.h"
#include "lalr_lookaheads.h"
#include "lr0_automaton.h"
#include "parse_row_packing.h"
#include "parse_tables.h"
#include "verify_tables.h"

namespace {

enum BuildResult {
  build_done = 0,                             // tables assembled and verified
  build_bad_grammar = EXIT_INPUT_FAULT,       // the grammar file is wrong: messages say where
  build_internal_error = EXIT_INTERNAL_FAULT  // verification failed
};

// Every record of one construction, stage by stage.
struct ParseBuild {
  Grammar grammar;           // the grammar file as read
  Automaton automaton;       // its LR(0) automaton
  Lookaheads lookaheads;     // the LALR(1) lookaheads of its reductions
  ActionTable actions;       // the action function, conflicts settled
  DefaultedTables defaults;  // the rows left beside the defaults
  PackedParseRows packed;    // the rows packed
  ParseTables tables;        // the tables lalrgen would write
};

ParseBuild built;  // what the latest build in this test built

std::string read_text(const char *path) {
  std::string text;
  read_whole_file(path, &text);
  return text;
}

int verify(const ParseTablesView &view) {
  return verify_parse_tables(view, built.grammar, built.automaton, built.actions);
}

// The stages from grammar text to verified tables, with the fault in diagnostics() when one
// fails; returns a BuildResult.
int build_parse_tables(const char *file_name, const std::string &text) {
  clear_diagnostics();
  ParseBuild &b = built;
  std::optional<Grammar> grammar = read_grammar(file_name, text);
  if (!grammar) return build_bad_grammar;
  b.grammar = *grammar;
  b.automaton = build_lr0_automaton(b.grammar);
  b.lookaheads = compute_lalr_lookaheads(b.grammar, b.automaton);
  b.actions = resolve_conflicts(b.grammar, b.automaton, b.lookaheads);
  std::optional<PackedParseRows> packed;
  if (b.actions.unresolved == 0) {
    b.defaults = choose_defaults(b.grammar, b.automaton, b.actions);
    packed = pack_parse_rows(b.grammar, b.defaults);
  }
  if (!packed) return build_bad_grammar;
  b.packed = *packed;
  b.tables = assemble_parse_tables(b.grammar, b.automaton, b.defaults, b.packed);
  return verify(parse_tables_view(b.tables)) < 0 ? build_internal_error : build_done;
}

int build_infix() { return build_parse_tables(INFIX_GRAMMAR_PATH, read_text(INFIX_GRAMMAR_PATH)); }

int build_text(const std::string &text) { return build_parse_tables("t.grammar", text); }

int symbol_named(const std::string &name) {
  for (size_t s = 0; s < built.grammar.symbols.size(); s++) {
    if (built.grammar.symbols[s].name == name) return static_cast<int>(s);
  }
  ADD_FAILURE() << "no symbol " << name;
  return 0;
}

// The state reached from the start state along `path` (symbols separated by blanks).
int state_after(const std::string &path) {
  int state = 0;
  size_t at = 0;
  while (at < path.size()) {
    size_t end = path.find(' ', at);
    if (end == std::string::npos) end = path.size();
    state = successor_of(built.automaton, state, symbol_named(path.substr(at, end - at)));
    EXPECT_GE(state, 0) << "no way along " << path;
    if (state < 0) return 0;
    at = end + 1;
  }
  return state;
}

int action_after(const std::string &path, const std::string &terminal) {
  return action_of(built.actions, state_after(path), symbol_named(terminal));
}

const char ASSIGNMENT[] = "input ident EQ @1 ";  // the path into an assignment's expression

// The number of the rule written "LEFT : RIGHT...": the tests name a rule by what it says, not
// by its place in the file.
int rule_numbered(const std::string &text) {
  for (int r = 1; r <= rule_count(built.grammar); r++) {
    const GrammarRule &rule = built.grammar.rules[r];
    std::string written = symbol_name(built.grammar, rule.lhs) + std::string(" :");
    for (int symbol : rule.rhs) written += std::string(" ") + symbol_name(built.grammar, symbol);
    if (written == text) return r;
  }
  ADD_FAILURE() << "no rule " << text;
  return 0;
}

}  // namespace

TEST(InfixGrammar, AutomatonHasTheExpectedStates) {
  ASSERT_EQ(build_infix(), build_done) << (diagnostics().empty() ? "" : diagnostics()[0]);
  // The shape the build's own run of lalrgen gave, in the generated header.
  EXPECT_EQ(built.automaton.states.size(), static_cast<size_t>(PARSE_STATE_COUNT));
  EXPECT_EQ(built.automaton.final_state, PARSE_FINAL_STATE);
  EXPECT_EQ(rule_count(built.grammar), PARSE_RULE_COUNT);
  EXPECT_EQ(built.grammar.symbols.size(), static_cast<size_t>(PARSE_FIRST_NONTERMINAL + PARSE_NONTERMINAL_COUNT));
  EXPECT_EQ(built.grammar.token_count, PARSE_FIRST_NONTERMINAL);
  EXPECT_EQ(built.grammar.symbols[built.grammar.start_symbol].name, "input");
  EXPECT_EQ(built.automaton.states[0].kernel, std::vector<int>{built.automaton.rule_first_item[0]});
  EXPECT_TRUE(built.automaton.states[built.automaton.final_state].kernel.empty());
  // The end of input is shifted once, and the second look at it names the final state.
  int after_end = action_after("input", "$");
  ASSERT_GT(after_end, 0);
  EXPECT_EQ(action_of(built.actions, after_end, built.grammar.end_symbol), built.automaton.final_state);
  EXPECT_TRUE(diagnostics().empty());
  // Each operator rule meets each infix operator once: NOT, AND and OR against AND and OR.
  int operator_rules = 0, infix_operators = 0;
  for (const GrammarRule &rule : built.grammar.rules) operator_rules += rule.precedence != 0 ? 1 : 0;
  for (const Symbol &symbol : built.grammar.symbols) infix_operators += symbol.associativity == assoc_left ? 1 : 0;
  EXPECT_EQ(built.actions.resolved, operator_rules * infix_operators);
}

TEST(InfixGrammar, PrecedenceDecidesTheOperatorConflicts) {
  ASSERT_EQ(build_infix(), build_done);
  struct Case {
    const char *operands;  // the expression read so far
    const char *next;      // the operator that follows
    bool shifts;           // else it reduces the operands
  };
  const Case cases[] = {
      {"expr OR expr", "OR", false},   {"expr OR expr", "AND", true}, {"expr AND expr", "OR", false},
      {"expr AND expr", "AND", false}, {"NOT expr", "OR", false},     {"NOT expr", "AND", false},
  };
  for (const Case &c : cases) {
    int got = action_after(std::string(ASSIGNMENT) + c.operands, c.next);
    int reduce = -rule_numbered(std::string("expr : ") + c.operands);
    EXPECT_EQ(got > 0 ? 1 : got, c.shifts ? 1 : reduce) << c.operands << " then " << c.next;
  }
}

// When each piece of text is written depends on which states reduce without a lookahead.
TEST(InfixGrammar, DefaultReductions) {
  ASSERT_EQ(build_infix(), build_done);
  struct Case {
    std::string path;  // symbols shifted or reduced from the start state
    const char *rule;  // the state's default reduction
  };
  const std::string a = ASSIGNMENT;
  const Case silent[] = {
      {"", "input :"},
      {"input ID", "ident : ID"},
      {"input COMMENT", "instr : COMMENT"},
      {"input '{'", "klamra : '{'"},
      {"input '}'", "klamra : '}'"},
      {"input instr", "input : input instr"},
      {"input klamra", "instr : klamra"},
      {"input ident EQ", "@1 :"},
      {a + "ident", "expr : ident"},
      {a + "INT_EXPR", "expr : INT_EXPR"},
      {a + "expr SEMICOL", "instr : ident EQ @1 expr SEMICOL"},
      {a + "'(' expr ')'", "expr : '(' expr ')'"},
      {a + "NOT expr", "expr : NOT expr"},
      {a + "expr AND expr", "expr : expr AND expr"},
  };
  std::vector<bool> listed(built.automaton.states.size(), false);
  for (const Case &c : silent) {
    int s = state_after(c.path);
    listed[s] = true;
    EXPECT_EQ(built.defaults.state_default[s], rule_numbered(c.rule)) << c.path;
    EXPECT_TRUE(built.defaults.reads_nothing[s]) << c.path;
    EXPECT_EQ(built.packed.state_base[s], NO_ROW_BASE) << c.path;
  }
  // After expr OR expr: shift AND, reduce the OR on every other token.
  int or_state = state_after(a + "expr OR expr");
  listed[or_state] = true;
  EXPECT_EQ(built.defaults.state_default[or_state], rule_numbered("expr : expr OR expr"));
  EXPECT_FALSE(built.defaults.reads_nothing[or_state]);
  EXPECT_EQ(action_of(built.actions, or_state, symbol_named("AND")), state_after(a + "expr OR expr AND"));
  // Every other state has no default, so that a token it lacks an entry for is a syntax
  // error, but for the states like the one above that complete a looser binary operator: they
  // shift only tighter operators and reduce otherwise.
  for (size_t s = 0; s < built.automaton.states.size(); s++) {
    int rule = built.defaults.state_default[s];
    if (listed[s] || rule == 0) continue;
    const GrammarRule &r = built.grammar.rules[rule];
    ASSERT_EQ(r.rhs.size(), 3u) << "state " << s << " reduces by default by rule " << rule;
    EXPECT_EQ(r.rhs[0], symbol_named("expr")) << "state " << s;
    EXPECT_FALSE(built.defaults.reads_nothing[s]) << "state " << s;
    for (int key : built.defaults.state_rows[s].keys)
      EXPECT_GT(built.grammar.symbols[key].precedence, r.precedence) << "state " << s << " shifts " << key;
  }
}

static ParseTablesView generated_tables() {
  ParseTablesView v{};
  v.token_to_symbol = token_to_symbol;
  v.rule_lhs = rule_lhs;
  v.rule_length = rule_length;
  v.rule_action = rule_action;
  v.state_base = state_base;
  v.state_default = state_default;
  v.goto_base = goto_base;
  v.goto_default = goto_default;
  v.packed_action = packed_action;
  v.packed_check = packed_check;
  v.max_code = PARSE_MAX_CODE;
  v.rule_count = PARSE_RULE_COUNT;
  v.state_count = PARSE_STATE_COUNT;
  v.nonterminal_count = PARSE_NONTERMINAL_COUNT;
  v.last_index = PARSE_LAST_INDEX;
  v.final_state = PARSE_FINAL_STATE;
  v.first_nonterminal = PARSE_FIRST_NONTERMINAL;
  v.end_symbol = PARSE_END_SYMBOL;
  v.undefined_symbol = PARSE_UNDEFINED_SYMBOL;
  return v;
}

template <typename T>
static void expect_same(const T *generated, const std::vector<T> &ours, size_t count, const char *name) {
  ASSERT_EQ(ours.size(), count) << name;
  EXPECT_EQ(std::vector<T>(generated, generated + count), ours) << name;
}

TEST(InfixGrammar, GeneratedTablesAreTheVerifiedConstruction) {
  ASSERT_EQ(build_infix(), build_done);
  EXPECT_EQ(verify(parse_tables_view(built.tables)), 0) << last_diagnostic();
  EXPECT_EQ(verify(generated_tables()), 0) << last_diagnostic();
  expect_same(token_to_symbol, built.tables.token_to_symbol, PARSE_MAX_CODE + 1, "token_to_symbol");
  expect_same(state_base, built.tables.state_base, PARSE_STATE_COUNT, "state_base");
  expect_same(state_default, built.tables.state_default, PARSE_STATE_COUNT, "state_default");
  expect_same(goto_base, built.tables.goto_base, PARSE_NONTERMINAL_COUNT, "goto_base");
  expect_same(goto_default, built.tables.goto_default, PARSE_NONTERMINAL_COUNT, "goto_default");
  expect_same(packed_action, built.tables.packed_action, PARSE_LAST_INDEX + 1, "packed_action");
  expect_same(packed_check, built.tables.packed_check, PARSE_LAST_INDEX + 1, "packed_check");
  EXPECT_EQ(token_to_symbol[ID], symbol_named("ID"));  // the enumerators are the grammar's codes
  EXPECT_EQ(token_to_symbol[SEMICOL], symbol_named("SEMICOL"));
}

// Each corruption is one a faulty packing could make; verification must notice every one.
TEST(Verify, NoticesCorruptedTables) {
  struct Case {
    const char *what;
    std::function<void()> corrupt;
    const char *message;  // part of the diagnostic
  };
  auto slot_of = [](int state, const char *terminal) {
    return built.tables.state_base[state] + symbol_named(terminal);
  };
  const Case cases[] = {
      {"a shift into another state", [&] { built.tables.packed_action[slot_of(state_after("input"), "ID")]++; },
       "on ID: tables give"},
      {"a slot that lost its owner", [&] { built.tables.packed_check[slot_of(state_after("input"), "ID")] = -1; },
       "on ID: tables give"},
      {"a default the state never reduces by",
       [&] {
         built.tables.state_default[state_after(std::string(ASSIGNMENT) + "expr OR expr")] =
             static_cast<int16_t>(rule_numbered("expr : expr AND expr"));
       },
       "which it never reduces"},
      {"a reading state marked as reading nothing",
       [&] { built.tables.state_base[state_after("input")] = NO_ROW_BASE; }, "reads nothing but has an action"},
      {"a wrong default goto", [&] { built.tables.goto_default[symbol_named("expr") - built.grammar.token_count] = 0; },
       "goto from state"},
      {"a wrong token translation", [&] { built.tables.token_to_symbol['('] = 2; }, "code 40 translates to 2"},
      {"a wrong rule length", [&] { built.tables.rule_length[rule_numbered("instr : ident EQ @1 expr SEMICOL")] = 4; },
       ": left side, length or action differs"},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(build_infix(), build_done);
    c.corrupt();
    EXPECT_EQ(verify(parse_tables_view(built.tables)), -1) << c.what;
    EXPECT_NE(last_diagnostic().find(c.message), std::string::npos) << c.what << ": " << last_diagnostic();
  }
}

// S -> L = R | R, L -> * R | id, R -> L: after a leading L the reduction R -> L applies on '$'
// only, though '=' may follow R elsewhere; a lookahead that took in all of FOLLOW(R) would
// clash with the shift on '=' there.
TEST(Lookaheads, LalrGrammarThatIsNotSlr) {
  const char text[] =
      "end $ 0\nundefined ?\nliteral '='\nliteral '*'\ntoken ID 258\n"
      "nonterminal S start\nnonterminal L\nnonterminal R\n"
      "rule S : L '=' R\nrule S : R\nrule L : '*' R\nrule L : ID\nrule R : L\n";
  ASSERT_EQ(build_text(text), build_done) << diagnostics()[0];
  EXPECT_GT(action_after("L", "'='"), 0);
  EXPECT_EQ(action_after("L", "$"), -5);
}

// S -> a A d | b B d | a B e | b A e, A -> c, B -> c is LR(1) but not LALR(1): merging the
// two states after c joins the lookaheads, and the conflict must be reported, not hidden.
TEST(Lookaheads, MergedStatesConflictIsReported) {
  const char text[] =
      "end $ 0\nundefined ?\ntoken a 258\ntoken b 259\ntoken c 260\ntoken d 261\n"
      "token e 262\nnonterminal S start\nnonterminal A\nnonterminal B\n"
      "rule S : a A d\nrule S : b B d\nrule S : a B e\nrule S : b A e\nrule A : c\nrule B : c\n";
  ASSERT_EQ(build_text(text), build_bad_grammar);
  ASSERT_EQ(diagnostics().size(), 2u);
  EXPECT_NE(diagnostics()[0].find("on d reducing by rule 5 (line 15) or by rule 6 (line 16)"), std::string::npos)
      << diagnostics()[0];
  EXPECT_NE(diagnostics()[1].find("on e reducing by rule 5 (line 15) or by rule 6 (line 16)"), std::string::npos)
      << diagnostics()[1];
}

// Empty rules: lookaheads that pass through nullable nonterminals (reads) and out of the end
// of rules whose tail is nullable (includes).
TEST(Lookaheads, ThroughNullableNonterminals) {
  const char text[] =
      "end $ 0\nundefined ?\ntoken a 258\ntoken b 259\ntoken c 260\ntoken x 261\n"
      "token u 262\ntoken v 263\nnonterminal S start\nnonterminal A\nnonterminal B\nnonterminal T\n"
      "nonterminal U\nnonterminal V\n"
      "rule S : A B c\nrule S : x T V\nrule A : a\nrule A :\nrule B : b\nrule B :\nrule T : U\nrule U : u\n"
      "rule U :\nrule V : v\nrule V :\n";
  ASSERT_EQ(build_text(text), build_done) << diagnostics()[0];
  struct Case {
    const char *path;
    const char *terminal;
    int action;  // 1: a shift
  };
  const Case cases[] = {
      {"", "a", 1},   {"", "b", -4},  {"", "c", -4},    {"", "x", 1},     {"", "$", 0},
      {"", "u", 0},   {"A", "b", 1},  {"A", "c", -6},   {"A", "$", 0},    {"x", "u", 1},
      {"x", "$", -9}, {"x", "v", -9}, {"x U", "$", -7}, {"x U", "v", -7}, {"x T", "$", -11},
  };
  for (const Case &c : cases) {
    int got = action_after(c.path, c.terminal);
    EXPECT_EQ(got > 0 ? 1 : got, c.action) << "after '" << c.path << "' on " << c.terminal;
  }
}

// In a cycle of the relation every member ends with the same set, including what the root
// took in from outside the cycle after the other members were finished.
TEST(Lookaheads, DigraphGivesACycleOneSet) {
  struct Case {
    std::vector<std::vector<int>> edges;
    std::vector<uint64_t> start;
    std::vector<uint64_t> closed;
  };
  const Case cases[] = {
      {{{1, 2}, {0}, {}}, {1, 2, 4}, {7, 7, 4}},                // 0 <-> 1, 0 -> 2
      {{{1}, {2}, {0, 3}, {}}, {1, 2, 4, 8}, {15, 15, 15, 8}},  // 0 -> 1 -> 2 -> 0, 2 -> 3
      {{{1}, {1}, {}}, {1, 2, 4}, {3, 2, 4}},                   // a self loop
      {{{}, {0}, {1}}, {1, 2, 4}, {1, 3, 7}},                   // a chain
  };
  for (const Case &c : cases) {
    std::vector<uint64_t> sets = c.start;
    digraph(c.edges, sets, 1);
    EXPECT_EQ(sets, c.closed);
  }
}

TEST(Precedence, AssociativityDecidesEqualLevels) {
  struct Case {
    const char *declaration;  // precedence line, or empty for none
    int result;               // BuildResult
    int action;               // after e + e on '+': 1 shift, -1 reduce, ACTION_ERROR
  };
  const Case cases[] = {
      {"precedence left '+'\n", build_done, -1},
      {"precedence right '+'\n", build_done, 1},
      {"precedence nonassoc '+'\n", build_done, ACTION_ERROR},
      {"precedence prefix '+'\n", build_bad_grammar, 0},
      {"", build_bad_grammar, 0},
  };
  for (const Case &c : cases) {
    std::string text = std::string("end $ 0\nundefined ?\nliteral '+'\ntoken X 258\n") +
                       "nonterminal e start\nrule e : e '+' e\nrule e : X\n" + c.declaration;
    ASSERT_EQ(build_text(text), c.result) << c.declaration;
    if (c.result != build_done) {
      ASSERT_EQ(diagnostics().size(), 1u);
      EXPECT_NE(diagnostics()[0].find("shifting '+' or reducing by rule 1 (line 6): no precedence decides"),
                std::string::npos)
          << diagnostics()[0];
      continue;
    }
    int got = action_after("e '+' e", "'+'");
    EXPECT_EQ(got > 0 ? 1 : got, c.action) << c.declaration;
    EXPECT_EQ(verify(parse_tables_view(built.tables)), 0) << last_diagnostic();
  }
}

// An expression language with `operators` binary operators, one level each, alternately
// left and right associative, half of them also prefix: a table large enough for rows to
// compete for slots.
static std::string operator_grammar(int operators) {
  std::string text = "end $ 0\nundefined ?\ntoken ID 258\nliteral '('\nliteral ')'\nliteral ';'\nliteral '='\n";
  for (int k = 0; k < operators; k++) text += "token OP" + std::to_string(k) + " " + std::to_string(300 + k) + "\n";
  text += "nonterminal prog start\nnonterminal stmt\nnonterminal expr\n";
  std::vector<std::string> rules = {
      "prog :", "prog : prog stmt", "stmt : expr ';'", "stmt : ID '=' expr ';'", "expr : '(' expr ')'", "expr : ID"};
  for (int k = 0; k < operators; k++) {
    std::string op = "OP" + std::to_string(k);
    rules.push_back("expr : expr " + op + " expr");
    if (k % 2 == 0) rules.push_back("expr : " + op + " expr");
  }
  for (const std::string &rule : rules) text += "rule " + rule + "\n";
  for (int k = 0; k < operators; k++)
    text += (k % 2 == 0 ? "precedence left OP" : "precedence right OP") + std::to_string(k) + "\n";
  return text;
}

TEST(Packing, LargerGrammarsPackAndVerify) {
  for (int operators : {1, 3, 8, 20, 40}) {
    EXPECT_EQ(build_text(operator_grammar(operators)), build_done)
        << operators << " operators: " << (diagnostics().empty() ? "" : diagnostics()[0]);
  }
}

#define SYMBOLS "end $ 0\nundefined ?\ntoken X 258\nnonterminal s start\n"
#define RULE "rule s : X\n"

TEST(GrammarFile, ErrorsNameFileAndLine) {
  struct Case {
    const char *text;
    const char *message;
  };
  const Case cases[] = {
      {"bogus $ 0\n", "t.grammar:1: unknown declaration 'bogus'"},
      {"end $ 0\nend $ 0\n", "t.grammar:2: symbol $ declared twice"},
      {"end $ 5\n", "t.grammar:1: code 0 belongs to the end symbol and to no other"},
      {"end $ 0\ntoken X 0\n", "t.grammar:2: code 0 belongs to the end symbol and to no other"},
      {"end $ 0\ntoken X 1e3\n", "t.grammar:2: token code '1e3' is not a number from 0 to 32767"},
      {"end $ 0\ntoken X 40000\n", "t.grammar:2: token code '40000' is not a number from 0 to 32767"},
      {"end $ 0\ntoken X 258\ntoken Y 258\n", "t.grammar:3: code 258 already belongs to X"},
      {"end $ 0\nliteral '('\ntoken Y 40\n", "t.grammar:3: code 40 already belongs to '('"},
      {"end $ 0\nliteral (\n", "t.grammar:2: literal ( is not one character in single quotes"},
      {"end $ 0\nliteral '(' 40\n", "t.grammar:2: literal takes one character in single quotes"},
      {"end $ 0\ntoken 2X 258\n", "t.grammar:2: token name '2X' is not an identifier"},
      {"end $ 0\ntoken X\n", "t.grammar:2: token takes a name and a code"},
      {"end $ 0\nnonterminal s begin\n", "t.grammar:2: nonterminal takes a name and optionally 'start'"},
      {"end $ 0\nnonterminal :\n", "t.grammar:2: ':' cannot be a symbol name"},
      {SYMBOLS "rule X : X\n", "t.grammar:5: left side X is not a nonterminal"},
      {SYMBOLS "rule s : Y\n", "t.grammar:5: unknown symbol Y"},
      {SYMBOLS "rule s : X ?\n", "t.grammar:5: ? cannot appear in a rule"},
      {SYMBOLS "rule s X\n", "t.grammar:5: a rule reads: rule LEFT : RIGHT... [=> ACTION]"},
      // A display line names a declared terminal, with a quoted text; once there is one,
      // every token has one.
      {SYMBOLS RULE "display Y \"y\"\n", "t.grammar:6: unknown symbol Y"},
      {SYMBOLS RULE "display s \"s\"\n", "t.grammar:6: s is not a terminal and is never named"},
      {SYMBOLS RULE "display X x\n", "t.grammar:6: a display line reads: display TERMINAL \"TEXT\""},
      {"end $ 0\nundefined ?\ntoken X 258\ntoken Y 259\nnonterminal s start\nrule s : X Y\ndisplay X \"x\"\n",
       "t.grammar:4: token Y has no display line: how a syntax message names it"},
      {SYMBOLS "rule s : X => a b\n", "t.grammar:5: a rule reads: rule LEFT : RIGHT... [=> ACTION]"},
      // What an action writes is said once, in its declaration, and every action is run.
      {SYMBOLS "rule s : X => write_x\n",
       "t.grammar:5: action write_x has no output: no action line says what it writes"},
      {SYMBOLS RULE "action write_x text \"x\"\n", "t.grammar:6: action write_x is run by no rule"},
      {SYMBOLS "rule s : X => none\n", "t.grammar:5: a rule that writes nothing names no action: leave out '=> none'"},
      {SYMBOLS "action none fragment\n" RULE, "t.grammar:5: action none writes nothing and is declared by no line"},
      {SYMBOLS "action 9x fragment\n" RULE, "t.grammar:5: action name '9x' is not an identifier"},
      {SYMBOLS "action a fragment\naction a number\n" RULE, "t.grammar:6: action a declared twice"},
      {SYMBOLS "action a text\n" RULE,
       "t.grammar:5: an action reads: action NAME text \"TEXT\", action NAME fragment or action NAME number"},
      {SYMBOLS "action a prints\n" RULE,
       "t.grammar:5: an action reads: action NAME text \"TEXT\", action NAME fragment or action NAME number"},
      {SYMBOLS "action a text \"x\\q\"\n" RULE, "t.grammar:5: the text of action a is not a quoted text"},
      {SYMBOLS "action a text \"x\n" RULE, "t.grammar:5: the text of action a is not a quoted text"},
      {SYMBOLS "action a text \"\"\n" RULE, "t.grammar:5: the text of action a must hold 1 to 15 bytes"},
      {SYMBOLS "action a text \"0123456789abcdef\"\n" RULE,
       "t.grammar:5: the text of action a must hold 1 to 15 bytes"},
      {SYMBOLS RULE "precedence up X\n", "t.grammar:6: associativity 'up' is not left, right, nonassoc or prefix"},
      {SYMBOLS RULE "precedence left s\n", "t.grammar:6: s is not a token and cannot have a precedence"},
      {SYMBOLS RULE "precedence left X\nprecedence left X\n", "t.grammar:7: X already has a precedence"},
      {SYMBOLS RULE "precedence left\n", "t.grammar:6: a precedence level reads: precedence ASSOC TOKEN..."},
      {"end $ 0\ntoken X 258\nnonterminal s start\n" RULE, "t.grammar: no undefined symbol declared"},
      {"undefined ?\ntoken X 258\nnonterminal s start\n" RULE, "t.grammar: no end symbol declared"},
      {"end $ 0\nundefined ?\ntoken X 258\nnonterminal s\n" RULE,
       "t.grammar: exactly one nonterminal must be marked start"},
      {SYMBOLS "nonterminal t\n" RULE, "t.grammar: nonterminal t has no rule"},
      {SYMBOLS, "t.grammar: no rules"},
      {"end $ 0\nundefined ?\n", "t.grammar: no nonterminals declared"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(build_text(c.text), build_bad_grammar) << c.text;
    ASSERT_EQ(diagnostics().size(), 1u) << c.text;
    EXPECT_EQ(diagnostics()[0], c.message);
  }
  EXPECT_EQ(build_text("# a comment line\n" SYMBOLS "rule s : X  # with a comment\n"), build_done);
  // Terminals may follow the nonterminals: the generator numbers the terminals first.
  ASSERT_EQ(build_text("nonterminal s start\nend $ 0\nundefined ?\ntoken X 258\n" RULE), build_done);
  EXPECT_EQ(built.grammar.token_count, 3);
  EXPECT_EQ(built.grammar.symbols[3].name, "s");
}

// The actions as declared, numbered after the one that writes nothing, with their texts.
TEST(GrammarFile, ActionsSayWhatTheyWrite) {
  ASSERT_EQ(build_text(SYMBOLS "action sign text \"#;\\n\\t\\\\\\\"\"  # the text may hold a '#'\n"
                               "action operand fragment\nrule s : X => operand\nrule s : s X => sign\n"),
            build_done)
      << diagnostics()[0];
  ASSERT_EQ(built.grammar.actions.size(), 3u);
  EXPECT_EQ(built.grammar.actions[0].writes, writes_nothing);
  EXPECT_EQ(built.grammar.actions[1].name, "sign");
  EXPECT_EQ(built.grammar.actions[1].writes, writes_text);
  EXPECT_EQ(built.grammar.actions[1].text, "#;\n\t\\\"");
  EXPECT_EQ(built.grammar.actions[2].writes, writes_fragment);
  EXPECT_EQ(built.grammar.rules[1].action, 2);
  EXPECT_EQ(built.grammar.rules[2].action, 1);
}

namespace {

struct ScratchDir {
  std::string path;  // a fresh directory, removed with its files at the end of the test
  ScratchDir() {
    char name[] = "/tmp/lalrgen_test_XXXXXX";
    path = mkdtemp(name) != nullptr ? name : "";
  }
  ~ScratchDir() {
    for (const char *file : {"/t.cc", "/t.h", "/u.cc", "/u.h"}) remove((path + file).c_str());
    rmdir(path.c_str());
  }
};

}  // namespace

TEST(Emit, WritesDeterministicFilesWithSixteenNumbersARow) {
  ASSERT_EQ(build_infix(), build_done);
  ScratchDir dir;
  ASSERT_FALSE(dir.path.empty());
  ASSERT_EQ(emit_parse_tables("/any/where/infix.grammar", built.grammar, built.tables, (dir.path + "/t.cc").c_str(),
                              (dir.path + "/t.h").c_str()),
            0);
  ASSERT_EQ(emit_parse_tables("/else/where/infix.grammar", built.grammar, built.tables, (dir.path + "/u.cc").c_str(),
                              (dir.path + "/t.h").c_str()),
            0);
  std::string source = read_text((dir.path + "/t.cc").c_str());
  EXPECT_EQ(source, read_text((dir.path + "/u.cc").c_str()));
  std::string header = read_text((dir.path + "/t.h").c_str());
  const char banner[] = "// generated by tools/lalrgen from infix.grammar; do not edit\n";
  EXPECT_EQ(source.rfind(banner, 0), 0u);
  EXPECT_EQ(header.rfind(banner, 0), 0u);
  EXPECT_NE(source.find("#include \"t.h\"\n"), std::string::npos);
  std::string codes, outputs;
  for (const Symbol &symbol : built.grammar.symbols) {
    if (symbol.kind == symbol_token) codes += "  " + symbol.name + " = " + std::to_string(symbol.code) + ",\n";
  }
  EXPECT_NE(header.find("enum TokenCode {\n" + codes + "};\n"), std::string::npos) << header;
  char final_line[64];
  snprintf(final_line, sizeof final_line, "PARSE_FINAL_STATE        = %6d;", built.automaton.final_state);
  EXPECT_NE(header.find(final_line), std::string::npos);
  // What each action writes, as the grammar says it, escapes and all.
  EXPECT_NE(header.find("    {ActionWrites::nothing, 0, \"\"},  // none\n    {ActionWrites::fragment, 0, \"\"},  // "
                        "print_fragment\n"),
            std::string::npos)
      << header;
  EXPECT_NE(header.find("    {ActionWrites::text, 2, \";\\n\"},  // write_statement_end\n"), std::string::npos);
  EXPECT_NE(header.find("GRAMMAR_ACTION_COUNT = " + std::to_string(built.grammar.actions.size()) + ";"),
            std::string::npos);
  // Inside a table every row holds 16 numbers, the last one at most 16.
  size_t at = 0;
  int tables_seen = 0;
  while ((at = source.find("] = {\n", at)) != std::string::npos) {
    size_t end = source.find("\n};", at);
    std::vector<int> per_row;
    for (size_t line = source.find('\n', at) + 1; line < end; line = source.find('\n', line) + 1) {
      size_t stop = source.find('\n', line);
      per_row.push_back(static_cast<int>(std::count(source.begin() + line, source.begin() + stop, ',')));
    }
    for (size_t r = 0; r + 1 < per_row.size(); r++) EXPECT_EQ(per_row[r], 16);
    EXPECT_LE(per_row.back(), 16);
    tables_seen++;
    at = end;
  }
  EXPECT_EQ(tables_seen, 10);
}

TEST(Emit, FailureLeavesNoPartialFile) {
  ASSERT_EQ(build_infix(), build_done);
  ScratchDir dir;
  std::string header = dir.path + "/t.h";
  EXPECT_EQ(emit_parse_tables("infix.grammar", built.grammar, built.tables, "/nonexistent/dir/t.cc", header.c_str()),
            -1);
  EXPECT_EQ(last_diagnostic(), "lalrgen: cannot create /nonexistent/dir/t.cc: No such file or directory");
  EXPECT_EQ(fopen(header.c_str(), "r"), nullptr);
}

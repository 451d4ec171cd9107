// Every operator of the grammar goes from infix to postfix and back: the infix scanner's
// rules, the grammar and inwright's rules must agree on each one, so that an operator that
// one of them leaves out fails here, by name. The operators are read from the grammar file
// itself: the rules that put a token between two operands of one kind, or before one. The
// readable form takes their precedence from the grammar too, and writes each sign spaced.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files.h"
#include "grammar_file.h"
#include "program_runner.h"
#include "scanner_internal.h"

namespace {

struct Operator {
  std::string token;  // the grammar's name of it
  int code;           // its token code
  bool prefix;        // written before its one operand, else between two
  std::string sign;   // what its rule writes: the postfix sign
};

std::vector<Operator> grammar_operators() {
  std::string text;
  EXPECT_EQ(read_whole_file(INFIX_GRAMMAR_PATH, &text), file_done);
  std::optional<Grammar> grammar = read_grammar(INFIX_GRAMMAR_PATH, text);
  EXPECT_TRUE(grammar.has_value());
  std::vector<Operator> operators;
  if (!grammar) return operators;
  for (const GrammarRule &rule : grammar->rules) {
    const std::vector<int> &rhs = rule.rhs;
    bool infix = rhs.size() == 3 && rhs[0] == rule.lhs && rhs[2] == rule.lhs && is_terminal(*grammar, rhs[1]);
    bool prefix = rhs.size() == 2 && rhs[1] == rule.lhs && is_terminal(*grammar, rhs[0]);
    if (!infix && !prefix) continue;
    const Symbol &token = grammar->symbols[rhs[prefix ? 0 : 1]];
    operators.push_back({token.name, token.code, prefix, grammar->actions[rule.action].text});
  }
  return operators;
}

// The byte that the infix scanner, from its first condition, takes as the token `code` by
// itself; empty when there is none.
std::string byte_scanned_as(int code) {
  const ScannerTables &t = yy_tables;
  for (int b = 1; b < 256; b++) {
    int action = t.accept[yy_transition(t, table_start_state(0), t.classes[b])];
    if (action > 0 && action <= t.rule_count && (t.shortcuts[action] & YY_TOKEN_CODE) == code) {
      return std::string(1, static_cast<char>(b));
    }
  }
  return "";
}

TEST(Operators, EachGoesToPostfixAndBack) {
  std::vector<Operator> operators = grammar_operators();
  EXPECT_GE(operators.size(), 3u);
  for (const Operator &op : operators) {
    std::string written = byte_scanned_as(op.code);
    if (written.empty()) {
      ADD_FAILURE() << "no rule of infix.rules returns " << op.token << ", which a rule of the grammar reads";
      continue;
    }
    std::string infix = op.prefix ? "y = " + written + " a;\n" : "y = a " + written + " b;\n";
    RunResult post = run_conversion(POSTWRIGHT_EXE, infix);
    std::string postfix = op.prefix ? "y =a " + op.sign + ";\n" : "y =a b " + op.sign + ";\n";
    EXPECT_EQ(post.status, 0) << op.token << ": " << post.out << post.err;
    EXPECT_EQ(post.output, postfix) << op.token;
    RunResult back = run_conversion(INWRIGHT_EXE, post.output);
    EXPECT_EQ(back.status, 0) << "inwright does not read the sign " << op.sign << " that postwright writes for "
                              << op.token << ": " << back.out << back.err;
    EXPECT_EQ(back.output, op.prefix ? "y =" + op.sign + "a;\n" : "y =a" + op.sign + "b;\n") << op.token;
    RunResult readable = run_conversion(INWRIGHT_EXE, post.output, {"--readable"});
    EXPECT_EQ(readable.output, op.prefix ? "y = " + op.sign + "a;\n" : "y = a " + op.sign + " b;\n") << op.token;
  }
}

}  // namespace

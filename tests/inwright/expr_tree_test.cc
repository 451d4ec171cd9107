// Expression trees in process: postfix statements go through inwright's own rule actions,
// which build the trees (one pair per operator, the root's pair taken away unless it is a
// negated group), print them into a scratch file in both forms and release them; the
// counters of the pairs on the trees' leaves; deep trees check that nothing recurses on the
// input's depth.
#include "expr_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"
#include "fragment_queue.h"
#include "output.h"
#include "program_runner.h"
#include "readable.h"
#include "scanner.h"

namespace {

class ExprTreeTest : public ::testing::Test {
 protected:
  void TearDown() override { inwright_reset(); }

  // Runs a postfix statement of one-character operands and the signs & | ! through the rule
  // actions and returns what they print for it, in the readable form when `readable`.
  std::string convert(const std::string &postfix, bool readable = false) {
    std::string input;
    for (char c : postfix) input += std::string(1, c) + " ";
    inwright_reset();
    readable_form = readable;
    yy_input_stream = stream_holding(input + ";");
    output_stream = tmpfile();
    EXPECT_EQ(yy_next_token(), 0);
    output_flush();
    std::string text(static_cast<size_t>(ftell(output_stream)), '\0');
    rewind(output_stream);
    EXPECT_EQ(fread(text.data(), 1, text.size(), output_stream), text.size());
    EXPECT_EQ(text.back(), ';') << postfix;
    text.pop_back();
    return text;
  }
};

// Each postfix statement, its default form (every group below the root in a pair) and its
// readable form (a pair only where NOT over AND over OR, both to the left, need one).
TEST_F(ExprTreeTest, PrintsParenthesesAndNegationMarksInPlace) {
  struct Row {
    const char *postfix, *infix, *readable;
  };
  const std::vector<Row> rows = {
      {"a", "a", "a"},
      {"a!", "!a", "!a"},
      {"a!!", "a", "a"},
      {"ab&d!|", "(a&b)|!d", "a & b | !d"},
      {"ab&d&", "(a&b)&d", "a & b & d"},
      {"abd&&", "a&(b&d)", "a & (b & d)"},
      {"ab|d|", "(a|b)|d", "a | b | d"},
      {"abd||", "a|(b|d)", "a | (b | d)"},
      {"abd&|", "a|(b&d)", "a | b & d"},
      {"ab|d&", "(a|b)&d", "(a | b) & d"},
      {"abd|&", "a&(b|d)", "a & (b | d)"},
      {"ab|de|&", "(a|b)&(d|e)", "(a | b) & (d | e)"},
      {"ab&de&|", "(a&b)|(d&e)", "a & b | d & e"},
      {"ab&d&e&", "((a&b)&d)&e", "a & b & d & e"},
      {"ab|d|e&", "((a|b)|d)&e", "(a | b | d) & e"},
      {"abde|||", "a|(b|(d|e))", "a | (b | (d | e))"},
      {"abd&e&&", "a&((b&d)&e)", "a & (b & d & e)"},
      {"ab&!", "!(a&b)", "!(a & b)"},
      {"ab&!!", "a&b", "a & b"},
      {"abd|!&", "a&!(b|d)", "a & !(b | d)"},
      {"ab|!d&e|", "(!(a|b)&d)|e", "!(a | b) & d | e"},
      {"a!b&d|", "(!a&b)|d", "!a & b | d"},
      {"ab&!d&!", "!(!(a&b)&d)", "!(!(a & b) & d)"},
      {"ab&!d&!e&", "!(!(a&b)&d)&e", "!(!(a & b) & d) & e"},
      {"ab!&!", "!(a&!b)", "!(a & !b)"},
      {"abd|e&|!", "!(a|((b|d)&e))", "!(a | (b | d) & e)"},
  };
  for (const Row &row : rows) {
    EXPECT_EQ(convert(row.postfix), row.infix) << row.postfix;
    EXPECT_EQ(convert(row.postfix, true), row.readable) << row.postfix;
  }
}

TEST_F(ExprTreeTest, ParenthesisCountersSitOnTheGroupsEndLeaves) {
  ExprNode *a = create_leaf(), *b = create_leaf(), *d = create_leaf();
  ExprNode *inner = create_operator('&', a, b);
  ExprNode *outer = create_operator('|', inner, d);
  add_parens(inner);
  add_parens(outer);
  add_parens(a);  // a leaf has no group
  EXPECT_EQ(a->open_parens, 2);
  EXPECT_EQ(b->close_parens, 1);
  EXPECT_EQ(d->close_parens, 1);
  EXPECT_EQ(b->open_parens + d->open_parens + a->close_parens, 0);
  EXPECT_EQ(outer->open_parens + outer->close_parens + inner->open_parens, 0);
  remove_parens(outer);
  EXPECT_EQ(a->open_parens, 1);
  EXPECT_EQ(d->close_parens, 0);
  release_tree(outer);
}

constexpr int DEEP = 300000;  // operands of the deep trees

// Left chains are what the other converter writes for a long run of one operator; the
// cached end leaves keep each operator constant time however long the chain is.
TEST_F(ExprTreeTest, DeepTreesPrintAndReleaseWithoutRecursion) {
  struct Shape {
    const char *name;
    std::string postfix;
    size_t expected_length;
    size_t readable_length;  // operands, " & " or " | ", and the pairs, each "!(" ")" when negated
  };
  std::string left = "a", right(DEEP, 'a'), negated = "a";
  for (int i = 1; i < DEEP; i++) left += "a&";
  right.append(DEEP - 1, '|');
  for (int i = 1; i < DEEP; i++) negated += "a&!";
  const size_t groups = DEEP - 2;  // every operator but the root prints a pair
  const size_t spaced = DEEP + 3 * (DEEP - 1);
  const std::vector<Shape> shapes = {
      {"left", left, DEEP + (DEEP - 1) + 2 * groups, spaced},
      {"right", right, DEEP + (DEEP - 1) + 2 * groups, spaced + 2 * groups},
      {"negated", negated, DEEP + (DEEP - 1) + 2 * (groups + 1) + (DEEP - 1), spaced + 3 * (DEEP - 1)},
  };
  for (const Shape &shape : shapes) {
    EXPECT_EQ(convert(shape.postfix).size(), shape.expected_length) << shape.name;
    EXPECT_EQ(convert(shape.postfix, true).size(), shape.readable_length) << shape.name;
    EXPECT_EQ(fragment_head, nullptr) << shape.name;
  }
}

}  // namespace

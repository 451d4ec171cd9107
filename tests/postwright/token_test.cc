// The infix token actions on the shared engine: the token codes that successive
// yy_next_token calls return, the fragments queued for them, the line counter and the echo,
// with a deliberately tiny work buffer so that every name and comment makes it grow.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "fragment_queue.h"
#include "infix_parse_tables.h"
#include "infix_scan_tables.h"
#include "infix_scanner.h"
#include "program_runner.h"
#include "scanner.h"
#include "shared_actions.h"
#include "token_text.h"

namespace {

using namespace std::string_literals;
constexpr int TINY_TOKEN_TEXT_SIZE = 4;  // far below any real text, to force the growth path

struct Scan {
  std::vector<int> tokens;             // codes returned before the first 0
  std::vector<std::string> fragments;  // queued texts, oldest first
  int64_t line = 0;                    // current_line afterwards
  std::string echo;                    // what the default rule wrote
};

class TokenTest : public ::testing::Test {
 protected:
  FILE *input = nullptr;
  FILE *echo = nullptr;

  void TearDown() override { reset(); }
  void reset() {
    yy_reset();
    fragment_queue_reset();
    token_text_reset();
    infix_scanner_reset();
    if (input != nullptr) fclose(input);
    if (echo != nullptr) fclose(echo);
    input = echo = nullptr;
  }
  void start(const std::string &bytes) {
    reset();
    token_text_allocate(TINY_TOKEN_TEXT_SIZE);
    input = stream_holding(bytes);
    yy_input_stream = input;
    echo = tmpfile();
    yy_output_stream = echo;
  }
  Scan scan(const std::string &bytes) {
    start(bytes);
    Scan s;
    for (int t; (t = yy_next_token()) != 0;) s.tokens.push_back(t);
    for (FragmentNode *n = fragment_head; n != nullptr; n = n->next) s.fragments.emplace_back(n->text);
    s.line = current_line;
    rewind(echo);
    for (int c; (c = getc(echo)) != EOF;) s.echo.push_back(static_cast<char>(c));
    return s;
  }
};

struct TokenCase {
  const char *name;
  std::string input;
  std::vector<int> tokens;
  std::vector<std::string> fragments;
  int64_t line;
  std::string echo;
};

TEST_F(TokenTest, TokenSequences) {
  const std::vector<TokenCase> cases = {
      {"statement",
       "x = a & !b | c(t-1);\n",
       {ID, EQ, ID, AND, NOT, ID, OR, ID, SEMICOL},
       {"x ", "a ", "b ", "c(t-1) "},
       2,
       ""},
      {"empty input", "", {}, {}, 1, ""},
      {"punctuation", "(){};\t=", {'(', ')', '{', '}', SEMICOL, EQ}, {}, 1, ""},
      {"t-1 is one number", "t-1", {INT_EXPR}, {"t-1"}, 1, ""},
      {"t-12 is t-1 and 2", "t-12", {INT_EXPR, INT_EXPR}, {"t-1", "2"}, 1, ""},
      {"t-x", "t-x", {ID, INT_EXPR, ID}, {"t ", "-", "x "}, 1, ""},
      {"at-1", "at-1", {ID, INT_EXPR}, {"at ", "-1"}, 1, ""},
      {"number then name", "1abc", {INT_EXPR, ID}, {"1", "abc "}, 1, ""},
      {"numbers carry no blank", "-3 - 007", {INT_EXPR, INT_EXPR, INT_EXPR}, {"-3", "-", "007"}, 1, ""},
      {"blank ends an argument list", "f( x)", {ID, '(', ID, ')'}, {"f ", "x "}, 1, ""},
      {"argument characters", "A_1(_-,9) g()", {ID, ID}, {"A_1(_-,9) ", "g() "}, 1, ""},
      {"unclosed argument list", "f(a", {ID, '(', ID}, {"f ", "a "}, 1, ""},
      {"comment line", "--5 hello\n", {COMMENT}, {"--5 hello\n"}, 2, ""},
      {"dashes only", "--\n---\n", {COMMENT, COMMENT}, {"--\n", "---\n"}, 3, ""},
      {"two dashes before a digit", "--1\n", {COMMENT}, {"--1\n"}, 2, ""},
      {"final comment without newline", "a\n-- unterminated", {ID, COMMENT}, {"a ", "-- unterminated"}, 2, ""},
      {"final dashes", "--", {COMMENT}, {"--"}, 1, ""},
      {"quoted name", "\\a b\\", {ID}, {"\\a b\\ "}, 1, ""},
      {"quoted name with arguments", "\\a b\\(1)", {ID}, {"\\a b\\(1) "}, 1, ""},
      {"blank before arguments", "\\a b\\ (1)", {ID, '(', INT_EXPR, ')'}, {"\\a b\\ ", "1"}, 1, ""},
      {"doubled backslash", "\\a\\\\b\\", {ID}, {"\\a\\\\b\\ "}, 1, ""},
      {"doubled backslash last", "\\a\\\\\\ b", {ID, ID}, {"\\a\\\\\\ ", "b "}, 1, ""},
      {"empty quoted name", "\\\\ \\\\\\\\", {ID, ID}, {"\\\\ ", "\\\\\\\\ "}, 1, ""},
      {"unclosed arguments after a quoted name", "\\a\\(b", {ID, '(', ID}, {"\\a\\ ", "b "}, 1, ""},
      {"anything but newline in a quoted name", "\\+*;\t-- \\", {ID}, {"\\+*;\t-- \\ "}, 1, ""},
      {"newline in a quoted name", "\\a\nb\\ c\n", {ID, ID}, {"\\ab\\ ", "c "}, 2, "\n"},
      {"work buffer reused",
       "\\long quoted\\ b -- c\nd",
       {ID, ID, COMMENT, ID},
       {"\\long quoted\\ ", "b ", "-- c\n", "d "},
       2,
       ""},
  };
  for (const TokenCase &c : cases) {
    Scan s = scan(c.input);
    EXPECT_EQ(s.tokens, c.tokens) << c.name;
    EXPECT_EQ(s.fragments, c.fragments) << c.name;
    EXPECT_EQ(s.line, c.line) << c.name;
    EXPECT_EQ(s.echo, c.echo) << c.name;
    EXPECT_EQ(token_text_length, 0u) << c.name;
    EXPECT_EQ(yy_next_token(), 0) << c.name << ": the end stays the end";
  }
}

// Texts of every length around the growth steps of a 4-byte buffer, and one far beyond the
// 30000 bytes the driver starts with, come out whole.
TEST_F(TokenTest, WorkBufferGrowsForAnyLength) {
  for (size_t length : {size_t{1}, size_t{2}, size_t{3}, size_t{4}, size_t{5}, size_t{31}, size_t{70001}}) {
    const std::string name(length, 'n');
    const std::string quoted = "\\" + std::string(length, ' ') + "\\";
    const std::string escaped = "\\" + std::string(length, ' ') + "\\\\\\";  // taken piece by piece
    const std::string comment = "--" + std::string(length, 'c');
    Scan s = scan(name + " " + quoted + " " + escaped + comment + "\n" + comment);
    EXPECT_EQ(s.tokens, (std::vector<int>{ID, ID, ID, COMMENT, COMMENT})) << length;
    EXPECT_EQ(s.fragments, (std::vector<std::string>{name + " ", quoted + " ", escaped + " ", comment + "\n", comment}))
        << length;
    EXPECT_GE(token_text_size, length + 3);
  }
}

// A final comment line without a newline is taken in one piece: 256 KiB of it would
// take minutes if each of its bytes were matched on its own.
TEST_F(TokenTest, LongFinalCommentInLinearTime) {
  const std::string comment = "--" + std::string(1 << 18, 'c');
  auto begin = std::chrono::steady_clock::now();
  Scan s = scan(comment);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  EXPECT_EQ(s.tokens, std::vector<int>{COMMENT});
  EXPECT_EQ(s.fragments, std::vector<std::string>{comment});
  EXPECT_LT(seconds, 10.0);
}

struct StopCase {
  const char *name;
  std::string input;
  std::string expected;    // the codes returned, then the message (printed on standard output)
  int64_t first_line = 1;  // current_line when the scan starts
};

TEST_F(TokenTest, StopsWithStatusOne) {
  const std::string illegal = "ERROR -illegal character in line ";
  const std::string id = std::to_string(ID) + " ", comment = std::to_string(COMMENT) + " ";
  const std::vector<StopCase> cases = {
      {"plus in an argument list", "f(x+1)", id + std::to_string('(') + " " + id + illegal + "1\n"},
      {"comma outside arguments", "a,", id + illegal + "1\n"},
      {"star", "\n\n*", illegal + "3\n"},
      {"less than", "<", illegal + "1\n"},
      {"greater than", ">", illegal + "1\n"},
      {"carriage return", "a\r\n", id + illegal + "1\n"},
      {"byte 0x80", "\x80", illegal + "1\n"},
      {"byte 0xff", "\xff", illegal + "1\n"},
      {"NUL", "\0"s, illegal + "1\n"},
      {"after a comment", "-- c\n#", comment + illegal + "2\n"},
      {"NUL in a quoted name", "\\a\0\\"s, illegal + "1\n"},
      {"NUL in a comment", "\n-- a\0b\n"s, illegal + "2\n"},
      {"NUL in a final comment", "--\0"s, illegal + "1\n"},
      {"unterminated quoted name", "a\n\\b c", id + "ERROR -unterminated quoted name in line 2\n"},
      {"unterminated after a newline inside", "\\b\nc", "\nERROR -unterminated quoted name in line 1\n"},
      {"line numbers beyond 2^31", "\n\n*", illegal + "2147483650\n", 2147483648},
  };
  // The child writes each code it gets to standard error and sends standard output (the
  // message, printed at exit) the same way, so the death test sees both in order.
  for (const StopCase &c : cases) {
    EXPECT_EXIT(
        {
          start(c.input);
          current_line = c.first_line;
          dup2(STDERR_FILENO, STDOUT_FILENO);
          yy_output_stream = stdout;
          for (int t; (t = yy_next_token()) != 0;) fprintf(stderr, "%d ", t);
          fputs("returned 0", stderr);
        },
        ::testing::ExitedWithCode(1), "^" + c.expected + "$")
        << c.name;
  }
}

}  // namespace

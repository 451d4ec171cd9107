// Tests of the parse engine with the infix grammar's tables and actions, fed by a stub token
// stream in place of the scanner: the postfix text and the moment each piece is written,
// syntax errors, the end of input, undeclared token codes and the stack limit.
#include "parse_engine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fragment_queue.h"
#include "grammar_actions.h"
#include "infix_parse_tables.h"
#include "infix_scanner.h"
#include "output.h"
#include "scanner.h"

int64_t current_line = 1;  // the line the stub stream claims to be in

namespace {

struct StubToken {
  int code;              // token code returned
  std::string fragment;  // queued before the code is returned; empty: none
};

struct StubStream {
  std::vector<StubToken> tokens;            // returned in order, then 0
  size_t next = 0;                          // index of the next token to return
  bool ended = false;                       // 0 has been returned
  int calls_after_end = 0;                  // calls made after that; the engine makes none
  std::vector<std::string> output_at_call;  // what output_stream held at each call
};

StubStream stub;  // the token stream of the running test

std::string output_so_far() {
  output_flush();
  fflush(output_stream);
  long size = ftell(output_stream);
  std::string text(static_cast<size_t>(size), '\0');
  rewind(output_stream);
  text.resize(fread(text.data(), 1, text.size(), output_stream));
  fseek(output_stream, 0, SEEK_END);
  return text;
}

bool is_number(const std::string &word) {
  if (word == "-" || word == "t-1") return true;
  size_t digits = word[0] == '-' ? 1 : 0;
  return digits < word.size() && word.find_first_not_of("0123456789", digits) == std::string::npos;
}

// Tokens of a text whose tokens are separated by single blanks, queueing the fragments the
// infix scanner would queue: a name with one blank, a number as it is, a comment line with
// its newline.
std::vector<StubToken> tokens_of(const std::string &text) {
  struct Sign {
    const char *text;
    int code;
  };
  const Sign signs[] = {{"=", EQ},  {"|", OR},  {"&", AND}, {"!", NOT}, {";", SEMICOL},
                        {"(", '('}, {")", ')'}, {"{", '{'}, {"}", '}'}};
  std::vector<StubToken> tokens;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(at, end - at);
    at = end + 1;
    StubToken token{ID, word + " "};
    for (const Sign &sign : signs) {
      if (word == sign.text) token = StubToken{sign.code, ""};
    }
    if (word.rfind("--", 0) == 0) token = StubToken{COMMENT, word + "\n"};
    if (token.code == ID && is_number(word)) token = StubToken{INT_EXPR, word};
    tokens.push_back(token);
  }
  return tokens;
}

}  // namespace

int yy_next_token() {
  stub.output_at_call.push_back(output_so_far());
  if (stub.ended) {
    stub.calls_after_end++;
    return 0;
  }
  if (stub.next == stub.tokens.size()) {
    stub.ended = true;
    return 0;
  }
  const StubToken &token = stub.tokens[stub.next++];
  if (!token.fragment.empty()) enqueue_fragment(token.fragment.c_str());
  return token.code;
}

// The scanner's entry for a check's parse after an error: the same stub.
int yy_next_token_off_the_loop() { return yy_next_token(); }

class ParseEngine : public testing::Test {
 protected:
  void SetUp() override {
    output_stream = tmpfile();
    ASSERT_NE(output_stream, nullptr);
    grammar_actions_reset();
    current_line = 1;
  }
  void TearDown() override {
    fragment_queue_reset();
    fclose(output_stream);
    output_stream = nullptr;
  }
  int parse(const std::vector<StubToken> &tokens) {
    stub = StubStream{};
    stub.tokens = tokens;
    return parse_input();
  }
  int parse(const std::string &text) { return parse(tokens_of(text)); }
  // A fresh output file and grammar state for the next case of a table.
  void restart() {
    TearDown();
    SetUp();
  }
};

TEST_F(ParseEngine, ConvertsToPostfix) {
  struct Case {
    const char *input;  // tokens separated by blanks
    const char *output;
    int result;
  };
  const Case cases[] = {
      {"y = a | b & ! ( k | 0 ) ;", "y =a b k 0|!&|;\n", parse_accepted},
      {"", "", parse_accepted},
      {"a = b | d ;", "a =b d |;\n", parse_accepted},
      {"a = b | d & e ;", "a =b d e &|;\n", parse_accepted},
      {"a = ( b | d ) & e ;", "a =b d |e &;\n", parse_accepted},
      {"a = b | d | e ;", "a =b d |e |;\n", parse_accepted},
      {"a = b & d & e ;", "a =b d &e &;\n", parse_accepted},
      {"a = ! b & d ;", "a =b !d &;\n", parse_accepted},
      {"a = ! ! b ;", "a =b !!;\n", parse_accepted},
      {"x(t-1) = 1 ;", "x(t-1) =1;\n", parse_accepted},
      {"{ { }", "{\n{\n}\n", parse_accepted},
      {"--note a = b ; }", "--note\na =b ;\n}\n", parse_accepted},
      {"a = b ; c = d ;", "a =b ;\nc =d ;\n", parse_accepted},
      // Two numbers in a row are kept apart by one blank, and only they.
      {"a = 1 & 2 ;", "a =1 2&;\n", parse_accepted},
      {"a = - | - ;", "a =- -|;\n", parse_accepted},
      {"a = t-1 | -3 ;", "a =t-1 -3|;\n", parse_accepted},
      {"a = 1 & ! ( 2 ) ;", "a =1 2!&;\n", parse_accepted},
      {"a = 1 & b & 2 ;", "a =1b &2&;\n", parse_accepted},
      {"a = 1 ; b = 2 ;", "a =1;\nb =2;\n", parse_accepted},
      // Errors: what was written stays, nothing more is written.
      {"a = b | d e ;", "a =b d |", parse_syntax_error},
      {"a = b | d", "a =b d |", parse_syntax_error},
      {"a = b & d", "a =b d &", parse_syntax_error},
      {"1 = b ;", "", parse_syntax_error},
      {"a = b ; }", "a =b ;\n}\n", parse_accepted},
      {"a = ;", "a =", parse_syntax_error},
      {"a = ( b ;", "a =b ", parse_syntax_error},
      {"a = b ; } = c ;", "a =b ;\n}\n", parse_syntax_error},  // each end of an instruction is one step
  };
  for (const Case &c : cases) {
    restart();
    testing::internal::CaptureStderr();
    std::vector<StubToken> tokens = tokens_of(c.input);
    EXPECT_EQ(parse(tokens), c.result) << c.input;
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(output_so_far(), c.output) << c.input;
    EXPECT_EQ(stub.calls_after_end, 0) << c.input;
    if (c.result == parse_accepted) {
      EXPECT_EQ(message, "") << c.input;
      EXPECT_EQ(stub.output_at_call.size(), tokens.size() + 1) << c.input;  // each token read once
      EXPECT_EQ(fragment_head, nullptr) << c.input;                         // each fragment written
    } else {
      EXPECT_EQ(message, "Parse error in line : 1") << c.input;
    }
  }
}

// Each piece is written at the moment its rule is reduced: the output as it stood at each
// request for a token shows which reductions came before that read.
TEST_F(ParseEngine, WorkedExampleWritesEachPieceBeforeTheNextRead) {
  ASSERT_EQ(parse("y = a | b & ! ( k | 0 ) ;"), parse_accepted);
  const std::vector<std::string> expected = {
      "",                   // before y
      "y ",                 // before =: the name is printed as soon as it is shifted
      "y =",                // before a: "=" is written before the expression is read
      "y =a ",              // before |
      "y =a ",              // before b
      "y =a b ",            // before &
      "y =a b ",            // before !
      "y =a b ",            // before (
      "y =a b ",            // before k
      "y =a b k ",          // before |
      "y =a b k ",          // before 0
      "y =a b k 0",         // before ): k | 0 is reduced only once ) is seen
      "y =a b k 0|!&",      // before ;: ! and & follow ) without another read
      "y =a b k 0|!&|;\n",  // before the end of input
  };
  EXPECT_EQ(stub.output_at_call, expected);
  EXPECT_EQ(lookahead, 0);
}

// What the first parse expands, the chains and the folded reductions among it, does what the
// packed tables do.
TEST_F(ParseEngine, ExpandedTablesAreTheirPackedTables) {
  EXPECT_EQ(parse(""), parse_accepted);
  const char *fault = expanded_tables_fault();
  EXPECT_TRUE(fault == nullptr) << fault;
}

TEST_F(ParseEngine, EmptyInputAsksOnceAndAccepts) {
  EXPECT_EQ(parse(""), parse_accepted);
  EXPECT_EQ(stub.output_at_call.size(), 1u);
  EXPECT_EQ(lookahead, 0);
}

TEST_F(ParseEngine, SyntaxErrorStopsAtTheOffendingToken) {
  current_line = 7;
  testing::internal::CaptureStderr();
  EXPECT_EQ(parse("a = b | d e ;"), parse_syntax_error);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Parse error in line : 7");
  EXPECT_EQ(output_so_far(), "a =b d |");
  EXPECT_EQ(stub.next, 6u);  // ";" is never read
  ASSERT_NE(fragment_head, nullptr);
  EXPECT_STREQ(fragment_head->text, "e ");  // the offending token's fragment stays queued
  testing::internal::CaptureStderr();
  EXPECT_EQ(report_syntax_error("parser stack overflow"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Parse error in line : 7");
  current_line = 3000000000;  // a file may hold more lines than an int counts
  testing::internal::CaptureStderr();
  report_syntax_error("parse error");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Parse error in line : 3000000000");
}

// Codes the infix scanner never returns are syntax errors, not reads past the table.
TEST_F(ParseEngine, UndeclaredTokenCodesAreSyntaxErrors) {
  for (int code : {1, 39, 256, 257, PARSE_MAX_CODE + 1, 100000}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(parse(std::vector<StubToken>{{ID, "a "}, {EQ, ""}, {code, ""}}), parse_syntax_error) << code;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Parse error in line : 1") << code;
  }
}

TEST_F(ParseEngine, EachRunStartsAfresh) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(parse("a = 1"), parse_syntax_error);
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(last_output_was_number);
  grammar_actions_reset();
  EXPECT_FALSE(last_output_was_number);
  EXPECT_EQ(parse("c = 2 ;"), parse_accepted);
  EXPECT_EQ(output_so_far(), "a =1c =2;\n");
}

// Every NOT of a chain holds one more state: a = followed by k NOTs and b needs k + 6
// entries, so 9993 NOTs fill 9999 entries and one more needs the 10000th.
TEST_F(ParseEngine, StackHoldsAtMost9999States) {
  for (int nots : {9993, 9994}) {
    std::vector<StubToken> tokens = {{ID, "a "}, {EQ, ""}};
    tokens.insert(tokens.end(), nots, StubToken{NOT, ""});
    tokens.push_back({ID, "b "});
    tokens.push_back({SEMICOL, ""});
    restart();
    testing::internal::CaptureStderr();
    int result = parse(tokens);
    std::string message = testing::internal::GetCapturedStderr();
    if (nots == 9993) {
      EXPECT_EQ(result, parse_accepted);
      EXPECT_EQ(message, "");
      EXPECT_EQ(output_so_far(), "a =b " + std::string(nots, '!') + ";\n");
    } else {
      EXPECT_EQ(result, parse_stack_exhausted);
      EXPECT_EQ(message, "Parse error in line : 1");
      EXPECT_EQ(output_so_far(), "a =");
    }
  }
}

// The scanner engine driven over real streams with a small rule set: matching discipline,
// refills and buffer growth, NUL bytes as data, end of input in every condition, restart,
// interactive reads and the fatal read error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_test_tables.h"
#include "program_runner.h"
#include "scanner_internal.h"

namespace {

struct Match {
  int action;
  std::string text;
  bool operator==(const Match &o) const { return action == o.action && text == o.text; }
};

std::vector<Match> matches;    // every action the engine ran, in order
bool terminal_answer = false;  // what the terminal test reports for any descriptor

std::ostream &operator<<(std::ostream &os, const Match &m) {
  return os << "{" << m.action << ", \"" << m.text << "\"}";
}

}  // namespace

int yy_is_terminal(int) { return terminal_answer ? 1 : 0; }

int yy_rule_action(int action) {
  // The matched text means nothing to an end-of-file action.
  bool end_of_file = action > ACTION_END_OF_BUFFER;
  matches.push_back({action, end_of_file ? "" : std::string(yy_token_text, yy_token_length)});
  switch (action) {
    case RULE_BLANK:
      return YY_NO_TOKEN;
    case RULE_COMMENT_OPEN:
      yy_begin(COMMENT);
      return YY_NO_TOKEN;
    case RULE_QUOTE_OPEN:
      yy_begin(STRING);
      return YY_NO_TOKEN;
    case RULE_COMMENT_TEXT:
    case RULE_QUOTE_CLOSE:
      yy_begin(NORMAL);
      return action;
    case RULE_DEFAULT:
      yy_echo();
      return YY_NO_TOKEN;
    case ACTION_EOF_NORMAL:
    case ACTION_EOF_COMMENT:
    case ACTION_EOF_STRING:
      return 0;
    default:
      return action;
  }
}

class EngineTest : public ::testing::Test {
 protected:
  FILE *input = nullptr;
  FILE *echo = nullptr;

  void SetUp() override { start(""); }
  void TearDown() override {
    yy_reset();
    close_files();
  }
  void close_files() {
    if (input != nullptr) fclose(input);
    if (echo != nullptr) fclose(echo);
    input = echo = nullptr;
  }
  // A fresh engine reading `bytes`, echoing into a scratch file.
  void start(const std::string &bytes) {
    yy_reset();
    close_files();
    matches.clear();
    terminal_answer = false;
    input = stream_holding(bytes);
    yy_input_stream = input;
    echo = tmpfile();
    yy_output_stream = echo;
  }
  // Token codes returned until the end of the input.
  std::vector<int> scan_all() {
    std::vector<int> tokens;
    for (int t; (t = yy_next_token()) != 0;) tokens.push_back(t);
    return tokens;
  }
  std::string echoed() {
    std::string s;
    rewind(echo);
    for (int c; (c = getc(echo)) != EOF;) s.push_back(static_cast<char>(c));
    return s;
  }
};

struct MatchCase {
  const char *name;
  std::string input;
  std::vector<Match> expected;  // every action run, the end-of-file action included
  std::string echo;             // what the default rule wrote
};

TEST_F(EngineTest, MatchingDiscipline) {
  using namespace std::string_literals;
  const std::vector<MatchCase> cases = {
      {"empty input runs only the end-of-file action", "", {{ACTION_EOF_NORMAL, ""}}, ""},
      {"earlier rule wins a tie", "if", {{RULE_KW_IF, "if"}, {ACTION_EOF_NORMAL, ""}}, ""},
      {"longer match by a later rule wins", "iff", {{RULE_WORD, "iff"}, {ACTION_EOF_NORMAL, ""}}, ""},
      {"no final newline",
       "ab 12",
       {{RULE_WORD, "ab"}, {RULE_BLANK, " "}, {RULE_NUMBER, "12"}, {ACTION_EOF_NORMAL, ""}},
       ""},
      {"back-up by three bytes to the last accepting position",
       "<--x",
       {{RULE_LESS, "<"}, {RULE_DEFAULT, "-"}, {RULE_DEFAULT, "-"}, {RULE_WORD, "x"}, {ACTION_EOF_NORMAL, ""}},
       "--"},
      {"back-up by two bytes",
       "<-x",
       {{RULE_LESS, "<"}, {RULE_DEFAULT, "-"}, {RULE_WORD, "x"}, {ACTION_EOF_NORMAL, ""}},
       "-"},
      {"back-up at the end of the input", "<-", {{RULE_LESS, "<"}, {RULE_DEFAULT, "-"}, {ACTION_EOF_NORMAL, ""}}, "-"},
      {"the whole longer pattern", "<-->", {{RULE_LONG_ARROW, "<-->"}, {ACTION_EOF_NORMAL, ""}}, ""},
      {"NUL inside a match is an ordinary byte", "@a\0b@"s, {{RULE_AT_RUN, "@a\0b@"s}, {ACTION_EOF_NORMAL, ""}}, ""},
      {"NUL that no rule takes is echoed",
       "ab\0cd"s,
       {{RULE_WORD, "ab"}, {RULE_DEFAULT, "\0"s}, {RULE_WORD, "cd"}, {ACTION_EOF_NORMAL, ""}},
       "\0"s},
      {"NUL first in the input", "\0"s, {{RULE_DEFAULT, "\0"s}, {ACTION_EOF_NORMAL, ""}}, "\0"s},
      {"NUL breaks an unfinished match",
       "@a\0"s,
       {{RULE_DEFAULT, "@"}, {RULE_WORD, "a"}, {RULE_DEFAULT, "\0"s}, {ACTION_EOF_NORMAL, ""}},
       "@\0"s},
      {"end of input in the comment condition",
       "#ab",
       {{RULE_COMMENT_OPEN, "#"}, {RULE_DEFAULT, "a"}, {RULE_DEFAULT, "b"}, {ACTION_EOF_COMMENT, ""}},
       "ab"},
      {"end of input in the string condition",
       "\"ab",
       {{RULE_QUOTE_OPEN, "\""}, {RULE_QUOTE_TEXT, "ab"}, {ACTION_EOF_STRING, ""}},
       ""},
      {"a skipped byte is no match of its own",
       "ab\t\tcd\t",
       {{RULE_WORD, "ab"}, {RULE_WORD, "cd"}, {ACTION_EOF_NORMAL, ""}},
       ""},
      {"a skipped byte does not end a longer match",
       "\"a\tb\"",
       {{RULE_QUOTE_OPEN, "\""}, {RULE_QUOTE_TEXT, "a\tb"}, {RULE_QUOTE_CLOSE, "\""}, {ACTION_EOF_NORMAL, ""}},
       ""},
      {"conditions switch back",
       "#c\nx",
       {{RULE_COMMENT_OPEN, "#"}, {RULE_COMMENT_TEXT, "c\n"}, {RULE_WORD, "x"}, {ACTION_EOF_NORMAL, ""}},
       ""},
  };
  for (const MatchCase &c : cases) {
    start(c.input);
    scan_all();
    EXPECT_EQ(matches, c.expected) << c.name;
    EXPECT_EQ(echoed(), c.echo) << c.name;
    // The matching loop alone, which runs no action to switch conditions, makes the same matches.
    if (c.input.find_first_of("#\"\0"s) == std::string::npos) {
      std::string text = c.input + std::string(2 + YY_MATCH_SLACK, '\0');
      EXPECT_EQ(yy_count_matches(text.data(), c.input.size()), c.expected.size() - 1) << c.name;
    }
  }
}

TEST_F(EngineTest, EmptyInputReturnsZeroAgainAndAgain) {
  start("");
  EXPECT_EQ(yy_next_token(), 0);
  EXPECT_EQ(yy_next_token(), 0);
  EXPECT_EQ(matches.size(), 2u);  // two end-of-file actions, no rule action
}

// Words and numbers of every length from 1 to 13, and skipped bytes between them, cross the
// read boundaries at every offset, one kind after the other, so that no match can
// inherit what the refill of an earlier match found.
TEST_F(EngineTest, TokensStraddlingReadBoundariesStayWhole) {
  std::string input;
  std::vector<Match> tokens;
  for (int i = 0; input.size() < 40 * READ_CHUNK_LIMIT; i++) {
    size_t length = static_cast<size_t>(i % 13 + 1);
    bool word = i % 3 != 0;
    tokens.push_back(
        {word ? RULE_WORD : RULE_NUMBER, std::string(length, word ? static_cast<char>('a' + i % 26) : '7')});
    if (tokens.back().text == "if") tokens.back().text = "ii";
    input += tokens.back().text + (i % 7 == 0 ? "\n" : i % 5 == 0 ? "\t\t" : " ");
  }
  start(input);
  scan_all();
  std::vector<Match> found;
  for (const Match &m : matches) {
    if (m.action == RULE_WORD || m.action == RULE_NUMBER) found.push_back(m);
  }
  EXPECT_EQ(found, tokens);
}

TEST_F(EngineTest, MatchLongerThanTheBufferGrowsIt) {
  for (size_t length : {DEFAULT_BUFFER_SIZE - 1, DEFAULT_BUFFER_SIZE, 2 * DEFAULT_BUFFER_SIZE + 7, size_t{100001}}) {
    start(std::string(length, 'q') + " z");
    EXPECT_EQ(yy_next_token(), RULE_WORD);
    EXPECT_EQ(yy_token_length, length);
    EXPECT_EQ(std::string(yy_token_text), std::string(length, 'q'));
    EXPECT_GE(yy_active_buffer->capacity, length + 1);
    EXPECT_EQ(yy_active_buffer->capacity % DEFAULT_BUFFER_SIZE, 0u);  // grown by doubling
    EXPECT_EQ(yy_next_token(), RULE_WORD);
    EXPECT_STREQ(yy_token_text, "z");
    EXPECT_EQ(yy_next_token(), 0);
  }
}

// A long match with NUL bytes spread over several reads: each refill and each NUL resumes the
// match where the previous one stopped, and the token comes out whole.
TEST_F(EngineTest, LongMatchWithNulBytesAcrossRefills) {
  std::string body;
  for (int i = 0; i < 50000; i++) body.push_back(i % 997 == 0 ? '\0' : static_cast<char>('a' + i % 26));
  for (const std::string &tail : {std::string("@ x"), std::string("")}) {
    start("@" + body + tail);
    if (tail.empty()) {
      // Unclosed: the engine backs up to the default rule's "@" and goes on with the body.
      EXPECT_EQ(yy_next_token(), RULE_WORD);
      EXPECT_EQ(matches.front(), (Match{RULE_DEFAULT, "@"}));
      continue;
    }
    EXPECT_EQ(yy_next_token(), RULE_AT_RUN);
    EXPECT_EQ(std::string(yy_token_text, yy_token_length), "@" + body + "@");
    EXPECT_EQ(yy_next_token(), RULE_WORD);
    EXPECT_STREQ(yy_token_text, "x");
  }
}

TEST_F(EngineTest, BufferIsNewAgainAfterTheEndAndReadsTheStreamAgain) {
  start("ab");
  EXPECT_EQ(yy_next_token(), RULE_WORD);
  EXPECT_EQ(yy_next_token(), 0);
  EXPECT_EQ(yy_active_buffer->status, buffer_new);
  EXPECT_EQ(yy_active_buffer->char_count, 0);
  EXPECT_EQ(yy_active_buffer->input_stream, input);
  EXPECT_EQ(yy_next_token(), 0);
  // More text arrives on the same stream: the next request reads it.
  fseek(input, 0, SEEK_END);
  fputs("cd", input);
  fseek(input, -2, SEEK_END);
  EXPECT_EQ(yy_next_token(), RULE_WORD);
  EXPECT_STREQ(yy_token_text, "cd");
  EXPECT_EQ(yy_next_token(), 0);
}

TEST_F(EngineTest, InteractiveBufferReadsOneLinePerRefill) {
  start("a\nbc d\n");
  terminal_answer = true;
  EXPECT_EQ(yy_next_token(), RULE_WORD);
  EXPECT_EQ(yy_active_buffer->interactive, 1);
  EXPECT_EQ(yy_char_count, 2u);  // "a\n" and nothing of the next line
  EXPECT_EQ(yy_next_token(), RULE_WORD);
  EXPECT_STREQ(yy_token_text, "bc");
  EXPECT_EQ(yy_next_token(), RULE_WORD);
  EXPECT_STREQ(yy_token_text, "d");
  EXPECT_EQ(yy_next_token(), 0);
}

TEST_F(EngineTest, FileBufferReadsInBlocks) {
  start("a\nbc d\n");
  EXPECT_EQ(yy_next_token(), RULE_WORD);
  EXPECT_EQ(yy_active_buffer->interactive, 0);
  EXPECT_EQ(yy_char_count, READ_CHUNK_LIMIT < 7 ? READ_CHUNK_LIMIT : 7);
}

TEST(EngineDeathTest, ReadErrorIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        yy_reset();
        yy_input_stream = fopen("/", "r");  // a directory: the read fails with an error
        yy_next_token();
      },
      ::testing::ExitedWithCode(2), "^input in flex scanner failed\n$");
}

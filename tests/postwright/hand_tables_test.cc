// The parse engine compiled against tables built by hand (hand_tables/): the proof of what it
// expands, on a grammar whose one fold and one chain that ends in a reduction can be checked
// on paper, and the parse it makes with them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fragment_queue.h"
#include "infix_parse_tables.h"
#include "output.h"
#include "parse_engine.h"

int64_t current_line = 1;

namespace {

std::vector<int> tokens;  // what the stub scanner returns, then 0
size_t next_token = 0;

}  // namespace

int yy_next_token() {
  if (next_token == tokens.size()) return 0;
  std::string fragment = std::to_string(next_token) + " ";
  enqueue_fragment(fragment.c_str());
  return tokens[next_token++];
}

// The scanner's entry for a check's parse after an error: the same stub.
int yy_next_token_off_the_loop() { return yy_next_token(); }

namespace {

std::string parsed(const std::vector<int> &input, int *result) {
  tokens = input;
  next_token = 0;
  output_stream = tmpfile();
  *result = parse_input();
  output_flush();
  std::string text(static_cast<size_t>(ftell(output_stream)), '\0');
  rewind(output_stream);
  text.resize(fread(text.data(), 1, text.size(), output_stream));
  fclose(output_stream);
  output_stream = nullptr;
  fragment_queue_reset();
  return text;
}

TEST(HandTables, ExpandAsThePackedTablesSayAndParse) {
  int result = -1;
  EXPECT_EQ(parsed({X, X, X}, &result), "<0 1 2 ");
  EXPECT_EQ(result, parse_accepted);
  const char *fault = expanded_tables_fault();
  EXPECT_TRUE(fault == nullptr) << fault;
  // Rule 3 folded with rule 2 pops two states; a fold that popped one would leave a state on
  // the stack for every item, and the proof names it.
  int16_t *folded = rule_step_length(3);
  EXPECT_EQ(*folded, 2);
  *folded = 1;
  fault = expanded_tables_fault();
  *folded = 2;
  EXPECT_STREQ(fault, "parse engine tables: rule 3 is made as a step that the packed tables do not make");
  testing::internal::CaptureStderr();
  EXPECT_EQ(parsed({X, 1}, &result), "<0 ");
  EXPECT_EQ(result, parse_syntax_error);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Parse error in line : 1");
}

}  // namespace

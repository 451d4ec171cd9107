// The rule file format and the pattern syntax: what a well-formed file gives, and the whole
// message for each kind of fault, in the rule file and in a pattern.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scangen_test_support.h"

namespace {

TEST(RuleFile, ReadsConditionsRulesAndPatterns) {
  const std::string text =
      "# comment\n"
      "\n"
      "  condition A\n"
      "condition B_2\t\n"
      "   # indented comment\n"
      "rule one   B_2,A  a b  \t \n"
      "\tskip two\tB_2\t[ ]\n"
      "include tokens.h\n"
      "token three A X +\n"
      "text_token four A '(' (\n"
      "name_token five A Y [a-z]+";  // no final newline
  ASSERT_EQ(parse_text("x.rules", text), 0) << last_diagnostic();
  EXPECT_EQ(built.rules.file_name, "x.rules");
  EXPECT_EQ(built.rules.conditions, (std::vector<std::string>{"A", "B_2"}));
  ASSERT_EQ(built.rules.rules.size(), 5u);
  EXPECT_EQ(built.rules.rules[0].name, "one");
  EXPECT_EQ(built.rules.rules[0].conditions, (std::vector<int>{0, 1}));
  EXPECT_EQ(built.rules.rules[0].pattern, "a b");  // inner blanks kept, trailing ones dropped
  EXPECT_EQ(built.rules.rules[0].line, 6);
  EXPECT_EQ(built.rules.rules[1].pattern, "[ ]");
  EXPECT_EQ(built.rules.rules[1].conditions, (std::vector<int>{1}));
  EXPECT_EQ(built.rules.rules[1].line, 7);
  EXPECT_EQ(built.rules.includes, std::vector<std::string>{"tokens.h"});
  const int kinds[] = {rule_action, rule_skip, rule_token, rule_text_token, rule_name_token};
  const char *const tokens[] = {"", "", "X", "'('", "Y"};
  for (size_t i = 0; i < 5; i++) {
    EXPECT_EQ(built.rules.rules[i].kind, kinds[i]) << i;
    EXPECT_EQ(built.rules.rules[i].token, tokens[i]) << i;
  }
  EXPECT_EQ(built.rules.rules[4].pattern, "[a-z]+");
}

struct FaultCase {
  std::string text;      // the rule file
  std::string expected;  // the whole diagnostic
};

// A set that lists every byte, so its complement is empty: NUL and newline included.
std::string every_byte_set() {
  std::string set = "[^";
  for (int b = 0; b < 256; b++) {
    char c = static_cast<char>(b);
    if (c == '\n')
      set += "\\n";
    else if (c == ']' || c == '\\' || c == '^' || c == '-')
      set += std::string("\\") + c;
    else
      set += c;
  }
  return set + "]";
}

TEST(RuleFile, FaultsInTheFileAreReportedWithTheirLine) {
  const std::string a = "condition A\n";
  const std::vector<FaultCase> cases = {
      {"", "test.rules: no start condition is declared"},
      {"# only a comment\n", "test.rules: no start condition is declared"},
      {"rule r A x\n", "test.rules:1: unknown start condition 'A'"},
      {"condition\n", "test.rules:1: condition without a name"},
      {"condition 1st\n", "test.rules:1: condition name '1st' is not an identifier"},
      {"condition A B\n", "test.rules:1: unexpected text after condition A"},
      {a + "condition A\n", "test.rules:2: name A is given twice"},
      {a + "rule\n", "test.rules:2: rule without a name"},
      {a + "rule x-y A a\n", "test.rules:2: rule name 'x-y' is not an identifier"},
      {a + "rule r\n", "test.rules:2: rule r has no start conditions"},
      {a + "rule r A \t \n", "test.rules:2: rule r has no pattern"},
      {a + "rule r A,,A x\n", "test.rules:2: empty name in the condition list of rule r"},
      {a + "rule r A, x\n", "test.rules:2: empty name in the condition list of rule r"},
      {a + "rule r A,A x\n", "test.rules:2: start condition A listed twice"},
      {a + "rule r B x\n", "test.rules:2: unknown start condition 'B'"},
      {a + "rule r A x\nrule R A y\n", "test.rules:3: name RULE_R is given twice"},
      {a + "rule default A x\n", "test.rules:2: name RULE_DEFAULT is given twice"},
      {a + "condition ACTION_EOF_A\n", "test.rules:2: name ACTION_EOF_A is given twice"},
      {a + "rules r A x\n", "test.rules:2: unknown directive 'rules'"},
      {a + "token r A x-y z\n",
       "test.rules:2: rule r returns 'x-y', which is neither a token name nor a character in quotes"},
      {a + "token r A 'ab' z\n",
       "test.rules:2: rule r returns ''ab'', which is neither a token name nor a character in quotes"},
      {a + "token r A X z\n", "test.rules:2: rule r returns X, but no include names the header that declares it"},
      {a + "include\n", "test.rules:2: include without a header"},
  };
  for (const FaultCase &c : cases) {
    EXPECT_EQ(parse_text("test.rules", c.text), -1) << c.text;
    EXPECT_EQ(last_diagnostic(), c.expected) << c.text;
  }
}

TEST(RuleFile, FaultsInAPatternNameTheRule) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"(ab", "unmatched '('"},
      {"a(b|c", "unmatched '('"},
      {"ab)", "unmatched ')'"},
      {"a|", "empty alternative or group"},
      {"|a", "empty alternative or group"},
      {"a||b", "empty alternative or group"},
      {"()", "empty alternative or group"},
      {"a(|b)", "empty alternative or group"},
      {"*a", "'*', '+' or '?' follows nothing"},
      {"(+a)", "'*', '+' or '?' follows nothing"},
      {"a|?b", "'*', '+' or '?' follows nothing"},
      {"ab\\", "pattern ends in a lone backslash"},
      {"[a\\", "pattern ends in a lone backslash"},
      {"[a-\\", "pattern ends in a lone backslash"},
      {"[abc", "unterminated byte set"},
      {"[^", "unterminated byte set"},
      {"[]", "empty byte set"},
      {"[^]", "empty byte set"},
      {"[z-a]", "byte range runs backwards"},
      {every_byte_set(), "byte set matches no byte"},
      {"a*", "pattern matches the empty text"},
      {"(a|b?)", "pattern matches the empty text"},
      {"a?(b*|c)", "pattern matches the empty text"},
      {"(a*)*", "pattern matches the empty text"},
  };
  for (const auto &[pattern, message] : cases) {
    ASSERT_EQ(parse_text("test.rules", "condition A\n\nrule good A x\nrule bad A " + pattern + "\n"), 0) << pattern;
    EXPECT_EQ(build_stages(), -1) << pattern;
    EXPECT_EQ(last_diagnostic(), "test.rules:4: rule bad: " + message) << pattern;
  }
}

TEST(RuleFile, UnreadableFileIsReported) {
  EXPECT_EQ(parse_file("/nonexistent/x.rules"), -1);
  EXPECT_EQ(last_diagnostic(), "scangen: cannot open /nonexistent/x.rules: No such file or directory");
}

}  // namespace

// The tables of both real rule sets and of small ones: compressed lookups against the
// uncompressed automaton, the class partitions, the distinguished states, accept numbers,
// verification catching broken tables, and the emitted source matching the tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "emit.h"
#include "scangen_test_support.h"
#include "verify.h"

namespace {

const char *const REAL_RULE_FILES[] = {INFIX_RULES_PATH, POSTFIX_RULES_PATH};

// The state the automaton reaches from condition `condition`'s start on `text`.
int state_after(int condition, const std::string &text) {
  const ScannerTables tables = built.view();
  int state = table_start_state(condition);
  for (unsigned char c : text) state = yy_transition(tables, state, built.classes.class_of[c]);
  return state;
}

TEST(RealRuleSets, EveryPackedLookupEqualsTheAutomaton) {
  for (const char *path : REAL_RULE_FILES) {
    ASSERT_EQ(build_from_file(path), 0) << last_diagnostic();
    EXPECT_EQ(verify_packed_scanner(built.packed, built.dfa, built.classes), 0) << path << ": " << last_diagnostic();
    for (int s = 1; s <= built.packed.jam_state; s++)
      for (int k = 0; k <= built.packed.class_count; k++)
        ASSERT_EQ(yy_transition(built.view(), s, k), dfa_target(built.dfa, s, k))
            << path << " state " << s << " class " << k;
  }
}

// The classes are the coarsest partition that the patterns respect: two bytes share a class
// exactly when every byte set of the patterns holds both or neither. And the table the engine
// reads gives every byte but NUL its class, NUL the end-of-buffer class.
void expect_coarsest_partition() {
  const auto cls = [](int b) { return built.classes.class_of[b]; };
  for (int b = 0; b < 256; b++) {
    for (int other = 0; other < b; other++) {
      bool told_apart = false;
      for (const ByteSet &set : built.nfa.byte_sets) told_apart |= byte_set_has(set, b) != byte_set_has(set, other);
      EXPECT_EQ(cls(b) != cls(other), told_apart) << "bytes " << b << " and " << other;
    }
    if (b > 0) {
      EXPECT_EQ(built.packed.classes[b], cls(b)) << "byte " << b;
    }
  }
  EXPECT_EQ(built.packed.classes[0], 0);
  EXPECT_EQ(built.classes.nul_class, cls(0));
}

TEST(RealRuleSets, InfixClassesAreTheCoarsestPartition) {
  ASSERT_EQ(build_from_file(INFIX_RULES_PATH), 0) << last_diagnostic();
  expect_coarsest_partition();
  const auto cls = [](char c) { return built.classes.class_of[static_cast<unsigned char>(c)]; };
  EXPECT_EQ(cls(' '), cls('\t'));
  EXPECT_NE(cls('t'), cls('s'));  // "t-1" tells them apart, and 1 from the other digits
  EXPECT_NE(cls('1'), cls('2'));
  EXPECT_NE(cls(','), cls('\r'));   // legal in an argument list, where '\r' is not
  EXPECT_EQ(cls('\r'), cls('\0'));  // illegal, like every byte that no pattern names
}

TEST(RealRuleSets, PostfixClassesAreTheCoarsestPartition) {
  ASSERT_EQ(build_from_file(POSTFIX_RULES_PATH), 0) << last_diagnostic();
  expect_coarsest_partition();
  const auto cls = [](char c) { return built.classes.class_of[static_cast<unsigned char>(c)]; };
  EXPECT_NE(cls(' '), cls('\t'));  // "[ ]=" tells them apart
  EXPECT_NE(cls('E'), cls('A'));   // "<<EOF>>" separates E, O and F from the letters
  EXPECT_NE(cls('O'), cls('F'));
  EXPECT_EQ(cls('\r'), cls('\0'));
}

struct AcceptCase {
  const char *rules;  // rule lines after "condition A\ncondition B\n"; nullptr: the infix rules
  int condition;
  std::string text;
  const char *rule;  // the rule whose action the state reached names; "" for none
};

// The action number of the rule called `name`: its place in the rule file, the default
// rule last.
int action_of_rule(const std::string &name) {
  if (name.empty()) return 0;
  const std::vector<ScanRule> &rules = built.rules.rules;
  for (size_t i = 0; i < rules.size(); i++)
    if (rules[i].name == name) return static_cast<int>(i) + 1;
  EXPECT_EQ(name, "default") << "no rule " << name;
  return static_cast<int>(rules.size()) + 1;
}

TEST(Accept, TheFirstListedRuleOfTheLongestMatchWins) {
  const char *const kw_first = "rule kw A if\nrule id A [a-z]+\n", *const b_first = "rule y B a\nrule x A,B ab|a\n";
  const std::vector<AcceptCase> cases = {
      {kw_first, 0, "if", "kw"},
      {kw_first, 0, "iff", "id"},
      {kw_first, 0, "i", "id"},
      {"rule id A [a-z]+\nrule kw A if\n", 0, "if", "id"},
      {"rule x A,B ab|a\nrule y B a\n", 1, "a", "x"},
      {b_first, 1, "a", "y"},
      {b_first, 0, "a", "x"},
      {b_first, 0, "b", "default"},  // only the default rule takes it
      {b_first, 1, "\n", "default"},
      {b_first, 1, "aa", ""},  // the jam accepts nothing
      {nullptr, 0, "t-1", "number"},
      {nullptr, 0, "t", "identifier"},
      {nullptr, 0, "-", "number"},
      {nullptr, 0, "--", "comment_open"},
      {nullptr, 0, ",", "illegal"},
      {nullptr, 0, "f(", ""},
      {nullptr, 0, "f(x)", "identifier_args"},
      {nullptr, 0, "\x80", "illegal"},
      {nullptr, 2, "\\", "quote_close"},
      {nullptr, 2, "\\\\", "quote_backslashes"},
      {nullptr, 2, "\\(1,-)", "quote_close_args"},
      {nullptr, 2, "\n", "default"},
      {nullptr, 1, "x\n", "comment_line"},
      {nullptr, 1, "x", "comment_tail"},
  };
  for (const AcceptCase &c : cases) {
    int status = c.rules == nullptr ? build_from_file(INFIX_RULES_PATH)
                                    : build_from_text(std::string("condition A\ncondition B\n") + c.rules);
    ASSERT_EQ(status, 0) << last_diagnostic();
    EXPECT_EQ(built.packed.accept[state_after(c.condition, c.text)], action_of_rule(c.rule))
        << (c.rules ? c.rules : "infix") << " on " << c.text;
  }
}

struct Mutation {
  const char *name;
  std::function<void()> apply;  // breaks the freshly built infix tables in one place
};

// A live state whose row leaves some class to its default chain.
int state_using_its_default() {
  for (int s = 1; s < built.packed.jam_state; s++)
    for (int k = 0; k <= built.packed.class_count; k++)
      if (built.packed.base[s] != built.packed.jam_base && built.packed.check[built.packed.base[s] + k] != s) return s;
  return 0;
}

TEST(Verify, CatchesBrokenTables) {
  const auto stored_entry = [] { return built.packed.base[1] + built.classes.class_of[static_cast<int>('a')]; };
  const std::vector<Mutation> mutations = {
      {"wrong target",
       [&] { built.packed.next[stored_entry()] = static_cast<int16_t>(built.packed.end_of_buffer_state); }},
      {"entry lost", [&] { built.packed.check[stored_entry()] = 0; }},
      {"J's row cut", [] { built.packed.check[built.packed.entry_count - 1] = 0; }},
      {"live state at the jam base", [] { built.packed.base[1] = static_cast<int16_t>(built.packed.jam_base); }},
      {"E without a row",
       [] { built.packed.base[built.packed.end_of_buffer_state] = static_cast<int16_t>(built.packed.jam_base); }},
      {"base past the tables", [] { built.packed.base[1] = static_cast<int16_t>(built.packed.jam_base + 1); }},
      {"default chain loops",
       [] { built.packed.def[state_using_its_default()] = static_cast<int16_t>(state_using_its_default()); }},
      {"default out of range", [] { built.packed.def[1] = static_cast<int16_t>(built.packed.row_count); }},
      {"J accepts", [] { built.packed.accept[built.packed.jam_state] = 1; }},
      {"E accepts a rule", [] { built.packed.accept[built.packed.end_of_buffer_state] = 1; }},
      {"later rule accepted", [] { built.packed.accept[state_after(0, "t")] = action_of_rule("illegal"); }},
      {"start state accepts", [] { built.packed.accept[table_start_state(1)] = 1; }},
      {"NUL is not the end-of-buffer symbol", [] { built.packed.classes[0] = 1; }},
      {"class out of range", [] { built.packed.classes['a'] = built.packed.class_count + 1; }},
      {"meta out of range", [] { built.packed.meta[1] = -1; }},
      {"NUL class wrong", [] { built.packed.nul_class = 2; }},
      {"table size wrong", [] { built.packed.next.pop_back(); }},
  };
  for (const Mutation &m : mutations) {
    ASSERT_EQ(build_from_file(INFIX_RULES_PATH), 0) << last_diagnostic();
    ASSERT_EQ(verify_packed_scanner(built.packed, built.dfa, built.classes), 0) << last_diagnostic();
    m.apply();
    EXPECT_EQ(verify_packed_scanner(built.packed, built.dfa, built.classes), -1) << m.name;
    EXPECT_EQ(last_diagnostic().rfind("scangen: table check failed: ", 0), 0u) << m.name << ": " << last_diagnostic();
  }
}

// The numbers of array `name` as the generated source spells them.
std::vector<int> emitted_array(const std::string &source, const std::string &name) {
  std::vector<int> values;
  size_t pos = source.find("] = {\n", source.find(" " + name + "["));
  size_t end = source.find("};", pos);
  for (pos += 6; pos < end;) {
    char *after = nullptr;
    long v = strtol(source.c_str() + pos, &after, 10);
    if (after == source.c_str() + pos) break;
    values.push_back(static_cast<int>(v));
    pos = static_cast<size_t>(after - source.c_str()) + 1;  // past the comma
  }
  return values;
}

template <typename T>
std::vector<int> widened(const std::vector<T> &values) {
  return std::vector<int>(values.begin(), values.end());
}

TEST(Emit, SourceSpellsTheTablesWithoutPaths) {
  ASSERT_EQ(build_from_file(POSTFIX_RULES_PATH), 0) << last_diagnostic();
  std::string source = table_source_text("/some/absolute/dir/postfix.rules", built.rules, built.packed);
  EXPECT_EQ(source.rfind("// generated by tools/scangen from postfix.rules; do not edit\n#include \"scanner.h\"\n", 0),
            0u);
  EXPECT_EQ(source.find("/some"), std::string::npos);
  EXPECT_EQ(source, table_source_text("postfix.rules", built.rules, built.packed));
  EXPECT_EQ(emitted_array(source, "yy_accept"), widened(built.packed.accept));
  EXPECT_EQ(emitted_array(source, "yy_classes"), widened(built.packed.classes));
  EXPECT_EQ(emitted_array(source, "yy_meta"), widened(built.packed.meta));
  EXPECT_EQ(emitted_array(source, "yy_base"), widened(built.packed.base));
  EXPECT_EQ(emitted_array(source, "yy_def"), widened(built.packed.def));
  EXPECT_EQ(emitted_array(source, "yy_next"), widened(built.packed.next));
  EXPECT_EQ(emitted_array(source, "yy_check"), widened(built.packed.check));
  // 256 classes at 16 a line.
  size_t classes = source.find("yy_classes[256] = {\n");
  std::string body = source.substr(classes, source.find("};", classes) - classes);
  EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 17);
  EXPECT_NE(source.find("    .jam_base = " + std::to_string(built.packed.jam_base) + ",\n"), std::string::npos);
  EXPECT_NE(source.find("    .nul_class = 1,\n};\n"), std::string::npos);
  EXPECT_EQ(source.find("yy_shortcut("), std::string::npos);  // no token rules
  ASSERT_EQ(build_from_file(INFIX_RULES_PATH), 0) << last_diagnostic();
  source = table_source_text("infix.rules", built.rules, built.packed);
  EXPECT_NE(source.find("#include \"scanner.h\"\n#include \"infix_parse_tables.h\"\n"), std::string::npos);
  for (const char *entry :
       {"    yy_shortcut(AND, 0),  // and\n", "    yy_shortcut('(', 0),  // lparen\n",
        "    yy_shortcut(INT_EXPR, YY_QUEUES_MATCH),  // number\n",
        "    yy_shortcut(ID, YY_QUEUES_MATCH | YY_QUEUES_BLANK),  // identifier\n", "    0,  // quote_open\n"}) {
    EXPECT_NE(source.find(entry), std::string::npos) << entry;
  }
}

TEST(Emit, HeaderNamesConditionsAndActions) {
  ASSERT_EQ(build_from_text("condition NORMAL\ncondition Quoted\nrule open NORMAL \\\\\ntoken sign NORMAL '+' \\+\n"
                            "rule Close_Args Quoted x\n"),
            0)
      << last_diagnostic();
  EXPECT_EQ(table_header_text("dir/small.rules", "build/small-tables.h", built.rules),
            "// generated by tools/scangen from small.rules; do not edit\n"
            "#ifndef SCANGEN_SMALL_TABLES_H\n"
            "#define SCANGEN_SMALL_TABLES_H\n"
            "\n"
            "#include \"scanner.h\"\n"
            "\n"
            "enum StartCondition {\n"
            "    NORMAL = 0,\n"
            "    Quoted = 1,\n"
            "};\n"
            "\n"
            "// The actions the program runs (yy_rule_action).\n"
            "enum ScanAction {\n"
            "    RULE_OPEN = 1,\n"
            "    RULE_CLOSE_ARGS = 3,\n"
            "    RULE_DEFAULT = 4,\n"
            "    ACTION_EOF_NORMAL = 6,\n"
            "    ACTION_EOF_Quoted = 7,\n"
            "};\n"
            "\n"
            "// The actions the engine takes itself.\n"
            "enum EngineAction {\n"
            "    RULE_SIGN = 2,\n"
            "    ACTION_END_OF_BUFFER = 5,\n"
            "};\n"
            "\n"
            "#endif\n");
}

}  // namespace

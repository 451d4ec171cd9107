// Output of the generated table files. The output depends on nothing but the grammar: the
// banner names the grammar file without its directory and carries no time, so two builds of
// one grammar write the same bytes. Tables are printed 16 numbers a row, right-aligned.
#include "emit_tables.h"

#include <string>
#include <vector>

#include "files.h"
#include "generated_source.h"
#include "parse_row_packing.h"
#include "text.h"

namespace {

template <typename T>
std::string array_text(const char *comment, const char *type, const char *name, const char *size,
                       const std::vector<T> &values) {
  return formatted("\n// %s\nconst %s %s[%s] = {\n", comment, type, name, size) + array_rows(values) + "};\n";
}

std::string source_text(const char *grammar_path, const char *header_path, const ParseTables &t) {
  std::string text = generated_banner(LALRGEN, grammar_path) + "#include \"" + base_name(header_path) + "\"\n";
  text += array_text("Token code -> terminal symbol.", "int8_t", "token_to_symbol", "PARSE_MAX_CODE + 1",
                     t.token_to_symbol);
  text += array_text("Rule -> symbol of its left side (rule 0 is never reduced).", "int16_t", "rule_lhs",
                     "PARSE_RULE_COUNT + 1", t.rule_lhs);
  text += array_text("Rule -> number of symbols on its right side.", "int16_t", "rule_length", "PARSE_RULE_COUNT + 1",
                     t.rule_length);
  text += array_text("Rule -> GrammarAction run when it is reduced.", "uint8_t", "rule_action", "PARSE_RULE_COUNT + 1",
                     t.rule_action);
  text += array_text("State -> displacement of its token actions; PARSE_NO_ENTRY: reduce without reading.", "int16_t",
                     "state_base", "PARSE_STATE_COUNT", t.state_base);
  text += array_text("State -> rule to reduce by when no token action matches; 0: syntax error.", "int16_t",
                     "state_default", "PARSE_STATE_COUNT", t.state_default);
  text += array_text("Nonterminal - PARSE_FIRST_NONTERMINAL -> displacement of its gotos; PARSE_NO_ENTRY: none.",
                     "int16_t", "goto_base", "PARSE_NONTERMINAL_COUNT", t.goto_base);
  text += array_text("Nonterminal - PARSE_FIRST_NONTERMINAL -> goto target when no entry matches.", "int16_t",
                     "goto_default", "PARSE_NONTERMINAL_COUNT", t.goto_default);
  text += array_text("Token actions (> 0 shift, < 0 reduce, 0 or PARSE_NO_ENTRY error) and goto targets.", "int16_t",
                     "packed_action", "PARSE_LAST_INDEX + 1", t.packed_action);
  text += array_text("Owner of each slot: the terminal of a token action, the state of a goto.", "int16_t",
                     "packed_check", "PARSE_LAST_INDEX + 1", t.packed_check);
  return text;
}

std::string enums_text(const Grammar &grammar) {
  std::string text = "\n// Codes of the named tokens, as the scanner returns them.\nenum TokenCode {\n";
  for (const Symbol &s : grammar.symbols) {
    if (s.kind == symbol_token) text += formatted("  %s = %d,\n", s.name.c_str(), s.code);
  }
  text += "};\n\n// The action each rule runs at its reduction (rule_action).\nenum GrammarAction {\n";
  for (int i = 0; i < static_cast<int>(grammar.actions.size()); i++)
    text += formatted("  action_%s = %d,\n", grammar.actions[i].name.c_str(), i);
  return text + "};\n";
}

// `bytes` as the body of a C string literal; a byte that is not printed as itself is written
// as three octal digits, so that no digit after it can join the escape.
std::string string_literal_body(const std::string &bytes) {
  std::string body;
  for (unsigned char c : bytes) {
    if (c == '\n') {
      body += "\\n";
    } else if (c == '\t') {
      body += "\\t";
    } else if (c == '\\' || c == '"') {
      body += std::string("\\") + static_cast<char>(c);
    } else if (c < ' ' || c > '~') {
      body += formatted("\\%03o", c);
    } else {
      body += static_cast<char>(c);
    }
  }
  return body;
}

// The record of what each action writes, and the table of it. ORDER ACTION_WRITES
std::string outputs_text(const Grammar &grammar) {
  static const char *const WRITES[] = {"nothing", "text", "fragment", "number"};
  std::string text = formatted(
      "\n// What an action writes when a rule that runs it is reduced.\n"
      "enum class ActionWrites : uint8_t { nothing, text, fragment, number };\n"
      "constexpr int ACTION_TEXT_SIZE = %d;  // an action's text, padded so that it is copied in one move\n"
      "struct ActionOutput {\n"
      "  ActionWrites writes;          // which of the four\n"
      "  uint8_t length;               // bytes of text\n"
      "  char text[ACTION_TEXT_SIZE];  // for ActionWrites::text\n"
      "};\n\n"
      "constexpr int GRAMMAR_ACTION_COUNT = %zu;\n"
      "inline constexpr ActionOutput ACTION_OUTPUTS[GRAMMAR_ACTION_COUNT] = {\n",
      MAX_ACTION_TEXT + 1, grammar.actions.size());
  for (const RuleAction &action : grammar.actions) {
    text += formatted("    {ActionWrites::%s, %zu, \"%s\"},  // %s\n", WRITES[action.writes], action.text.size(),
                      string_literal_body(action.text).c_str(), action.name.c_str());
  }
  return text + "};\n";
}

// How a syntax error names each terminal, a table the parse engine reads only at an error.
std::string displays_text(const Grammar &grammar) {
  std::string text =
      "\n// How a syntax error names each terminal among what was expected; \"\": never named.\n"
      "inline constexpr const char *SYMBOL_DISPLAY[PARSE_FIRST_NONTERMINAL] = {\n";
  for (int s = 0; s < grammar.token_count; s++) {
    text += formatted("    \"%s\",  // %s\n", string_literal_body(grammar.symbols[s].display).c_str(),
                      grammar.symbols[s].name.c_str());
  }
  return text + "};\n";
}

// The binary operators, for whoever writes the language back with no more parentheses than
// it needs: the rules that join two of one nonterminal around a terminal and write a sign of
// one byte, with the terminal's level and grouping. A sentinel with sign 0 ends the table,
// which a grammar without operators leaves empty.
std::string operators_text(const Grammar &grammar) {
  static const char *const GROUPING[] = {"neither", "left", "right", "neither", "neither"};  // by Associativity
  std::string rows;
  int count = 0;
  for (const GrammarRule &rule : grammar.rules) {
    const std::vector<int> &rhs = rule.rhs;
    bool binary = rhs.size() == 3 && rhs[0] == rule.lhs && rhs[2] == rule.lhs && is_terminal(grammar, rhs[1]);
    const RuleAction &action = grammar.actions[rule.action];
    if (!binary || action.writes != writes_text || action.text.size() != 1) continue;
    const Symbol &token = grammar.symbols[rhs[1]];
    rows += formatted("    {'%s', %d, OperatorGrouping::%s},  // %s\n", string_literal_body(action.text).c_str(),
                      token.precedence, GROUPING[token.associativity], token.name.c_str());
    count++;
  }
  return formatted(
             "\n// The binary operators: the sign each one's rule writes, its precedence level (from 1, the\n"
             "// loosest; 0: none) and how operators of one level group.\n"
             "enum class OperatorGrouping : uint8_t { neither, left, right };\n"
             "struct GrammarOperator {\n"
             "  char sign;                  // what its rule writes; 0 ends the table\n"
             "  uint8_t level;              // its precedence level\n"
             "  OperatorGrouping grouping;  // a op b op c is (a op b) op c when left\n"
             "};\n\n"
             "constexpr int GRAMMAR_OPERATOR_COUNT = %d;\n"
             "inline constexpr GrammarOperator GRAMMAR_OPERATORS[GRAMMAR_OPERATOR_COUNT + 1] = {\n",
             count) +
         rows + "    {0, 0, OperatorGrouping::neither},\n};\n";
}

std::string constant_line(const char *name, int value, const char *meaning) {
  return formatted("constexpr int %-24s = %6d;  // %s\n", name, value, meaning);
}

std::string constants_text(const ParseTablesView &v) {
  return constant_line("PARSE_STATE_COUNT", v.state_count, "states, the final one included") +
         constant_line("PARSE_FINAL_STATE", v.final_state, "an action naming it accepts") +
         constant_line("PARSE_LAST_INDEX", v.last_index, "last slot of packed_action and packed_check") +
         constant_line("PARSE_FIRST_NONTERMINAL", v.first_nonterminal, "symbol number of the first nonterminal") +
         constant_line("PARSE_NONTERMINAL_COUNT", v.nonterminal_count, "entries of goto_base and goto_default") +
         constant_line("PARSE_END_SYMBOL", v.end_symbol, "the end of input as a symbol") +
         constant_line("PARSE_UNDEFINED_SYMBOL", v.undefined_symbol, "symbol of every undeclared token code") +
         constant_line("PARSE_MAX_CODE", v.max_code, "token_to_symbol covers codes 0..PARSE_MAX_CODE") +
         constant_line("PARSE_RULE_COUNT", v.rule_count, "rules, numbered from 1") +
         constant_line("PARSE_NO_ENTRY", NO_ROW_BASE, "a base with no entries; an action that is an error");
}

// A file name that starts with a digit gives a guard that does not start with one.
std::string guard_name(const char *header_path) {
  std::string word = guard_word(header_path);
  return (word[0] >= '0' && word[0] <= '9' ? "TABLES_" : "") + word;
}

std::string header_text(const char *grammar_path, const char *header_path, const Grammar &grammar,
                        const ParseTables &tables) {
  std::string guard = guard_name(header_path);
  std::string text = generated_banner(LALRGEN, grammar_path);
  text += "#ifndef " + guard + "\n#define " + guard + "\n\n#include <cstdint>\n";
  text += enums_text(grammar) + outputs_text(grammar) + "\n" + constants_text(parse_tables_view(tables));
  text += displays_text(grammar) + operators_text(grammar);
  text +=
      "\nextern const int8_t token_to_symbol[PARSE_MAX_CODE + 1];\n"
      "extern const int16_t rule_lhs[PARSE_RULE_COUNT + 1];\n"
      "extern const int16_t rule_length[PARSE_RULE_COUNT + 1];\n"
      "extern const uint8_t rule_action[PARSE_RULE_COUNT + 1];\n"
      "extern const int16_t state_base[PARSE_STATE_COUNT];\n"
      "extern const int16_t state_default[PARSE_STATE_COUNT];\n"
      "extern const int16_t goto_base[PARSE_NONTERMINAL_COUNT];\n"
      "extern const int16_t goto_default[PARSE_NONTERMINAL_COUNT];\n"
      "extern const int16_t packed_action[PARSE_LAST_INDEX + 1];\n"
      "extern const int16_t packed_check[PARSE_LAST_INDEX + 1];\n";
  return text + "\n#endif\n";
}

}  // namespace

int emit_parse_tables(const char *grammar_path, const Grammar &grammar, const ParseTables &tables,
                      const char *source_path, const char *header_path) {
  return write_generated_files(LALRGEN, source_path, source_text(grammar_path, header_path, tables), header_path,
                               header_text(grammar_path, header_path, grammar, tables));
}

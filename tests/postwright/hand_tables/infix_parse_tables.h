// Parse tables built by hand, in the form lalrgen writes, for a grammar small enough to work
// out on paper: the parse engine is compiled against them in place of the infix grammar's, so
// that its expansion and the proof of it are tried on tables that no generator made.
//
//   rule 1  list :                  => write_start ("<")
//   rule 2  list : list item
//   rule 3  item : X                => print_fragment
//
// Symbols: $ 0, ? 1 (every undeclared code), X 2 (code 2); list 3, item 4. States: 0 reduces
// by rule 1 without reading; 1 shifts $ into 2 and X into 3; 2 accepts on $ (the final state
// 5); 3 reduces by rule 3 and 4 by rule 2, both without reading. Rule 3 always leads into 4,
// so the expansion folds the two, and the shift of X names that folded reduction as its
// chain's next step.
#ifndef INFIX_PARSE_TABLES_H
#define INFIX_PARSE_TABLES_H

#include <cstdint>

enum TokenCode {
  X = 2,
};

enum GrammarAction {
  action_none = 0,
  action_print_fragment = 1,
  action_write_start = 2,
};

enum class ActionWrites : uint8_t { nothing, text, fragment, number };
constexpr int ACTION_TEXT_SIZE = 16;
struct ActionOutput {
  ActionWrites writes;
  uint8_t length;
  char text[ACTION_TEXT_SIZE];
};

constexpr int GRAMMAR_ACTION_COUNT = 3;
inline constexpr ActionOutput ACTION_OUTPUTS[GRAMMAR_ACTION_COUNT] = {
    {ActionWrites::nothing, 0, ""},
    {ActionWrites::fragment, 0, ""},
    {ActionWrites::text, 1, "<"},
};

constexpr int PARSE_STATE_COUNT = 6;
constexpr int PARSE_FINAL_STATE = 5;
constexpr int PARSE_LAST_INDEX = 2;
constexpr int PARSE_FIRST_NONTERMINAL = 3;
constexpr int PARSE_NONTERMINAL_COUNT = 2;
constexpr int PARSE_END_SYMBOL = 0;
constexpr int PARSE_UNDEFINED_SYMBOL = 1;
constexpr int PARSE_MAX_CODE = 2;
constexpr int PARSE_RULE_COUNT = 3;
constexpr int PARSE_NO_ENTRY = -32768;

extern const int8_t token_to_symbol[PARSE_MAX_CODE + 1];
extern const int16_t rule_lhs[PARSE_RULE_COUNT + 1];
extern const int16_t rule_length[PARSE_RULE_COUNT + 1];
extern const uint8_t rule_action[PARSE_RULE_COUNT + 1];
extern const int16_t state_base[PARSE_STATE_COUNT];
extern const int16_t state_default[PARSE_STATE_COUNT];
extern const int16_t goto_base[PARSE_NONTERMINAL_COUNT];
extern const int16_t goto_default[PARSE_NONTERMINAL_COUNT];
extern const int16_t packed_action[PARSE_LAST_INDEX + 1];
extern const int16_t packed_check[PARSE_LAST_INDEX + 1];

#endif

// The finished parse tables in the types the parse engine reads: the one process-wide
// ParseTables that assemble_parse_tables builds from the construction, and ParseTablesView,
// the read-only form that verify_parse_tables checks (built over ParseTables, or over the
// arrays of a generated table source).
#ifndef LALRGEN_PARSE_TABLES_H
#define LALRGEN_PARSE_TABLES_H

#include <cstdint>
#include <vector>

struct ParseTablesView {
  const int8_t *token_to_symbol;  // token code 0..max_code -> terminal
  const int16_t *rule_lhs;        // rule 0..rule_count -> left side; 0 for rule 0
  const int16_t *rule_length;     // rule -> right-side length; 0 for rule 0
  const uint8_t *rule_action;     // rule -> action number (index of its action name)
  const int16_t *state_base;      // state -> token row displacement; NO_ROW_BASE = reads nothing
  const int16_t *state_default;   // state -> default rule; 0 = syntax error
  const int16_t *goto_base;       // nonterminal index -> goto row displacement
  const int16_t *goto_default;    // nonterminal index -> default goto target
  const int16_t *packed_action;   // slot 0..last_index -> action or goto target
  const int16_t *packed_check;    // slot -> owning terminal or state
  int max_code;                   // highest translated token code
  int rule_count;                 // rules, without rule 0
  int state_count;                // states, the final state included
  int nonterminal_count;          // entries of goto_base and goto_default
  int last_index;                 // last slot of packed_action and packed_check
  int final_state;                // an action naming it accepts
  int first_nonterminal;          // symbol number of the first nonterminal
  int end_symbol;                 // terminal of the end of input
  int undefined_symbol;           // terminal of every undeclared code
};

struct ParseTables {
  std::vector<int8_t> token_to_symbol;  // the arrays behind a ParseTablesView, same meanings
  std::vector<int16_t> rule_lhs;        // rule -> left side
  std::vector<int16_t> rule_length;     // rule -> right-side length
  std::vector<uint8_t> rule_action;     // rule -> action number
  std::vector<int16_t> state_base;      // state -> token row displacement
  std::vector<int16_t> state_default;   // state -> default rule
  std::vector<int16_t> goto_base;       // nonterminal index -> goto row displacement
  std::vector<int16_t> goto_default;    // nonterminal index -> default goto target
  std::vector<int16_t> packed_action;   // slot -> action or goto target
  std::vector<int16_t> packed_check;    // slot -> owning terminal or state
};

extern ParseTables tables;  // built from `grammar`, `automaton`, `defaults` and `packed`

void assemble_parse_tables();
ParseTablesView view_of_tables();  // a view over `tables`

#endif

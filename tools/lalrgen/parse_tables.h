// The finished parse tables in the types the parse engine reads, and ParseTablesView, the
// read-only form that verify_parse_tables checks (over ParseTables, or over the arrays of a
// generated table source). Entry points: assemble_parse_tables(), parse_tables_view().
#ifndef LALRGEN_PARSE_TABLES_H
#define LALRGEN_PARSE_TABLES_H

#include <cstdint>
#include <vector>

#include "default_reductions.h"
#include "grammar_file.h"
#include "lr0_automaton.h"
#include "parse_row_packing.h"

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

// The arrays and constants behind a ParseTablesView, with the same meanings.
struct ParseTables {
  std::vector<int8_t> token_to_symbol;  // token code -> terminal
  std::vector<int16_t> rule_lhs;        // rule -> left side
  std::vector<int16_t> rule_length;     // rule -> right-side length
  std::vector<uint8_t> rule_action;     // rule -> action number
  std::vector<int16_t> state_base;      // state -> token row displacement
  std::vector<int16_t> state_default;   // state -> default rule
  std::vector<int16_t> goto_base;       // nonterminal index -> goto row displacement
  std::vector<int16_t> goto_default;    // nonterminal index -> default goto target
  std::vector<int16_t> packed_action;   // slot -> action or goto target
  std::vector<int16_t> packed_check;    // slot -> owning terminal or state
  int max_code;                         // highest translated token code
  int rule_count;                       // rules, without rule 0
  int nonterminal_count;                // entries of goto_base and goto_default
  int final_state;                      // an action naming it accepts
  int first_nonterminal;                // symbol number of the first nonterminal
  int end_symbol;                       // terminal of the end of input
  int undefined_symbol;                 // terminal of every undeclared code
};

ParseTables assemble_parse_tables(const Grammar &grammar, const Automaton &automaton, const DefaultedTables &defaults,
                                  const PackedParseRows &packed);

ParseTablesView parse_tables_view(const ParseTables &tables);  // pointers into `tables`

#endif

// Assembly of the finished parse tables: the token translation and the rule tables come
// from the grammar, the defaults and the packed rows from the construction. Everything is
// narrowed to the engine's 8- and 16-bit types here, once; row_packing.cc has already
// checked that the values fit.
#include "parse_tables.h"

#include "default_reductions.h"
#include "grammar_file.h"
#include "lr0_automaton.h"
#include "row_packing.h"

ParseTables tables;

template <typename T>
static std::vector<T> narrowed(const std::vector<int> &values) {
  return std::vector<T>(values.begin(), values.end());
}

static void assemble_token_translation() {
  tables.token_to_symbol.assign(grammar.max_code + 1, static_cast<int8_t>(grammar.undefined_symbol));
  for (int t = 0; t < grammar.token_count; t++) {
    int code = grammar.symbols[t].code;
    if (code >= 0) tables.token_to_symbol[code] = static_cast<int8_t>(t);
  }
}

static void assemble_rule_tables() {
  tables.rule_lhs.assign(1, 0);  // rule 0 is never reduced: its entries are placeholders
  tables.rule_length.assign(1, 0);
  tables.rule_action.assign(1, 0);
  for (size_t r = 1; r < grammar.rules.size(); r++) {
    tables.rule_lhs.push_back(static_cast<int16_t>(grammar.rules[r].lhs));
    tables.rule_length.push_back(static_cast<int16_t>(grammar.rules[r].rhs.size()));
    tables.rule_action.push_back(static_cast<uint8_t>(grammar.rules[r].action));
  }
}

void assemble_parse_tables() {
  tables = ParseTables{};
  assemble_token_translation();
  assemble_rule_tables();
  tables.state_base = narrowed<int16_t>(packed.state_base);
  tables.state_default = narrowed<int16_t>(defaults.state_default);
  tables.goto_base = narrowed<int16_t>(packed.goto_base);
  tables.goto_default = narrowed<int16_t>(defaults.goto_default);
  tables.packed_action = narrowed<int16_t>(packed.packed_action);
  tables.packed_check = narrowed<int16_t>(packed.packed_check);
}

ParseTablesView view_of_tables() {
  ParseTablesView view{};
  view.token_to_symbol = tables.token_to_symbol.data();
  view.rule_lhs = tables.rule_lhs.data();
  view.rule_length = tables.rule_length.data();
  view.rule_action = tables.rule_action.data();
  view.state_base = tables.state_base.data();
  view.state_default = tables.state_default.data();
  view.goto_base = tables.goto_base.data();
  view.goto_default = tables.goto_default.data();
  view.packed_action = tables.packed_action.data();
  view.packed_check = tables.packed_check.data();
  view.max_code = grammar.max_code;
  view.rule_count = rule_count();
  view.state_count = static_cast<int>(tables.state_base.size());
  view.nonterminal_count = nonterminal_count();
  view.last_index = static_cast<int>(tables.packed_action.size()) - 1;
  view.final_state = automaton.final_state;
  view.first_nonterminal = grammar.token_count;
  view.end_symbol = grammar.end_symbol;
  view.undefined_symbol = grammar.undefined_symbol;
  return view;
}

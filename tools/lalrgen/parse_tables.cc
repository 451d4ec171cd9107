// Assembly of the finished parse tables: the token translation and the rule tables come
// from the grammar, the defaults and the packed rows from the construction. Everything is
// narrowed to the engine's 8- and 16-bit types here, once; parse_row_packing.cc has already
// checked that the values fit.
#include "parse_tables.h"

namespace {

template <typename T>
std::vector<T> narrowed(const std::vector<int> &values) {
  return std::vector<T>(values.begin(), values.end());
}

void assemble_token_translation(ParseTables *tables, const Grammar &grammar) {
  tables->token_to_symbol.assign(grammar.max_code + 1, static_cast<int8_t>(grammar.undefined_symbol));
  for (int t = 0; t < grammar.token_count; t++) {
    int code = grammar.symbols[t].code;
    if (code >= 0) tables->token_to_symbol[code] = static_cast<int8_t>(t);
  }
}

void assemble_rule_tables(ParseTables *tables, const Grammar &grammar) {
  tables->rule_lhs.assign(1, 0);  // rule 0 is never reduced: its entries are placeholders
  tables->rule_length.assign(1, 0);
  tables->rule_action.assign(1, 0);
  for (int r = 1; r <= rule_count(grammar); r++) {
    const GrammarRule &rule = grammar.rules[r];
    tables->rule_lhs.push_back(static_cast<int16_t>(rule.lhs));
    tables->rule_length.push_back(static_cast<int16_t>(rule.rhs.size()));
    tables->rule_action.push_back(static_cast<uint8_t>(rule.action));
  }
}

}  // namespace

ParseTables assemble_parse_tables(const Grammar &grammar, const Automaton &automaton, const DefaultedTables &defaults,
                                  const PackedParseRows &packed) {
  ParseTables tables{};
  assemble_token_translation(&tables, grammar);
  assemble_rule_tables(&tables, grammar);
  tables.state_base = narrowed<int16_t>(packed.state_base);
  tables.state_default = narrowed<int16_t>(defaults.state_default);
  tables.goto_base = narrowed<int16_t>(packed.goto_base);
  tables.goto_default = narrowed<int16_t>(defaults.goto_default);
  tables.packed_action = narrowed<int16_t>(packed.packed_action);
  tables.packed_check = narrowed<int16_t>(packed.packed_check);
  tables.max_code = grammar.max_code;
  tables.rule_count = rule_count(grammar);
  tables.nonterminal_count = nonterminal_count(grammar);
  tables.final_state = automaton.final_state;
  tables.first_nonterminal = grammar.token_count;
  tables.end_symbol = grammar.end_symbol;
  tables.undefined_symbol = grammar.undefined_symbol;
  return tables;
}

ParseTablesView parse_tables_view(const ParseTables &t) {
  int state_count = static_cast<int>(t.state_base.size());
  int last_index = static_cast<int>(t.packed_action.size()) - 1;
  // In the order of the fields of ParseTablesView.
  return ParseTablesView{t.token_to_symbol.data(),
                         t.rule_lhs.data(),
                         t.rule_length.data(),
                         t.rule_action.data(),
                         t.state_base.data(),
                         t.state_default.data(),
                         t.goto_base.data(),
                         t.goto_default.data(),
                         t.packed_action.data(),
                         t.packed_check.data(),
                         t.max_code,
                         t.rule_count,
                         state_count,
                         t.nonterminal_count,
                         last_index,
                         t.final_state,
                         t.first_nonterminal,
                         t.end_symbol,
                         t.undefined_symbol};
}

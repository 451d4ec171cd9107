// The hand-built tables of infix_parse_tables.h.
#include "infix_parse_tables.h"

const int8_t token_to_symbol[PARSE_MAX_CODE + 1] = {0, 1, 2};
const int16_t rule_lhs[PARSE_RULE_COUNT + 1] = {0, 3, 3, 4};
const int16_t rule_length[PARSE_RULE_COUNT + 1] = {0, 0, 2, 1};
const uint8_t rule_action[PARSE_RULE_COUNT + 1] = {0, action_write_start, action_none, action_print_fragment};
// State 1's row at base 0: $ in slot 0, X in slot 2; state 2's at base 1: $ in slot 1.
const int16_t state_base[PARSE_STATE_COUNT] = {PARSE_NO_ENTRY, 0, 1, PARSE_NO_ENTRY, PARSE_NO_ENTRY, PARSE_NO_ENTRY};
const int16_t state_default[PARSE_STATE_COUNT] = {1, 0, 0, 3, 2, 0};
// Every goto on list enters 1, every goto on item 4: the defaults alone.
const int16_t goto_base[PARSE_NONTERMINAL_COUNT] = {PARSE_NO_ENTRY, PARSE_NO_ENTRY};
const int16_t goto_default[PARSE_NONTERMINAL_COUNT] = {1, 4};
const int16_t packed_action[PARSE_LAST_INDEX + 1] = {2, PARSE_FINAL_STATE, 3};
const int16_t packed_check[PARSE_LAST_INDEX + 1] = {0, 0, 2};

// The postfix token rules' own state and its reset. The rule actions themselves are the
// scanner's yy_rule_action hook (postfix_scanner.cc); quoted names and comment lines are
// assembled in the shared token text buffer (token_text.h).
#ifndef INWRIGHT_POSTFIX_SCANNER_H
#define INWRIGHT_POSTFIX_SCANNER_H

#include <cstdint>

constexpr int TOKEN_TEXT_INITIAL_SIZE = 32000;  // bytes of the work buffer at its first use

extern int64_t current_line;  // input line being scanned, from 1; a file may hold more than 2^31

// Returns the rule actions' state, the node stack and the tree storage to their values at
// program start: for tests and fuzzers that run several inputs in one process.
void reset_postfix_scanner();

#endif

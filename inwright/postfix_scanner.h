// The postfix token rules' own state and its reset. The rule actions themselves are the
// scanner's yy_rule_action hook (postfix_scanner.cc); quoted names are assembled in the shared
// token text buffer (token_text.h), and what both rule sets share is in shared_actions.h.
#ifndef INWRIGHT_POSTFIX_SCANNER_H
#define INWRIGHT_POSTFIX_SCANNER_H

// Returns the rule actions' state, the node stack and the tree storage to their values at
// program start: for tests and fuzzers that run several inputs in one process.
void postfix_scanner_reset();

#endif

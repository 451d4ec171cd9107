// The infix token rules' own state and its reset. The rule actions themselves are the
// scanner's yy_rule_action hook (infix_scanner.cc); quoted names are assembled in the shared
// token text buffer (token_text.h), and what both rule sets share is in shared_actions.h.
#ifndef POSTWRIGHT_INFIX_SCANNER_H
#define POSTWRIGHT_INFIX_SCANNER_H

#ifdef SMALL_TEST_BUFFERS  // the sanitizer build: a quoted name or comment of a few bytes grows it
constexpr int TOKEN_TEXT_INITIAL_SIZE = 8;
#else
constexpr int TOKEN_TEXT_INITIAL_SIZE = 30000;  // bytes the driver allocates, zero-filled
#endif

// The grammar's error symbol: what the scanner returns in a check for an illegal byte it has
// reported, so that the parser skips to the statement's end without a report of its own.
constexpr int REPORTED_ERROR_TOKEN = 256;

// Returns the rule actions' state to its value at program start (the work buffer is kept,
// emptied): for tests and fuzzers that run several inputs in one process.
void infix_scanner_reset();

#endif

// The postfix token rules' shared state: the work buffer in which quoted names and comment
// lines are assembled, and the line counter that error messages print. The rule actions
// themselves are the scanner's yy_rule_action hook (postfix_scanner.cc).
#ifndef INWRIGHT_POSTFIX_SCANNER_H
#define INWRIGHT_POSTFIX_SCANNER_H

#include <cstddef>

constexpr size_t TOKEN_TEXT_INITIAL_SIZE = 32000;  // bytes allocated at the first use

extern char *token_text_buffer;  // assembles a quoted name or a comment line; grows as needed
extern size_t token_text_size;   // bytes allocated for token_text_buffer
extern size_t token_text_length; // characters of the open quoted name; 0 outside QUOTED_NAME
extern int current_line;         // input line being scanned, from 1

#endif

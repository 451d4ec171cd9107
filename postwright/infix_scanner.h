// The infix token rules' shared state: the work buffer in which quoted names and comment
// lines are assembled, and the line counter that error messages print.
#ifndef POSTWRIGHT_INFIX_SCANNER_H
#define POSTWRIGHT_INFIX_SCANNER_H

constexpr int TOKEN_TEXT_INITIAL_SIZE = 30000;  // bytes the driver allocates, zero-filled

extern char *token_text_buffer;  // assembles ID and COMMENT fragments; grows as needed
extern int token_text_size;      // bytes allocated for token_text_buffer
extern int token_text_length;    // characters of the open quoted name; 0 in NORMAL
extern int current_line;         // input line being scanned, from 1

#endif

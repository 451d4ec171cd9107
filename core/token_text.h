// The work buffer in which both programs' rule actions assemble a quoted name, which arrives
// in several matches, before it is queued or written. Entry points: token_text_append,
// token_text_append_match, token_text_clear. It grows geometrically, so a name may be of any
// length.
#ifndef CORE_TOKEN_TEXT_H
#define CORE_TOKEN_TEXT_H

#include <cstddef>

extern char *token_text_buffer;   // the assembled text, NUL-terminated; null before first use
extern size_t token_text_size;    // bytes allocated for token_text_buffer
extern size_t token_text_length;  // bytes assembled so far, 0 when nothing is open

// Allocates `size` zero-filled bytes up front; the buffer grows from there when needed.
void token_text_allocate(size_t size);

// Appends `length` bytes and keeps the text NUL-terminated.
void token_text_append(const char *text, size_t length);

// Appends the current match.
void token_text_append_match();

// Empties the text for the next token; the memory stays.
void token_text_clear();

// Releases the buffer: back to the state before the first use.
void token_text_reset();

#endif

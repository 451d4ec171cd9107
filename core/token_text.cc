// The token text work buffer.
#include "token_text.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "process.h"
#include "scanner.h"

#ifdef SMALL_TEST_BUFFERS  // the sanitizer build: a quoted name or comment of a few bytes grows it
constexpr size_t TOKEN_TEXT_FIRST_SIZE = 8;
#else
constexpr size_t TOKEN_TEXT_FIRST_SIZE = 32000;  // bytes of the first allocation if none was made
#endif

char *token_text_buffer = nullptr;
size_t token_text_size = 0;
size_t token_text_length = 0;

void token_text_allocate(size_t size) {
  char *buffer = static_cast<char *>(calloc(size, 1));
  if (buffer == nullptr) die("token_text_allocate");
  free(token_text_buffer);
  token_text_buffer = buffer;
  token_text_size = size;
  token_text_length = 0;
}

// Makes room for `extra` more bytes and the NUL, doubling the size; the text is kept.
static void reserve(size_t extra) {
  if (extra >= SIZE_MAX / 2 - token_text_length) die("token_text_append");
  size_t needed = token_text_length + extra + 1;
  size_t size = token_text_size > 0 ? token_text_size : TOKEN_TEXT_FIRST_SIZE;
  while (size < needed) size *= 2;
  char *grown = static_cast<char *>(realloc(token_text_buffer, size));
  if (grown == nullptr) die("token_text_append");
  token_text_buffer = grown;
  token_text_size = size;
}

void token_text_append(const char *text, size_t length) {
  if (token_text_size - token_text_length <= length) reserve(length);
  memcpy(token_text_buffer + token_text_length, text, length);
  token_text_length += length;
  token_text_buffer[token_text_length] = '\0';
}

void token_text_append_match() { token_text_append(yy_token_text, yy_token_length); }

void token_text_clear() {
  token_text_length = 0;
  if (token_text_buffer != nullptr) token_text_buffer[0] = '\0';
}

void token_text_reset() {
  free(token_text_buffer);
  token_text_buffer = nullptr;
  token_text_size = 0;
  token_text_length = 0;
}

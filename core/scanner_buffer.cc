// Scanner input buffers: creation, attaching a stream, emptying, and loading the active
// buffer into the engine's working variables. The refill itself lives with the engine.
#include <unistd.h>

#include <cstdlib>

#include "scanner.h"

void *yy_alloc(size_t size) { return malloc(size); }

void *yy_realloc(void *memory, size_t size) { return realloc(memory, size); }

yy_buffer *yy_create_buffer(FILE *stream, int capacity) {
  yy_buffer *buffer = static_cast<yy_buffer *>(yy_alloc(sizeof(yy_buffer)));
  if (buffer == nullptr) yy_fatal("out of dynamic memory in yy_create_buffer()");
  buffer->capacity = static_cast<uint32_t>(capacity);
  // Two bytes beyond the capacity hold the end-of-buffer NULs that end every match.
  buffer->chars = static_cast<char *>(yy_alloc(buffer->capacity + 2));
  if (buffer->chars == nullptr) yy_fatal("out of dynamic memory in yy_create_buffer()");
  yy_attach_stream(buffer, stream);
  return buffer;
}

void yy_attach_stream(yy_buffer *buffer, FILE *stream) {
  yy_reset_buffer(buffer);
  buffer->input_stream = stream;
  buffer->interactive = stream != nullptr && yy_is_terminal(fileno(stream)) > 0 ? 1 : 0;
}

void yy_reset_buffer(yy_buffer *buffer) {
  buffer->char_count = 0;
  buffer->chars[0] = 0;
  buffer->chars[1] = 0;
  buffer->position = buffer->chars;
  buffer->status = buffer_new;
  if (buffer == yy_active_buffer) yy_load_active();
}

void yy_load_active() {
  yy_char_count = yy_active_buffer->char_count;
  yy_scan_pos = yy_token_text = yy_active_buffer->position;
  yy_input_stream = yy_active_buffer->input_stream;
  yy_held_char = *yy_scan_pos;
}

void yy_restart_stream(FILE *stream) {
  yy_attach_stream(yy_active_buffer, stream);
  yy_load_active();
}

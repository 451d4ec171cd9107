// The output write buffer and output_stream.
#include "output.h"

FILE *output_stream = nullptr;
OutputBuffer output_buffer = {0, {}};

// Whether bytes handed on now would reach the file right after the ones before them. Once a
// write has failed, the file ends where the lost block began; a later block written after it
// would leave a gap, so the file would no longer be a prefix of the output.
static bool output_writable() { return output_stream != nullptr && ferror(output_stream) == 0; }

void output_flush() {
  if (output_buffer.used == 0) return;
  if (output_writable()) fwrite(output_buffer.bytes, 1, output_buffer.used, output_stream);
  output_buffer.used = 0;
}

void output_long_text(const char *text, size_t length) {
  output_flush();
  if (length < OUTPUT_BUFFER_SIZE) {
    memcpy(output_buffer.bytes, text, length);
    output_buffer.used = length;
  } else if (output_writable()) {
    fwrite(text, 1, length, output_stream);
  }
}

bool output_close() {
  output_flush();
  bool written = ferror(output_stream) == 0;
  if (fclose(output_stream) != 0) written = false;
  output_stream = nullptr;
  return written;
}

void output_reset() {
  if (output_stream != nullptr) fclose(output_stream);
  output_stream = nullptr;
  output_buffer.used = 0;
}

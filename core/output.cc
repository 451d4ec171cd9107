// The output write buffer and output_stream.
#include "output.h"

#include <cerrno>

FILE *output_stream = nullptr;
OutputBuffer output_buffer = {0, {}};

// errno of the first write that failed, or 0: by the time the output is closed and the failure
// reported, other calls (a refill's terminal test, say) may have set errno to their own reason.
static int write_failure = 0;

static void write_block(const char *bytes, size_t length) {
  if (fwrite(bytes, 1, length, output_stream) != length && write_failure == 0) write_failure = errno;
}

// Whether bytes handed on now would reach the file right after the ones before them. Once a
// write has failed, the file ends where the lost block began; a later block written after it
// would leave a gap, so the file would no longer be a prefix of the output.
static bool output_writable() { return output_stream != nullptr && ferror(output_stream) == 0; }

void output_flush() {
  if (output_buffer.used == 0) return;
  if (output_writable()) write_block(output_buffer.bytes, output_buffer.used);
  output_buffer.used = 0;
}

void output_long_text(const char *text, size_t length) {
  output_flush();
  if (length < OUTPUT_BUFFER_SIZE) {
    memcpy(output_buffer.bytes, text, length);
    output_buffer.used = length;
  } else if (output_writable()) {
    write_block(text, length);
  }
}

bool output_close() {
  output_flush();
  bool written = ferror(output_stream) == 0;
  if (fclose(output_stream) != 0) written = false;
  output_stream = nullptr;
  if (write_failure != 0) errno = write_failure;  // the reason of the write that lost data
  write_failure = 0;
  return written;
}

void output_reset() {
  if (output_stream != nullptr) fclose(output_stream);
  output_stream = nullptr;
  output_buffer.used = 0;
  write_failure = 0;
}

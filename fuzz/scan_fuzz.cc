// Fuzz target: the scanner engine with the infix tables over arbitrary bytes. Every input
// must scan to its end without a fatal error, and every match must lie inside the buffer
// and cover at least one byte. Built for libFuzzer with clang (ENABLE_FUZZING), and as a
// replay program that the tests run over the saved corpus.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "scanner_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  yy_reset_engine();
  FILE *in = size > 0 ? fmemopen(const_cast<uint8_t *>(data), size, "r") : fopen("/dev/null", "r");
  if (in == nullptr) return 0;
  yy_input_stream = in;
  size_t consumed = 0;
  while (yy_next_token() != 0) {
    const yy_buffer *b = yy_active_buffer;
    bool inside = yy_token_text >= b->chars && yy_token_text + yy_token_length <= b->chars + b->char_count;
    if (yy_token_length < 1 || !inside) abort();
    consumed += yy_token_length;
  }
  if (consumed > size) abort();
  fclose(in);
  yy_reset_engine();
  return 0;
}

// The converted text's way out: output_stream, which each driver opens, and the write buffer
// in front of it through which the rule actions, the grammar actions, the fragment queue and
// the tree printer write. Entry points: output_char, output_text, output_flush, output_close.
//
// The programs write a great many pieces of one to a few bytes; a call into the stream
// library for each (locking, length scans) cost more than the conversion itself. Bytes are
// gathered here and handed to the stream in blocks of OUTPUT_BUFFER_SIZE, which the stream
// passes on to the file with one or two writes, as it does with any block larger than its own
// buffer. The blocks are large because the kernel's work on the file (the writes, the close,
// the truncation when the file is written again) shrinks with the number of writes that made
// it: for 90 MB of output, 256 KB blocks cost about 0.1 s less of it than 32 KB ones. A block
// still fits in the processor's second-level cache; a larger one made each store dearer.
#ifndef CORE_OUTPUT_H
#define CORE_OUTPUT_H

#include <cstddef>
#include <cstdio>
#include <cstring>

#ifdef SMALL_TEST_BUFFERS  // the sanitizer build: every test's output crosses flushes
constexpr size_t OUTPUT_BUFFER_SIZE = 7;
#else
constexpr size_t OUTPUT_BUFFER_SIZE = 256 * 1024;  // bytes gathered before they go to the stream
#endif
constexpr size_t SHORT_TEXT = 16;  // texts this long or shorter are copied in one move

extern FILE *output_stream;  // the program's output file, opened by its driver; null before

struct OutputBuffer {
  size_t used;                                  // bytes gathered, 0..OUTPUT_BUFFER_SIZE
  char bytes[OUTPUT_BUFFER_SIZE + SHORT_TEXT];  // not yet handed to output_stream; the tail is slack
};
extern OutputBuffer output_buffer;

// Hands everything gathered to output_stream (fwrite; a failure shows in its error indicator).
// After a failed write nothing more is handed on: the file keeps what was written before it.
void output_flush();

// Writes `length` bytes that do not fit in what is left of the buffer.
void output_long_text(const char *text, size_t length);

inline void output_char(char c) {
  if (output_buffer.used == OUTPUT_BUFFER_SIZE) output_flush();
  output_buffer.bytes[output_buffer.used++] = c;
}

inline void output_text(const char *text, size_t length) {
  if (length > OUTPUT_BUFFER_SIZE - output_buffer.used) {
    output_long_text(text, length);
    return;
  }
  memcpy(output_buffer.bytes + output_buffer.used, text, length);
  output_buffer.used += length;
}

// The same for a text followed by at least SHORT_TEXT readable bytes: a short one is copied
// with one fixed-size move, whatever its length, and the slack takes what lies beyond it.
inline void output_padded_text(const char *text, size_t length) {
  if (length <= SHORT_TEXT && length <= OUTPUT_BUFFER_SIZE - output_buffer.used) {
    memcpy(output_buffer.bytes + output_buffer.used, text, SHORT_TEXT);
    output_buffer.used += length;
    return;
  }
  output_text(text, length);
}

// Writes `count` copies of `c`; a short run is one fixed-size store into the slack.
inline void output_repeat(char c, size_t count) {
  if (count <= SHORT_TEXT && count <= OUTPUT_BUFFER_SIZE - output_buffer.used) {
    memset(output_buffer.bytes + output_buffer.used, c, SHORT_TEXT);
    output_buffer.used += count;
    return;
  }
  while (count-- > 0) output_char(c);
}

// Flushes what is gathered, closes output_stream and forgets it. True when every byte
// written reached the file: a full disk or an I/O error shows in the stream's error
// indicator or in the final flush. When false, errno is the reason of the first write that
// failed, or else the close's.
bool output_close();

// Closes output_stream if a run that ended early left it open, and forgets what was gathered:
// back to the state at program start, for tests and fuzzers that run several inputs in one
// process.
void output_reset();

#endif

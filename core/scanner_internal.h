// The scanner engine's own records: the input buffer, the engine variables behind the public
// ones, and the compressed-row lookup. For the engine itself, its tests, and the tools that
// check a program's linked tables; rule actions and drivers use scanner.h only.
#ifndef CORE_SCANNER_INTERNAL_H
#define CORE_SCANNER_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "scanner.h"

#ifdef SMALL_TEST_BUFFERS  // the sanitizer build: every match crosses reads, every long one a growth
constexpr size_t DEFAULT_BUFFER_SIZE = 8;
constexpr size_t READ_CHUNK_LIMIT = 3;
#else
constexpr size_t DEFAULT_BUFFER_SIZE = 16384;  // capacity of the buffer the first call creates
constexpr size_t READ_CHUNK_LIMIT = 8192;      // most bytes one refill reads
#endif

enum BufferStatus { buffer_new = 0, buffer_normal = 1, buffer_eof_pending = 2 };
enum RefillResult { refill_continue = 0, refill_end_of_input = 1, refill_last_match = 2 };

struct yy_buffer {
  FILE *input_stream;  // stream the buffer is filled from
  char *chars;         // capacity + 2 bytes, owned by the buffer
  char *position;      // scan position saved in the buffer
  size_t capacity;     // usable size of chars, without the two end-of-buffer bytes
  size_t char_count;   // characters held
  int interactive;     // 1: refills read byte by byte and stop after a newline
  int status;          // BufferStatus
};

extern int yy_first_call;            // 1 until the first yy_next_token call
extern yy_buffer *yy_active_buffer;  // the buffer being scanned
extern char *yy_scan_pos;            // where the next match begins
extern char yy_held_char;            // byte displaced by the NUL ending the token
extern size_t yy_char_count;         // characters in the active buffer

yy_buffer *yy_create_buffer(FILE *stream, size_t capacity);
void yy_attach_stream(yy_buffer *buffer, FILE *stream);
void yy_reset_buffer(yy_buffer *buffer);
void yy_load_active();
void yy_restart_stream(FILE *stream);
void *yy_alloc(size_t size);
void *yy_realloc(void *memory, size_t size);

// Transition from `state` on class `cls` through the compressed rows of `tables`: the
// definition of the automaton that every faster form of it must agree with.
int yy_transition(const ScannerTables &tables, int state, int cls);

// The dense form of the tables that the matching loop runs, one row of 256 entries a state,
// which the engine derives from yy_tables at its first call. A test may derive it from tables
// of its own; the next first call derives it from yy_tables again.
void yy_derive_dense_table(const ScannerTables &tables);

// Null when the dense table is the faithful form of `tables`; else what is wrong with it. The
// sanitizer build checks it once, at the first call; the tests call it.
const char *yy_dense_table_fault(const ScannerTables &tables);

// The dense entry of `state` for `byte`: for a test that breaks one to see the proof fail.
uint32_t *yy_dense_entry(int state, int byte);

// The matching loop alone over `length` bytes at `text`, which two NUL bytes and
// YY_MATCH_SLACK readable bytes follow: the count of matches, blanks passed over not counted.
// For the benchmarks: the least that a scan of the text can cost in this engine.
size_t yy_count_matches(char *text, size_t length);

#endif

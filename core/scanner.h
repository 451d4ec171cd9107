// The table-driven longest-match scanner shared by both programs: engine variables, the
// input buffer record and its operations, and the hooks each program supplies at link time.
// Entry point: yy_next_token(). One scanner per process; nothing here is reentrant.
#ifndef CORE_SCANNER_H
#define CORE_SCANNER_H

#include <cstdint>
#include <cstdio>

// The seven read-only tables of one rule set plus the constants the engine needs. Each
// program's generated table source defines exactly one instance, `yy_tables`.
struct ScannerTables {
  const int16_t *accept;    // state 0..J -> action number; 0 = accepts nothing
  const int32_t *classes;   // byte 0..255 -> equivalence class; byte 0 is class 0
  const int32_t *meta;      // class 0..C -> meta class, used in template rows
  const int16_t *base;      // state or template -> row start in next/check
  const int16_t *def;       // state or template -> fallback state or template
  const int16_t *next;      // base + class -> target state
  const int16_t *check;     // base + class -> owner of the entry
  int rule_count;           // R: listed rules plus the appended default rule
  int condition_count;      // S: start conditions, all exclusive
  int class_count;          // C: classes are 1..C, class 0 is end-of-buffer
  int end_of_buffer_state;  // E = 2S + 1
  int jam_state;            // J: the dead state, one above the last automaton state
  int jam_base;             // base[J]; reaching a state with this base ends a match
  int first_template;       // rows at or above this index are templates (= J + 1 if none)
  int row_count;            // entries of base and def
  int entry_count;          // entries of next and check
  int nul_class;            // class of a NUL byte that lies inside the text
};

extern const ScannerTables yy_tables;  // defined by the program's generated tables

// Supplied by each program. The action routine runs rule `action` (1..R) and returns a token
// code, or YY_NO_TOKEN to let the engine go on with the next match.
constexpr int YY_NO_TOKEN = -1;
int yy_rule_action(int action);
int yy_is_terminal(int fd);  // > 0 when refills of this descriptor read line by line

constexpr int DEFAULT_BUFFER_SIZE = 16384;  // capacity of the buffer the first call creates
constexpr int READ_CHUNK_LIMIT = 8192;      // most bytes one refill reads

enum BufferStatus { buffer_new = 0, buffer_normal = 1, buffer_eof_pending = 2 };
enum RefillResult { refill_continue = 0, refill_end_of_input = 1, refill_last_match = 2 };

struct yy_buffer {
  FILE *input_stream;  // stream the buffer is filled from
  char *chars;         // capacity + 2 bytes, owned by the buffer
  char *position;      // scan position saved in the buffer
  uint32_t capacity;   // usable size of chars, without the two end-of-buffer bytes
  int32_t char_count;  // characters held
  int interactive;     // 1: refills read byte by byte and stop after a newline
  int status;          // BufferStatus
};

// Engine variables: one set per process.
extern int yy_first_call;            // 1 until the first yy_next_token call
extern int yy_start_state;           // 2 * start condition + 1
extern FILE *yy_input_stream;        // stream the engine's buffer reads
extern FILE *yy_output_stream;       // where the default rule echoes
extern yy_buffer *yy_active_buffer;  // the buffer being scanned
extern char *yy_scan_pos;            // where the next match begins
extern char yy_held_char;            // byte displaced by the NUL ending the token
extern int yy_char_count;            // characters in the active buffer
extern char *yy_token_text;          // start of the matched text, NUL-terminated in place
extern int yy_token_length;          // length of the matched text
extern int yy_last_accept_state;     // last accepting state of the current match
extern char *yy_last_accept_pos;     // end of the text that state accepts

int yy_next_token();
inline void yy_begin(int condition) { yy_start_state = 2 * condition + 1; }
void yy_echo();  // the default rule's action: the matched text to yy_output_stream
[[noreturn]] void yy_fatal(const char *message);

yy_buffer *yy_create_buffer(FILE *stream, int capacity);
void yy_attach_stream(yy_buffer *buffer, FILE *stream);
void yy_reset_buffer(yy_buffer *buffer);
void yy_load_active();
void yy_restart_stream(FILE *stream);
void *yy_alloc(size_t size);
void *yy_realloc(void *memory, size_t size);

// Transition from `state` on class `cls` through the compressed rows.
int yy_transition(int state, int cls);

// Returns every engine variable to its value before the first call and releases the buffer,
// so tests and fuzzers can run several inputs in one process.
void yy_reset_engine();

#endif

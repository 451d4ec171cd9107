// The scanner engine: longest match over a row-compressed DFA with back-up, the end-of-buffer
// action (refill, NUL bytes inside the text), the input buffer and the end-of-input restart.
//
// The tables are the classic base/default/next/check encoding of a DFA over byte equivalence
// classes (Aho, Sethi, Ullman, "Compilers", 3.9). Two NUL bytes behind the characters take
// every state to the end-of-buffer state, so the per-byte loop needs no bounds test. At the
// first call the compressed rows are expanded once into a dense state-by-byte table, which
// keeps the per-byte step to two loads; the compressed rows remain the source of truth and
// serve the cold paths (rescan, NUL transition).
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "process.h"
#include "scanner_internal.h"

int yy_first_call = 1;
int yy_start_state = 0;
FILE *yy_input_stream = nullptr;
FILE *yy_output_stream = nullptr;
yy_buffer *yy_active_buffer = nullptr;
char *yy_scan_pos = nullptr;
char yy_held_char = 0;
int yy_char_count = 0;
char *yy_token_text = nullptr;
int yy_token_length = 0;
int yy_last_accept_state = 0;
char *yy_last_accept_pos = nullptr;

static int16_t *dense_next = nullptr;  // (J + 1) rows of 256: target of state on byte

void yy_no_action_found() { yy_fatal("fatal flex scanner internal error--no action found"); }

int yy_transition(const ScannerTables &t, int state, int cls) {
  int row = state;
  int k = cls;
  while (t.check[t.base[row] + k] != row) {
    row = t.def[row];
    if (row >= t.first_template) k = t.meta[k];
  }
  return t.next[t.base[row] + k];
}

// Expands the compressed rows into one 256-entry row per state. A byte of class 0 (the NUL)
// takes the end-of-buffer path, exactly as the compressed lookup does in the matching loop.
static void build_dense_table() {
  const ScannerTables &t = yy_tables;
  size_t rows = static_cast<size_t>(t.jam_state) + 1;
  dense_next = static_cast<int16_t *>(malloc(rows * 256 * sizeof(int16_t)));
  if (dense_next == nullptr) die("yy_next_token");
  int16_t target[256];
  for (size_t s = 0; s < rows; s++) {
    for (int k = 0; k <= t.class_count; k++)
      target[k] = static_cast<int16_t>(s == 0 ? t.jam_state : yy_transition(t, static_cast<int>(s), k));
    for (int b = 0; b < 256; b++) dense_next[s * 256 + b] = target[t.classes[b]];
  }
}

static void first_call_setup() {
  yy_first_call = 0;
  if (yy_start_state == 0) yy_start_state = 1;
  if (yy_input_stream == nullptr) yy_input_stream = stdin;
  if (yy_output_stream == nullptr) yy_output_stream = stdout;
  if (dense_next == nullptr) build_dense_table();
  if (yy_active_buffer == nullptr) yy_active_buffer = yy_create_buffer(yy_input_stream, DEFAULT_BUFFER_SIZE);
  yy_load_active();
}

// What the last rescan of the match in progress found, so that the next rescan of the same
// match resumes where it stopped. A match longer than one read is rescanned after every
// refill; starting over each time would make one long token cost quadratic time.
static int rescan_length = 0;         // leading bytes of the match covered; 0 = nothing cached
static int rescan_state = 0;          // automaton state after those bytes
static int rescan_accept_state = 0;   // last accepting state among them
static int rescan_accept_offset = 0;  // its position, as an offset from the match start

// Runs the automaton again over the unfinished text, yy_token_text up to yy_scan_pos, where a
// NUL byte is data (class nul_class) rather than the end of the buffer.
static int yy_rescan() {
  const ScannerTables &t = yy_tables;
  int state = yy_start_state;
  char *p = yy_token_text;
  bool accepted = false;  // whether an accepting state was recorded for this match
  if (rescan_length > 0 && rescan_length <= yy_scan_pos - yy_token_text) {
    state = rescan_state;
    p = yy_token_text + rescan_length;
    yy_last_accept_state = rescan_accept_state;
    yy_last_accept_pos = yy_token_text + rescan_accept_offset;
    accepted = true;
  }
  for (; p < yy_scan_pos; p++) {
    unsigned char byte = static_cast<unsigned char>(*p);
    if (t.accept[state] != 0) {
      yy_last_accept_state = state;
      yy_last_accept_pos = p;
      accepted = true;
    }
    state = byte != 0 ? dense_next[static_cast<size_t>(state) * 256 + byte] : yy_transition(t, state, t.nul_class);
  }
  rescan_length = accepted ? static_cast<int>(yy_scan_pos - yy_token_text) : 0;
  rescan_state = state;
  rescan_accept_state = yy_last_accept_state;
  rescan_accept_offset = static_cast<int>(yy_last_accept_pos - yy_token_text);
  return state;
}

// The transition on a NUL byte that is data; 0 when the NUL cannot extend the match.
static int yy_try_nul(int state) {
  const ScannerTables &t = yy_tables;
  if (t.accept[state] != 0) {
    yy_last_accept_state = state;
    yy_last_accept_pos = yy_scan_pos;
  }
  int target = yy_transition(t, state, t.nul_class);
  return target == t.jam_state ? 0 : target;
}

// Doubles the buffer (or adds an eighth once doubling no longer fits in 31 bits).
static void grow_buffer(yy_buffer *b) {
  std::ptrdiff_t scan_offset = yy_scan_pos - b->chars;
  uint32_t doubled = b->capacity * 2;
  b->capacity = static_cast<int32_t>(doubled) > 0 ? doubled : b->capacity + b->capacity / 8;
  char *grown = static_cast<char *>(yy_realloc(b->chars, static_cast<size_t>(b->capacity) + 2));
  if (grown == nullptr) yy_fatal("fatal error - scanner input buffer overflow");
  b->chars = grown;
  yy_scan_pos = grown + scan_offset;
}

// Reads up to `room` bytes at `to`: a line at most from a terminal, one block otherwise.
static int read_input(yy_buffer *b, char *to, int room) {
  int n = 0;
  if (b->interactive) {
    int c = EOF;
    while (n < room && (c = getc(yy_input_stream)) != EOF) {
      to[n++] = static_cast<char>(c);
      if (c == '\n') break;
    }
    if (c == EOF && ferror(yy_input_stream)) yy_fatal("input in flex scanner failed");
    return n;
  }
  n = static_cast<int>(fread(to, 1, static_cast<size_t>(room), yy_input_stream));
  if (n == 0 && ferror(yy_input_stream)) yy_fatal("input in flex scanner failed");
  return n;
}

static int yy_refill() {
  yy_buffer *b = yy_active_buffer;
  if (yy_scan_pos > b->chars + yy_char_count + 1) yy_fatal("fatal flex scanner internal error--end of buffer missed");
  int keep = static_cast<int>(yy_scan_pos - yy_token_text - 1);
  if (yy_token_text != b->chars) memmove(b->chars, yy_token_text, static_cast<size_t>(keep));
  if (b->status == buffer_eof_pending) {
    yy_char_count = b->char_count = 0;
  } else {
    while (static_cast<int64_t>(b->capacity) - keep - 1 <= 0) grow_buffer(b);
    int64_t room = static_cast<int64_t>(b->capacity) - keep - 1;
    if (room > READ_CHUNK_LIMIT) room = READ_CHUNK_LIMIT;
    yy_char_count = b->char_count = read_input(b, b->chars + keep, static_cast<int>(room));
  }
  int result = refill_continue;
  if (yy_char_count == 0) {
    if (keep == 0) {
      result = refill_end_of_input;
      yy_restart_stream(yy_input_stream);
    } else {
      result = refill_last_match;
      b->status = buffer_eof_pending;
    }
  }
  yy_char_count += keep;
  b->char_count = yy_char_count;
  b->chars[yy_char_count] = 0;
  b->chars[yy_char_count + 1] = 0;
  yy_token_text = b->chars;
  return result;
}

void yy_echo() { fwrite(yy_token_text, static_cast<size_t>(yy_token_length), 1, yy_output_stream); }

int yy_next_token() {
  const ScannerTables &t = yy_tables;
  const int end_of_buffer_action = t.rule_count + 1;
  const int last_action = t.rule_count + 1 + t.condition_count;
  const int16_t *const accept = t.accept;
  const int16_t *const base = t.base;
  const int jam_base = t.jam_base;
  if (yy_first_call) first_call_setup();
  const int16_t *const dense = dense_next;

  for (;;) {  // one match per iteration
    *yy_scan_pos = yy_held_char;
    rescan_length = 0;
    char *start = yy_scan_pos;
    char *p = start;
    int state = yy_start_state;
    int action;

  match:
    // The hot loop works on locals: stores to the engine variables would make the compiler
    // reload the tables on every byte.
    {
      int last_state = yy_last_accept_state;
      char *last_pos = yy_last_accept_pos;
      do {
        if (accept[state] != 0) {
          last_state = state;
          last_pos = p;
        }
        state = dense[static_cast<size_t>(state) * 256 + static_cast<unsigned char>(*p)];
        ++p;
      } while (base[state] != jam_base);
      yy_last_accept_state = last_state;
      yy_last_accept_pos = last_pos;
    }

  find_action:
    action = accept[state];
    if (action == 0) {
      p = yy_last_accept_pos;
      state = yy_last_accept_state;
      action = accept[state];
    }
    yy_token_text = start;
    yy_token_length = static_cast<int>(p - start);
    yy_held_char = *p;
    *p = 0;
    yy_scan_pos = p;

  dispatch:
    if (action == 0) {
      *p = yy_held_char;
      p = yy_last_accept_pos;
      state = yy_last_accept_state;
      goto find_action;
    }
    if (action < 0 || action > last_action) yy_no_action_found();
    if (action != end_of_buffer_action) {
      int token = yy_rule_action(action);
      if (token != YY_NO_TOKEN) return token;
      if (action > end_of_buffer_action) return 0;  // end-of-file actions always end the call
      continue;
    }

    // End of buffer: either a NUL that is data, or the characters are used up.
    int amount = static_cast<int>(p - yy_token_text) - 1;
    *p = yy_held_char;
    yy_buffer *b = yy_active_buffer;
    if (b->status == buffer_new) {
      yy_char_count = b->char_count;
      b->input_stream = yy_input_stream;
      b->status = buffer_normal;
    }
    if (yy_scan_pos <= b->chars + yy_char_count) {
      yy_scan_pos = yy_token_text + amount;
      state = yy_rescan();
      int next = yy_try_nul(state);
      if (next != 0) {
        p = ++yy_scan_pos;
        state = next;
        start = yy_token_text;
        goto match;
      }
      p = yy_scan_pos;
      start = yy_token_text;
      goto find_action;
    }
    switch (yy_refill()) {
      case refill_continue:
        yy_scan_pos = yy_token_text + amount;
        state = yy_rescan();
        p = yy_scan_pos;
        start = yy_token_text;
        goto match;
      case refill_last_match:
        yy_scan_pos = b->chars + yy_char_count;
        state = yy_rescan();
        p = yy_scan_pos;
        start = yy_token_text;
        goto find_action;
      default:  // refill_end_of_input
        yy_scan_pos = yy_token_text;
        action = t.rule_count + 2 + (yy_start_state - 1) / 2;
        goto dispatch;
    }
  }
}

void yy_reset_engine() {
  if (yy_active_buffer != nullptr) {
    free(yy_active_buffer->chars);
    free(yy_active_buffer);
  }
  yy_first_call = 1;
  yy_start_state = 0;
  yy_input_stream = yy_output_stream = nullptr;
  yy_active_buffer = nullptr;
  yy_scan_pos = yy_token_text = yy_last_accept_pos = nullptr;
  yy_held_char = 0;
  yy_char_count = yy_token_length = yy_last_accept_state = 0;
  rescan_length = 0;
}

// Input buffers.
void *yy_alloc(size_t size) { return malloc(size); }

void *yy_realloc(void *memory, size_t size) { return realloc(memory, size); }

yy_buffer *yy_create_buffer(FILE *stream, int capacity) {
  yy_buffer *buffer = static_cast<yy_buffer *>(yy_alloc(sizeof(yy_buffer)));
  if (buffer == nullptr) die("yy_create_buffer");
  buffer->capacity = static_cast<uint32_t>(capacity);
  // Two bytes beyond the capacity hold the end-of-buffer NULs that end every match.
  buffer->chars = static_cast<char *>(yy_alloc(buffer->capacity + 2));
  if (buffer->chars == nullptr) die("yy_create_buffer");
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

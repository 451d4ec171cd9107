// The scanner engine: longest match over a row-compressed DFA with back-up, the end-of-buffer
// action (refill, NUL bytes inside the text), the input buffer and the end-of-input restart.
//
// The tables are the classic base/default/next/check encoding of a DFA over byte equivalence
// classes (Aho, Sethi, Ullman, "Compilers", 3.9). Two NUL bytes behind the characters take
// every state to the end-of-buffer state, so the per-byte loop needs no bounds test. At the
// first call the compressed rows are expanded once into a dense state-by-byte table, so the
// per-byte step is one load; the compressed rows remain the definition of the automaton and
// serve the cold paths (the NUL transition, the expansion itself).
//
// In the dense table the states are numbered anew by what the loop must know of them: first
// those that neither accept nor end a match, then those that accept, those that accept and
// end it, and last the end-of-buffer and jam states. Whether a state accepts or ends the
// match is then a comparison of its row with a bound, and an entry holds nothing but the row
// it leads to, so the next lookup needs no arithmetic on it: from one byte to the next is one
// load.
//
// A rule whose action does nothing (the tables mark it skip: blanks between tokens) need not
// be a match of its own when its single byte ends it. Each start state gets a twin row, its
// restart row, ahead of all others; in the start state's row such a byte leads to the twin,
// which goes on exactly as the start state does. A match first passes over the bytes that
// lead there, and begins behind them.
//
// Within a match, a run of bytes that keep the state where it is (a name's body) is tested
// byte by byte against the state's row, each test apart from the others, before the next step.
//
// The loop keeps no more than the states before its last two steps. Nearly every match ends
// either in a state that accepts and ends it, or one or two steps past its last accepting
// state (a name, which the blank behind it jams, or a blank and then no "="); the rare rest
// walks the match once more to find its last accepting state. When the last step read the end-of-buffer byte, the match
// goes on from the state before it after a refill, or over a NUL byte that is data, without running the automaton over
// the unfinished text again: a match of any length is scanned at most twice.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fragment_queue.h"
#include "output.h"
#include "process.h"
#include "scanner_internal.h"

int yy_first_call = 1;
int yy_start_state = 0;
FILE *yy_input_stream = nullptr;
FILE *yy_output_stream = nullptr;
yy_buffer *yy_active_buffer = nullptr;
char *yy_scan_pos = nullptr;
char yy_held_char = 0;
size_t yy_char_count = 0;
char *yy_token_text = nullptr;
size_t yy_token_length = 0;
uintptr_t yy_offset_bias = 0;
uint64_t yy_line_start = 0;

// A dense entry: the offset in bytes of the target's row, its dense number times 1024 (256
// entries of 4 bytes, one per byte value). In bytes, so that the load it leads to adds it
// unscaled: an address with a scaled index can take a cycle longer, on the one dependent step
// from a byte to the next. Unsigned, so that it needs no sign extension either.
using DenseEntry = uint32_t;
constexpr int ROW_SHIFT = 10;

static const ScannerTables *dense_source = nullptr;  // the tables the dense table was derived from
static DenseEntry *dense_next = nullptr;             // S + J + 1 rows of 256 entries, in dense numbering
static DenseEntry *entry_of_state = nullptr;         // state 0..J -> its row offset
static DenseEntry *entry_of_start = nullptr;         // yy_start_state 1..2S-1 (odd) -> its start state's row offset
static int *state_of_row = nullptr;                  // dense number -> state (a restart row: its start state)
static int16_t *row_action = nullptr;                // dense number -> accept action
static int16_t *row_shortcut = nullptr;              // dense number -> the shortcut of its action (yy_shortcut), or 0
static size_t row_count = 0;                         // entries of state_of_row, row_action, row_shortcut
static DenseEntry plain_rows = 0;                    // first row offset after the restart rows
static DenseEntry accepting_rows = 0;                // first row offset of a state that accepts
static DenseEntry ending_rows = 0;                   // first row offset of a state that ends a match
static DenseEntry jam_row = 0;                       // first row offset of the end-of-buffer and jam states
static DenseEntry end_of_buffer_row = 0;             // row offset of the end-of-buffer state
static DenseEntry accepting_row_span = 0;            // jam_row - accepting_rows

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

static bool accepts(DenseEntry entry) { return entry - accepting_rows < accepting_row_span; }

static int state_of(DenseEntry entry) { return state_of_row[entry >> ROW_SHIFT]; }

static DenseEntry row_offset(int row) { return static_cast<DenseEntry>(row) << ROW_SHIFT; }

// The row that `entry` leads to, in the dense table that starts at `dense` (or in its column
// there, when `dense` is already moved to a byte's entry).
static const DenseEntry *row_at(const DenseEntry *dense, DenseEntry entry) {
  return reinterpret_cast<const DenseEntry *>(reinterpret_cast<const char *>(dense) + entry);
}
static DenseEntry *row_at(DenseEntry *dense, DenseEntry entry) {
  return reinterpret_cast<DenseEntry *>(reinterpret_cast<char *>(dense) + entry);
}

// Numbers the rows: the restart rows of the S start conditions, then the states neither
// accepting nor ending, accepting, accepting and ending, then the end-of-buffer and the jam
// state. Those two end the loop without being taken as a match: the end of the buffer is not
// a match but a refill or a NUL byte that is data.
static void number_rows(const ScannerTables &t, size_t states) {
  size_t rows = states + static_cast<size_t>(t.condition_count);
  free(entry_of_state);
  free(entry_of_start);
  free(state_of_row);
  free(row_action);
  free(row_shortcut);
  entry_of_state = static_cast<DenseEntry *>(malloc(states * sizeof(DenseEntry)));
  entry_of_start = static_cast<DenseEntry *>(calloc(2 * static_cast<size_t>(t.condition_count), sizeof(DenseEntry)));
  state_of_row = static_cast<int *>(malloc(rows * sizeof(int)));
  row_action = static_cast<int16_t *>(malloc(rows * sizeof(int16_t)));
  row_shortcut = static_cast<int16_t *>(malloc(rows * sizeof(int16_t)));
  if (entry_of_state == nullptr || entry_of_start == nullptr || state_of_row == nullptr || row_action == nullptr ||
      row_shortcut == nullptr) {
    die("yy_next_token");
  }
  row_count = rows;
  int next_row = 0;
  for (int n = 0; n < t.condition_count; n++, next_row++) {
    state_of_row[next_row] = table_start_state(n);
    row_action[next_row] = 0;
    row_shortcut[next_row] = 0;
  }
  plain_rows = row_offset(next_row);
  for (int kind = 0; kind < 4; kind++) {
    if (kind == 1) accepting_rows = row_offset(next_row);
    if (kind == 2) ending_rows = row_offset(next_row);
    if (kind == 3) jam_row = row_offset(next_row);
    for (size_t s = 0; s < states; s++) {
      bool accepting = t.accept[s] != 0;
      bool ending = t.base[s] == t.jam_base && s != 0;
      bool stops = s == static_cast<size_t>(t.jam_state) || s == static_cast<size_t>(t.end_of_buffer_state);
      int state_kind = stops ? 3 : ending ? 2 : accepting ? 1 : 0;
      if (state_kind != kind) continue;
      if (kind == 2 && !accepting) yy_no_action_found();  // a dead end that is no match
      entry_of_state[s] = row_offset(next_row);
      state_of_row[next_row] = static_cast<int>(s);
      row_action[next_row] = t.accept[s];
      // The shortcut of each row, so that a match whose action the engine takes finds it in one load.
      bool has_shortcut = t.shortcuts != nullptr && t.accept[s] <= t.rule_count;
      row_shortcut[next_row] = has_shortcut ? t.shortcuts[t.accept[s]] : 0;
      next_row++;
    }
  }
  end_of_buffer_row = entry_of_state[t.end_of_buffer_state];
  accepting_row_span = jam_row - accepting_rows;
  for (int n = 0; n < t.condition_count; n++) entry_of_start[2 * n + 1] = entry_of_state[table_start_state(n)];
}

// Whether the byte that leads a start state into `state` is passed over: its rule's action
// does nothing and the byte alone is the whole match.
static bool passed_over(const ScannerTables &t, int state) {
  int action = t.accept[state];
  return action <= t.rule_count && t.skip[action] != 0 && t.base[state] == t.jam_base;
}

// Expands the compressed rows into one 256-entry row per state. A byte of class 0 (the NUL)
// takes the end-of-buffer path, exactly as the compressed lookup does in the matching loop.
void yy_derive_dense_table(const ScannerTables &t) {
  size_t states = static_cast<size_t>(t.jam_state) + 1;
  number_rows(t, states);
  free(dense_next);
  dense_next =
      static_cast<DenseEntry *>(malloc((states + static_cast<size_t>(t.condition_count)) * 256 * sizeof(DenseEntry)));
  if (dense_next == nullptr) die("yy_next_token");
  DenseEntry target[256];
  for (size_t s = 0; s < states; s++) {
    for (int k = 0; k <= t.class_count; k++) {
      target[k] = entry_of_state[s == 0 ? t.jam_state : yy_transition(t, static_cast<int>(s), k)];
    }
    DenseEntry *row = row_at(dense_next, entry_of_state[s]);
    for (int b = 0; b < 256; b++) row[b] = target[t.classes[b]];
  }
  for (int n = 0; n < t.condition_count; n++) {
    DenseEntry *row = row_at(dense_next, entry_of_state[table_start_state(n)]);
    DenseEntry restart = row_offset(n);
    for (int b = 0; b < 256; b++) {
      if (passed_over(t, state_of(row[b]))) row[b] = restart;
    }
    memcpy(row_at(dense_next, restart), row, 256 * sizeof(DenseEntry));
  }
  dense_source = &t;
}

// --- The proof of the dense table ---
//
// The matching loop trusts the dense table as it trusts the compressed one: every entry is a
// row's offset, and whether a state accepts or ends a match is a comparison with a bound. So
// what the derivation made is checked once against the compressed rows it came from, as the
// generator checks those against the automaton: the rows of the states and their kinds, every
// entry of every row against the compressed lookup, the restart rows and the shortcuts.

constexpr char DENSE_TABLE[] = "scanner dense table";  // the heading of every fault found here

// Each state has a row of its own, after the restart rows, whose number leads back to it, with
// the state's action and shortcut; the kind of the row is the state's.
static const char *state_row_fault(const ScannerTables &t, int s) {
  DenseEntry entry = entry_of_state[s];
  size_t row = entry >> ROW_SHIFT;
  if (entry != row_offset(static_cast<int>(row)) || row < static_cast<size_t>(t.condition_count) || row >= row_count)
    return fault_text(DENSE_TABLE, "state %d has no row of its own (entry %u)", s, entry);
  if (state_of_row[row] != s || row_action[row] != t.accept[s])
    return fault_text(DENSE_TABLE, "row %zu does not lead back to state %d and its action", row, s);
  int action = t.accept[s];
  int16_t shortcut = t.shortcuts != nullptr && action <= t.rule_count ? t.shortcuts[action] : 0;
  if (row_shortcut[row] != shortcut)
    return fault_text(DENSE_TABLE, "row %zu has the shortcut %d, not %d", row, row_shortcut[row], shortcut);
  bool stops = s == t.jam_state || s == t.end_of_buffer_state;
  bool ends = stops || (s != 0 && t.base[s] == t.jam_base);
  bool accepting = !stops && t.accept[s] != 0;
  if (accepts(entry) != accepting || (entry >= ending_rows) != ends || (entry >= jam_row) != stops)
    return fault_text(DENSE_TABLE, "state %d is in the wrong kind of row", s);
  return nullptr;
}

// Every entry of the state's row is the row of the state that the compressed lookup gives for
// the byte's class; in a start state's row, a byte that is passed over leads to the restart row.
static const char *entry_fault(const ScannerTables &t, int s, int restart) {
  const DenseEntry *row = row_at(dense_next, entry_of_state[s]);
  for (int b = 0; b < 256; b++) {
    int target = s == 0 ? t.jam_state : yy_transition(t, s, t.classes[b]);
    DenseEntry want = restart >= 0 && passed_over(t, target) ? row_offset(restart) : entry_of_state[target];
    if (row[b] != want)
      return fault_text(DENSE_TABLE, "state %d on byte %d leads to entry %u, not %u", s, b, row[b], want);
  }
  return nullptr;
}

uint32_t *yy_dense_entry(int state, int byte) { return row_at(dense_next, entry_of_state[state]) + byte; }

const char *yy_dense_table_fault(const ScannerTables &t) {
  if (dense_source != &t) return fault_text(DENSE_TABLE, "derived from other tables");
  int states = t.jam_state + 1;
  if (row_count != static_cast<size_t>(states + t.condition_count))
    return fault_text(DENSE_TABLE, "%zu rows", row_count);
  bool bounds_in_order =
      plain_rows == row_offset(t.condition_count) && plain_rows <= accepting_rows && accepting_rows <= ending_rows &&
      ending_rows <= jam_row && jam_row < row_offset(static_cast<int>(row_count)) &&
      accepting_row_span == jam_row - accepting_rows && end_of_buffer_row == entry_of_state[t.end_of_buffer_state];
  if (!bounds_in_order) return fault_text(DENSE_TABLE, "the bounds of the kinds of rows are out of order");
  for (int s = 0; s < states; s++) {
    for (int other = 0; other < s; other++)
      if (entry_of_state[other] == entry_of_state[s])
        return fault_text(DENSE_TABLE, "states %d and %d share a row", other, s);
    const char *fault = state_row_fault(t, s);
    if (fault != nullptr) return fault;
  }
  for (int s = 0; s < states; s++) {
    int restart = -1;  // the restart row of the condition that starts in s, if one does
    for (int n = 0; n < t.condition_count; n++)
      if (table_start_state(n) == s) restart = n;
    const char *fault = entry_fault(t, s, restart);
    if (fault != nullptr) return fault;
  }
  // A restart row goes on exactly as its start state does.
  for (int n = 0; n < t.condition_count; n++) {
    int start = table_start_state(n);
    const DenseEntry *row = row_at(dense_next, row_offset(n));
    if (state_of_row[n] != start || row_action[n] != 0 || row_shortcut[n] != 0 ||
        memcmp(row, row_at(dense_next, entry_of_state[start]), 256 * sizeof(DenseEntry)) != 0)
      return fault_text(DENSE_TABLE, "the restart row of condition %d is not its start state's", n);
    if (entry_of_start[2 * n + 1] != entry_of_state[start])
      return fault_text(DENSE_TABLE, "condition %d does not start in its start state", n);
  }
  return nullptr;
}

// Every action number the tables name must have a meaning; checked once, so that the
// matching loop can dispatch on it without a range test.
static void verify_actions() {
  const ScannerTables &t = yy_tables;
  int last_action = t.rule_count + 1 + t.condition_count;
  for (int s = 0; s <= t.jam_state; s++) {
    if (t.accept[s] < 0 || t.accept[s] > last_action) yy_no_action_found();
  }
}

// The dense table of yy_tables, unless it is already theirs; the sanitizer build proves it.
static void derive_tables_once() {
  if (dense_source == &yy_tables) return;
  verify_actions();
  yy_derive_dense_table(yy_tables);
#ifdef VERIFY_DERIVED_TABLES
  const char *fault = yy_dense_table_fault(yy_tables);
  if (fault != nullptr) yy_fatal(fault);
#endif
}

static void first_call_setup() {
  yy_first_call = 0;
  if (yy_start_state == 0) yy_start_state = 1;
  if (yy_input_stream == nullptr) yy_input_stream = stdin;
  if (yy_output_stream == nullptr) yy_output_stream = stdout;
  derive_tables_once();
  if (yy_active_buffer == nullptr) yy_active_buffer = yy_create_buffer(yy_input_stream, DEFAULT_BUFFER_SIZE);
  yy_load_active();
}

// Doubles the buffer. A size that cannot double any more is the one limit a match has.
static void grow_buffer(yy_buffer *b) {
  std::ptrdiff_t scan_offset = yy_scan_pos - b->chars;
  if (b->capacity > (SIZE_MAX - 2 - YY_MATCH_SLACK) / 2) yy_fatal("fatal error - scanner input buffer overflow");
  b->capacity *= 2;
  char *grown = static_cast<char *>(yy_realloc(b->chars, b->capacity + 2 + YY_MATCH_SLACK));
  if (grown == nullptr) yy_fatal("fatal error - scanner input buffer overflow");
  b->chars = grown;
  yy_scan_pos = grown + scan_offset;
}

// Reads up to `room` bytes at `to`: a line at most from a terminal, one block otherwise.
static size_t read_input(yy_buffer *b, char *to, size_t room) {
  size_t n = 0;
  if (b->interactive) {
    // Someone is typing: what the lines so far converted to is shown before the next is read.
    if (output_stream != nullptr) {
      output_flush();
      fflush(output_stream);
    }
    int c = EOF;
    while (n < room && (c = getc(yy_input_stream)) != EOF) {
      to[n++] = static_cast<char>(c);
      if (c == '\n') break;
    }
    if (c == EOF && ferror(yy_input_stream)) yy_fatal("input in flex scanner failed");
    return n;
  }
  // The end of the input that a read has met is final: a terminal read in blocks would
  // otherwise be read once more, and its user would have to end it twice.
  if (feof(yy_input_stream)) return 0;
  n = fread(to, 1, room, yy_input_stream);
  if (n == 0 && ferror(yy_input_stream)) yy_fatal("input in flex scanner failed");
  return n;
}

// The last bytes that refills have dropped from the buffer: a message about a place just
// before the buffer's text (the start of a long line, the line of a statement that lacks its
// ";", the last line once the input has ended) shows them. A refill reads thousands of bytes
// and copies these few hundred.
constexpr size_t DROPPED_KEPT = 512;
static char dropped[DROPPED_KEPT];
static uint64_t dropped_offset = 0;  // input offset of dropped[0]
static size_t dropped_length = 0;

static void keep_dropped_bytes(const char *from, const char *to) {
  size_t length = static_cast<size_t>(to - from);
  if (length == 0) return;
  if (length >= DROPPED_KEPT) {
    from = to - DROPPED_KEPT;
    length = DROPPED_KEPT;
    dropped_length = 0;
  } else if (dropped_length + length > DROPPED_KEPT) {
    size_t shift = dropped_length + length - DROPPED_KEPT;
    memmove(dropped, dropped + shift, dropped_length - shift);
    dropped_offset += shift;
    dropped_length -= shift;
  }
  if (dropped_length == 0) dropped_offset = yy_offset_of(from);
  memcpy(dropped + dropped_length, from, length);
  dropped_length += length;
}

static RefillResult yy_refill() {
  yy_buffer *b = yy_active_buffer;
  if (yy_scan_pos > b->chars + yy_char_count + 1) yy_fatal("fatal flex scanner internal error--end of buffer missed");
  size_t keep = static_cast<size_t>(yy_scan_pos - yy_token_text - 1);
  uint64_t kept_from = yy_offset_of(yy_token_text);  // the unfinished text moves to the start
  keep_dropped_bytes(b->chars, yy_token_text);
  if (yy_token_text != b->chars) memmove(b->chars, yy_token_text, keep);
  if (b->status == buffer_eof_pending) {
    yy_char_count = b->char_count = 0;
  } else {
    while (b->capacity - keep <= 1) grow_buffer(b);
    size_t room = b->capacity - keep - 1;
    if (room > READ_CHUNK_LIMIT) room = READ_CHUNK_LIMIT;
    yy_char_count = b->char_count = read_input(b, b->chars + keep, room);
  }
  RefillResult result = refill_continue;
  if (yy_char_count == 0) {
    if (keep == 0) {
      result = refill_end_of_input;
      clearerr(yy_input_stream);  // a later token request reads the stream again
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
  yy_offset_bias = static_cast<uintptr_t>(kept_from) - reinterpret_cast<uintptr_t>(b->chars);
  return result;
}

int yy_input_byte(uint64_t offset) {
  if (yy_active_buffer == nullptr) return -1;
  const char *chars = yy_active_buffer->chars;
  uint64_t first = yy_offset_of(chars);
  if (offset < first || offset - first >= yy_char_count) {
    bool kept = offset >= dropped_offset && offset - dropped_offset < dropped_length;
    return kept ? static_cast<unsigned char>(dropped[offset - dropped_offset]) : -1;
  }
  const char *p = chars + (offset - first);
  return static_cast<unsigned char>(p == yy_scan_pos ? yy_held_char : *p);
}

size_t yy_input_line(uint64_t offset, char *to, size_t size) {
  size_t length = 0;
  int byte = 0;
  for (; length < size && (byte = yy_input_byte(offset + length)) >= 0 && byte != '\n'; length++)
    to[length] = static_cast<char>(byte);
  if (byte >= 0 || length == size || yy_active_buffer == nullptr || yy_input_stream == nullptr) return length;
  // What is missing lies either ahead of the bytes held (the rest of the line, not read yet)
  // or behind them (the start of a line longer than the refills keep): a file that can seek
  // gives it again from where the stream stands, `back` bytes before that.
  uint64_t held_end = yy_offset_of(yy_active_buffer->chars + yy_char_count);
  if (offset + length > held_end || (length > 0 && offset + length != held_end)) return length;
  uint64_t back = held_end - (offset + length);
  long position = ftell(yy_input_stream);
  if (position < 0 || back > static_cast<uint64_t>(position)) return length;
  if (fseek(yy_input_stream, position - static_cast<long>(back), SEEK_SET) != 0) return length;
  size_t read = fread(to + length, 1, size - length, yy_input_stream);
  // A read that fails here fails as any other: left in the stream's error indicator, it would
  // end a later refill at the end of the input as if that read had failed.
  if (read == 0 && ferror(yy_input_stream) != 0) yy_fatal("input in flex scanner failed");
  fseek(yy_input_stream, position, SEEK_SET);
  const char *newline = static_cast<const char *>(memchr(to + length, '\n', read));
  return length + (newline != nullptr ? static_cast<size_t>(newline - (to + length)) : read);
}

bool yy_match_has_nul() { return memchr(yy_token_text, 0, yy_token_length) != nullptr; }

void yy_echo() { fwrite(yy_token_text, yy_token_length, 1, yy_output_stream); }

namespace {

// A match under way. The matching loop works on this record in registers: stores to the
// engine variables on every byte would make the compiler reload the tables each time.
struct Match {
  char *start;       // first byte of the match
  char *p;           // next byte to read
  DenseEntry entry;  // the current state's entry
  DenseEntry prev;   // the state's entry before the last step
  DenseEntry prev2;  // and before the step before it (kept by run_common_match only)
  DenseEntry last;   // entry of the last accepting state entered
  char *last_pos;    // end of the text that state accepts
};

}  // namespace

// Runs the automaton until it enters a state that ends the loop, keeping everything a match
// can need: the last accepting state, and the start of the match past passed-over bytes. The
// way on after a refill or a NUL byte that is data. `byte` is the byte at m->p.
static void run_match(Match *m, const DenseEntry *dense, unsigned char byte) {
  DenseEntry entry = m->entry;
  DenseEntry prev = entry;
  char *p = m->p;
  for (;;) {
    prev = entry;
    entry = row_at(dense, entry)[byte];
    ++p;
    if (accepts(entry)) {
      m->last = entry;
      m->last_pos = p;
    }
    if (entry < plain_rows) m->start = p;  // a restart row: the byte was passed over
    if (entry >= ending_rows) break;
    byte = static_cast<unsigned char>(*p);
  }
  m->entry = entry;
  m->prev = prev;
  m->p = p;
}

// The common path of a match, from the start state at m->p: passes over the bytes ahead of
// it that a start row leads to its restart row, then steps until a state ends the loop,
// keeping only the states before the last two steps. `byte` is the byte at m->p, which the
// caller may already hold in a register: it was just put back in place of the previous
// match's NUL, and reading it from memory again would wait for that store.
//
// Nearly every match ends either in a state that accepts and ends it (an operator), or one or
// two bytes past its last accepting state (a name, when the blank behind it jams, or when a
// blank and then no "=" does): so the loop need not record every accepting state it passes,
// which would cost more than the step itself. The rare rest is found again by
// find_last_accepting.
static inline void run_common_match(Match *m, const DenseEntry *dense, DenseEntry start, unsigned char byte) {
  char *p = m->p;
  DenseEntry entry = row_at(dense, start)[byte];
  const DenseEntry plain = plain_rows;
  const DenseEntry ending = ending_rows;
  while (entry < plain) {  // passed over
    byte = static_cast<unsigned char>(*++p);
    entry = row_at(dense, start)[byte];
  }
  m->start = p;
  DenseEntry prev = start;
  DenseEntry prev2 = start;
  ++p;
  while (entry < ending) {
    // First the bytes that keep the state where it is (a name's body, a comment's text): each
    // is tested against the state's row on its own, not looked up from the entry the byte
    // before it led to, so the test of one byte need not wait for the load of the last, and
    // the end of the run, which depends on the text and is mostly not foreseen, is known early.
    // Every state takes it, so no branch asks which state it is. This took 5% off postwright's
    // and 6% off inwright's processor time on netlist input, 3% on mixed, with 2% more
    // instructions: the wait for each byte's entry, not the instructions, was what cost.
    const DenseEntry *row = row_at(dense, entry);
    char *run = p;
    while (row[static_cast<unsigned char>(*p)] == entry) ++p;
    prev2 = p != run ? entry : prev;
    prev = entry;
    entry = row[static_cast<unsigned char>(*p)];
    ++p;
  }
  m->entry = entry;
  m->prev = prev;
  m->prev2 = prev2;
  m->p = p;
}

// Ends a match that run_common_match ran at its last accepting state, where that lies on the
// common path: the state the loop ended in, when it ends the match, or else one of the two
// before the step that jammed (`jammed`: the last step read no NUL that more text may follow).
// False for anything else. Branches, not selects: a foreseen branch lets the next match start
// before this one's last step is loaded, where a select would make every match wait for the
// one before.
[[gnu::always_inline]] static inline bool end_common_match(Match *m, bool jammed) {
  if (m->entry < jam_row) {
    m->last = m->entry;
    m->last_pos = m->p;
  } else if (jammed && accepts(m->prev)) {
    m->last = m->prev;
    m->last_pos = m->p - 1;
  } else if (jammed && accepts(m->prev2)) {
    m->last = m->prev2;
    m->last_pos = m->p - 2;
  } else {
    return false;
  }
  return true;
}

// Walks the match again from `start` up to its last step, to find the last accepting state
// that run_common_match did not keep. No byte before the last step is a NUL or passed over.
[[gnu::noinline]] static void find_last_accepting(Match *m, DenseEntry start) {
  DenseEntry entry = start;
  m->last = start;
  m->last_pos = m->start;
  for (char *q = m->start; q < m->p - 1;) {
    entry = row_at(dense_next, entry)[static_cast<unsigned char>(*q++)];
    if (accepts(entry)) {
      m->last = entry;
      m->last_pos = q;
    }
  }
}

// Ends the match at the last accepting state: sets up the matched text, NUL-terminated in
// place, and returns the state's dense number, by which its token and action are found.
static inline int finish_match(Match *m) {
  char *end = m->last_pos;
  yy_token_text = m->start;
  yy_token_length = static_cast<size_t>(end - m->start);
  yy_held_char = *end;
  *end = 0;
  yy_scan_pos = end;
  return static_cast<int>(m->last >> ROW_SHIFT);
}

// Enters `state` at m->p as a step of the match would.
static void enter_state(Match *m, int state) {
  m->entry = entry_of_state[state];
  if (accepts(m->entry)) {
    m->last = m->entry;
    m->last_pos = m->p;
  }
}

enum class After { match, find_action, end_of_input };  // how the end-of-buffer action goes on

// The match has read a NUL byte: either one that is data, or the first end-of-buffer byte
// behind the characters. Sets up `m` to go on matching or to end the match, or says that the
// input has ended. The state before the NUL is m->prev.
static After end_of_buffer(Match *m) {
  const ScannerTables &t = yy_tables;
  char *nul = m->p - 1;
  yy_buffer *b = yy_active_buffer;
  if (b->status == buffer_new) {
    yy_char_count = b->char_count;
    b->input_stream = yy_input_stream;
    b->status = buffer_normal;
  }
  if (nul < b->chars + yy_char_count) {  // data: its class is that of the NUL character
    int target = yy_transition(t, state_of(m->prev), t.nul_class);
    if (target == t.jam_state) return After::find_action;
    enter_state(m, target);
    return After::match;
  }
  size_t amount = static_cast<size_t>(nul - m->start);  // the unfinished text before the NUL
  // What the match has accepted so far; nothing when bytes were passed over since its start.
  size_t accepted = m->last_pos > m->start ? static_cast<size_t>(m->last_pos - m->start) : 0;
  yy_token_text = m->start;
  yy_scan_pos = m->p;
  RefillResult result = yy_refill();
  if (result == refill_end_of_input) {
    yy_scan_pos = yy_token_text;
    return After::end_of_input;
  }
  // The unfinished text now begins the buffer: the match goes on from the state it had
  // reached, and ends with what it had accepted if the input ends first.
  m->start = yy_token_text;
  m->p = m->start + amount;
  m->last_pos = m->start + accepted;
  m->entry = m->prev;
  return result == refill_last_match ? After::find_action : After::match;
}

// The match ran into a NUL byte: goes on across refills and NUL bytes that are data until it
// ends. False when the input has ended instead.
[[gnu::noinline]] static bool match_past_buffer_end(Match *m) {
  while (m->entry == end_of_buffer_row) {
    After after = end_of_buffer(m);
    if (after == After::end_of_input) return false;
    if (after == After::find_action) break;
    run_match(m, dense_next, static_cast<unsigned char>(*m->p));
  }
  return true;
}

// Ends a match that the common path could not: one that ran into a NUL byte, or whose last
// accepting state lies further back than it keeps. Sets up `m` from the match's start and
// position, its state and the one before, and the start state's entry; false when the input
// has ended instead.
[[gnu::noinline]] static bool end_uncommon_match(Match *m, char *start, char *p, DenseEntry entry, DenseEntry prev,
                                                 DenseEntry start_entry) {
  m->start = start;
  m->p = p;
  m->entry = entry;
  m->prev = prev;
  find_last_accepting(m, start_entry);
  return m->entry != end_of_buffer_row || match_past_buffer_end(m);
}

// The body of both entry points below.
[[gnu::always_inline]] static inline int next_token() {
  if (yy_first_call) first_call_setup();
  settle_pending_match();  // the last match is about to be overwritten or moved
  for (;;) {               // one match per iteration; nothing is kept in registers across an action
    Match m;
    // Everything the match needs is read before the held byte is put back: a store of a
    // byte may alias any variable, and the compiler would read them all again after it.
    unsigned char first = static_cast<unsigned char>(yy_held_char);
    char *position = yy_scan_pos;
    const DenseEntry *dense = dense_next;
    const DenseEntry start = entry_of_start[yy_start_state];
    *position = static_cast<char>(first);
    m.p = position;
    run_common_match(&m, dense, start, first);
    const bool jammed = m.entry != end_of_buffer_row;  // at or past jam_row, not at a NUL
    if (!end_common_match(&m, jammed)) [[unlikely]] {
      // The match's scalars, not the record: a copy of it would be built on the common path.
      Match ended;
      if (!end_uncommon_match(&ended, m.start, m.p, m.entry, m.prev, start)) {
        // an end-of-file action always ends the call
        int token = yy_rule_action(yy_tables.rule_count + 2 + (yy_start_state - 1) / 2);
        return token != YY_NO_TOKEN ? token : 0;
      }
      m.start = ended.start;
      m.last = ended.last;
      m.last_pos = ended.last_pos;
    }
    // Action 0 cannot occur: after one byte every state accepts at least the default rule.
    int row = finish_match(&m);
    int shortcut = row_shortcut[row];
    if (shortcut != 0) {
      if ((shortcut & YY_QUEUES_MATCH) != 0)
        queue_pending_match(yy_token_text, yy_token_length, (shortcut & YY_QUEUES_BLANK) != 0);
      return shortcut & YY_TOKEN_CODE;
    }
    int token = yy_rule_action(row_action[row]);
    if (token != YY_NO_TOKEN) return token;
  }
}

int yy_next_token() { return next_token(); }

// The matching loop alone, over text in memory, in the first start condition: no buffer, no
// NUL put in place, no action, no match that needs the way round. What is left when all the
// rest costs nothing: the floor that make bench measures the scanner against.
size_t yy_count_matches(char *text, size_t length) {
  derive_tables_once();
  const DenseEntry start = entry_of_start[1];
  size_t matches = 0;
  Match m;
  m.p = text;
  while (m.p < text + length) {
    run_common_match(&m, dense_next, start, static_cast<unsigned char>(*m.p));
    // The NUL behind the text ends a match as a jam would: there is nothing to refill.
    if (!end_common_match(&m, true)) {
      find_last_accepting(&m, start);
      if (m.last_pos == m.start) break;  // only blanks passed over were left
    }
    m.p = m.last_pos;
    matches++;
  }
  return matches;
}

// A copy of its own for the callers off the hot path (a check's parse after an error), so that
// yy_next_token keeps the parse loop for its one caller: with a second caller, the profile-
// guided build kept it out of line, and postwright took 6% more time.
[[gnu::cold]] int yy_next_token_off_the_loop() { return next_token(); }

void yy_reset() {
  if (yy_active_buffer != nullptr) {
    free(yy_active_buffer->chars);
    free(yy_active_buffer);
  }
  forget_pending_match();  // it lay in the buffer just released
  yy_first_call = 1;
  yy_start_state = 0;
  yy_input_stream = yy_output_stream = nullptr;
  yy_active_buffer = nullptr;
  yy_scan_pos = yy_token_text = nullptr;
  yy_held_char = 0;
  yy_char_count = yy_token_length = 0;
  yy_offset_bias = 0;
  yy_line_start = 0;
  dropped_offset = dropped_length = 0;
}

// Input buffers.
void *yy_alloc(size_t size) { return malloc(size); }

void *yy_realloc(void *memory, size_t size) { return realloc(memory, size); }

yy_buffer *yy_create_buffer(FILE *stream, size_t capacity) {
  yy_buffer *buffer = static_cast<yy_buffer *>(yy_alloc(sizeof(yy_buffer)));
  if (buffer == nullptr) die("yy_create_buffer");
  buffer->capacity = capacity;
  // Two bytes beyond the capacity hold the end-of-buffer NULs that end every match; the slack
  // behind them lets a match be read in fixed-size moves.
  buffer->chars = static_cast<char *>(yy_alloc(buffer->capacity + 2 + YY_MATCH_SLACK));
  if (buffer->chars == nullptr) die("yy_create_buffer");
  yy_offset_bias = -reinterpret_cast<uintptr_t>(buffer->chars);  // its first byte is the input's first
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

// The table-driven longest-match scanner shared by both programs: what a program's rule
// actions and driver see of it. Entry point: yy_next_token(). One scanner per process;
// nothing here is reentrant. The engine's own records live in scanner_internal.h.
#ifndef CORE_SCANNER_H
#define CORE_SCANNER_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The seven read-only tables of one rule set plus the constants the engine needs. Each
// program's generated table source defines exactly one instance, `yy_tables`.
struct ScannerTables {
  const int16_t *accept;     // state 0..J -> action number; 0 = accepts nothing
  const int32_t *classes;    // byte 0..255 -> equivalence class; byte 0 is class 0
  const int32_t *meta;       // class 0..C -> meta class, used in template rows
  const int16_t *base;       // state or template -> row start in next/check
  const int16_t *def;        // state or template -> fallback state or template
  const int16_t *next;       // base + class -> target state
  const int16_t *check;      // base + class -> owner of the entry
  const uint8_t *skip;       // action 0..R -> 1 when the rule's action does nothing, so that
                             // the engine may pass over its matches without calling it
  const int16_t *shortcuts;  // action 0..R -> what the engine does in the action's place
                             // (yy_shortcut), 0 when the action runs; null: every action runs
  int rule_count;            // R: listed rules plus the appended default rule
  int condition_count;       // S: start conditions, all exclusive
  int class_count;           // C: classes are 1..C, class 0 is end-of-buffer
  int end_of_buffer_state;   // E = S + 1, after the start states 1..S
  int jam_state;             // J: the dead state, one above the last automaton state
  int jam_base;              // base[J]; reaching a state with this base ends a match
  int first_template;        // rows at or above this index are templates (= J + 1 if none)
  int row_count;             // entries of base and def
  int entry_count;           // entries of next and check
  int nul_class;             // class of a NUL byte that lies inside the text
};

extern const ScannerTables yy_tables;  // defined by the program's generated tables

// The tables' number for the start state of `condition`: conditions 0..S-1 start in states
// 1..S. (yy_start_state numbers a condition otherwise, as 2 * condition + 1.)
constexpr int table_start_state(int condition) { return condition + 1; }

// Supplied by each program. The action routine runs rule `action` (1..R, then the
// end-of-file actions) and returns a token code, or YY_NO_TOKEN to let the engine go on
// with the next match.
constexpr int YY_NO_TOKEN = -1;
int yy_rule_action(int action);
int yy_is_terminal(int fd);  // > 0 when refills of this descriptor read line by line

// What the engine does in place of a token rule's action (the rule file's token, text_token
// and name_token rules): it returns the token code, after it queues the matched text as a
// fragment (YY_QUEUES_MATCH), followed by one blank (YY_QUEUES_BLANK: a name's fragment). The
// engine does it itself, so that an operator or a name costs no call and no jump to one of
// many cases.
constexpr int YY_QUEUES_MATCH = 0x4000;
constexpr int YY_QUEUES_BLANK = 0x2000;
constexpr int YY_TOKEN_CODE = 0x1fff;  // the token code within an entry: codes are below 0x2000

// A shortcut entry of the generated tables; a token code that does not fit fails the build.
consteval int16_t yy_shortcut(int code, int flags) {
  if (code <= 0 || code > YY_TOKEN_CODE) throw "a token rule's code must be from 1 to YY_TOKEN_CODE";
  return static_cast<int16_t>(code | flags);
}

extern int yy_start_state;      // 2 * start condition + 1
extern FILE *yy_input_stream;   // stream the engine's buffer reads; set by the driver
extern FILE *yy_output_stream;  // where the default rule echoes; standard output if unset
extern char *yy_token_text;     // start of the matched text, NUL-terminated in place
extern size_t yy_token_length;  // length of the matched text

// Bytes behind the end of every match that may be read (not written): the buffer carries
// them as slack, so that a short match can be copied with one fixed-size move.
constexpr size_t YY_MATCH_SLACK = 16;

constexpr int YY_INITIAL_CONDITION = 0;  // the start condition the scanner starts in

// Where a match lies in the input, for the messages about it. Only the refills and the line
// ends do any work for it: the offset of a byte is its address plus the bias, which a refill
// sets; a rule action that ends a line marks where the next one begins. Columns are worked
// out from the two only when a message needs one.
extern uintptr_t yy_offset_bias;  // input offset of a byte in the buffer, less its address
extern uint64_t yy_line_start;    // input offset of the first byte of the line being scanned
inline uint64_t yy_offset_of(const char *p) { return reinterpret_cast<uintptr_t>(p) + yy_offset_bias; }
inline void yy_mark_line_start() { yy_line_start = yy_offset_of(yy_token_text + yy_token_length); }

// The input byte at `offset` while the buffer still holds it (the byte after the current
// match as it was read, not the NUL that ends the match), else -1. For messages only.
int yy_input_byte(uint64_t offset);

// The input line that starts at `offset`, without its newline, in `to` (at most `size` bytes);
// returns its length, 0 when the input no longer holds its start. A part that the buffer does
// not hold, the rest not read yet or the start of a long line that refills have dropped, is
// read again from a file that can seek, and the file is left where it was. For messages only.
size_t yy_input_line(uint64_t offset, char *to, size_t size);

int yy_next_token();
// The same, for a program's callers off its hot path, which yy_next_token then need not serve.
int yy_next_token_off_the_loop();
inline void yy_begin(int condition) { yy_start_state = 2 * condition + 1; }

// Whether the matched text holds a NUL byte: texts that are used as strings must refuse one.
bool yy_match_has_nul();
void yy_echo();  // the default rule's action: the matched text to yy_output_stream

// The failure that no rule action can handle: an action number outside the tables.
[[noreturn]] void yy_no_action_found();

// Returns every engine variable to its value before the first call and releases the buffer,
// so tests and fuzzers can run several inputs in one process.
void yy_reset();

#endif

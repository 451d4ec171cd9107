// What the rule actions of both rule sets do alike: count the input lines, collect a quoted
// name's pieces, refuse a NUL byte in a text that is kept as a string, complete a comment
// line, and echo a byte that no rule takes. What differs, each program supplies: how it stops
// at an illegal character, and where a completed comment line goes. Entry points:
// collect_quoted_piece, refuse_nul_in_match, finish_comment, finish_comment_match, echo_match,
// and the dispatch's cases for them, SHARED_RULE_ACTION_CASES.
#ifndef CORE_SHARED_ACTIONS_H
#define CORE_SHARED_ACTIONS_H

#include <cstddef>
#include <cstdint>

#include "scanner.h"
#include "token_text.h"

extern int64_t current_line;  // input line being scanned, from 1; a file may hold more than 2^31
// Newlines inside quoted names so far: left out of the name and out of current_line, whose count
// the classic messages give; the places of the other formats count them, as an editor does.
extern int64_t newlines_in_names;

// Both counts back to the start of an input.
inline void line_count_reset() {
  current_line = 1;
  newlines_in_names = 0;
}

constexpr char COMMENT_MARK[] = "--";  // what opens a comment line; kept in the converted text
constexpr size_t COMMENT_MARK_LENGTH = sizeof(COMMENT_MARK) - 1;

// Supplied by each program. Reports the illegal byte at `at` in the buffer: the match, or a
// NUL byte inside a name or a comment. Ends the run, except in a check, which goes on.
void stop_on_illegal_character(const char *at);

// Where the quoted name being collected began: an unterminated one is reported there.
extern uint64_t quote_start;

// A line ends: the count goes up and the next line's start is marked, for the columns.
inline void count_line() {
  current_line++;
  yy_mark_line_start();
}

// Reports an illegal byte in the gnu or json format: its readable name and a hint, at its
// place. The classic wording is each program's.
void report_illegal_byte(const char *at);

// Supplied by each program: takes a completed comment line, its mark and the rest of the line
// (with its newline unless the input ended first), and returns the action's result.
int take_comment_line(const char *rest, size_t rest_length);

// A NUL byte would cut the text short wherever it is used as a string, so a match that holds
// one, inside a name or a comment, is refused like any other byte outside the language.
void refuse_nul_in_match();

// The rule action for the opening backslash and each piece of a quoted name that is not one
// match of its own (one with an escaped backslash, or across lines): the match is collected in
// the token text, and the scanner stays in, or enters, `condition`. Inline, so that each
// program's profile-guided build places it.
inline int collect_quoted_piece(int condition) {
  refuse_nul_in_match();
  token_text_append_match();
  yy_begin(condition);
  return YY_NO_TOKEN;
}

// The rule action for the match that opens a quoted name of several matches: collected like
// the other pieces, and where it began is kept for a message.
inline int open_quoted_name(int condition) {
  quote_start = yy_offset_of(yy_token_text);
  return collect_quoted_piece(condition);
}

// A comment line is complete, with its newline or, on the last line, without one (only a
// newline completes a line for the line count): the program takes its mark and `rest`, and
// the scanner returns to the condition it starts in. Returns what take_comment_line returns.
int finish_comment(const char *rest, size_t rest_length, bool with_newline);

// The same for the rest of the line as matched, which must not hold a NUL byte.
int finish_comment_match(bool with_newline);

// The default rule's action: the byte goes to the scanner's echo stream. Only a newline inside
// a quoted name gets here; it is left out of the name.
int echo_match();

// The rule action for the "--" that opens a comment line: the rest of the line is read in
// `condition`.
inline int open_comment_line(int condition) {
  yy_begin(condition);
  return YY_NO_TOKEN;
}

// The cases of yy_rule_action that both rule sets have, by the names both give those rules:
// a quoted name in pieces, a comment line, and the default rule. Each program's dispatch
// lists them among its own, over its own generated ScanAction and conditions.
#define SHARED_RULE_ACTION_CASES                          \
  case RULE_QUOTE_OPEN:                                   \
  case RULE_QUOTE_OPEN_ESCAPE:                            \
    return open_quoted_name(QUOTED_NAME);                 \
  case RULE_QUOTE_BACKSLASHES:                            \
  case RULE_QUOTE_TEXT:                                   \
    return collect_quoted_piece(QUOTED_NAME);             \
  case RULE_COMMENT_OPEN:                                 \
    return open_comment_line(COMMENT_LINE);               \
  case RULE_COMMENT_LINE:                                 \
    return finish_comment_match(true);                    \
  case RULE_COMMENT_TAIL: /* no newline ends the input */ \
    return finish_comment_match(false);                   \
  case RULE_DEFAULT:                                      \
    return echo_match();

#endif

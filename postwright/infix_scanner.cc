// The actions of the infix token rules (infix.rules): what each match does to the work buffer,
// the fragment queue, the line counter and the start condition, and which token it returns.
// Entry points for the shared engine: yy_rule_action and yy_is_terminal.
#include "infix_scanner.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "fragment_queue.h"
#include "infix_parse_tables.h"
#include "infix_scan_tables.h"
#include "process.h"
#include "scanner.h"
#include "token_text.h"

int current_line = 1;  // newlines inside quoted names don't count

static const char NAME_END[] = " ";  // every ID fragment ends in exactly this one blank

void reset_infix_scanner() {
  token_text_clear();
  current_line = 1;
}

static void append_match() { token_text_append(yy_token_text, yy_token_length); }

[[noreturn]] static void stop_on_illegal_character() {
  fprintf(message_stream, "ERROR -illegal character in line %d\n", current_line);
  end_process(EXIT_INPUT_FAULT);
}

// Fragments are NUL-terminated, so a NUL byte inside a name or a comment would cut its text
// short without a word; it is refused like any other byte that is no part of the language.
static void refuse_nul_bytes() {
  if (memchr(yy_token_text, '\0', yy_token_length) != nullptr) stop_on_illegal_character();
}

// Queues the assembled text as one fragment and empties the work buffer for the next token.
static void queue_assembled_text() {
  enqueue_fragment(token_text_buffer, token_text_length);
  token_text_clear();
}

// The closing piece of a quoted name: its fragment is the text assembled so far plus the
// match and one blank.
static int finish_quoted_name() {
  append_match();
  token_text_append(NAME_END, strlen(NAME_END));
  queue_assembled_text();
  yy_begin(NORMAL);
  return ID;
}

// The pieces of a quoted name are collected; nothing is returned until it closes.
static int collect_match() {
  refuse_nul_bytes();
  append_match();
  return YY_NO_TOKEN;
}

static int start_comment() {
  append_match();
  yy_begin(COMMENT_LINE);
  return YY_NO_TOKEN;
}

// A comment line is complete: with its newline, or, on the last line of the input, without
// one. Only a newline completes a line for the line count.
static int finish_comment(bool with_newline) {
  queue_assembled_text();
  yy_begin(NORMAL);
  if (with_newline) current_line++;
  return COMMENT;
}

[[noreturn]] static void end_in_quoted_name() {
  fprintf(message_stream, "ERROR -unterminated quoted name in line %d\n", current_line);
  end_process(EXIT_INPUT_FAULT);
}

int yy_rule_action(int action) {
  switch (action) {
    case RULE_QUOTE_OPEN:
      append_match();
      yy_begin(QUOTED_NAME);
      return YY_NO_TOKEN;
    case RULE_QUOTE_CLOSE:
    case RULE_QUOTE_CLOSE_ARGS:
      return finish_quoted_name();
    case RULE_QUOTE_BACKSLASHES:
    case RULE_QUOTE_CHAR:
      return collect_match();
    case RULE_AND:
      return AND;
    case RULE_OR:
      return OR;
    case RULE_NOT:
      return NOT;
    case RULE_IDENTIFIER:
    case RULE_IDENTIFIER_ARGS:
      enqueue_matched_name();
      return ID;
    case RULE_LPAREN:
      return '(';
    case RULE_RPAREN:
      return ')';
    case RULE_EQ:
      return EQ;
    case RULE_SEMICOLON:
      return SEMICOL;
    case RULE_NUMBER:
      enqueue_matched_text();  // no blank: "-3" is two bytes
      return INT_EXPR;
    case RULE_BLANK:
      return YY_NO_TOKEN;
    case RULE_LBRACE:
      return '{';
    case RULE_RBRACE:
      return '}';
    case RULE_NEWLINE:
      current_line++;
      return YY_NO_TOKEN;
    case RULE_COMMENT_OPEN:
      return start_comment();
    case RULE_COMMENT_LINE:
      refuse_nul_bytes();
      append_match();
      return finish_comment(true);
    case RULE_COMMENT_TAIL:
      refuse_nul_bytes();
      append_match();
      return finish_comment(false);
    case RULE_ILLEGAL:
      stop_on_illegal_character();
    case RULE_DEFAULT:
      yy_echo();  // only a newline inside a quoted name gets here: echoed, left out of the name
      return YY_NO_TOKEN;
    case ACTION_EOF_NORMAL:
      return YY_NO_TOKEN;          // the engine ends the call with 0
    case ACTION_EOF_COMMENT_LINE:  // only "--" was read on the last line
      return finish_comment(false);
    case ACTION_EOF_QUOTED_NAME:
      end_in_quoted_name();
    default:
      yy_no_action_found();
  }
}

int yy_is_terminal(int fd) { return isatty(fd); }

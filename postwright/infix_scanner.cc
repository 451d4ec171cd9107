// The actions of the infix token rules (infix.rules): what each match does to the work buffer,
// the fragment queue, the line counter and the start condition, and which token it returns.
// Entry points for the shared engine: yy_rule_action and yy_is_terminal. Also owns the
// process-wide token_text_buffer, token_text_size, token_text_length and current_line.
#include "infix_scanner.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "fragment_queue.h"
#include "infix_parse_tables.h"
#include "infix_scan_tables.h"
#include "scanner.h"

char *token_text_buffer = nullptr;  // allocated by the driver; grown here when a text needs more
int token_text_size = 0;            // bytes allocated for token_text_buffer, 0 before the driver ran
int token_text_length = 0;          // characters assembled so far: quoted name or comment line
int current_line = 1;               // input line being scanned; newlines inside quoted names don't count

static const char NAME_END[] = " ";  // every ID fragment ends in exactly this one blank

// Makes room for `needed` bytes in token_text_buffer, doubling its size, so that a name or a
// comment line of any length can be assembled. The assembled text is kept.
static void reserve_token_text(size_t needed) {
  if (needed <= static_cast<size_t>(token_text_size)) return;
  size_t size = token_text_size > 0 ? static_cast<size_t>(token_text_size) : TOKEN_TEXT_INITIAL_SIZE;
  while (size < needed) size *= 2;
  if (size > INT_MAX) size = INT_MAX;
  char *grown = size < needed ? nullptr : static_cast<char *>(realloc(token_text_buffer, size));
  if (grown == nullptr) yy_fatal("out of dynamic memory in yy_rule_action()");
  token_text_buffer = grown;
  token_text_size = static_cast<int>(size);
}

// Appends `length` bytes to the text assembled in token_text_buffer and keeps it NUL-terminated.
static void append_token_text(const char *text, size_t length) {
  size_t at = static_cast<size_t>(token_text_length);
  reserve_token_text(at + length + 1);
  memcpy(token_text_buffer + at, text, length);
  token_text_buffer[at + length] = '\0';
  token_text_length = static_cast<int>(at + length);
}

static void append_match() { append_token_text(yy_token_text, static_cast<size_t>(yy_token_length)); }

[[noreturn]] static void stop_on_illegal_character() {
  printf("ERROR -illegal character in line %d\n", current_line);
  exit(EXIT_FAILURE);
}

// Fragments are NUL-terminated, so a NUL byte inside a name or a comment would cut its text
// short without a word; it is refused like any other byte that is no part of the language.
static void refuse_nul_bytes(const char *text, size_t length) {
  if (memchr(text, '\0', length) != nullptr) stop_on_illegal_character();
}

// Queues the assembled text as one fragment and empties the work buffer for the next token.
static void queue_assembled_text() {
  enqueue_fragment(token_text_buffer);
  token_text_length = 0;
  token_text_buffer[0] = '\0';
}

// A whole name (identifier, identifier with arguments, or the closing piece of a quoted name)
// has been matched: its fragment is the text assembled so far plus the match and one blank.
static int finish_name() {
  append_match();
  append_token_text(NAME_END, strlen(NAME_END));
  queue_assembled_text();
  yy_begin(NORMAL);
  return ID;
}

// Rules 4 and 5 collect the pieces of a quoted name; nothing is returned until it closes.
static int collect_match() {
  refuse_nul_bytes(yy_token_text, static_cast<size_t>(yy_token_length));
  append_match();
  return YY_NO_TOKEN;
}

static int start_comment() {
  append_match();
  yy_begin(COMMENT_LINE);
  return YY_NO_TOKEN;
}

static int finish_comment_line() {
  refuse_nul_bytes(yy_token_text, static_cast<size_t>(yy_token_length));
  append_match();
  queue_assembled_text();
  yy_begin(NORMAL);
  current_line++;
  return COMMENT;
}

// The last line of the input, without a newline, is a comment all the same: its text runs
// to the end of the input, and no line was completed.
static int finish_final_comment() {
  refuse_nul_bytes(yy_token_text, static_cast<size_t>(yy_token_length));
  append_match();
  queue_assembled_text();
  yy_begin(NORMAL);
  return COMMENT;
}

// A comment on the last line, without its newline, is still a comment: its text runs to the end.
static int end_in_comment_line() {
  queue_assembled_text();
  yy_begin(NORMAL);
  return COMMENT;
}

[[noreturn]] static void end_in_quoted_name() {
  printf("ERROR -unterminated quoted name in line %d\n", current_line);
  exit(EXIT_FAILURE);
}

// ORDER infix.rules: the cases follow the rules' order.
int yy_rule_action(int action) {
  switch (action) {
    case RULE_QUOTE_OPEN:
      append_match();
      yy_begin(QUOTED_NAME);
      return YY_NO_TOKEN;
    case RULE_QUOTE_CLOSE:
    case RULE_QUOTE_CLOSE_ARGS:
      return finish_name();
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
      return finish_name();
    case RULE_LPAREN:
      return '(';
    case RULE_RPAREN:
      return ')';
    case RULE_EQ:
      return EQ;
    case RULE_SEMICOLON:
      return SEMICOL;
    case RULE_NUMBER:
      enqueue_fragment(yy_token_text);  // numbers carry no blank: "-3" queues two bytes
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
      return finish_comment_line();
    case RULE_COMMENT_TAIL:
      return finish_final_comment();
    case RULE_ILLEGAL:
      stop_on_illegal_character();
    case RULE_DEFAULT:
      yy_echo();  // only a newline inside a quoted name gets here: echoed, left out of the name
      return YY_NO_TOKEN;
    case ACTION_EOF_NORMAL:
      return YY_NO_TOKEN;  // the engine ends the call with 0
    case ACTION_EOF_COMMENT_LINE:
      return end_in_comment_line();
    case ACTION_EOF_QUOTED_NAME:
      end_in_quoted_name();
    default:
      yy_fatal("fatal flex scanner internal error--no action found");
  }
}

int yy_is_terminal(int fd) { return isatty(fd); }

// The actions of the infix token rules (infix.rules): what each match does to the work buffer,
// the fragment queue, the line counter and the start condition, and which token it returns.
// Entry points for the shared engine: yy_rule_action and yy_is_terminal.
#include "infix_scanner.h"

#include <unistd.h>

#include <array>
#include <cinttypes>
#include <cstdio>

#include "fragment_queue.h"
#include "infix_parse_tables.h"
#include "infix_scan_tables.h"
#include "process.h"
#include "scanner.h"
#include "shared_actions.h"
#include "token_text.h"

void infix_scanner_reset() {
  token_text_clear();
  current_line = 1;
}

void stop_on_illegal_character(const char *) {
  fprintf(message_stream, "ERROR -illegal character in line %" PRId64 "\n", current_line);
  end_process(EXIT_INPUT_FAULT);
}

// The closing piece of a quoted name: its fragment is the text assembled so far and the
// match, with a name's blank.
[[gnu::noinline]] static int finish_quoted_name() {
  token_text_append_match();
  enqueue_text_and_blank(token_text_buffer, token_text_length, true);
  token_text_clear();
  yy_begin(NORMAL);
  return ID;
}

[[gnu::noinline]] static int start_comment() {
  yy_begin(COMMENT_LINE);
  return YY_NO_TOKEN;
}

// A comment line's fragment is the "--" that opened it and the rest of the line, taken
// straight from the match however long it is.
int take_comment_line(const char *rest, size_t rest_length) {
  enqueue_joined_fragment(COMMENT_MARK, COMMENT_MARK_LENGTH, rest, rest_length);
  return COMMENT;
}

[[noreturn]] static void end_in_quoted_name() {
  fprintf(message_stream, "ERROR -unterminated quoted name in line %" PRId64 "\n", current_line);
  end_process(EXIT_INPUT_FAULT);
}

// The actions that do more than return a token code are functions of their own, which the
// dispatch below reaches by a tail call: the dispatch itself then needs no stack frame, and a
// token such as "&" costs little more than the jump to its case.
[[gnu::noinline]] static int queue_name() {
  enqueue_matched_name();
  return ID;
}

[[gnu::noinline]] static int queue_number() {
  enqueue_matched_text();  // no blank: "-3" is two bytes
  return INT_EXPR;
}

// What the engine may do in an action's place: return its token, after queueing the match
// for a name or a number; 0 for the actions that must run.
static constexpr std::array<int16_t, ACTION_EOF_QUOTED_NAME + 1> token_shortcuts() {
  std::array<int16_t, ACTION_EOF_QUOTED_NAME + 1> tokens{};
  tokens[RULE_AND] = AND;
  tokens[RULE_OR] = OR;
  tokens[RULE_NOT] = NOT;
  tokens[RULE_LPAREN] = '(';
  tokens[RULE_RPAREN] = ')';
  tokens[RULE_EQ] = EQ;
  tokens[RULE_SEMICOLON] = SEMICOL;
  tokens[RULE_LBRACE] = '{';
  tokens[RULE_RBRACE] = '}';
  tokens[RULE_IDENTIFIER] = ID | YY_QUEUES_MATCH | YY_QUEUES_BLANK;
  tokens[RULE_IDENTIFIER_ARGS] = ID | YY_QUEUES_MATCH | YY_QUEUES_BLANK;
  tokens[RULE_NUMBER] = INT_EXPR | YY_QUEUES_MATCH;
  return tokens;
}
static constexpr std::array<int16_t, ACTION_EOF_QUOTED_NAME + 1> TOKEN_SHORTCUTS = token_shortcuts();
const int16_t *const infix_token_shortcuts = TOKEN_SHORTCUTS.data();

// The engine takes the shortcuts itself; this runs every action when it was given none. The
// tokens that are only their code come from the table: one test tells them from the rest,
// where a jump to one of nine cases would be hard to foresee. Then the tokens that queue a
// fragment, the text between tokens, and the quoted names and comments that take several
// matches.
int yy_rule_action(int action) {
  if (static_cast<unsigned>(action) < TOKEN_SHORTCUTS.size()) {
    int shortcut = TOKEN_SHORTCUTS[action];
    if (shortcut != 0 && (shortcut & YY_QUEUES_MATCH) == 0) return shortcut;
  }
  switch (action) {
    case RULE_IDENTIFIER:
    case RULE_IDENTIFIER_ARGS:
      return queue_name();
    case RULE_NUMBER:
      return queue_number();
    case RULE_BLANK:
      return YY_NO_TOKEN;
    case RULE_NEWLINE:
      current_line++;
      return YY_NO_TOKEN;
    case RULE_QUOTE_OPEN:
    case RULE_QUOTE_BACKSLASHES:
    case RULE_QUOTE_CHAR:
      return collect_quoted_piece(QUOTED_NAME);
    case RULE_QUOTE_CLOSE:
    case RULE_QUOTE_CLOSE_ARGS:
      return finish_quoted_name();
    case RULE_COMMENT_OPEN:
      return start_comment();
    case RULE_COMMENT_LINE:
      return finish_comment_match(true);
    case RULE_COMMENT_TAIL:
      return finish_comment_match(false);
    case RULE_ILLEGAL:
      stop_on_illegal_character(yy_token_text);
    case RULE_DEFAULT:
      return echo_match();
    case ACTION_EOF_NORMAL:
      return YY_NO_TOKEN;          // the engine ends the call with 0
    case ACTION_EOF_COMMENT_LINE:  // only "--" was read on the last line
      return finish_comment("", 0, false);
    case ACTION_EOF_QUOTED_NAME:
      end_in_quoted_name();
    default:
      yy_no_action_found();
  }
}

int yy_is_terminal(int fd) { return isatty(fd); }

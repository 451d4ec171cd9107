// The actions of the infix token rules (infix.rules): what each match does to the work buffer,
// the fragment queue, the line counter and the start condition, and which token it returns.
// Entry points for the shared engine: yy_rule_action and yy_is_terminal.
#include "infix_scanner.h"

#include <unistd.h>

#include <cinttypes>
#include <cstdio>

#include "error_report.h"
#include "fragment_queue.h"
#include "infix_parse_tables.h"
#include "infix_scan_tables.h"
#include "process.h"
#include "scanner.h"
#include "shared_actions.h"
#include "token_text.h"

void infix_scanner_reset() {
  token_text_clear();
  line_count_reset();
}

static_assert(REPORTED_ERROR_TOKEN <= PARSE_MAX_CODE, "the error symbol has a code the parser translates");

void stop_on_illegal_character(const char *at) {
  if (error_reporting.format == ErrorFormat::classic) {
    fprintf(message_stream, "ERROR -illegal character in line %" PRId64 "\n", current_line);
    end_process(EXIT_INPUT_FAULT);
  }
  report_illegal_byte(at);
  if (!error_reporting.check) end_process(EXIT_INPUT_FAULT);
}

[[gnu::noinline]] static int refuse_illegal_character() {
  stop_on_illegal_character(yy_token_text);
  return REPORTED_ERROR_TOKEN;
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

// A quoted name read as one match: the match is its fragment, with a name's blank.
[[gnu::noinline]] static int take_quoted_name() {
  refuse_nul_in_match();
  enqueue_match(true);
  return ID;
}

// A line ends: counted, and where the next begins is marked for the columns of messages.
[[gnu::noinline]] static int end_line() {
  count_line();
  return YY_NO_TOKEN;
}

// A comment line's fragment is the "--" that opened it and the rest of the line, taken
// straight from the match however long it is.
int take_comment_line(const char *rest, size_t rest_length) {
  enqueue_joined_fragment(COMMENT_MARK, COMMENT_MARK_LENGTH, rest, rest_length);
  return COMMENT;
}

// The input ends inside a quoted name: reported at its opening backslash, where the fault
// most likely lies. A check ends the file there.
static int end_in_quoted_name() {
  if (error_reporting.format == ErrorFormat::classic) {
    fprintf(message_stream, "ERROR -unterminated quoted name in line %" PRId64 "\n", current_line);
    end_process(EXIT_INPUT_FAULT);
  }
  report_input_error(place_of(quote_start), "unterminated quoted name: no closing backslash");
  if (!error_reporting.check) end_process(EXIT_INPUT_FAULT);
  return REPORTED_ERROR_TOKEN;
}

// The engine takes the token rules itself (infix.rules): an operator, a name or a number
// never gets here. Of the rest, the text between tokens comes first, then the quoted names and
// comments that take several matches. Every action that does more than a store is a function
// of its own, which the dispatch reaches by a tail call, so that it needs no stack frame. The
// switch has no default: the compiler names an action of the rules that has no case here.
int yy_rule_action(int action) {
  switch (static_cast<ScanAction>(action)) {
    case RULE_NEWLINE:
      return end_line();
    case RULE_QUOTED_NAME:
    case RULE_QUOTED_NAME_ARGS:
      return take_quoted_name();
    case RULE_QUOTE_CLOSE:
    case RULE_QUOTE_CLOSE_ARGS:
      return finish_quoted_name();
    case RULE_ILLEGAL:
      return refuse_illegal_character();
      SHARED_RULE_ACTION_CASES
    case RULE_BLANK:  // passed over by the engine: no blank gets here
    case ACTION_EOF_NORMAL:
      return YY_NO_TOKEN;          // the engine ends the call with 0
    case ACTION_EOF_COMMENT_LINE:  // only "--" was read on the last line
      return finish_comment("", 0, false);
    case ACTION_EOF_QUOTED_NAME:
      token_text_clear();  // a check goes on with the end of the input
      yy_begin(NORMAL);
      return end_in_quoted_name();
  }
  yy_no_action_found();
}

int yy_is_terminal(int fd) { return isatty(fd); }

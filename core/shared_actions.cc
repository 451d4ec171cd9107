// The rule actions both programs share.
#include "shared_actions.h"

#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "scanner.h"
#include "token_text.h"

int64_t current_line = 1;
int64_t newlines_in_names = 0;
uint64_t quote_start = 0;

void refuse_nul_in_match() {
  if (yy_match_has_nul()) {
    stop_on_illegal_character(static_cast<const char *>(memchr(yy_token_text, 0, yy_token_length)));
  }
}

void report_illegal_byte(const char *at) {
  uint64_t offset = yy_offset_of(at);
  unsigned char byte = static_cast<unsigned char>(*at);
  char name[8];
  describe_byte(byte, name);
  const char *hint = illegal_byte_hint(offset, byte);
  char message[160];
  snprintf(message, sizeof message, "illegal character %s%s%s", name, hint != nullptr ? "; " : "",
           hint != nullptr ? hint : "");
  report_input_error(place_of(offset), message);
}

// The actions are kept out of line, like each program's own: the programs' dispatch reaches
// them by a tail call and so needs no stack frame.
[[gnu::noinline]] int finish_comment(const char *rest, size_t rest_length, bool with_newline) {
  yy_begin(YY_INITIAL_CONDITION);
  if (with_newline) count_line();
  return take_comment_line(rest, rest_length);
}

[[gnu::noinline]] int finish_comment_match(bool with_newline) {
  refuse_nul_in_match();
  return finish_comment(yy_token_text, yy_token_length, with_newline);
}

[[gnu::noinline]] int echo_match() {
  yy_echo();
  if (yy_token_text[0] == '\n') {
    newlines_in_names++;
    yy_mark_line_start();
  }
  return YY_NO_TOKEN;
}

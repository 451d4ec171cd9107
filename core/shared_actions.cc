// The rule actions both programs share.
#include "shared_actions.h"

#include "scanner.h"
#include "token_text.h"

int64_t current_line = 1;

void refuse_nul_in_match() {
  if (yy_match_has_nul()) stop_on_illegal_character("");
}

// The actions are kept out of line, like each program's own: the programs' dispatch reaches
// them by a tail call and so needs no stack frame.
[[gnu::noinline]] int finish_comment(const char *rest, size_t rest_length, bool with_newline) {
  yy_begin(YY_INITIAL_CONDITION);
  if (with_newline) current_line++;
  return take_comment_line(rest, rest_length);
}

[[gnu::noinline]] int finish_comment_match(bool with_newline) {
  refuse_nul_in_match();
  return finish_comment(yy_token_text, yy_token_length, with_newline);
}

[[gnu::noinline]] int echo_match() {
  yy_echo();
  return YY_NO_TOKEN;
}

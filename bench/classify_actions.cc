// Rule actions for the infix rules that only classify: they follow the start conditions and
// return each token's rule number, with no fragments, no output and no exit. The scanner
// benchmark runs the engine with them; the token rules the engine takes itself.
#include "classify_tables.h"
#include "scanner.h"

int yy_is_terminal(int) { return 0; }

int yy_rule_action(int action) {
  switch (action) {
    case RULE_QUOTE_OPEN:
    case RULE_QUOTE_OPEN_ESCAPE:
      yy_begin(QUOTED_NAME);
      return YY_NO_TOKEN;
    case RULE_COMMENT_OPEN:
      yy_begin(COMMENT_LINE);
      return YY_NO_TOKEN;
    case RULE_QUOTE_CLOSE:
    case RULE_QUOTE_CLOSE_ARGS:
    case RULE_COMMENT_LINE:
      yy_begin(NORMAL);
      return action;
    case RULE_QUOTE_BACKSLASHES:
    case RULE_QUOTE_TEXT:
    case RULE_BLANK:
    case RULE_NEWLINE:
    case RULE_DEFAULT:
    case RULE_ILLEGAL:
      return YY_NO_TOKEN;
    default:
      return action > RULE_DEFAULT ? 0 : action;
  }
}

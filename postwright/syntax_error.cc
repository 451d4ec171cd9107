// Where a check resumes after a syntax error in the infix grammar: behind the ";" that ends
// the statement in error, or at a brace or a comment line, which start the next one.
#include "grammar_actions.h"
#include "infix_parse_tables.h"

StatementBoundary statement_boundary(int code) {
  if (code == SEMICOL) return StatementBoundary::ends;
  if (code == '{' || code == '}' || code == COMMENT) return StatementBoundary::starts;
  return StatementBoundary::none;
}

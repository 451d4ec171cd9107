// The readable form of inwright's output (--readable): each statement on one line, as its
// targets, " = ", the expression with a blank on each side of "&" and "|" and only the
// parentheses that precedence needs, and ";". What stood inside a statement is moved out of
// it, so that postwright reads the text back: comments and braces go on lines of their own
// before it, newlines are dropped. Outside the statements the text is written as in the
// default form. Entry points: the rule actions call readable_hold_target,
// readable_end_statement, readable_layout, readable_comment_line and readable_flush_targets
// while readable_form is set; print_readable_tree prints one tree.
#ifndef INWRIGHT_READABLE_H
#define INWRIGHT_READABLE_H

#include <cstddef>

#include "expr_tree.h"

extern bool readable_form;  // --readable was given; false by default

// The rule actions' helpers return what the action returns (YY_NO_TOKEN), so that an action
// reaches them by a tail call.

// An assignment target ("y =", "\q\(i) ="): kept back until its statement ends, since what
// stands between it and the ";" must be written before it.
int readable_hold_target(const char *text, size_t length);

// The statement's ";": writes the targets held for it, the tree (released), and ";".
int readable_end_statement(ExprNode *root);

// A brace or a newline, as read.
int readable_layout(char c);

// Called before a comment line is written: one inside a statement starts a line of its own.
// `ends_line`: the comment ends with its newline (false only for the input's last line).
void readable_comment_line(bool ends_line);

// The input ends, or a fault stops the run: the targets held back are written, as the
// default form would already have written them.
void readable_flush_targets();

// Prints a statement's tree and releases it. A group gets a pair of parentheses only where
// the infix reading needs one: when it is negated, an OR under an AND, or the right operand
// of the same operator. The trees' parenthesis counters play no part.
void print_readable_tree(ExprNode *root);

// Back to the state at program start, for tests and fuzzers that run several inputs.
void readable_reset();

#endif

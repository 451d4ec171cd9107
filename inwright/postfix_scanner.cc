// The postfix token rules' actions: operands become leaves on the node stack, "&" and "|"
// join the two topmost trees, "!" flips the topmost tree's negation, and ";" prints the
// finished tree in infix form. Targets, braces, newlines and comment lines are copied to
// the output the moment they are read; in the readable form (readable.h) they are placed
// around the statements instead. Entry point: yy_rule_action, called by the engine.
#include "postfix_scanner.h"

#include <cinttypes>
#include <cstdio>

#include "error_report.h"
#include "expr_tree.h"
#include "fragment_queue.h"
#include "output.h"
#include "postfix_scan_tables.h"
#include "process.h"
#include "readable.h"
#include "scanner.h"
#include "shared_actions.h"
#include "token_text.h"

int yy_is_terminal(int) { return 0; }  // input is always read in blocks

void postfix_scanner_reset() {
  token_text_clear();
  expr_tree_reset();
  line_count_reset();
}

// After an error in a check: the trees of the statement and their texts are dropped, and the
// rest of it, up to its ";", is read without a report.
static void drop_statement() {
  release_node_stack(&node_stack);
  clear_fragment_queue();
  error_reporting.passing_over = true;
}

// A fault stops the run; what was converted before it stays in the output. A check reports
// the first fault of a statement and goes on.
void stop_on_illegal_character(const char *at) {
  if (error_reporting.format == ErrorFormat::classic) {
    if (readable_form) readable_flush_targets();
    fprintf(message_stream, "ERROR -illegal character %s", at);
    end_process(EXIT_INPUT_FAULT);
  }
  report_illegal_byte(at);
  if (!error_reporting.check) end_process(EXIT_INPUT_FAULT);
  drop_statement();
}

// Reports `fault` (the classic wording) as `message` at input offset `offset`. Returns only
// in a check.
static void stop_on_fault(const char *fault, const char *message, uint64_t offset) {
  if (error_reporting.format == ErrorFormat::classic) {
    if (readable_form) readable_flush_targets();
    fprintf(message_stream, "ERROR -%s in line %" PRId64 "\n", fault, current_line);
    end_process(EXIT_INPUT_FAULT);
  }
  report_input_error(place_of(offset), message);
  if (!error_reporting.check) end_process(EXIT_INPUT_FAULT);
  drop_statement();
}

// The matched operator needs `count` trees on the stack and finds fewer.
[[gnu::noinline]] static void report_missing_operand(size_t count) {
  char message[80];
  snprintf(message, sizeof message, "'%c' needs %s before it", yy_token_text[0],
           count == 1 ? "an operand" : "two operands");
  if (yy_token_text[0] == ';') snprintf(message, sizeof message, "expected an operand before ';'");
  stop_on_fault("missing operand", message, yy_offset_of(yy_token_text));
}

// Whether the stack holds the `count` trees that the matched operator needs; false, after the
// report, when it does not (only a check goes on).
static bool require_trees(size_t count) {
  if (node_stack.depth >= count) return true;
  report_missing_operand(count);
  return false;
}

// The closing piece completes a quoted name: an operand, whose text is queued, or an
// assignment target, which is written at once.
[[gnu::noinline]] static int close_quoted_name(bool target) {
  token_text_append_match();
  if (target && readable_form) {
    readable_hold_target(token_text_buffer, token_text_length);
  } else if (target) {
    output_text(token_text_buffer, token_text_length);
  } else {
    enqueue_fragment(token_text_buffer, token_text_length);
    push_node(&node_stack, create_leaf());
  }
  token_text_clear();
  yy_begin(NORMAL);
  return YY_NO_TOKEN;
}

[[gnu::noinline]] static int push_operand() {
  enqueue_matched_text();
  push_node(&node_stack, create_leaf());
  return YY_NO_TOKEN;
}

// A brace or a newline goes to the output the moment it is read; a newline ends a line.
[[gnu::noinline]] static int copy_layout() {
  if (yy_token_text[0] == '\n') count_line();
  output_char(yy_token_text[0]);
  return YY_NO_TOKEN;
}

// In the readable form, what stands inside a statement is moved out of it.
[[gnu::noinline]] static int place_layout() {
  if (yy_token_text[0] == '\n') count_line();
  return readable_layout(yy_token_text[0]);
}

[[gnu::noinline]] static int write_target() {
  output_padded_text(yy_token_text, yy_token_length);  // a match has slack behind it
  return YY_NO_TOKEN;
}

// The two topmost trees become the operands of a new operator node, which takes their place:
// the left operand's cell is reused for the new tree.
[[gnu::noinline]] static int join_operands(char op) {
  if (!require_trees(2)) return YY_NO_TOKEN;
  ExprNode *right = pop_node(&node_stack);
  StackCell *cell = node_stack.top;
  ExprNode *node = create_operator(op, cell->node, right);
  add_parens(node);
  cell->node = node;
  return YY_NO_TOKEN;
}

// The top tree changes its flag where it lies: taking it off and putting it back is the same.
[[gnu::noinline]] static int negate_top() {
  if (!require_trees(1)) return YY_NO_TOKEN;
  node_stack.top->node->negated ^= 1;
  return YY_NO_TOKEN;
}

// A second tree left on the stack would take the next statement's operand texts, so the
// statement is refused before anything of it is printed. Null in a check when it is in error.
static ExprNode *pop_statement_root() {
  if (!require_trees(1)) return nullptr;
  if (node_stack.depth > 1) {
    char message[96];
    snprintf(message, sizeof message, "expected an operator before ';': %zu operands are not joined", node_stack.depth);
    stop_on_fault("missing operator", message, yy_offset_of(yy_token_text));
    return nullptr;
  }
  return pop_node(&node_stack);
}

// The ";" of a statement in error in a check: the next one starts afresh.
[[gnu::noinline]] static int resume_after_statement() {
  release_node_stack(&node_stack);
  clear_fragment_queue();
  error_reporting.passing_over = false;
  return YY_NO_TOKEN;
}

[[gnu::noinline]] static int end_statement() {
  if (error_reporting.passing_over) return resume_after_statement();
  ExprNode *root = pop_statement_root();
  if (root == nullptr) return resume_after_statement();
  bool negated_group = root->left != nullptr && root->negated;
  if (!negated_group) remove_parens(root);
  print_and_release_tree(root);
  output_char(';');
  return YY_NO_TOKEN;
}

[[gnu::noinline]] static int end_readable_statement() {
  ExprNode *root = pop_statement_root();
  return root != nullptr ? readable_end_statement(root) : resume_after_statement();
}

// A comment line goes to the output as it was read: its "--", then the rest of the line
// straight from the match, however long it is.
int take_comment_line(const char *rest, size_t rest_length) {
  if (readable_form) readable_comment_line(rest_length > 0 && rest[rest_length - 1] == '\n');
  output_text(COMMENT_MARK, COMMENT_MARK_LENGTH);
  output_text(rest, rest_length);
  return YY_NO_TOKEN;
}

// The scan ends (end of input or the end marker): a statement still being built is an error,
// reported after its last token.
static int end_scan() {
  if (readable_form) readable_flush_targets();
  if (node_stack.top != nullptr) {
    uint64_t end = yy_offset_of(yy_token_text);
    char message[64] = "expected ';' at the end of the input";
    if (previous_token_end(end, &end)) {
      char text[41];
      input_text(token_start_before(end), end, text, sizeof text);
      snprintf(message, sizeof message, "expected ';' after '%s'", text);
    }
    stop_on_fault("missing semicolon", message, end);
  }
  error_reporting.passing_over = false;
  return 0;
}

// The input ends inside a quoted name: reported at its opening backslash.
static int end_in_quoted_name() {
  stop_on_fault("unterminated quoted name", "unterminated quoted name: no closing backslash", quote_start);
  release_node_stack(&node_stack);
  token_text_clear();
  error_reporting.passing_over = false;
  return 0;
}

// Every action that does more than a store or two is a function of its own that returns
// what yy_rule_action returns: the dispatch reaches it by a tail call and so needs no stack
// frame of its own. The expression's tokens come first, then names that are copied, then
// the text around them. Where the readable form acts otherwise, its action is chosen here by
// a test of readable_form, so that the default form's action runs as it did without it. The
// switch has no default: the compiler names an action of the rules that has no case here.
int yy_rule_action(int action) {
  switch (static_cast<ScanAction>(action)) {
    case RULE_IDENTIFIER:
    case RULE_IDENTIFIER_ARGS:
    case RULE_NUMBER:
      return push_operand();
    case RULE_AND:
      return join_operands('&');
    case RULE_OR:
      return join_operands('|');
    case RULE_NOT:
      return negate_top();
    case RULE_SEMICOLON:
      return readable_form ? end_readable_statement() : end_statement();
    case RULE_TARGET:
    case RULE_TARGET_ARGS:
      return readable_form ? readable_hold_target(yy_token_text, yy_token_length) : write_target();
    case RULE_QUOTED_NAME:
    case RULE_QUOTED_NAME_ARGS:
      refuse_nul_in_match();
      return push_operand();
    case RULE_QUOTED_TARGET:
    case RULE_QUOTED_TARGET_ARGS:
      refuse_nul_in_match();
      return readable_form ? readable_hold_target(yy_token_text, yy_token_length) : write_target();
    case RULE_QUOTE_CLOSE_TARGET:
    case RULE_QUOTE_CLOSE_ARGS_TARGET:
      return close_quoted_name(true);
    case RULE_QUOTE_CLOSE:
    case RULE_QUOTE_CLOSE_ARGS:
      return close_quoted_name(false);
    case RULE_BLANK:
      return YY_NO_TOKEN;
    case RULE_LBRACE:
    case RULE_RBRACE:
    case RULE_NEWLINE:
      return readable_form ? place_layout() : copy_layout();
    case RULE_END_MARKER:
      return end_scan();
    case RULE_ILLEGAL:
      stop_on_illegal_character(yy_token_text);
      return YY_NO_TOKEN;
      SHARED_RULE_ACTION_CASES
    case ACTION_EOF_COMMENT_LINE:  // only "--" was read on the last line
      finish_comment("", 0, false);
      return end_scan();
    case ACTION_EOF_QUOTED_NAME:
      return end_in_quoted_name();
    case ACTION_EOF_NORMAL:
      return end_scan();
  }
  yy_no_action_found();
}

// The postfix token rules' actions: operands become leaves on the node stack, "&" and "|"
// join the two topmost trees, "!" flips the topmost tree's negation, and ";" prints the
// finished tree in infix form. Targets, braces, newlines and comment lines are copied to
// the output the moment they are read. Entry point: yy_rule_action, called by the engine.
#include "postfix_scanner.h"

#include <cstdio>
#include <cstring>

#include "expr_tree.h"
#include "fragment_queue.h"
#include "output.h"
#include "postfix_scan_tables.h"
#include "process.h"
#include "scanner.h"
#include "token_text.h"

constexpr char COMMENT_MARK[] = "--";  // what opens a comment line; kept in its output
constexpr size_t COMMENT_MARK_LENGTH = sizeof(COMMENT_MARK) - 1;

int current_line = 1;

int yy_is_terminal(int) { return 0; }  // input is always read in blocks

void reset_postfix_scanner() {
  token_text_clear();
  release_tree_storage();
  current_line = 1;
}

static void append_match() { token_text_append(yy_token_text, yy_token_length); }

[[noreturn]] static void illegal_character(const char *text) {
  fprintf(message_stream, "ERROR -illegal character %s", text);
  end_process(EXIT_INPUT_FAULT);
}

// A NUL inside a quoted name or a comment line would cut the text short wherever it is
// used as a string, so it is refused like any other byte outside the language.
static void refuse_nul() {
  if (memchr(yy_token_text, 0, yy_token_length) != nullptr) illegal_character("");
}

[[noreturn]] static void stop_on_fault(const char *fault) {
  fprintf(message_stream, "ERROR -%s in line %d\n", fault, current_line);
  end_process(EXIT_INPUT_FAULT);
}

static void require_trees(size_t count) {
  if (node_stack.depth < count) stop_on_fault("missing operand");
}

static void close_quoted_operand() {
  append_match();
  enqueue_fragment(token_text_buffer, token_text_length);
  push_node(&node_stack, create_leaf());
  token_text_clear();
  yy_begin(NORMAL);
}

static void close_quoted_target() {
  append_match();
  output_text(token_text_buffer, token_text_length);
  token_text_clear();
  yy_begin(NORMAL);
}

// The two topmost trees become the operands of a new operator node, which takes their place:
// the left operand's cell is reused for the new tree.
static void join_operands(char op) {
  require_trees(2);
  ExprNode *right = pop_node(&node_stack);
  StackCell *cell = node_stack.top;
  ExprNode *node = create_operator(op, cell->node, right);
  add_parens(node);
  cell->node = node;
}

// The top tree changes its flag where it lies: taking it off and putting it back is the same.
static void negate_top() {
  require_trees(1);
  node_stack.top->node->negated ^= 1;
}

// A second tree left on the stack would take the next statement's operand texts, so the
// statement is refused before anything of it is printed.
static void end_statement() {
  require_trees(1);
  if (node_stack.depth > 1) stop_on_fault("missing operator");
  ExprNode *root = pop_node(&node_stack);
  bool negated_group = root->left != nullptr && root->negated;
  if (!negated_group) remove_parens(root);
  print_and_release_tree(root);
  output_char(';');
}

// A comment is assembled from its "--" and the rest of its line, then written whole.
static void open_comment() {
  token_text_append(COMMENT_MARK, COMMENT_MARK_LENGTH);
  yy_begin(COMMENT_LINE);
}

static void write_comment() {
  output_text(token_text_buffer, token_text_length);
  token_text_clear();
  yy_begin(NORMAL);
}

// The scan ends (end of input or the end marker): a statement still being built is an error.
static int end_scan() {
  if (node_stack.top != nullptr) stop_on_fault("missing semicolon");
  return 0;
}

int yy_rule_action(int action) {
  switch (action) {
    case RULE_QUOTE_OPEN:
      append_match();
      yy_begin(QUOTED_NAME);
      break;
    case RULE_QUOTE_CLOSE:
    case RULE_QUOTE_CLOSE_ARGS:
      close_quoted_operand();
      break;
    case RULE_QUOTE_CLOSE_TARGET:
    case RULE_QUOTE_CLOSE_ARGS_TARGET:
      close_quoted_target();
      break;
    case RULE_QUOTE_BACKSLASHES:
    case RULE_QUOTE_CHAR:
      refuse_nul();
      append_match();
      break;
    case RULE_AND:
      join_operands('&');
      break;
    case RULE_OR:
      join_operands('|');
      break;
    case RULE_NOT:
      negate_top();
      break;
    case RULE_IDENTIFIER:
    case RULE_IDENTIFIER_ARGS:
    case RULE_NUMBER:
      enqueue_matched_text();
      push_node(&node_stack, create_leaf());
      break;
    case RULE_TARGET:
    case RULE_TARGET_ARGS:
      output_text(yy_token_text, yy_token_length);
      break;
    case RULE_SEMICOLON:
      end_statement();
      break;
    case RULE_BLANK:
      break;
    case RULE_LBRACE:
    case RULE_RBRACE:
      output_char(yy_token_text[0]);
      break;
    case RULE_NEWLINE:
      output_char('\n');
      current_line++;
      break;
    case RULE_END_MARKER:
      return end_scan();
    case RULE_COMMENT_OPEN:
      open_comment();
      break;
    case RULE_COMMENT_LINE:
      refuse_nul();
      append_match();
      write_comment();
      current_line++;
      break;
    case RULE_COMMENT_TAIL:  // the input ends without a newline: no line completed
      refuse_nul();
      append_match();
      write_comment();
      break;
    case RULE_ILLEGAL:
      illegal_character(yy_token_text);
    case RULE_DEFAULT:
      yy_echo();  // only a newline inside a quoted name gets here: not part of the name
      break;
    case ACTION_EOF_COMMENT_LINE:
      write_comment();
      return end_scan();
    case ACTION_EOF_QUOTED_NAME:
      stop_on_fault("unterminated quoted name");
    case ACTION_EOF_NORMAL:
      return end_scan();
    default:
      yy_no_action_found();
  }
  return YY_NO_TOKEN;
}

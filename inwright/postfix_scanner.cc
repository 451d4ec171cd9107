// The postfix token rules' actions: operands become leaves on the node stack, "&" and "|"
// join the two topmost trees, "!" flips the topmost tree's negation, and ";" prints the
// finished tree in infix form. Targets, braces, newlines and comment lines are copied to
// the output the moment they are read. Entry point: yy_rule_action, called by the engine.
#include "postfix_scanner.h"

#include <cstdlib>
#include <cstring>

#include "expr_tree.h"
#include "fragment_queue.h"
#include "postfix_scan_tables.h"
#include "scanner.h"

constexpr int INPUT_ERROR_STATUS = 1;    // the user's input is at fault
constexpr int OUT_OF_MEMORY_STATUS = 2;  // same status as the scanner's own fatal errors
constexpr char COMMENT_MARK[] = "--";    // what opens a comment line; kept in its output
constexpr size_t COMMENT_MARK_LENGTH = sizeof(COMMENT_MARK) - 1;

char *token_text_buffer = nullptr;
size_t token_text_size = 0;
size_t token_text_length = 0;
int current_line = 1;

static size_t comment_length = 0;  // characters of the open comment line, "--" included

int yy_is_terminal(int) { return 0; }  // input is always read in blocks


// Makes room for `length` more characters after `used` ones, plus a terminating NUL.
static void reserve_token_text(size_t used, size_t length) {
  size_t needed = used + length + 1;
  if (needed <= token_text_size) return;
  size_t size = token_text_size == 0 ? TOKEN_TEXT_INITIAL_SIZE : token_text_size;
  while (size < needed) size *= 2;
  char *grown = static_cast<char *>(realloc(token_text_buffer, size));
  if (grown == nullptr) {
    fputs("out of dynamic memory in reserve_token_text()\n", stderr);
    exit(OUT_OF_MEMORY_STATUS);
  }
  token_text_buffer = grown;
  token_text_size = size;
}

// Copies `length` characters to position `at` of the work buffer and returns the new end.
static size_t put_token_text(size_t at, const char *text, size_t length) {
  reserve_token_text(at, length);
  memcpy(token_text_buffer + at, text, length);
  token_text_buffer[at + length] = 0;
  return at + length;
}

[[noreturn]] static void illegal_character(const char *text) {
  printf("ERROR -illegal character %s", text);
  exit(INPUT_ERROR_STATUS);
}

// A NUL inside a quoted name or a comment line would cut the text short wherever it is
// used as a string, so it is refused like any other byte outside the language.
static void refuse_nul(const char *text, size_t length) {
  if (memchr(text, 0, length) != nullptr) illegal_character("");
}

[[noreturn]] static void stop_on_fault(const char *fault) {
  printf("ERROR -%s in line %d\n", fault, current_line);
  exit(INPUT_ERROR_STATUS);
}

static void require_trees(int count) {
  if (stacked_tree_count(&node_stack, count) < count) stop_on_fault("missing operand");
}

static void push_operand(const char *text) {
  enqueue_fragment(text);
  push_node(&node_stack, create_leaf());
}

static void close_quoted_operand() {
  token_text_length = put_token_text(token_text_length, yy_token_text, static_cast<size_t>(yy_token_length));
  enqueue_fragment(token_text_buffer);
  token_text_length = 0;
  yy_begin(NORMAL);
  push_node(&node_stack, create_leaf());
}

static void close_quoted_target() {
  token_text_length = put_token_text(token_text_length, yy_token_text, static_cast<size_t>(yy_token_length));
  fwrite(token_text_buffer, 1, token_text_length, output_stream);
  yy_begin(NORMAL);
  token_text_length = 0;
}

static void join_operands(char op) {
  require_trees(2);
  ExprNode *right = pop_node(&node_stack);
  ExprNode *left = pop_node(&node_stack);
  ExprNode *node = create_operator(op, left, right);
  add_parens(node);
  push_node(&node_stack, node);
}

static void negate_top() {
  require_trees(1);
  ExprNode *tree = pop_node(&node_stack);
  tree->negated = tree->negated ? 0 : 1;
  push_node(&node_stack, tree);
}

// A second tree left on the stack would take the next statement's operand texts, so the
// statement is refused before anything of it is printed.
static void end_statement() {
  require_trees(1);
  if (stacked_tree_count(&node_stack, 2) > 1) stop_on_fault("missing operator");
  ExprNode *root = pop_node(&node_stack);
  bool negated_group = root->left != nullptr && root->negated;
  if (!negated_group) remove_parens(root);
  print_tree(root, output_stream);
  release_tree(root);
  fputc(';', output_stream);
}

static void open_comment() {
  comment_length = put_token_text(0, COMMENT_MARK, COMMENT_MARK_LENGTH);
  yy_begin(COMMENT_LINE);
}

static void add_comment_text(const char *text, size_t length) {
  refuse_nul(text, length);
  comment_length = put_token_text(comment_length, text, length);
}

static void write_comment() {
  fwrite(token_text_buffer, 1, comment_length, output_stream);
  comment_length = 0;
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
      token_text_length = put_token_text(token_text_length, yy_token_text, static_cast<size_t>(yy_token_length));
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
      refuse_nul(yy_token_text, static_cast<size_t>(yy_token_length));
      token_text_length = put_token_text(token_text_length, yy_token_text, static_cast<size_t>(yy_token_length));
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
      push_operand(yy_token_text);
      break;
    case RULE_TARGET:
    case RULE_TARGET_ARGS:
      fwrite(yy_token_text, 1, static_cast<size_t>(yy_token_length), output_stream);
      break;
    case RULE_SEMICOLON:
      end_statement();
      break;
    case RULE_BLANK:
      break;
    case RULE_LBRACE:
    case RULE_RBRACE:
      fputc(yy_token_text[0], output_stream);
      break;
    case RULE_NEWLINE:
      fputc('\n', output_stream);
      current_line++;
      break;
    case RULE_END_MARKER:
      return end_scan();
    case RULE_COMMENT_OPEN:
      open_comment();
      break;
    case RULE_COMMENT_LINE:
      add_comment_text(yy_token_text, static_cast<size_t>(yy_token_length));
      write_comment();
      current_line++;
      break;
    case RULE_COMMENT_TAIL:  // the input ends without a newline: no line completed
      add_comment_text(yy_token_text, static_cast<size_t>(yy_token_length));
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
      yy_fatal("fatal flex scanner internal error--no action found");
  }
  return YY_NO_TOKEN;
}

// The readable form: the printer with only the parentheses that precedence needs, the
// targets held back until their statement's ";", and where comments, braces and newlines go.
// A statement is under way from its first target or operand to its ";": while targets are
// held or trees lie on the node stack.
//
// The printer is the in-order walk of print_tree with an explicit stack, its depth bounded by
// memory, not by the call stack. A group's pair is decided on the way down its left side,
// where its "(" is printed; its ")" is due after its rightmost leaf, so the count of ")" due
// is carried down each right side and printed at the leaf where the groups end.
#include "readable.h"

#include <cstdlib>
#include <cstring>

#include "fragment_queue.h"
#include "infix_grammar_tables.h"
#include "output.h"
#include "process.h"
#include "record_pool.h"
#include "scanner.h"

bool readable_form = false;

// --- The printer ---

// An operator node whose sign and right side are still due.
struct PendingGroup {
  ExprNode *node;       // the operator node
  size_t closes_after;  // ")" due after its rightmost leaf: its own pair's and enclosing ones'
};

static PendingGroup *pending = nullptr;  // kept from one statement to the next
static size_t pending_capacity = 0;      // entries allocated for pending

static void push_pending(size_t depth, PendingGroup group) {
  if (depth == pending_capacity) {
    size_t capacity = pending_capacity == 0 ? 64 : pending_capacity * 2;
    auto *grown = static_cast<PendingGroup *>(realloc(pending, capacity * sizeof *pending));
    if (grown == nullptr) die("print_readable_tree");
    pending = grown;
    pending_capacity = capacity;
  }
  pending[depth] = group;
}

constexpr char NO_OPERATOR = 0;  // the operator above a statement's root

// The operators as the infix grammar has them (GRAMMAR_OPERATORS), by sign: each one's level
// and grouping, and its sign with a blank on each side, padded to SHORT_TEXT bytes so that it
// is written with one fixed-size move. NOT is no operator node but a node's flag, and binds
// tighter than every operator.
struct OperatorForm {
  uint8_t level;              // precedence level, from 1; 0 for NO_OPERATOR and for no operator
  OperatorGrouping grouping;  // of operators of one level
  char spaced[SHORT_TEXT];    // " & "
};
constexpr size_t SPACED_SIGN_LENGTH = 3;

struct OperatorForms {
  OperatorForm by_sign[256];
};

// Made when the program starts: a constant expression would be worked out by the compiler,
// and no run would show that it was right.
static OperatorForms operator_forms() {
  OperatorForms forms{};
  for (const GrammarOperator *op = GRAMMAR_OPERATORS; op->sign != 0; op++) {
    OperatorForm &form = forms.by_sign[static_cast<unsigned char>(op->sign)];
    form.level = op->level;
    form.grouping = op->grouping;
    form.spaced[0] = ' ';
    form.spaced[1] = op->sign;
    form.spaced[2] = ' ';
  }
  return forms;
}
static const OperatorForms OPERATOR_FORMS = operator_forms();

static const OperatorForm &form_of(char op) { return OPERATOR_FORMS.by_sign[static_cast<unsigned char>(op)]; }

// Whether an operator node's group needs a pair as the operand of `parent` (NO_OPERATOR at
// the root), its right operand or its left: when it binds looser than its parent, or as
// loose and its side is not the one that the level groups to; a negated group's "!" stands
// before its pair.
static bool needs_pair(const ExprNode *node, char parent, bool right) {
  if (node->negated) return true;
  if (parent == NO_OPERATOR) return false;
  const OperatorForm &outer = form_of(parent);
  const OperatorForm &inner = form_of(node->op);
  if (inner.level != outer.level) return inner.level < outer.level;
  return outer.grouping != (right ? OperatorGrouping::right : OperatorGrouping::left);
}

static void print_sign(char op) { output_padded_text(form_of(op).spaced, SPACED_SIGN_LENGTH); }

void print_readable_tree(ExprNode *node) {
  size_t depth = 0;
  char parent = NO_OPERATOR;  // the operator whose operand `node` is
  bool right = false;         // `node` is its parent's right operand
  size_t closes = 0;          // ")" due after `node`'s subtree
  for (;;) {
    for (; node->left != nullptr; node = node->left) {
      bool pair = needs_pair(node, parent, right);
      if (node->negated) output_char('!');
      if (pair) output_char('(');
      push_pending(depth++, {node, closes + (pair ? 1 : 0)});
      parent = node->op;
      right = false;
      closes = 0;
    }
    if (node->negated) output_char('!');
    print_next_fragment();
    // Not output_repeat: a second caller made the compiler stop inlining it into print_tree.
    for (; closes > 0; closes--) output_char(')');
    pool_give(&expr_node_pool, node);
    if (depth == 0) return;
    PendingGroup due = pending[--depth];
    print_sign(due.node->op);
    parent = due.node->op;
    right = true;
    closes = due.closes_after;
    node = due.node->right;
    pool_give(&expr_node_pool, due.node);
  }
}

// --- The layout ---
//
// The rule actions' helpers are kept out of line: inlined into the actions, they would make
// the default form's actions save registers for them.

static char *held_targets = nullptr;  // the statement's targets, each followed by a blank
static size_t held_length = 0;        // bytes in held_targets; 0 when none is held
static size_t held_capacity = 0;      // bytes allocated for held_targets
static bool line_open = false;        // the output's last line has text: what follows joins it

static bool in_statement() { return held_length > 0 || node_stack.top != nullptr; }

[[gnu::noinline]] int readable_hold_target(const char *text, size_t length) {
  size_t need = held_length + length + 1;
  if (need > held_capacity) {
    size_t capacity = held_capacity == 0 ? 256 : held_capacity;
    while (capacity < need) capacity *= 2;
    auto *grown = static_cast<char *>(realloc(held_targets, capacity));
    if (grown == nullptr) die("readable_hold_target");
    held_targets = grown;
    held_capacity = capacity;
  }
  memcpy(held_targets + held_length, text, length);
  held_targets[held_length + length] = ' ';
  held_length = need;
  return YY_NO_TOKEN;
}

[[gnu::noinline]] int readable_end_statement(ExprNode *root) {
  if (held_length > 0) output_text(held_targets, held_length);  // none held: held_targets may be null
  held_length = 0;
  print_readable_tree(root);
  output_char(';');
  line_open = true;
  return YY_NO_TOKEN;
}

// What stood inside a statement goes before it, on a line of its own.
static void begin_own_line() {
  if (line_open) output_char('\n');
  line_open = false;
}

[[gnu::noinline]] int readable_layout(char c) {
  bool inside = in_statement();
  if (c == '\n') {
    if (inside) return YY_NO_TOKEN;
    output_char(c);
    line_open = false;
  } else if (inside) {
    begin_own_line();
    output_char(c);
    output_char('\n');
  } else {
    output_char(c);
    line_open = true;
  }
  return YY_NO_TOKEN;
}

[[gnu::noinline]] void readable_comment_line(bool ends_line) {
  if (in_statement()) {
    // Without its newline, the comment is the input's last text: nothing more of the
    // statement follows, so what is held of it goes first.
    if (!ends_line) readable_flush_targets();
    begin_own_line();
  }
  line_open = !ends_line;
}

[[gnu::noinline]] void readable_flush_targets() {
  if (held_length == 0) return;
  output_text(held_targets, held_length - 1);  // without the blank meant for the expression
  held_length = 0;
  line_open = true;
}

void readable_reset() {
  free(pending);
  pending = nullptr;
  pending_capacity = 0;
  free(held_targets);
  held_targets = nullptr;
  held_length = 0;
  held_capacity = 0;
  line_open = false;
  readable_form = false;
}

// Expression trees: construction, the node stack, the parenthesis counters, the infix
// printer and the release of a tree.
//
// The printer is an in-order traversal with an explicit stack (Knuth, TAOCP vol. 1, 2.3.1,
// Algorithm T), so its depth is bounded by memory, not by the call stack. Trees are released
// by right rotations that turn the tree into a list while freeing it (the "tree to vine" step
// of Stout and Warren, CACM 29(9), 1986), which needs no stack at all. Parentheses live as
// counters on leaves; each operator node caches the leaves its group begins and ends at, so
// giving or taking a pair is constant time even on a long left-nested chain.
#include "expr_tree.h"

#include <cstdlib>

#include "fragment_queue.h"
#include "output.h"
#include "process.h"
#include "record_pool.h"

NodeStack node_stack = {nullptr, nullptr, 0};
RecordPool expr_node_pool = RECORD_POOL(ExprNode, "create_node");
RecordPool stack_cell_pool = RECORD_POOL(StackCell, "push_node");

// Prints a leaf with the marks of the groups that begin at it. `spine` lists the operator
// nodes from the outermost group beginning at this leaf down to its parent; the innermost of
// them own the innermost of the leaf's opening parentheses, so a negated spine node's "!"
// goes where only its own and the deeper groups' parentheses remain to be printed.
[[gnu::always_inline]] static inline void print_leaf(const ExprNode *leaf, ExprNode *const *spine,
                                                     size_t spine_length) {
  int64_t printed = 0;  // opening parentheses printed so far
  for (size_t i = 0; i < spine_length; i++) {
    if (!spine[i]->negated) continue;
    int64_t before_mark = leaf->open_parens - static_cast<int64_t>(spine_length - i);
    output_repeat('(', static_cast<size_t>(before_mark - printed));
    printed = before_mark;
    output_char('!');
  }
  output_repeat('(', static_cast<size_t>(leaf->open_parens - printed));
  if (leaf->negated) output_char('!');
  print_next_fragment();
  output_repeat(')', static_cast<size_t>(leaf->close_parens));
}

// Operator nodes whose operator and right side are still due, kept from one statement to the
// next so that printing allocates only when a tree is deeper than any before it.
static ExprNode **pending = nullptr;
static size_t pending_capacity = 0;

static void push_pending(size_t depth, ExprNode *node) {
  if (depth == pending_capacity) {
    size_t capacity = pending_capacity == 0 ? 64 : pending_capacity * 2;
    auto *grown = static_cast<ExprNode **>(realloc(pending, capacity * sizeof *pending));
    if (grown == nullptr) die("print_tree");
    pending = grown;
    pending_capacity = capacity;
  }
  pending[depth] = node;
}

// The in-order walk. With `release`, each node goes back to the pool once it is printed:
// a leaf at once, an operator node once its sign is out and its right side is known.
static void walk_tree(ExprNode *node, bool release) {
  size_t depth = 0;
  for (;;) {
    size_t spine_start = depth;
    for (; node->left != nullptr; node = node->left) push_pending(depth++, node);
    print_leaf(node, pending + spine_start, depth - spine_start);
    if (release) pool_give(&expr_node_pool, node);
    if (depth == 0) return;
    ExprNode *parent = pending[--depth];
    output_char(parent->op);
    node = parent->right;
    if (release) pool_give(&expr_node_pool, parent);
  }
}

void print_tree(const ExprNode *node) { walk_tree(const_cast<ExprNode *>(node), false); }

void print_and_release_tree(ExprNode *node) { walk_tree(node, true); }

void release_tree(ExprNode *node) {
  while (node != nullptr) {
    if (node->left == nullptr) {
      ExprNode *next = node->right;
      pool_give(&expr_node_pool, node);
      node = next;
    } else {  // rotate right: the left child moves up, the node becomes its right child
      ExprNode *child = node->left;
      node->left = child->right;
      child->right = node;
      node = child;
    }
  }
}

void release_node_stack(NodeStack *stack) {
  while (stack->top != nullptr) release_tree(pop_node(stack));
}

void expr_tree_reset() {
  release_node_stack(&node_stack);
  pool_release(&expr_node_pool);
  pool_release(&stack_cell_pool);
  free(pending);
  pending = nullptr;
  pending_capacity = 0;
}

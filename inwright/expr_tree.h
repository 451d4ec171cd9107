// Expression trees of one postfix statement: operator nodes and operand leaves, the node
// stack the token rules build them on, the parenthesis counters, the infix printer and the
// release of a tree. Entry points: create_leaf, create_operator, push_node, pop_node,
// add_parens, remove_parens, print_tree, release_tree.
#ifndef INWRIGHT_EXPR_TREE_H
#define INWRIGHT_EXPR_TREE_H

#include <cstddef>
#include <cstdint>

#include "record_pool.h"

constexpr char LEAF_OP = 1;  // `op` of an operand leaf; operator nodes hold '&' or '|'

// One node; operators and operands share the type. Leaves hold no text: the printer takes
// the oldest queued fragment for each leaf it meets, which is the leaf's own operand text
// because postfix and infix list the operands in the same order.
struct ExprNode {
  char op;               // '&' or '|' in an operator node, LEAF_OP in a leaf, 0 when fresh
  uint8_t negated;       // 1 when the node's value is negated, else 0
  int32_t open_parens;   // "(" printed before this leaf's text; nonzero only in leaves
  int32_t close_parens;  // ")" printed after this leaf's text; nonzero only in leaves
  ExprNode *left;        // left operand; null exactly in a leaf
  ExprNode *right;       // right operand; null in a leaf
  ExprNode *leftmost;    // operator node: the leaf its group begins at; null in a leaf
  ExprNode *rightmost;   // operator node: the leaf its group ends at; null in a leaf
};

// One stacked tree. The stack owns its cells; a tree passes to whoever pops it.
struct StackCell {
  ExprNode *node;   // root of the stacked tree
  StackCell *next;  // cell below; null in the bottom cell
};

struct NodeStack {
  StackCell *bottom;  // first cell pushed since the stack was last empty; null when empty
  StackCell *top;     // most recently pushed cell; null when empty
  size_t depth;       // trees on the stack
};

extern NodeStack node_stack;  // trees of the statement being read; empty at start

// Nodes and cells come from pools: a token costs no allocation once a run is under way.
extern RecordPool expr_node_pool;
extern RecordPool stack_cell_pool;

// Both constructors end the process (status 2) when memory runs out; they never return null.
inline ExprNode *create_leaf() {
  auto *leaf = static_cast<ExprNode *>(pool_take(&expr_node_pool));
  *leaf = ExprNode{};
  leaf->op = LEAF_OP;
  return leaf;
}

// The subtrees never change shape once joined, so the cached end leaves stay valid.
inline ExprNode *create_operator(char op, ExprNode *left, ExprNode *right) {
  auto *node = static_cast<ExprNode *>(pool_take(&expr_node_pool));
  *node = ExprNode{};
  node->op = op;
  node->left = left;
  node->right = right;
  node->leftmost = left->left == nullptr ? left : left->leftmost;
  node->rightmost = right->left == nullptr ? right : right->rightmost;
  return node;
}

inline void push_node(NodeStack *stack, ExprNode *tree) {
  auto *cell = static_cast<StackCell *>(pool_take(&stack_cell_pool));
  cell->node = tree;
  cell->next = stack->top;
  if (stack->bottom == nullptr) stack->bottom = cell;
  stack->top = cell;
  stack->depth++;
}

// The stack must not be empty.
inline ExprNode *pop_node(NodeStack *stack) {
  StackCell *cell = stack->top;
  ExprNode *tree = cell->node;
  stack->top = cell->next;
  if (stack->top == nullptr) stack->bottom = nullptr;
  stack->depth--;
  pool_give(&stack_cell_pool, cell);
  return tree;
}

// One more pair around the node's group; no effect on a leaf.
inline void add_parens(ExprNode *node) {
  if (node->left == nullptr) return;
  node->leftmost->open_parens++;
  node->rightmost->close_parens++;
}

// One pair fewer; no effect on a leaf.
inline void remove_parens(ExprNode *node) {
  if (node->left == nullptr) return;
  node->leftmost->open_parens--;
  node->rightmost->close_parens--;
}

// Prints the tree in infix form to the output; each leaf's text comes from print_next_fragment.
void print_tree(const ExprNode *node);

// The same, releasing every node once it is printed: print_tree then release_tree in one walk.
void print_and_release_tree(ExprNode *node);

void release_tree(ExprNode *node);          // releases every node of the tree
void release_node_stack(NodeStack *stack);  // releases every cell and stacked tree

// Releases the node stack and all memory kept for nodes, cells and the printer: back to the
// state at program start.
void expr_tree_reset();

#endif

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
#include <vector>

#include "fragment_queue.h"

constexpr int OUT_OF_MEMORY_STATUS = 2;  // same status as the scanner's own fatal errors

NodeStack node_stack = {nullptr, nullptr};

static void *allocate_zeroed(size_t size, const char *who) {
  void *memory = calloc(1, size);
  if (memory == nullptr) {
    fprintf(stderr, "out of dynamic memory in %s()\n", who);
    exit(OUT_OF_MEMORY_STATUS);
  }
  return memory;
}

ExprNode *create_leaf() {
  ExprNode *leaf = static_cast<ExprNode *>(allocate_zeroed(sizeof(ExprNode), "create_leaf"));
  leaf->op = LEAF_OP;
  return leaf;
}

static ExprNode *leftmost_leaf(ExprNode *node) { return node->left == nullptr ? node : node->leftmost; }

static ExprNode *rightmost_leaf(ExprNode *node) { return node->left == nullptr ? node : node->rightmost; }

// The subtrees never change shape once joined, so the cached end leaves stay valid.
ExprNode *create_operator(char op, ExprNode *left, ExprNode *right) {
  ExprNode *node = static_cast<ExprNode *>(allocate_zeroed(sizeof(ExprNode), "create_operator"));
  node->op = op;
  node->left = left;
  node->right = right;
  node->leftmost = leftmost_leaf(left);
  node->rightmost = rightmost_leaf(right);
  return node;
}

void push_node(NodeStack *stack, ExprNode *tree) {
  StackCell *cell = static_cast<StackCell *>(allocate_zeroed(sizeof(StackCell), "push_node"));
  cell->node = tree;
  if (stack->bottom == nullptr) {
    stack->bottom = cell;
  } else {
    cell->next = stack->top;
  }
  stack->top = cell;
}

ExprNode *pop_node(NodeStack *stack) {
  StackCell *cell = stack->top;
  StackCell *below = cell->next;
  ExprNode *tree = cell->node;
  free(cell);
  stack->top = below;
  if (below == nullptr) stack->bottom = nullptr;
  return tree;
}

int stacked_tree_count(const NodeStack *stack, int limit) {
  int count = 0;
  for (const StackCell *cell = stack->top; cell != nullptr && count < limit; cell = cell->next) count++;
  return count;
}

void add_parens(ExprNode *node) {
  if (node->left == nullptr) return;
  node->leftmost->open_parens++;
  node->rightmost->close_parens++;
}

void remove_parens(ExprNode *node) {
  if (node->left == nullptr) return;
  node->leftmost->open_parens--;
  node->rightmost->close_parens--;
}

// Prints "(" until `printed` reaches `target`.
static void open_up_to(int64_t target, int64_t *printed, FILE *stream) {
  for (; *printed < target; ++*printed) putc('(', stream);
}

// Prints a leaf with the marks of the groups that begin at it. `spine` lists the operator
// nodes from the outermost group beginning at this leaf down to its parent; the innermost of
// them own the innermost of the leaf's opening parentheses, so a negated spine node's "!"
// goes where only its own and the deeper groups' parentheses remain to be printed.
static void print_leaf(const ExprNode *leaf, const ExprNode *const *spine, size_t spine_length, FILE *stream) {
  int64_t printed = 0;
  for (size_t i = 0; i < spine_length; i++) {
    if (!spine[i]->negated) continue;
    open_up_to(leaf->open_parens - static_cast<int64_t>(spine_length - i), &printed, stream);
    putc('!', stream);
  }
  open_up_to(leaf->open_parens, &printed, stream);
  if (leaf->negated) putc('!', stream);
  print_next_fragment();
  for (int32_t i = 0; i < leaf->close_parens; i++) putc(')', stream);
}

void print_tree(const ExprNode *node, FILE *stream) {
  std::vector<const ExprNode *> pending;  // operator nodes whose operator and right side are still due
  for (;;) {
    size_t spine_start = pending.size();
    for (; node->left != nullptr; node = node->left) pending.push_back(node);
    print_leaf(node, pending.data() + spine_start, pending.size() - spine_start, stream);
    if (pending.empty()) return;
    const ExprNode *parent = pending.back();
    pending.pop_back();
    putc(parent->op, stream);
    node = parent->right;
  }
}

void release_tree(ExprNode *node) {
  while (node != nullptr) {
    if (node->left == nullptr) {
      ExprNode *next = node->right;
      free(node);
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

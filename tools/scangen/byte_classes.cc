// Partition refinement of the alphabet (input classes as in Aho, Lam, Sethi, Ullman,
// "Compilers", 2nd ed., 3.9): start from one block holding every byte and split each block by
// each byte set the patterns consume (member or not). Bytes left in one block are never told
// apart by any pattern, so the automaton needs one column per block instead of one per byte.
// Each split costs one pass over the 256 bytes.
#include "byte_classes.h"

namespace {

constexpr int FIRST_CLASS = 1;  // classes 1..C; 0 is the end-of-buffer symbol

// Splits every block of `classes` by membership in `set`; returns the number of blocks.
int split_blocks(ByteClasses *classes, const ByteSet &set) {
  int relabel[2 * BYTE_COUNT];  // (old block, member?) -> new block
  for (int &label : relabel) label = -1;
  int count = 0;
  for (int b = 0; b < BYTE_COUNT; b++) {
    int key = 2 * classes->class_of[b] + (byte_set_has(set, b) ? 1 : 0);
    if (relabel[key] < 0) relabel[key] = count++;
    classes->class_of[b] = relabel[key];
  }
  return count;
}

// Renumbers the blocks 1..C in the order of their lowest byte.
void number_by_lowest_byte(ByteClasses *classes, int block_count) {
  std::vector<int> number(block_count, 0);
  classes->first_byte.assign(1, NUL_BYTE);  // class 0 has no pattern byte; NUL stands in
  int next = FIRST_CLASS;
  for (int b = 0; b < BYTE_COUNT; b++) {
    int &assigned = number[classes->class_of[b]];
    if (assigned == 0) {
      assigned = next++;
      classes->first_byte.push_back(b);
    }
    classes->class_of[b] = assigned;
  }
  classes->class_count = next - FIRST_CLASS;
}

}  // namespace

ByteClasses compute_byte_classes(const Nfa &nfa) {
  ByteClasses classes{};
  int block_count = 1;
  for (const ByteSet &set : nfa.byte_sets) block_count = split_blocks(&classes, set);
  number_by_lowest_byte(&classes, block_count);
  classes.nul_class = classes.class_of[NUL_BYTE];
  for (int k = 0; k <= classes.class_count; k++) classes.meta.push_back(k);
  return classes;
}

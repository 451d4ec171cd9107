// Byte equivalence classes of the patterns, and the meta classes of template rows. Entry
// point: compute_byte_classes().
//
// Partition refinement of the alphabet: start from one block holding every byte and split
// each block by each byte set the patterns consume (member or not), as RE2's ByteMapBuilder
// does and as Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed., 3.9 uses for input classes.
// Bytes left in one block are never told apart by any pattern, so the automaton needs one
// column per block instead of one per byte. Each split costs one pass over the 256 bytes.
#include "byte_classes.h"

#include <cstddef>

ByteClasses byte_classes;

static const int FIRST_CLASS = 1;  // classes 1..C; 0 is the end-of-buffer symbol

// Splits every block by membership in `set`; returns the number of blocks.
static int split_blocks(const ByteSet &set) {
  int relabel[2 * BYTE_COUNT];  // (old block, member?) -> new block
  for (int &label : relabel) label = -1;
  int count = 0;
  for (int b = 0; b < BYTE_COUNT; b++) {
    int key = 2 * byte_classes.class_of[b] + (byte_set_has(set, b) ? 1 : 0);
    if (relabel[key] < 0) relabel[key] = count++;
    byte_classes.class_of[b] = relabel[key];
  }
  return count;
}

// Renumbers the blocks 1..C in the order of their lowest byte.
static void number_by_lowest_byte(int block_count) {
  std::vector<int> number(static_cast<size_t>(block_count), 0);
  byte_classes.first_byte.assign(1, NUL_BYTE);  // class 0 has no pattern byte; NUL stands in
  int next = FIRST_CLASS;
  for (int b = 0; b < BYTE_COUNT; b++) {
    int &assigned = number[static_cast<size_t>(byte_classes.class_of[b])];
    if (assigned == 0) {
      assigned = next++;
      byte_classes.first_byte.push_back(b);
    }
    byte_classes.class_of[b] = assigned;
  }
  byte_classes.class_count = next - FIRST_CLASS;
}

void compute_byte_classes() {
  for (int &c : byte_classes.class_of) c = 0;
  int block_count = 1;
  for (const ByteSet &set : nfa.byte_sets) block_count = split_blocks(set);
  number_by_lowest_byte(block_count);
  byte_classes.nul_class = byte_classes.class_of[NUL_BYTE];
  byte_classes.meta.resize(static_cast<size_t>(byte_classes.class_count) + 1);
  for (int k = 0; k <= byte_classes.class_count; k++) byte_classes.meta[static_cast<size_t>(k)] = k;
}

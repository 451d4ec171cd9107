// The fragment queue: a FIFO of operand and comment texts, each a heap copy, written to
// output_stream in the order they were queued. One queue per process.
#ifndef CORE_FRAGMENT_QUEUE_H
#define CORE_FRAGMENT_QUEUE_H

#include <cstdio>

struct FragmentNode {
  FragmentNode *next;  // node queued after this one; null for the newest
  char *text;          // NUL-terminated heap copy, owned by the node
};

extern FragmentNode *fragment_head;  // oldest node, the next to print; null when empty
extern FragmentNode *fragment_tail;  // newest node; null exactly when fragment_head is null
extern FILE *output_stream;          // the program's output file, opened by its driver

int enqueue_fragment(const char *text);  // 0 stored; ends the process if memory runs out
int print_next_fragment();               // 0 printed, -1 queue empty
void clear_fragment_queue();             // forgets the nodes; meant for the empty queue

// Releases every queued fragment; for tests and fuzzers that run several inputs.
void release_fragment_queue();

#endif

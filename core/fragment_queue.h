// The fragment queue: a FIFO of operand and comment texts, each a copy, written to the output
// in the order they were queued. One queue per process. Entry points: enqueue_fragment,
// enqueue_name_fragment, print_next_fragment.
#ifndef CORE_FRAGMENT_QUEUE_H
#define CORE_FRAGMENT_QUEUE_H

#include <cstddef>
#include <cstring>

struct FragmentChunk;

struct FragmentNode {
  FragmentNode *next;    // node queued after this one; null for the newest
  char *text;            // NUL-terminated copy, stored right behind the node
  size_t length;         // bytes of text, without the NUL
  FragmentChunk *chunk;  // the storage block that holds the node and its text
};

extern FragmentNode *fragment_head;  // oldest node, the next to print; null when empty
extern FragmentNode *fragment_tail;  // newest node; null exactly when fragment_head is null

// Queues a copy of `length` bytes (0 stored; memory exhaustion ends the process).
int enqueue_fragment(const char *text, size_t length);
inline int enqueue_fragment(const char *text) { return enqueue_fragment(text, strlen(text)); }

// Queues a name's fragment: the `length` bytes of the name followed by one blank.
int enqueue_name_fragment(const char *name, size_t length);

int print_next_fragment();    // 0 printed, -1 queue empty
void clear_fragment_queue();  // forgets the nodes; meant for the empty queue

// Releases every queued fragment and all storage; for tests and fuzzers that run several
// inputs in one process.
void release_fragment_queue();

#endif

// The fragment queue. A fragment that cannot be stored ends the process rather than going
// missing from the output: a converter that silently drops an operand writes a wrong file.
#include "fragment_queue.h"

#include <cstdlib>
#include <cstring>

FragmentNode *fragment_head = nullptr;
FragmentNode *fragment_tail = nullptr;
FILE *output_stream = nullptr;

int enqueue_fragment(const char *text) {
  size_t length = strlen(text);
  FragmentNode *node = static_cast<FragmentNode *>(calloc(1, sizeof(FragmentNode)));
  char *copy = static_cast<char *>(calloc(length + 1, 1));
  if (node == nullptr || copy == nullptr) {
    fputs("out of dynamic memory in enqueue_fragment()\n", stderr);
    exit(2);
  }
  node->text = copy;
  memcpy(copy, text, length + 1);
  if (fragment_tail != nullptr) fragment_tail->next = node;
  fragment_tail = node;
  if (fragment_head == nullptr) fragment_head = node;
  node->next = nullptr;
  return 0;
}

int print_next_fragment() {
  if (fragment_head == nullptr) return -1;
  FragmentNode *next = fragment_head->next;
  fputs(fragment_head->text, output_stream);
  free(fragment_head->text);
  free(fragment_head);
  if (next == nullptr) fragment_tail = nullptr;
  fragment_head = next;
  return 0;
}

void clear_fragment_queue() { fragment_head = fragment_tail = nullptr; }

void release_fragment_queue() {
  while (fragment_head != nullptr) {
    FragmentNode *next = fragment_head->next;
    free(fragment_head->text);
    free(fragment_head);
    fragment_head = next;
  }
  fragment_tail = nullptr;
}

// The fragment queue's chunks. A fragment that cannot be stored ends the process rather than
// going missing from the output: a converter that silently drops an operand writes a wrong
// file.
#include "fragment_queue.h"

#include <cstdint>
#include <cstdlib>

#include "process.h"

FragmentNode *fragment_head = nullptr;
FragmentNode *fragment_tail = nullptr;
FragmentChunk *fragment_fill_chunk = nullptr;

static FragmentChunk *spare_chunk = nullptr;  // one emptied chunk kept for the next switch

void fragment_retire_chunk(FragmentChunk *chunk) {
  if (spare_chunk == nullptr) {
    chunk->used = 0;
    spare_chunk = chunk;
  } else {
    free(chunk);
  }
}

FragmentChunk *fragment_switch_chunk(size_t need) {
  if (need > SIZE_MAX / 2) die("enqueue_fragment");
  FragmentChunk *chunk = spare_chunk;
  if (chunk != nullptr && chunk->size >= need) {
    spare_chunk = nullptr;
  } else {
    size_t size = need > FRAGMENT_CHUNK_SIZE ? need : FRAGMENT_CHUNK_SIZE;
    chunk = static_cast<FragmentChunk *>(malloc(sizeof(FragmentChunk) + size + SHORT_TEXT));
    if (chunk == nullptr) die("enqueue_fragment");
    chunk->size = size;
    chunk->used = 0;
    chunk->live = 0;
  }
  if (fragment_fill_chunk != nullptr && fragment_fill_chunk->live == 0) fragment_retire_chunk(fragment_fill_chunk);
  fragment_fill_chunk = chunk;
  return chunk;
}

int enqueue_text_and_blank(const char *text, size_t length, bool blank_after) {
  FragmentNode *node = fragment_append(length + (blank_after ? 1 : 0));
  memcpy(node->text, text, length);
  if (blank_after) node->text[length++] = NAME_END;
  node->text[length] = '\0';
  return 0;
}

PendingMatch pending_match = {nullptr, 0, PENDING_NONE};

void spill_pending_match() {
  enqueue_text_and_blank(pending_match.text, pending_match.length, pending_match.blank != 0);
  forget_pending_match();
}

void print_long_pending_match() {
  output_text(pending_match.text, pending_match.length);
  if (pending_match.blank != 0) output_char(NAME_END);
  forget_pending_match();
}

// Forgetting the nodes without giving their room back would leave a chunk that no node
// leads to any more, and that is never reused or released.
void clear_fragment_queue() {
  forget_pending_match();
  while (fragment_head != nullptr) fragment_drop_head();
}

void fragment_queue_reset() {
  clear_fragment_queue();
  free(fragment_fill_chunk);
  free(spare_chunk);
  fragment_fill_chunk = spare_chunk = nullptr;
}

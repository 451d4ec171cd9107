// The fragment queue. Nodes and their texts are carved one after the other out of large
// chunks, which are used again once every fragment in them has been printed: the texts leave
// in the order they came, so a chunk empties as a whole. After the first few statements a
// fragment costs no allocation at all, and a long statement costs its texts and one small
// record per fragment. A fragment that cannot be stored ends the process rather than going
// missing from the output: a converter that silently drops an operand writes a wrong file.
#include "fragment_queue.h"

#include <cstdint>
#include <cstdlib>

#include "output.h"
#include "process.h"

constexpr size_t FRAGMENT_CHUNK_SIZE = 64 * 1024;  // bytes of storage in an ordinary chunk

struct FragmentChunk {
  size_t size;  // bytes of storage behind this record
  size_t used;  // bytes handed out, from the start of the storage
  size_t live;  // fragments stored here and not yet printed
};

FragmentNode *fragment_head = nullptr;
FragmentNode *fragment_tail = nullptr;

static FragmentChunk *fill_chunk = nullptr;   // where new fragments are placed
static FragmentChunk *spare_chunk = nullptr;  // one emptied chunk kept for the next switch

static char *storage(FragmentChunk *chunk) { return reinterpret_cast<char *>(chunk + 1); }

// An emptied chunk that is no longer filled: kept as the spare, or released.
static void retire_chunk(FragmentChunk *chunk) {
  if (spare_chunk == nullptr) {
    chunk->used = 0;
    spare_chunk = chunk;
  } else {
    free(chunk);
  }
}

// Makes fill_chunk a chunk with at least `need` free bytes.
static void switch_chunk(size_t need) {
  FragmentChunk *chunk = spare_chunk;
  if (chunk != nullptr && chunk->size >= need) {
    spare_chunk = nullptr;
  } else {
    size_t size = need > FRAGMENT_CHUNK_SIZE ? need : FRAGMENT_CHUNK_SIZE;
    if (size > SIZE_MAX - sizeof(FragmentChunk)) die("enqueue_fragment");
    chunk = static_cast<FragmentChunk *>(malloc(sizeof(FragmentChunk) + size));
    if (chunk == nullptr) die("enqueue_fragment");
    chunk->size = size;
    chunk->used = 0;
    chunk->live = 0;
  }
  if (fill_chunk != nullptr && fill_chunk->live == 0) retire_chunk(fill_chunk);
  fill_chunk = chunk;
}

// Room for a node and `length` bytes of text with its NUL, linked in at the tail.
static FragmentNode *append_node(size_t length) {
  constexpr size_t ALIGN = alignof(FragmentNode);
  if (length > SIZE_MAX / 2) die("enqueue_fragment");
  size_t need = (sizeof(FragmentNode) + length + 1 + ALIGN - 1) & ~(ALIGN - 1);
  if (fill_chunk == nullptr || fill_chunk->size - fill_chunk->used < need) switch_chunk(need);
  FragmentNode *node = reinterpret_cast<FragmentNode *>(storage(fill_chunk) + fill_chunk->used);
  fill_chunk->used += need;
  fill_chunk->live++;
  node->next = nullptr;
  node->text = reinterpret_cast<char *>(node + 1);
  node->length = length;
  node->chunk = fill_chunk;
  if (fragment_tail != nullptr) fragment_tail->next = node;
  fragment_tail = node;
  if (fragment_head == nullptr) fragment_head = node;
  return node;
}

int enqueue_fragment(const char *text, size_t length) {
  FragmentNode *node = append_node(length);
  memcpy(node->text, text, length);
  node->text[length] = '\0';
  return 0;
}

int enqueue_name_fragment(const char *name, size_t length) {
  FragmentNode *node = append_node(length + 1);
  memcpy(node->text, name, length);
  node->text[length] = ' ';
  node->text[length + 1] = '\0';
  return 0;
}

// Takes the head node out of the queue and gives its room back to its chunk.
static void drop_head() {
  FragmentNode *head = fragment_head;
  fragment_head = head->next;
  if (fragment_head == nullptr) fragment_tail = nullptr;
  FragmentChunk *chunk = head->chunk;
  if (--chunk->live > 0) return;
  if (chunk == fill_chunk) {
    chunk->used = 0;
  } else {
    retire_chunk(chunk);
  }
}

int print_next_fragment() {
  if (fragment_head == nullptr) return -1;
  output_text(fragment_head->text, fragment_head->length);
  drop_head();
  return 0;
}

void clear_fragment_queue() { fragment_head = fragment_tail = nullptr; }

void release_fragment_queue() {
  while (fragment_head != nullptr) drop_head();
  free(fill_chunk);
  free(spare_chunk);
  fill_chunk = spare_chunk = nullptr;
}

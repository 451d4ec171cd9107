// The fragment queue: a FIFO of operand and comment texts, each a copy but the newest, which
// may still be the scanner's match in place; written to the output in the order they were
// queued. One queue per process. Entry points: enqueue_fragment, enqueue_match,
// enqueue_matched_text, enqueue_text_and_blank, queue_pending_match, print_next_fragment.
//
// Nodes and their texts are carved one after the other out of large chunks, which are used
// again once every fragment in them has been printed: the texts leave in the order they came,
// so a chunk empties as a whole. After the first statements a fragment costs no allocation,
// and a long statement costs its texts and one small record per fragment. The common steps
// are inline: a token's fragment is queued and printed several million times a second.
#ifndef CORE_FRAGMENT_QUEUE_H
#define CORE_FRAGMENT_QUEUE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "output.h"
#include "scanner.h"

#ifdef SMALL_TEST_BUFFERS  // the sanitizer build: fragments fill and leave chunks all the time
constexpr size_t FRAGMENT_CHUNK_SIZE = 64;
#else
constexpr size_t FRAGMENT_CHUNK_SIZE = 64 * 1024;  // bytes of storage in an ordinary chunk
#endif

struct FragmentChunk {
  size_t size;  // bytes of storage behind this record, and SHORT_TEXT bytes of slack after it
  size_t used;  // bytes handed out, from the start of the storage
  size_t live;  // fragments stored here and not yet printed
};

struct FragmentNode {
  FragmentNode *next;    // node queued after this one; null for the newest
  char *text;            // NUL-terminated copy, stored right behind the node
  size_t length;         // bytes of text, without the NUL
  FragmentChunk *chunk;  // the storage block that holds the node and its text
};

extern FragmentNode *fragment_head;         // oldest node, the next to print; null when empty
extern FragmentNode *fragment_tail;         // newest node; null exactly when fragment_head is null
extern FragmentChunk *fragment_fill_chunk;  // where new fragments are placed; null before the first

// Makes fragment_fill_chunk a chunk with `need` free bytes and returns it; ends the process
// when memory runs out.
FragmentChunk *fragment_switch_chunk(size_t need);

// An emptied chunk that is no longer being filled goes back for reuse.
void fragment_retire_chunk(FragmentChunk *chunk);

constexpr size_t FRAGMENT_ALIGN = alignof(FragmentNode);

// Bytes of chunk storage for a node and `length` bytes of text with its NUL; less than
// `length` when the sum wraps.
inline size_t fragment_need(size_t length) {
  return (sizeof(FragmentNode) + length + 1 + FRAGMENT_ALIGN - 1) & ~(FRAGMENT_ALIGN - 1);
}

// Carves a node of `need` bytes for `length` bytes of text out of `chunk`, which has the room,
// and links it in at the tail.
inline FragmentNode *fragment_carve(FragmentChunk *chunk, size_t need, size_t length) {
  auto *node = reinterpret_cast<FragmentNode *>(reinterpret_cast<char *>(chunk + 1) + chunk->used);
  chunk->used += need;
  chunk->live++;
  node->next = nullptr;
  node->text = reinterpret_cast<char *>(node + 1);
  node->length = length;
  node->chunk = chunk;
  if (fragment_tail != nullptr) {
    fragment_tail->next = node;
  } else {
    fragment_head = node;
  }
  fragment_tail = node;
  return node;
}

// Room for a node and `length` bytes of text with its NUL, linked in at the tail; the text
// is the caller's to fill.
inline FragmentNode *fragment_append(size_t length) {
  size_t need = fragment_need(length);
  FragmentChunk *chunk = fragment_fill_chunk;
  if (need < length || chunk == nullptr || chunk->size - chunk->used < need) {
    chunk = fragment_switch_chunk(need < length ? SIZE_MAX : need);  // a wrapped size cannot be had
  }
  return fragment_carve(chunk, need, length);
}

// Queues a copy of `length` bytes (0 stored; memory exhaustion ends the process).
inline int enqueue_fragment(const char *text, size_t length) {
  FragmentNode *node = fragment_append(length);
  memcpy(node->text, text, length);
  node->text[length] = '\0';
  return 0;
}

inline int enqueue_fragment(const char *text) { return enqueue_fragment(text, strlen(text)); }

// A name's fragment is its text and this one blank, however the name was read.
constexpr char NAME_END = ' ';

// Queues the current match, followed by one blank when `blank_after`: the fragment of a name.
// The engine keeps readable slack behind every match, and a chunk behind its storage, so a
// short match is copied with one fixed-size move. That common case makes no call, so that a
// caller needs to save no registers for it; the rest is enqueue_text_and_blank.
static_assert(YY_MATCH_SLACK >= SHORT_TEXT);
int enqueue_text_and_blank(const char *text, size_t length, bool blank_after);
inline int enqueue_match(bool blank_after) {
  size_t length = yy_token_length;
  size_t stored = length + (blank_after ? 1 : 0);
  size_t need = fragment_need(stored);
  FragmentChunk *chunk = fragment_fill_chunk;
  if (length > SHORT_TEXT || chunk == nullptr || chunk->size - chunk->used < need) {
    return enqueue_text_and_blank(yy_token_text, length, blank_after);
  }
  char *text = fragment_carve(chunk, need, stored)->text;
  memcpy(text, yy_token_text, SHORT_TEXT);
  if (blank_after) text[length++] = NAME_END;
  text[length] = '\0';
  return 0;
}

inline int enqueue_matched_text() { return enqueue_match(false); }

// Queues two texts as one fragment, such as a comment's "--" and the rest of its line,
// without assembling them anywhere first.
inline int enqueue_joined_fragment(const char *first, size_t first_length, const char *second, size_t second_length) {
  FragmentNode *node = fragment_append(first_length + second_length);
  memcpy(node->text, first, first_length);
  memcpy(node->text + first_length, second, second_length);
  node->text[first_length + second_length] = '\0';
  return 0;
}

// The newest fragment may be the current match itself, not yet copied: the engine's token
// rules queue their match as pending_match, which stays where it is in the scan buffer until
// the scanner's next call; that call first copies it into the queue if it is still pending
// (settle_pending_match). In postwright a name is printed right after its token is shifted,
// before the next token is read, so it goes from the input buffer to the output with no copy
// of its own and no node: that took 5.6% off postwright's instructions on netlist input (6.8%
// on mixed) and 2 to 3% off its time.
constexpr int PENDING_NONE = -1;
struct PendingMatch {
  const char *text;  // the match, in the scan buffer, with YY_MATCH_SLACK readable bytes behind it
  size_t length;
  int blank;  // PENDING_NONE: nothing is pending; else 1 when a blank follows the text
};
extern PendingMatch pending_match;

inline void queue_pending_match(const char *text, size_t length, bool blank_after) {
  pending_match = {text, length, blank_after ? 1 : 0};
}
inline bool match_is_pending() { return pending_match.blank != PENDING_NONE; }
inline void forget_pending_match() { pending_match.blank = PENDING_NONE; }

// Copies a pending match into the queue, as the newest fragment; the scanner calls it before
// it moves on, while the match is still in its buffer.
void spill_pending_match();
inline void settle_pending_match() {
  if (match_is_pending()) [[unlikely]]
    spill_pending_match();
}

// Writes the pending match to the output, as print_next_fragment would have written its copy.
void print_long_pending_match();
inline void print_pending_match() {
  size_t length = pending_match.length;
  size_t blank = static_cast<size_t>(pending_match.blank);
  if (length > SHORT_TEXT || length + blank > OUTPUT_BUFFER_SIZE - output_buffer.used) [[unlikely]] {
    print_long_pending_match();
    return;
  }
  forget_pending_match();
  // The match and the slack behind it in one move; the blank always, where it is not wanted
  // the next write covers it: both fall within the output buffer's slack.
  char *to = output_buffer.bytes + output_buffer.used;
  memcpy(to, pending_match.text, SHORT_TEXT);
  to[length] = NAME_END;
  output_buffer.used += length + blank;
}

// Takes the head node out of the queue and gives its room back to its chunk.
inline void fragment_drop_head() {
  FragmentNode *head = fragment_head;
  fragment_head = head->next;
  if (fragment_head == nullptr) fragment_tail = nullptr;
  FragmentChunk *chunk = head->chunk;
  if (--chunk->live > 0) return;
  if (chunk == fragment_fill_chunk) {
    chunk->used = 0;
  } else {
    fragment_retire_chunk(chunk);
  }
}

// Whether nothing is queued, a pending match included.
inline bool fragment_queue_empty() { return fragment_head == nullptr && !match_is_pending(); }

// Writes the oldest fragment to the output and releases it: 0 printed, -1 queue empty.
inline int print_next_fragment() {
  if (fragment_head == nullptr) {
    if (!match_is_pending()) return -1;
    print_pending_match();
    return 0;
  }
  output_padded_text(fragment_head->text, fragment_head->length);
  fragment_drop_head();
  return 0;
}

void clear_fragment_queue();  // empties the queue: what is queued is never printed

// Releases every queued fragment and all storage; for tests and fuzzers that run several
// inputs in one process.
void fragment_queue_reset();

#endif

// The fragment queue: FIFO order, exact text, ownership of the copies, empty queue.
#include "fragment_queue.h"

#include <gtest/gtest.h>

#include <string>

#include "output.h"

class FragmentQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fragment_queue_reset();
    output_stream = tmpfile();
  }
  void TearDown() override {
    fragment_queue_reset();
    output_reset();  // closes the stream and forgets what is gathered but not yet written
  }
  std::string written() {
    output_flush();
    fflush(output_stream);
    std::string s;
    rewind(output_stream);
    for (int c; (c = getc(output_stream)) != EOF;) s.push_back(static_cast<char>(c));
    return s;
  }
};

TEST_F(FragmentQueueTest, PrintsInQueueOrderWithNothingBetween) {
  EXPECT_EQ(enqueue_fragment("a"), 0);
  EXPECT_EQ(enqueue_fragment("b"), 0);
  EXPECT_EQ(print_next_fragment(), 0);
  EXPECT_EQ(print_next_fragment(), 0);
  EXPECT_EQ(print_next_fragment(), -1);
  EXPECT_EQ(written(), "ab");
}

TEST_F(FragmentQueueTest, EmptiesCompletelyAndRefills) {
  enqueue_fragment("x");
  print_next_fragment();
  EXPECT_EQ(fragment_head, nullptr);
  EXPECT_EQ(fragment_tail, nullptr);
  enqueue_fragment("y");
  EXPECT_NE(fragment_head, nullptr);
  EXPECT_EQ(fragment_head, fragment_tail);
  EXPECT_EQ(fragment_head->next, nullptr);
}

TEST_F(FragmentQueueTest, TextIsCopiedExactly) {
  char caller[] = "name ";
  enqueue_fragment(caller);
  caller[0] = 'X';  // the caller may reuse its buffer at once
  enqueue_fragment("");
  enqueue_fragment("-- note\n");
  for (int i = 0; i < 3; i++) EXPECT_EQ(print_next_fragment(), 0);
  EXPECT_EQ(written(), "name -- note\n");
}

// Clearing forgets what is queued: nothing of it is printed, and the queue takes new
// fragments as an empty one does.
TEST_F(FragmentQueueTest, ClearForgetsTheQueue) {
  enqueue_fragment("lost ");
  clear_fragment_queue();
  EXPECT_EQ(fragment_head, nullptr);
  EXPECT_EQ(fragment_tail, nullptr);
  EXPECT_EQ(print_next_fragment(), -1);
  enqueue_fragment("kept");
  EXPECT_EQ(print_next_fragment(), 0);
  EXPECT_EQ(print_next_fragment(), -1);
  EXPECT_EQ(written(), "kept");
}

// Many fragments of every size, a few larger than a whole storage chunk, queued and printed
// in waves so that the queue never empties: chunks fill, are left behind while fragments in
// them wait, and are used again once those are printed. Order and bytes must survive it all.
TEST_F(FragmentQueueTest, KeepsOrderAcrossStorageChunks) {
  std::string expected;
  size_t queued = 0;
  size_t printed = 0;
  for (int wave = 0; wave < 6; wave++) {
    for (int i = 0; i < 3000; i++, queued++) {
      size_t length = queued % 97 == 0 ? FRAGMENT_CHUNK_SIZE + queued : queued % 40;
      std::string text(length, static_cast<char>('a' + queued % 26));
      enqueue_fragment(text.c_str(), text.size());
      expected += text;
    }
    for (; printed < queued - 500; printed++) ASSERT_EQ(print_next_fragment(), 0);
  }
  for (; printed < queued; printed++) ASSERT_EQ(print_next_fragment(), 0);
  EXPECT_EQ(print_next_fragment(), -1);
  EXPECT_TRUE(written() == expected);  // not EXPECT_EQ: a mismatch would print megabytes
}

// A match queued as pending stays in the scan buffer: printed, it comes after what was queued
// before it, with its blank or without; spilled when the scanner moves on, it is a copy that
// survives the buffer's reuse; cleared, it is forgotten. A long one takes the slow path.
TEST_F(FragmentQueueTest, PendingMatchIsTheNewestFragment) {
  std::string scan_buffer = "first second 1;" + std::string(40, 'L') + std::string(YY_MATCH_SLACK, '\0');
  enqueue_fragment("old ");
  queue_pending_match(&scan_buffer[0], 5, true);
  EXPECT_EQ(print_next_fragment(), 0);
  EXPECT_EQ(print_next_fragment(), 0);
  EXPECT_EQ(print_next_fragment(), -1);
  queue_pending_match(&scan_buffer[6], 6, true);
  settle_pending_match();
  scan_buffer.replace(0, 15, "XXXXXXXXXXXXXXX");
  EXPECT_EQ(print_next_fragment(), 0);
  queue_pending_match(&scan_buffer[15], 40, false);
  EXPECT_EQ(print_next_fragment(), 0);
  queue_pending_match(&scan_buffer[0], 1, false);
  clear_fragment_queue();
  EXPECT_EQ(print_next_fragment(), -1);
  EXPECT_EQ(written(), "old first second " + std::string(40, 'L'));
}

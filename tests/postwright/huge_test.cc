// A conversion of gigabytes: about 6 GB of memory, 4 GB of disk and a minute or two. Built
// in the optimised build only (the sanitizer's allocator would double the memory) and
// labelled "huge", so that the everyday test run leaves it out; CI runs it
// (ctest --preset huge).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "program_runner.h"

namespace {

const std::string POSTWRIGHT = POSTWRIGHT_EXE;
const std::string NO_ERROR;

// The first and last bytes of a file too large to read whole.
std::string ends_of(const std::string &path, size_t head, size_t tail, long long *size) {
  FILE *f = fopen(path.c_str(), "rb");
  if (f == nullptr) return "<none>";
  fseeko(f, 0, SEEK_END);
  *size = ftello(f);
  std::string text(head + tail, '\0');
  rewind(f);
  size_t got = fread(text.data(), 1, head, f);
  fseeko(f, -static_cast<off_t>(tail), SEEK_END);
  got += fread(text.data() + head, 1, tail, f);
  fclose(f);
  text.resize(got);
  return text;
}

// One match of more than 2^31 bytes, a comment line, converts like any other in both
// programs: no count that a match drives may wrap.
TEST(ConversionLimits, MatchLongerThanTwoGibibytes) {
  constexpr long long COMMENT_BYTES = (1LL << 31) + (1LL << 20);
  const std::string dir = make_scratch_dir();
  FILE *in = fopen((dir + "/in").c_str(), "wb");
  ASSERT_NE(in, nullptr);
  const std::string block(1 << 20, 'c');
  fputs("--", in);
  for (long long written = 0; written < COMMENT_BYTES; written += static_cast<long long>(block.size())) {
    fwrite(block.data(), 1, block.size(), in);
  }
  fputs("\ny = a | b;\n", in);
  ASSERT_EQ(fclose(in), 0);
  RunResult post = run_command(POSTWRIGHT, {dir + "/in", dir + "/mid"});
  remove((dir + "/in").c_str());
  RunResult back = run_command(INWRIGHT_EXE, {dir + "/mid", dir + "/out"});
  long long mid_size = 0, out_size = 0;
  std::string mid = ends_of(dir + "/mid", 4, 11, &mid_size), out = ends_of(dir + "/out", 4, 9, &out_size);
  remove_scratch_dir(dir);
  EXPECT_EQ(post.status, 0);
  EXPECT_EQ(post.err, NO_ERROR);
  EXPECT_EQ(mid, "--cc\ny =a b |;\n");
  EXPECT_EQ(mid_size, 2 + COMMENT_BYTES + 11);
  EXPECT_EQ(back.status, 0);
  EXPECT_EQ(back.err, NO_ERROR);
  EXPECT_EQ(out, "--cc\ny =a|b;\n");
  EXPECT_EQ(out_size, 2 + COMMENT_BYTES + 9);
}

}  // namespace

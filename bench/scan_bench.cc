// Scanner throughput: the engine with the infix rules over a file, beside a plain block read
// of the same file in the same run. The engine takes the token rules as in postwright, names
// and numbers queued, and the queue is emptied after each token; the other actions only
// classify. Prints MB/s, the ratio and the count of tokens, with the parentheses among them
// (the postfix form of the same statements holds the other tokens and no parentheses). Then
// the matching loop alone over the same bytes in memory: what the scan costs with nothing
// around it, the floor under the scanner and so under postwright. With no action, nothing
// switches the start condition: a comment's or a quoted name's text is matched as if it
// stood outside them, so on input with those the loop's matches are not quite the scanner's.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fragment_queue.h"
#include "scanner_internal.h"

static long token_count = 0;        // tokens the engine returned
static long parenthesis_count = 0;  // of them, '(' and ')'

static double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

static double plain_read(const char *path, long *bytes) {
  static char block[READ_CHUNK_LIMIT];
  FILE *f = fopen(path, "r");
  auto start = std::chrono::steady_clock::now();
  *bytes = 0;
  for (size_t n; (n = fread(block, 1, sizeof block, f)) > 0;) *bytes += static_cast<long>(n);
  double s = seconds_since(start);
  fclose(f);
  return s;
}

static double scan(const char *path) {
  yy_reset();
  yy_input_stream = fopen(path, "r");
  auto start = std::chrono::steady_clock::now();
  token_count = parenthesis_count = 0;
  for (int token; (token = yy_next_token()) != 0;) {
    token_count++;
    if (token == '(' || token == ')') parenthesis_count++;
    clear_fragment_queue();  // what the parser would print; a pending match included
  }
  double s = seconds_since(start);
  fclose(yy_input_stream);
  return s;
}

// The matching loop over the file's bytes read into memory beforehand; its count of matches.
static double match_only(const char *path, long bytes, size_t *matches) {
  char *text = static_cast<char *>(calloc(static_cast<size_t>(bytes) + 2 + YY_MATCH_SLACK, 1));
  FILE *f = fopen(path, "r");
  if (text == nullptr || f == nullptr || fread(text, 1, static_cast<size_t>(bytes), f) != static_cast<size_t>(bytes)) {
    fprintf(stderr, "scan_bench: cannot read %s\n", path);
    exit(1);
  }
  fclose(f);
  auto start = std::chrono::steady_clock::now();
  *matches = yy_count_matches(text, static_cast<size_t>(bytes));
  double s = seconds_since(start);
  free(text);
  return s;
}

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s LABEL FILE\n", argv[0]);
    return 1;
  }
  long bytes = 0;
  double best_read = 1e9, best_scan = 1e9;
  for (int round = 0; round < 3; round++) {
    double r = plain_read(argv[2], &bytes), s = scan(argv[2]);
    if (r < best_read) best_read = r;
    if (s < best_scan) best_scan = s;
  }
  double mb = static_cast<double>(bytes) / 1e6;
  printf(
      "%-22s %8.1f MB  plain read %8.1f MB/s  scanner %7.1f MB/s  (%.3f of plain read, %ld tokens, %ld parentheses)\n",
      argv[1], mb, mb / best_read, mb / best_scan, best_read / best_scan, token_count, parenthesis_count);
  double best_loop = 1e9;
  size_t matches = 0;
  for (int round = 0; round < 3; round++) {
    double s = match_only(argv[2], bytes, &matches);
    if (s < best_loop) best_loop = s;
  }
  printf("%-22s %8.1f MB  matching loop alone %7.1f MB/s  (%.2f of the scanner's time, %zu matches)\n", argv[1], mb,
         mb / best_loop, best_loop / best_scan, matches);
  return 0;
}

// lalrgen GRAMMAR OUT.cc OUT.h: turns a grammar file into the packed LALR(1) tables of the
// parse engine and prints the construction's statistics. Exit status 0 when the tables are
// written; 1 for a wrong grammar or a file that cannot be read or written; 2 when the
// construction fails its own verification.
#include <cstdio>
#include <string>

#include "emit_tables.h"
#include "pipeline.h"

static int read_whole_file(const char *path, std::string *text) {
  FILE *file = fopen(path, "r");
  if (file == nullptr) return -1;
  char chunk[4096];
  size_t got = 0;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text->append(chunk, got);
  bool failed = ferror(file) != 0;
  fclose(file);
  return failed ? -1 : 0;
}

int main(int argc, char **argv) {
  if (argc != 4) {
    fputs("Usage: lalrgen GRAMMAR OUT.cc OUT.h\n", stderr);
    return 1;
  }
  std::string text;
  if (read_whole_file(argv[1], &text) != 0) {
    fprintf(stderr, "lalrgen: cannot read %s\n", argv[1]);
    return 1;
  }
  int result = build_parse_tables(argv[1], text.c_str());
  for (const std::string &message : build_messages) fprintf(stderr, "lalrgen: %s\n", message.c_str());
  if (result != build_done) return result;
  if (emit_tables(argv[1], argv[2], argv[3]) != 0) {
    fprintf(stderr, "lalrgen: %s\n", emit_error.c_str());
    return 1;
  }
  print_statistics(stdout, argv[1]);
  return 0;
}

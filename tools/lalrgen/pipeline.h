// The whole construction from grammar text to verified tables, stage by stage, and the
// statistics the generator prints. The generator's main and the unit tests both run it.
#ifndef LALRGEN_PIPELINE_H
#define LALRGEN_PIPELINE_H

#include <cstdio>
#include <string>
#include <vector>

enum BuildResult {
  build_done = 0,           // tables assembled and verified
  build_bad_grammar = 1,    // the grammar file is wrong: messages say where
  build_internal_error = 2  // the construction broke an invariant (verification failed)
};

extern std::vector<std::string> build_messages;  // what went wrong, one line each

// Reads, constructs, resolves, packs, assembles and verifies. Returns a BuildResult.
int build_parse_tables(const char *file_name, const char *text);

void print_statistics(FILE *stream, const char *file_name);

#endif

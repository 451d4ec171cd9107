// Writes the generated table source and header from `tables`: the read-only arrays, the
// constants, the token codes and the action of every rule.
#ifndef LALRGEN_EMIT_TABLES_H
#define LALRGEN_EMIT_TABLES_H

#include <string>

extern std::string emit_error;  // why emit_tables failed

// Writes OUT.cc to `source_path` and OUT.h to `header_path`; `grammar_path` names the
// grammar in the banner. Returns 0, or -1 with emit_error set and no partial file left.
int emit_tables(const char *grammar_path, const char *source_path, const char *header_path);

#endif

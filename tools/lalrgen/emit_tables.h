// Writes the generated table source and header: the read-only arrays, the constants, the
// token codes and the action of every rule. Entry point: emit_parse_tables().
#ifndef LALRGEN_EMIT_TABLES_H
#define LALRGEN_EMIT_TABLES_H

#include "grammar_file.h"
#include "parse_tables.h"

// Writes OUT.cc to `source_path` and OUT.h to `header_path`; `grammar_path` names the
// grammar in the banner. Returns 0, or -1 with the fault reported and neither file left.
int emit_parse_tables(const char *grammar_path, const Grammar &grammar, const ParseTables &tables,
                      const char *source_path, const char *header_path);

#endif

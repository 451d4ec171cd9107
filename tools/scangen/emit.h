// Writing the generated sources: the tables as `yy_tables` in OUT.cc, and the start
// condition and action enumerations in OUT.h. Entry point: emit_tables().
#ifndef SCANGEN_EMIT_H
#define SCANGEN_EMIT_H

#include <string>

// The text of OUT.cc and OUT.h for `packed` and `rule_set`; `rules_path` gives the file
// name for the banner, `header_path` the include guard.
std::string table_source_text(const char *rules_path);
std::string table_header_text(const char *rules_path, const char *header_path);

// Writes both files; 0, or -1 with `diagnostic` set when a file cannot be written whole.
int emit_tables(const char *rules_path, const char *source_path, const char *header_path);

#endif

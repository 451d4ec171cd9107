// Writing the generated sources: the tables as `yy_tables` in OUT.cc, the token rules'
// shortcuts among them, and the start condition and action enumerations in OUT.h. Entry
// point: emit_scanner_tables().
#ifndef SCANGEN_EMIT_H
#define SCANGEN_EMIT_H

#include <string>

#include "dfa_row_packing.h"
#include "rule_file.h"

// The text of OUT.cc for `packed` and the token rules of `rules`, and of OUT.h for `rules`;
// `rules_path` gives the file name for the banner, `header_path` the include guard.
std::string table_source_text(const char *rules_path, const RuleSet &rules, const PackedScannerTables &packed);
std::string table_header_text(const char *rules_path, const char *header_path, const RuleSet &rules);

// Writes both files, or neither; 0, or -1 with the fault reported.
int emit_scanner_tables(const char *rules_path, const RuleSet &rules, const PackedScannerTables &packed,
                        const char *source_path, const char *header_path);

#endif

// Building scanner tables in process for the generator's tests: every record of the
// construction kept in one test-wide ScannerBuild, whose packed rows the tests read as the
// engine's ScannerTables, so that every lookup goes through the engine's own yy_transition.
#ifndef TESTS_SCANGEN_SUPPORT_H
#define TESTS_SCANGEN_SUPPORT_H

#include <optional>
#include <string>
#include <utility>

#include "byte_classes.h"
#include "dfa_row_packing.h"
#include "diagnostics.h"
#include "regex_nfa.h"
#include "rule_file.h"
#include "scanner_internal.h"
#include "subset.h"

struct ScannerBuild {
  RuleSet rules;               // the rule file as read
  Nfa nfa;                     // its patterns
  ByteClasses classes;         // their byte classes
  Dfa dfa;                     // the automaton, uncompressed
  PackedScannerTables packed;  // the tables scangen would write
  ScannerTables view() const { return scanner_tables_view(packed); }
};

inline ScannerBuild built;  // what the latest build in this test built

// Keeps a stage's record in *into; false when the stage failed (its fault is reported).
template <typename T>
bool keep(std::optional<T> record, T *into) {
  if (record) *into = std::move(*record);
  return record.has_value();
}

// The stages after the rule file, over built.rules; 0, or -1 with last_diagnostic() set.
inline int build_stages() {
  ScannerBuild &b = built;
  if (!keep(compile_rules(b.rules), &b.nfa)) return -1;
  b.classes = compute_byte_classes(b.nfa);
  if (!keep(build_dfa(b.rules, b.nfa, b.classes), &b.dfa)) return -1;
  return keep(pack_scanner_rows(b.rules, b.dfa, b.classes), &b.packed) ? 0 : -1;
}

// Reads the rule file from text named `file_name`, or from the file at `path`; 0 or -1.
inline int parse_text(const char *file_name, const std::string &text) {
  clear_diagnostics();
  return keep(parse_rule_text(file_name, text), &built.rules) ? 0 : -1;
}
inline int parse_file(const char *path) {
  clear_diagnostics();
  return keep(read_rule_file(path), &built.rules) ? 0 : -1;
}

// Every stage from the rule text (named "test.rules") or from a rule file; 0 or -1.
inline int build_from_text(const std::string &text) { return parse_text("test.rules", text) < 0 ? -1 : build_stages(); }
inline int build_from_file(const char *path) { return parse_file(path) < 0 ? -1 : build_stages(); }

#endif

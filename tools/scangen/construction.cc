// The whole construction from rule file to packed tables, in phase order: read, compile
// the patterns, byte classes, subset construction, row packing.
#include "construction.h"

#include "byte_classes.h"
#include "regex_nfa.h"
#include "row_packing.h"
#include "rule_file.h"
#include "subset.h"

int construct_from_rule_set() {
  if (compile_rules() < 0) return -1;
  compute_byte_classes();
  if (build_dfa() < 0) return -1;
  return pack_rows();
}

int construct_tables(const char *rules_path) {
  if (read_rule_file(rules_path) < 0) return -1;
  return construct_from_rule_set();
}

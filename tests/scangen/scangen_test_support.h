// Helpers shared by the generator's tests: building tables from rule text in process, and
// the engine's transition lookup restated, so packed rows are judged by the rule the
// scanner really applies.
#ifndef TESTS_SCANGEN_SUPPORT_H
#define TESTS_SCANGEN_SUPPORT_H

#include <string>

#include "construction.h"
#include "row_packing.h"
#include "rule_file.h"

// Parses `text` as the rule file "test.rules" and builds its tables; 0 or -1.
inline int build_from_text(const std::string &text) {
  if (parse_rule_text("test.rules", text) < 0) return -1;
  return construct_from_rule_set();
}

// The scanner engine's lookup: follow the default chain until check names the row, switching
// to meta classes once a template row is reached. Unguarded, as in the engine.
inline int engine_transition(int state, int cls) {
  const PackedTables &t = packed;
  int row = state, k = cls;
  while (t.check[static_cast<size_t>(t.base[static_cast<size_t>(row)] + k)] != row) {
    row = t.def[static_cast<size_t>(row)];
    if (row >= t.first_template) k = t.meta[static_cast<size_t>(k)];
  }
  return t.next[static_cast<size_t>(t.base[static_cast<size_t>(row)] + k)];
}

#endif

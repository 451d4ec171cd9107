// The engine's lookup through template rows, on tables built by hand: the generator emits no
// templates, so only this test reaches the meta-class substitution in yy_transition.
#include <gtest/gtest.h>

#include <cstdint>

#include "scanner_internal.h"

namespace {

// Classes 0..3; classes 1 and 2 share meta class 1, class 3 has meta class 2. States 1 and 2,
// the jam state J = 3, and one template T = 4 that sends meta class 1 to state 2 and meta
// class 2 to state 1. State 1 stores class 1 and defaults to T; state 2 stores class 3 and
// defaults to state 1, so its other classes reach T through a chain of two defaults.
constexpr int J = 3;
constexpr int T = 4;
const int32_t META[] = {0, 1, 1, 2};
const int16_t BASE[] = {0, 0, 0, 7, 4};  // row 0 is no state
const int16_t DEF[] = {0, T, 1, 0, J};   // J's row is complete; a template falls back to J
// Entries 0, 2 and 4 are free; 1 is state 1's, 3 state 2's, 5 and 6 are T's, 7..10 J's. T's
// base + 3 lands on J's entry, so a lookup that forgot the meta class would not find T there.
const int16_t NEXT[] = {0, 1, 0, 2, 0, 2, 1, J, J, J, J};
const int16_t CHECK[] = {0, 1, 0, 2, 0, T, T, J, J, J, J};

// accept, classes, skip and the counts of rules and conditions play no part in a lookup.
const ScannerTables TABLES = {.accept = nullptr,
                              .classes = nullptr,
                              .meta = META,
                              .base = BASE,
                              .def = DEF,
                              .next = NEXT,
                              .check = CHECK,
                              .skip = nullptr,
                              .shortcuts = nullptr,
                              .rule_count = 0,
                              .condition_count = 0,
                              .class_count = 3,
                              .end_of_buffer_state = 0,
                              .jam_state = J,
                              .jam_base = 7,
                              .first_template = T,
                              .row_count = 5,
                              .entry_count = 11,
                              .nul_class = 0};

TEST(TemplateRows, LookupEqualsThePlainTransitionFunction) {
  struct Row {
    int state;
    int target[4];  // the plain transition function: class 0..3 -> state
  };
  const Row plain[] = {
      {1, {J, 1, 2, 1}},  // classes 2 and 3 through T, as meta classes 1 and 2
      {2, {J, 1, 2, 2}},  // class 1 through state 1; classes 0 and 2 on to T, then 0 to J
      {J, {J, J, J, J}},
  };
  for (const Row &row : plain)
    for (int k = 0; k <= TABLES.class_count; k++)
      EXPECT_EQ(yy_transition(TABLES, row.state, k), row.target[k]) << "state " << row.state << " class " << k;
}

}  // namespace

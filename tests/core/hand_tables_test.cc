// The engine on tables built by hand: the lookup through template rows, which the generator
// never emits, so that only this test reaches the meta-class substitution in yy_transition;
// and the dense table the engine derives from a small scanner, with the proof of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

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

// One condition; the bytes 'a' (class 2), ' ' (class 3), NUL (class 0) and all others (1).
// Rules: 1 "a+", which the engine returns as token 7; 2 " ", skipped; 3 the default rule.
// States: 1 the start state; 2 E; 3 after "a", which goes on on "a"; 4 after " " and 5 after
// any other byte, which end the match; J = 6. Each live state keeps a whole row of its own.
constexpr int SMALL_J = 6;
const int16_t SMALL_ACCEPT[] = {0, 0, 4, 1, 2, 3, 0};
const int32_t SMALL_META[] = {0, 1, 2, 3};
const int16_t SMALL_BASE[] = {0, 0, 4, 5, 9, 9, 9};
const int16_t SMALL_DEF[] = {0, SMALL_J, SMALL_J, SMALL_J, SMALL_J, SMALL_J, 0};
const int16_t SMALL_NEXT[] = {2, 5, 3, 4, SMALL_J, 2, SMALL_J, 3, SMALL_J, SMALL_J, SMALL_J, SMALL_J, SMALL_J};
const int16_t SMALL_CHECK[] = {1, 1, 1, 1, 2, 3, 3, 3, 3, SMALL_J, SMALL_J, SMALL_J, SMALL_J};
const uint8_t SMALL_SKIP[] = {0, 0, 1, 0};
const int16_t SMALL_SHORTCUTS[] = {0, 7, 0, 0};

struct SmallScanner {
  int32_t classes[256];
  ScannerTables tables;
  SmallScanner() : classes{}, tables{} {
    for (int b = 1; b < 256; b++) classes[b] = b == 'a' ? 2 : b == ' ' ? 3 : 1;
    tables = {.accept = SMALL_ACCEPT,
              .classes = classes,
              .meta = SMALL_META,
              .base = SMALL_BASE,
              .def = SMALL_DEF,
              .next = SMALL_NEXT,
              .check = SMALL_CHECK,
              .skip = SMALL_SKIP,
              .shortcuts = SMALL_SHORTCUTS,
              .rule_count = 3,
              .condition_count = 1,
              .class_count = 3,
              .end_of_buffer_state = 2,
              .jam_state = SMALL_J,
              .jam_base = 9,
              .first_template = SMALL_J + 1,
              .row_count = SMALL_J + 1,
              .entry_count = 13,
              .nul_class = 1};
  }
};

TEST(DenseTable, IsTheFaithfulFormOfTablesBuiltByHand) {
  SmallScanner small;
  yy_derive_dense_table(small.tables);
  const char *fault = yy_dense_table_fault(small.tables);
  EXPECT_TRUE(fault == nullptr) << fault;
  // The start state passes over the blank: it leads to the restart row, the first row.
  EXPECT_EQ(*yy_dense_entry(1, ' '), 0u);
  EXPECT_EQ(*yy_dense_entry(3, 'a'), *yy_dense_entry(1, 'a'));
  // A broken entry is found, and named.
  *yy_dense_entry(3, 'a') = *yy_dense_entry(3, 'b');
  fault = yy_dense_table_fault(small.tables);
  ASSERT_TRUE(fault != nullptr);
  EXPECT_NE(std::string(fault).find("state 3 on byte 97"), std::string::npos) << fault;
  yy_derive_dense_table(small.tables);
  EXPECT_TRUE(yy_dense_table_fault(small.tables) == nullptr);
  EXPECT_TRUE(yy_dense_table_fault(yy_tables) != nullptr);  // derived from other tables
}

}  // namespace

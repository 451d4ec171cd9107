// The tables a program links, its yy_tables, proved against the automaton built afresh from
// the program's rule file: what the build generated and linked is what scangen verified; and
// the dense table the engine derives from them, proved against them.
// Compiled into one test binary per program, each linked with that program's objects.
#include <gtest/gtest.h>

#include "scangen_test_support.h"
#include "verify.h"

namespace {

TEST(LinkedTables, AreTheVerifiedAutomatonOfTheirRuleFile) {
  ASSERT_EQ(build_from_file(LINKED_RULES_PATH), 0) << last_diagnostic();
  EXPECT_EQ(verify_scanner_tables(yy_tables, built.dfa, built.classes), 0) << last_diagnostic();
}

// What the engine derives from them at its first call is their faithful dense form.
TEST(LinkedTables, DenseFormIsTheirs) {
  yy_derive_dense_table(yy_tables);
  const char *fault = yy_dense_table_fault(yy_tables);
  EXPECT_TRUE(fault == nullptr) << fault;
}

}  // namespace

// The tables a program links, its yy_tables, proved against the automaton built afresh from
// the program's rule file: what the build generated and linked is what scangen verified.
// Compiled into one test binary per program, each linked with that program's objects.
#include <gtest/gtest.h>

#include "scangen_test_support.h"
#include "verify.h"

namespace {

TEST(LinkedTables, AreTheVerifiedAutomatonOfTheirRuleFile) {
  ASSERT_EQ(build_from_file(LINKED_RULES_PATH), 0) << last_diagnostic();
  EXPECT_EQ(verify_scanner_tables(yy_tables, built.dfa, built.classes), 0) << last_diagnostic();
}

}  // namespace

// The scangen program as the build runs it: usage, exit statuses, whole messages, the
// statistics and failed writes.
#include <gtest/gtest.h>

#include <string>

#include "program_runner.h"

namespace {

const std::string USAGE = "usage: scangen RULES OUT.cc OUT.h\n";

class ScangenProgram : public ::testing::Test {
 protected:
  std::string dir;
  void SetUp() override { dir = make_scratch_dir(); }
  void TearDown() override { remove_scratch_dir(dir); }
  RunResult run(const std::string &rules) { return run_command(SCANGEN_PATH, {rules, dir + "/t.cc", dir + "/t.h"}); }
};

TEST_F(ScangenProgram, UsageAndHelp) {
  RunResult r = run_command(SCANGEN_PATH, {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, USAGE);
  r = run_command(SCANGEN_PATH, {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, USAGE);
}

TEST_F(ScangenProgram, FaultsInTheRuleFileExitOneAndWriteNothing) {
  struct Case {
    std::string text;
    std::string message;  // after "DIR/bad.rules"
  } cases[] = {
      {"condition A\nrule r B x\n", ":2: unknown start condition 'B'\n"},
      {"condition A\n\nrule r A a(b\n", ":3: rule r: unmatched '('\n"},
      {"", ": no start condition is declared\n"},
  };
  for (const Case &c : cases) {
    write_file(dir + "/bad.rules", c.text);
    RunResult r = run(dir + "/bad.rules");
    EXPECT_EQ(r.status, 1) << c.text;
    EXPECT_EQ(r.err, dir + "/bad.rules" + c.message);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(file_exists(dir + "/t.cc"));
    EXPECT_FALSE(file_exists(dir + "/t.h"));
  }
  RunResult r = run(dir + "/missing.rules");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "scangen: cannot open " + dir + "/missing.rules: No such file or directory\n");
}

TEST_F(ScangenProgram, WritesTablesAndStatistics) {
  RunResult r = run(INFIX_RULES_PATH);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("23 rules and the default rule, 3 start conditions"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("end-of-buffer state E 7"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("classes 19, jam base "), std::string::npos) << r.out;
  std::string header = read_file(dir + "/t.h");
  EXPECT_NE(header.find("    RULE_ILLEGAL = 23,\n    RULE_DEFAULT = 24,\n    ACTION_END_OF_BUFFER = 25,\n"),
            std::string::npos);
  EXPECT_NE(read_file(dir + "/t.cc").find("const ScannerTables yy_tables = {\n"), std::string::npos);
}

TEST_F(ScangenProgram, FailedWriteExitsOne) {
  RunResult r = run_command(SCANGEN_PATH, {INFIX_RULES_PATH, "/dev/full", dir + "/t.h"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "scangen: cannot write /dev/full: No space left on device\n");
  r = run_command(SCANGEN_PATH, {INFIX_RULES_PATH, dir + "/no/such/dir/t.cc", dir + "/t.h"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "scangen: cannot create " + dir + "/no/such/dir/t.cc: No such file or directory\n");
}

}  // namespace

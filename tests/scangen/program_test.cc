// The scangen program as the build runs it: usage, exit statuses, whole messages, the
// statistics and failed writes.
#include <gtest/gtest.h>

#include <string>

#include "program_runner.h"
#include "scangen_test_support.h"

namespace {

std::string base_name_of(const std::string &path) { return path.substr(path.rfind('/') + 1); }

const std::string USAGE = "Usage: scangen RULES OUT.cc OUT.h\n";

class ScangenProgram : public ::testing::Test {
 protected:
  std::string dir;
  void SetUp() override { dir = make_scratch_dir(); }
  void TearDown() override { remove_scratch_dir(dir); }
  RunResult run(const std::string &rules) { return run_command(SCANGEN_PATH, {rules, dir + "/t.cc", dir + "/t.h"}); }
};

// Both generators take the same command line and leave no output behind when one fails.
TEST_F(ScangenProgram, BothGeneratorsShareTheCommandLine) {
  const struct {
    const char *path;
    const char *input;
    std::string usage;
  } generators[] = {{SCANGEN_PATH, INFIX_RULES_PATH, USAGE},
                    {LALRGEN_PATH, INFIX_GRAMMAR_PATH, "Usage: lalrgen GRAMMAR OUT.cc OUT.h\n"}};
  for (const auto &g : generators) {
    RunResult r = run_command(g.path, {});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, g.usage);
    r = run_command(g.path, {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, g.usage);
    r = run_command(g.path, {g.input, dir + "/t.cc", "/dev/full"});
    EXPECT_EQ(r.status, 1) << g.path;
    EXPECT_EQ(r.err, base_name_of(g.path) + ": cannot write /dev/full: No space left on device\n");
    EXPECT_FALSE(file_exists(dir + "/t.cc")) << g.path << ": the source stays without its header";
  }
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

// The figures printed and the numbers in the header are those of the tables built in process.
TEST_F(ScangenProgram, WritesTablesAndStatistics) {
  RunResult r = run(INFIX_RULES_PATH);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  ASSERT_EQ(build_from_file(INFIX_RULES_PATH), 0) << last_diagnostic();
  const PackedScannerTables &t = built.packed;
  const int listed = static_cast<int>(built.rules.rules.size());
  for (const std::string &figure :
       {std::to_string(listed) + " rules and the default rule, " + std::to_string(t.condition_count) +
            " start conditions",
        "end-of-buffer state E " + std::to_string(t.end_of_buffer_state),
        "classes " + std::to_string(t.class_count) + ", jam base " + std::to_string(t.jam_base) + ","}) {
    EXPECT_NE(r.out.find(figure), std::string::npos) << figure << " in " << r.out;
  }
  EXPECT_EQ(built.rules.rules.back().name, "illegal");
  std::string header = read_file(dir + "/t.h");
  EXPECT_NE(header.find("    RULE_ILLEGAL = " + std::to_string(listed) +
                        ",\n    RULE_DEFAULT = " + std::to_string(listed + 1) + ",\n"),
            std::string::npos)
      << header;
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

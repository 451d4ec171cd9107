// postwright run as a program: whole conversions (output file, standard output with the
// banners, standard error, exit status) for the language's edge cases and the failure paths,
// then the command line, unwritable outputs, the nesting limit and the bundled example.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "output.h"
#include "parse_engine.h"
#include "program_runner.h"

namespace {

using namespace std::string_literals;

const std::string POSTWRIGHT = POSTWRIGHT_EXE;
const std::string COMPLETED = "<start>\n<stop>\n";  // standard output of an uneventful run
const std::string NO_ERROR;

struct ConversionCase {
  const char *name;    // test name: letters, digits, underscores
  std::string input;   // bytes of the infix input file
  std::string output;  // bytes the output file must hold
  std::string out;     // standard output, banners as <start> and <stop>
  std::string err;     // standard error
  int status;          // exit status
};

std::string parse_error(int line) { return "Parse error in line : " + std::to_string(line); }
std::string illegal(int line) { return "<start>\nERROR -illegal character in line " + std::to_string(line) + "\n"; }

const ConversionCase CONVERSIONS[] = {
    // Emission order: operands in input order, each sign after its operands.
    {"worked_example", "y = a | b & !(k | 0);\n", "y =a b k 0|!&|;\n", COMPLETED, NO_ERROR, 0},
    {"empty_input", "", "", COMPLETED, NO_ERROR, 0},
    {"blanks_and_newlines_only", " \t\n\n \n", "", COMPLETED, NO_ERROR, 0},
    {"single_or", "a = b | d;\n", "a =b d |;\n", COMPLETED, NO_ERROR, 0},
    {"and_binds_tighter_than_or", "a = b | d & e;\n", "a =b d e &|;\n", COMPLETED, NO_ERROR, 0},
    {"parentheses_override", "a = (b | d) & e;\n", "a =b d |e &;\n", COMPLETED, NO_ERROR, 0},
    {"or_is_left_associative", "a = b | d | e;\n", "a =b d |e |;\n", COMPLETED, NO_ERROR, 0},
    {"and_is_left_associative", "a = b & d & e;\n", "a =b d &e &;\n", COMPLETED, NO_ERROR, 0},
    {"not_binds_tightest", "a = !b & d;\n", "a =b !d &;\n", COMPLETED, NO_ERROR, 0},
    {"double_not", "a = ! ! b;\n", "a =b !!;\n", COMPLETED, NO_ERROR, 0},
    {"target_with_arguments", "x(t-1) = 1;\n", "x(t-1) =1;\n", COMPLETED, NO_ERROR, 0},
    {"lone_minus_and_t_minus_1", "a = - & t-1 | n(t-1);\n", "a =- t-1&n(t-1) |;\n", COMPLETED, NO_ERROR, 0},
    {"braces_stand_alone_unbalanced", "{ { }\n", "{\n{\n}\n", COMPLETED, NO_ERROR, 0},
    {"comment_copied_with_newline", "-- note\n", "-- note\n", COMPLETED, NO_ERROR, 0},
    {"comment_dashes_only", "--\n---\n--5 x\n", "--\n---\n--5 x\n", COMPLETED, NO_ERROR, 0},
    {"two_statements_on_one_line", "a = b; c = d;", "a =b ;\nc =d ;\n", COMPLETED, NO_ERROR, 0},
    {"statement_over_several_lines", "a\n=\n\tb\n|\nd\n;\n", "a =b d |;\n", COMPLETED, NO_ERROR, 0},
    {"quoted_names", "\\a b\\ = \\x\\(1) & \\y&!\\;\n", "\\a b\\ =\\x\\(1) \\y&!\\ &;\n", COMPLETED, NO_ERROR, 0},
    {"doubled_backslash_stays_in_the_name", "q = \\a\\\\b\\;\n", "q =\\a\\\\b\\ ;\n", COMPLETED, NO_ERROR, 0},
    {"newline_in_quoted_name_is_echoed", "q = \\a\nb\\;\n", "q =\\ab\\ ;\n", "<start>\n\n<stop>\n", NO_ERROR, 0},
    {"argument_list_needs_no_blanks", "a = A_1(_-,9) & f();\n", "a =A_1(_-,9) f() &;\n", COMPLETED, NO_ERROR, 0},
    // Two number operands in a row are kept apart by one blank, also across a "!".
    {"numbers_in_a_row_get_a_blank", "a = 1 & 2;\n", "a =1 2&;\n", COMPLETED, NO_ERROR, 0},
    {"lone_minus_twice_is_no_comment", "a = - | -;\n", "a =- -|;\n", COMPLETED, NO_ERROR, 0},
    {"blank_also_across_a_not", "a = -3 | !12;\n", "a =-3 12!|;\n", COMPLETED, NO_ERROR, 0},
    {"no_blank_after_a_sign", "a = 1 & 2 | 3;\n", "a =1 2&3|;\n", COMPLETED, NO_ERROR, 0},
    {"no_blank_between_number_and_name", "a = 1 & b | c & 2;\n", "a =1b &c 2&|;\n", COMPLETED, NO_ERROR, 0},
    {"number_as_target_after_a_comment", "-- n\n7 = 1;\n", "-- n\n", COMPLETED, parse_error(2), 1},
    // A comment on the last line without its newline is a comment all the same.
    {"final_comment_without_newline", "a = b;\n-- last", "a =b ;\n-- last", COMPLETED, NO_ERROR, 0},
    {"final_dashes_without_newline", "a = b;\n--", "a =b ;\n--", COMPLETED, NO_ERROR, 0},
    {"final_comment_does_not_advance_the_line", "a = b\n-- c", "a =b ", COMPLETED, parse_error(2), 1},
    // Syntax errors: the text written before the error stays, the offending fragment never
    // appears, the stop banner is printed and the status is 1.
    {"sign_written_by_default_reduction", "a = b | d e;\n", "a =b d |", COMPLETED, parse_error(1), 1},
    {"semicolon_missing_at_the_end", "a = b | d\n", "a =b d |", COMPLETED, parse_error(2), 1},
    {"and_sign_written_at_once", "a = b & !d", "a =b d !&", COMPLETED, parse_error(1), 1},
    {"number_as_first_target", "1 = b;\n", "", COMPLETED, parse_error(1), 1},
    {"error_revealed_by_a_comment", "a = b\n-- c\n;\n", "a =b ", COMPLETED, parse_error(3), 1},
    {"t_minus_12_is_two_numbers", "a = t-12;\n", "a =t-1", COMPLETED, parse_error(1), 1},
    {"blank_before_argument_list", "a = f( x);\n", "a =f ", COMPLETED, parse_error(1), 1},
    {"number_then_identifier", "a = 1abc;\n", "a =1", COMPLETED, parse_error(1), 1},
    {"quoted_name_closes_before_blank", "a = \\n\\ (1);\n", "a =\\n\\ ", COMPLETED, parse_error(1), 1},
    {"rest_of_input_not_read", "a = ;\n+", "a =", COMPLETED, parse_error(1), 1},
    // Illegal characters stop the run at once: message on standard output, no stop banner.
    {"plus_is_illegal", "a = b + c;\n", "a =b ", illegal(1), NO_ERROR, 1},
    {"sign_pending_when_illegal", "a = b | d +", "a =b d ", illegal(1), NO_ERROR, 1},
    {"comma_outside_arguments", "a = b;\nc = b, d;\n", "a =b ;\nc =b ", illegal(2), NO_ERROR, 1},
    {"carriage_return", "a = b;\r\n", "a =b ;\n", illegal(1), NO_ERROR, 1},
    {"high_byte", "a = b;\n\n\x80", "a =b ;\n", illegal(3), NO_ERROR, 1},
    {"nul_byte", "a = b\0;\n"s, "a =b ", illegal(1), NO_ERROR, 1},
    {"nul_in_quoted_name", "a = \\x\0y\\;\n"s, "a =", illegal(1), NO_ERROR, 1},
    {"nul_in_comment", "a = b;\n-- x\0y\n"s, "a =b ;\n", illegal(2), NO_ERROR, 1},
    {"nul_in_final_comment", "a = b;\n-- x\0y"s, "a =b ;\n", illegal(2), NO_ERROR, 1},
    {"unterminated_quoted_name", "a = b;\nc = \\x\ny",
     "a =b ;\nc =", "<start>\n\nERROR -unterminated quoted name in line 2\n", NO_ERROR, 1},
};

class Conversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Conversion, WholeRun) {
  const ConversionCase &c = GetParam();
  RunResult r = run_conversion(POSTWRIGHT, c.input);
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.out, c.out);
  EXPECT_EQ(r.err, c.err);
  ASSERT_TRUE(r.output_exists);
  EXPECT_EQ(r.output, c.output);
}

INSTANTIATE_TEST_SUITE_P(Cases, Conversion, ::testing::ValuesIn(CONVERSIONS),
                         [](const ::testing::TestParamInfo<ConversionCase> &info) {
                           return std::string(info.param.name);
                         });

// Names and comment lines far beyond the driver's 30000-byte work buffer come out whole, and
// so does a comment line longer than the output buffer.
TEST(ConversionLimits, LongNamesAndCommentsAreWhole) {
  const std::string quoted = "\\" + std::string(70000, 'q') + "\\";
  const std::string name(50000, 'n');
  const std::string comment = "--" + std::string(OUTPUT_BUFFER_SIZE + 40000, 'c');
  RunResult r = run_conversion(POSTWRIGHT, quoted + " = " + name + ";\n" + comment + "\n" + comment);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, quoted + " =" + name + " ;\n" + comment + "\n" + comment);
}

// Short pieces far beyond what the output buffer holds come out whole and in order.
TEST(ConversionLimits, OutputBeyondTheBufferIsWhole) {
  std::string input, output;
  for (int n = 0; output.size() < 4 * OUTPUT_BUFFER_SIZE; n++) {
    const std::string name = "v" + std::to_string(n);
    input += name + " = " + name + " | !b & 1;\n";
    output += name + " =" + name + " b !1&|;\n";
  }
  RunResult r = run_conversion(POSTWRIGHT, input);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, output);
}

// Every open parenthesis holds one parse state until its group is complete: `depth` of them
// put depth + 7 states on the stack, and the stack holds at most 9999.
std::string nested(int depth) {
  return "a = " + std::string(static_cast<size_t>(depth), '(') + "b" + std::string(static_cast<size_t>(depth), ')') +
         ";\n";
}

TEST(ConversionLimits, NestingUpToTheStackLimit) {
  constexpr int DEEPEST_ACCEPTED = 9999 - 7;
  RunResult accepted = run_conversion(POSTWRIGHT, nested(DEEPEST_ACCEPTED));
  EXPECT_EQ(accepted.status, 0);
  EXPECT_EQ(accepted.output, "a =b ;\n");
  RunResult refused = run_conversion(POSTWRIGHT, nested(DEEPEST_ACCEPTED + 1));
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, COMPLETED);
  EXPECT_EQ(refused.err, parse_error(1));
  EXPECT_EQ(refused.output, "a =b ");  // the stack fills when the first ")" is shifted
  // A chain of NOTs holds one state per sign: 9999 - 6 signs fit.
  RunResult nots = run_conversion(POSTWRIGHT, "a = " + std::string(9999 - 6, '!') + "b;\n");
  EXPECT_EQ(nots.status, 0);
  EXPECT_EQ(nots.output, "a =b " + std::string(9999 - 6, '!') + ";\n");
  EXPECT_EQ(run_conversion(POSTWRIGHT, "a = " + std::string(9999 - 5, '!') + "b;\n").status, 1);
}

// Runs postwright with `args` where "IN" stands for an input file holding `input` and "DIR"
// for the scratch directory; `output` receives DIR/out when it exists.
RunResult run_in_scratch(std::vector<std::string> args, const std::string &input, std::string *output = nullptr) {
  std::string dir = make_scratch_dir();
  write_file(dir + "/in", input);
  for (std::string &a : args) {
    if (a == "IN") a = dir + "/in";
    if (a.rfind("DIR", 0) == 0) a = dir + a.substr(3);
  }
  RunResult r = run_command(POSTWRIGHT, args);
  if (output != nullptr) *output = file_exists(dir + "/out") ? read_file(dir + "/out") : "<none>";
  remove_scratch_dir(dir);
  return r;
}

struct CommandCase {
  const char *name;
  std::vector<std::string> args;
  int status;
  std::string out;
  std::string err;
  std::string output;  // DIR/out afterwards, "<none>" when it was not created
};

std::string usage_error(const std::string &reason) {
  return "postwright: " + reason + "\nTry 'postwright --help' for more information.\n";
}

// Options come anywhere among the arguments; "--" ends them; none of the usage errors
// creates the output file.
TEST(CommandLine, ArgumentsAndFiles) {
  const std::vector<CommandCase> cases = {
      {"no arguments", {}, 1, "", usage_error("missing file operand"), "<none>"},
      {"one file name", {"only-one"}, 1, "", usage_error("missing output file operand after 'only-one'"), "<none>"},
      {"unknown option alone", {"--verbose"}, 1, "", usage_error("unrecognized option '--verbose'"), "<none>"},
      {"unknown short option", {"IN", "-qx", "DIR/out"}, 1, "", usage_error("invalid option -- 'x'"), "<none>"},
      // inwright's own option is not postwright's.
      {"other program's short option", {"-r", "IN", "DIR/out"}, 1, "", usage_error("invalid option -- 'r'"), "<none>"},
      {"other program's long option",
       {"IN", "--readable", "DIR/out"},
       1,
       "",
       usage_error("unrecognized option '--readable'"),
       "<none>"},
      {"option with a value",
       {"--quiet=yes", "IN", "DIR/out"},
       1,
       "",
       usage_error("option '--quiet' doesn't allow an argument"),
       "<none>"},
      {"quiet after the files", {"IN", "DIR/out", "-q"}, 0, "", "", "a =b ;\n"},
      {"abbreviated option", {"--qu", "IN", "DIR/out"}, 0, "", "", "a =b ;\n"},
      {"double dash ends the options",
       {"--", "--help", "DIR/out"},
       1,
       "<start>\n",
       "Cannot open input file.\nExiting\n",
       "<none>"},
      // A third name is refused before anything is opened: a mistyped glob must not make a
      // source file the output.
      {"extra operand refused", {"IN", "DIR/out", "c.infix"}, 1, "", usage_error("extra operand 'c.infix'"), "<none>"},
      {"missing input", {"DIR/missing", "DIR/out"}, 1, "<start>\n", "Cannot open input file.\nExiting\n", "<none>"},
      {"directory as input", {"DIR", "DIR/out"}, 1, "<start>\n", "Cannot open input file.\nExiting\n", "<none>"},
      {"output directory missing",
       {"IN", "DIR/no/out"},
       1,
       "<start>\n",
       "Cannot create output file.\nExiting\n",
       "<none>"},
      {"disk full", {"IN", "/dev/full"}, 1, "<start>\n", "Cannot write output file.\nExiting\n", "<none>"},
      {"same path twice", {"IN", "IN"}, 1, "<start>\n", "Input and output are the same file.\nExiting\n", "<none>"},
      {"same file by another path",
       {"IN", "DIR/./in"},
       1,
       "<start>\n",
       "Input and output are the same file.\nExiting\n",
       "<none>"},
  };
  for (const CommandCase &c : cases) {
    std::string output;
    RunResult r = run_in_scratch(c.args, "a = b;\n", &output);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
    EXPECT_EQ(output, c.output) << c.name;
  }
}

// The input is left untouched when the output names the same file through a link.
TEST(CommandLine, SameFileThroughALinkIsRefused) {
  std::string dir = make_scratch_dir();
  write_file(dir + "/in", "a = b;\n");
  ASSERT_EQ(link((dir + "/in").c_str(), (dir + "/hard").c_str()), 0);
  ASSERT_EQ(symlink((dir + "/in").c_str(), (dir + "/soft").c_str()), 0);
  for (const char *other : {"/hard", "/soft"}) {
    RunResult r = run_command(POSTWRIGHT, {dir + "/in", dir + other});
    EXPECT_EQ(r.status, 1) << other;
    EXPECT_EQ(r.err, "Input and output are the same file.\nExiting\n") << other;
    EXPECT_EQ(read_file(dir + "/in"), "a = b;\n") << other;
  }
  remove_scratch_dir(dir);
}

// A write failure after the output buffer filled up during the run is caught as well.
TEST(CommandLine, LargeOutputToFullDisk) {
  std::string input;
  while (input.size() < 2 * OUTPUT_BUFFER_SIZE) input += "abc = d & e | f;\n";
  RunResult r = run_in_scratch({"IN", "/dev/full"}, input);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "<start>\n");
  EXPECT_EQ(r.err, "Cannot write output file.\nExiting\n");
}

// The standard streams as the files, the two programs in a pipe, closed and unwritable
// standard streams: command lines as a user types them, in a directory that holds `in`
// (one statement), `bad` (an illegal character) and the bundled features example.
struct ScriptCase {
  const char *name;
  const char *script;
  int status;
  std::string out;     // standard output, banners as <start> and <stop>
  std::string err;     // standard error, likewise
  std::string output;  // the file `out` afterwards, "<none>" when it was not created
};

const std::string BANNERS_ON_ERR = COMPLETED;  // standard error of an uneventful run with "-" as the output

TEST(CommandLine, StandardStreams) {
  const std::vector<ScriptCase> cases = {
      {"input from standard input", "postwright - out <in", 0, COMPLETED, "", "a =b ;\n"},
      {"output to standard output", "postwright in -", 0, "a =b ;\n", BANNERS_ON_ERR, "<none>"},
      {"both standard streams", "postwright - - <in >out", 0, "", BANNERS_ON_ERR, "a =b ;\n"},
      {"messages and echo beside the data", "printf 'q = \\\\a\\nb\\\\;\\n+' | postwright - -", 1, "q =\\ab\\ ;\n",
       "<start>\n\nERROR -illegal character in line 2\n", "<none>"},
      {"quiet drops the banners only", "postwright -q bad out", 1, "ERROR -illegal character in line 1\n", "", "a =b "},
      {"a file named like an option", "cp in ./-q && postwright -q -- -q out", 0, "", "", "a =b ;\n"},
      {"a file named -", "cp in ./- && postwright -q ./- out", 0, "", "", "a =b ;\n"},
      // Read back by inwright, the pipe gives the same file as the two steps through a file.
      {"pipe into inwright",
       "postwright -q features.infix - | inwright -q - piped && "
       "postwright -q features.infix step && inwright -q step twostep && cmp piped twostep",
       0, "", "", "<none>"},
      {"same file as standard input", "postwright - in <in", 1, "<start>\n",
       "Input and output are the same file.\nExiting\n", "<none>"},
      {"same file as standard output", "postwright in - >>in", 1, "",
       "<start>\nInput and output are the same file.\nExiting\n", "<none>"},
      // Closed standard streams are /dev/null: nothing meant for them lands in the output file.
      {"closed standard streams", "postwright bad out <&- >&- 2>&-", 1, "", "", "a =b "},
      {"standard output unwritable", "postwright in out >/dev/full", 1, "", "Cannot write standard output.\nExiting\n",
       "a =b ;\n"},
      {"help to an unwritable standard output", "postwright --help >/dev/full", 1, "",
       "Cannot write standard output.\nExiting\n", "<none>"},
      {"nothing lost when quiet", "postwright -q in out >/dev/full", 0, "", "", "a =b ;\n"},
      {"standard output as the output file", "postwright in - >/dev/full", 1, "",
       "<start>\nCannot write output file.\nExiting\n", "<none>"},
      {"output file fails first", "postwright in /dev/full >/dev/full", 1, "", "Cannot write output file.\nExiting\n",
       "<none>"},
      // "-" names a standard stream that was closed: the data would go to /dev/null.
      {"standard output closed", "postwright -q in - >&-", 1, "", "Cannot create output file.\nExiting\n", "<none>"},
      {"standard input closed", "postwright -q - out <&-", 1, "", "Cannot open input file.\nExiting\n", "<none>"},
      // The file problems in the gnu format name the file and the system's reason.
      {"gnu: input missing", "postwright -q --error-format=gnu nothing out", 1, "",
       "postwright: nothing: cannot open: No such file or directory\n", "<none>"},
      {"gnu: input a directory", "mkdir d && postwright -q --error-format=gnu d out", 1, "",
       "postwright: d: cannot open: Is a directory\n", "<none>"},
      {"gnu: output cannot be created", "postwright -q --error-format=gnu in no/out", 1, "",
       "postwright: no/out: cannot create: No such file or directory\n", "<none>"},
      {"gnu: output is the input", "postwright -q --error-format=gnu in in", 1, "",
       "postwright: in: is the input file\n", "<none>"},
      {"gnu: write fails", "postwright -q --error-format=gnu in /dev/full", 1, "",
       "postwright: /dev/full: cannot write: No space left on device\n", "<none>"},
      {"json: input missing", "postwright --error-format=json nothing out", 1, "<start>\n",
       "{\"file\":\"nothing\",\"severity\":\"error\",\"message\":\"cannot open: No such file or directory\"}\n",
       "<none>"},
      {"json: standard error holds objects only", "postwright --error-format=json echo -", 1, "q =\\ab\\ ;\ny =",
       "{\"file\":\"echo\",\"line\":3,\"column\":5,\"severity\":\"error\",\"message\":\"illegal character '~'; "
       "NOT is '!'\"}\n",
       "<none>"},
      {"error format without its value", "postwright in out --error-format", 1, "",
       "postwright: option '--error-format' requires an argument\nTry 'postwright --help' for more information.\n",
       "<none>"},
      {"unknown error format", "postwright --error-format=vim in out", 1, "",
       "postwright: invalid argument 'vim' for '--error-format'\nValid arguments are: 'classic', 'gnu', 'json'\n"
       "Try 'postwright --help' for more information.\n",
       "<none>"},
      // --check: every file, every error, nothing written, no banners.
      {"check clean files", "postwright --check in in", 0, "", "", "<none>"},
      {"check clean and faulty files", "postwright --check in bad many in", 1, "",
       "bad:1:7: error: illegal character '+'; OR is '|'\na = b + c;\n      ^\n"
       "many:1:5: error: expected an operand before ';'\na = ;\n    ^\n"
       "many:3:7: error: expected ')' before ';'\nc = (a;\n      ^\n",
       "<none>"},
      {"check reports one error a statement", "postwright --check worse", 1, "",
       "worse:1:7: error: '&&' is not an operator; write '&'\ny = a && b ~ c;\n      ^\n"
       "worse:2:6: error: illegal character '['; a PLC tag name? quote it between backslashes, as in \\motor.run\\\n"
       "z = a[1] & b.c;\n     ^\n",
       "<none>"},
      {"check goes on after a file it cannot open", "postwright --check --error-format=json nothing bad", 1, "",
       "{\"file\":\"nothing\",\"severity\":\"error\",\"message\":\"cannot open: No such file or directory\"}\n"
       "{\"file\":\"bad\",\"line\":1,\"column\":7,\"severity\":\"error\",\"message\":\"illegal character '+'; OR is "
       "'|'\"}\n",
       "<none>"},
      {"check shows 100 errors a file", "yes 'a = ;' | head -n 105 >lots && postwright --check lots 2>&1 | tail -n 4",
       0, "lots:100:5: error: expected an operand before ';'\na = ;\n    ^\nlots: note: 5 more errors not shown\n", "",
       "<none>"},
      {"check needs a file", "postwright --check", 1, "",
       "postwright: missing file operand\nTry 'postwright --help' for more information.\n", "<none>"},
  };
  const std::string features = read_file(EXAMPLES_DIR "/features.infix");
  for (const ScriptCase &c : cases) {
    RunResult r = run_script(c.script,
                             {{"in", "a = b;\n"},
                              {"bad", "a = b + c;\n"},
                              {"many", "a = ;\nb = c;\nc = (a;\n"},
                              {"echo", "q = \\a\nb\\;\ny = ~;\n"},
                              {"worse", "y = a && b ~ c;\nz = a[1] & b.c;\nw = ok;\n"},
                              {"features.infix", features}},
                             {POSTWRIGHT, INWRIGHT_EXE});
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
    EXPECT_EQ(r.output_exists ? r.output : "<none>", c.output) << c.name;
  }
}

// The gnu and json formats: where each mistake is reported, what the message says, and the
// source line with its caret. The run stops at the first error, as in the classic format.
TEST(ErrorFormat, MistakesAreReportedWhereTheyAre) {
  struct Mistake {
    const char *name;
    std::string input;
    const char *format;  // --error-format's value
    std::string err;
  };
  const std::vector<Mistake> table = {
      {"semicolon missing at a line end", "x = a;\ny = b\nz = c;\n", "gnu",
       "in:2:6: error: expected ';' after 'b'\ny = b\n     ^\n"},
      {"semicolon missing after an argument list", "y = x(t-1)\n\n-- c\n", "gnu",
       "in:1:11: error: expected ';' after 'x(t-1)'\ny = x(t-1)\n          ^\n"},
      {"semicolon missing at the end", "y = a", "gnu", "in:1:6: error: expected ';' after 'a'\ny = a\n     ^\n"},
      {"doubled and", "y = a && b;\n", "gnu",
       "in:1:7: error: '&&' is not an operator; write '&'\ny = a && b;\n      ^\n"},
      {"doubled or", "y = a || b;\n", "gnu",
       "in:1:7: error: '||' is not an operator; write '|'\ny = a || b;\n      ^\n"},
      {"a word for an operator", "y = a and b;\n", "gnu",
       "in:1:7: error: 'and' is not an operator; write '&'\ny = a and b;\n      ^\n"},
      {"tilde", "y = ~a;\n", "gnu", "in:1:5: error: illegal character '~'; NOT is '!'\ny = ~a;\n    ^\n"},
      {"caret", "y = a ^ b;\n", "gnu",
       "in:1:7: error: illegal character '^'; there is no XOR operator; write (a & !b) | (!a & b)\ny = a ^ b;\n      "
       "^\n"},
      {"windows line end", "-- c\r\ny = a;\r\n", "gnu",
       "in:2:7: error: illegal character '\\r'; a Windows line ending; convert the file first, for example with "
       "dos2unix\ny = a;\r\n      ^\n"},
      {"byte-order mark", "\xEF\xBB\xBFy = a;\n", "gnu",
       "in:1:1: error: illegal character '\\xEF'; a UTF-8 byte-order mark at the start; save the file without "
       "it\n\xEF\xBB\xBFy = a;\n^\n"},
      {"PLC tag", "y = motor.run;\n", "gnu",
       "in:1:10: error: illegal character '.'; a PLC tag name? quote it between backslashes, as in "
       "\\motor.run\\\ny = motor.run;\n         ^\n"},
      {"unbalanced parenthesis", "y = (a | b;\n", "gnu",
       "in:1:11: error: expected ')' before ';'\ny = (a | b;\n          ^\n"},
      // A newline inside a quoted name is left out of the name, and out of the classic line
      // count; an editor counts it, and a message spells it out.
      {"a line after a newline inside a quoted name", "y = \\a\nb\\ ~;\n", "gnu",
       "in:2:4: error: illegal character '~'; NOT is '!'\nb\\ ~;\n   ^\n"},
      {"a token that holds a newline", "y = z \\a\nb\\;\n", "gnu",
       "in:1:7: error: expected ';' before '\\a\\nb\\'\ny = z \\a\n      ^\n"},
      {"the input ends too soon", "y = (a\n\n", "gnu",
       "in:1:7: error: expected ')' at the end of the input\ny = (a\n      ^\n"},
      {"operand missing", "y = a |;\n", "gnu", "in:1:8: error: expected an operand before ';'\ny = a |;\n       ^\n"},
      {"a tab is one column", "y =\t;\n", "gnu", "in:1:5: error: expected an operand before ';'\ny =\t;\n   \t^\n"},
      {"blanks in an argument list", "y = x(t - 1);\n", "gnu",
       "in:1:6: error: expected ';' before '('; an argument list is written without blanks, as in x(t-1)\ny = x(t - "
       "1);\n     ^\n"},
      {"no statement", "1 = b;\n", "gnu", "in:1:1: error: expected a statement before '1'\n1 = b;\n^\n"},
      {"unterminated quoted name", "y = \\a b;\n", "gnu",
       "in:1:5: error: unterminated quoted name: no closing backslash\ny = \\a b;\n    ^\n"},
      {"json", "x = a;\ny = b\nz = c;\n", "json",
       "{\"file\":\"in\",\"line\":2,\"column\":6,\"severity\":\"error\",\"message\":\"expected ';' after "
       "'b'\",\"expected\":[\"';'\"]}\n"},
      {"json: illegal byte", "y = \x01;", "json",
       "{\"file\":\"in\",\"line\":1,\"column\":5,\"severity\":\"error\",\"message\":\"illegal character "
       "'\\\\x01'\"}\n"},
      // JSON is UTF-8: a byte outside a well-formed sequence is named, a whole sequence kept.
      {"json: a name in UTF-8 and Latin-1", "y = a \\\xC3\xA9t\xE9\\;", "json",
       "{\"file\":\"in\",\"line\":1,\"column\":7,\"severity\":\"error\",\"message\":\"expected ';' before "
       "'\\\\\xC3\xA9t\\\\xE9\\\\'\",\"expected\":[\"';'\"]}\n"},
      // The rarer bytes, tokens and hints, and what the places and texts make of them.
      {"an operand after a complete one", "y = a | b c;\n", "gnu",
       "in:1:11: error: expected ';' before 'c'\ny = a | b c;\n          ^\n"},
      {"star", "y = a * b;\n", "gnu", "in:1:7: error: illegal character '*'; AND is '&'\ny = a * b;\n      ^\n"},
      {"PLC address", "y = %I0;\n", "gnu",
       "in:1:5: error: illegal character '%'; a PLC tag name? quote it between backslashes, as in \\%I0.1\\\ny = "
       "%I0;\n    ^\n"},
      {"percent alone", "y = a %;\n", "gnu", "in:1:7: error: illegal character '%'\ny = a %;\n      ^\n"},
      {"apostrophe", "y = a';\n", "gnu", "in:1:6: error: illegal character \"'\"\ny = a';\n     ^\n"},
      {"a byte outside ASCII", "y = a\xEF;\n", "gnu", "in:1:6: error: illegal character '\\xEF'\ny = a\xEF;\n     ^\n"},
      {"a long token is cut", "y = a bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb;\n", "gnu",
       "in:1:7: error: expected ';' before 'bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb...'\ny = a "
       "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb;\n      ^\n"},
      {"a control byte in a quoted name",
       "y = z \\a\x01"
       "b\\;\n",
       "gnu",
       "in:1:7: error: expected ';' before '\\a\\x01b\\'\ny = z \\a\x01"
       "b\\;\n      ^\n"},
      {"semicolon missing after a number", "y = -5\nz = a;\n", "gnu",
       "in:1:7: error: expected ';' after '-5'\ny = -5\n      ^\n"},
      {"semicolon missing after t-1", "y = t-1\nz = a;\n", "gnu",
       "in:1:8: error: expected ';' after 't-1'\ny = t-1\n       ^\n"},
      {"semicolon missing after a quoted name", "y = \\a b\\\nz = a;\n", "gnu",
       "in:1:10: error: expected ';' after '\\a b\\'\ny = \\a b\\\n         ^\n"},
      {"json: a tab in a quoted name", "y = z \\a\tb\\;\n", "json",
       "{\"file\":\"in\",\"line\":1,\"column\":7,\"severity\":\"error\",\"message\":\"expected ';' before "
       "'\\\\a\\u0009b\\\\'\",\"expected\":[\"';'\"]}\n"},
      {"json: sequences cut short", "y = z \\\xE2\x82\xAC\xFF\xE2\x82(\\;\n", "json",
       "{\"file\":\"in\",\"line\":1,\"column\":7,\"severity\":\"error\",\"message\":\"expected ';' before "
       "'\\\\\xE2\x82\xAC\\\\xFF\\\\xE2\\\\x82(\\\\'\",\"expected\":[\"';'\"]}\n"},
  };
  for (const Mistake &m : table) {
    RunResult r = run_script("postwright -q --error-format="s + m.format + " in out", {{"in", m.input}}, {POSTWRIGHT});
    EXPECT_EQ(r.status, 1) << m.name;
    EXPECT_EQ(r.err, m.err) << m.name;
  }
  RunResult piped = run_script("postwright -q --error-format=gnu - out <in", {{"in", "y = ;\n"}}, {POSTWRIGHT});
  EXPECT_EQ(piped.err, "<stdin>:1:5: error: expected an operand before ';'\ny = ;\n    ^\n");
  // A line longer than the buffer and the bytes that refills keep: a file is read again for
  // it, a pipe cannot be, and its message stands without it.
  const std::string long_line = "y = a" + std::string(40000, ' ') + "~;";
  const std::string long_line_error = "1:40006: error: illegal character '~'; NOT is '!'\n";
  RunResult from_file = run_script("postwright -q --error-format=gnu in out", {{"in", long_line + "\n"}}, {POSTWRIGHT});
  EXPECT_EQ(from_file.err,
            "in:" + long_line_error + long_line.substr(0, 4096) + "\n" + std::string(40005, ' ') + "^\n");
  RunResult from_pipe =
      run_script("cat in | postwright -q --error-format=gnu - out", {{"in", long_line + "\n"}}, {POSTWRIGHT});
  EXPECT_EQ(from_pipe.err, "<stdin>:" + long_line_error);
  RunResult deep = run_script("postwright -q --error-format=gnu in out",
                              {{"in", "y = " + std::string(PARSE_STACK_MAX, '(') + "a;\n"}}, {POSTWRIGHT});
  EXPECT_EQ(deep.err.substr(0, deep.err.find('\n') + 1), "in:1:9999: error: the statement is nested too deeply\n");
}

// --help names every option and the manual, inwright's own option too; --version gives
// program, package and version on its first line, then the copyright and the licence.
TEST(CommandLine, HelpAndVersion) {
  RunResult help = run_command(POSTWRIGHT, {"in", "--help", "out"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("Usage: postwright [OPTION]... INFIX_INPUT POSTFIX_OUTPUT\n", 0), 0u);
  for (const char *item :
       {"\n  -q, --quiet                print", "\n      --check  ", "\n      --error-format=FORMAT  classic", "--help",
        "--version", "A file name of - is", "\nExit status:\n  0  ", "\n  2  memory ran out", "man postwright"}) {
    EXPECT_NE(help.out.find(item), std::string::npos) << item;
  }
  EXPECT_EQ(help.out.find("--readable"), std::string::npos);
  RunResult other = run_command(INWRIGHT_EXE, {"--help"});
  for (const char *item : {"\n  -q, --quiet                print", "\n  -r, --readable             each",
                           "\n      --version              output", "\nExit status:\n  0  "}) {
    EXPECT_NE(other.out.find(item), std::string::npos) << item;
  }
  RunResult version = run_command(POSTWRIGHT, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("postwright (postwright) 1.0.0\nCopyright (C) 2026 ", 0), 0u);
  EXPECT_NE(version.out.find("License MIT"), std::string::npos);
}

// Each bundled example converts to the file worked out by hand beside it.
TEST(Example, FeaturesFilesConvertAsWorkedOutByHand) {
  for (const auto &[program, sample] : {std::pair{POSTWRIGHT, "features.infix"}, {INWRIGHT_EXE, "features.postfix"}}) {
    RunResult r = run_conversion(program, read_file(EXAMPLES_DIR "/"s + sample));
    EXPECT_EQ(r.status, 0) << sample;
    EXPECT_EQ(r.out, COMPLETED) << sample;
    EXPECT_EQ(r.output, read_file(EXAMPLES_DIR "/"s + sample + ".expected")) << sample;
  }
}

}  // namespace

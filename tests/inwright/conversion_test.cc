// inwright end to end: the real program on input files, asserting the whole output file,
// standard output (banners as <start>/<stop>), standard error and the exit status; then the
// command-line cases (arguments, unopenable files, the same file twice, a full disk).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "postfix_scanner.h"
#include "process.h"
#include "program_runner.h"
#include "scanner.h"
#include "shared_actions.h"

using namespace std::string_literals;

namespace {

struct Case {
  const char *name;
  std::string input;
  std::string output;   // bytes of the output file
  std::string console;  // standard output
  int status;
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

const std::string START = "<start>\n";
const std::string DONE = START + "<stop>\n";

Case ok(const char *name, const std::string &input, const std::string &output) {
  return {name, input, output, DONE, 0};
}

// The run stops on a fault: the message ends standard output and no stop banner follows.
Case fault(const char *name, const std::string &input, const std::string &output, const std::string &message) {
  return {name, input, output, START + message, 1};
}

const std::string LONG_TEXT(100000, 'x');  // beyond the 32000-character work area
const std::string HUGE_TEXT(300000, 'x');  // quadratic if taken byte by byte

const std::vector<Case> &cases() {
  static const std::vector<Case> table = {
      ok("empty input", "", ""),
      ok("worked example", "y = a b & d ! | ;\n", "y =(a&b)|!d;\n"),
      ok("single operand", "a ;\na ! ! ;\na ! ;\n", "a;\na;\n!a;\n"),
      ok("negated groups", "a b d | ! & ;\na b | ! d & e | ;\na ! b & d | ;\n",
         "a&!(b|d);\n(!(a|b)&d)|e;\n(!a&b)|d;\n"),
      ok("argument lists, t-1, numbers, lone minus", "x(t-1) t-1 & ;\n- 5 | ;\nf() g(a,-1) | -12 & ;\n",
         "x(t-1)&t-1;\n-|5;\n(f()|g(a,-1))&-12;\n"),
      ok("t-1 is exactly three characters", "t-2 & ;\nt-12 & ;\ntx ;\n", "t&-2;\nt-1&2;\ntx;\n"),
      ok("quoted names", "\\a b\\ \\e\\\\f\\ | ;\n\\in 1\\(t-1) ;\n", "\\a b\\|\\e\\\\f\\;\n\\in 1\\(t-1);\n"),
      ok("quoted targets", "\\t\\ =\\a\\ \\b\\\\c\\ &;\n\\u\\\\v\\(1) =\\w\\(t-1) !;\n\\\\ =\\x\\\\\\ ;\n",
         "\\t\\ =\\a\\&\\b\\\\c\\;\n\\u\\\\v\\(1) =!\\w\\(t-1);\n\\\\ =\\x\\\\\\;\n"),
      ok("targets", "\\q\\ = a ;\ny(t-1) = b ;\n\\r\\(i) = c ;\n", "\\q\\ =a;\ny(t-1) =b;\n\\r\\(i) =c;\n"),
      ok("braces, blank lines, blanks and tabs", "{\n\n\t a \t ; }\n", "{\n\na;}\n"),
      ok("comments are copied at once", "-- note\ny = a b\n-- inside\n& ;\n---x\n",
         "-- note\ny =\n-- inside\na&b;\n---x\n"),
      ok("end marker stops the scan", "a ;\n<<EOF>>\nb ;\n", "a;\n"),
      ok("last line without newline", "a b | ;", "a|b;"),
      {"newline inside a quoted name is echoed", "\\a\nb\\ ;\n", "\\ab\\;\n", START + "\n<stop>\n", 0},
      fault("illegal equals sign", "y=a;", "", "ERROR -illegal character ="),
      fault("equals after two blanks", "x ;\ny  = a ;", "x;\n", "ERROR -illegal character ="),
      fault("carriage return", "a ;\r\n", "a;", "ERROR -illegal character \r"),
      fault("NUL byte", "a ;\0"s, "a;", "ERROR -illegal character "),
      fault("incomplete end marker", "<<EOF>\n", "", "ERROR -illegal character <"),
      // Statements that cannot be printed faithfully are refused rather than printed wrong.
      fault("operator without two operands", "a ;\n\na &\n", "a;\n\n", "ERROR -missing operand in line 3\n"),
      fault("negation of nothing", "!", "", "ERROR -missing operand in line 1\n"),
      fault("statement end on an empty stack", "y = ;", "y =", "ERROR -missing operand in line 1\n"),
      fault("comment lines count, quoted newlines do not", "-- c\n\\x\ny\\ & ;", "-- c\n",
            "\nERROR -missing operand in line 2\n"),
      fault("missing operator", "y = a b ;\nz = c ;\n", "y =", "ERROR -missing operator in line 1\n"),
      fault("missing semicolon at end of input", "y = a b &\n", "y =\n", "ERROR -missing semicolon in line 2\n"),
      fault("missing semicolon at end marker", "a <<EOF>>", "", "ERROR -missing semicolon in line 1\n"),
      fault("unterminated quoted name", "a \\b c", "", "ERROR -unterminated quoted name in line 1\n"),
      ok("final comment without newline", "a ;\n-- last", "a;\n-- last"),
      fault("final comment written before the fault", "a -- c", "-- c", "ERROR -missing semicolon in line 1\n"),
      fault("NUL in a quoted name", "\\a\0b\\ ;"s, "", "ERROR -illegal character "),
      fault("NUL in a comment line", "a ;\n-- a\0b\n"s, "a;\n", "ERROR -illegal character "),
      fault("NUL in a final comment", "-- a\0b"s, "", "ERROR -illegal character "),
      ok("long quoted name", "\\" + LONG_TEXT + "\\ ;\n", "\\" + LONG_TEXT + "\\;\n"),
      ok("long comment line", "--" + LONG_TEXT + "\n", "--" + LONG_TEXT + "\n"),
      ok("huge final comment", "--" + HUGE_TEXT, "--" + HUGE_TEXT),
  };
  return table;
}

class Conversion : public ::testing::TestWithParam<Case> {};

TEST_P(Conversion, WritesExactOutput) {
  const Case &c = GetParam();
  RunResult r = run_conversion(INWRIGHT_EXE, c.input);
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.out, c.console);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.output_exists);
  EXPECT_EQ(r.output, c.output);
}

std::string case_name(const ::testing::TestParamInfo<Case> &info) {
  std::string name;
  for (const char *p = info.param.name; *p != 0; p++) name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Inwright, Conversion, ::testing::ValuesIn(cases()), case_name);

// What postwright makes of the readable form.
enum ReadBack {
  SAME_POSTFIX,   // it reads both forms, to the same postfix
  ONLY_READABLE,  // the default form does not read back (a comment inside a statement)
  NEITHER,        // the postfix held no whole assignment
};

struct ReadableCase {
  const char *name;
  std::string input;
  std::string output;   // the readable form
  std::string console;  // standard output
  ReadBack read_back;
};

// The readable form: one statement a line, only the parentheses that precedence needs, what
// stood inside a statement moved out of it, and no two tokens that postwright would scan as
// one ("-" "-" a comment, "t" "-1" the literal t-1).
TEST(Readable, WritesEachStatementOnALineThatReadsBack) {
  const std::vector<ReadableCase> table = {
      {"precedence and grouping", "y = a b & d ! | ;\ny =a b | c & ;\ny =a b c & & ;\ny =a b | ! ;\n",
       "y = a & b | !d;\ny = (a | b) & c;\ny = a & (b & c);\ny = !(a | b);\n", DONE, SAME_POSTFIX},
      {"a double negation collapses", "y = a ! ! b c | ! ! & ;\n", "y = a & (b | c);\n", DONE, SAME_POSTFIX},
      {"operands", "x(t-1) = t-1 - & 5 | ;\n\\out 1\\ = \\in 1\\ \\a\\\\b\\ & \\c\\(x,-1) ! | ;\n",
       "x(t-1) = t-1 & - | 5;\n\\out 1\\ = \\in 1\\ & \\a\\\\b\\ | !\\c\\(x,-1);\n", DONE, SAME_POSTFIX},
      {"tokens that must not run together", "y = - - | ;\nz = t -1 & ;\nw = a - ! & ;\nv = -3 ! t-1 | 1 2 & | ;\n",
       "y = - | -;\nz = t & -1;\nw = a & !-;\nv = !-3 | t-1 | 1 & 2;\n", DONE, SAME_POSTFIX},
      {"layout outside statements as in the default form", "-- note\n\n{ y = a ; z = b ; }\n\n}",
       "-- note\n\n{y = a;z = b;}\n\n}", DONE, SAME_POSTFIX},
      {"newlines inside a statement dropped, the target held to its end", "y =\n\na\nb\n&\n;\nc z = d & ;\n",
       "y = a & b;\nz = c & d;\n", DONE, SAME_POSTFIX},
      {"a comment inside a statement goes before it", "a = b ; c = d -- inside\ne -- again\n& ;\n",
       "a = b;\n-- inside\n-- again\nc = d & e;\n", DONE, ONLY_READABLE},
      {"a brace inside a statement goes before it", "{\ny = a\n{\n\nb | ;\n}\n", "{\n{\ny = a | b;\n}\n", DONE,
       ONLY_READABLE},
      {"no target, and a target at the end of the input", "a b & ;\ny = a ;\nz =", "a & b;\ny = a;\nz =", DONE,
       NEITHER},
      {"a fault after a final comment", "y = a\n-- c", "y =\n-- c", START + "ERROR -missing semicolon in line 2\n",
       NEITHER},
  };
  for (const ReadableCase &c : table) {
    RunResult readable = run_conversion(INWRIGHT_EXE, c.input, {"--readable"});
    EXPECT_EQ(readable.out, c.console) << c.name;
    EXPECT_EQ(readable.output, c.output) << c.name;
    RunResult plain = run_conversion(INWRIGHT_EXE, c.input);
    RunResult from_default = run_conversion(POSTWRIGHT_EXE, plain.output, {"-q"});
    RunResult from_readable = run_conversion(POSTWRIGHT_EXE, readable.output, {"-q"});
    EXPECT_EQ(from_default.status == 0, c.read_back == SAME_POSTFIX) << c.name;
    EXPECT_EQ(from_readable.status == 0, c.read_back != NEITHER) << c.name << from_readable.err;
    if (c.read_back == SAME_POSTFIX) {
      EXPECT_EQ(from_readable.output, from_default.output) << c.name;
    }
  }
}

// Line numbers count in 64 bits: a file may hold more lines than an int counts. Run in
// process, with the line counter set where a file of 2^31 lines would have it.
TEST(Messages, LineNumbersBeyondTwoToThe31) {
  EXPECT_EXIT(
      {
        postfix_scanner_reset();
        current_line = 2147483648;
        message_stream = stderr;
        yy_input_stream = stream_holding("\na &");
        yy_next_token();
      },
      ::testing::ExitedWithCode(1), "^ERROR -missing operand in line 2147483649\n$");
}

std::string usage_error(const std::string &reason) {
  return "inwright: " + reason + "\nTry 'inwright --help' for more information.\n";
}

TEST(CommandLine, OptionsAndUsage) {
  struct Expect {
    std::vector<std::string> args;
    std::string out, err;
    int status;
  };
  const std::vector<Expect> table = {
      {{}, "", usage_error("missing file operand"), 1},
      {{"only-one"}, "", usage_error("missing output file operand after 'only-one'"), 1},
      {{"-x", "/dev/null", "/dev/null"}, "", usage_error("invalid option -- 'x'"), 1},
      {{"/dev/null", "--version=2", "/dev/null"}, "", usage_error("option '--version' doesn't allow an argument"), 1},
      {{"/nonexistent/in", "/nonexistent/out"}, START, "Error opening input file.\nExiting\n", 1},
      {{"/", "/nonexistent/out"}, START, "Error opening input file.\nExiting\n", 1},  // a directory
      {{"/dev/null", "/dev/null"}, DONE, "", 0},  // a device is not emptied by opening it
      {{"/dev/null", "/dev/null", "--quiet"}, "", "", 0},
      {{"-rq", "/dev/null", "/dev/null", "--read"}, "", "", 0},  // its own option, run together, abbreviated
      {{"--re=1", "/dev/null", "/dev/null"}, "", usage_error("option '--readable' doesn't allow an argument"), 1},
      {{"--", "-q", "/dev/null"}, START, "Error opening input file.\nExiting\n", 1},
      {{"-", "-"}, "", DONE, 0},  // standard input is /dev/null here
  };
  for (const Expect &e : table) {
    RunResult r = run_command(INWRIGHT_EXE, e.args);
    EXPECT_EQ(r.out, e.out) << testing::PrintToString(e.args);
    EXPECT_EQ(r.err, e.err) << testing::PrintToString(e.args);
    EXPECT_EQ(r.status, e.status) << testing::PrintToString(e.args);
  }
}

// An output that cannot be created, that is the input itself, or that cannot be written.
TEST(CommandLine, UnusableOutput) {
  const std::string dir = make_scratch_dir(), input = dir + "/in", text = "y = a b & ;\n";
  write_file(input, text);
  const std::vector<std::pair<std::string, std::string>> table = {
      {dir + "/missing/out", "Error creating output file.\nExiting\n"},
      {input, "Input and output are the same file.\nExiting\n"},
      {"/dev/full", "Error writing output file.\nExiting\n"},
  };
  for (const auto &[output, message] : table) {
    RunResult r = run_command(INWRIGHT_EXE, {input, output});
    EXPECT_EQ(r.status, 1) << output;
    EXPECT_EQ(r.out, START) << output;
    EXPECT_EQ(r.err, message) << output;
  }
  EXPECT_EQ(read_file(input), text);
  remove_scratch_dir(dir);
}

// The gnu and json formats: each of inwright's faults at the token where it shows, with the
// source line and a caret; the run stops at the first, as in the classic format.
TEST(ErrorFormat, FaultsAreReportedWhereTheyShow) {
  const std::vector<std::pair<std::string, std::string>> table = {
      {"y = a & ;\n", "in:1:7: error: '&' needs two operands before it\ny = a & ;\n      ^\n"},
      {"y = a b ;\n",
       "in:1:9: error: expected an operator before ';': 2 operands are not joined\ny = a b ;\n        ^\n"},
      {"y = a b &\n\n", "in:1:10: error: expected ';' after '&'\ny = a b &\n         ^\n"},
      {"a ; y = x(t-1) <<EOF>>",
       "in:1:15: error: expected ';' after 'x(t-1)'\na ; y = x(t-1) <<EOF>>\n              ^\n"},
      {"a ;\ny=a;", "in:2:2: error: illegal character '='\ny=a;\n ^\n"},
      {"a ;\r\n",
       "in:1:4: error: illegal character '\\r'; a Windows line ending; convert the file first, for example "
       "with dos2unix\na ;\r\n   ^\n"},
      {"a \\b c", "in:1:3: error: unterminated quoted name: no closing backslash\na \\b c\n  ^\n"},
  };
  for (const auto &[input, err] : table) {
    RunResult r = run_script("inwright -q --error-format=gnu in out", {{"in", input}}, {INWRIGHT_EXE});
    EXPECT_EQ(r.status, 1) << input;
    EXPECT_EQ(r.err, err) << input;
  }
  RunResult json = run_script("inwright -q --error-format=json in out", {{"in", "\n ~ ;"}}, {INWRIGHT_EXE});
  EXPECT_EQ(json.err,
            "{\"file\":\"in\",\"line\":2,\"column\":2,\"severity\":\"error\",\"message\":\"illegal character '~'; "
            "NOT is '!'\"}\n");
}

// Standard streams that are closed, unwritable or carry the data: command lines as a user
// types them, in a directory that holds `in` (one statement) and `bad` (a missing operand).
TEST(CommandLine, StandardStreams) {
  struct Expect {
    const char *script;
    int status;
    std::string out, err;
    std::string output;  // the file `out` afterwards, "<none>" when it was not created
  };
  const std::vector<Expect> table = {
      {"inwright - out <in", 0, DONE, "", "y =a&b;\n"},
      {"inwright bad -", 1, "y =", START + "ERROR -missing operand in line 1\n", "<none>"},
      {"inwright -q bad out", 1, "ERROR -missing operand in line 1\n", "", "y ="},
      {"inwright bad out <&- >&- 2>&-", 1, "", "", "y ="},
      {"inwright in out >/dev/full", 1, "", "Error writing standard output.\nExiting\n", "y =a&b;\n"},
      {"inwright in - >/dev/full", 1, "", START + "Error writing output file.\nExiting\n", "<none>"},
      {"inwright --version >/dev/full", 1, "", "Error writing standard output.\nExiting\n", "<none>"},
      // "-" names a standard stream that was closed: the data would go to /dev/null.
      {"inwright -q in - >&-", 1, "", "Error creating output file.\nExiting\n", "<none>"},
      {"inwright -q - out <&-", 1, "", "Error opening input file.\nExiting\n", "<none>"},
      {"inwright -q in out extra", 1, "",
       "inwright: extra operand 'extra'\nTry 'inwright --help' for more information.\n", "<none>"},
      {"inwright -q --error-format=gnu nothing out", 1, "",
       "inwright: nothing: cannot open: No such file or directory\n", "<none>"},
      // --check: every file, every error, one for each statement, nothing written.
      {"inwright --check in in", 0, "", "", "<none>"},
      {"inwright --check in bad many", 1, "",
       "bad:1:7: error: '&' needs two operands before it\ny = a & ;\n      ^\n"
       "many:1:5: error: expected an operand before ';'\ny = ;\n    ^\n"
       "many:3:9: error: expected an operator before ';': 2 operands are not joined\nz = a b ;\n        ^\n"
       "many:4:5: error: '!' needs an operand before it\nv = ! a & ;\n    ^\n"
       "many:6:10: error: expected ';' after '&'\nw = a a &\n         ^\n",
       "<none>"},
  };
  for (const Expect &e : table) {
    RunResult r = run_script(e.script,
                             {{"in", "y = a b & ;\n"},
                              {"bad", "y = a & ;\n"},
                              {"many", "y = ;\nx = a ;\nz = a b ;\nv = ! a & ;\nu = a b | ;\nw = a a &\n"}},
                             {INWRIGHT_EXE});
    EXPECT_EQ(r.status, e.status) << e.script;
    EXPECT_EQ(r.out, e.out) << e.script;
    EXPECT_EQ(r.err, e.err) << e.script;
    EXPECT_EQ(r.output_exists ? r.output : "<none>", e.output) << e.script;
  }
}

}  // namespace

// Both programs with one call failing: for each row of the table and each kind of call
// (allocation, read, write, flush, close), a run with the preloaded fault library counts the
// calls of a clean run, then one run per call fails that call alone. The rows convert a file,
// in each error format, or check two. Every run must end with
// the status and the message its failure calls for, or exactly as the clean run did when the
// failure costs nothing (the C library survives a failed allocation of a stream buffer, or a
// failed close of the input): never a crash, a sanitizer report, success after data was
// lost, or an output file that is not a prefix of the clean run's. The sanitizer build fails
// the allocations in copies of the programs that carry the fault library linked in (its
// executables' malloc comes before a preloaded one), with LeakSanitizer on: a block that a
// failed allocation leaves unreachable fails the sweep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "program_runner.h"

namespace {

#ifdef ALLOCATIONS_LINKED
constexpr bool ALLOCATIONS_IN_COPIES = true;
#else
constexpr bool ALLOCATIONS_IN_COPIES = false;
#define POSTWRIGHT_FAULTS_EXE POSTWRIGHT_EXE
#define INWRIGHT_FAULTS_EXE INWRIGHT_EXE
#endif

struct Program {
  const char *exe;
  const char *allocations_exe;          // the one whose allocations fail: a copy, or exe itself
  const char *name;                     // in the messages of the gnu and json formats
  const char *output_failure;           // a write to the output file failed, in the classic format
  const char *standard_output_failure;  // a write of the banners failed
};
const Program POSTWRIGHT = {POSTWRIGHT_EXE, POSTWRIGHT_FAULTS_EXE, "postwright", "Cannot write output file.\nExiting\n",
                            "Cannot write standard output.\nExiting\n"};
const Program INWRIGHT = {INWRIGHT_EXE, INWRIGHT_FAULTS_EXE, "inwright", "Error writing output file.\nExiting\n",
                          "Error writing standard output.\nExiting\n"};

struct Row {
  const char *name;
  const Program *program;
  std::vector<std::string> options;
  std::string input;
  std::string checked_too = "";  // with --check, a second file checked after the input
};

const char CHECKED_CLEAN[] = "y = a | b;\n-- note\n";

[[maybe_unused]] std::string repeated(const std::string &text, int times) {
  std::string all;
  for (int i = 0; i < times; i++) all += text;
  return all;
}

// Small inputs that reach every kind of statement, a comment and braces; the faulty ones
// reach the error messages. The sanitizer build's tiny buffers make each one cross many
// refills and flushes.
const std::vector<Row> &rows() {
  static const std::vector<Row> table = {
      {"postwright", &POSTWRIGHT, {}, "y = a | b & !(k | 0);\n{ z = x(t-1) & \\q r\\; }\n-- note\nw = -;\n"},
      {"postwright quiet", &POSTWRIGHT, {"-q"}, "y = a | b;\n-- note\n"},
      {"postwright parse error", &POSTWRIGHT, {}, "y = a;\nz = a |;\n"},
      {"postwright illegal byte", &POSTWRIGHT, {}, "y = a;\nz = a ~ b;\n"},
      {"inwright", &INWRIGHT, {}, "y = a b & d ! | ;\n{ z = x(t-1) \\q r\\ & ; }\n-- note\n"},
      {"inwright readable", &INWRIGHT, {"-r"}, "y = a b k 0|!&| ;\nz = a b | c & ;\n"},
      {"inwright missing operand", &INWRIGHT, {}, "y = a ;\nz = a & ;\n"},
      {"inwright illegal byte", &INWRIGHT, {}, "y = a ;\nz = a ~ ;\n"},
      {"postwright check", &POSTWRIGHT, {"--check"}, CHECKED_CLEAN, "z = a |;\nw = b ~ c;\n"},
      {"postwright check json", &POSTWRIGHT, {"--check", "--error-format=json"}, CHECKED_CLEAN, "z = (a;\n"},
      {"postwright gnu", &POSTWRIGHT, {"-q", "--error-format=gnu"}, "y = a | b & !(k | 0);\n-- note\n"},
      {"postwright json parse error", &POSTWRIGHT, {"-q", "--error-format=json"}, "y = a;\nz = a |;\n"},
      {"inwright check", &INWRIGHT, {"--check"}, "y = a b | ;\n", "z = a & ;\nw = a ~ ;\n"},
      {"inwright gnu missing operand", &INWRIGHT, {"-q", "--error-format=gnu"}, "y = a ;\nz = a & ;\n"},
      {"inwright json", &INWRIGHT, {"-q", "--error-format=json"}, "y = a b k 0|!&| ;\n-- note\n"},
#ifndef SMALL_TEST_BUFFERS
      // Output of more than one block of the output buffer, and input of several refills: the
      // sanitizer build's tiny buffers give the small inputs that many, and these thousands.
      {"postwright long", &POSTWRIGHT, {"-q"}, repeated("y = a & b;\n", 30000)},
      {"inwright long", &INWRIGHT, {"-q"}, repeated("y = a b & ;\n", 60000)},
#endif
  };
  return table;
}

const char *const KINDS[] = {"alloc", "read", "write", "flush", "close"};

// What the fault library wrote at the run's exit: the calls made of each kind, whether the
// failing call was reached ("injected") and on which descriptor ("descriptor").
std::map<std::string, long> read_report(const std::string &path) {
  std::map<std::string, long> report;
  std::ifstream file(path);
  std::string key;
  long value = 0;
  while (file >> key >> value) report[key] = value;
  return report;
}

struct FaultRun {
  RunResult result;
  std::map<std::string, long> report;
};

void replace_all(std::string *text, const std::string &from, const std::string &to) {
  for (size_t at = 0; (at = text->find(from, at)) != std::string::npos; at += to.size())
    text->replace(at, from.size(), to);
}

// Runs the row in a fresh scratch directory: "EXE OPTIONS... DIR/in DIR/out", or with a
// second file "EXE OPTIONS... DIR/in DIR/in2". The directory is DIR in the messages, so that
// runs in different directories compare.
RunResult run_row(const Row &row, const char *exe) {
  const std::string dir = make_scratch_dir();
  std::vector<std::string> args = row.options;
  write_file(dir + "/in", row.input);
  args.push_back(dir + "/in");
  if (row.checked_too.empty()) {
    args.push_back(dir + "/out");
  } else {
    write_file(dir + "/in2", row.checked_too);
    args.push_back(dir + "/in2");
  }
  RunResult r = run_command(exe, args);
  r.output_exists = file_exists(dir + "/out");
  if (r.output_exists) r.output = read_file(dir + "/out");
  replace_all(&r.out, dir, "DIR");
  replace_all(&r.err, dir, "DIR");
  remove_scratch_dir(dir);
  return r;
}

bool in_copy(const std::string &kind) { return ALLOCATIONS_IN_COPIES && kind == "alloc"; }

// Fails call `at` of `kind` (none at 0): in the program with the library preloaded, or for the
// allocations of the sanitizer build in the program's copy, with leak checking on whatever
// the environment says.
FaultRun run_with_fault(const Row &row, const std::string &kind, long at, const std::string &report) {
  const char *asan_options = getenv("ASAN_OPTIONS");
  const std::string saved_asan_options = asan_options != nullptr ? asan_options : "";
  if (in_copy(kind)) {
    setenv("ASAN_OPTIONS", (saved_asan_options + ":detect_leaks=1").c_str(), 1);
  } else {
    setenv("LD_PRELOAD", FAULT_SHIM, 1);
  }
  setenv("FAULT_REPORT", report.c_str(), 1);
  setenv("FAULT_KIND", kind.c_str(), 1);
  setenv("FAULT_AT", std::to_string(at).c_str(), 1);
  std::remove(report.c_str());
  FaultRun run{run_row(row, in_copy(kind) ? row.program->allocations_exe : row.program->exe), {}};
  for (const char *name : {"LD_PRELOAD", "FAULT_REPORT", "FAULT_KIND", "FAULT_AT"}) unsetenv(name);
  if (asan_options != nullptr) {
    setenv("ASAN_OPTIONS", saved_asan_options.c_str(), 1);
  } else {
    unsetenv("ASAN_OPTIONS");
  }
  run.report = read_report(report);
  return run;
}

bool ends_with(const std::string &text, const std::string &end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool same_run(const RunResult &a, const RunResult &b) {
  return a.status == b.status && a.out == b.out && a.err == b.err && a.output_exists == b.output_exists &&
         a.output == b.output;
}

bool has_option(const Row &row, const std::string &option) {
  return std::find(row.options.begin(), row.options.end(), option) != row.options.end();
}

// The message of a failed write of the output file in the row's error format; the fault
// library fails every call with EIO.
std::string output_failure(const Row &row) {
  const std::string reason = strerror(EIO);
  if (has_option(row, "--error-format=gnu"))
    return std::string(row.program->name) + ": DIR/out: cannot write: " + reason + "\n";
  if (has_option(row, "--error-format=json")) {
    return "{\"file\":\"DIR/out\",\"severity\":\"error\",\"message\":\"cannot write: " + reason + "\"}\n";
  }
  return row.program->output_failure;
}

// Whether standard error ends with the message that the failure of a call of `kind` calls for,
// with the status that goes with it.
bool failed_as_it_should(const Row &row, const std::string &kind, const RunResult &r) {
  // The scanner's buffer that cannot grow for a match ends the run with a message of its own.
  static const std::regex out_of_memory("(out of dynamic memory in [a-z_]+\\(\\)|scanner input buffer overflow)\n$");
  if (kind == "alloc") return r.status == 2 && std::regex_search(r.err, out_of_memory);
  if (kind == "read") return r.status == 2 && ends_with(r.err, "input in flex scanner failed\n");
  return r.status == 1 &&
         (ends_with(r.err, output_failure(row)) || ends_with(r.err, row.program->standard_output_failure));
}

// How a run with a failing call ended: ENDED_* when it ended as it should, otherwise a text
// that says what went wrong.
const std::string ENDED_AS_CLEAN = "as the clean run";
const std::string ENDED_FAILED = "with the failure's status and message";
const std::string ENDED_OWN_FAULT = "with the input fault's status, a write lost";

bool has_sanitizer_report(const RunResult &r) {
  return r.err.find("Sanitizer") != std::string::npos || r.err.find("runtime error") != std::string::npos;
}

std::string judge(const Row &row, const std::string &kind, const RunResult &clean, const FaultRun &run) {
  const RunResult &r = run.result;
  if (r.status >= 128) return "ended by signal " + std::to_string(r.status - 128);
  if (has_sanitizer_report(r)) return "sanitizer report";
  if (run.report.count("injected") == 0 || run.report.at("injected") != 1) return "the failing call was not reached";
  if (r.output_exists && clean.output.compare(0, r.output.size(), r.output) != 0) {
    return "output is not a prefix of the clean run's";
  }
  if (same_run(r, clean)) return ENDED_AS_CLEAN;
  if (failed_as_it_should(row, kind, r)) return ENDED_FAILED;
  // A run that fails anyway on its input ends with its own status and message when a write
  // of its message or of the output made before the fault is lost; a failed allocation or
  // read loses no write.
  bool loses_a_write = kind != "alloc" && kind != "read";
  if (loses_a_write && clean.status != 0 && r.status == clean.status) return ENDED_OWN_FAULT;
  return "status " + std::to_string(r.status) + ", standard error \"" + r.err + "\"";
}

class FaultSweep : public testing::TestWithParam<Row> {};

TEST_P(FaultSweep, EveryFailingCallEndsWell) {
  const Row &row = GetParam();
  const std::string dir = make_scratch_dir(), report = dir + "/report";
  const FaultRun clean = run_with_fault(row, "none", 0, report);
  const FaultRun clean_copy = ALLOCATIONS_IN_COPIES ? run_with_fault(row, "alloc", 0, report) : clean;
  for (const FaultRun *run : {&clean, &clean_copy}) {
    ASSERT_FALSE(run->report.empty()) << "the fault library wrote no report";
    ASSERT_FALSE(has_sanitizer_report(run->result)) << run->result.err;
  }
  // A copy that ran otherwise than the program would prove nothing of it.
  ASSERT_TRUE(same_run(clean.result, clean_copy.result)) << clean_copy.result.err;
  for (const char *kind : KINDS) {
    long calls = (in_copy(kind) ? clean_copy : clean).report.at(kind);
    std::map<std::string, int> endings;
    for (long at = 1; at <= calls; at++) {
      FaultRun run = run_with_fault(row, kind, at, report);
      std::string ending = judge(row, kind, clean.result, run);
      endings[ending]++;
      bool good = ending == ENDED_AS_CLEAN || ending == ENDED_FAILED || ending == ENDED_OWN_FAULT;
      EXPECT_TRUE(good) << kind << " call " << at << " of " << calls << ": " << ending << "\n--- stdout:\n"
                        << run.result.out << "\n--- stderr:\n"
                        << run.result.err << "\n--- output:\n"
                        << run.result.output;
    }
    // The tally, for the record of what the sweep reached.
    printf("%s: %ld %s calls failed in turn", row.name, calls, kind);
    for (const auto &[ending, count] : endings) printf("; %d ended %s", count, ending.c_str());
    printf("\n");
  }
  remove_scratch_dir(dir);
}

void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Rows, FaultSweep, testing::ValuesIn(rows()), [](const testing::TestParamInfo<Row> &info) {
  std::string name = info.param.name;
  for (char &c : name) c = isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
});

}  // namespace

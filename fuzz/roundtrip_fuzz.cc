// Fuzz target: the round trip through both programs, run in process. When postwright
// accepts the fuzzer's bytes (status 0), inwright must accept the postfix it wrote, and the
// infix that comes back must be a fixed point: converting it to postfix and back again gives
// the same text. inwright's infix is canonical (no blanks, a pair of parentheses around every
// group below the root, double negations dropped), so the first pass may change the text but
// the second must not. inwright's readable form of the same postfix must come back from
// postwright as the postfix that the default form gives.
//
// The same bytes also drive the check of meaning: they build a valid program over a fixed set
// of operands (meaning.h), and under several assignments of the operands each of its
// statements must have one Boolean value as written, in the postfix postwright writes for it
// (evaluated with a stack), and in both infix forms inwright writes back. Anything else aborts
// with the texts that show it.
//
// One refusal is the notations' limit, not a fault: postwright's parser holds fewer than
// PARSE_STACK_MAX states and reports deeper nesting as a parse error, while inwright writes
// every group below the root in parentheses, so a flat chain such as a&b&c&..., which
// postwright parses in a few states, comes back nested as deep as it is long.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "meaning.h"
#include "parse_engine.h"
#include "program_run.h"

namespace {

struct Paths {
  std::string input = scratch_path("input");
  std::string postfix = scratch_path("postfix1");
  std::string infix = scratch_path("infix1");
  std::string postfix_again = scratch_path("postfix2");
  std::string infix_again = scratch_path("infix2");
  std::string readable = scratch_path("readable");
  std::string readable_postfix = scratch_path("readable_postfix");
  std::string program = scratch_path("program");
  std::string program_postfix = scratch_path("program_postfix");
  std::string program_infix = scratch_path("program_infix");
  std::string program_readable = scratch_path("program_readable");
};

// inwright's infix for the postfix that postwright wrote from `infix_text`.
std::string to_infix(const std::string &postfix, const std::string &infix, const std::string &infix_text) {
  int status = checked_status("inwright", run_inwright(postfix.c_str(), infix.c_str()));
  if (status != 0) {
    property_failed("inwright accepts what postwright writes", "status " + std::to_string(status) + "\n--- infix:\n" +
                                                                   infix_text + "\n--- postfix:\n" +
                                                                   read_scratch_file(postfix));
  }
  return read_scratch_file(infix);
}

// Whether postwright may refuse `infix` for its depth alone. In inwright's infix a level of
// parentheses holds at most an operand, an operator, a "!" and the "(" on the parse stack, so
// text with fewer than PARSE_STACK_MAX / 4 opening parentheses (counted anywhere, in names
// too: an upper bound) stays within the stack.
constexpr size_t STATES_PER_LEVEL = 4;
constexpr size_t STATES_OUTSIDE = 16;  // the target, "=" and the states around the innermost level

bool may_be_too_deep(const std::string &infix) {
  size_t levels = static_cast<size_t>(std::count(infix.begin(), infix.end(), '('));
  return levels * STATES_PER_LEVEL + STATES_OUTSIDE >= PARSE_STACK_MAX;
}

// The readable form of the postfix that postwright wrote: postwright reads it back, to the
// postfix that it read from the default form (`from_default`, null when that was refused for
// its depth).
void check_readable_form(const Paths &paths, const std::string &input, const std::string *from_default) {
  int status = checked_status("inwright", run_inwright_readable(paths.postfix.c_str(), paths.readable.c_str()));
  if (status != 0) {
    property_failed("inwright --readable accepts what postwright writes",
                    "status " + std::to_string(status) + "\n--- input:\n" + input);
  }
  std::string readable = read_scratch_file(paths.readable);
  status = checked_status("postwright", run_postwright(paths.readable.c_str(), paths.readable_postfix.c_str()));
  if (status != 0 && !may_be_too_deep(readable)) {
    property_failed("postwright accepts the readable form",
                    "status " + std::to_string(status) + "\n--- input:\n" + input + "\n--- readable:\n" + readable);
  }
  if (status != 0 || from_default == nullptr) return;
  std::string postfix = read_scratch_file(paths.readable_postfix);
  if (postfix != *from_default) {
    property_failed("the readable form reads back as the default form does",
                    "--- input:\n" + input + "\n--- readable:\n" + readable + "\n--- its postfix:\n" + postfix +
                        "\n--- the default form's:\n" + *from_default);
  }
}

// Runs `run` (named `program`) from `input` to `output`, which must succeed; returns the text.
std::string converted(const char *program, int (*run)(const char *, const char *), const std::string &input,
                      const std::string &output, const std::string &source) {
  int status = checked_status(program, run(input.c_str(), output.c_str()));
  if (status != 0) {
    property_failed("a generated program converts",
                    std::string(program) + ": status " + std::to_string(status) + "\n--- program:\n" + source);
  }
  return read_scratch_file(output);
}

// The statements' values in `text` under `assignment`; aborts when the text cannot be read.
std::vector<uint32_t> values_of(const std::string &text, Notation notation, const std::vector<uint32_t> &assignments,
                                const std::string &program) {
  std::vector<uint32_t> values;
  std::string where;
  if (!statement_values(text, notation, assignments, &values, &where)) {
    property_failed("the texts read as the notation says",
                    where + "\n--- text:\n" + text + "\n--- program:\n" + program);
  }
  return values;
}

std::string assignment_list(const std::vector<uint32_t> &assignments) {
  std::string list;
  for (uint32_t assignment : assignments) list += (list.empty() ? "" : ", ") + std::to_string(assignment);
  return list;
}

void check_meaning(const Paths &paths, const uint8_t *data, size_t size) {
  std::string program = generate_program(data, size);
  write_scratch_file(paths.program, reinterpret_cast<const uint8_t *>(program.data()), program.size());
  std::string postfix = converted("postwright", run_postwright, paths.program, paths.program_postfix, program);
  std::string infix = converted("inwright", run_inwright, paths.program_postfix, paths.program_infix, program);
  std::string readable =
      converted("inwright --readable", run_inwright_readable, paths.program_postfix, paths.program_readable, program);
  std::vector<uint32_t> assignments = operand_assignments(data, size);
  std::vector<uint32_t> meant = values_of(program, NOTATION_INFIX, assignments, program);
  const std::pair<const std::string *, Notation> forms[] = {
      {&postfix, NOTATION_POSTFIX}, {&infix, NOTATION_INFIX}, {&readable, NOTATION_INFIX}};
  for (const auto &[text, notation] : forms) {
    std::vector<uint32_t> got = values_of(*text, notation, assignments, program);
    if (got == meant) continue;
    property_failed("every statement keeps its value", "under the assignments " + assignment_list(assignments) +
                                                           "\n--- program:\n" + program + "\n--- converted:\n" + *text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const Paths paths;
  check_meaning(paths, data, size);
  write_scratch_file(paths.input, data, size);
  int accepted = checked_status("postwright", run_postwright(paths.input.c_str(), paths.postfix.c_str()));
  if (accepted != 0) return 0;  // refused: no round trip
  std::string input(reinterpret_cast<const char *>(data), size);
  std::string infix = to_infix(paths.postfix, paths.infix, input);
  int status = checked_status("postwright", run_postwright(paths.infix.c_str(), paths.postfix_again.c_str()));
  if (status != 0 && !may_be_too_deep(infix)) {
    property_failed("postwright accepts what inwright writes",
                    "status " + std::to_string(status) + "\n--- input:\n" + input + "\n--- infix:\n" + infix);
  }
  std::string from_default = status == 0 ? read_scratch_file(paths.postfix_again) : "";
  check_readable_form(paths, input, status == 0 ? &from_default : nullptr);
  if (status != 0) return 0;  // refused for its depth: no second round trip
  std::string infix_again = to_infix(paths.postfix_again, paths.infix_again, infix);
  if (infix_again != infix) {
    property_failed(
        "inwright's infix is a fixed point of the round trip",
        "--- input:\n" + input + "\n--- after one round trip:\n" + infix + "\n--- after two:\n" + infix_again);
  }
  return 0;
}

// Fuzz target: the diagnostics of both programs, what --check and --error-format=gnu|json
// print. The first byte of the fuzzer's input chooses the run (CONTROL_*): the program, a
// check or a conversion, the format, standard input as the first file, a missing file among
// those checked (a conversion: an output in a missing directory), inwright's readable form.
// The rest, split at FILE_SEPARATOR, is up to MAX_FILES input files; a conversion reads the
// first. The run's standard error is captured in a scratch file (the C library's stderr
// points there meanwhile; descriptor 2 stays where the sanitizers report) and read back:
// - gnu: each line is "FILE:LINE:COLUMN: error: MESSAGE" ("FILE:LINE:" or "FILE:" where the
//   place is not known), then, where there is a column, the file's line there and a caret
//   under the column; "FILE: note: ..." after a file's first ERRORS_SHOWN errors; or
//   "PROGRAM: FILE: WHAT: REASON" for a file with no place in it.
// - json: each line is one JSON object (json_text.h: valid UTF-8 too) with the string members
//   "file" (a file of the run), "severity" ("error" or "note") and "message", the integers
//   "line" and "column" (a column only with a line) and the strings of "expected", and no
//   other member.
// Every place lies in its file: the line from 1 to its newlines + 1, the column from 1 to the
// line's length + 1 (an error at the end of the input stands after its last byte). At most
// ERRORS_SHOWN errors of a file are shown. A check ends with status 0 exactly when it reported
// no error; a conversion ends with 0 and reports nothing, or with 1 and reports one error, the
// first that a check of its input reports. In the classic format only the status is checked:
// never an internal fault.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "json_text.h"
#include "program_run.h"

namespace {

constexpr unsigned CONTROL_INWRIGHT = 1 << 0;    // else postwright
constexpr unsigned CONTROL_CONVERSION = 1 << 1;  // else --check
constexpr unsigned CONTROL_FORMAT_SHIFT = 2;     // 3 bits: FORMAT_CHOICES
constexpr unsigned CONTROL_FORMAT_MASK = 7;
constexpr unsigned CONTROL_STANDARD_INPUT = 1 << 5;  // the first file is "-"
constexpr unsigned CONTROL_MISSING_FILE = 1 << 6;    // a file that cannot be opened or created
constexpr unsigned CONTROL_READABLE = 1 << 7;        // inwright -r

enum class Format { gnu, json, classic };
struct FormatChoice {
  const char *option;  // the argument given, or null for none
  Format conversion;   // what a conversion prints in
  Format check;        // what a check prints in: never classic
};
const FormatChoice FORMAT_CHOICES[CONTROL_FORMAT_MASK + 1] = {
    {"--error-format=gnu", Format::gnu, Format::gnu},
    {"--error-format=gnu", Format::gnu, Format::gnu},
    {"--error-format=gnu", Format::gnu, Format::gnu},
    {"--error-format=json", Format::json, Format::json},
    {"--error-format=json", Format::json, Format::json},
    {"--error-format=json", Format::json, Format::json},
    {nullptr, Format::classic, Format::gnu},
    {"--error-format=classic", Format::classic, Format::gnu},
};

constexpr char FILE_SEPARATOR[] = "\xff\xff";
constexpr size_t MAX_FILES = 4;
constexpr int64_t ERRORS_SHOWN = 100;       // per file; core's ERRORS_SHOWN_PER_FILE
constexpr size_t SOURCE_LINE_LIMIT = 4096;  // bytes of a source line under a gnu message
constexpr size_t NOT_A_FILE = SIZE_MAX;     // Diagnostic::file of a problem with no file of the run
constexpr char STANDARD_INPUT_LABEL[] = "<stdin>";

// A file the run names: its name as the messages give it, and what it holds.
struct RunFile {
  std::string path;   // as given on the command line
  std::string label;  // in the messages: the path, or "<stdin>" for "-"
  bool readable;      // false for the missing file and the output
  std::string bytes;  // when readable
};

struct Run {
  const char *program;
  int (*command)(int, char **);
  std::vector<std::string> words;  // the command line after the program's name
  std::vector<RunFile> files;
  Format format;
  bool conversion;
};

// One diagnostic as read back from standard error.
struct Diagnostic {
  std::string text;  // as printed: its lines, the source line and caret of a gnu error included
  size_t file;       // the index in Run::files, or NOT_A_FILE
  bool error;        // an error; else a note
  int64_t line;      // from 1; 0 when not given
  int64_t column;    // from 1; 0 when not given
};

std::string describe(const Run &run, const std::string &err) {
  std::string text = run.program;
  for (const std::string &word : run.words) text += " '" + word + "'";
  for (const RunFile &file : run.files) {
    if (file.readable) text += "\n--- " + file.label + ":\n" + file.bytes;
  }
  return text + "\n--- standard error:\n" + err;
}

// Line `number` (from 1) of `bytes`, without its newline; false when the file has no such line.
bool line_of(const std::string &bytes, int64_t number, std::string *line) {
  size_t start = 0;
  for (int64_t n = 1; n < number; n++) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) return false;
    start = end + 1;
  }
  size_t end = bytes.find('\n', start);
  *line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
  return true;
}

// Whether the place (line, column) lies in `file`: a line it has and a column up to one past
// that line's end.
bool place_in_file(const RunFile &file, int64_t line, int64_t column) {
  std::string text;
  if (line < 1 || !line_of(file.bytes, line, &text)) return false;
  return column >= 0 && static_cast<uint64_t>(column) <= text.size() + 1;
}

// The source line and caret that gnu prints under an error at (line, column) of `file`.
std::string source_and_caret(const RunFile &file, int64_t line, int64_t column) {
  std::string text;
  line_of(file.bytes, line, &text);
  text.resize(std::min(text.size(), SOURCE_LINE_LIMIT));
  std::string caret;
  for (int64_t i = 0; i + 1 < column; i++) {
    caret += static_cast<size_t>(i) < text.size() && text[static_cast<size_t>(i)] == '\t' ? '\t' : ' ';
  }
  return text + "\n" + caret + "^\n";
}

// Digits from `*at` in `text` as a number, then `*at` after them; false when there are none.
bool read_number(const std::string &text, size_t *at, int64_t *number) {
  size_t start = *at;
  *number = 0;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9' && *at - start < 18) {
    *number = *number * 10 + (text[*at] - '0');
    ++*at;
  }
  return *at > start;
}

bool starts_at(const std::string &text, size_t at, const std::string &prefix) {
  return text.compare(at, prefix.size(), prefix) == 0;
}

// A gnu header "LABEL[:LINE[:COLUMN]]: error: MESSAGE" or "LABEL: note: MESSAGE" naming one
// of the run's readable files.
bool read_gnu_header(const Run &run, const std::string &line, Diagnostic *d) {
  for (size_t f = 0; f < run.files.size(); f++) {
    const RunFile &file = run.files[f];
    if (!file.readable || !starts_at(line, 0, file.label + ":")) continue;
    size_t at = file.label.size() + 1;
    *d = {line + "\n", f, true, 0, 0};
    if (read_number(line, &at, &d->line)) {
      if (!starts_at(line, at++, ":")) return false;
      if (read_number(line, &at, &d->column) && !starts_at(line, at++, ":")) return false;
    }
    if (starts_at(line, at, " error: ")) return line.size() > at + strlen(" error: ");
    d->error = false;
    return d->line == 0 && starts_at(line, at, " note: ") && line.size() > at + strlen(" note: ");
  }
  return false;
}

// Standard error in the gnu format, as diagnostics.
std::vector<Diagnostic> read_gnu(const Run &run, const std::string &err) {
  std::vector<Diagnostic> read;
  size_t at = 0;
  auto next_line = [&](std::string *line) {
    size_t end = err.find('\n', at);
    if (end == std::string::npos) return false;
    *line = err.substr(at, end - at);
    at = end + 1;
    return true;
  };
  std::string line;
  while (next_line(&line)) {
    Diagnostic d{};
    if (starts_at(line, 0, std::string(run.program) + ": ")) {
      read.push_back({line + "\n", NOT_A_FILE, true, 0, 0});
      continue;
    }
    if (!read_gnu_header(run, line, &d)) property_failed("gnu diagnostics are all there is", describe(run, err));
    const RunFile &file = run.files[d.file];
    if (d.line > 0 && !place_in_file(file, d.line, d.column)) {
      property_failed("a gnu diagnostic's place lies in its file", line + "\n" + describe(run, err));
    }
    if (d.column > 0) {
      std::string expected = source_and_caret(file, d.line, d.column);
      if (!starts_at(err, at, expected)) {
        property_failed("under a gnu error stand its source line and a caret", line + "\n" + describe(run, err));
      }
      at += expected.size();
      d.text += expected;
    }
    read.push_back(d);
  }
  if (at != err.size()) property_failed("gnu diagnostics end with a newline", describe(run, err));
  return read;
}

// The integer member `name` of `object` in *number, 0 when it is absent; false when it is not
// a whole number from 1.
bool json_place_member(const JsonValue &object, const char *name, int64_t *number) {
  const JsonValue *value = object.member(name);
  *number = 0;
  if (value == nullptr) return true;
  if (value->kind != JsonValue::number || value->text.empty() || value->text.size() > 18) return false;
  size_t at = 0;
  return read_number(value->text, &at, number) && at == value->text.size() && *number >= 1;
}

bool is_string_member(const JsonValue &object, const char *name) {
  const JsonValue *value = object.member(name);
  return value != nullptr && value->kind == JsonValue::string && !value->text.empty();
}

bool has_known_members(const JsonValue &object) {
  static const char *const KNOWN[] = {"file", "line", "column", "severity", "message", "expected"};
  for (const std::string &key : object.keys) {
    bool known = false;
    for (const char *name : KNOWN) known = known || key == name;
    if (!known) return false;
  }
  const JsonValue *expected = object.member("expected");
  if (expected == nullptr) return true;
  if (expected->kind != JsonValue::array) return false;
  for (const JsonValue &item : expected->items) {
    if (item.kind != JsonValue::string) return false;
  }
  return true;
}

// One line of standard error in the json format, as a diagnostic.
Diagnostic read_json_line(const Run &run, const std::string &line, const std::string &err) {
  JsonValue object;
  std::string why;
  if (!read_json_text(line, &object, &why)) {
    property_failed("every json line parses", why + "\n" + line + "\n" + describe(run, err));
  }
  Diagnostic d{line + "\n", NOT_A_FILE, true, 0, 0};
  bool shaped = object.kind == JsonValue::object && is_string_member(object, "file") &&
                is_string_member(object, "severity") && is_string_member(object, "message") &&
                has_known_members(object) && json_place_member(object, "line", &d.line) &&
                json_place_member(object, "column", &d.column) && (d.column == 0 || d.line > 0);
  if (!shaped) property_failed("a json diagnostic has the members it should", line + "\n" + describe(run, err));
  const std::string &severity = object.member("severity")->text;
  d.error = severity == "error";
  const std::string &name = object.member("file")->text;
  for (size_t f = 0; f < run.files.size() && d.file == NOT_A_FILE; f++) {
    const RunFile &file = run.files[f];
    if (name == (file.readable ? file.label : file.path)) d.file = f;
  }
  bool placed = d.line == 0 || (d.file != NOT_A_FILE && run.files[d.file].readable);
  if (d.file == NOT_A_FILE || !placed || (!d.error && (severity != "note" || d.line > 0))) {
    property_failed("a json diagnostic names a file of the run, and a place only in a file read",
                    line + "\n" + describe(run, err));
  }
  if (d.line > 0 && !place_in_file(run.files[d.file], d.line, d.column)) {
    property_failed("a json diagnostic's place lies in its file", line + "\n" + describe(run, err));
  }
  return d;
}

std::vector<Diagnostic> read_json(const Run &run, const std::string &err) {
  std::vector<Diagnostic> read;
  size_t start = 0;
  for (size_t end; (end = err.find('\n', start)) != std::string::npos; start = end + 1) {
    read.push_back(read_json_line(run, err.substr(start, end - start), err));
  }
  if (start != err.size()) property_failed("json lines end with a newline", describe(run, err));
  return read;
}

// No more than ERRORS_SHOWN errors shown of a file.
void check_errors_shown(const Run &run, const std::vector<Diagnostic> &read, const std::string &err) {
  for (size_t f = 0; f < run.files.size(); f++) {
    int64_t errors = 0;
    for (const Diagnostic &d : read) errors += d.file == f && d.error ? 1 : 0;
    if (errors > ERRORS_SHOWN) property_failed("a check shows at most 100 errors of a file", describe(run, err));
  }
}

// Runs `run` with the C library's stderr, where the programs write their diagnostics, sent to
// a scratch file; returns the checked status, and what the run wrote there in *err.
int run_capturing(const Run &run, std::string *err) {
  static const std::string capture_path = scratch_path("stderr");
  if (run.files[0].path == "-") {  // a stream of its own on standard input, from the start
    int input = open(scratch_path("stdin").c_str(), O_RDONLY);
    if (input == -1 || dup2(input, STDIN_FILENO) == -1) abort();
    close(input);
  }
  std::vector<std::string> words = run.words;
  std::vector<char *> argv = {const_cast<char *>(run.program)};
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  FILE *capture = fopen(capture_path.c_str(), "w");
  if (capture == nullptr) abort();
  FILE *standard_error = stderr;
  stderr = capture;
  int status = checked_status(run.program, run.command(static_cast<int>(argv.size() - 1), argv.data()));
  stderr = standard_error;
  if (fclose(capture) != 0) abort();
  *err = read_scratch_file(capture_path);
  return status;
}

std::vector<Diagnostic> diagnostics_of(const Run &run, Format format, const std::string &err) {
  std::vector<Diagnostic> read = format == Format::json ? read_json(run, err) : read_gnu(run, err);
  check_errors_shown(run, read, err);
  return read;
}

int error_count(const std::vector<Diagnostic> &read) {
  int errors = 0;
  for (const Diagnostic &d : read) errors += d.error ? 1 : 0;
  return errors;
}

// The run's files and command line from the fuzzer's bytes.
Run run_of(const uint8_t *data, size_t size) {
  unsigned control = data[0];
  const FormatChoice &choice = FORMAT_CHOICES[control >> CONTROL_FORMAT_SHIFT & CONTROL_FORMAT_MASK];
  Run run{};
  bool inwright = (control & CONTROL_INWRIGHT) != 0;
  run.program = inwright ? "inwright" : "postwright";
  run.command = inwright ? run_inwright_command : run_postwright_command;
  run.conversion = (control & CONTROL_CONVERSION) != 0;
  run.format = run.conversion ? choice.conversion : choice.check;
  run.words = {run.conversion ? "-q" : "--check"};
  if (choice.option != nullptr) run.words.push_back(choice.option);
  if (inwright && (control & CONTROL_READABLE) != 0) run.words.push_back("-r");

  std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
  size_t file_count = run.conversion ? 1 : MAX_FILES;
  for (size_t start = 0; run.files.size() < file_count;) {
    size_t end = run.files.size() + 1 < file_count ? rest.find(FILE_SEPARATOR, start) : std::string::npos;
    std::string path = scratch_path(("input" + std::to_string(run.files.size())).c_str());
    run.files.push_back({path, path, true, rest.substr(start, end == std::string::npos ? end : end - start)});
    if (end == std::string::npos) break;
    start = end + strlen(FILE_SEPARATOR);
  }
  for (const RunFile &file : run.files) {
    write_scratch_file(file.path, reinterpret_cast<const uint8_t *>(file.bytes.data()), file.bytes.size());
  }
  if ((control & CONTROL_STANDARD_INPUT) != 0) {
    const std::string &bytes = run.files[0].bytes;
    write_scratch_file(scratch_path("stdin"), reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    run.files[0].path = "-";
    run.files[0].label = STANDARD_INPUT_LABEL;
  }
  bool missing = (control & CONTROL_MISSING_FILE) != 0;
  RunFile missing_file{scratch_path("no-such-directory/file"), "", false, ""};
  missing_file.label = missing_file.path;
  if (!run.conversion && missing) run.files.insert(run.files.begin() + 1, missing_file);
  for (const RunFile &file : run.files) run.words.push_back(file.path);
  if (run.conversion) {
    RunFile output = missing ? missing_file : RunFile{scratch_path("output"), "", false, ""};
    output.label = output.path;
    run.files.push_back(output);
    run.words.push_back(output.path);
  }
  return run;
}

// A conversion's one error is the first that a check of its input finds.
void check_against_check(const Run &conversion, const Diagnostic &reported, const std::string &err) {
  Run check = conversion;
  check.conversion = false;
  check.words[0] = "--check";
  check.words.pop_back();  // the output
  check.files.pop_back();
  std::string check_err;
  int status = run_capturing(check, &check_err);
  std::vector<Diagnostic> found = diagnostics_of(check, conversion.format, check_err);
  if (status != 1 || found.empty() || found[0].text != reported.text) {
    property_failed("a conversion reports the first error that a check reports",
                    describe(conversion, err) + "\n--- the check's standard error:\n" + check_err);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  Run run = run_of(data, size);
  std::string err;
  int status = run_capturing(run, &err);
  if (run.format == Format::classic) return 0;
  std::vector<Diagnostic> read = diagnostics_of(run, run.format, err);
  int errors = error_count(read);
  if (!run.conversion) {
    if (status != (errors > 0 ? 1 : 0))
      property_failed("a check fails exactly when it reports an error", describe(run, err));
    return 0;
  }
  if (status == 0 && read.empty()) return 0;
  if (status != 1 || errors != 1 || read.size() != 1) {
    property_failed("a conversion ends with 0 and no diagnostic, or with 1 and one error", describe(run, err));
  }
  if (read[0].file == 0) check_against_check(run, read[0], err);
  return 0;
}

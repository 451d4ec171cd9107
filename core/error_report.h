// How the programs report a problem with their input in the formats that tools read:
// "FILE:LINE:COLUMN: error: MESSAGE" with the source line and a caret (gnu), or one JSON
// object a line (json); the classic wording stays with each caller. Also what a check of
// several files counts, and the readable names and hints of bytes outside the language.
// Entry points: report_input_error, report_file_problem, report_skipped_errors.
//
// Nothing here runs while the input is right: a place in the input is worked out from the
// line count and the start of the current line (scanner.h) only when it is reported.
#ifndef CORE_ERROR_REPORT_H
#define CORE_ERROR_REPORT_H

#include <cstddef>
#include <cstdint>

enum class ErrorFormat { classic, gnu, json };  // ORDER ERROR_FORMAT_NAMES

struct ErrorReporting {
  ErrorFormat format;  // --error-format; classic: each caller prints its own wording
  bool check;          // --check: every error of every file is reported, nothing is written
  const char *file;    // the input's name in the messages: as given, "<stdin>" for "-"
  int64_t errors;      // errors found in the current file
  bool passing_over;   // a check passes over the rest of a statement in error: nothing in it is reported
};
extern ErrorReporting error_reporting;

constexpr int64_t ERRORS_SHOWN_PER_FILE = 100;  // beyond these a check only counts them
constexpr char STANDARD_INPUT_LABEL[] = "<stdin>";

// The name of --error-format's value `name`; false when it names no format.
bool error_format_named(const char *name, ErrorFormat *format);

// A place in the input: line and column from 1, the column in bytes; line 0 when the input
// no longer holds what is needed to find it, column 0 when only the line is known.
struct InputPlace {
  int64_t line;
  int64_t column;
  uint64_t line_start;  // offset of the line's first byte, for the source line under the message
};

// The place of the byte at input offset `offset`, at or before the scan position.
InputPlace place_of(uint64_t offset);

// Counts an error at `place` and reports it in the gnu or json format on standard error:
// `message`, and in json the names of what was expected, if any. A check reports the first
// ERRORS_SHOWN_PER_FILE errors of a file and counts the rest; while it passes over the rest of
// a statement in error, it neither reports nor counts: a statement has one error.
void report_input_error(InputPlace place, const char *message, const char *const *expected = nullptr,
                        size_t expected_count = 0);

// After a file's check: one line with the number of errors not shown, if there were any.
void report_skipped_errors();

// A problem with a file that has no place in it: "PROGRAM: FILE: WHAT: REASON" (gnu), or a
// json object without line and column. `error_number` is errno's value, or 0 for no reason.
void report_file_problem(const char *program, const char *file, const char *what, int error_number);

// --- Reading the input back around a place, for the messages ---

// The end offset of the last token before `offset`, past blanks, tabs and newlines; false when
// the input no longer holds it or there is none.
bool previous_token_end(uint64_t offset, uint64_t *end);

// The text from `from` to `to` of the input, cut at `size` - 1 bytes with "..." and
// NUL-terminated in `text`; "" when the input no longer holds it. A control byte other than a
// tab is spelled out: \n, \r, \x01.
void input_text(uint64_t from, uint64_t to, char *text, size_t size);

// The start offset of the token that ends at `end`, read back by its last bytes: a name with
// its argument list, a quoted name, a number, or one sign.
uint64_t token_start_before(uint64_t end);

// `byte` as a message shows it: quoted when printable ('~'), else as \r, \t or \xC5.
void describe_byte(unsigned char byte, char text[8]);

// What a user most likely meant by the illegal byte at `offset`, or null when nothing is
// known of it: a Windows line end, a byte-order mark, a PLC tag, NOT, XOR.
const char *illegal_byte_hint(uint64_t offset, unsigned char byte);

#endif

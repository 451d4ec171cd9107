// Reports in the gnu and json formats, the places they name, and the readable names of bytes.
#include "error_report.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "scanner.h"
#include "shared_actions.h"

constexpr size_t SOURCE_LINE_LIMIT = 4096;  // bytes of a source line shown under a message

static const char *const ERROR_FORMAT_NAMES[] = {"classic", "gnu", "json"};  // ORDER ERROR_FORMAT_NAMES

bool error_format_named(const char *name, ErrorFormat *format) {
  for (size_t i = 0; i < sizeof ERROR_FORMAT_NAMES / sizeof ERROR_FORMAT_NAMES[0]; i++) {
    if (strcmp(name, ERROR_FORMAT_NAMES[i]) != 0) continue;
    *format = static_cast<ErrorFormat>(i);
    return true;
  }
  return false;
}

static bool is_layout(int byte) { return byte == ' ' || byte == '\t' || byte == '\n'; }

static bool is_name_byte(int byte) {
  return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') || byte == '_';
}

static bool is_digit(int byte) { return byte >= '0' && byte <= '9'; }

InputPlace place_of(uint64_t offset) {
  if (offset >= yy_line_start) {
    return {current_line + newlines_in_names, static_cast<int64_t>(offset - yy_line_start) + 1, yy_line_start};
  }
  // An earlier line: every line end from the byte on takes one line off.
  int64_t line = current_line + newlines_in_names;
  for (uint64_t p = offset; p < yy_line_start; p++) {
    int byte = yy_input_byte(p);
    if (byte < 0) return {0, 0, 0};
    if (byte == '\n') line--;
  }
  uint64_t start = offset;
  for (; start > 0; start--) {
    int byte = yy_input_byte(start - 1);
    if (byte < 0) return {line, 0, 0};
    if (byte == '\n') break;
  }
  return {line, static_cast<int64_t>(offset - start) + 1, start};
}

// The length of the well-formed UTF-8 sequence at `p`, or 0 when the byte there starts none
// (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF).
static size_t utf8_sequence_length(const unsigned char *p) {
  unsigned char lead = p[0];
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0) return 0;
  unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;  // the second byte's bounds
  unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (p[1] < low || p[1] > high) return 0;
  for (size_t i = 2; i < length; i++)
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  return length;
}

// `text` as a JSON string. JSON is UTF-8: a byte that is not part of a well-formed sequence
// (a name in Latin-1, say) is written as the messages name such bytes, \xE9, so that every
// line still parses.
static void put_json_string(const char *text) {
  putc('"', stderr);
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p != '\0';) {
    size_t length = utf8_sequence_length(p);
    if (*p == '"' || *p == '\\') {
      fprintf(stderr, "\\%c", *p);
    } else if (*p < ' ' || *p == 0x7f) {
      fprintf(stderr, "\\u%04x", *p);
    } else if (length == 0) {
      fprintf(stderr, "\\\\x%02X", *p);
      length = 1;
    } else {
      fwrite(p, 1, length, stderr);
    }
    p += length;
  }
  putc('"', stderr);
}

// The source line of `place` and a caret under its column, as compilers show them; a tab in
// the line is a tab under it too, so that the caret stands under its byte.
static void put_source_line(InputPlace place) {
  char line[SOURCE_LINE_LIMIT];
  size_t length = yy_input_line(place.line_start, line, sizeof line);
  if (length == 0 && place.column > 1) return;  // the input no longer holds the line
  fwrite(line, 1, length, stderr);
  putc('\n', stderr);
  for (int64_t i = 0; i + 1 < place.column; i++)
    putc(static_cast<size_t>(i) < length && line[i] == '\t' ? '\t' : ' ', stderr);
  fputs("^\n", stderr);
}

static void put_gnu_error(InputPlace place, const char *message) {
  fputs(error_reporting.file, stderr);
  if (place.line > 0) fprintf(stderr, ":%" PRId64, place.line);
  if (place.line > 0 && place.column > 0) fprintf(stderr, ":%" PRId64, place.column);
  fprintf(stderr, ": error: %s\n", message);
  if (place.column > 0) put_source_line(place);
}

static void put_json_error(InputPlace place, const char *severity, const char *message, const char *const *expected,
                           size_t expected_count) {
  fputs("{\"file\":", stderr);
  put_json_string(error_reporting.file);
  if (place.line > 0) fprintf(stderr, ",\"line\":%" PRId64, place.line);
  if (place.line > 0 && place.column > 0) fprintf(stderr, ",\"column\":%" PRId64, place.column);
  fprintf(stderr, ",\"severity\":\"%s\",\"message\":", severity);
  put_json_string(message);
  if (expected_count > 0) {
    fputs(",\"expected\":[", stderr);
    for (size_t i = 0; i < expected_count; i++) {
      if (i > 0) putc(',', stderr);
      put_json_string(expected[i]);
    }
    putc(']', stderr);
  }
  fputs("}\n", stderr);
}

void report_input_error(InputPlace place, const char *message, const char *const *expected, size_t expected_count) {
  if (error_reporting.passing_over) return;
  if (error_reporting.errors++ >= ERRORS_SHOWN_PER_FILE) return;
  if (error_reporting.format == ErrorFormat::json) {
    put_json_error(place, "error", message, expected, expected_count);
  } else {
    put_gnu_error(place, message);
  }
}

void report_skipped_errors() {
  if (error_reporting.errors <= ERRORS_SHOWN_PER_FILE) return;
  char message[64];
  snprintf(message, sizeof message, "%" PRId64 " more errors not shown",
           error_reporting.errors - ERRORS_SHOWN_PER_FILE);
  if (error_reporting.format == ErrorFormat::json) {
    put_json_error({0, 0, 0}, "note", message, nullptr, 0);
  } else {
    fprintf(stderr, "%s: note: %s\n", error_reporting.file, message);
  }
}

void report_file_problem(const char *program, const char *file, const char *what, int error_number) {
  char message[512];
  if (error_number != 0) {
    snprintf(message, sizeof message, "%s: %s", what, strerror(error_number));
  } else {
    snprintf(message, sizeof message, "%s", what);
  }
  if (error_reporting.format == ErrorFormat::json) {
    fputs("{\"file\":", stderr);
    put_json_string(file);
    fputs(",\"severity\":\"error\",\"message\":", stderr);
    put_json_string(message);
    fputs("}\n", stderr);
  } else {
    fprintf(stderr, "%s: %s: %s\n", program, file, message);
  }
}

// --- Reading the input back ---

bool previous_token_end(uint64_t offset, uint64_t *end) {
  for (uint64_t p = offset; p > 0; p--) {
    int byte = yy_input_byte(p - 1);
    if (byte < 0) return false;
    if (!is_layout(byte)) {
      *end = p;
      return true;
    }
  }
  return false;
}

// `byte` as a message quotes it inside a token: itself, or a control byte other than a tab
// (the newline inside a quoted name) spelled out, so that a message stays on its line.
static size_t quoted_byte(int byte, char text[5]) {
  if (byte >= ' ' || byte == '\t') {
    text[0] = static_cast<char>(byte);
    return 1;
  }
  if (byte == '\n' || byte == '\r') {
    text[0] = '\\';
    text[1] = byte == '\n' ? 'n' : 'r';
    return 2;
  }
  snprintf(text, 5, "\\x%02X", byte);
  return 4;
}

void input_text(uint64_t from, uint64_t to, char *text, size_t size) {
  constexpr char CUT[] = "...";
  size_t length = 0;
  for (uint64_t p = from; p < to; p++) {
    int byte = yy_input_byte(p);
    if (byte < 0) {
      length = 0;
      break;
    }
    char shown[5];
    size_t shown_length = quoted_byte(byte, shown);
    if (length + shown_length + sizeof CUT > size) {
      memcpy(text + length, CUT, sizeof CUT - 1);
      length += sizeof CUT - 1;
      break;
    }
    memcpy(text + length, shown, shown_length);
    length += shown_length;
  }
  text[length] = '\0';
}

// The first offset of the run of bytes that `belongs` to, which ends before `end`.
static uint64_t run_start(uint64_t end, bool (*belongs)(int)) {
  uint64_t p = end;
  while (p > 0 && belongs(yy_input_byte(p - 1))) p--;
  return p;
}

static bool is_argument_byte(int byte) { return is_name_byte(byte) || byte == '-' || byte == ','; }
static bool is_not_backslash(int byte) { return byte >= 0 && byte != '\\' && byte != '\n'; }

uint64_t token_start_before(uint64_t end) {
  if (end == 0) return 0;
  int last = yy_input_byte(end - 1);
  uint64_t start = end - 1;
  if (last == ')') {  // an argument list belongs to the name right before it
    uint64_t open = run_start(end - 1, is_argument_byte);
    if (open == 0 || yy_input_byte(open - 1) != '(') return start;
    int before = open >= 2 ? yy_input_byte(open - 2) : -1;
    if (!is_name_byte(before) && before != '\\') return start;
    end = open - 1;
    last = before;
  }
  if (last == '\\') {
    uint64_t open = run_start(end - 1, is_not_backslash);
    return open > 0 && yy_input_byte(open - 1) == '\\' ? open - 1 : end - 1;
  }
  if (!is_name_byte(last)) return start;
  start = run_start(end, [](int byte) { return is_name_byte(byte); });
  bool digits = true;
  for (uint64_t p = start; p < end; p++) digits = digits && is_digit(yy_input_byte(p));
  if (digits && start > 0 && yy_input_byte(start - 1) == '-') {  // -5, or t-1
    start--;
    bool t_minus_1 =
        end - start == 2 && yy_input_byte(start + 1) == '1' && start > 0 && yy_input_byte(start - 1) == 't';
    if (t_minus_1 && !(start >= 2 && is_name_byte(yy_input_byte(start - 2)))) start--;
  }
  return start;
}

void describe_byte(unsigned char byte, char text[8]) {
  if (byte == '\r') {
    strcpy(text, "'\\r'");
  } else if (byte == '\t') {
    strcpy(text, "'\\t'");
  } else if (byte > ' ' && byte < 0x7f && byte != '\'') {
    snprintf(text, 8, "'%c'", byte);
  } else if (byte == '\'') {
    strcpy(text, "\"'\"");
  } else {
    snprintf(text, 8, "'\\x%02X'", byte);
  }
}

const char *illegal_byte_hint(uint64_t offset, unsigned char byte) {
  switch (byte) {
    case '\r':
      return "a Windows line ending; convert the file first, for example with dos2unix";
    case 0xEF:
      if (offset == 0 && yy_input_byte(1) == 0xBB && yy_input_byte(2) == 0xBF)
        return "a UTF-8 byte-order mark at the start; save the file without it";
      return nullptr;
    case '.':
    case '%':
    case '[':
    case ':':
      if (offset > 0 && (is_name_byte(yy_input_byte(offset - 1)) || yy_input_byte(offset - 1) == ']'))
        return "a PLC tag name? quote it between backslashes, as in \\motor.run\\";
      if (byte == '%' && is_name_byte(yy_input_byte(offset + 1)))
        return "a PLC tag name? quote it between backslashes, as in \\%I0.1\\";
      return nullptr;
    case '~':
      return "NOT is '!'";
    case '^':
      return "there is no XOR operator; write (a & !b) | (!a & b)";
    case '+':
      return "OR is '|'";
    case '*':
      return "AND is '&'";
    default:
      return nullptr;
  }
}

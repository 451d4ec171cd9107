// The report of a syntax error in the gnu and json formats: where the parse stopped, what it found there and what would
// have been right, from the terminals that the parser's state would have taken (their names are the grammar file's
// display lines). The common mistakes get a message of their own: "&&" and "||", a word for an operator, a ";" missing
// at a line's end (reported after the statement's last token, where it belongs), and a blank inside an argument list.
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "grammar_actions.h"
#include "infix_parse_tables.h"
#include "infix_scanner.h"
#include "parse_engine.h"
#include "scanner.h"
#include "shared_actions.h"

constexpr size_t TOKEN_TEXT_SHOWN = 40;  // bytes of a token's text a message quotes at most

namespace {

// The token at which the parse stopped, as the input holds it.
struct FoundToken {
  uint64_t start;                   // input offset of its first byte
  uint64_t end;                     // and past its last
  char text[TOKEN_TEXT_SHOWN + 8];  // as the message names it: 'x(t-1)', a comment, the end of the input
};

// The names of the terminals that were expected, each once, in the grammar's order.
struct ExpectedNames {
  const char *names[PARSE_FIRST_NONTERMINAL];
  size_t count;
};

}  // namespace

static FoundToken found_token() {
  FoundToken found{};
  found.start = yy_offset_of(yy_token_text);
  found.end = yy_offset_of(yy_token_text + yy_token_length);
  if (lookahead == 0) {  // the match is the last token's; the end of the input is where the scan is
    // Shown behind the last token, on a line that the editor can show, rather than on the
    // empty line after the last newline.
    uint64_t last_end = 0;
    if (previous_token_end(found.start, &last_end)) found.start = last_end;
    found.end = found.start;
    strcpy(found.text, "the end of the input");
    return found;
  }
  if (lookahead == COMMENT) {
    found.start -= COMMENT_MARK_LENGTH;  // the match is the rest of the line behind the "--"
    strcpy(found.text, "a comment");
    return found;
  }
  // A quoted name read in several matches: the match is its closing piece, with the one
  // backslash that closes it (a name read as one match holds two).
  bool closing_piece =
      lookahead == ID && yy_token_text[0] == '\\' && memchr(yy_token_text + 1, '\\', yy_token_length - 1) == nullptr;
  if (closing_piece) found.start = quote_start;
  char text[TOKEN_TEXT_SHOWN + 1];
  input_text(found.start, found.end, text, sizeof text);
  snprintf(found.text, sizeof found.text, "'%s'", text);
  return found;
}

static ExpectedNames expected_names() {
  bool expected[PARSE_FIRST_NONTERMINAL];
  expected_terminals(expected);
  ExpectedNames names{{}, 0};
  if (expected[PARSE_END_SYMBOL]) {  // between statements: any of them may start here
    names.names[names.count++] = "a statement";
    return names;
  }
  for (int symbol = 0; symbol < PARSE_FIRST_NONTERMINAL; symbol++) {
    const char *name = SYMBOL_DISPLAY[symbol];
    if (!expected[symbol] || name[0] == '\0') continue;
    bool seen = false;
    for (size_t i = 0; i < names.count; i++) seen = seen || strcmp(names.names[i], name) == 0;
    if (!seen) names.names[names.count++] = name;
  }
  return names;
}

static bool expects(const ExpectedNames &names, const char *name) {
  for (size_t i = 0; i < names.count; i++)
    if (strcmp(names.names[i], name) == 0) return true;
  return false;
}

// "a", "a or b", "a, b or c".
static void join_names(const ExpectedNames &names, char *text, size_t size) {
  size_t used = 0;
  text[0] = '\0';
  for (size_t i = 0; i < names.count && used < size; i++) {
    const char *separator = i == 0 ? "" : i + 1 == names.count ? " or " : ", ";
    int n = snprintf(text + used, size - used, "%s%s", separator, names.names[i]);
    if (n > 0) used += static_cast<size_t>(n);
  }
}

// A word that users write for an operator: what to write instead, or null.
static const char *operator_word_hint(const char *text) {
  static const char *const WORDS[][2] = {
      {"'AND'", "write '&'"}, {"'OR'", "write '|'"}, {"'NOT'", "write '!'"}, {"'XOR'", "there is no XOR operator"}};
  for (const auto &word : WORDS)
    if (strcasecmp(text, word[0]) == 0) return word[1];
  return nullptr;
}

// "&&" or "||": the second sign is where the parse stopped, right behind the first.
static bool is_doubled_sign(const FoundToken &found) {
  if (lookahead != AND && lookahead != OR) return false;
  return found.start > 0 && yy_input_byte(found.start - 1) == yy_input_byte(found.start);
}

// A ";" that belongs at the end of the previous token, which stands on an earlier line (or
// the input ended): reported after that token. False when the input no longer holds it.
static bool report_missing_semicolon(const FoundToken &found, const ExpectedNames &names) {
  uint64_t end = 0;
  if (!expects(names, "';'") || !previous_token_end(found.start, &end)) return false;
  bool line_ended = lookahead == 0;
  for (uint64_t p = end; p < found.start && !line_ended; p++) line_ended = yy_input_byte(p) == '\n';
  if (!line_ended) return false;
  char text[TOKEN_TEXT_SHOWN + 1];
  input_text(token_start_before(end), end, text, sizeof text);
  char message[TOKEN_TEXT_SHOWN + 32];
  snprintf(message, sizeof message, "expected ';' after '%s'", text);
  const char *semicolon = "';'";
  report_input_error(place_of(end), message, &semicolon, 1);
  return true;
}

int report_located_syntax_error(const char *message) {
  if (lookahead == REPORTED_ERROR_TOKEN) return 1;  // the scanner has reported it
  FoundToken found = found_token();
  if (strcmp(message, "parse error") != 0) {
    report_input_error(place_of(found.start), "the statement is nested too deeply");
    return 1;
  }
  ExpectedNames names = expected_names();
  char text[512];
  const char *hint = lookahead == ID ? operator_word_hint(found.text) : nullptr;
  if (is_doubled_sign(found)) {
    const char *sign = lookahead == AND ? "&" : "|";
    snprintf(text, sizeof text, "'%s%s' is not an operator; write '%s'", sign, sign, sign);
    report_input_error(place_of(found.start - 1), text, names.names, names.count);
  } else if (hint != nullptr && !expects(names, "an operand")) {
    snprintf(text, sizeof text, "%s is not an operator; %s", found.text, hint);
    report_input_error(place_of(found.start), text, names.names, names.count);
  } else if (!report_missing_semicolon(found, names)) {
    char joined[256];
    join_names(names, joined, sizeof joined);
    int before = found.start > 0 ? yy_input_byte(found.start - 1) : -1;
    bool blank_in_arguments =
        lookahead == '(' && (before == '_' || before == '\\' || (before >= '0' && before <= '9') ||
                             (before >= 'A' && before <= 'Z') || (before >= 'a' && before <= 'z'));
    snprintf(text, sizeof text, "expected %s %s %s%s", joined, lookahead == 0 ? "at" : "before", found.text,
             blank_in_arguments ? "; an argument list is written without blanks, as in x(t-1)" : "");
    report_input_error(place_of(found.start), text, names.names, names.count);
  }
  return 1;
}

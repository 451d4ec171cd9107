// Generated programs and the two evaluators of the round trip's meaning check.
#include "meaning.h"

#include <cstring>

namespace {

// The operands of the generated programs, one of each kind the languages know: names, a name
// with an argument list, quoted names (one holding an operator sign, one with arguments), the
// numbers, the lone minus and t-1. Operand i is bit i of an assignment.
const char *const OPERANDS[] = {"a",  "b1",  "x(t-1)",  "\\q r\\", "t-1",           "-",
                                "12", "f()", "g(a,-1)", "\\p&q\\", "\\in 1\\(t-1)", "0"};
constexpr size_t OPERAND_COUNT = sizeof OPERANDS / sizeof OPERANDS[0];
const char *const TARGETS[] = {"y", "\\out 1\\", "z(t)"};
constexpr size_t TARGET_COUNT = sizeof TARGETS / sizeof TARGETS[0];

constexpr size_t MAX_STATEMENTS = 16;
constexpr size_t MAX_TOKENS = 64;  // per statement, then it is closed
constexpr int MAX_DEPTH = 6;       // of parentheses
constexpr int MAX_NOTS = 3;        // in a row

// The fuzzer's bytes one at a time; zeros once they run out.
struct ByteReader {
  const uint8_t *data;
  size_t size;
  size_t next_index;
  bool done() const { return next_index >= size; }
  unsigned next() { return done() ? 0 : data[next_index++]; }
};

// Nothing, a blank or a tab between two tokens, as the next byte says.
void add_spacing(ByteReader *bytes, std::string *text) {
  unsigned choice = bytes->next() % 4;
  if (choice == 1) *text += ' ';
  if (choice == 2) *text += "  ";
  if (choice == 3) *text += '\t';
}

// One expression: operands joined by & and |, with ! and parentheses, until the bytes or the
// token budget run out.
void add_expression(ByteReader *bytes, std::string *text) {
  int depth = 0, nots = 0;
  bool want_operand = true;
  for (size_t tokens = 0;; tokens++) {
    add_spacing(bytes, text);
    if (want_operand) {
      unsigned choice = bytes->next() % 8;
      if (choice == 1 && nots < MAX_NOTS) {
        *text += '!';
        nots++;
      } else if (choice == 2 && depth < MAX_DEPTH) {
        *text += '(';
        depth++;
        nots = 0;
      } else {
        *text += OPERANDS[bytes->next() % OPERAND_COUNT];
        want_operand = false;
        nots = 0;
      }
      continue;
    }
    unsigned choice = bytes->done() || tokens >= MAX_TOKENS ? 7 : bytes->next() % 8;
    if (choice < 3) {
      *text += '&';
      want_operand = true;
    } else if (choice < 6) {
      *text += '|';
      want_operand = true;
    } else if (choice == 6 && depth > 0) {
      *text += ')';
      depth--;
    } else {
      text->append(static_cast<size_t>(depth), ')');
      return;
    }
  }
}

// --- Reading the texts back ---

struct Token {
  char sign;    // 'o' for an operand, else the character: = ; & | ! ( )
  int operand;  // the operand's number, for 'o'
};

// Whether `text` holds `word` at `at`.
bool holds_at(const std::string &text, size_t at, const char *word, size_t length) {
  return text.size() - at >= length && memcmp(text.data() + at, word, length) == 0;
}

// The longest operand text at `at`, or -1.
int operand_at(const std::string &text, size_t at, size_t *length) {
  int found = -1;
  *length = 0;
  for (size_t i = 0; i < OPERAND_COUNT; i++) {
    size_t n = strlen(OPERANDS[i]);
    if (n > *length && holds_at(text, at, OPERANDS[i], n)) {
      found = static_cast<int>(i);
      *length = n;
    }
  }
  return found;
}

bool target_at(const std::string &text, size_t at, size_t *length) {
  for (const char *target : TARGETS) {
    *length = strlen(target);
    if (text.compare(at, *length, target) == 0) return true;
  }
  return false;
}

// The tokens of `text`: comments, blanks, newlines and braces dropped, and each statement's
// target, the first text of a statement.
bool read_tokens(const std::string &text, std::vector<Token> *tokens, std::string *where) {
  bool want_target = true;
  for (size_t at = 0; at < text.size();) {
    char c = text[at];
    // No two operands of the set make "--" together: it starts a comment wherever it stands.
    if (text.compare(at, 2, "--") == 0) {
      size_t end = text.find('\n', at);
      at = end == std::string::npos ? text.size() : end + 1;
      continue;
    }
    size_t length = 1;
    if (strchr(" \t\n{}", c) != nullptr) {
    } else if (want_target && target_at(text, at, &length)) {
      want_target = false;
    } else if (strchr("=;&|!()", c) != nullptr) {
      tokens->push_back({c, 0});
      if (c == ';') want_target = true;
    } else {
      int operand = operand_at(text, at, &length);
      if (operand < 0) {
        *where = "no operand at byte " + std::to_string(at);
        return false;
      }
      tokens->push_back({'o', operand});
    }
    at += length;
  }
  return true;
}

// A value under every assignment at once: bit k is the value under assignment k.
using Values = uint32_t;

// The values of each operand: bit k of operand i's is bit i of assignment k.
struct OperandValues {
  Values of[OPERAND_COUNT];
};

OperandValues operand_values(const std::vector<uint32_t> &assignments) {
  OperandValues values{};
  for (size_t k = 0; k < assignments.size(); k++) {
    for (size_t i = 0; i < OPERAND_COUNT; i++) values.of[i] |= static_cast<Values>(assignments[k] >> i & 1) << k;
  }
  return values;
}

// The operator `sign` on two values.
Values joined(char sign, Values left, Values right) { return sign == '&' ? left & right : left | right; }

// Postfix: operands pushed, ! flips the top, & and | join the top two.
bool evaluate_postfix(const std::vector<Token> &tokens, size_t from, size_t to, const OperandValues &operands,
                      Values *value) {
  std::vector<Values> stack;
  for (size_t i = from; i < to; i++) {
    const Token &t = tokens[i];
    if (t.sign == 'o') {
      stack.push_back(operands.of[t.operand]);
    } else if (t.sign == '!' && !stack.empty()) {
      stack.back() = ~stack.back();
    } else if ((t.sign == '&' || t.sign == '|') && stack.size() >= 2) {
      Values right = stack.back();
      stack.pop_back();
      stack.back() = joined(t.sign, stack.back(), right);
    } else {
      return false;
    }
  }
  if (stack.size() != 1) return false;
  *value = stack[0];
  return true;
}

int precedence(char sign) { return sign == '!' ? 3 : sign == '&' ? 2 : sign == '|' ? 1 : 0; }

// Applies the operator `sign` to the values; false when they are too few.
bool apply(char sign, std::vector<Values> *values) {
  if (sign == '!') {
    if (values->empty()) return false;
    values->back() = ~values->back();
    return true;
  }
  if (values->size() < 2) return false;
  Values right = values->back();
  values->pop_back();
  values->back() = joined(sign, values->back(), right);
  return true;
}

// Infix by operator precedence: ! binds tightest, then &, then |, both left to right.
bool evaluate_infix(const std::vector<Token> &tokens, size_t from, size_t to, const OperandValues &operands,
                    Values *value) {
  std::vector<Values> values;
  std::vector<char> signs;
  bool want_operand = true;
  for (size_t i = from; i < to; i++) {
    char sign = tokens[i].sign;
    if (want_operand) {
      if (sign == 'o') {
        values.push_back(operands.of[tokens[i].operand]);
        want_operand = false;
      } else if (sign == '!' || sign == '(') {
        signs.push_back(sign);
      } else {
        return false;
      }
      // A finished operand takes the negations written before it.
      while (!want_operand && !signs.empty() && signs.back() == '!') {
        apply('!', &values);
        signs.pop_back();
      }
      continue;
    }
    if (sign == ')') {
      while (!signs.empty() && signs.back() != '(') {
        if (!apply(signs.back(), &values)) return false;
        signs.pop_back();
      }
      if (signs.empty()) return false;
      signs.pop_back();
      while (!signs.empty() && signs.back() == '!') {
        apply('!', &values);
        signs.pop_back();
      }
    } else if (sign == '&' || sign == '|') {
      while (!signs.empty() && signs.back() != '(' && precedence(signs.back()) >= precedence(sign)) {
        if (!apply(signs.back(), &values)) return false;
        signs.pop_back();
      }
      signs.push_back(sign);
      want_operand = true;
    } else {
      return false;
    }
  }
  if (want_operand) return false;
  while (!signs.empty()) {
    if (signs.back() == '(' || !apply(signs.back(), &values)) return false;
    signs.pop_back();
  }
  if (values.size() != 1) return false;
  *value = values[0];
  return true;
}

}  // namespace

std::string generate_program(const uint8_t *data, size_t size) {
  ByteReader bytes{data, size, 0};
  std::string text;
  for (size_t statement = 0; statement < MAX_STATEMENTS && (statement == 0 || !bytes.done()); statement++) {
    if (bytes.next() % 8 == 0) text += "-- a comment line\n";
    text += TARGETS[bytes.next() % TARGET_COUNT];
    add_spacing(&bytes, &text);
    text += '=';
    add_expression(&bytes, &text);
    text += bytes.next() % 4 == 0 ? ";" : ";\n";
  }
  return text;
}

std::vector<uint32_t> operand_assignments(const uint8_t *data, size_t size) {
  uint32_t mixed = 0x9e3779b9u;  // a few bits of each input byte, spread over all operands
  for (size_t i = 0; i < size; i++) mixed = (mixed ^ data[i]) * 0x01000193u;
  return {0, ~0u, 0x555, 0xaaa, 0x333, 0xccc, 0x0f0, mixed};
}

bool statement_values(const std::string &text, Notation notation, const std::vector<uint32_t> &assignments,
                      std::vector<uint32_t> *values, std::string *where) {
  std::vector<Token> tokens;
  if (!read_tokens(text, &tokens, where)) return false;
  OperandValues operands = operand_values(assignments);
  values->clear();
  for (size_t at = 0; at < tokens.size();) {
    if (tokens[at].sign != '=') {
      *where = "no '=' at token " + std::to_string(at);
      return false;
    }
    size_t end = at + 1;
    while (end < tokens.size() && tokens[end].sign != ';') end++;
    if (end == tokens.size()) {
      *where = "no ';' after token " + std::to_string(at);
      return false;
    }
    Values value = 0;
    bool read = notation == NOTATION_POSTFIX ? evaluate_postfix(tokens, at + 1, end, operands, &value)
                                             : evaluate_infix(tokens, at + 1, end, operands, &value);
    if (!read) {
      *where = "statement " + std::to_string(values->size() + 1) + " does not evaluate";
      return false;
    }
    values->push_back(value);
    at = end + 1;
  }
  return true;
}

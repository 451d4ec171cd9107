// The strict JSON reader: recursive descent over the grammar of RFC 8259, section 2 to 7,
// with the nesting bounded so that no text can exhaust the stack.
#include "json_text.h"

#include <cstdint>

namespace {

constexpr int MAX_DEPTH = 64;  // of nested arrays and objects
constexpr uint32_t HIGH_SURROGATE_FIRST = 0xD800;
constexpr uint32_t LOW_SURROGATE_FIRST = 0xDC00;
constexpr uint32_t SURROGATES_END = 0xE000;  // one past the last low surrogate

struct Reader {
  const std::string &text;
  size_t at;        // the next byte to read
  int depth;        // arrays and objects open around `at`
  std::string why;  // the first fault found, empty while there is none

  bool fault(const char *reason) {
    if (why.empty()) why = "at byte " + std::to_string(at) + ": " + reason;
    return false;
  }
  bool done() const { return at >= text.size(); }
  unsigned char peek() const { return done() ? 0 : static_cast<unsigned char>(text[at]); }
  void skip_space() {
    while (!done() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) at++;
  }
  bool take(char expected) {
    if (done() || text[at] != expected) return false;
    at++;
    return true;
  }
};

bool read_value(Reader *r, JsonValue *value);

bool read_literal(Reader *r, const char *word, JsonValue::Kind kind, JsonValue *value) {
  std::string spelled(word);
  if (r->text.compare(r->at, spelled.size(), spelled) != 0) return r->fault("not a JSON value");
  r->at += spelled.size();
  value->kind = kind;
  value->text = spelled;
  return true;
}

bool is_digit(unsigned char byte) { return byte >= '0' && byte <= '9'; }

// A run of one or more digits.
bool read_digits(Reader *r) {
  if (!is_digit(r->peek())) return r->fault("a digit expected");
  while (is_digit(r->peek())) r->at++;
  return true;
}

// -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
bool read_number(Reader *r, JsonValue *value) {
  size_t start = r->at;
  r->take('-');
  if (!r->take('0') && !read_digits(r)) return false;
  if (r->take('.') && !read_digits(r)) return false;
  if (r->take('e') || r->take('E')) {
    if (!r->take('+')) r->take('-');
    if (!read_digits(r)) return false;
  }
  value->kind = JsonValue::number;
  value->text = r->text.substr(start, r->at - start);
  return true;
}

// The length of the well-formed UTF-8 sequence at `at` (RFC 3629, table 3-7 of Unicode: no
// overlong forms, no surrogates, nothing above U+10FFFF), or 0.
size_t utf8_length(const std::string &text, size_t at) {
  auto byte = [&](size_t i) { return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u; };
  unsigned lead = byte(0);
  size_t length = lead < 0x80                    ? 1
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length <= 1) return length;
  unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;  // the bounds of the second byte
  unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; i++) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

void append_utf8(uint32_t code, std::string *to) {
  if (code < 0x80) {
    *to += static_cast<char>(code);
  } else if (code < 0x800) {
    *to += static_cast<char>(0xC0 | code >> 6);
    *to += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *to += static_cast<char>(0xE0 | code >> 12);
    *to += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *to += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *to += static_cast<char>(0xF0 | code >> 18);
    *to += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    *to += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *to += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The four hex digits after "\u".
bool read_hex4(Reader *r, uint32_t *code) {
  *code = 0;
  for (int i = 0; i < 4; i++) {
    unsigned char c = r->peek();
    unsigned digit = is_digit(c)            ? c - '0'
                     : c >= 'a' && c <= 'f' ? c - 'a' + 10
                     : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                            : 16;
    if (digit == 16) return r->fault("\\u wants four hex digits");
    *code = *code << 4 | digit;
    r->at++;
  }
  return true;
}

// "\uXXXX", or a pair of them for a character beyond the basic plane.
bool read_unicode_escape(Reader *r, std::string *to) {
  uint32_t code = 0;
  if (!read_hex4(r, &code)) return false;
  if (code >= LOW_SURROGATE_FIRST && code < SURROGATES_END) return r->fault("a low surrogate alone");
  if (code >= HIGH_SURROGATE_FIRST && code < LOW_SURROGATE_FIRST) {
    uint32_t low = 0;
    if (!r->take('\\') || !r->take('u') || !read_hex4(r, &low)) return r->fault("a high surrogate alone");
    if (low < LOW_SURROGATE_FIRST || low >= SURROGATES_END) return r->fault("a high surrogate alone");
    code = 0x10000 + ((code - HIGH_SURROGATE_FIRST) << 10) + (low - LOW_SURROGATE_FIRST);
  }
  append_utf8(code, to);
  return true;
}

bool read_escape(Reader *r, std::string *to) {
  static const char NAMED[] = "\"\"\\\\//b\bf\fn\nr\rt\t";  // pairs: the letter, the byte
  char letter = static_cast<char>(r->peek());
  r->at++;
  if (letter == 'u') return read_unicode_escape(r, to);
  for (size_t i = 0; i + 1 < sizeof NAMED; i += 2) {
    if (NAMED[i] != letter) continue;
    *to += NAMED[i + 1];
    return true;
  }
  return r->fault("an unknown escape");
}

bool read_string(Reader *r, std::string *to) {
  if (!r->take('"')) return r->fault("a string expected");
  to->clear();
  for (;;) {
    if (r->done()) return r->fault("the string does not end");
    unsigned char byte = r->peek();
    if (byte == '"') {
      r->at++;
      return true;
    }
    if (byte < 0x20) return r->fault("a control byte in a string");
    if (byte == '\\') {
      r->at++;
      if (!read_escape(r, to)) return false;
      continue;
    }
    size_t length = utf8_length(r->text, r->at);
    if (length == 0) return r->fault("a byte that is not UTF-8");
    to->append(r->text, r->at, length);
    r->at += length;
  }
}

bool read_array(Reader *r, JsonValue *value) {
  value->kind = JsonValue::array;
  r->skip_space();
  if (r->take(']')) return true;
  do {
    value->items.emplace_back();
    if (!read_value(r, &value->items.back())) return false;
  } while (r->take(','));
  return r->take(']') || r->fault("',' or ']' expected");
}

bool read_object(Reader *r, JsonValue *value) {
  value->kind = JsonValue::object;
  r->skip_space();
  if (r->take('}')) return true;
  do {
    r->skip_space();
    std::string key;
    if (!read_string(r, &key)) return false;
    if (value->member(key) != nullptr) return r->fault("a key given twice");
    r->skip_space();
    if (!r->take(':')) return r->fault("':' expected");
    value->keys.push_back(key);
    value->items.emplace_back();
    if (!read_value(r, &value->items.back())) return false;
  } while (r->take(','));
  return r->take('}') || r->fault("',' or '}' expected");
}

// A value with the white space around it.
bool read_value(Reader *r, JsonValue *value) {
  r->skip_space();
  bool read = false;
  switch (r->peek()) {
    case '{':
    case '[': {
      if (++r->depth > MAX_DEPTH) return r->fault("nested too deep");
      bool is_object = r->peek() == '{';
      r->at++;
      read = is_object ? read_object(r, value) : read_array(r, value);
      r->depth--;
      break;
    }
    case '"':
      value->kind = JsonValue::string;
      read = read_string(r, &value->text);
      break;
    case 't':
      read = read_literal(r, "true", JsonValue::boolean, value);
      break;
    case 'f':
      read = read_literal(r, "false", JsonValue::boolean, value);
      break;
    case 'n':
      read = read_literal(r, "null", JsonValue::null, value);
      break;
    default:
      read = read_number(r, value);
  }
  r->skip_space();
  return read;
}

}  // namespace

const JsonValue *JsonValue::member(const std::string &key) const {
  for (size_t i = 0; i < keys.size(); i++) {
    if (keys[i] == key) return &items[i];
  }
  return nullptr;
}

bool read_json_text(const std::string &text, JsonValue *value, std::string *why) {
  Reader reader{text, 0, 0, ""};
  *value = JsonValue();
  bool read = read_value(&reader, value) && (reader.done() || reader.fault("more after the value"));
  *why = reader.why;
  return read;
}

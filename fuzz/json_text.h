// A strict reader of one JSON text (RFC 8259), for the fuzz target that checks what
// --error-format=json prints: the text must be exactly one value, every string well-formed
// UTF-8 (RFC 3629) without raw control bytes, every escape complete and every \u surrogate
// paired, and no object may name a key twice. Written from the RFCs alone, with the standard
// library only. Entry point: read_json_text.
#ifndef FUZZ_JSON_TEXT_H
#define FUZZ_JSON_TEXT_H

#include <string>
#include <vector>

struct JsonValue {
  enum Kind { null, boolean, number, string, array, object };
  Kind kind = null;
  std::string text;               // string: its UTF-8 bytes; number: as written
  std::vector<JsonValue> items;   // array, object: the values in order
  std::vector<std::string> keys;  // object: the key of each of `items`

  // The value of the member `key` of an object, or null when it has none.
  const JsonValue *member(const std::string &key) const;
};

// Reads `text` into `value`; false, with the offset and the reason in `why`, when it is not one
// JSON value with nothing but white space around it.
bool read_json_text(const std::string &text, JsonValue *value, std::string *why);

#endif

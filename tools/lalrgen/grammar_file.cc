// Reader of grammar files. One declaration per line; a word that starts with '#' turns the
// rest of its line into a comment. Words are separated by blanks and tabs.
//
//   end         NUMBER NAME CODE         the end-of-input symbol (CODE 0)
//   error       NUMBER NAME CODE         the error symbol (optional; no rule may use it)
//   undefined   NUMBER NAME              the symbol of every undeclared token code
//   token       NUMBER NAME CODE         a named token; NAME is a C identifier
//   literal     NUMBER 'C' CODE          a one-character token; CODE is the code of C
//   nonterminal NUMBER NAME [start]      exactly one nonterminal is the start symbol
//   rule        NUMBER LEFT : RIGHT... => ACTION
//   precedence  LEVEL ASSOC TOKEN...     ASSOC: left, right, nonassoc or prefix;
//                                        levels run from 1 (binds loosest) upward
//
// Symbols are numbered from 0 without gaps, every terminal before the first nonterminal;
// rules from 1 in file order. The numbers are written out so that the file can be read
// against the tables it produces; the reader only checks them.
#include "grammar_file.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

Grammar grammar;
std::string grammar_error;

namespace {

struct Line {
  int number;                      // line number in the file, from 1
  std::vector<std::string> words;  // the line's words, comment removed
};

struct ReadState {
  const char *file_name;               // for messages
  std::map<std::string, int> by_name;  // symbol name -> number
  std::map<int, int> by_code;          // token code -> terminal
  std::vector<Line> rule_lines;        // rules, read once every symbol is known
  std::vector<Line> precedence_lines;  // precedence levels, likewise
  int start_count;                     // nonterminals marked `start`
  int error_count;                     // error symbols declared
};

ReadState reading;  // the file being read

const char ACCEPT_NAME[] = "$accept";  // printable name of rule 0's left side

}  // namespace

static int fail(int line, const char *format, ...) {
  char message[512];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format, args);
  va_end(args);
  char prefix[256];
  if (line > 0) {
    snprintf(prefix, sizeof prefix, "%s:%d: ", reading.file_name, line);
  } else {
    snprintf(prefix, sizeof prefix, "%s: ", reading.file_name);
  }
  grammar_error = std::string(prefix) + message;
  return -1;
}

const char *symbol_name(int symbol) {
  if (symbol == grammar.accept_symbol) return ACCEPT_NAME;
  return grammar.symbols[symbol].name.c_str();
}

static std::vector<Line> split_lines(const char *text) {
  std::vector<Line> lines;
  int number = 1;
  const char *p = text;
  while (*p != '\0') {
    Line line{number, {}};
    while (*p != '\0' && *p != '\n') {
      if (*p == ' ' || *p == '\t' || *p == '\r') {
        p++;
        continue;
      }
      if (*p == '#') {
        while (*p != '\0' && *p != '\n') p++;
        break;
      }
      const char *start = p;
      while (*p != '\0' && *p != '\n' && *p != ' ' && *p != '\t' && *p != '\r') p++;
      line.words.emplace_back(start, p);
    }
    if (!line.words.empty()) lines.push_back(line);
    if (*p == '\n') p++;
    number++;
  }
  return lines;
}

// Parses a whole word as a decimal number in [low, high]; returns 0 or -1.
static int parse_number(const std::string &word, int low, int high, int *value) {
  if (word.empty()) return -1;
  errno = 0;
  char *end = nullptr;
  long parsed = strtol(word.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return -1;
  *value = static_cast<int>(parsed);
  return 0;
}

static bool is_identifier(const std::string &word) {
  if (word.empty() || (word[0] >= '0' && word[0] <= '9')) return false;
  for (char c : word) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    if (!letter && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

// Separators of a rule line; they cannot be symbol names.
static bool is_separator(const std::string &word) { return word == ":" || word == "=>"; }

static int symbol_kind_of(const std::string &keyword) {
  if (keyword == "end") return symbol_end;
  if (keyword == "error") return symbol_error;
  if (keyword == "undefined") return symbol_undefined;
  if (keyword == "token") return symbol_token;
  if (keyword == "literal") return symbol_literal;
  if (keyword == "nonterminal") return symbol_nonterminal;
  return -1;
}

// The token code of a declaration, checked against its kind and the codes taken so far.
static int read_code(const Line &line, int kind, const std::string &name, int *code) {
  if (parse_number(line.words[3], 0, MAX_TOKEN_CODE, code) != 0) {
    return fail(line.number, "token code '%s' is not a number from 0 to %d", line.words[3].c_str(), MAX_TOKEN_CODE);
  }
  if ((kind == symbol_end) != (*code == 0)) {
    return fail(line.number, "code 0 belongs to the end symbol and to no other");
  }
  if (kind == symbol_literal) {
    bool quoted = name.size() == 3 && name[0] == '\'' && name[2] == '\'';
    if (!quoted) return fail(line.number, "literal '%s' is not one character in single quotes", name.c_str());
    if (*code != static_cast<unsigned char>(name[1])) {
      return fail(line.number, "literal %s has code %d, not the code of its character", name.c_str(), *code);
    }
  }
  if (kind == symbol_token && !is_identifier(name)) {
    return fail(line.number, "token name '%s' is not an identifier", name.c_str());
  }
  auto taken = reading.by_code.find(*code);
  if (taken != reading.by_code.end()) {
    return fail(line.number, "code %d already belongs to %s", *code, grammar.symbols[taken->second].name.c_str());
  }
  return 0;
}

static int read_symbol(const Line &line, int kind) {
  size_t expected = (kind == symbol_undefined || kind == symbol_nonterminal) ? 3 : 4;
  bool start = kind == symbol_nonterminal && line.words.size() == 4 && line.words[3] == "start";
  if (line.words.size() != expected && !start) {
    const char *operands = kind == symbol_nonterminal ? "a number, a name and optionally 'start'"
                           : expected == 3            ? "a number and a name"
                                                      : "a number, a name and a code";
    return fail(line.number, "%s takes %s", line.words[0].c_str(), operands);
  }
  int number = 0;
  int next = static_cast<int>(grammar.symbols.size());
  if (parse_number(line.words[1], 0, MAX_TOKEN_CODE, &number) != 0 || number != next) {
    return fail(line.number, "symbol number '%s' out of order: expected %d", line.words[1].c_str(), next);
  }
  const std::string &name = line.words[2];
  if (is_separator(name)) return fail(line.number, "'%s' cannot be a symbol name", name.c_str());
  if (reading.by_name.count(name) != 0) return fail(line.number, "symbol %s declared twice", name.c_str());
  bool terminals_closed = next > 0 && grammar.symbols.back().kind == symbol_nonterminal;
  if (kind != symbol_nonterminal && terminals_closed) {
    return fail(line.number, "terminal %s declared after the nonterminals", name.c_str());
  }
  int code = -1;
  if (expected == 4 && read_code(line, kind, name, &code) != 0) return -1;
  if (kind == symbol_end) grammar.end_symbol = number;
  if (kind == symbol_undefined) {
    if (grammar.undefined_symbol >= 0) return fail(line.number, "a second undefined symbol");
    grammar.undefined_symbol = number;
  }
  if (kind == symbol_error) reading.error_count++;
  if (start) {
    grammar.start_symbol = number;
    reading.start_count++;
  }
  if (kind != symbol_nonterminal) grammar.token_count = number + 1;
  grammar.symbols.push_back(Symbol{name, kind, code, 0, assoc_none});
  reading.by_name[name] = number;
  if (code >= 0) reading.by_code[code] = number;
  return 0;
}

static int action_index(const std::string &name) {
  for (size_t i = 0; i < grammar.action_names.size(); i++) {
    if (grammar.action_names[i] == name) return static_cast<int>(i);
  }
  grammar.action_names.push_back(name);
  return static_cast<int>(grammar.action_names.size()) - 1;
}

// rule NUMBER LEFT : RIGHT... => ACTION
static int read_rule(const Line &line) {
  const std::vector<std::string> &w = line.words;
  size_t n = w.size();
  if (n < 6 || w[3] != ":" || w[n - 2] != "=>") {
    return fail(line.number, "a rule reads: rule NUMBER LEFT : RIGHT... => ACTION");
  }
  int number = 0;
  int next = static_cast<int>(grammar.rules.size());
  if (parse_number(w[1], 1, MAX_TOKEN_CODE, &number) != 0 || number != next) {
    return fail(line.number, "rule number '%s' out of order: expected %d", w[1].c_str(), next);
  }
  auto left = reading.by_name.find(w[2]);
  if (left == reading.by_name.end() || grammar.symbols[left->second].kind != symbol_nonterminal) {
    return fail(line.number, "left side %s is not a nonterminal", w[2].c_str());
  }
  if (!is_identifier(w[n - 1])) return fail(line.number, "action name '%s' is not an identifier", w[n - 1].c_str());
  Rule rule{left->second, {}, action_index(w[n - 1]), 0, line.number};
  for (size_t i = 4; i < n - 2; i++) {
    auto found = reading.by_name.find(w[i]);
    if (found == reading.by_name.end()) return fail(line.number, "unknown symbol %s", w[i].c_str());
    int kind = grammar.symbols[found->second].kind;
    if (kind == symbol_end || kind == symbol_undefined || kind == symbol_error) {
      return fail(line.number, "%s cannot appear in a rule", w[i].c_str());
    }
    rule.rhs.push_back(found->second);
  }
  grammar.rules.push_back(rule);
  return 0;
}

static int associativity_of(const std::string &word) {
  if (word == "left") return assoc_left;
  if (word == "right") return assoc_right;
  if (word == "nonassoc") return assoc_nonassoc;
  if (word == "prefix") return assoc_prefix;
  return -1;
}

// precedence LEVEL ASSOC TOKEN...
static int read_precedence(const Line &line, int expected_level) {
  const std::vector<std::string> &w = line.words;
  int level = 0;
  if (w.size() < 4) return fail(line.number, "a precedence level reads: precedence LEVEL ASSOC TOKEN...");
  if (parse_number(w[1], 1, MAX_TOKEN_CODE, &level) != 0 || level != expected_level) {
    return fail(line.number, "precedence level '%s' out of order: expected %d", w[1].c_str(), expected_level);
  }
  int assoc = associativity_of(w[2]);
  if (assoc < 0) return fail(line.number, "associativity '%s' is not left, right, nonassoc or prefix", w[2].c_str());
  for (size_t i = 3; i < w.size(); i++) {
    auto found = reading.by_name.find(w[i]);
    if (found == reading.by_name.end()) return fail(line.number, "unknown symbol %s", w[i].c_str());
    Symbol &s = grammar.symbols[found->second];
    if (s.kind != symbol_token && s.kind != symbol_literal) {
      return fail(line.number, "%s is not a token and cannot have a precedence", w[i].c_str());
    }
    if (s.precedence != 0) return fail(line.number, "%s already has a precedence", w[i].c_str());
    s.precedence = level;
    s.associativity = assoc;
  }
  return 0;
}

static void set_rule_precedences() {
  for (Rule &rule : grammar.rules) {
    for (int symbol : rule.rhs) {
      if (is_terminal(symbol) && grammar.symbols[symbol].precedence != 0) {
        rule.precedence = grammar.symbols[symbol].precedence;
      }
    }
  }
}

// The checks that need every declaration: the symbols the tables cannot do without.
static int check_symbols() {
  if (grammar.symbols.empty() || grammar.symbols.back().kind != symbol_nonterminal) {
    return fail(0, "no nonterminals declared");
  }
  if (grammar.end_symbol < 0) return fail(0, "no end symbol declared");
  if (grammar.undefined_symbol < 0) return fail(0, "no undefined symbol declared");
  if (reading.error_count > 1) return fail(0, "more than one error symbol declared");
  if (reading.start_count != 1) return fail(0, "exactly one nonterminal must be marked start");
  if (grammar.token_count > MAX_TERMINALS) return fail(0, "more than %d terminals", MAX_TERMINALS);
  for (const Symbol &s : grammar.symbols) grammar.max_code = s.code > grammar.max_code ? s.code : grammar.max_code;
  return 0;
}

// The checks that need every rule: a rule for every nonterminal, few enough actions.
static int check_rules() {
  if (grammar.rules.size() < 2) return fail(0, "no rules");
  if (grammar.action_names.size() > MAX_ACTIONS) return fail(0, "more than %d action names", MAX_ACTIONS);
  std::vector<int> rules_of(grammar.symbols.size(), 0);
  for (size_t r = 1; r < grammar.rules.size(); r++) rules_of[grammar.rules[r].lhs]++;
  for (size_t s = grammar.token_count; s < grammar.symbols.size(); s++) {
    if (rules_of[s] == 0) return fail(0, "nonterminal %s has no rule", grammar.symbols[s].name.c_str());
  }
  return 0;
}

static void reset_grammar(const char *file_name) {
  grammar = Grammar{};
  grammar.token_count = 0;
  grammar.start_symbol = -1;
  grammar.end_symbol = -1;
  grammar.undefined_symbol = -1;
  grammar.max_code = 0;
  grammar_error.clear();
  reading = ReadState{};
  reading.file_name = file_name;
}

int read_grammar(const char *file_name, const char *text) {
  reset_grammar(file_name);
  std::vector<Line> lines = split_lines(text);
  for (const Line &line : lines) {
    const std::string &keyword = line.words[0];
    int kind = symbol_kind_of(keyword);
    if (kind >= 0) {
      if (read_symbol(line, kind) != 0) return -1;
    } else if (keyword == "rule") {
      reading.rule_lines.push_back(line);
    } else if (keyword == "precedence") {
      reading.precedence_lines.push_back(line);
    } else {
      return fail(line.number, "unknown declaration '%s'", keyword.c_str());
    }
  }
  if (check_symbols() != 0) return -1;
  grammar.accept_symbol = static_cast<int>(grammar.symbols.size());
  // Rule 0 is the augmented start rule; the file's rules follow from 1.
  grammar.rules.push_back(Rule{grammar.accept_symbol, {grammar.start_symbol, grammar.end_symbol}, 0, 0, 0});
  for (const Line &line : reading.rule_lines) {
    if (read_rule(line) != 0) return -1;
  }
  for (size_t i = 0; i < reading.precedence_lines.size(); i++) {
    if (read_precedence(reading.precedence_lines[i], static_cast<int>(i) + 1) != 0) return -1;
  }
  set_rule_precedences();
  return check_rules();
}

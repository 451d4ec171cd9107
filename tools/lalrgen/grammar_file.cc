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
#include <cstdlib>
#include <map>

#include "diagnostics.h"

namespace {

struct Line {
  int number;                      // line number in the file, from 1
  std::vector<std::string> words;  // the line's words, comment removed
};

struct GrammarReader {
  Grammar grammar;                     // what the lines read so far declare
  std::map<std::string, int> by_name;  // symbol name -> number
  std::map<int, int> by_code;          // token code -> terminal
  std::vector<Line> rule_lines;        // rules, read once every symbol is known
  std::vector<Line> precedence_lines;  // precedence levels, likewise
  int start_count;                     // nonterminals marked `start`
  int error_count;                     // error symbols declared
};

constexpr char ACCEPT_NAME[] = "$accept";  // printable name of rule 0's left side

const char *file_of(const GrammarReader &r) { return r.grammar.file_name.c_str(); }

std::vector<Line> split_lines(const char *text) {
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
int parse_number(const std::string &word, int low, int high, int *value) {
  if (word.empty()) return -1;
  errno = 0;
  char *end = nullptr;
  long parsed = strtol(word.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return -1;
  *value = static_cast<int>(parsed);
  return 0;
}

bool is_identifier(const std::string &word) {
  if (word.empty() || (word[0] >= '0' && word[0] <= '9')) return false;
  for (char c : word) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    if (!letter && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

// Separators of a rule line; they cannot be symbol names.
bool is_separator(const std::string &word) { return word == ":" || word == "=>"; }

int symbol_kind_of(const std::string &keyword) {
  if (keyword == "end") return symbol_end;
  if (keyword == "error") return symbol_error;
  if (keyword == "undefined") return symbol_undefined;
  if (keyword == "token") return symbol_token;
  if (keyword == "literal") return symbol_literal;
  if (keyword == "nonterminal") return symbol_nonterminal;
  return -1;
}

// The token code of a declaration, checked against its kind and the codes taken so far.
int read_code(GrammarReader *r, const Line &line, int kind, const std::string &name, int *code) {
  if (parse_number(line.words[3], 0, MAX_TOKEN_CODE, code) != 0) {
    return report_at(file_of(*r), line.number, "token code '%s' is not a number from 0 to %d", line.words[3].c_str(),
                     MAX_TOKEN_CODE);
  }
  if ((kind == symbol_end) != (*code == 0)) {
    return report_at(file_of(*r), line.number, "code 0 belongs to the end symbol and to no other");
  }
  if (kind == symbol_literal) {
    bool quoted = name.size() == 3 && name[0] == '\'' && name[2] == '\'';
    if (!quoted)
      return report_at(file_of(*r), line.number, "literal '%s' is not one character in single quotes", name.c_str());
    if (*code != static_cast<unsigned char>(name[1])) {
      return report_at(file_of(*r), line.number, "literal %s has code %d, not the code of its character", name.c_str(),
                       *code);
    }
  }
  if (kind == symbol_token && !is_identifier(name)) {
    return report_at(file_of(*r), line.number, "token name '%s' is not an identifier", name.c_str());
  }
  auto taken = r->by_code.find(*code);
  if (taken != r->by_code.end()) {
    return report_at(file_of(*r), line.number, "code %d already belongs to %s", *code,
                     r->grammar.symbols[taken->second].name.c_str());
  }
  return 0;
}

int read_symbol(GrammarReader *r, const Line &line, int kind) {
  size_t expected = (kind == symbol_undefined || kind == symbol_nonterminal) ? 3 : 4;
  bool start = kind == symbol_nonterminal && line.words.size() == 4 && line.words[3] == "start";
  if (line.words.size() != expected && !start) {
    const char *operands = kind == symbol_nonterminal ? "a number, a name and optionally 'start'"
                           : expected == 3            ? "a number and a name"
                                                      : "a number, a name and a code";
    return report_at(file_of(*r), line.number, "%s takes %s", line.words[0].c_str(), operands);
  }
  int number = 0;
  int next = static_cast<int>(r->grammar.symbols.size());
  if (parse_number(line.words[1], 0, MAX_TOKEN_CODE, &number) != 0 || number != next) {
    return report_at(file_of(*r), line.number, "symbol number '%s' out of order: expected %d", line.words[1].c_str(),
                     next);
  }
  const std::string &name = line.words[2];
  if (is_separator(name)) return report_at(file_of(*r), line.number, "'%s' cannot be a symbol name", name.c_str());
  if (r->by_name.count(name) != 0) return report_at(file_of(*r), line.number, "symbol %s declared twice", name.c_str());
  bool terminals_closed = next > 0 && r->grammar.symbols.back().kind == symbol_nonterminal;
  if (kind != symbol_nonterminal && terminals_closed) {
    return report_at(file_of(*r), line.number, "terminal %s declared after the nonterminals", name.c_str());
  }
  int code = -1;
  if (expected == 4 && read_code(r, line, kind, name, &code) != 0) return -1;
  if (kind == symbol_end) r->grammar.end_symbol = number;
  if (kind == symbol_undefined) {
    if (r->grammar.undefined_symbol >= 0) return report_at(file_of(*r), line.number, "a second undefined symbol");
    r->grammar.undefined_symbol = number;
  }
  if (kind == symbol_error) r->error_count++;
  if (start) {
    r->grammar.start_symbol = number;
    r->start_count++;
  }
  if (kind != symbol_nonterminal) r->grammar.token_count = number + 1;
  r->grammar.symbols.push_back(Symbol{name, kind, code, 0, assoc_none});
  r->by_name[name] = number;
  if (code >= 0) r->by_code[code] = number;
  return 0;
}

int action_index(GrammarReader *r, const std::string &name) {
  for (size_t i = 0; i < r->grammar.action_names.size(); i++) {
    if (r->grammar.action_names[i] == name) return static_cast<int>(i);
  }
  r->grammar.action_names.push_back(name);
  return static_cast<int>(r->grammar.action_names.size()) - 1;
}

// rule NUMBER LEFT : RIGHT... => ACTION
int read_rule(GrammarReader *r, const Line &line) {
  const std::vector<std::string> &w = line.words;
  size_t n = w.size();
  if (n < 6 || w[3] != ":" || w[n - 2] != "=>") {
    return report_at(file_of(*r), line.number, "a rule reads: rule NUMBER LEFT : RIGHT... => ACTION");
  }
  int number = 0;
  int next = static_cast<int>(r->grammar.rules.size());
  if (parse_number(w[1], 1, MAX_TOKEN_CODE, &number) != 0 || number != next) {
    return report_at(file_of(*r), line.number, "rule number '%s' out of order: expected %d", w[1].c_str(), next);
  }
  auto left = r->by_name.find(w[2]);
  if (left == r->by_name.end() || r->grammar.symbols[left->second].kind != symbol_nonterminal) {
    return report_at(file_of(*r), line.number, "left side %s is not a nonterminal", w[2].c_str());
  }
  if (!is_identifier(w[n - 1]))
    return report_at(file_of(*r), line.number, "action name '%s' is not an identifier", w[n - 1].c_str());
  GrammarRule rule{left->second, {}, action_index(r, w[n - 1]), 0, line.number};
  for (size_t i = 4; i < n - 2; i++) {
    auto found = r->by_name.find(w[i]);
    if (found == r->by_name.end()) return report_at(file_of(*r), line.number, "unknown symbol %s", w[i].c_str());
    int kind = r->grammar.symbols[found->second].kind;
    if (kind == symbol_end || kind == symbol_undefined || kind == symbol_error) {
      return report_at(file_of(*r), line.number, "%s cannot appear in a rule", w[i].c_str());
    }
    rule.rhs.push_back(found->second);
  }
  r->grammar.rules.push_back(rule);
  return 0;
}

int associativity_of(const std::string &word) {
  if (word == "left") return assoc_left;
  if (word == "right") return assoc_right;
  if (word == "nonassoc") return assoc_nonassoc;
  if (word == "prefix") return assoc_prefix;
  return -1;
}

// precedence LEVEL ASSOC TOKEN...
int read_precedence(GrammarReader *r, const Line &line, int expected_level) {
  const std::vector<std::string> &w = line.words;
  int level = 0;
  if (w.size() < 4)
    return report_at(file_of(*r), line.number, "a precedence level reads: precedence LEVEL ASSOC TOKEN...");
  if (parse_number(w[1], 1, MAX_TOKEN_CODE, &level) != 0 || level != expected_level) {
    return report_at(file_of(*r), line.number, "precedence level '%s' out of order: expected %d", w[1].c_str(),
                     expected_level);
  }
  int assoc = associativity_of(w[2]);
  if (assoc < 0)
    return report_at(file_of(*r), line.number, "associativity '%s' is not left, right, nonassoc or prefix",
                     w[2].c_str());
  for (size_t i = 3; i < w.size(); i++) {
    auto found = r->by_name.find(w[i]);
    if (found == r->by_name.end()) return report_at(file_of(*r), line.number, "unknown symbol %s", w[i].c_str());
    Symbol &s = r->grammar.symbols[found->second];
    if (s.kind != symbol_token && s.kind != symbol_literal) {
      return report_at(file_of(*r), line.number, "%s is not a token and cannot have a precedence", w[i].c_str());
    }
    if (s.precedence != 0) return report_at(file_of(*r), line.number, "%s already has a precedence", w[i].c_str());
    s.precedence = level;
    s.associativity = assoc;
  }
  return 0;
}

void set_rule_precedences(Grammar *g) {
  for (GrammarRule &rule : g->rules) {
    for (int symbol : rule.rhs) {
      if (is_terminal(*g, symbol) && g->symbols[symbol].precedence != 0)
        rule.precedence = g->symbols[symbol].precedence;
    }
  }
}

// The checks that need every declaration: the symbols the tables cannot do without.
int check_symbols(GrammarReader *r) {
  Grammar &g = r->grammar;
  if (g.symbols.empty() || g.symbols.back().kind != symbol_nonterminal) {
    return report_at(file_of(*r), 0, "no nonterminals declared");
  }
  if (g.end_symbol < 0) return report_at(file_of(*r), 0, "no end symbol declared");
  if (g.undefined_symbol < 0) return report_at(file_of(*r), 0, "no undefined symbol declared");
  if (r->error_count > 1) return report_at(file_of(*r), 0, "more than one error symbol declared");
  if (r->start_count != 1) return report_at(file_of(*r), 0, "exactly one nonterminal must be marked start");
  if (g.token_count > MAX_TERMINALS) return report_at(file_of(*r), 0, "more than %d terminals", MAX_TERMINALS);
  for (const Symbol &s : g.symbols) g.max_code = s.code > g.max_code ? s.code : g.max_code;
  return 0;
}

// The checks that need every rule: a rule for every nonterminal, few enough actions.
int check_rules(GrammarReader *r) {
  const Grammar &g = r->grammar;
  if (g.rules.size() < 2) return report_at(file_of(*r), 0, "no rules");
  if (g.action_names.size() > MAX_ACTIONS) return report_at(file_of(*r), 0, "more than %d action names", MAX_ACTIONS);
  std::vector<int> rules_of(g.symbols.size(), 0);
  for (int rule = 1; rule <= rule_count(g); rule++) rules_of[g.rules[rule].lhs]++;
  for (int s = g.token_count; s < static_cast<int>(g.symbols.size()); s++) {
    if (rules_of[s] == 0) return report_at(file_of(*r), 0, "nonterminal %s has no rule", g.symbols[s].name.c_str());
  }
  return 0;
}

// Reads the declarations of symbols and sets the rule and precedence lines aside, to be read
// once every symbol is known.
int read_declarations(GrammarReader *r, const std::vector<Line> &lines) {
  for (const Line &line : lines) {
    const std::string &keyword = line.words[0];
    int kind = symbol_kind_of(keyword);
    if (kind >= 0) {
      if (read_symbol(r, line, kind) != 0) return -1;
    } else if (keyword == "rule") {
      r->rule_lines.push_back(line);
    } else if (keyword == "precedence") {
      r->precedence_lines.push_back(line);
    } else {
      return report_at(file_of(*r), line.number, "unknown declaration '%s'", keyword.c_str());
    }
  }
  return check_symbols(r);
}

int read_rules_and_levels(GrammarReader *r) {
  Grammar &g = r->grammar;
  g.accept_symbol = static_cast<int>(g.symbols.size());
  // Rule 0 is the augmented start rule; the file's rules follow from 1.
  g.rules.push_back(GrammarRule{g.accept_symbol, {g.start_symbol, g.end_symbol}, 0, 0, 0});
  for (const Line &line : r->rule_lines) {
    if (read_rule(r, line) != 0) return -1;
  }
  for (int i = 0; i < static_cast<int>(r->precedence_lines.size()); i++) {
    if (read_precedence(r, r->precedence_lines[i], i + 1) != 0) return -1;
  }
  set_rule_precedences(&g);
  return check_rules(r);
}

}  // namespace

const char *symbol_name(const Grammar &g, int symbol) {
  if (symbol == g.accept_symbol) return ACCEPT_NAME;
  return g.symbols[symbol].name.c_str();
}

std::optional<Grammar> read_grammar(const char *file_name, const std::string &text) {
  GrammarReader r{};
  r.grammar.file_name = file_name;
  r.grammar.start_symbol = -1;
  r.grammar.end_symbol = -1;
  r.grammar.undefined_symbol = -1;
  if (read_declarations(&r, split_lines(text.c_str())) != 0 || read_rules_and_levels(&r) != 0) return std::nullopt;
  return r.grammar;
}

// Reader of grammar files. One declaration per line; a word that starts with '#' turns the
// rest of its line into a comment. Words are separated by blanks and tabs; a word that starts
// with a double quote runs to the next double quote that no backslash escapes.
//
//   end         NAME CODE                  the end-of-input symbol (CODE 0)
//   error       NAME CODE                  the error symbol (optional; no rule may use it)
//   undefined   NAME                       the symbol of every undeclared token code
//   token       NAME CODE                  a named token; NAME is a C identifier, CODE the
//                                          code the scanner returns for it
//   literal     'C'                        a one-character token; its code is C's
//   nonterminal NAME [start]               exactly one nonterminal is the start symbol
//   action      NAME WRITES                what the action writes at a reduction: text "TEXT"
//                                          (\n, \t, \\ and \" escaped), fragment (the next
//                                          queued fragment) or number (the same, for a number)
//   rule        LEFT : RIGHT... [=> ACTION]  a rule without an action writes nothing
//   precedence  ASSOC TOKEN...             ASSOC: left, right, nonassoc or prefix; one level a
//                                          line, the first binds loosest
//   display     TERMINAL "TEXT"            how a syntax error names the terminal among what was
//                                          expected; several may share a text, and "" leaves it
//                                          unnamed (an operator that could always follow). A
//                                          literal is named by itself; once one display line
//                                          is written, every token needs one
//
// The generator numbers what the file declares in its order: the terminals from 0, then the
// nonterminals, the actions from 1 (action 0 writes nothing), the rules from 1, the
// precedence levels from 1. Only the token codes are written out, since the scanner returns
// them. Every action must be run by a rule, and every action a rule runs must be declared.
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
  Grammar grammar;                      // what the lines read so far declare
  std::map<std::string, int> by_name;   // symbol name -> number
  std::map<int, int> by_code;           // token code -> terminal
  std::map<std::string, int> actions;   // action name -> number
  std::vector<bool> action_used;        // action number -> some rule runs it
  std::vector<Line> nonterminal_lines;  // numbered after every terminal
  std::vector<Line> action_lines;       // read once every symbol is known, like the two below
  std::vector<Line> rule_lines;
  std::vector<Line> precedence_lines;
  std::vector<Line> display_lines;
  std::map<int, int> token_lines;  // a `token` terminal -> the line that declares it
  int start_count;                 // nonterminals marked `start`
  int error_count;                 // error symbols declared
};

constexpr char ACCEPT_NAME[] = "$accept";  // printable name of rule 0's left side
constexpr char QUOTE = '"';                // opens and closes an action's text
constexpr char ESCAPE = '\\';              // in an action's text: the next byte stands for itself, or n or t

const char *file_of(const GrammarReader &r) { return r.grammar.file_name.c_str(); }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The end of the quoted word that starts at `p`: past its closing quote, or at the end of the
// line when it has none (the text is then refused where it is read).
const char *quoted_word_end(const char *p) {
  for (p++; *p != '\0' && *p != '\n'; p++) {
    if (*p == ESCAPE && p[1] != '\0' && p[1] != '\n') {
      p++;
    } else if (*p == QUOTE) {
      return p + 1;
    }
  }
  return p;
}

std::vector<Line> split_lines(const char *text) {
  std::vector<Line> lines;
  int number = 1;
  const char *p = text;
  while (*p != '\0') {
    Line line{number, {}};
    while (*p != '\0' && *p != '\n') {
      if (is_blank(*p)) {
        p++;
        continue;
      }
      if (*p == '#') {
        while (*p != '\0' && *p != '\n') p++;
        break;
      }
      const char *start = p;
      if (*p == QUOTE) {
        p = quoted_word_end(p);
      } else {
        while (*p != '\0' && *p != '\n' && !is_blank(*p)) p++;
      }
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

// What follows the keyword of a symbol declaration, for the message when it is wrong.
const char *operands_of(int kind) {
  switch (kind) {
    case symbol_undefined:
      return "a name";
    case symbol_literal:
      return "one character in single quotes";
    case symbol_nonterminal:
      return "a name and optionally 'start'";
    default:
      return "a name and a code";
  }
}

bool is_literal_name(const std::string &name) { return name.size() == 3 && name[0] == '\'' && name[2] == '\''; }

// The token code of a declaration, checked against its kind and the codes taken so far.
int read_code(GrammarReader *r, const Line &line, int kind, const std::string &name, int *code) {
  if (kind == symbol_literal) {
    *code = static_cast<unsigned char>(name[1]);
  } else if (parse_number(line.words[2], 0, MAX_TOKEN_CODE, code) != 0) {
    return report_at(file_of(*r), line.number, "token code '%s' is not a number from 0 to %d", line.words[2].c_str(),
                     MAX_TOKEN_CODE);
  }
  if ((kind == symbol_end) != (*code == 0)) {
    return report_at(file_of(*r), line.number, "code 0 belongs to the end symbol and to no other");
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

// A terminal is numbered as it is read; a nonterminal is set aside to be numbered after the
// last terminal.
int read_symbol(GrammarReader *r, const Line &line, int kind) {
  size_t operands = line.words.size() - 1;
  bool start = kind == symbol_nonterminal && operands == 2 && line.words[2] == "start";
  size_t expected = kind == symbol_undefined || kind == symbol_literal || kind == symbol_nonterminal ? 1 : 2;
  if (operands != expected && !start) {
    return report_at(file_of(*r), line.number, "%s takes %s", line.words[0].c_str(), operands_of(kind));
  }
  const std::string &name = line.words[1];
  if (kind == symbol_literal && !is_literal_name(name))
    return report_at(file_of(*r), line.number, "literal %s is not one character in single quotes", name.c_str());
  if (is_separator(name)) return report_at(file_of(*r), line.number, "'%s' cannot be a symbol name", name.c_str());
  if (r->by_name.count(name) != 0) return report_at(file_of(*r), line.number, "symbol %s declared twice", name.c_str());
  int number = static_cast<int>(r->grammar.symbols.size());
  r->by_name[name] = number;  // a nonterminal's number is given again once the terminals are done
  if (kind == symbol_nonterminal) {
    if (start) r->start_count++;
    r->nonterminal_lines.push_back(line);
    return 0;
  }
  int code = -1;
  if (kind != symbol_undefined && read_code(r, line, kind, name, &code) != 0) return -1;
  if (kind == symbol_end) r->grammar.end_symbol = number;
  if (kind == symbol_undefined) {
    if (r->grammar.undefined_symbol >= 0) return report_at(file_of(*r), line.number, "a second undefined symbol");
    r->grammar.undefined_symbol = number;
  }
  if (kind == symbol_error) r->error_count++;
  if (kind == symbol_token) r->token_lines[number] = line.number;
  std::string display = kind == symbol_end ? "the end of the input" : name;
  r->grammar.symbols.push_back(Symbol{name, kind, code, 0, assoc_none, display});
  r->grammar.token_count = number + 1;
  if (code >= 0) r->by_code[code] = number;
  return 0;
}

void number_nonterminals(GrammarReader *r) {
  Grammar &g = r->grammar;
  for (const Line &line : r->nonterminal_lines) {
    int number = static_cast<int>(g.symbols.size());
    if (line.words.size() == 3) g.start_symbol = number;
    g.symbols.push_back(Symbol{line.words[1], symbol_nonterminal, -1, 0, assoc_none, line.words[1]});
    r->by_name[line.words[1]] = number;
  }
}

// The bytes of a quoted text; false when it is not one (no closing quote, an unknown escape).
bool decode_text(const std::string &word, std::string *text) {
  if (word.size() < 2 || word.front() != QUOTE || word.back() != QUOTE) return false;
  for (size_t i = 1; i + 1 < word.size(); i++) {
    char c = word[i];
    if (c == ESCAPE) {
      char next = word[++i];
      if (next == 'n') {
        c = '\n';
      } else if (next == 't') {
        c = '\t';
      } else if (next == ESCAPE || next == QUOTE) {
        c = next;
      } else {
        return false;
      }
    }
    text->push_back(c);
  }
  return true;
}

int writes_of(const std::string &word) {
  if (word == "text") return writes_text;
  if (word == "fragment") return writes_fragment;
  if (word == "number") return writes_number;
  return -1;
}

// action NAME WRITES
int read_action(GrammarReader *r, const Line &line) {
  const std::vector<std::string> &w = line.words;
  int writes = w.size() >= 3 ? writes_of(w[2]) : -1;
  if (writes < 0 || w.size() != (writes == writes_text ? 4u : 3u)) {
    return report_at(file_of(*r), line.number,
                     "an action reads: action NAME text \"TEXT\", action NAME fragment or action NAME number");
  }
  const std::string &name = w[1];
  if (!is_identifier(name))
    return report_at(file_of(*r), line.number, "action name '%s' is not an identifier", name.c_str());
  if (name == NO_ACTION_NAME)
    return report_at(file_of(*r), line.number, "action %s writes nothing and is declared by no line", name.c_str());
  if (r->actions.count(name) != 0) return report_at(file_of(*r), line.number, "action %s declared twice", name.c_str());
  RuleAction action{name, writes, "", line.number};
  if (writes == writes_text) {
    if (!decode_text(w[3], &action.text))
      return report_at(file_of(*r), line.number, "the text of action %s is not a quoted text", name.c_str());
    if (action.text.empty() || action.text.size() > MAX_ACTION_TEXT)
      return report_at(file_of(*r), line.number, "the text of action %s must hold 1 to %d bytes", name.c_str(),
                       MAX_ACTION_TEXT);
  }
  r->actions[name] = static_cast<int>(r->grammar.actions.size());
  r->grammar.actions.push_back(action);
  r->action_used.push_back(false);
  return 0;
}

// The action a rule line names after "=>", or 0 when it names none; -1 when it is undeclared.
int rule_action_of(GrammarReader *r, const Line &line, size_t arrow) {
  const std::vector<std::string> &w = line.words;
  if (arrow == w.size()) return 0;
  const std::string &name = w.back();
  if (name == NO_ACTION_NAME) {
    return report_at(file_of(*r), line.number, "a rule that writes nothing names no action: leave out '=> %s'",
                     name.c_str());
  }
  auto found = r->actions.find(name);
  if (found == r->actions.end()) {
    return report_at(file_of(*r), line.number, "action %s has no output: no action line says what it writes",
                     name.c_str());
  }
  r->action_used[found->second] = true;
  return found->second;
}

// rule LEFT : RIGHT... [=> ACTION]
int read_rule(GrammarReader *r, const Line &line) {
  const std::vector<std::string> &w = line.words;
  size_t arrow = 3;
  while (arrow < w.size() && w[arrow] != "=>") arrow++;
  if (w.size() < 3 || w[2] != ":" || (arrow < w.size() && arrow + 2 != w.size())) {
    return report_at(file_of(*r), line.number, "a rule reads: rule LEFT : RIGHT... [=> ACTION]");
  }
  auto left = r->by_name.find(w[1]);
  if (left == r->by_name.end() || r->grammar.symbols[left->second].kind != symbol_nonterminal) {
    return report_at(file_of(*r), line.number, "left side %s is not a nonterminal", w[1].c_str());
  }
  int action = rule_action_of(r, line, arrow);
  if (action < 0) return -1;
  GrammarRule rule{left->second, {}, action, 0, line.number};
  for (size_t i = 3; i < arrow; i++) {
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

// precedence ASSOC TOKEN...
int read_precedence(GrammarReader *r, const Line &line, int level) {
  const std::vector<std::string> &w = line.words;
  if (w.size() < 3) return report_at(file_of(*r), line.number, "a precedence level reads: precedence ASSOC TOKEN...");
  int assoc = associativity_of(w[1]);
  if (assoc < 0)
    return report_at(file_of(*r), line.number, "associativity '%s' is not left, right, nonassoc or prefix",
                     w[1].c_str());
  for (size_t i = 2; i < w.size(); i++) {
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

// display TERMINAL "TEXT"
int read_display(GrammarReader *r, const Line &line) {
  const std::vector<std::string> &w = line.words;
  std::string text;
  if (w.size() != 3 || !decode_text(w[2], &text))
    return report_at(file_of(*r), line.number, "a display line reads: display TERMINAL \"TEXT\"");
  auto found = r->by_name.find(w[1]);
  if (found == r->by_name.end()) return report_at(file_of(*r), line.number, "unknown symbol %s", w[1].c_str());
  if (!is_terminal(r->grammar, found->second))
    return report_at(file_of(*r), line.number, "%s is not a terminal and is never named", w[1].c_str());
  r->grammar.symbols[found->second].display = text;
  r->token_lines.erase(found->second);
  return 0;
}

// A grammar that names its terminals for the syntax messages names every token: one left out
// would show in them under its grammar name ("expected XOR or ';'").
int check_displays(GrammarReader *r) {
  if (r->display_lines.empty() || r->token_lines.empty()) return 0;
  auto [symbol, line] = *r->token_lines.begin();
  return report_at(file_of(*r), line, "token %s has no display line: how a syntax message names it",
                   r->grammar.symbols[symbol].name.c_str());
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
  if (r->nonterminal_lines.empty()) return report_at(file_of(*r), 0, "no nonterminals declared");
  if (g.end_symbol < 0) return report_at(file_of(*r), 0, "no end symbol declared");
  if (g.undefined_symbol < 0) return report_at(file_of(*r), 0, "no undefined symbol declared");
  if (r->error_count > 1) return report_at(file_of(*r), 0, "more than one error symbol declared");
  if (r->start_count != 1) return report_at(file_of(*r), 0, "exactly one nonterminal must be marked start");
  if (g.token_count > MAX_TERMINALS) return report_at(file_of(*r), 0, "more than %d terminals", MAX_TERMINALS);
  for (const Symbol &s : g.symbols) g.max_code = s.code > g.max_code ? s.code : g.max_code;
  return 0;
}

// The checks that need every rule: a rule for every nonterminal and for every action.
int check_rules(GrammarReader *r) {
  const Grammar &g = r->grammar;
  if (g.rules.size() < 2) return report_at(file_of(*r), 0, "no rules");
  if (g.actions.size() > MAX_ACTIONS + 1u) return report_at(file_of(*r), 0, "more than %d actions", MAX_ACTIONS);
  for (size_t a = 1; a < g.actions.size(); a++) {
    if (!r->action_used[a])
      return report_at(file_of(*r), g.actions[a].line, "action %s is run by no rule", g.actions[a].name.c_str());
  }
  std::vector<int> rules_of(g.symbols.size(), 0);
  for (int rule = 1; rule <= rule_count(g); rule++) rules_of[g.rules[rule].lhs]++;
  for (int s = g.token_count; s < static_cast<int>(g.symbols.size()); s++) {
    if (rules_of[s] == 0) return report_at(file_of(*r), 0, "nonterminal %s has no rule", g.symbols[s].name.c_str());
  }
  return 0;
}

// Reads the declarations of symbols and sets the other lines aside, to be read once every
// symbol is known.
int read_declarations(GrammarReader *r, const std::vector<Line> &lines) {
  for (const Line &line : lines) {
    const std::string &keyword = line.words[0];
    int kind = symbol_kind_of(keyword);
    if (kind >= 0) {
      if (read_symbol(r, line, kind) != 0) return -1;
    } else if (keyword == "action") {
      r->action_lines.push_back(line);
    } else if (keyword == "rule") {
      r->rule_lines.push_back(line);
    } else if (keyword == "precedence") {
      r->precedence_lines.push_back(line);
    } else if (keyword == "display") {
      r->display_lines.push_back(line);
    } else {
      return report_at(file_of(*r), line.number, "unknown declaration '%s'", keyword.c_str());
    }
  }
  if (check_symbols(r) != 0) return -1;
  number_nonterminals(r);
  return 0;
}

int read_actions_rules_and_levels(GrammarReader *r) {
  Grammar &g = r->grammar;
  g.actions.push_back(RuleAction{NO_ACTION_NAME, writes_nothing, "", 0});
  r->action_used.push_back(true);
  for (const Line &line : r->action_lines) {
    if (read_action(r, line) != 0) return -1;
  }
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
  for (const Line &line : r->display_lines) {
    if (read_display(r, line) != 0) return -1;
  }
  if (check_displays(r) != 0) return -1;
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
  if (read_declarations(&r, split_lines(text.c_str())) != 0 || read_actions_rules_and_levels(&r) != 0) {
    return std::nullopt;
  }
  return r.grammar;
}

// Reading the rule file. Line format: "condition NAME"; "rule NAME CONDITIONS PATTERN"
// (CONDITIONS comma-separated, PATTERN the rest of the line with its trailing blanks
// removed); "skip NAME CONDITIONS PATTERN" for a rule whose action does nothing; "token",
// "text_token" and "name_token NAME CONDITIONS TOKEN PATTERN" for a rule whose action the
// engine does itself (TOKEN a name or 'C'); "include HEADER" for the header that names the
// tokens; "#" comment lines and blank lines.
#include "rule_file.h"

#include <cerrno>
#include <cstring>
#include <set>

#include "diagnostics.h"
#include "files.h"
#include "text.h"

namespace {

constexpr char RULE_PREFIX[] = "RULE_";              // rule NAME -> action RULE_NAME
constexpr char EOF_ACTION_PREFIX[] = "ACTION_EOF_";  // condition NAME -> ACTION_EOF_NAME
constexpr char COMMENT_MARK = '#';                   // a line whose first word starts with it says nothing
constexpr char CONDITION_SEPARATOR = ',';            // between the start conditions of a rule

struct RuleReader {
  RuleSet rules;                      // what the lines read so far declare
  std::set<std::string> enumerators;  // names the generated header will declare so far
};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool is_name_start(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }

// A name must be usable as a C++ identifier in the generated header.
bool is_name(const std::string &word) {
  if (word.empty() || !is_name_start(word[0])) return false;
  for (char c : word)
    if (!is_name_char(c)) return false;
  return true;
}

// 'C', a one-character token such as '(': a C character literal without an escape.
bool is_character_token(const std::string &word) {
  return word.size() == 3 && word[0] == '\'' && word[2] == '\'' && word[1] != '\'' && word[1] != '\\' &&
         word[1] > ' ' && word[1] <= '~';
}

void skip_blanks(const std::string &line, size_t *pos) {
  while (*pos < line.size() && is_blank(line[*pos])) ++*pos;
}

// The blank-separated word at *pos (after any blanks); *pos moves past it.
std::string next_word(const std::string &line, size_t *pos) {
  skip_blanks(line, pos);
  size_t start = *pos;
  while (*pos < line.size() && !is_blank(line[*pos])) ++*pos;
  return line.substr(start, *pos - start);
}

int find_condition(const RuleSet &rules, const std::string &name) {
  for (int n = 0; n < static_cast<int>(rules.conditions.size()); n++)
    if (rules.conditions[n] == name) return n;
  return -1;
}

// Claims an enumerator of the generated header; -1 when an earlier name produced it.
int claim_enumerator(RuleReader *reader, const std::string &name, int line) {
  if (!reader->enumerators.insert(name).second)
    return report_at(reader->rules.file_name.c_str(), line, "name %s is given twice", name.c_str());
  return 0;
}

int parse_condition(RuleReader *reader, const std::string &line, size_t pos, int number) {
  const char *file = reader->rules.file_name.c_str();
  std::string name = next_word(line, &pos);
  if (name.empty()) return report_at(file, number, "condition without a name");
  if (!is_name(name)) return report_at(file, number, "condition name '%s' is not an identifier", name.c_str());
  if (!next_word(line, &pos).empty())
    return report_at(file, number, "unexpected text after condition %s", name.c_str());
  if (claim_enumerator(reader, name, number) < 0) return -1;
  if (claim_enumerator(reader, end_of_file_action_name(name), number) < 0) return -1;
  reader->rules.conditions.push_back(name);
  return 0;
}

// Fills rule->conditions from the comma-separated list `list`.
int parse_condition_list(const RuleSet &rules, const std::string &list, ScanRule *rule) {
  const char *file = rules.file_name.c_str();
  size_t start = 0;
  for (;;) {
    size_t end = list.find(CONDITION_SEPARATOR, start);
    if (end == std::string::npos) end = list.size();
    std::string name = list.substr(start, end - start);
    if (name.empty())
      return report_at(file, rule->line, "empty name in the condition list of rule %s", rule->name.c_str());
    int condition = find_condition(rules, name);
    if (condition < 0) return report_at(file, rule->line, "unknown start condition '%s'", name.c_str());
    for (int earlier : rule->conditions)
      if (earlier == condition) return report_at(file, rule->line, "start condition %s listed twice", name.c_str());
    rule->conditions.push_back(condition);
    if (end == list.size()) break;
    start = end + 1;
  }
  std::set<int> sorted(rule->conditions.begin(), rule->conditions.end());
  rule->conditions.assign(sorted.begin(), sorted.end());
  return 0;
}

int parse_include(RuleReader *reader, const std::string &line, size_t pos, int number) {
  const char *file = reader->rules.file_name.c_str();
  std::string header = next_word(line, &pos);
  if (header.empty()) return report_at(file, number, "include without a header");
  if (!next_word(line, &pos).empty())
    return report_at(file, number, "unexpected text after include %s", header.c_str());
  reader->rules.includes.push_back(header);
  return 0;
}

int parse_rule(RuleReader *reader, const std::string &line, size_t pos, int number, int kind) {
  const char *file = reader->rules.file_name.c_str();
  ScanRule rule;
  rule.line = number;
  rule.kind = kind;
  rule.name = next_word(line, &pos);
  if (rule.name.empty()) return report_at(file, number, "rule without a name");
  if (!is_name(rule.name)) return report_at(file, number, "rule name '%s' is not an identifier", rule.name.c_str());
  std::string list = next_word(line, &pos);
  if (list.empty()) return report_at(file, number, "rule %s has no start conditions", rule.name.c_str());
  if (parse_condition_list(reader->rules, list, &rule) < 0) return -1;
  if (is_token_rule(rule)) {
    rule.token = next_word(line, &pos);
    if (!is_name(rule.token) && !is_character_token(rule.token))
      return report_at(file, number, "rule %s returns '%s', which is neither a token name nor a character in quotes",
                       rule.name.c_str(), rule.token.c_str());
  }
  skip_blanks(line, &pos);
  size_t end = line.size();
  while (end > pos && is_blank(line[end - 1])) end--;
  rule.pattern = line.substr(pos, end - pos);
  if (rule.pattern.empty()) return report_at(file, number, "rule %s has no pattern", rule.name.c_str());
  if (claim_enumerator(reader, rule_action_name(rule.name), number) < 0) return -1;
  reader->rules.rules.push_back(rule);
  return 0;
}

int parse_line(RuleReader *reader, const std::string &line, int number) {
  size_t pos = 0;
  std::string keyword = next_word(line, &pos);
  if (keyword.empty() || keyword[0] == COMMENT_MARK) return 0;
  if (keyword == "condition") return parse_condition(reader, line, pos, number);
  if (keyword == "include") return parse_include(reader, line, pos, number);
  static const char *const RULE_KEYWORDS[] = {"rule", "skip", "token", "text_token", "name_token"};  // ORDER RuleKind
  for (int kind = rule_action; kind <= rule_name_token; kind++)
    if (keyword == RULE_KEYWORDS[kind]) return parse_rule(reader, line, pos, number, kind);
  return report_at(reader->rules.file_name.c_str(), number, "unknown directive '%s'", keyword.c_str());
}

}  // namespace

std::string rule_action_name(const std::string &rule_name) { return RULE_PREFIX + upper_case(rule_name); }

std::string end_of_file_action_name(const std::string &condition) { return EOF_ACTION_PREFIX + condition; }

std::optional<RuleSet> parse_rule_text(const char *file_name, const std::string &text) {
  RuleReader reader;
  reader.rules.file_name = file_name;
  reader.enumerators = {DEFAULT_ACTION_NAME, END_OF_BUFFER_ACTION_NAME};
  int number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (parse_line(&reader, text.substr(start, end - start), ++number) < 0) return std::nullopt;
    start = end + 1;
  }
  if (reader.rules.conditions.empty()) {
    report_at(file_name, 0, "no start condition is declared");
    return std::nullopt;
  }
  for (const ScanRule &rule : reader.rules.rules) {
    if (is_token_rule(rule) && is_name(rule.token) && reader.rules.includes.empty()) {
      report_at(file_name, rule.line, "rule %s returns %s, but no include names the header that declares it",
                rule.name.c_str(), rule.token.c_str());
      return std::nullopt;
    }
  }
  return reader.rules;
}

std::optional<RuleSet> read_rule_file(const char *path) {
  std::string text;
  FileResult read = read_whole_file(path, &text);
  if (read == file_cannot_open) report_at(SCANGEN, 0, "cannot open %s: %s", path, strerror(errno));
  if (read == file_cannot_move) report_at(SCANGEN, 0, "cannot read %s: %s", path, strerror(errno));
  if (read != file_done) return std::nullopt;
  return parse_rule_text(path, text);
}

// Reading the rule file into `rule_set`. Line format: "condition NAME", "rule NAME
// CONDITIONS PATTERN" (CONDITIONS comma-separated, PATTERN the rest of the line with its
// trailing blanks removed), "#" comment lines and blank lines.
#include "rule_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "diagnostics.h"

RuleSet rule_set;

static std::set<std::string> enumerators;  // names the generated header will declare so far

static const char RULE_PREFIX[] = "RULE_";              // rule NAME -> action RULE_NAME
static const char EOF_ACTION_PREFIX[] = "ACTION_EOF_";  // condition NAME -> ACTION_EOF_NAME
// Actions the generator adds itself; a rule or condition must not produce these names.
static const char *const RESERVED_ENUMERATORS[] = {"RULE_DEFAULT", "ACTION_END_OF_BUFFER"};
static const char COMMENT_MARK = '#';
static const char CONDITION_SEPARATOR = ',';

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

static bool is_name_start(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

static bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }

// A name must be usable as a C++ identifier in the generated header.
static bool is_name(const std::string &word) {
  if (word.empty() || !is_name_start(word[0])) return false;
  for (char c : word)
    if (!is_name_char(c)) return false;
  return true;
}

static std::string upper_case(const std::string &word) {
  std::string result = word;
  for (char &c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

static void skip_blanks(const std::string &line, size_t *pos) {
  while (*pos < line.size() && is_blank(line[*pos])) ++*pos;
}

// The blank-separated word at *pos (after any blanks); *pos moves past it.
static std::string next_word(const std::string &line, size_t *pos) {
  skip_blanks(line, pos);
  size_t start = *pos;
  while (*pos < line.size() && !is_blank(line[*pos])) ++*pos;
  return line.substr(start, *pos - start);
}

static int find_condition(const std::string &name) {
  for (size_t n = 0; n < rule_set.conditions.size(); n++)
    if (rule_set.conditions[n] == name) return static_cast<int>(n);
  return -1;
}

// Claims an enumerator of the generated header; -1 when an earlier name produced it.
static int claim_enumerator(const std::string &name, int line) {
  if (!enumerators.insert(name).second)
    return report_at(rule_set.file_name.c_str(), line, "name %s is given twice", name.c_str());
  return 0;
}

static int parse_condition(const std::string &line, size_t pos, int number) {
  const char *file = rule_set.file_name.c_str();
  std::string name = next_word(line, &pos);
  if (name.empty()) return report_at(file, number, "condition without a name");
  if (!is_name(name)) return report_at(file, number, "condition name '%s' is not an identifier", name.c_str());
  if (!next_word(line, &pos).empty())
    return report_at(file, number, "unexpected text after condition %s", name.c_str());
  if (claim_enumerator(name, number) < 0) return -1;
  if (claim_enumerator(EOF_ACTION_PREFIX + name, number) < 0) return -1;
  rule_set.conditions.push_back(name);
  return 0;
}

// Fills rule->conditions from the comma-separated list `list`.
static int parse_condition_list(const std::string &list, Rule *rule) {
  const char *file = rule_set.file_name.c_str();
  size_t start = 0;
  for (;;) {
    size_t end = list.find(CONDITION_SEPARATOR, start);
    if (end == std::string::npos) end = list.size();
    std::string name = list.substr(start, end - start);
    if (name.empty())
      return report_at(file, rule->line, "empty name in the condition list of rule %s", rule->name.c_str());
    int condition = find_condition(name);
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

static int parse_rule(const std::string &line, size_t pos, int number) {
  const char *file = rule_set.file_name.c_str();
  Rule rule;
  rule.line = number;
  rule.name = next_word(line, &pos);
  if (rule.name.empty()) return report_at(file, number, "rule without a name");
  if (!is_name(rule.name)) return report_at(file, number, "rule name '%s' is not an identifier", rule.name.c_str());
  std::string list = next_word(line, &pos);
  if (list.empty()) return report_at(file, number, "rule %s has no start conditions", rule.name.c_str());
  if (parse_condition_list(list, &rule) < 0) return -1;
  skip_blanks(line, &pos);
  size_t end = line.size();
  while (end > pos && is_blank(line[end - 1])) end--;
  rule.pattern = line.substr(pos, end - pos);
  if (rule.pattern.empty()) return report_at(file, number, "rule %s has no pattern", rule.name.c_str());
  if (claim_enumerator(RULE_PREFIX + upper_case(rule.name), number) < 0) return -1;
  rule_set.rules.push_back(rule);
  return 0;
}

static int parse_line(const std::string &line, int number) {
  size_t pos = 0;
  std::string keyword = next_word(line, &pos);
  if (keyword.empty() || keyword[0] == COMMENT_MARK) return 0;
  if (keyword == "condition") return parse_condition(line, pos, number);
  if (keyword == "rule") return parse_rule(line, pos, number);
  return report_at(rule_set.file_name.c_str(), number, "unknown directive '%s'", keyword.c_str());
}

static void reset_rule_set(const char *file_name) {
  rule_set = RuleSet();
  rule_set.file_name = file_name;
  enumerators.clear();
  for (const char *name : RESERVED_ENUMERATORS) enumerators.insert(name);
}

int parse_rule_text(const char *file_name, const std::string &text) {
  reset_rule_set(file_name);
  int number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (parse_line(text.substr(start, end - start), ++number) < 0) return -1;
    start = end + 1;
  }
  if (rule_set.conditions.empty()) return report_at(file_name, 0, "no start condition is declared");
  return 0;
}

int read_rule_file(const char *path) {
  FILE *file = fopen(path, "rb");
  if (file == nullptr) return report("cannot open %s: %s", path, strerror(errno));
  std::string text;
  char chunk[BUFSIZ];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  bool failed = ferror(file) != 0;
  int saved_errno = errno;
  fclose(file);
  if (failed) return report("cannot read %s: %s", path, strerror(saved_errno));
  return parse_rule_text(path, text);
}

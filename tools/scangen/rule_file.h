// The rule file as read: start conditions and rules in priority order, the record that
// every later phase works from. Entry points: read_rule_file (a path) and parse_rule_text
// (text already in memory).
#ifndef SCANGEN_RULE_FILE_H
#define SCANGEN_RULE_FILE_H

#include <string>
#include <vector>

struct Rule {
  std::string name;             // as written; its action is RULE_ and the name in upper case
  std::vector<int> conditions;  // start conditions (numbers, ascending) where it is active
  std::string pattern;          // pattern text as written, escapes not yet interpreted
  int line;                     // line of the rule in the file, for diagnostics
};

struct RuleSet {
  std::string file_name;                // path as given; the prefix of every diagnostic
  std::vector<std::string> conditions;  // start condition names; condition n is entry n
  std::vector<Rule> rules;              // listed rules; rules[i] has rule number i + 1
};

extern RuleSet rule_set;  // the rule file being compiled

// Reads and parses the file at `path` into `rule_set`; 0, or -1 with `diagnostic` set.
int read_rule_file(const char *path);

// Parses `text` into `rule_set`, naming it `file_name` in diagnostics; 0 or -1.
int parse_rule_text(const char *file_name, const std::string &text);

#endif

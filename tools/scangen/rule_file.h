// The rule file as read: start conditions and rules in priority order, the record that every
// later stage works from, and the names the generated header gives their actions. Entry
// points: read_rule_file (a path) and parse_rule_text (text already in memory).
#ifndef SCANGEN_RULE_FILE_H
#define SCANGEN_RULE_FILE_H

#include <optional>
#include <string>
#include <vector>

constexpr char SCANGEN[] = "scangen";  // the place named by a fault that lies in no rule file

// What happens when a rule wins a match. The program's action runs only for a rule_action;
// for the others the engine does what the rule file says in the action's place.
enum RuleKind {
  rule_action,      // "rule": the program's action runs
  rule_skip,        // "skip": nothing; the engine may pass over the rule's matches
  rule_token,       // "token": the engine returns the rule's token
  rule_text_token,  // "text_token": the same, after it queues the matched text as a fragment
  rule_name_token,  // "name_token": the same, after it queues the matched text and a blank
};

struct ScanRule {
  std::string name;             // as written; its action is rule_action_name(name)
  int kind;                     // RuleKind
  std::string token;            // the token a token rule returns: a name, or 'C' for a character
  std::vector<int> conditions;  // start conditions (numbers, ascending) where it is active
  std::string pattern;          // pattern text as written, escapes not yet interpreted
  int line;                     // line of the rule in the file, for diagnostics
};

inline bool is_token_rule(const ScanRule &rule) { return rule.kind >= rule_token; }

struct RuleSet {
  std::string file_name;                // path as given; the prefix of every diagnostic
  std::vector<std::string> includes;    // headers that name the token rules' tokens
  std::vector<std::string> conditions;  // start condition names; condition n is entry n
  std::vector<ScanRule> rules;          // listed rules; rules[i] has rule number i + 1
};

// The actions the generator adds itself, after the listed rules; no rule or condition may
// produce these names.
constexpr char DEFAULT_ACTION_NAME[] = "RULE_DEFAULT";
constexpr char END_OF_BUFFER_ACTION_NAME[] = "ACTION_END_OF_BUFFER";

std::string rule_action_name(const std::string &rule_name);         // RULE_ and the name in upper case
std::string end_of_file_action_name(const std::string &condition);  // ACTION_EOF_ and the name

// Reads and parses the file at `path`; nothing, with the fault reported, when it fails.
std::optional<RuleSet> read_rule_file(const char *path);

// Parses `text`, naming it `file_name` in diagnostics.
std::optional<RuleSet> parse_rule_text(const char *file_name, const std::string &text);

#endif

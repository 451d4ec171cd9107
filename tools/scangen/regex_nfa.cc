// Patterns to one nondeterministic automaton: the pattern reader (literals, escapes, byte
// sets, ".", "*", "+", "?", "|", groups) and the automaton builder. Entry: compile_rules().
//
// Thompson's construction (K. Thompson, "Regular expression search algorithm", CACM 11(6),
// 1968; Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed., 3.7.4) in the form R. Cox describes
// in "Regular Expression Matching Can Be Simple And Fast" (2007). A pattern is first read
// into tokens, then put into postfix order with explicit concatenation by a stack of open
// groups, so deep nesting costs heap, never call stack. One pass over the postfix form then
// builds fragments whose unfinished exits form patch lists threaded through the unfilled
// `out` fields, which makes every join O(1).
#include "regex_nfa.h"

#include <map>
#include <string>

#include "diagnostics.h"
#include "rule_file.h"

Nfa nfa;

static std::map<ByteSet, int> byte_set_index;  // interned byte sets -> index in nfa.byte_sets

static const int NEWLINE = '\n';
static const int TAB = '\t';
static const char ESCAPE = '\\';

enum TokenKind {
  TOKEN_BYTES,      // one byte of a set; `byte_set` names it
  TOKEN_OPEN,       // "("
  TOKEN_CLOSE,      // ")"
  TOKEN_ALTERNATE,  // "|", binary in postfix form
  TOKEN_CONCAT,     // implicit concatenation, present only in postfix form
  TOKEN_STAR,       // "*"
  TOKEN_PLUS,       // "+"
  TOKEN_OPTIONAL,   // "?"
};

struct Token {
  int kind;      // TokenKind
  int byte_set;  // TOKEN_BYTES: index into nfa.byte_sets
};

// One open group while converting to postfix: what has been seen of it so far.
struct GroupCount {
  int alternatives;  // "|" seen at this level
  int operands;      // operands pending concatenation in the current alternative (0..2)
};

// A finished piece of automaton with its unfinished exits.
struct PatchList {
  int head;  // first unfilled slot (state * 2 + 0 for out, + 1 for out1)
  int tail;  // last unfilled slot; each slot holds the next one until it is patched
};

struct Fragment {
  int start;        // entry state
  PatchList exits;  // slots to fill with the state that follows the fragment
  bool nullable;    // matches the empty text
};

static const char *pattern_error;  // what is wrong with the pattern being read

bool byte_set_has(const ByteSet &set, int byte) {
  return (set[static_cast<size_t>(byte / BYTE_SET_WORD_BITS)] >> (byte % BYTE_SET_WORD_BITS)) & 1u;
}

static void byte_set_add(ByteSet *set, int byte) {
  (*set)[static_cast<size_t>(byte / BYTE_SET_WORD_BITS)] |= uint64_t{1} << (byte % BYTE_SET_WORD_BITS);
}

static bool byte_set_empty(const ByteSet &set) {
  for (uint64_t word : set)
    if (word != 0) return false;
  return true;
}

static int intern_byte_set(const ByteSet &set) {
  auto found = byte_set_index.find(set);
  if (found != byte_set_index.end()) return found->second;
  int index = static_cast<int>(nfa.byte_sets.size());
  nfa.byte_sets.push_back(set);
  byte_set_index.emplace(set, index);
  return index;
}

static int single_byte_set(int byte) {
  ByteSet set{};
  byte_set_add(&set, byte);
  return intern_byte_set(set);
}

// "." : every byte but the newline.
static int any_but_newline_set() {
  ByteSet set{};
  for (int b = 0; b < BYTE_COUNT; b++)
    if (b != NEWLINE) byte_set_add(&set, b);
  return intern_byte_set(set);
}

// Reads one byte at *pos, resolving an escape ("\n", "\t", or the escaped byte itself);
// -1 when the pattern ends in a lone backslash.
static int read_byte(const std::string &pattern, size_t *pos) {
  unsigned char c = static_cast<unsigned char>(pattern[(*pos)++]);
  if (c != ESCAPE) return c;
  if (*pos == pattern.size()) {
    pattern_error = "pattern ends in a lone backslash";
    return -1;
  }
  c = static_cast<unsigned char>(pattern[(*pos)++]);
  if (c == 'n') return NEWLINE;
  if (c == 't') return TAB;
  return c;
}

// Reads a bracket set after its "[" up to and including "]": bytes, ranges "a-z" and
// escapes; "^" first complements it (NUL included). A "-" first or last is literal.
// Returns the interned set, or -1.
static int read_bracket(const std::string &pattern, size_t *pos) {
  ByteSet set{};
  bool complement = *pos < pattern.size() && pattern[*pos] == '^';
  if (complement) ++*pos;
  bool listed = false;
  for (;;) {
    if (*pos >= pattern.size()) {
      pattern_error = "unterminated byte set";
      return -1;
    }
    if (pattern[*pos] == ']') break;
    int low = read_byte(pattern, pos);
    if (low < 0) return -1;
    int high = low;
    if (*pos + 1 < pattern.size() && pattern[*pos] == '-' && pattern[*pos + 1] != ']') {
      ++*pos;
      high = read_byte(pattern, pos);
      if (high < 0) return -1;
      if (high < low) {
        pattern_error = "byte range runs backwards";
        return -1;
      }
    }
    for (int b = low; b <= high; b++) byte_set_add(&set, b);
    listed = true;
  }
  ++*pos;  // the "]"
  if (!listed) {
    pattern_error = "empty byte set";
    return -1;
  }
  if (complement)
    for (uint64_t &word : set) word = ~word;
  if (byte_set_empty(set)) {
    pattern_error = "byte set matches no byte";
    return -1;
  }
  return intern_byte_set(set);
}

// Splits a pattern into tokens; -1 with `pattern_error` set on a malformed escape or set.
static int tokenize(const std::string &pattern, std::vector<Token> *tokens) {
  size_t pos = 0;
  while (pos < pattern.size()) {
    char c = pattern[pos];
    int set = -1;
    int kind = TOKEN_BYTES;
    switch (c) {
      case '(':
        kind = TOKEN_OPEN;
        break;
      case ')':
        kind = TOKEN_CLOSE;
        break;
      case '|':
        kind = TOKEN_ALTERNATE;
        break;
      case '*':
        kind = TOKEN_STAR;
        break;
      case '+':
        kind = TOKEN_PLUS;
        break;
      case '?':
        kind = TOKEN_OPTIONAL;
        break;
      case '.':
        set = any_but_newline_set();
        break;
      default:
        break;
    }
    if (kind != TOKEN_BYTES || set >= 0) {
      pos++;
    } else if (c == '[') {
      pos++;
      set = read_bracket(pattern, &pos);
    } else {
      int byte = read_byte(pattern, &pos);
      if (byte >= 0) set = single_byte_set(byte);
    }
    if (kind == TOKEN_BYTES && set < 0) return -1;
    tokens->push_back(Token{kind, set});
  }
  return 0;
}

static void emit_token(std::vector<Token> *out, int kind) { out->push_back(Token{kind, -1}); }

// Closes the current alternative: joins its operands with concatenations. -1 if it is empty.
static int close_alternative(GroupCount *level, std::vector<Token> *out) {
  if (level->operands == 0) {
    pattern_error = "empty alternative or group";
    return -1;
  }
  while (--level->operands > 0) emit_token(out, TOKEN_CONCAT);
  return 0;
}

// Closes a group or the whole pattern: its last alternative, then its alternations.
static int close_group(GroupCount *level, std::vector<Token> *out) {
  if (close_alternative(level, out) < 0) return -1;
  for (; level->alternatives > 0; level->alternatives--) emit_token(out, TOKEN_ALTERNATE);
  return 0;
}

// Infix tokens to postfix order with explicit concatenation; -1 on a misplaced operator or
// unbalanced parentheses.
static int to_postfix(const std::vector<Token> &tokens, std::vector<Token> *out) {
  std::vector<GroupCount> open_groups;  // enclosing groups of the current one
  GroupCount level = {0, 0};
  for (const Token &token : tokens) {
    switch (token.kind) {
      case TOKEN_OPEN:
      case TOKEN_BYTES:
        if (level.operands > 1) {
          level.operands--;
          emit_token(out, TOKEN_CONCAT);
        }
        if (token.kind == TOKEN_BYTES) {
          out->push_back(token);
          level.operands++;
        } else {
          open_groups.push_back(level);
          level = GroupCount{0, 0};
        }
        break;
      case TOKEN_ALTERNATE:
        if (close_alternative(&level, out) < 0) return -1;
        level.alternatives++;
        break;
      case TOKEN_CLOSE:
        if (open_groups.empty()) {
          pattern_error = "unmatched ')'";
          return -1;
        }
        if (close_group(&level, out) < 0) return -1;
        level = open_groups.back();
        open_groups.pop_back();
        level.operands++;
        break;
      default:  // the postfix operators
        if (level.operands == 0) {
          pattern_error = "'*', '+' or '?' follows nothing";
          return -1;
        }
        out->push_back(token);
        break;
    }
  }
  if (!open_groups.empty()) {
    pattern_error = "unmatched '('";
    return -1;
  }
  return close_group(&level, out);
}

static int new_state(int kind, int out, int out1, int byte_set, int rule) {
  nfa.states.push_back(NfaState{kind, out, out1, byte_set, rule});
  return static_cast<int>(nfa.states.size()) - 1;
}

static int &slot_field(int slot) {
  NfaState &state = nfa.states[static_cast<size_t>(slot / 2)];
  return slot % 2 == 0 ? state.out : state.out1;
}

static PatchList single_exit(int slot) {
  slot_field(slot) = NO_STATE;
  return PatchList{slot, slot};
}

static PatchList append_exits(PatchList first, PatchList second) {
  slot_field(first.tail) = second.head;
  return PatchList{first.head, second.tail};
}

static void patch_exits(PatchList exits, int target) {
  int slot = exits.head;
  while (slot != NO_STATE) {
    int following = slot_field(slot);
    slot_field(slot) = target;
    slot = following;
  }
}

static Fragment pop_fragment(std::vector<Fragment> *stack) {
  Fragment top = stack->back();
  stack->pop_back();
  return top;
}

// Builds the fragment of one postfix operator from the fragments on `stack`.
static void build_step(const Token &token, std::vector<Fragment> *stack) {
  if (token.kind == TOKEN_BYTES) {
    int s = new_state(NFA_BYTES, NO_STATE, NO_STATE, token.byte_set, 0);
    stack->push_back(Fragment{s, single_exit(2 * s), false});
    return;
  }
  Fragment e = pop_fragment(stack);
  if (token.kind == TOKEN_CONCAT || token.kind == TOKEN_ALTERNATE) {
    Fragment first = pop_fragment(stack);
    if (token.kind == TOKEN_CONCAT) {
      patch_exits(first.exits, e.start);
      stack->push_back(Fragment{first.start, e.exits, first.nullable && e.nullable});
    } else {
      int s = new_state(NFA_SPLIT, first.start, e.start, -1, 0);
      stack->push_back(Fragment{s, append_exits(first.exits, e.exits), first.nullable || e.nullable});
    }
    return;
  }
  int s = new_state(NFA_SPLIT, e.start, NO_STATE, -1, 0);
  PatchList skip = single_exit(2 * s + 1);
  if (token.kind == TOKEN_OPTIONAL) {
    stack->push_back(Fragment{s, append_exits(e.exits, skip), true});
    return;
  }
  patch_exits(e.exits, s);  // "*" and "+" loop back through the split
  if (token.kind == TOKEN_STAR)
    stack->push_back(Fragment{s, skip, true});
  else
    stack->push_back(Fragment{e.start, skip, e.nullable});
}

// Builds rule `rule` from its postfix tokens and ends it in its accepting state; returns
// whether the pattern matches the empty text.
static bool build_rule(int rule, const std::vector<Token> &postfix) {
  std::vector<Fragment> stack;
  for (const Token &token : postfix) build_step(token, &stack);
  Fragment whole = stack.back();
  patch_exits(whole.exits, new_state(NFA_ACCEPT, NO_STATE, NO_STATE, -1, rule));
  nfa.rule_start[static_cast<size_t>(rule)] = whole.start;
  return whole.nullable;
}

static int compile_pattern(int number, const Rule &rule) {
  std::vector<Token> tokens, postfix;
  const char *file = rule_set.file_name.c_str();
  if (tokenize(rule.pattern, &tokens) < 0 || to_postfix(tokens, &postfix) < 0)
    return report_at(file, rule.line, "rule %s: %s", rule.name.c_str(), pattern_error);
  // An empty match would never advance the scanner.
  if (build_rule(number, postfix))
    return report_at(file, rule.line, "rule %s: pattern matches the empty text", rule.name.c_str());
  return 0;
}

// The default rule: any one byte, newline and NUL included.
static void compile_default_rule(int number) {
  ByteSet all;
  all.fill(~uint64_t{0});
  int s = new_state(NFA_BYTES, NO_STATE, NO_STATE, intern_byte_set(all), 0);
  nfa.states[static_cast<size_t>(s)].out = new_state(NFA_ACCEPT, NO_STATE, NO_STATE, -1, number);
  nfa.rule_start[static_cast<size_t>(number)] = s;
}

int compile_rules() {
  nfa = Nfa();
  byte_set_index.clear();
  int listed = static_cast<int>(rule_set.rules.size());
  nfa.rule_count = listed + 1;
  nfa.rule_start.assign(static_cast<size_t>(nfa.rule_count) + 1, NO_STATE);
  nfa.condition_rules.assign(rule_set.conditions.size(), std::vector<int>());
  for (int r = 1; r <= listed; r++) {
    const Rule &rule = rule_set.rules[static_cast<size_t>(r - 1)];
    if (compile_pattern(r, rule) < 0) return -1;
    for (int condition : rule.conditions) nfa.condition_rules[static_cast<size_t>(condition)].push_back(r);
  }
  compile_default_rule(nfa.rule_count);
  for (std::vector<int> &rules : nfa.condition_rules) rules.push_back(nfa.rule_count);
  return 0;
}

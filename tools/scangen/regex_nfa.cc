// Thompson's construction (K. Thompson, "Regular expression search algorithm", CACM 11(6),
// 1968; Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed., 3.7.4) in the form R. Cox describes
// in "Regular Expression Matching Can Be Simple And Fast" (2007). A pattern is first read
// into tokens, then put into postfix order with explicit concatenation by a stack of open
// groups, so deep nesting costs heap, never call stack. One pass over the postfix form then
// builds fragments whose unfinished exits form patch lists threaded through the unfilled
// `out` fields, which makes every join O(1). The pattern syntax: literals, escapes, byte sets,
// ".", "*", "+", "?", "|" and groups.
#include "regex_nfa.h"

#include <map>
#include <string>

#include "diagnostics.h"

namespace {

constexpr int NEWLINE = '\n';    // the byte "." leaves out, and the one "\n" stands for
constexpr int TAB = '\t';        // the byte "\t" stands for
constexpr char ESCAPE = '\\';    // makes the next byte literal, or "n" and "t" the bytes above
constexpr int NO_BYTE_SET = -1;  // the byte set of a token or state that consumes no byte

enum TokenKind {
  token_bytes,      // one byte of a set; `byte_set` names it
  token_open,       // "("
  token_close,      // ")"
  token_alternate,  // "|", binary in postfix form
  token_concat,     // implicit concatenation, present only in postfix form
  token_star,       // "*"
  token_plus,       // "+"
  token_optional,   // "?"
};

struct Token {
  int kind;      // TokenKind
  int byte_set;  // token_bytes: index into Nfa::byte_sets
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

struct NfaBuilder {
  Nfa nfa;                                // the automaton built so far
  std::map<ByteSet, int> byte_set_index;  // interned byte sets -> index in nfa.byte_sets
  const char *pattern_error;              // what is wrong with the pattern being read
};

void byte_set_add(ByteSet *set, int byte) {
  (*set)[byte / BYTE_SET_WORD_BITS] |= uint64_t{1} << (byte % BYTE_SET_WORD_BITS);
}

bool byte_set_empty(const ByteSet &set) {
  for (uint64_t word : set)
    if (word != 0) return false;
  return true;
}

int intern_byte_set(NfaBuilder *b, const ByteSet &set) {
  auto found = b->byte_set_index.find(set);
  if (found != b->byte_set_index.end()) return found->second;
  int index = static_cast<int>(b->nfa.byte_sets.size());
  b->nfa.byte_sets.push_back(set);
  b->byte_set_index.emplace(set, index);
  return index;
}

int single_byte_set(NfaBuilder *b, int byte) {
  ByteSet set{};
  byte_set_add(&set, byte);
  return intern_byte_set(b, set);
}

// "." : every byte but the newline.
int any_but_newline_set(NfaBuilder *b) {
  ByteSet set{};
  for (int byte = 0; byte < BYTE_COUNT; byte++)
    if (byte != NEWLINE) byte_set_add(&set, byte);
  return intern_byte_set(b, set);
}

// -1, with `b->pattern_error` set to `error`.
int pattern_fault(NfaBuilder *b, const char *error) {
  b->pattern_error = error;
  return -1;
}

// Reads one byte at *pos, resolving an escape ("\n", "\t", or the escaped byte itself);
// -1 when the pattern ends in a lone backslash.
int read_byte(NfaBuilder *b, const std::string &pattern, size_t *pos) {
  unsigned char c = static_cast<unsigned char>(pattern[(*pos)++]);
  if (c != ESCAPE) return c;
  if (*pos == pattern.size()) return pattern_fault(b, "pattern ends in a lone backslash");
  c = static_cast<unsigned char>(pattern[(*pos)++]);
  if (c == 'n') return NEWLINE;
  if (c == 't') return TAB;
  return c;
}

// Reads a bracket set after its "[" up to and including "]": bytes, ranges "a-z" and
// escapes; "^" first complements it (NUL included). A "-" first or last is literal.
// Returns the interned set, or -1.
int read_bracket(NfaBuilder *b, const std::string &pattern, size_t *pos) {
  ByteSet set{};
  bool complement = *pos < pattern.size() && pattern[*pos] == '^';
  if (complement) ++*pos;
  bool listed = false;
  for (;;) {
    if (*pos >= pattern.size()) return pattern_fault(b, "unterminated byte set");
    if (pattern[*pos] == ']') break;
    int low = read_byte(b, pattern, pos);
    if (low < 0) return -1;
    int high = low;
    if (*pos + 1 < pattern.size() && pattern[*pos] == '-' && pattern[*pos + 1] != ']') {
      ++*pos;
      high = read_byte(b, pattern, pos);
      if (high < 0) return -1;
      if (high < low) return pattern_fault(b, "byte range runs backwards");
    }
    for (int byte = low; byte <= high; byte++) byte_set_add(&set, byte);
    listed = true;
  }
  ++*pos;  // the "]"
  if (!listed) return pattern_fault(b, "empty byte set");
  if (complement)
    for (uint64_t &word : set) word = ~word;
  if (byte_set_empty(set)) return pattern_fault(b, "byte set matches no byte");
  return intern_byte_set(b, set);
}

// Splits a pattern into tokens; -1 with `pattern_error` set on a malformed escape or set.
int tokenize(NfaBuilder *b, const std::string &pattern, std::vector<Token> *tokens) {
  size_t pos = 0;
  while (pos < pattern.size()) {
    char c = pattern[pos];
    int set = NO_BYTE_SET;
    int kind = token_bytes;
    switch (c) {
      case '(':
        kind = token_open;
        break;
      case ')':
        kind = token_close;
        break;
      case '|':
        kind = token_alternate;
        break;
      case '*':
        kind = token_star;
        break;
      case '+':
        kind = token_plus;
        break;
      case '?':
        kind = token_optional;
        break;
      case '.':
        set = any_but_newline_set(b);
        break;
      default:
        break;
    }
    if (kind != token_bytes || set >= 0) {
      pos++;
    } else if (c == '[') {
      pos++;
      set = read_bracket(b, pattern, &pos);
    } else {
      int byte = read_byte(b, pattern, &pos);
      if (byte >= 0) set = single_byte_set(b, byte);
    }
    if (kind == token_bytes && set < 0) return -1;
    tokens->push_back(Token{kind, set});
  }
  return 0;
}

void emit_token(std::vector<Token> *out, int kind) { out->push_back(Token{kind, NO_BYTE_SET}); }

// Closes the current alternative: joins its operands with concatenations. -1 if it is empty.
int close_alternative(NfaBuilder *b, GroupCount *level, std::vector<Token> *out) {
  if (level->operands == 0) return pattern_fault(b, "empty alternative or group");
  while (--level->operands > 0) emit_token(out, token_concat);
  return 0;
}

// Closes a group or the whole pattern: its last alternative, then its alternations.
int close_group(NfaBuilder *b, GroupCount *level, std::vector<Token> *out) {
  if (close_alternative(b, level, out) < 0) return -1;
  for (; level->alternatives > 0; level->alternatives--) emit_token(out, token_alternate);
  return 0;
}

// Infix tokens to postfix order with explicit concatenation; -1 on a misplaced operator or
// unbalanced parentheses.
int to_postfix(NfaBuilder *b, const std::vector<Token> &tokens, std::vector<Token> *out) {
  std::vector<GroupCount> open_groups;  // enclosing groups of the current one
  GroupCount level = {0, 0};
  for (const Token &token : tokens) {
    switch (token.kind) {
      case token_open:
      case token_bytes:
        if (level.operands > 1) {
          level.operands--;
          emit_token(out, token_concat);
        }
        if (token.kind == token_bytes) {
          out->push_back(token);
          level.operands++;
        } else {
          open_groups.push_back(level);
          level = GroupCount{0, 0};
        }
        break;
      case token_alternate:
        if (close_alternative(b, &level, out) < 0) return -1;
        level.alternatives++;
        break;
      case token_close:
        if (open_groups.empty()) return pattern_fault(b, "unmatched ')'");
        if (close_group(b, &level, out) < 0) return -1;
        level = open_groups.back();
        open_groups.pop_back();
        level.operands++;
        break;
      default:  // the postfix operators
        if (level.operands == 0) return pattern_fault(b, "'*', '+' or '?' follows nothing");
        out->push_back(token);
        break;
    }
  }
  if (!open_groups.empty()) return pattern_fault(b, "unmatched '('");
  return close_group(b, &level, out);
}

int new_state(Nfa *nfa, int kind, int out, int out1, int byte_set, int rule) {
  nfa->states.push_back(NfaState{kind, out, out1, byte_set, rule});
  return static_cast<int>(nfa->states.size()) - 1;
}

int &slot_field(Nfa *nfa, int slot) {
  NfaState &state = nfa->states[slot / 2];
  return slot % 2 == 0 ? state.out : state.out1;
}

PatchList single_exit(Nfa *nfa, int slot) {
  slot_field(nfa, slot) = NO_STATE;
  return PatchList{slot, slot};
}

PatchList append_exits(Nfa *nfa, PatchList first, PatchList second) {
  slot_field(nfa, first.tail) = second.head;
  return PatchList{first.head, second.tail};
}

void patch_exits(Nfa *nfa, PatchList exits, int target) {
  int slot = exits.head;
  while (slot != NO_STATE) {
    int following = slot_field(nfa, slot);
    slot_field(nfa, slot) = target;
    slot = following;
  }
}

Fragment pop_fragment(std::vector<Fragment> *stack) {
  Fragment top = stack->back();
  stack->pop_back();
  return top;
}

// Builds the fragment of one postfix operator from the fragments on `stack`.
void build_step(Nfa *nfa, const Token &token, std::vector<Fragment> *stack) {
  if (token.kind == token_bytes) {
    int s = new_state(nfa, nfa_bytes, NO_STATE, NO_STATE, token.byte_set, 0);
    stack->push_back(Fragment{s, single_exit(nfa, 2 * s), false});
    return;
  }
  Fragment e = pop_fragment(stack);
  if (token.kind == token_concat || token.kind == token_alternate) {
    Fragment first = pop_fragment(stack);
    if (token.kind == token_concat) {
      patch_exits(nfa, first.exits, e.start);
      stack->push_back(Fragment{first.start, e.exits, first.nullable && e.nullable});
    } else {
      int s = new_state(nfa, nfa_split, first.start, e.start, NO_BYTE_SET, 0);
      stack->push_back(Fragment{s, append_exits(nfa, first.exits, e.exits), first.nullable || e.nullable});
    }
    return;
  }
  int s = new_state(nfa, nfa_split, e.start, NO_STATE, NO_BYTE_SET, 0);
  PatchList skip = single_exit(nfa, 2 * s + 1);
  if (token.kind == token_optional) {
    stack->push_back(Fragment{s, append_exits(nfa, e.exits, skip), true});
    return;
  }
  patch_exits(nfa, e.exits, s);  // "*" and "+" loop back through the split
  if (token.kind == token_star)
    stack->push_back(Fragment{s, skip, true});
  else
    stack->push_back(Fragment{e.start, skip, e.nullable});
}

// Builds rule `rule` from its postfix tokens and ends it in its accepting state; returns
// whether the pattern matches the empty text.
bool build_rule(Nfa *nfa, int rule, const std::vector<Token> &postfix) {
  std::vector<Fragment> stack;
  for (const Token &token : postfix) build_step(nfa, token, &stack);
  Fragment whole = stack.back();
  patch_exits(nfa, whole.exits, new_state(nfa, nfa_accept, NO_STATE, NO_STATE, NO_BYTE_SET, rule));
  nfa->rule_start[rule] = whole.start;
  return whole.nullable;
}

int compile_pattern(NfaBuilder *b, const char *file, int number, const ScanRule &rule) {
  std::vector<Token> tokens, postfix;
  if (tokenize(b, rule.pattern, &tokens) < 0 || to_postfix(b, tokens, &postfix) < 0)
    return report_at(file, rule.line, "rule %s: %s", rule.name.c_str(), b->pattern_error);
  // An empty match would never advance the scanner.
  if (build_rule(&b->nfa, number, postfix))
    return report_at(file, rule.line, "rule %s: pattern matches the empty text", rule.name.c_str());
  return 0;
}

// The default rule: any one byte, newline and NUL included.
void compile_default_rule(NfaBuilder *b, int number) {
  ByteSet all;
  all.fill(~uint64_t{0});
  Nfa *nfa = &b->nfa;
  int s = new_state(nfa, nfa_bytes, NO_STATE, NO_STATE, intern_byte_set(b, all), 0);
  nfa->states[s].out = new_state(nfa, nfa_accept, NO_STATE, NO_STATE, NO_BYTE_SET, number);
  nfa->rule_start[number] = s;
}

}  // namespace

bool byte_set_has(const ByteSet &set, int byte) {
  return (set[byte / BYTE_SET_WORD_BITS] >> (byte % BYTE_SET_WORD_BITS)) & 1u;
}

std::optional<Nfa> compile_rules(const RuleSet &rules) {
  NfaBuilder b{};
  Nfa &nfa = b.nfa;
  int listed = static_cast<int>(rules.rules.size());
  nfa.rule_count = listed + 1;
  nfa.rule_start.assign(nfa.rule_count + 1, NO_STATE);
  nfa.condition_rules.assign(rules.conditions.size(), std::vector<int>());
  for (int r = 1; r <= listed; r++) {
    const ScanRule &rule = rules.rules[r - 1];
    if (compile_pattern(&b, rules.file_name.c_str(), r, rule) < 0) return std::nullopt;
    for (int condition : rule.conditions) nfa.condition_rules[condition].push_back(r);
  }
  compile_default_rule(&b, nfa.rule_count);
  for (std::vector<int> &condition_rules : nfa.condition_rules) condition_rules.push_back(nfa.rule_count);
  return nfa;
}

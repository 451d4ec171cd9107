// The grammar that every stage of lalrgen works from: symbols with their token codes, the
// rules with the actions they run, what each action writes, and the precedence levels. Entry
// point: read_grammar(), from the text of a grammar file (format: see grammar_file.cc).
#ifndef LALRGEN_GRAMMAR_FILE_H
#define LALRGEN_GRAMMAR_FILE_H

#include <optional>
#include <string>
#include <vector>

enum SymbolKind {
  symbol_end,         // end of input; every token code of 0 or less means it
  symbol_error,       // the error symbol; no rule may use it (no error recovery is built)
  symbol_undefined,   // stands for every token code that is not declared
  symbol_token,       // a named token; its name becomes an enumerator of the token codes
  symbol_literal,     // a one-character token such as '(' whose code is the character
  symbol_nonterminal  // left side of at least one rule
};

enum Associativity {
  assoc_none,      // the symbol has no precedence level
  assoc_left,      // equal levels: reduce
  assoc_right,     // equal levels: shift
  assoc_nonassoc,  // equal levels: a syntax error
  assoc_prefix     // a prefix operator; an equal-level conflict is reported, not resolved
};

// What an action writes when a rule that runs it is reduced. ORDER ACTION_WRITES: the engine's
// ActionWrites, which the generated header declares, has the same order.
enum WritesKind {
  writes_nothing,   // action 0 only
  writes_text,      // a fixed text
  writes_fragment,  // the next fragment of the queue
  writes_number     // the next fragment, a number: kept apart from a number written before it
};

struct Symbol {
  std::string name;     // as written in the grammar file
  int kind;             // SymbolKind
  int code;             // token code; -1 for the undefined symbol and the nonterminals
  int precedence;       // level from 1 (loosest); 0 = none
  int associativity;    // Associativity of that level
  std::string display;  // how a message names the terminal: "';'", "an operand"; "" names it never
};

struct RuleAction {
  std::string name;  // as written; action 0, "none", is the one that writes nothing
  int writes;        // WritesKind
  std::string text;  // writes_text: the bytes written, escapes resolved
  int line;          // line of its declaration; 0 for action 0
};

struct GrammarRule {
  int lhs;               // left side: a nonterminal, or accept_symbol for rule 0
  std::vector<int> rhs;  // right side, symbol numbers left to right; empty for an empty rule
  int action;            // index into Grammar::actions; 0 writes nothing
  int precedence;        // level of the rightmost right-side terminal that has one; 0 = none
  int line;              // line of the grammar file, for messages; 0 for rule 0
};

struct Grammar {
  std::string file_name;            // path as given; the place of every fault found in it
  std::vector<Symbol> symbols;      // by number: terminals first, then nonterminals
  std::vector<GrammarRule> rules;   // rule 0: accept_symbol -> start end; then the file's
  std::vector<RuleAction> actions;  // action 0 writes nothing; then the file's, in its order
  int token_count;                  // number of terminals = number of the first nonterminal
  int start_symbol;                 // the nonterminal marked `start`
  int end_symbol;                   // the symbol of kind symbol_end
  int undefined_symbol;             // the symbol of kind symbol_undefined
  int max_code;                     // highest declared token code; codes 0..max_code are translated
  int accept_symbol;                // = symbols.size(): the left side of rule 0, never written out
};

constexpr char LALRGEN[] = "lalrgen";  // the place named by a fault that lies in no grammar file

constexpr int MAX_TOKEN_CODE = 32767;      // token_to_symbol has one entry per code
constexpr int MAX_TERMINALS = 127;         // token_to_symbol entries are signed 8-bit
constexpr int MAX_ACTIONS = 255;           // rule_action entries are unsigned 8-bit
constexpr int MAX_ACTION_TEXT = 15;        // bytes of an action's text: it is stored padded to 16
constexpr char NO_ACTION_NAME[] = "none";  // action 0's name in the generated enumeration

// Reads the grammar from `text`, the contents of `file_name`; nothing, with the fault
// reported at its line, when the file is wrong.
std::optional<Grammar> read_grammar(const char *file_name, const std::string &text);

inline bool is_terminal(const Grammar &g, int symbol) { return symbol < g.token_count; }
inline int nonterminal_count(const Grammar &g) { return static_cast<int>(g.symbols.size()) - g.token_count; }
inline int rule_count(const Grammar &g) { return static_cast<int>(g.rules.size()) - 1; }  // without rule 0

// The printable name of a symbol, including the internal accept symbol.
const char *symbol_name(const Grammar &g, int symbol);

#endif

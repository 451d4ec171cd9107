// The table-driven LALR(1) parse engine: parse_input pulls tokens from the scanner, shifts
// and reduces as the packed tables direct, and runs each rule's grammar action at its
// reduction. It keeps only a stack of states: tokens carry no values, every text travels
// through the fragment queue.
//
// The tables were proved by tools/lalrgen's verification to give the automaton's actions
// for every state and terminal, so each step is one addition and one check comparison. A
// state whose base is PARSE_NO_ENTRY makes its default reduction without reading, which is
// when the actions write each fragment: right after its token is shifted.
#include "parse_engine.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "infix_parse_tables.h"
#include "scanner.h"

int lookahead = NO_LOOKAHEAD;

namespace {

constexpr int STACK_GROWTH = 2;  // capacities run 200, 400, ... and stop at the maximum
constexpr int NO_SYMBOL = -1;    // no lookahead symbol is held

struct StateStack {
  int16_t *entries;  // states, bottom first
  int depth;         // entries in use
  int capacity;      // entries available
  bool on_heap;      // entries were allocated by a growth and are released at the end
};

}  // namespace

// The terminal of a token code. The scanner returns only declared codes; anything above the
// table is taken as an undeclared token rather than read past its end.
static int symbol_of_token(int code) { return code > PARSE_MAX_CODE ? PARSE_UNDEFINED_SYMBOL : token_to_symbol[code]; }

// Reads the next token into `lookahead` and returns its symbol; the end of input is final.
static int read_lookahead() {
  lookahead = yy_next_token();
  if (lookahead <= 0) {
    lookahead = 0;
    return PARSE_END_SYMBOL;
  }
  return symbol_of_token(lookahead);
}

// Moves the stack into storage of the next capacity. Returns -1 when it is at the maximum
// already, or when the memory cannot be had (the parse then ends as if at the maximum).
static int grow_stack(StateStack *stack) {
  if (stack->capacity >= PARSE_STACK_MAX) return -1;
  int capacity = stack->capacity * STACK_GROWTH;
  if (capacity > PARSE_STACK_MAX) capacity = PARSE_STACK_MAX;
  int16_t *entries = static_cast<int16_t *>(malloc(static_cast<size_t>(capacity) * sizeof(int16_t)));
  if (entries == nullptr) return -1;
  memcpy(entries, stack->entries, static_cast<size_t>(stack->depth) * sizeof(int16_t));
  if (stack->on_heap) free(stack->entries);
  stack->entries = entries;
  stack->capacity = capacity;
  stack->on_heap = true;
  return 0;
}

// The state that the goto on `nonterminal` leads to from `state`.
static int goto_state(int nonterminal, int state) {
  int n = goto_base[nonterminal] + state;
  if (n >= 0 && n <= PARSE_LAST_INDEX && packed_check[n] == state) return packed_action[n];
  return goto_default[nonterminal];
}

// The loop keeps the state, the stack top and the lookahead's symbol in locals; the stack
// record is brought up to date only when it grows.
static int run_parse(StateStack *stack) {
  int state = 0;
  int symbol = NO_SYMBOL;  // the lookahead's terminal, NO_SYMBOL while none is held
  int depth = 0;
  int16_t *entries = stack->entries;
  lookahead = NO_LOOKAHEAD;
  for (;;) {
    entries[depth++] = static_cast<int16_t>(state);
    if (depth == stack->capacity) {  // a full stack grows at once, so the check follows every push
      stack->depth = depth;
      if (grow_stack(stack) != 0) {
        report_syntax_error("parser stack overflow");
        return parse_stack_exhausted;
      }
      entries = stack->entries;
    }
    int rule = state_default[state];
    int n = state_base[state];
    if (n != PARSE_NO_ENTRY) {  // the state reads a lookahead before it decides
      if (symbol == NO_SYMBOL) symbol = read_lookahead();
      n += symbol;
      if (n >= 0 && n <= PARSE_LAST_INDEX && packed_check[n] == symbol) {
        int action = packed_action[n];
        if (action > 0) {
          if (action == PARSE_FINAL_STATE) return parse_accepted;
          if (lookahead != 0) {  // the end of input is never consumed
            lookahead = NO_LOOKAHEAD;
            symbol = NO_SYMBOL;
          }
          state = action;
          continue;
        }
        rule = action == PARSE_NO_ENTRY ? 0 : -action;
      }
    }
    if (rule == 0) {
      report_syntax_error("parse error");
      return parse_syntax_error;
    }
    if (rule_action[rule] != action_none) grammar_action(rule);
    depth -= rule_length[rule];
    state = goto_state(rule_lhs[rule] - PARSE_FIRST_NONTERMINAL, entries[depth - 1]);
  }
}

int parse_input() {
  int16_t first_entries[PARSE_STACK_INITIAL];
  StateStack stack{first_entries, 0, PARSE_STACK_INITIAL, false};
  int result = run_parse(&stack);
  if (stack.on_heap) free(stack.entries);
  return result;
}

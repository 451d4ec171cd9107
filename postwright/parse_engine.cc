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

constexpr int STACK_GROWTH = 2;               // capacities run 200, 400, ... and stop at the maximum
constexpr int SYNTAX_ERROR = PARSE_NO_ENTRY;  // next_action's answer for a syntax error

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

// The action of `state` for the current lookahead, reading one if the state needs it and
// none is held: a state to shift into (> 0), a rule to reduce by (< 0), or SYNTAX_ERROR.
static int next_action(int state) {
  int n = state_base[state];
  if (n != PARSE_NO_ENTRY) {
    if (lookahead == NO_LOOKAHEAD) lookahead = yy_next_token();
    int symbol = PARSE_END_SYMBOL;
    if (lookahead <= 0) {
      lookahead = 0;
    } else {
      symbol = symbol_of_token(lookahead);
    }
    n += symbol;
    if (n >= 0 && n <= PARSE_LAST_INDEX && packed_check[n] == symbol) {
      int action = packed_action[n];
      return action == 0 ? SYNTAX_ERROR : action;
    }
  }
  int rule = state_default[state];
  return rule == 0 ? SYNTAX_ERROR : -rule;
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

// Pushes `state`; a full stack grows at once, so the check runs after every push.
static int push_state(StateStack *stack, int state) {
  stack->entries[stack->depth++] = static_cast<int16_t>(state);
  return stack->depth == stack->capacity ? grow_stack(stack) : 0;
}

// Runs the rule's action, pops its right side and returns the state its goto enters.
static int reduce(StateStack *stack, int rule) {
  grammar_action(rule);
  stack->depth -= rule_length[rule];
  int top = stack->entries[stack->depth - 1];
  int nonterminal = rule_lhs[rule] - PARSE_FIRST_NONTERMINAL;
  int n = goto_base[nonterminal] + top;
  if (n >= 0 && n <= PARSE_LAST_INDEX && packed_check[n] == top) return packed_action[n];
  return goto_default[nonterminal];
}

static int run_parse(StateStack *stack) {
  int state = 0;
  lookahead = NO_LOOKAHEAD;
  while (true) {
    if (push_state(stack, state) != 0) {
      report_syntax_error("parser stack overflow");
      return parse_stack_exhausted;
    }
    int action = next_action(state);
    if (action == SYNTAX_ERROR) {
      report_syntax_error("parse error");
      return parse_syntax_error;
    }
    if (action == PARSE_FINAL_STATE) return parse_accepted;
    if (action > 0) {
      if (lookahead != 0) lookahead = NO_LOOKAHEAD;  // the end of input is never consumed
      state = action;
    } else {
      state = reduce(stack, -action);
    }
  }
}

int parse_input() {
  int16_t first_entries[PARSE_STACK_INITIAL];
  StateStack stack{first_entries, 0, PARSE_STACK_INITIAL, false};
  int result = run_parse(&stack);
  if (stack.on_heap) free(stack.entries);
  return result;
}

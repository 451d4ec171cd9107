// The table-driven LALR(1) parse engine: parse_input pulls tokens from the scanner, shifts
// and reduces as the packed tables direct, and runs each rule's grammar action at its
// reduction. It keeps only a stack of states: tokens carry no values, every text travels
// through the fragment queue.
//
// The tables were proved by tools/lalrgen's verification to give the automaton's actions
// for every state and terminal. A state whose base is PARSE_NO_ENTRY makes its default
// reduction without reading, which is when the actions write each fragment: right after its
// token is shifted. At the first parse the packed rows are expanded once into a dense
// state-by-symbol action table and a dense goto table (a few hundred entries), so that each
// step of the loop is one load where the packed lookup is three dependent ones; the packed
// tables remain the definition of the automaton.
//
// A shift is mostly followed by reductions that read no token and pop no deeper than the
// state that shifted, such as ident : ID and expr : ident after a name. What they do depends
// only on that state and the token, so each shift's whole chain is worked out once at the
// expansion, and the loop makes it in one step: its grammar actions in order, then the
// states it leaves on the stack.
#include "parse_engine.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "error_report.h"
#include "fragment_queue.h"
#include "grammar_actions.h"
#include "infix_parse_tables.h"
#include "process.h"
#include "scanner.h"

int lookahead = NO_LOOKAHEAD;

namespace {

constexpr int STACK_GROWTH = 2;  // capacities run 200, 400, ... and stop at the maximum
constexpr int NO_SYMBOL = -1;    // no lookahead symbol is held

struct StateStack {
  int16_t *entries;  // states, bottom first: on parse_input's frame, or grown_entries
  int depth;         // entries in use
  int capacity;      // entries available
};

}  // namespace

// The stack's storage once it has outgrown the entries on parse_input's frame; null before.
// It is held here and not only by the stack record, since a parse may end without returning:
// an illegal character ends the process from inside the scanner, and a harness that catches
// that end still has to release the storage (parse_engine_reset).
static int16_t *grown_entries = nullptr;

static void release_grown_entries() {
  free(grown_entries);
  grown_entries = nullptr;
}

// Reads the next token into `lookahead` and returns its symbol; the end of input is final.
// The scanner returns only declared codes; anything above the table is taken as an
// undeclared token rather than read past its end.
// `next` is the scanner's entry point: yy_next_token in the loop of a whole input's parse,
// yy_next_token_off_the_loop elsewhere.
[[gnu::always_inline]] static inline int read_lookahead(int (*next)() = yy_next_token) {
  int code = next();
  if (static_cast<unsigned>(code) <= PARSE_MAX_CODE) {  // code 0 is the end's own entry
    lookahead = code;
    return token_to_symbol[code];
  }
  lookahead = code < 0 ? 0 : code;
  return code < 0 ? PARSE_END_SYMBOL : PARSE_UNDEFINED_SYMBOL;
}

// The same for a check's parse after an error, through the scanner's entry point of its own.
[[gnu::cold, gnu::noinline]] static int read_lookahead_in_check() { return read_lookahead(yy_next_token_off_the_loop); }

// The symbol of the token code `code` that read_lookahead stored.
static int token_symbol(int code) {
  return static_cast<unsigned>(code) <= PARSE_MAX_CODE ? token_to_symbol[code] : PARSE_UNDEFINED_SYMBOL;
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
  free(grown_entries);  // the previous growth's storage; null while on the frame
  stack->entries = grown_entries = entries;
  stack->capacity = capacity;
  return 0;
}

// The state that the goto on `nonterminal` leads to from `state`, in the packed tables.
static int packed_goto(int nonterminal, int state) {
  int n = goto_base[nonterminal] + state;
  if (n >= 0 && n <= PARSE_LAST_INDEX && packed_check[n] == state) return packed_action[n];
  return goto_default[nonterminal];
}

// The action of `state` on `symbol` in the packed tables: a state to shift into (> 0), a rule
// to reduce by (< 0), or 0 for a syntax error.
static int packed_step(int state, int symbol) {
  int n = state_base[state] + symbol;
  if (n >= 0 && n <= PARSE_LAST_INDEX && packed_check[n] == symbol) {
    int action = packed_action[n];
    return action == PARSE_NO_ENTRY ? 0 : action;
  }
  return -state_default[state];
}

namespace {

constexpr int SYMBOL_COLUMNS = PARSE_FIRST_NONTERMINAL + 1;  // column 0: no lookahead held
// An entry of dense_action; 32 bits, since a shift's entry is an offset in bytes into the
// chains, which grow with the grammar's states and terminals.
using ActionStep = int32_t;
constexpr ActionStep READ_FIRST = PARSE_NO_ENTRY;  // the state reads a lookahead before it decides

constexpr int CHAIN_LIMIT = 8;  // reductions, states and actions a chain may hold; a longer one stops early

struct RuleStep {
  int16_t length;       // states its right side covers on the stack
  int16_t nonterminal;  // its left side, counted from the first nonterminal
  uint8_t action;       // its GrammarAction; action_none: nothing to run
};

// A shift and the reductions that follow it without a token being read.
struct ShiftChain {
  int16_t target;               // the state the shift enters
  int16_t final;                // the state the chain ends in; target when nothing follows
  uint64_t actions;             // the grammar actions it runs, one a byte from the lowest, then 0
  int16_t states[CHAIN_LIMIT];  // the states it leaves above the shifting one, final last
  uint8_t state_count;          // entries of states, at least 1
  bool final_reads;             // the final state reads a lookahead before it decides
  int16_t final_rule;           // else the reduction it makes at once, when that pops (length > 0)
  const ActionStep *final_row;  // the final state's row of dense_action (action_row)
};

}  // namespace

// dense_action[state][symbol + 1]: for a held lookahead symbol, a shift (the offset in bytes
// of its chain in shift_chains, > 0), a reduction (-rule) or 0 for a syntax error; in column
// 0, with none held: READ_FIRST, or the default reduction of a state that never reads.
static ActionStep dense_action[PARSE_STATE_COUNT][SYMBOL_COLUMNS];
static int16_t dense_goto[PARSE_STATE_COUNT][PARSE_NONTERMINAL_COUNT];
static RuleStep rule_steps[PARSE_RULE_COUNT + 1];
static ShiftChain shift_chains[PARSE_STATE_COUNT * PARSE_FIRST_NONTERMINAL + 1];  // from 1
static_assert(sizeof shift_chains <= INT32_MAX);  // dense_action holds an offset into it
static bool tables_expanded = false;

// The chain that a shift step names: the step is the chain's offset in bytes, so that the way
// from the table to the chain takes no multiply.
static const ShiftChain &chain_at(int step) {
  return *reinterpret_cast<const ShiftChain *>(reinterpret_cast<const char *>(shift_chains) + step);
}

// The row of dense_action for `state`, indexed by the lookahead's symbol, NO_SYMBOL included:
// the loop keeps its state as this row, so that the step is one load.
static const ActionStep *action_row(int state) { return &dense_action[state][1]; }

// Follows a shift from `state` into `target` through the reductions it can make without a
// token and without popping `state`, at most CHAIN_LIMIT of them.
static ShiftChain chain_of(int state, int target) {
  ShiftChain chain{};
  chain.target = chain.final = static_cast<int16_t>(target);
  chain.states[0] = chain.final;
  chain.state_count = 1;
  int action_count = 0;
  int current = target;
  for (int reductions = 0; reductions < CHAIN_LIMIT && state_base[current] == PARSE_NO_ENTRY; reductions++) {
    int rule = state_default[current];
    const RuleStep &step = rule_steps[rule];
    if (rule == 0 || step.length > chain.state_count || action_count == CHAIN_LIMIT) break;
    int count = chain.state_count - step.length;
    if (count == CHAIN_LIMIT) break;
    int below = count > 0 ? chain.states[count - 1] : state;
    current = dense_goto[below][step.nonterminal];
    if (step.action != action_none) chain.actions |= static_cast<uint64_t>(step.action) << (8 * action_count++);
    chain.states[count++] = static_cast<int16_t>(current);
    chain.state_count = static_cast<uint8_t>(count);
    chain.final = static_cast<int16_t>(current);
  }
  chain.final_reads = state_base[chain.final] != PARSE_NO_ENTRY;
  if (!chain.final_reads && rule_steps[state_default[chain.final]].length > 0) {
    chain.final_rule = state_default[chain.final];
  }
  return chain;
}

// The rule by which every state that a goto on `nonterminal` leads to reduces without
// reading a token; 0 when one of them reads, or when they reduce by different rules.
static int reduction_after_goto(int nonterminal) {
  int rule = 0;
  for (int state = 0; state < PARSE_STATE_COUNT; state++) {
    int target = dense_goto[state][nonterminal];
    if (target <= 0 || state_base[target] != PARSE_NO_ENTRY) return 0;
    if (rule != 0 && state_default[target] != rule) return 0;
    rule = state_default[target];
  }
  return rule;
}

// A reduction whose goto always enters a state that at once reduces again, popping what the
// first pushed, is made as one: over both right sides but the state between them, to the
// second one's left side, with the one action of the two. The end of a statement then takes
// one step of the loop instead of two: instr : ident EQ @1 expr SEMICOL, then input : input
// instr. The state between the two is never pushed, so the stack is never deeper for it.
static void fold_reductions() {
  for (int rule = 1; rule <= PARSE_RULE_COUNT; rule++) {
    RuleStep &step = rule_steps[rule];
    for (int folds = 0; folds < PARSE_RULE_COUNT && step.length > 0; folds++) {
      int next = reduction_after_goto(step.nonterminal);
      if (next == 0) break;
      const RuleStep &then = rule_steps[next];
      if (then.length == 0 || (step.action != action_none && then.action != action_none)) break;
      step = {static_cast<int16_t>(step.length + then.length - 1), then.nonterminal,
              step.action != action_none ? step.action : then.action};
    }
  }
}

static void expand_tables() {
  for (int rule = 1; rule <= PARSE_RULE_COUNT; rule++) {
    rule_steps[rule] = {rule_length[rule], static_cast<int16_t>(rule_lhs[rule] - PARSE_FIRST_NONTERMINAL),
                        rule_action[rule]};
  }
  for (int state = 0; state < PARSE_STATE_COUNT; state++) {
    for (int nonterminal = 0; nonterminal < PARSE_NONTERMINAL_COUNT; nonterminal++) {
      dense_goto[state][nonterminal] = static_cast<int16_t>(packed_goto(nonterminal, state));
    }
  }
  fold_reductions();
  int chains = 0;
  for (int state = 0; state < PARSE_STATE_COUNT; state++) {
    bool reads = state_base[state] != PARSE_NO_ENTRY;
    dense_action[state][0] = reads ? READ_FIRST : -state_default[state];
    for (int symbol = 0; symbol < PARSE_FIRST_NONTERMINAL; symbol++) {
      int step = reads ? packed_step(state, symbol) : -state_default[state];
      if (step == PARSE_FINAL_STATE) {
        step = 0;  // the accepting shift is looked for where errors are
      } else if (step > 0) {
        shift_chains[++chains] = chain_of(state, step);
        shift_chains[chains].final_row = action_row(shift_chains[chains].final);
        step = static_cast<int>(chains * sizeof(ShiftChain));
      }
      dense_action[state][symbol + 1] = step;
    }
  }
  tables_expanded = true;
}

// --- The proof of the expanded tables ---
//
// The loop trusts the expanded tables as the packed ones: a chain's states go onto the stack
// and its actions run with no lookup of their own, and a folded reduction pops what two
// reductions would. So what the expansion made is checked once against the packed tables, the
// definition of the automaton: every goto and every step, every chain by running the packed
// automaton on a stack from the state that shifts, and every fold by making its reductions one
// at a time from every state that could lie below.

constexpr char EXPANDED_TABLES[] = "parse engine tables";  // the heading of every fault found here

namespace {

// The packed automaton at work on a stack of states, without a lookahead: the reductions a
// chain claims to make.
struct PackedRun {
  int states[2 * CHAIN_LIMIT + 2];  // the stack, bottom first; the bottom is the state that shifted
  int depth;                        // entries in use
  uint64_t actions;                 // the grammar actions run, one a byte from the lowest
  int action_count;                 // actions in `actions`
};

}  // namespace

// Makes the reduction that the top state makes without reading, if it reads nothing, pops no
// deeper than above the bottom and leaves room; false otherwise.
static bool packed_reduce(PackedRun *run) {
  int state = run->states[run->depth - 1];
  int rule = state_base[state] == PARSE_NO_ENTRY ? state_default[state] : 0;
  if (rule == 0 || rule_length[rule] >= run->depth || run->depth >= 2 * CHAIN_LIMIT + 1) return false;
  if (rule_action[rule] != action_none) {
    if (run->action_count == CHAIN_LIMIT) return false;
    run->actions |= static_cast<uint64_t>(rule_action[rule]) << (8 * run->action_count++);
  }
  run->depth -= rule_length[rule];
  run->states[run->depth] = packed_goto(rule_lhs[rule] - PARSE_FIRST_NONTERMINAL, run->states[run->depth - 1]);
  run->depth++;
  return true;
}

static bool run_matches(const PackedRun &run, const ShiftChain &chain) {
  if (run.actions != chain.actions || run.depth - 1 != chain.state_count) return false;
  for (int i = 0; i < chain.state_count; i++)
    if (run.states[i + 1] != chain.states[i]) return false;
  return chain.final == chain.states[chain.state_count - 1];
}

// The chain of the shift from `state` into `target` is what the packed automaton does after
// that shift: its reductions, each while the state reads nothing and pops no deeper than the
// state that shifted, in order, up to the chain's end; then the chain's final state reads, or
// names its next reduction.
static const char *chain_fault(int state, int symbol, const ShiftChain &chain, int target) {
  if (chain.target != target)
    return fault_text(EXPANDED_TABLES, "state %d on symbol %d shifts into %d, not %d", state, symbol, chain.target,
                      target);
  PackedRun run{{state, target}, 2, 0, 0};
  bool matched = run_matches(run, chain);
  while (!matched && packed_reduce(&run)) matched = run_matches(run, chain);
  if (!matched)
    return fault_text(EXPANDED_TABLES, "the chain of state %d on symbol %d is not what the packed tables do", state,
                      symbol);
  bool reads = state_base[chain.final] != PARSE_NO_ENTRY;
  int then = reads || rule_length[state_default[chain.final]] == 0 ? 0 : state_default[chain.final];
  if (chain.final_reads != reads || chain.final_rule != then || chain.final_row != action_row(chain.final))
    return fault_text(EXPANDED_TABLES, "the chain of state %d on symbol %d ends wrong", state, symbol);
  return nullptr;
}

// A rule's step is the rule, or the rule folded with those that its goto always leads into:
// from every state below, the state the goto enters reduces at once by the same next rule,
// until the reductions have popped what the step pops, to the step's left side, having run
// its one action.
static const char *fold_fault(int rule) {
  const RuleStep &step = rule_steps[rule];
  int popped = rule_length[rule], lhs = rule_lhs[rule], action = rule_action[rule];
  for (int folds = 0;; folds++) {
    if (popped == step.length && lhs - PARSE_FIRST_NONTERMINAL == step.nonterminal) {
      if (action == step.action) return nullptr;
      return fault_text(EXPANDED_TABLES, "rule %d is made as a step that runs action %d, not %d", rule, step.action,
                        action);
    }
    if (popped > step.length || folds == PARSE_RULE_COUNT)
      return fault_text(EXPANDED_TABLES, "rule %d is made as a step that the packed tables do not make", rule);
    int next = 0;
    for (int below = 0; below < PARSE_STATE_COUNT; below++) {
      int entered = packed_goto(lhs - PARSE_FIRST_NONTERMINAL, below);
      int then = state_base[entered] == PARSE_NO_ENTRY ? state_default[entered] : 0;
      if (then == 0 || (next != 0 && then != next) || rule_length[then] == 0)
        return fault_text(EXPANDED_TABLES, "rule %d is folded, but from state %d its goto does not reduce at once",
                          rule, below);
      next = then;
    }
    if (rule_action[next] != action_none) {
      if (action != action_none)
        return fault_text(EXPANDED_TABLES, "rule %d is folded with rule %d, and both run actions", rule, next);
      action = rule_action[next];
    }
    popped += rule_length[next] - 1;
    lhs = rule_lhs[next];
  }
}

// What the step of `state` on `symbol` must be: a shift's target (> 0), a reduction (< 0), or 0
// for an error, the accepting shift among them.
static int packed_step_of(int state, int symbol) {
  int step = state_base[state] != PARSE_NO_ENTRY ? packed_step(state, symbol) : -state_default[state];
  return step == PARSE_FINAL_STATE ? 0 : step;
}

const char *expanded_tables_fault() {
  if (!tables_expanded) return fault_text(EXPANDED_TABLES, "not expanded");
  for (int state = 0; state < PARSE_STATE_COUNT; state++) {
    for (int nonterminal = 0; nonterminal < PARSE_NONTERMINAL_COUNT; nonterminal++)
      if (dense_goto[state][nonterminal] != packed_goto(nonterminal, state))
        return fault_text(EXPANDED_TABLES, "the goto of state %d on nonterminal %d", state, nonterminal);
  }
  for (int rule = 1; rule <= PARSE_RULE_COUNT; rule++) {
    const char *fault = fold_fault(rule);
    if (fault != nullptr) return fault;
  }
  for (int state = 0; state < PARSE_STATE_COUNT; state++) {
    bool reads = state_base[state] != PARSE_NO_ENTRY;
    if (dense_action[state][0] != (reads ? READ_FIRST : -state_default[state]))
      return fault_text(EXPANDED_TABLES, "state %d without a lookahead", state);
    for (int symbol = 0; symbol < PARSE_FIRST_NONTERMINAL; symbol++) {
      int want = packed_step_of(state, symbol);
      ActionStep step = dense_action[state][symbol + 1];
      if (want <= 0) {
        if (step != want)
          return fault_text(EXPANDED_TABLES, "state %d on symbol %d gives %d, not %d", state, symbol, step, want);
        continue;
      }
      bool is_chain = step > 0 && step % static_cast<ActionStep>(sizeof(ShiftChain)) == 0 &&
                      static_cast<size_t>(step) < sizeof shift_chains;
      if (!is_chain) return fault_text(EXPANDED_TABLES, "state %d on symbol %d names no chain", state, symbol);
      const char *fault = chain_fault(state, symbol, chain_at(step), want);
      if (fault != nullptr) return fault;
    }
  }
  return nullptr;
}

int16_t *rule_step_length(int rule) { return &rule_steps[rule].length; }

// --- What a syntax error expected ---

// The stack at the syntax error being reported; null at any other time.
static const int16_t *error_entries = nullptr;
static int error_depth = 0;

// Whether the automaton, from the stack at the error, shifts `symbol` (or accepts on it) after
// the reductions it makes first.
static bool takes_symbol(int symbol) {
  int *states = static_cast<int *>(malloc((static_cast<size_t>(error_depth) + 1) * sizeof(int)));
  if (states == nullptr) die("expected_terminals");  // not a message that names nothing expected
  for (int i = 0; i < error_depth; i++) states[i] = error_entries[i];
  int depth = error_depth;
  bool taken = false;
  // A reduction pops at least as much as it pushes but for empty rules, of which no state
  // makes more than one in a row before a shift: the bound only guards a faulty table.
  for (int steps = 0; steps <= PARSE_STATE_COUNT * (PARSE_RULE_COUNT + 1); steps++) {
    int state = states[depth - 1];
    int step = state_base[state] != PARSE_NO_ENTRY ? packed_step(state, symbol) : -state_default[state];
    if (step > 0 || step == PARSE_FINAL_STATE) {
      taken = true;
      break;
    }
    if (step == 0 || rule_length[-step] >= depth) break;
    depth -= rule_length[-step];
    states[depth] = packed_goto(rule_lhs[-step] - PARSE_FIRST_NONTERMINAL, states[depth - 1]);
    depth++;
  }
  free(states);
  return taken;
}

void expected_terminals(bool expected[]) {
  for (int symbol = 0; symbol < PARSE_FIRST_NONTERMINAL; symbol++)
    expected[symbol] = error_entries != nullptr && takes_symbol(symbol);
}

// Reports the failure that ended a run of the loop, if it ended in one: a syntax error on
// the stack as the loop left it, or the stack's exhaustion.
static void report_failure(const StateStack *stack, int result) {
  if (result == parse_stack_exhausted) report_syntax_error("parser stack overflow");
  if (result != parse_syntax_error) return;
  error_entries = stack->entries;
  error_depth = stack->depth;
  report_syntax_error("parse error");
  error_entries = nullptr;
}

// Pushes `state`; a stack that becomes full grows at once, so the limit falls on the push that
// makes the last entry. False when it cannot grow. This and reduce are always inlined: the
// loop's depth is handed to them by address, and where the compiler kept one of them out of
// line the depth lived in memory, a load and a store more at every shift and reduction.
[[gnu::always_inline]] static inline bool push_state(StateStack *stack, int16_t *&entries, int &depth, int state) {
  entries[depth++] = static_cast<int16_t>(state);
  if (depth < stack->capacity) return true;
  stack->depth = depth;
  if (grow_stack(stack) != 0) return false;
  entries = stack->entries;
  return true;
}

// Whether `state` accepts on `symbol`: the one shift that the dense table leaves out, so
// that the loop does not test for it at every step.
static bool accepts(int state, int symbol) {
  return symbol != NO_SYMBOL && state_base[state] != PARSE_NO_ENTRY && packed_step(state, symbol) == PARSE_FINAL_STATE;
}

// Makes a reduction that pops at least one state: its action, the pops, and the push of the
// state its goto leads to, whose row it returns. The stack is no deeper than before: it
// cannot fill up.
[[gnu::always_inline]] static inline const ActionStep *reduce(RuleStep rule, int16_t *entries, int &depth) {
  if (rule.action != action_none) run_grammar_action(rule.action);
  depth -= rule.length;
  int state = dense_goto[entries[depth - 1]][rule.nonterminal];
  entries[depth++] = static_cast<int16_t>(state);
  return action_row(state);
}

// The loop keeps the state (as its row of dense_action), the stack top and the lookahead's
// symbol in locals; the stack record is brought up to date only when it grows. The current
// state is always on top of the stack. `lookahead` is written at each read and left as it is
// when the token is consumed: nothing reads it during the parse, and once it ends it holds
// the last token read.
// A check starts the loop again holding the token after an error (HOLDS_SYMBOL), in a copy of
// its own: the parse of a whole input starts with none, and its loop is compiled as if a
// token could not be held at the start.
template <bool HOLDS_SYMBOL>
static int run_parse(StateStack *stack, int held_symbol) {
  int16_t *entries = stack->entries;
  int depth = 0;
  int state = 0;
  const ActionStep *row = action_row(state);
  int symbol = HOLDS_SYMBOL ? held_symbol : NO_SYMBOL;  // the lookahead's terminal, NO_SYMBOL while none is held
  int chain_room = stack->capacity - CHAIN_LIMIT;       // below this depth a whole chain fits
  if (symbol == NO_SYMBOL) lookahead = NO_LOOKAHEAD;
  if (!push_state(stack, entries, depth, state)) return parse_stack_exhausted;
  for (;;) {
    int step = row[symbol];
    // The loop reads tokens at this one place, so that the profile-guided build inlines the
    // scanner here: with a second call in the chain's branch below it kept the scanner out of
    // line, a call and a return for every token (inlined: 1.5% fewer instructions, about 4%
    // less processor time on netlist input).
    if (step == READ_FIRST) {
    read_next:
      symbol = HOLDS_SYMBOL ? read_lookahead_in_check() : read_lookahead();
      step = row[symbol];
    }
    if (step > 0) {
      const ShiftChain &chain = chain_at(step);
      if (symbol != PARSE_END_SYMBOL) symbol = NO_SYMBOL;  // the end of input is never consumed
      if (depth < chain_room) {                            // room for the whole states array
        // The actions write bytes, which may alias anything: taken into a register first.
        uint64_t actions = chain.actions;
        if (actions == action_print_fragment) {  // an operand's chain: the one action it runs
          print_fragment();
        } else {
          for (; actions != 0; actions >>= 8) run_grammar_action(actions & 0xff);
        }
        memcpy(entries + depth, chain.states, sizeof chain.states);
        depth += chain.state_count;
        row = chain.final_row;
        if (chain.final_reads) {
          // What the state will do depends on the next token: read it now, while the chain
          // is at hand, rather than find that out from the table first; at the one place.
          if (symbol == NO_SYMBOL) goto read_next;
        } else if (chain.final_rule != 0) {
          // It reduces at once, deeper than the chain could: as the next step would, without
          // looking that up (the end of a statement, a closing parenthesis, a brace).
          row = reduce(rule_steps[chain.final_rule], entries, depth);
        }
        continue;
      }
      state = chain.target;  // near a growth: one step at a time
      row = action_row(state);
    } else if (step < 0) {
      RuleStep rule = rule_steps[-step];
      if (rule.length > 0) {
        row = reduce(rule, entries, depth);
        continue;
      }
      if (rule.action != action_none) run_grammar_action(rule.action);
      state = dense_goto[entries[depth - 1]][rule.nonterminal];
      row = action_row(state);
    } else {
      if (accepts(entries[depth - 1], symbol)) return parse_accepted;
      stack->depth = depth;  // for the report, which the caller makes
      return parse_syntax_error;
    }
    if (!push_state(stack, entries, depth, state)) return parse_stack_exhausted;
    chain_room = stack->capacity - CHAIN_LIMIT;
  }
}

// After a syntax error in a check: skips the rest of the statement in error, up to its ";"
// (consumed) or a brace or a comment line (which start the next), and returns the symbol to
// start afresh with: the one held, NO_SYMBOL when none is, or the end of the input. What the
// skipped tokens queued is dropped, and what the statement wrote before the error does not
// matter: a check writes nothing that is kept.
static int resume_symbol() {
  error_reporting.passing_over = true;  // the statement's error is reported: nothing more in it is
  int symbol = lookahead == NO_LOOKAHEAD ? read_lookahead_in_check() : token_symbol(lookahead);
  for (;;) {
    if (symbol == PARSE_END_SYMBOL) break;
    StatementBoundary boundary = statement_boundary(lookahead);
    if (boundary == StatementBoundary::ends) {
      symbol = NO_SYMBOL;
      break;
    }
    if (boundary == StatementBoundary::starts) break;
    symbol = read_lookahead_in_check();
  }
  error_reporting.passing_over = false;
  clear_fragment_queue();
  if (symbol == NO_SYMBOL) lookahead = NO_LOOKAHEAD;
  return symbol;
}

// A check's parse after an error: kept out of parse_input, whose loop is the one that matters.
[[gnu::noinline]] static int resume_parse(StateStack *stack) { return run_parse<true>(stack, resume_symbol()); }

int parse_input() {
  if (!tables_expanded) {
    expand_tables();
#ifdef VERIFY_DERIVED_TABLES
    const char *fault = expanded_tables_fault();
    if (fault != nullptr) yy_fatal(fault);
#endif
  }
  int16_t first_entries[PARSE_STACK_INITIAL];
  StateStack stack{first_entries, 0, PARSE_STACK_INITIAL};
  int result = run_parse<false>(&stack, NO_SYMBOL);
  report_failure(&stack, result);
  bool in_error = false;
  while (result == parse_syntax_error && error_reporting.check) {
    in_error = true;
    result = resume_parse(&stack);
    report_failure(&stack, result);
  }
  release_grown_entries();
  return in_error && result == parse_accepted ? parse_syntax_error : result;
}

void parse_engine_reset() {
  release_grown_entries();
  lookahead = NO_LOOKAHEAD;
}
